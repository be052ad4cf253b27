// A reference for the wizard's start-up, not a budget: the wizard's first screen as the plainest
// Qt program draws it. A QDialog holding what the wizard shows on "File Open" (the header picture,
// the bold title and the description, the path box, Browse..., the link, Back, Next and Cancel),
// each control placed by hand before the dialog is shown, the header picture decoded from the
// same rendering. It builds nothing that is not on screen and measures no text, so what it costs
// is what drawing that screen costs. Run and stopped as the wizard is.
//
//   bench_floor_firstpage WIDTH HEIGHT LOGO.png

// Std
#include <cstdlib>
#include <tuple>

// Qt
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/exitwhenshown.h"

int main(int argc, char *argv[])
{
    if (argc < 4)
        return 2;
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    QApplication app(argc, argv);
    Startup::ExitWhenShown();

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Norvale Firmware Customiser"));
    // The wizard's template is 320 by 200 dialog units: its places, scaled to the window.
    const auto place = [width, height](QWidget *w, int x, int y, int cx, int cy) {
        w->setGeometry(x * width / 320, y * height / 200, cx * width / 320, cy * height / 200);
    };

    auto *logo = new QLabel(&dialog);
    QFile file(QString::fromLocal8Bit(argv[3]));
    if (file.open(QIODevice::ReadOnly)) {
        QImageReader reader(&file, "png");
        reader.setAutoDetectImageFormat(false);
        logo->setPixmap(QPixmap::fromImage(reader.read()));
    }
    place(logo, 6, 6, 100, 55);

    auto *title = new QLabel(QStringLiteral("Select Firmware File to Modify"), &dialog);
    QFont heading = dialog.font();
    heading.setPixelSize(QFontInfo(dialog.font()).pixelSize() * 4 / 3);
    heading.setBold(true);
    title->setFont(heading);
    place(title, 114, 6, 204, 18);
    auto *description = new QLabel(QStringLiteral("Choose the Norvale Firmware ROM or QUF file to modify."), &dialog);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(description, 114, 24, 204, 36);

    auto *path = new QLineEdit(&dialog);
    place(path, 36, 90, 174, 14);
    place(new QPushButton(QStringLiteral("Browse..."), &dialog), 216, 90, 50, 14);

    auto *link = new QLabel(QStringLiteral("https://www.norvale.example"), &dialog);
    QFont underlined = dialog.font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    place(link, 6, 180, 138, 12);
    for (const auto &[caption, x, enabled] :
         {std::tuple{"< &Back", 150, false}, std::tuple{"&Next >", 204, false}, std::tuple{"Cancel", 258, true}}) {
        auto *button = new QPushButton(QString::fromLatin1(caption), &dialog);
        button->setEnabled(enabled);
        place(button, x, 180, 50, 14);
    }

    dialog.setFixedSize(width, height);
    path->setFocus();
    dialog.exec();
    return 0;
}
