#include "brindleapp.h"

// Qt
#include <QApplication>

#include "brindledlg.h"

int CBrindleApp::InitInstance(IDialogServices *services)
{
    CBrindleDlg dlg(services);
    dlg.exec();  // OK or Cancel, the program ends here either way
    return 0;
}
