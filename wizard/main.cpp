// Qt
#include <QApplication>
#include <QIcon>

#include "brindle_version.h"
#include "brindleapp.h"
#include "resourceids.h"
#include "savefile.h"

int main(int argc, char *argv[])
{
    SaveFile::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    QApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION_STRING));
    QApplication::setOrganizationDomain(QStringLiteral("norvale.example"));
    QApplication::setDesktopFileName(QStringLiteral("brindle"));
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(kIconLargePath)));
    return CBrindleApp::InitInstance();
}
