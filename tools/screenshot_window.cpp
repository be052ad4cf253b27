// Takes a picture of the wizard's first page as the platform draws it, frame and title bar
// included, for the documentation.
//   screenshot_window OUTPUT.png
// It reads the screen rather than asking the widgets to paint themselves, so the window frame
// comes from the system (under Wine, from its virtual desktop).

// Std
#include <cstdio>

// Qt
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "common/recorderlite.h"
#include "wizard/brindledlg.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot_window OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    SilentServices services;
    CBrindleDlg dlg(&services);
    dlg.move(40, 40);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg, 10000)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    // Let the frame and the pages finish painting before the screen is read.
    QTest::qWait(1500);
    const QRect frame = dlg.frameGeometry();
    QScreen *screen = dlg.screen();
    const QPixmap picture = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (picture.isNull() || !picture.save(output)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
