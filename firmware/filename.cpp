#include "filename.h"

// Std
#include <algorithm>
#include <array>

// Qt
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace FileName {

namespace {

// Where the last part of `path` starts: after its last "/" or "\". Both count on every
// platform, so that the rules can be tested anywhere on Windows paths.
qsizetype LastPartStart(QStringView path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
}

}  // namespace

QString WithoutTrailingDotsAndSpaces(QString path)
{
    const qsizetype start = LastPartStart(path);
    const QStringView name = QStringView(path).mid(start);
    if (std::all_of(name.begin(), name.end(), [](QChar c) { return c == QLatin1Char('.'); }))
        return path;
    qsizetype end = path.size();
    while (end > start + 1 && (path.at(end - 1) == QLatin1Char('.') || path.at(end - 1) == QLatin1Char(' ')))
        --end;
    path.truncate(end);
    return path;
}

bool IsWindowsDeviceName(QStringView path)
{
    QStringView name = path.mid(LastPartStart(path));
    // The device name is what comes before the first dot, without the blanks and dots before
    // it; Windows then ignores the extension.
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name = name.left(dot);
    while (!name.isEmpty() && name.back() == QLatin1Char(' '))
        name.chop(1);
    static const std::array<QLatin1String, 6> kPlain = {
        QLatin1String("CON"), QLatin1String("PRN"),    QLatin1String("AUX"),
        QLatin1String("NUL"), QLatin1String("CONIN$"), QLatin1String("CONOUT$"),
    };
    for (const QLatin1String device : kPlain) {
        if (name.compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    if (name.size() != 4)
        return false;
    const QStringView stem = name.left(3);
    if (stem.compare(QLatin1String("COM"), Qt::CaseInsensitive) != 0
        && stem.compare(QLatin1String("LPT"), Qt::CaseInsensitive) != 0)
        return false;
    const char16_t digit = name.at(3).unicode();
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

QString AsSaved(const QString &path)
{
#ifdef Q_OS_WIN
    return WithoutTrailingDotsAndSpaces(path);
#else
    return path;
#endif
}

QString FolderPart(const QString &path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    if (cut < 0)
        return QStringLiteral(".");
    if (cut == 0)
        return path.left(1);
    return path.left(cut);
}

QString LastPart(const QString &path)
{
    // Windows paths also split at "\" and at a drive's ":"; elsewhere those are name characters.
#ifdef Q_OS_WIN
    qsizetype cut = -1;
    for (QChar sep : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        cut = std::max(cut, path.lastIndexOf(sep));
#else
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#endif
    return path.mid(cut + 1).left(255);
}

bool ReachesFileSystem(const QString &path)
{
#ifdef Q_OS_WIN
    return path.isValidUtf16() && !path.contains(QChar(0));
#else
    QByteArray bytes;
    return ToNative(path, bytes);
#endif
}

namespace {

// The first byte of an escaped byte: byte 0x80 + n stands as U+DC80 + n.
constexpr char16_t kEscapeBase = 0xDC00;

}  // namespace

QString FromNative(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += QChar(char16_t(lead));
            ++i;
            continue;
        }
        // Well-formed UTF-8 only: no overlong forms, no surrogates, nothing past U+10FFFF.
        int length = 0;
        char32_t code = 0;
        char32_t lowest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            lowest = 0x10000;
        }
        bool ok = length > 0 && i + length <= n;
        for (int k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        ok = ok && code >= lowest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (!ok) {
            // One byte escaped; the next one starts afresh.
            out += QChar(char16_t(kEscapeBase + lead));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += length;
    }
    return out;
}

bool ToNative(QStringView path, QByteArray &bytes)
{
    bytes.clear();
    bytes.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path[i].unicode();
        char32_t code = u;
        if (u == 0)
            return false;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(u, path[i + 1].unicode());
            ++i;
        } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            bytes += char(u - kEscapeBase);
            continue;
        } else if (QChar::isSurrogate(u)) {
            return false;
        }
        if (code < 0x80) {
            bytes += char(code);
        } else if (code < 0x800) {
            bytes += char(0xC0 | (code >> 6));
            bytes += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += char(0xE0 | (code >> 12));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        } else {
            bytes += char(0xF0 | (code >> 18));
            bytes += char(0x80 | ((code >> 12) & 0x3F));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        }
    }
    return true;
}

QStringList Arguments(int argc, const char *const *argv)
{
    QStringList arguments = QCoreApplication::arguments();
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#else
    // Qt decodes each argument as UTF-8, with a replacement character for each byte that is not;
    // the same arguments are taken again from their bytes. Should Qt have taken some for itself,
    // only those that it decoded from the same bytes are.
    for (int i = 0; i < argc && i < arguments.size(); ++i) {
        if (argv[i] && QFile::decodeName(argv[i]) == arguments.at(i))
            arguments[i] = FromNative(argv[i]);
    }
#endif
    return arguments;
}

bool Exists(const QString &path)
{
#ifdef Q_OS_WIN
    return QFileInfo::exists(path);
#else
    QByteArray bytes;
    struct stat st {};
    return ToNative(path, bytes) && ::stat(bytes.constData(), &st) == 0;
#endif
}

}  // namespace FileName
