// Qt
#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include "brindle_version.h"
#include "clicommands.h"
#include "consoleui.h"
#include "savefile.h"

int main(int argc, char *argv[])
{
    GuardStandardStreams();  // before anything opens a file
    SaveFile::IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));

    // On Windows the arguments arrive as text; elsewhere as bytes, which the conversion to
    // text may have changed.
    QSet<QString> unencodable;
#ifndef Q_OS_WIN
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QFile::decodeName(bytes);
        if (QFile::encodeName(text) != bytes)
            unencodable.insert(text);
    }
#endif
    return Cli::Run(QCoreApplication::arguments(), unencodable);
}
