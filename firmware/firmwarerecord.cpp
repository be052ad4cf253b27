#include "firmwarerecord.h"

// Std
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

// Qt
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "fileerror.h"
#include "firmwareui.h"
#include "reflasher.h"
#include "settingstext.h"

using namespace Firmware;

namespace {

const QString kCaptionOpenSource = QStringLiteral("Could not open source file");
const QString kCaptionOpenTarget = QStringLiteral("Could not open destination file");
const QString kCaptionWriteTarget = QStringLiteral("Could not write destination file");
const QString kCaptionFileFormat = QStringLiteral("File Format Error");
const QString kCaptionFirmwareFormat = QStringLiteral("Firmware Format Error");
const QString kCaptionVersion = QStringLiteral("Firmware Version Error");
const QString kCaptionExists = QStringLiteral("File Exists");

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
    Q_ASSERT(offset >= 0 && offset + int(kSignatureSize) <= kBufferSize);
    return std::memcmp(m_pImage.get() + offset, kSignature.data(), kSignatureSize) == 0;
}

void CFirmwareRecord::StoreCodeType(int offset)
{
    Q_ASSERT(offset >= 0 && offset < kBufferSize);
    const int code = m_pImage[offset];
    if (code >= CodeRomImage && code <= CodeReflash)
        m_nCodeType = code;
}

int CFirmwareRecord::LoadFirmware(const QString &path)
{
    WaitScope wait(m_pUi);

    if (!m_strSourceFile.isEmpty() && SamePath(path, m_strSourceFile))
        return 0;

    m_strSourceFile = path;
    m_nFileKind = KindRom;

    if (QFileInfo(path).isDir()) {
        return Refuse(FileError::Describe(FileError::Problem::AccessDenied, path),
                      kCaptionOpenSource);
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = FileError::SavedError();
        return Refuse(FileError::Describe(FileError::ForOpen(path, false, err), path),
                      kCaptionOpenSource);
    }

    const qint64 size = file.size();
    m_nFileLength = int(std::min<qint64>(size, std::numeric_limits<int>::max()));
    if (size == kBldLength) {
        m_nFileKind = KindBld;
    } else if (size != kRomLength && size != kUpgradeLength) {
        return Refuse(QStringLiteral("File not recognised as Norvale Firmware"), kCaptionFileFormat);
    }

    m_pImage.reset();
    // Zero-filled, so the bytes past a shorter file are defined.
    m_pImage.reset(new (std::nothrow) quint8[kBufferSize]());
    if (!m_pImage)
        return Refuse(QStringLiteral("Low on resources"), kCaptionFileFormat);

    errno = 0;
    const qint64 got = file.read(reinterpret_cast<char *>(m_pImage.get()), m_nFileLength);
    if (got != m_nFileLength) {
        const int err = FileError::SavedError();
        return Refuse(FileError::Describe(FileError::ForTransfer(err), path), kCaptionOpenSource);
    }
    file.close();

    // An upgrade header carries the signature at its start and code type 1; an image carries
    // it at image offset 0x30 with code type 0. Only a file of the upgrade length has room for
    // the header and a whole image: a shorter one is judged by its image signature, so that it
    // can never be written back with part of its image missing.
    const bool headerMatch = MatchSignature(kHeaderSignature);
    StoreCodeType(kHeaderCodeType);
    if (m_nCodeType == CodeMain && headerMatch && m_nFileLength == kUpgradeLength) {
        m_nFileKind = KindUpgrade;
    } else {
        const bool imageMatch = MatchSignature(kImageSignature);
        StoreCodeType(kImageCodeType);
        if (!imageMatch || m_nCodeType != CodeRomImage)
            return Refuse(QStringLiteral("File format not supported"), kCaptionFirmwareFormat);
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
                      kCaptionVersion);
    }
    const auto digit = [this](int i) { return m_strVersion.at(i).unicode() - u'0'; };
    m_nVersionNumber = 1000 * digit(0) + 100 * digit(1) + 10 * digit(3) + digit(4);

    if (m_nVersionNumber < kMinVersionNumber || m_nFirmwareType == TypeNone) {
        return Refuse(QStringLiteral("Firmware version %1 not supported").arg(m_strVersion),
                      kCaptionVersion);
    }

    const quint8 params = m_pImage[base + kParamsVersion];
    if (params != kParamsVersionKnown) {
        return Refuse(QStringLiteral("Parameters version 0x%1 not supported")
                          .arg(QString::number(params, 16)),
                      kCaptionFileFormat);
    }

    DecodeParameters(base);
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

    const quint8 init = p[kInitByte];
    m_bDisableLedFlash = init & kInitDisableLedFlash;
    m_bShortCommandSet = init & kInitShortCommandSet;
    m_bAsciiInput = init & kInitAsciiInput;

    const quint8 opt = p[kOptionByte];
    m_bDisableUpgrades = opt & kOptDisableUpgrades;
    m_bHideConnects = opt & kOptHideConnects;
    m_bDisableDataMode = opt & kOptDisableDataMode;
    m_bDisableStatusInfo = opt & kOptDisableStatusInfo;
    m_bHideVersionReport = opt & kOptHideVersionReport;
    m_bHidePrompt = opt & kOptHidePrompt;
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

    if (p[kDeviceDescriptor] > kDeviceDescriptorMinLength) {
        m_nVendorId = p[kVendorId] | p[kVendorId + 1] << 8;
        m_nProductId = p[kProductId] | p[kProductId + 1] << 8;
    }
    if (p[kStringArea] == kLanguageDescriptorLength) {
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

    // Value n is stored as bit n - 1, so the unknown setting 4 becomes 0x08. Values the
    // pages cannot produce are kept inside the byte rather than shifted out of it.
    const int flow = m_nFlowControl;
    p[kFlowControl] = (flow <= 0 || flow > 8) ? 0 : quint8(1u << (flow - 1));

    quint8 init = 0;
    if (m_bDisableLedFlash)
        init |= kInitDisableLedFlash;
    if (m_bShortCommandSet)
        init |= kInitShortCommandSet;
    if (m_bAsciiInput)
        init |= kInitAsciiInput;
    p[kInitByte] = init;

    quint8 opt = 0;
    if (m_bDisableUpgrades)
        opt |= kOptDisableUpgrades;
    if (m_bHideConnects)
        opt |= kOptHideConnects;
    if (m_bDisableDataMode)
        opt |= kOptDisableDataMode;
    if (m_bDisableStatusInfo)
        opt |= kOptDisableStatusInfo;
    if (m_bHideVersionReport)
        opt |= kOptHideVersionReport;
    if (m_bHidePrompt)
        opt |= kOptHidePrompt;
    p[kOptionByte] = opt;
}

void CFirmwareRecord::EncodeUsb(int base)
{
    quint8 *p = m_pImage.get() + base;
    if (p[kDeviceDescriptor] > kDeviceDescriptorMinLength) {
        p[kVendorId] = quint8(m_nVendorId);
        p[kVendorId + 1] = quint8(m_nVendorId >> 8);
        p[kProductId] = quint8(m_nProductId);
        p[kProductId + 1] = quint8(m_nProductId >> 8);
    }
    if (p[kStringArea] != kLanguageDescriptorLength)
        return;

    // WriteFirmware has checked that the three strings fit before kStringAreaEnd.
    Q_ASSERT(UsbStringsLength() <= kMaxUsbStringChars);
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
    const int n = int(std::min<qsizetype>(m_strVersion.size(), kVersionTextSize));
    for (int i = 0; i < n; ++i)
        dest[i] = quint8(m_strVersion.at(i).unicode());
    // A shorter text ends at a zero byte; without it the tail of a longer earlier text would
    // read as part of the new one. The bytes after the terminator stay as they were.
    if (n < kVersionTextSize)
        dest[n] = 0;
}

int CFirmwareRecord::WriteFirmware(const QString &path)
{
    WaitScope wait(m_pUi);
    if (!m_pImage)
        return Refuse(QStringLiteral("Low on resources"), kCaptionFileFormat);

    const int base = ImageBase();
    quint8 *p = m_pImage.get() + base;

    // Refuse what does not fit before anything changes: a version text cut short would lose
    // its type code, and strings would spill past the descriptor area.
    if (m_strVersion.size() > kVersionTextSize) {
        return Refuse(QStringLiteral("Firmware version %1 too long: at most %2 characters fit")
                          .arg(m_strVersion)
                          .arg(kVersionTextSize),
                      kCaptionFileFormat);
    }
    if ((m_nFirmwareType & kUsbSlaveTypes) && p[kStringArea] == kLanguageDescriptorLength
        && UsbStringsLength() > kMaxUsbStringChars) {
        return Refuse(QStringLiteral("USB strings too long: at most %1 characters fit").arg(kMaxUsbStringChars),
                      kCaptionFileFormat);
    }

    if (p[kParamsVersion] == kParamsVersionKnown)
        EncodeParameters(base);
    WriteVersionText(p + kVersionText);
    if (m_nFirmwareType & kUsbSlaveTypes)
        EncodeUsb(base);
    if (m_nFirmwareType & kDirPrefixTypes) {
        // A shorter prefix writes the characters it has and leaves the other bytes alone.
        const int n = int(std::min<qsizetype>(m_strDirPrefix.size(), kDirPrefixSize));
        for (int i = 0; i < n; ++i)
            p[kDirPrefix + i] = quint8(m_strDirPrefix.at(i).unicode());
    }

    const QFileInfo target(path);
    if (target.exists() || target.isSymLink()) {
        if (!m_pUi || !m_pUi->AskYesNo(QStringLiteral("Overwrite file ") + SettingsText::FileNamePart(path), kCaptionExists))
            return -1;
    }

    // A name without ".ROM" or ".QUF" keeps the layout; an upgrade file written as ".QUF"
    // again gets a fresh header.
    switch (KindForTarget(path, -1)) {
    case KindRom:
        ConvertToRomImage();
        break;
    case KindUpgrade:
        ConvertToUpgradeFile();
        break;
    default:
        break;
    }

    if (target.isDir()) {
        return Refuse(FileError::Describe(FileError::Problem::AccessDenied, path), kCaptionOpenTarget);
    }
    // The old file is replaced only once every byte of the new one is on disk.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int err = FileError::SavedError();
        return Refuse(FileError::Describe(FileError::ForOpen(path, true, err), path), kCaptionOpenTarget);
    }

    errno = 0;
    const qint64 written = file.write(reinterpret_cast<const char *>(m_pImage.get()), m_nFileLength);
    if (written != m_nFileLength) {
        const int err = FileError::SavedError();
        file.cancelWriting();
        file.commit();  // removes the temporary file; the target stays as it was
        return Refuse(FileError::Describe(FileError::ForTransfer(err), path), kCaptionWriteTarget);
    }
    errno = 0;
    if (!file.commit()) {
        const int err = FileError::SavedError();
        return Refuse(FileError::Describe(FileError::ForTransfer(err), path), kCaptionWriteTarget);
    }
    m_strTargetFile = path;
    return 1;
}

int CFirmwareRecord::ConvertToUpgradeFile()
{
    quint8 *buf = m_pImage.get();
    const int wasKind = m_nFileKind;
    if (wasKind != KindUpgrade) {
        std::memmove(buf + kHeaderSize, buf, kRomLength);
        m_nFileLength = kUpgradeLength;
    }
    std::fill(buf, buf + kHeaderSize, quint8(0));
    std::copy(kSignature.begin(), kSignature.end(), buf + kHeaderSignature);
    buf[kHeaderCodeType] = CodeMain;
    WriteVersionText(buf + kHeaderVersion);
    buf[kHeaderMarker] = kHeaderMarkerValue;
    if (wasKind == KindBld)
        std::fill(buf + kHeaderSize + kReflasherOffset, buf + kUpgradeLength, quint8(0));
    m_nFileKind = KindUpgrade;
    return 0;
}

int CFirmwareRecord::ConvertToRomImage()
{
    quint8 *buf = m_pImage.get();
    if (m_nFileKind == KindRom)
        return 0;
    if (m_nFileKind == KindUpgrade)
        std::memmove(buf, buf + kHeaderSize, kRomLength);
    else if (m_nFileKind == KindBld)
        std::copy(kReflasherBlock.begin(), kReflasherBlock.end(), buf + kReflasherOffset);
    m_nFileLength = kRomLength;
    m_nFileKind = KindRom;
    return 0;
}
