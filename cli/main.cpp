// Qt
#include <QCoreApplication>

#include "brindle_version.h"
#include "clicommands.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));
    return Cli::Run(QCoreApplication::arguments());
}
