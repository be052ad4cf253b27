// The floor under any dialog that shows text: a QDialog of the wizard's size holding one QLabel,
// run modally and stopped, as the wizard is, once it is on screen and the loop is idle.
//
//   bench_floor_dialog WIDTH HEIGHT

// Std
#include <cstdlib>

// Qt
#include <QApplication>
#include <QDialog>
#include <QLabel>

#include "wizard/exitwhenshown.h"

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    QApplication app(argc, argv);
    Startup::ExitWhenShown();

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Norvale Firmware Customiser"));
    auto *label = new QLabel(QStringLiteral("Select Firmware File to Modify"), &dialog);
    label->move(10, 10);
    dialog.setFixedSize(width, height);
    dialog.exec();
    return 0;
}
