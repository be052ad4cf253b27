#include "savefile.h"

// Std
#include <csignal>

// Qt
#include <QRandomGenerator>

#include "filename.h"
#include "layout.h"
#include "savefile_p.h"

namespace SaveFile {

namespace Internal {

QString TemporaryName()
{
    return QStringLiteral(".brindle-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

Target Refused(FileError::Problem problem, const QString &path, const QString &systemText)
{
    Target t;
    t.refusal = FileError::Cause{problem, path, systemText};
    return t;
}

}  // namespace Internal

Target Resolve(const QString &path)
{
    const QString name = FileName::AsSaved(path);
    Target t = Internal::Examine(name);
    t.name = name;
    if (t.file.isEmpty())
        t.file = name;
    t.folder = FileName::FolderPart(t.file);
    t.layout = Layout::KindForName(name, -1);
    return t;
}

Result Save(const Target &target, const char *data, qint64 size, Mode mode)
{
    Q_ASSERT(!target.refusal);
    Result r = Internal::SaveAs(target.file, data, size, target.exists, mode);
    switch (r.outcome) {
    case Outcome::Saved: break;
    case Outcome::NotFlushed:
    case Outcome::FolderNotFlushed: r.cause = {FileError::Problem::Unexpected, target.name, r.systemText}; break;
    case Outcome::Exists:
    case Outcome::OpenFailed:
    case Outcome::WriteFailed:
        r.cause = r.problem ? FileError::Cause{*r.problem, r.problemPath.isEmpty() ? target.name : r.problemPath,
                                               r.systemText}
                            : FileError::SaveCause(r.error, r.systemText, target.name);
        break;
    }
    // The temporary file is named in the folder the file was saved in.
    if (!r.leftover.isEmpty() && target.folder != QLatin1String(".")) {
        r.leftover = target.folder.endsWith(QLatin1Char('/')) ? target.folder + r.leftover
                                                              : target.folder + QLatin1Char('/') + r.leftover;
    }
    return r;
}

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace SaveFile
