#include "filename.h"

// Std
#include <algorithm>
#include <array>

// Qt
#include <QFile>

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
    return path.isValidUtf16();
#else
    return QFile::decodeName(QFile::encodeName(path)) == path;
#endif
}

}  // namespace FileName
