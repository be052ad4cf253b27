#include "firmwarerecord.h"

// Std
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

// Qt
#include <QFileInfo>

#include "fileerror.h"
#include "filename.h"
#include "firmwareui.h"
#include "fits.h"
#include "flags.h"
#include "reflasher.h"
#include "savefile.h"
#include "sourcefile.h"

using namespace Firmware;

namespace {

// The wait cursor for the length of one operation.
class WaitScope
{
public:
    explicit WaitScope(IFirmwareUi *ui) : m_ui(ui)
    {
        if (m_ui)
            m_ui->BeginWait();
    }
    ~WaitScope()
    {
        if (m_ui)
            m_ui->EndWait();
    }
    WaitScope(const WaitScope &) = delete;
    WaitScope &operator=(const WaitScope &) = delete;

private:
    IFirmwareUi *m_ui;
};

int FirmwareTypeOf(const QString &version)
{
    // The type code runs from the last Q up to, not including, the last character.
    const qsizetype q = version.lastIndexOf(QLatin1Char('Q'));
    if (q <= 0)
        return TypeNone;
    const QString code = version.mid(q, version.size() - q - 1);
    for (const FirmwareTypeCode &t : kFirmwareTypes) {
        if (code == QLatin1String(t.code.data(), qsizetype(t.code.size())))
            return t.type;
    }
    return TypeNone;
}

void WriteVersion(quint8 *dest, const QString &version)
{
    const int n = int(std::min<qsizetype>(version.size(), kVersionTextSize));
    for (int i = 0; i < n; ++i)
        dest[i] = quint8(version.at(i).unicode());
    // A shorter text ends at a zero byte; without it the tail of a longer earlier text would
    // read as part of the new one. The bytes after the terminator stay as they were.
    if (n < kVersionTextSize)
        dest[n] = 0;
}

// A buffer of kBufferSize bytes with the kind and length of the file it holds.
struct Layout {
    quint8 *buf;
    int kind;
    int length;
};

void ToUpgradeFile(Layout &l, const QString &version)
{
    const int wasKind = l.kind;
    if (wasKind != KindUpgrade) {
        std::memmove(l.buf + kHeaderSize, l.buf, kRomLength);
        l.length = kUpgradeLength;
    }
    std::fill(l.buf, l.buf + kHeaderSize, quint8(0));
    std::copy(kSignature.begin(), kSignature.end(), l.buf + kHeaderSignature);
    l.buf[kHeaderCodeType] = CodeMain;
    WriteVersion(l.buf + kHeaderVersion, version);
    l.buf[kHeaderMarker] = kHeaderMarkerValue;
    if (wasKind == KindBld)
        std::fill(l.buf + kHeaderSize + kReflasherOffset, l.buf + kUpgradeLength, quint8(0));
    l.kind = KindUpgrade;
}

void ToRomImage(Layout &l)
{
    if (l.kind == KindRom)
        return;
    if (l.kind == KindUpgrade)
        std::memmove(l.buf, l.buf + kHeaderSize, kRomLength);
    else if (l.kind == KindBld)
        std::copy(kReflasherBlock.begin(), kReflasherBlock.end(), l.buf + kReflasherOffset);
    l.length = kRomLength;
    l.kind = KindRom;
}

void Convert(Layout &l, int targetKind, const QString &version)
{
    // A name without ".ROM" or ".QUF" keeps the layout; an upgrade file written as ".QUF"
    // again gets a fresh header.
    switch (targetKind) {
    case KindRom: ToRomImage(l); break;
    case KindUpgrade: ToUpgradeFile(l, version); break;
    default: break;
    }
}

}  // namespace

CFirmwareRecord::CFirmwareRecord(IFirmwareUi *ui) : m_pUi(ui) {}

CFirmwareRecord::~CFirmwareRecord() = default;

bool CFirmwareRecord::SamePath(const QString &a, const QString &b)
{
    // Windows and macOS file systems ignore letter case; Linux ones do not, and there two
    // names that differ in case are two files.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    constexpr Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return a.compare(b, cs) == 0;
}

int CFirmwareRecord::KindForTarget(const QString &path, int fileKind)
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

int CFirmwareRecord::Refuse(const QString &text, const QString &caption)
{
    if (m_pUi)
        m_pUi->ShowMessage(text, caption);
    return -1;
}

bool CFirmwareRecord::MatchSignature(int offset) const
{
    static_assert(kHeaderSignature + int(kSignatureSize) <= kBldLength);
    static_assert(kImageSignature + int(kSignatureSize) <= kBldLength);
    static_assert(kHeaderSize + kImageCodeType < kBufferSize);
    Q_ASSERT(offset >= 0 && offset + int(kSignatureSize) <= kBufferSize);
    return std::memcmp(m_pImage.get() + offset, kSignature.data(), kSignatureSize) == 0;
}

int CFirmwareRecord::LoadFirmware(const QString &path)
{
    WaitScope wait(m_pUi);

    if (!m_strSourceFile.isEmpty() && SamePath(path, m_strSourceFile))
        return 0;

    m_strSourceFile = path;
    m_nFileKind = KindRom;

    // Opened without waiting and checked on the open file: a pipe, a device or a folder is
    // refused whatever stood at the name before.
    CSourceFile file;
    if (const std::optional<FileError::Problem> problem = file.Open(path))
        return Refuse(FileError::Describe(*problem, path), IFirmwareUi::kCaptionOpenSource);

    const qint64 size = file.Size();
    m_nFileLength = int(std::min<qint64>(size, std::numeric_limits<int>::max()));
    if (size == kBldLength) {
        m_nFileKind = KindBld;
    } else if (size != kRomLength && size != kUpgradeLength) {
        return Refuse(QStringLiteral("File not recognised as Norvale Firmware"), IFirmwareUi::kCaptionFileFormat);
    }

    m_pImage.reset();
    // Zero-filled, so the bytes past a shorter file are defined.
    m_pImage.reset(new (std::nothrow) quint8[kBufferSize]());
    if (!m_pImage)
        return Refuse(QStringLiteral("Low on resources"), IFirmwareUi::kCaptionFileFormat);

    const qint64 got = file.Read(reinterpret_cast<char *>(m_pImage.get()), m_nFileLength);
    if (got != m_nFileLength) {
        // A file cut short while it was read fails like a failed read.
        const int err = got < 0 ? file.Error() : 0;
        return Refuse(FileError::Describe(FileError::ForTransfer(err), path), IFirmwareUi::kCaptionOpenSource);
    }
    file.Close();

    // An upgrade header carries the signature at its start and code type 1, and the image
    // behind it is a ROM image of its own; an image carries it at image offset 0x30 with code
    // type 0. Only a file of the upgrade length has room for the header and a whole image: a
    // shorter one is judged by its image signature, so that it can never be written back with
    // part of its image missing. Everything is judged from this file alone.
    const auto codeAt = [this](int offset) { return int(m_pImage[offset]); };
    const auto supported = [](int code) { return code >= CodeRomImage && code <= CodeReflash ? code : CodeRomImage; };
    if (m_nFileLength == kUpgradeLength && MatchSignature(kHeaderSignature) && codeAt(kHeaderCodeType) == CodeMain) {
        m_nCodeType = CodeMain;
        if (!MatchSignature(kHeaderSize + kImageSignature) || codeAt(kHeaderSize + kImageCodeType) != CodeRomImage)
            return Refuse(QStringLiteral("File format not supported"), IFirmwareUi::kCaptionFirmwareFormat);
        m_nFileKind = KindUpgrade;
    } else {
        const int code = codeAt(kImageCodeType);
        m_nCodeType = supported(code);
        if (!MatchSignature(kImageSignature) || code != CodeRomImage)
            return Refuse(QStringLiteral("File format not supported"), IFirmwareUi::kCaptionFirmwareFormat);
    }

    const int base = ImageBase();
    m_strVersion.clear();
    for (int i = 0; i < kVersionTextSize; ++i) {
        const quint8 c = m_pImage[base + kVersionText + i];
        if (c == 0)
            break;
        m_strVersion.append(QChar(c));
    }

    m_nFirmwareType = FirmwareTypeOf(m_strVersion);
    if (m_strVersion.size() < kMinVersionTextLength) {
        m_nVersionNumber = 0;
        return Refuse(QStringLiteral("Firmware version %1 not supported").arg(m_strVersion),
                      IFirmwareUi::kCaptionVersion);
    }
    const auto digit = [this](int i) { return m_strVersion.at(i).unicode() - u'0'; };
    m_nVersionNumber = 1000 * digit(0) + 100 * digit(1) + 10 * digit(3) + digit(4);

    if (m_nVersionNumber < kMinVersionNumber || m_nFirmwareType == TypeNone) {
        return Refuse(QStringLiteral("Firmware version %1 not supported").arg(m_strVersion),
                      IFirmwareUi::kCaptionVersion);
    }

    const quint8 params = m_pImage[base + kParamsVersion];
    if (params != kParamsVersionKnown) {
        return Refuse(QStringLiteral("Parameters version 0x%1 not supported").arg(QString::number(params, 16)),
                      IFirmwareUi::kCaptionFileFormat);
    }

    DecodeParameters(base);
    m_bHasUsbIds = false;
    m_bHasUsbStrings = false;
    if (m_nFirmwareType & kUsbSlaveTypes)
        DecodeUsb(base);
    if (m_nFirmwareType & kDirPrefixTypes) {
        m_strDirPrefix.clear();
        for (int i = 0; i < kDirPrefixSize; ++i)
            m_strDirPrefix.append(QChar(m_pImage[base + kDirPrefix + i]));
    }
    return 1;
}

void CFirmwareRecord::DecodeParameters(int base)
{
    const quint8 *p = m_pImage.get() + base;
    const std::uint32_t code =
        std::uint32_t(p[kDivisor]) | std::uint32_t(p[kDivisor + 1]) << 8 | std::uint32_t(p[kDivisor + 2]) << 16;
    m_nBaudRate = BaudRateForCode(code);

    const quint8 line = p[kLineFormat];
    m_nDataBits = (line & kLineSevenBits) ? 7 : 8;
    m_nStopBits = (line & kLineTwoStopBits) ? 2 : 1;
    m_nParity = !(line & kLineParity) ? 0 : (line & kLineEvenParity) ? 2 : 1;

    switch (p[kFlowControl]) {
    case 0x00: m_nFlowControl = kFlowNone; break;
    case 0x01: m_nFlowControl = kFlowCtsRts; break;
    case 0x02: m_nFlowControl = kFlowDtrDsr; break;
    case 0x04: m_nFlowControl = kFlowXonXoff; break;
    default: m_nFlowControl = kFlowUnknown; break;
    }

    for (const FlagDef &f : kFlags)
        this->*f.member = p[f.byte] & f.mask;
}

// Reads one string descriptor at image offset `pos` and moves `pos` past it. Nothing outside
// the string area is read: a descriptor that runs past its end keeps the characters that lie
// inside and sets `stop`, so no further descriptor is read.
QString CFirmwareRecord::ReadStringDescriptors(int base, int &pos, bool &stop) const
{
    QString text;
    if (pos + 2 > kStringAreaEnd) {
        stop = true;
        return text;
    }
    const int length = m_pImage[base + pos];
    pos += 2;  // length and type bytes; the type is not checked
    if (length < 2)
        return text;
    const int units = (length - 2) / 2;
    for (int i = 0; i < units; ++i) {
        if (pos + 2 > kStringAreaEnd) {
            stop = true;
            return text;
        }
        text.append(QChar(m_pImage[base + pos]));  // low byte of the code unit
        pos += 2;
    }
    return text;
}

void CFirmwareRecord::DecodeUsb(int base)
{
    const quint8 *p = m_pImage.get() + base;
    m_strManufacturer.clear();
    m_strProduct.clear();
    m_strString3.clear();

    m_bHasUsbIds = HasUsbIdRoom(p);
    m_bHasUsbStrings = HasUsbStringRoom(p);
    if (m_bHasUsbIds) {
        m_nVendorId = p[kVendorId] | p[kVendorId + 1] << 8;
        m_nProductId = p[kProductId] | p[kProductId + 1] << 8;
    }
    if (m_bHasUsbStrings) {
        int pos = kFirstString;
        bool stop = false;
        QString *texts[kStringDescriptorCount] = {&m_strManufacturer, &m_strProduct, &m_strString3};
        for (QString *t : texts) {
            if (stop)
                break;
            *t = ReadStringDescriptors(base, pos, stop);
        }
    }
}

int CFirmwareRecord::UsbStringsLength() const
{
    return int(m_strManufacturer.size() + m_strProduct.size() + m_strString3.size());
}

void CFirmwareRecord::EncodeParameters(int base)
{
    quint8 *p = m_pImage.get() + base;
    const std::uint32_t code = CodeForBaudRate(m_nBaudRate);
    p[kDivisor] = quint8(code);
    p[kDivisor + 1] = quint8(code >> 8);
    p[kDivisor + 2] = quint8(code >> 16);

    quint8 line = 0;
    if (m_nDataBits == 7)
        line |= kLineSevenBits;
    if (m_nStopBits == 2)
        line |= kLineTwoStopBits;
    if (m_nParity > 0)
        line |= kLineParity;
    if (m_nParity == 2)
        line |= kLineEvenParity;
    p[kLineFormat] = line;

    // Value n is stored as bit n - 1. An unknown setting keeps the byte the file holds: nobody
    // chose a flow control, so the one the monitor reads stays as it was. Values the pages cannot
    // produce are kept inside the byte rather than shifted out of it.
    const int flow = m_nFlowControl;
    if (flow != kFlowUnknown)
        p[kFlowControl] = (flow <= 0 || flow > 8) ? 0 : quint8(1u << (flow - 1));

    // The bits no flag uses are written as 0.
    p[kInitByte] = 0;
    p[kOptionByte] = 0;
    for (const FlagDef &f : kFlags) {
        if (this->*f.member)
            p[f.byte] |= f.mask;
    }
}

// The three strings are exactly what the image's string descriptors hold.
bool CFirmwareRecord::UsbStringsAsInImage(int base) const
{
    if (!HasUsbStringRoom(m_pImage.get() + base))
        return false;
    int pos = kFirstString;
    bool stop = false;
    for (const QString *t : {&m_strManufacturer, &m_strProduct, &m_strString3}) {
        const QString inImage = stop ? QString() : ReadStringDescriptors(base, pos, stop);
        if (*t != inImage)
            return false;
    }
    return true;
}

void CFirmwareRecord::EncodeUsb(int base, bool strings)
{
    quint8 *p = m_pImage.get() + base;
    if (HasUsbIdRoom(p)) {
        p[kVendorId] = quint8(m_nVendorId);
        p[kVendorId + 1] = quint8(m_nVendorId >> 8);
        p[kProductId] = quint8(m_nProductId);
        p[kProductId + 1] = quint8(m_nProductId >> 8);
    }
    if (!strings || !HasUsbStringRoom(p))
        return;

    // WriteFirmware has checked that the three strings fit before kStringAreaEnd.
    Q_ASSERT(UsbStringsFit(UsbStringsLength()));
    int pos = kFirstString;
    for (const QString *t : {&m_strManufacturer, &m_strProduct, &m_strString3}) {
        p[pos++] = quint8((t->size() + 1) * 2);
        p[pos++] = kStringDescriptorType;
        for (QChar c : *t) {
            p[pos++] = quint8(c.unicode());
            p[pos++] = 0;
        }
    }
    std::fill(p + pos, p + kStringAreaEnd, quint8(0));
}

void CFirmwareRecord::WriteVersionText(quint8 *dest) const
{
    WriteVersion(dest, m_strVersion);
}

int CFirmwareRecord::WriteFirmware(const QString &path, WriteMode mode)
{
    WaitScope wait(m_pUi);
    if (!m_pImage)
        return Refuse(QStringLiteral("Low on resources"), IFirmwareUi::kCaptionFileFormat);

    const int base = ImageBase();
    quint8 *p = m_pImage.get() + base;

    // Refuse what does not fit before anything changes: a version text cut short would lose
    // its type code, and strings would spill past the descriptor area. Strings that the image
    // itself holds beyond that room are kept as they are.
    if (!VersionTextFits(m_strVersion.size())) {
        return Refuse(QStringLiteral("Firmware version %1 too long: at most %2 characters fit")
                          .arg(m_strVersion)
                          .arg(kVersionTextSize),
                      IFirmwareUi::kCaptionFileFormat);
    }
    bool encodeStrings = true;
    if ((m_nFirmwareType & kUsbSlaveTypes) && HasUsbStringRoom(p) && !UsbStringsFit(UsbStringsLength())) {
        if (!UsbStringsAsInImage(base)) {
            return Refuse(QStringLiteral("USB strings too long: at most %1 characters fit").arg(kMaxUsbStringChars),
                          IFirmwareUi::kCaptionFileFormat);
        }
        encodeStrings = false;
    }

    // The name the file gets: Windows drops trailing dots and spaces, and its extension decides
    // the layout. A folder, device, pipe or socket is never replaced, and a name the file system
    // would change is never used.
    const QString target = FileName::AsSaved(path);
    if (const std::optional<FileError::Problem> problem = FileError::ForPath(target))
        return Refuse(FileError::Describe(*problem, target), IFirmwareUi::kCaptionOpenTarget);

    const bool save = mode == WriteMode::Save;
    if (save) {
        if (p[kParamsVersion] == kParamsVersionKnown)
            EncodeParameters(base);
        WriteVersionText(p + kVersionText);
        if (m_nFirmwareType & kUsbSlaveTypes)
            EncodeUsb(base, encodeStrings);
        if (m_nFirmwareType & kDirPrefixTypes) {
            // A shorter prefix writes the characters it has and leaves the other bytes alone.
            const int n = int(std::min<qsizetype>(m_strDirPrefix.size(), kDirPrefixSize));
            for (int i = 0; i < n; ++i)
                p[kDirPrefix + i] = quint8(m_strDirPrefix.at(i).unicode());
        }
    }

    // The file is converted in a copy: the record takes the new layout only once it is saved,
    // so a failed attempt leaves it as loaded for the next one. A check converts too, for the
    // length of the file it reserves room for.
    std::unique_ptr<quint8[]> copy(new (std::nothrow) quint8[kBufferSize]);
    if (!copy)
        return Refuse(QStringLiteral("Low on resources"), IFirmwareUi::kCaptionFileFormat);
    std::copy(m_pImage.get(), m_pImage.get() + kBufferSize, copy.get());
    Layout out{copy.get(), m_nFileKind, m_nFileLength};
    Convert(out, KindForTarget(target, -1), m_strVersion);

    // The check goes the way of the save up to the writing, through the same calls, in the real
    // folder: every refusal of the save is the check's.
    const SaveFile::Mode saveMode = save ? SaveFile::Mode::Save : SaveFile::Mode::Probe;
    SaveFile::Result result;
    for (int attempt = 0;; ++attempt) {
        const SaveFile::Target resolved = SaveFile::Resolve(target);
        if (resolved.problem) {
            return Refuse(FileError::Describe(*resolved.problem, resolved.problemPath, resolved.systemText),
                          IFirmwareUi::kCaptionOpenTarget);
        }
        if (resolved.exists
            && !(m_pUi
                 && m_pUi->AskYesNo(QStringLiteral("Overwrite file ") + FileName::LastPart(target),
                                    IFirmwareUi::kCaptionExists)))
            return -1;
        result = SaveFile::Save(resolved.file, reinterpret_cast<const char *>(out.buf), out.length, resolved.exists,
                                saveMode);
        // Another file took the name while this one was being written: look and ask again, once.
        if (result.outcome != SaveFile::Outcome::Exists || attempt > 0)
            break;
    }
    switch (result.outcome) {
    case SaveFile::Outcome::Saved: break;
    case SaveFile::Outcome::OpenFailed:
    case SaveFile::Outcome::Exists:
        return Refuse(FileError::DescribeSaveFailure(result.error, result.systemText, target),
                      IFirmwareUi::kCaptionOpenTarget);
    case SaveFile::Outcome::WriteFailed:
        return Refuse(FileError::DescribeSaveFailure(result.error, result.systemText, target),
                      IFirmwareUi::kCaptionWriteTarget);
    }
    if (!save)
        return 1;

    m_pImage = std::move(copy);
    m_nFileKind = out.kind;
    m_nFileLength = out.length;
    m_strTargetFile = target;
    return 1;
}

int CFirmwareRecord::ConvertToUpgradeFile()
{
    Layout l{m_pImage.get(), m_nFileKind, m_nFileLength};
    ToUpgradeFile(l, m_strVersion);
    m_nFileKind = l.kind;
    m_nFileLength = l.length;
    return 0;
}

int CFirmwareRecord::ConvertToRomImage()
{
    Layout l{m_pImage.get(), m_nFileKind, m_nFileLength};
    ToRomImage(l);
    m_nFileKind = l.kind;
    m_nFileLength = l.length;
    return 0;
}
