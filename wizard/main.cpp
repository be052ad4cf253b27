// Std
#include <memory>

// Qt
#include <QApplication>

#include "brindle_version.h"
#include "brindleapp.h"
#include "exitwhenshown.h"
#include "firmware/filename.h"
#include "firmware/savefile.h"
#include "resources/pictures.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    SaveFile::IgnoreFileSizeSignal();

    // Help, the version and a wrong command line, Qt's own options included, are answered
    // without a display.
    {
        QCoreApplication core(argc, argv);
        const Startup::Invocation first = Startup::ParseArguments(FileName::Arguments(argc, argv));
        if (first.action != Startup::Invocation::Run)
            return Startup::Report(first);
    }

    std::unique_ptr<QApplication> app;
    {
        const Startup::DisplayGuard guard;
        app = std::make_unique<QApplication>(argc, argv);
    }
    // A file named by bytes that are not UTF-8 is opened by those bytes (FileName::FromNative).
    const Startup::Invocation invocation = Startup::ParseArguments(FileName::Arguments(argc, argv));
    if (invocation.action != Startup::Invocation::Run)
        return Startup::Report(invocation);
    if (Startup::ExitWhenShownRequested())
        Startup::ExitWhenShown();

    QApplication::setApplicationName(QStringLiteral("Brindle"));
    QApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));
    QApplication::setOrganizationDomain(QStringLiteral("norvale.example"));
    QApplication::setDesktopFileName(QStringLiteral("example.norvale.brindle"));
    QApplication::setWindowIcon(Pictures::ApplicationIcon());
    return CBrindleApp::InitInstance(nullptr, invocation.file);
}
