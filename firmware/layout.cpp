#include "layout.h"

// Std
#include <algorithm>
#include <cstring>

#include "firmwareformat.h"
#include "reflasher.h"

using namespace Firmware;

namespace Layout {

namespace {

void ToUpgradeFile(Buffer &b, const QString &version)
{
    const int wasKind = b.kind;
    if (wasKind != KindUpgrade) {
        std::memmove(b.data + kHeaderSize, b.data, kRomLength);
        b.length = kUpgradeLength;
    }
    std::fill(b.data, b.data + kHeaderSize, quint8(0));
    std::copy(kSignature.begin(), kSignature.end(), b.data + kHeaderSignature);
    b.data[kHeaderCodeType] = CodeMain;
    WriteVersion(b.data + kHeaderVersion, version);
    b.data[kHeaderMarker] = kHeaderMarkerValue;
    if (wasKind == KindBld)
        std::fill(b.data + kHeaderSize + kReflasherOffset, b.data + kUpgradeLength, quint8(0));
    b.kind = KindUpgrade;
}

void ToRomImage(Buffer &b)
{
    if (b.kind == KindRom)
        return;
    if (b.kind == KindUpgrade)
        std::memmove(b.data, b.data + kHeaderSize, kRomLength);
    else if (b.kind == KindBld)
        std::copy(kReflasherBlock.begin(), kReflasherBlock.end(), b.data + kReflasherOffset);
    b.length = kRomLength;
    b.kind = KindRom;
}

}  // namespace

void ConvertTo(Buffer &buffer, int targetKind, const QString &version)
{
    switch (targetKind) {
    case KindRom: ToRomImage(buffer); break;
    case KindUpgrade: ToUpgradeFile(buffer, version); break;
    default: break;
    }
}

int KindForName(const QString &path, int fileKind)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return fileKind;
    const QStringView ext = QStringView(path).mid(dot);
    if (ext.compare(QLatin1String(".ROM"), Qt::CaseInsensitive) == 0)
        return KindRom;
    if (ext.compare(QLatin1String(".QUF"), Qt::CaseInsensitive) == 0)
        return KindUpgrade;
    return fileKind;
}

void WriteVersion(quint8 *field, const QString &version)
{
    const int n = int(std::min<qsizetype>(version.size(), kVersionTextSize));
    for (int i = 0; i < n; ++i)
        field[i] = quint8(version.at(i).unicode());
    // A shorter text ends at a zero byte; without it the tail of a longer earlier text would
    // read as part of the new one.
    if (n < kVersionTextSize)
        field[n] = 0;
}

}  // namespace Layout
