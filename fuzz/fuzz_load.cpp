// libFuzzer target: loads arbitrary bytes as a firmware file. When the load succeeds it edits
// the record the way the pages could, writes it as .bin, .ROM and .QUF, and checks that every
// written file loads again with the same settings.
//
// The custom mutator gives most inputs one of the three firmware lengths and often mutates
// only the bytes that loading interprets, so the fuzzer spends its time past the length check.

// Std
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

// Qt
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include "common/uirecorder.h"
#include "firmware/firmwareformat.h"
#include "firmware/firmwarerecord.h"
#include "firmware/fits.h"
#include "firmware/flags.h"
#include "firmware/settingstext.h"

using namespace Firmware;

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

namespace {

#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "fuzz_load: check failed at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// One folder for the whole run; its files are overwritten by every input.
struct Workspace {
    QTemporaryDir dir;
    QString input = dir.filePath(QStringLiteral("input.img"));
    QString bin = dir.filePath(QStringLiteral("out.bin"));
    QString rom = dir.filePath(QStringLiteral("out.ROM"));
    QString quf = dir.filePath(QStringLiteral("out.QUF"));
};

Workspace &Work()
{
    static Workspace w;
    FUZZ_CHECK(w.dir.isValid());
    return w;
}

// How far the inputs get, printed at exit when BRINDLE_FUZZ_STATS is set: a check on the
// mutator's shaping.
struct Stats {
    long inputs = 0;
    long loaded = 0;
    long rewritten = 0;
    ~Stats()
    {
        if (std::getenv("BRINDLE_FUZZ_STATS"))
            std::fprintf(stderr, "fuzz_load: %ld inputs, %ld loaded, %ld written and reloaded\n", inputs, loaded,
                         rewritten);
    }
};
Stats g_stats;

// The settings that writing stores and loading reads back for this firmware type and image.
struct Stored {
    int baud, stop, data, parity, flow;
    bool flags[kFlags.size()];
    bool ids;
    int vid, pid;
    bool strings;
    QString manufacturer, product, string3;
    bool prefix;
    QString dirPrefix;
};

Stored Take(const CFirmwareRecord &r)
{
    const quint8 *p = r.Image() + r.ImageBase();
    Stored s{};
    s.baud = r.m_nBaudRate;
    s.stop = r.m_nStopBits;
    s.data = r.m_nDataBits;
    s.parity = r.m_nParity;
    s.flow = r.m_nFlowControl;
    for (std::size_t i = 0; i < kFlags.size(); ++i)
        s.flags[i] = r.*kFlags[i].member;
    const bool qsol = r.m_nFirmwareType & kUsbSlaveTypes;
    s.ids = qsol && HasUsbIdRoom(p);
    s.vid = s.ids ? r.m_nVendorId : 0;
    s.pid = s.ids ? r.m_nProductId : 0;
    s.strings = qsol && HasUsbStringRoom(p);
    if (s.strings) {
        s.manufacturer = r.m_strManufacturer;
        s.product = r.m_strProduct;
        s.string3 = r.m_strString3;
    }
    s.prefix = r.m_nFirmwareType & kDirPrefixTypes;
    if (s.prefix)
        s.dirPrefix = r.m_strDirPrefix;
    return s;
}

bool Same(const Stored &a, const Stored &b)
{
    return a.baud == b.baud && a.stop == b.stop && a.data == b.data && a.parity == b.parity && a.flow == b.flow
           && std::equal(std::begin(a.flags), std::end(a.flags), std::begin(b.flags)) && a.ids == b.ids
           && a.vid == b.vid && a.pid == b.pid && a.strings == b.strings && a.manufacturer == b.manufacturer
           && a.product == b.product && a.string3 == b.string3 && a.prefix == b.prefix && a.dirPrefix == b.dirPrefix;
}

QString Latin1Text(FuzzedDataProvider &fdp, int maxLength)
{
    const int n = fdp.ConsumeIntegralInRange<int>(0, maxLength);
    QString s;
    for (int i = 0; i < n; ++i)
        s.append(QChar(fdp.ConsumeIntegral<quint8>()));
    return s;
}

// Values the pages can produce, chosen by the input's last bytes.
void Edit(CFirmwareRecord &r, FuzzedDataProvider &fdp)
{
    if (!fdp.ConsumeBool())
        return;
    r.m_nBaudRate = kBaudDivisors[fdp.ConsumeIntegralInRange<size_t>(0, kBaudDivisors.size() - 1)].rate;
    r.m_nDataBits = fdp.ConsumeBool() ? 7 : 8;
    r.m_nStopBits = fdp.ConsumeBool() ? 2 : 1;
    r.m_nParity = fdp.ConsumeIntegralInRange<int>(0, 2);
    // "Unknown" is offered only for a file whose flow byte the monitor does not know; it keeps
    // that byte.
    const bool unknownFlow = r.m_nFlowControl == kFlowUnknown;
    r.m_nFlowControl = fdp.ConsumeIntegralInRange<int>(0, unknownFlow ? kFlowUnknown : kFlowUnknown - 1);
    for (const FlagDef &f : kFlags)
        r.*f.member = fdp.ConsumeBool();
    r.m_nVendorId = fdp.ConsumeIntegral<quint16>();
    r.m_nProductId = fdp.ConsumeIntegral<quint16>();
    r.m_strManufacturer = Latin1Text(fdp, 130);
    r.m_strProduct = Latin1Text(fdp, 70);
    r.m_strString3 = Latin1Text(fdp, 20);
    QString prefix = Latin1Text(fdp, 4);
    // Writing keeps the old bytes behind a shorter prefix; read back, they fill it up again.
    r.m_strDirPrefix = prefix + r.m_strDirPrefix.mid(prefix.size());
    // The version code goes into the version text as the wizard merges it; the result may no
    // longer fit its 16 bytes.
    if (fdp.ConsumeBool()) {
        // Three characters as the code page lets them through: capitals, digits, the full stop
        // and Latin-1 capitals.
        static const QString kCodeChars = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.\u00C9\u00DC");
        QString code;
        for (int i = 0; i < 3; ++i)
            code.append(kCodeChars.at(fdp.ConsumeIntegralInRange<qsizetype>(0, kCodeChars.size() - 1)));
        r.m_strVersion = SettingsText::MergeVersionCode(r.m_strVersion, code);
    }
}

bool UsbTooLong(const CFirmwareRecord &r)
{
    const quint8 *p = r.Image() + r.ImageBase();
    return (r.m_nFirmwareType & kUsbSlaveTypes) && p[kStringArea] == kLanguageDescriptorLength
           && r.m_strManufacturer.size() + r.m_strProduct.size() + r.m_strString3.size() > kMaxUsbStringChars;
}

// The kind a file loads as, judged from its bytes alone, or -1 when loading must refuse it
// before looking at the version text.
int RecognisedKind(const QByteArray &file)
{
    const qsizetype n = file.size();
    if (n != kBldLength && n != kRomLength && n != kUpgradeLength)
        return -1;
    const auto signatureAt = [&file](int offset) {
        return std::equal(kSignature.begin(), kSignature.end(), file.constData() + offset,
                          [](std::uint8_t a, char b) { return a == std::uint8_t(b); });
    };
    // An upgrade header must be followed by a ROM image of its own.
    if (n == kUpgradeLength && signatureAt(kHeaderSignature) && file.at(kHeaderCodeType) == CodeMain) {
        const bool image =
            signatureAt(kHeaderSize + kImageSignature) && file.at(kHeaderSize + kImageCodeType) == CodeRomImage;
        return image ? KindUpgrade : -1;
    }
    if (signatureAt(kImageSignature) && file.at(kImageCodeType) == CodeRomImage)
        return n == kBldLength ? KindBld : KindRom;
    return -1;
}

// Writes `r` to `path`, then loads the file into a new record. A file that is recognised as
// the kind the record now has must load with exactly the settings that were written.
void WriteAndReload(CFirmwareRecord &r, UiRecorder &ui, const QString &path, int expectedKind, bool stringsEdited,
                    const QString &loadedVersion)
{
    // Strings over the limit are refused when they were changed; as loaded, they are kept.
    const bool tooLong = (UsbTooLong(r) && stringsEdited) || r.m_strVersion.size() > kVersionTextSize;
    const FileResult written = r.WriteFirmware(path);
    FUZZ_CHECK(ui.waitDepth == 0);
    if (tooLong) {
        FUZZ_CHECK(written == FileResult::Refused);
        return;
    }
    FUZZ_CHECK(written == FileResult::Done);
    FUZZ_CHECK(r.m_nFileKind == expectedKind);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    FUZZ_CHECK(bytes.size() == r.m_nFileLength);
    FUZZ_CHECK(std::memcmp(bytes.constData(), r.Image(), size_t(bytes.size())) == 0);

    UiRecorder again(UiRecorder::Recording);
    CFirmwareRecord reloaded(&again);
    const FileResult result = reloaded.LoadFirmware(path);
    FUZZ_CHECK(result == FileResult::Done || result == FileResult::Refused);
    if (RecognisedKind(bytes) != r.m_nFileKind)
        return;
    // A version text whose release digits sit where the merged code now stands (as in
    // "0QLYT1x" becoming "0-ABCQLYT1x") reads as another release; loading may refuse it, for
    // its version and nothing else. A refused load leaves the record as it was, so the
    // refusal is known by its message.
    if (result == FileResult::Refused && r.m_strVersion != loadedVersion && again.messages.size() == 1
        && again.messages.first().caption == QStringLiteral("Firmware Version Error")
        && again.messages.first().text.startsWith(QStringLiteral("Firmware version ")))
        return;
    FUZZ_CHECK(result == FileResult::Done);
    FUZZ_CHECK(reloaded.m_nFileKind == r.m_nFileKind);
    FUZZ_CHECK(reloaded.m_nFirmwareType == r.m_nFirmwareType);
    FUZZ_CHECK(reloaded.m_strVersion == r.m_strVersion);
    FUZZ_CHECK(Same(Take(reloaded), Take(r)));
    ++g_stats.rewritten;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Workspace &w = Work();
    {
        QFile f(w.input);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }

    ++g_stats.inputs;
    UiRecorder ui(UiRecorder::Silent);  // answers Yes, keeps counts only
    CFirmwareRecord rec(&ui);
    const FileResult loaded = rec.LoadFirmware(w.input);
    FUZZ_CHECK(ui.waitDepth == 0);
    FUZZ_CHECK(loaded == FileResult::Done || (loaded == FileResult::Refused && ui.messageCount == 1));
    if (loaded != FileResult::Done)
        return 0;
    ++g_stats.loaded;
    FUZZ_CHECK(rec.m_nFileLength == int(size));
    FUZZ_CHECK(rec.m_strVersion.size() <= kVersionTextSize);

    const QStringList loadedStrings{rec.m_strManufacturer, rec.m_strProduct, rec.m_strString3};
    const QString loadedVersion = rec.m_strVersion;
    FuzzedDataProvider fdp(data, size);
    Edit(rec, fdp);
    const bool stringsEdited = QStringList{rec.m_strManufacturer, rec.m_strProduct, rec.m_strString3} != loadedStrings;

    const int kind = rec.m_nFileKind;
    WriteAndReload(rec, ui, w.bin, kind, stringsEdited, loadedVersion);
    WriteAndReload(rec, ui, w.rom, KindRom, stringsEdited, loadedVersion);
    WriteAndReload(rec, ui, w.quf, KindUpgrade, stringsEdited, loadedVersion);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed)
{
    std::minstd_rand rng(seed);
    static constexpr size_t kLengths[] = {size_t(kBldLength), size_t(kRomLength), size_t(kUpgradeLength)};

    // Mostly mutate a field area that loading reads; sometimes the whole input.
    const size_t base = (size == size_t(kUpgradeLength) && rng() % 4 != 0) ? size_t(kHeaderSize) : 0;
    struct Window {
        size_t offset, length;
    };
    const Window windows[] = {
        {0, 0x80},                                                                  // header and signature
        {base + kVersionText, size_t(kDirPrefix + kDirPrefixSize - kVersionText)},  // version and parameters
        {base + kStringArea, size_t(kProductId + 2 - kStringArea)},                 // USB descriptors
    };
    const unsigned choice = rng() % 8;
    if (choice < 3 && windows[choice].offset + windows[choice].length <= size) {
        const Window &win = windows[choice];
        LLVMFuzzerMutate(data + win.offset, win.length, win.length);
    } else {
        size = LLVMFuzzerMutate(data, size, maxSize);
    }

    // Most inputs get a firmware length; growing fills with zeros.
    const unsigned shape = rng() % 8;
    if (shape < 6) {
        const size_t want = kLengths[shape % 3];
        if (want <= maxSize) {
            if (want > size)
                std::memset(data + size, 0, want - size);
            size = want;
        }
    } else if (shape == 6 && size >= size_t(kImageCodeType) + 1) {
        // Plant a signature, so the checks after it are reached from any input.
        const bool header = rng() % 2;
        const size_t at = header ? size_t(kHeaderSignature) : size_t(kImageSignature);
        std::copy(kSignature.begin(), kSignature.end(), data + at);
        data[at + kSignatureSize] = header ? quint8(CodeMain) : quint8(CodeRomImage);
    }
    return size;
}
