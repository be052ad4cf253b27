#include "brindleapp.h"

// Qt
#include <QApplication>
#include <QTimer>

#include "brindledlg.h"

int CBrindleApp::InitInstance(IDialogServices *services, const QString &file)
{
    CBrindleDlg dlg(services);
    // Once the window is up, so that a refusal's message has the wizard to stand on.
    if (!file.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, file] { dlg.OpenFile(file); });
    dlg.exec();  // OK or Cancel, the program ends here either way
    return 0;
}
