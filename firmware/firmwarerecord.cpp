#include "firmwarerecord.h"

// Std
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

#include "fileerror.h"
#include "filename.h"
#include "firmwareui.h"
#include "fits.h"
#include "flags.h"
#include "layout.h"
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

}  // namespace

// The image as read from a file, before it is judged.
struct CFirmwareRecord::Loaded {
    std::unique_ptr<quint8[]> image;  // kBufferSize bytes, zero past the file
    int length = 0;
    int kind = KindRom;
    int codeType = CodeRomImage;
};

namespace {

bool MatchSignature(const quint8 *image, int offset)
{
    static_assert(kHeaderSignature + int(kSignatureSize) <= kBldLength);
    static_assert(kImageSignature + int(kSignatureSize) <= kBldLength);
    static_assert(kHeaderSize + kImageCodeType < kBufferSize);
    Q_ASSERT(offset >= 0 && offset + int(kSignatureSize) <= kBufferSize);
    return std::memcmp(image + offset, kSignature.data(), kSignatureSize) == 0;
}

// The UART settings and the flags, from the parameter block of the image at `p`.
void DecodeParameters(const quint8 *p, Settings &s)
{
    const std::uint32_t code =
        std::uint32_t(p[kDivisor]) | std::uint32_t(p[kDivisor + 1]) << 8 | std::uint32_t(p[kDivisor + 2]) << 16;
    s.m_nBaudRate = BaudRateForCode(code);

    const quint8 line = p[kLineFormat];
    s.m_nDataBits = (line & kLineSevenBits) ? 7 : 8;
    s.m_nStopBits = (line & kLineTwoStopBits) ? 2 : 1;
    s.m_nParity = !(line & kLineParity) ? 0 : (line & kLineEvenParity) ? 2 : 1;

    switch (p[kFlowControl]) {
    case 0x00: s.m_nFlowControl = kFlowNone; break;
    case 0x01: s.m_nFlowControl = kFlowCtsRts; break;
    case 0x02: s.m_nFlowControl = kFlowDtrDsr; break;
    case 0x04: s.m_nFlowControl = kFlowXonXoff; break;
    default: s.m_nFlowControl = kFlowUnknown; break;
    }

    for (const FlagDef &f : kFlags)
        s.*f.member = p[f.byte] & f.mask;
}

// Reads the string descriptor at image offset `pos` of the image at `p` and moves `pos` past it.
// Nothing outside the string area is read: a descriptor that runs past its end keeps the
// characters that lie inside and sets `stop`, so no further descriptor is read.
QString ReadStringDescriptor(const quint8 *p, int &pos, bool &stop)
{
    QString text;
    if (pos + 2 > kStringAreaEnd) {
        stop = true;
        return text;
    }
    const int length = p[pos];
    pos += 2;  // length and type bytes; the type is not checked
    // A length byte of 0 or 1 gives no units.
    const int units = (length - 2) / 2;
    for (int i = 0; i < units; ++i) {
        if (pos + 2 > kStringAreaEnd) {
            stop = true;
            return text;
        }
        text.append(QChar(p[pos]));  // low byte of the code unit
        pos += 2;
    }
    return text;
}

// The three strings as the image at `p` holds them; empty ones after a descriptor that ran past
// the string area.
std::array<QString, kStringDescriptorCount> ReadUsbStrings(const quint8 *p)
{
    std::array<QString, kStringDescriptorCount> texts;
    int pos = kFirstString;
    bool stop = false;
    for (QString &t : texts) {
        if (stop)
            break;
        t = ReadStringDescriptor(p, pos, stop);
    }
    return texts;
}

void DecodeUsb(const quint8 *p, Settings &s)
{
    s.m_bHasUsbIds = HasUsbIdRoom(p);
    s.m_bHasUsbStrings = HasUsbStringRoom(p);
    s.m_strManufacturer.clear();
    s.m_strProduct.clear();
    s.m_strString3.clear();
    if (s.m_bHasUsbIds) {
        s.m_nVendorId = p[kVendorId] | p[kVendorId + 1] << 8;
        s.m_nProductId = p[kProductId] | p[kProductId + 1] << 8;
    }
    if (s.m_bHasUsbStrings) {
        const auto texts = ReadUsbStrings(p);
        s.m_strManufacturer = texts[0];
        s.m_strProduct = texts[1];
        s.m_strString3 = texts[2];
    }
}

qsizetype UsbStringsLength(const Settings &s)
{
    return s.m_strManufacturer.size() + s.m_strProduct.size() + s.m_strString3.size();
}

void EncodeParameters(const Settings &s, quint8 *p)
{
    const std::uint32_t code = CodeForBaudRate(s.m_nBaudRate);
    p[kDivisor] = quint8(code);
    p[kDivisor + 1] = quint8(code >> 8);
    p[kDivisor + 2] = quint8(code >> 16);

    quint8 line = 0;
    if (s.m_nDataBits == 7)
        line |= kLineSevenBits;
    if (s.m_nStopBits == 2)
        line |= kLineTwoStopBits;
    if (s.m_nParity > 0)
        line |= kLineParity;
    if (s.m_nParity == 2)
        line |= kLineEvenParity;
    p[kLineFormat] = line;

    // Value n is stored as bit n - 1. An unknown setting keeps the byte the file holds: nobody
    // chose a flow control, so the one the monitor reads stays as it was. Values the pages cannot
    // produce are kept inside the byte rather than shifted out of it.
    const int flow = s.m_nFlowControl;
    if (flow != kFlowUnknown)
        p[kFlowControl] = (flow <= 0 || flow > 8) ? 0 : quint8(1u << (flow - 1));

    // The bits no flag uses are written as 0.
    p[kInitByte] = 0;
    p[kOptionByte] = 0;
    for (const FlagDef &f : kFlags) {
        if (s.*f.member)
            p[f.byte] |= f.mask;
    }
}

void EncodeUsb(const Settings &s, quint8 *p, bool strings)
{
    if (HasUsbIdRoom(p)) {
        p[kVendorId] = quint8(s.m_nVendorId);
        p[kVendorId + 1] = quint8(s.m_nVendorId >> 8);
        p[kProductId] = quint8(s.m_nProductId);
        p[kProductId + 1] = quint8(s.m_nProductId >> 8);
    }
    if (!strings || !HasUsbStringRoom(p))
        return;

    // CheckFits has made sure that the three strings fit before kStringAreaEnd.
    Q_ASSERT(UsbStringsFit(UsbStringsLength(s)));
    int pos = kFirstString;
    for (const QString *t : {&s.m_strManufacturer, &s.m_strProduct, &s.m_strString3}) {
        p[pos++] = quint8((t->size() + 1) * 2);
        p[pos++] = kStringDescriptorType;
        for (QChar c : *t) {
            p[pos++] = quint8(c.unicode());
            p[pos++] = 0;
        }
    }
    std::fill(p + pos, p + kStringAreaEnd, quint8(0));
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

QString CFirmwareRecord::Quoted(const QString &text) const
{
    return m_pUi ? m_pUi->Quoted(text) : text;
}

// A failed file operation in words, naming its path as the user interface quotes it: every such
// message of loading and writing is formed here.
QString CFirmwareRecord::Described(const FileError::Cause &cause) const
{
    return FileError::Describe(cause.problem, Quoted(cause.path), cause.systemText);
}

FileResult CFirmwareRecord::Refuse(const FileError::Cause &cause, const QString &caption) const
{
    return Refuse(Described(cause), caption);
}

FileResult CFirmwareRecord::Refuse(const QString &text, const QString &caption) const
{
    if (m_pUi)
        m_pUi->ShowMessage(text, caption);
    return FileResult::Refused;
}

// The buffer for a file of `size` bytes, its kind judged by the length alone: nothing when no
// firmware file is that long.
std::optional<QString> CFirmwareRecord::Prepare(qint64 size, Loaded &in) const
{
    if (size == kBldLength) {
        in.kind = KindBld;
    } else if (size != kRomLength && size != kUpgradeLength) {
        return QStringLiteral("File not recognised as Norvale Firmware");
    }
    in.length = int(size);
    // The file fills the buffer's first `size` bytes; the bytes past a shorter file are zeros.
    in.image.reset(new (std::nothrow) quint8[kBufferSize]);
    if (!in.image)
        return QStringLiteral("Low on resources");
    std::fill(in.image.get() + size, in.image.get() + kBufferSize, quint8(0));
    return std::nullopt;
}

FileResult CFirmwareRecord::LoadFirmware(const QString &path)
{
    WaitScope wait(m_pUi);

    if (!m_strSourceFile.isEmpty() && SamePath(path, m_strSourceFile))
        return FileResult::Unchanged;

    // Everything is judged and decoded on the side; the record takes the file only once it is
    // known to be good.
    Loaded in;

    // Opened without waiting and checked on the open file: a pipe, a device or a folder is
    // refused whatever stood at the name before.
    CSourceFile file;
    if (const std::optional<FileError::Problem> problem = file.Open(path))
        return Refuse({*problem, path, file.ErrorText()}, IFirmwareUi::kCaptionOpenSource);

    if (const std::optional<QString> problem = Prepare(file.Size(), in))
        return Refuse(*problem, IFirmwareUi::kCaptionFileFormat);

    const qint64 got = file.Read(reinterpret_cast<char *>(in.image.get()), in.length);
    if (got < 0) {
        return Refuse({FileError::Problem::ReadFailed, path, file.ErrorText()}, IFirmwareUi::kCaptionReadSource);
    }
    if (got != in.length)
        return Refuse({FileError::Problem::Shrunk, path, QString()}, IFirmwareUi::kCaptionReadSource);
    file.Close();
    return Decode(in, path);
}

FileResult CFirmwareRecord::LoadFirmwareData(QByteArrayView data, const QString &name)
{
    WaitScope wait(m_pUi);
    Loaded in;
    if (const std::optional<QString> problem = Prepare(data.size(), in))
        return Refuse(*problem, IFirmwareUi::kCaptionFileFormat);
    std::copy(data.begin(), data.end(), in.image.get());
    return Decode(in, name);
}

FileResult CFirmwareRecord::Decode(Loaded &in, const QString &path)
{
    // An upgrade header carries the signature at its start and code type 1, and the image
    // behind it is a ROM image of its own; an image carries it at image offset 0x30 with code
    // type 0. Only a file of the upgrade length has room for the header and a whole image: a
    // shorter one is judged by its image signature, so that it can never be written back with
    // part of its image missing. Everything is judged from this file alone.
    const quint8 *image = in.image.get();
    if (in.length == kUpgradeLength && MatchSignature(image, kHeaderSignature) && image[kHeaderCodeType] == CodeMain) {
        in.codeType = CodeMain;
        if (!MatchSignature(image, kHeaderSize + kImageSignature)
            || image[kHeaderSize + kImageCodeType] != CodeRomImage)
            return Refuse(QStringLiteral("File format not supported"), IFirmwareUi::kCaptionFirmwareFormat);
        in.kind = KindUpgrade;
    } else if (!MatchSignature(image, kImageSignature) || image[kImageCodeType] != CodeRomImage) {
        return Refuse(QStringLiteral("File format not supported"), IFirmwareUi::kCaptionFirmwareFormat);
    }

    const quint8 *p = image + (in.kind == KindUpgrade ? kHeaderSize : 0);
    QString version;
    for (int i = 0; i < kVersionTextSize && p[kVersionText + i] != 0; ++i)
        version.append(QChar(p[kVersionText + i]));

    const int firmwareType = FirmwareTypeOf(version);
    int versionNumber = 0;
    if (version.size() >= kMinVersionTextLength) {
        const auto digit = [&version](int i) { return version.at(i).unicode() - u'0'; };
        versionNumber = 1000 * digit(0) + 100 * digit(1) + 10 * digit(3) + digit(4);
    }
    if (versionNumber < kMinVersionNumber || firmwareType == TypeNone) {
        return Refuse(QStringLiteral("Firmware version %1 not supported").arg(Quoted(version)),
                      IFirmwareUi::kCaptionVersion);
    }

    const quint8 params = p[kParamsVersion];
    if (params != kParamsVersionKnown) {
        return Refuse(QStringLiteral("Parameters version 0x%1 not supported").arg(QString::number(params, 16)),
                      IFirmwareUi::kCaptionFileFormat);
    }

    // The members a firmware type does not carry (the USB identity, the prefix) keep the values
    // they had.
    Settings decoded = *this;
    decoded.m_nFileKind = in.kind;
    decoded.m_nCodeType = in.codeType;
    decoded.m_nFirmwareType = firmwareType;
    decoded.m_strVersion = version;
    decoded.m_bHasUsbIds = false;
    decoded.m_bHasUsbStrings = false;
    DecodeParameters(p, decoded);
    if (firmwareType & kUsbSlaveTypes)
        DecodeUsb(p, decoded);
    if (firmwareType & kDirPrefixTypes) {
        decoded.m_strDirPrefix.clear();
        for (int i = 0; i < kDirPrefixSize; ++i)
            decoded.m_strDirPrefix.append(QChar(p[kDirPrefix + i]));
    }

    static_cast<Settings &>(*this) = decoded;
    m_pImage = std::move(in.image);
    m_nFileLength = in.length;
    m_nVersionNumber = versionNumber;
    m_strSourceFile = path;
    return FileResult::Done;
}

// Refuses what does not fit before anything changes (and a record with no image at all): a
// version text cut short would lose its
// type code, and strings would spill past the descriptor area. Strings that the image itself
// holds beyond that room are kept as they are (`encodeStrings` false).
bool CFirmwareRecord::CheckFits(bool &encodeStrings) const
{
    encodeStrings = true;
    if (!m_pImage) {
        Refuse(QStringLiteral("Low on resources"), IFirmwareUi::kCaptionFileFormat);
        return false;
    }
    if (!VersionTextFits(m_strVersion.size())) {
        Refuse(QStringLiteral("Firmware version %1 too long: at most %2 characters fit")
                   .arg(Quoted(m_strVersion))
                   .arg(kVersionTextSize),
               IFirmwareUi::kCaptionFileFormat);
        return false;
    }
    const quint8 *p = m_pImage.get() + ImageBase();
    if ((m_nFirmwareType & kUsbSlaveTypes) && HasUsbStringRoom(p) && !UsbStringsFit(UsbStringsLength(*this))) {
        const auto inImage = ReadUsbStrings(p);
        if (m_strManufacturer != inImage[0] || m_strProduct != inImage[1] || m_strString3 != inImage[2]) {
            Refuse(QStringLiteral("USB strings too long: at most %1 characters fit").arg(kMaxUsbStringChars),
                   IFirmwareUi::kCaptionFileFormat);
            return false;
        }
        encodeStrings = false;
    }
    return true;
}

// Writes the settings into `image`, a copy of the record's image (where the file holds it: past
// an upgrade file's header).
void CFirmwareRecord::Encode(quint8 *image, bool encodeStrings) const
{
    quint8 *p = image;
    if (p[kParamsVersion] == kParamsVersionKnown)
        EncodeParameters(*this, p);
    Layout::WriteVersion(p + kVersionText, m_strVersion);
    if (m_nFirmwareType & kUsbSlaveTypes)
        EncodeUsb(*this, p, encodeStrings);
    if (m_nFirmwareType & kDirPrefixTypes) {
        // A shorter prefix writes the characters it has and leaves the other bytes alone.
        const int n = int(std::min<qsizetype>(m_strDirPrefix.size(), kDirPrefixSize));
        for (int i = 0; i < n; ++i)
            p[kDirPrefix + i] = quint8(m_strDirPrefix.at(i).unicode());
    }
}

// Asks before a file is replaced, then saves (or, for a check, probes) `target`, resolved from
// `path`. The check goes the way of the save up to the writing, through the same calls, in the
// real folder: every refusal of the save is the check's. Done when the file was written (and,
// for the save, whether something after its naming failed, in m_bWriteProblem).
FileResult CFirmwareRecord::ConfirmAndSave(const QString &path, SaveFile::Target &target, const quint8 *data,
                                           int length, WriteMode mode)
{
    const SaveFile::Mode saveMode = mode == WriteMode::Save ? SaveFile::Mode::Save : SaveFile::Mode::Probe;
    SaveFile::Result result;
    for (int attempt = 0;; ++attempt) {
        if (target.refusal)
            return Refuse(*target.refusal, IFirmwareUi::kCaptionOpenTarget);
        if (target.exists
            && !(m_pUi
                 && m_pUi->AskYesNo(QStringLiteral("Overwrite file ") + Quoted(FileName::LastPart(target.name)),
                                    IFirmwareUi::kCaptionExists)))
            return FileResult::Refused;
        result = SaveFile::Save(target, reinterpret_cast<const char *>(data), length, saveMode);
        if (result.outcome != SaveFile::Outcome::Exists || attempt > 0)
            break;
        // Another file took the name while this one was being written: look and ask again, once.
        target = SaveFile::Resolve(path);
    }

    // What the save says, naming the target as the user gave it.
    QString text;
    QString caption;
    bool written = false;
    switch (result.outcome) {
    case SaveFile::Outcome::Saved: written = true; break;
    case SaveFile::Outcome::OpenFailed:
    case SaveFile::Outcome::Exists: caption = IFirmwareUi::kCaptionOpenTarget; break;
    case SaveFile::Outcome::WriteFailed: caption = IFirmwareUi::kCaptionWriteTarget; break;
    case SaveFile::Outcome::NotFlushed:
    case SaveFile::Outcome::FolderNotFlushed:
        // It has its name and its bytes: written, but not known to be on disk. Never said to be
        // as it was.
        written = true;
        caption = IFirmwareUi::kCaptionFlushTarget;
        text = FileError::DescribeUnflushed(
            Quoted(result.cause.path), result.outcome == SaveFile::Outcome::FolderNotFlushed, result.cause.systemText);
        break;
    }
    if (!written)
        text = Described(result.cause);
    if (!result.leftover.isEmpty()) {
        const QString told = FileError::DescribeLeftover(Quoted(result.leftover), result.leftoverText);
        text = text.isEmpty() ? told : text + QLatin1Char(' ') + told;
        if (caption.isEmpty())
            caption = IFirmwareUi::kCaptionTemporary;
    }
    m_bWriteProblem = written && !text.isEmpty();
    if (!text.isEmpty())
        Refuse(text, caption);
    // A check that left a file behind has changed the folder: it failed.
    return written && !(mode == WriteMode::Check && m_bWriteProblem) ? FileResult::Done : FileResult::Refused;
}

// The settings encoded into a copy of the image, converted to the layout of `targetKind` (-1
// keeps the record's): what a save of the record writes. A failed or declined save leaves the
// record's buffer as it was.
std::unique_ptr<quint8[]> CFirmwareRecord::Encoded(int targetKind, bool encodeStrings, int &kind, int &length) const
{
    std::unique_ptr<quint8[]> copy(new (std::nothrow) quint8[kBufferSize]);
    if (!copy) {
        Refuse(QStringLiteral("Low on resources"), IFirmwareUi::kCaptionFileFormat);
        return copy;
    }
    const quint8 *from = m_pImage.get();
    quint8 *to = copy.get();
    Layout::Buffer out{to, m_nFileKind, m_nFileLength};
    // Between an upgrade file and a ROM image the image moves by a header's length: it is copied
    // straight to its place in the new layout instead of copied, then moved.
    if (m_nFileKind == KindUpgrade && targetKind == KindRom) {
        // The buffer as the move leaves it: the image at the start, the bytes past it as they were.
        std::copy(from + kHeaderSize, from + kHeaderSize + kRomLength, to);
        std::copy(from + kRomLength, from + kBufferSize, to + kRomLength);
        out = {to, KindRom, kRomLength};
    } else if (m_nFileKind == KindRom && targetKind == KindUpgrade) {
        // The header in front is written whole by the conversion below.
        std::copy(from, from + kRomLength, to + kHeaderSize);
        out = {to, KindUpgrade, kUpgradeLength};
    } else {
        std::copy(from, from + kBufferSize, to);
    }
    Encode(to + (out.kind == KindUpgrade ? kHeaderSize : 0), encodeStrings);
    Layout::ConvertTo(out, targetKind, m_strVersion);
    kind = out.kind;
    length = out.length;
    return copy;
}

// The record takes the image it has written, in the layout it was written in.
void CFirmwareRecord::Take(std::unique_ptr<quint8[]> image, int kind, int length, const QString &target)
{
    m_pImage = std::move(image);
    m_nFileKind = kind;
    m_nFileLength = length;
    m_strTargetFile = target;
}

FileResult CFirmwareRecord::WriteFirmware(const QString &path, WriteMode mode)
{
    WaitScope wait(m_pUi);
    m_bWriteProblem = false;

    bool encodeStrings = true;
    if (!CheckFits(encodeStrings))
        return FileResult::Refused;

    // Where the file goes, looked at once: the name it gets (Windows drops trailing dots and
    // spaces), the layout its extension asks for, and what stands there. A check builds the same
    // file.
    SaveFile::Target target = SaveFile::Resolve(path);
    int kind = 0;
    int length = 0;
    std::unique_ptr<quint8[]> copy = Encoded(target.layout, encodeStrings, kind, length);
    if (!copy)
        return FileResult::Refused;
    if (ConfirmAndSave(path, target, copy.get(), length, mode) != FileResult::Done)
        return FileResult::Refused;
    if (mode == WriteMode::Check)
        return FileResult::Done;
    Take(std::move(copy), kind, length, target.name);
    return FileResult::Done;
}

FileResult CFirmwareRecord::WriteFirmwareData(int kind, const QString &name, QByteArray &file, WriteMode mode)
{
    WaitScope wait(m_pUi);
    m_bWriteProblem = false;
    bool encodeStrings = true;
    if (!CheckFits(encodeStrings))
        return FileResult::Refused;
    int outKind = 0;
    int length = 0;
    std::unique_ptr<quint8[]> copy = Encoded(kind, encodeStrings, outKind, length);
    if (!copy)
        return FileResult::Refused;
    file = QByteArray(reinterpret_cast<const char *>(copy.get()), length);
    if (mode == WriteMode::Save)
        Take(std::move(copy), outKind, length, name);
    return FileResult::Done;
}
