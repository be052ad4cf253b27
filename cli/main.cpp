// brindle-cli: what only the process can do (its standard streams, its signals, its arguments as
// bytes, the console's code page), then the command line itself (Cli::Run, brindle_cli).

// Qt
#include <QCoreApplication>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "brindle_version.h"
#include "cli/clicommands.h"
#include "cli/console.h"
#include "firmware/filename.h"
#include "firmware/savefile.h"

int main(int argc, char *argv[])
{
    Cli::CStandardConsole console;  // before anything opens a file
    SaveFile::IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));

    // On Windows the arguments arrive as text; elsewhere as bytes, which need not be UTF-8: a
    // name that is not still names its file (FileName::FromNative).
    Cli::Invocation invocation{FileName::Arguments(argc, argv), {}};
#ifdef Q_OS_WIN
    // The output is UTF-8: the console shows it as such while the program runs, and gets its own
    // code page back afterwards.
    const UINT consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0)
        ::SetConsoleOutputCP(CP_UTF8);
    const int code = Cli::Run(invocation, console);
    if (consoleCodePage != 0)
        ::SetConsoleOutputCP(consoleCodePage);
    return code;
#else
    return Cli::Run(invocation, console);
#endif
}
