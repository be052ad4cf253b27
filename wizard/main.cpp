// Std
#include <memory>

// Qt
#include <QApplication>
#include <QIcon>

#include "brindle_version.h"
#include "brindleapp.h"
#include "firmware/savefile.h"
#include "resources/resourceids.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    SaveFile::IgnoreFileSizeSignal();

    // Help, the version and a wrong command line, Qt's own options included, are answered
    // without a display.
    {
        QCoreApplication core(argc, argv);
        const Startup::Invocation first = Startup::ParseArguments(QCoreApplication::arguments());
        if (first.action != Startup::Invocation::Run)
            return Startup::Report(first);
    }

    std::unique_ptr<QApplication> app;
    {
        const Startup::DisplayGuard guard;
        app = std::make_unique<QApplication>(argc, argv);
    }
    const Startup::Invocation invocation = Startup::ParseArguments(QApplication::arguments());
    if (invocation.action != Startup::Invocation::Run)
        return Startup::Report(invocation);

    QApplication::setApplicationName(QStringLiteral("Brindle"));
    QApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));
    QApplication::setOrganizationDomain(QStringLiteral("norvale.example"));
    QApplication::setDesktopFileName(QStringLiteral("example.norvale.brindle"));
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(kIconLargePath)));
    return CBrindleApp::InitInstance(nullptr, invocation.file);
}
