// Renders every wizard step, and the About box, to PNG files for the documentation.
//   render_pages OUTPUT_FOLDER WORK_FOLDER
// Walks the real wizard through a generated QSOL upgrade file (and a QWEX one for the target
// directory step), exactly as a user would with the mouse and keyboard.

// Std
#include <cstdio>

// Qt
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "common/imagebuilder.h"
#include "common/recorderlite.h"
#include "controls/editalnum.h"
#include "pages/tabbaudrate.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabusbslave.h"
#include "resources/resourceids.h"
#include "wizard/aboutdlg.h"
#include "wizard/brindledlg.h"

namespace {

// Answers the overwrite question with Yes, so the walk can be repeated.
class DocServices : public SilentServices
{
public:
    bool AskYesNo(const QString &, const QString &) override { return true; }
};

bool Save(QWidget *w, const QDir &out, const QString &name)
{
    QApplication::processEvents();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_pages OUTPUT_FOLDER WORK_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QDir work(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path()) || !QDir().mkpath(work.path()))
        return 1;

    const QString qsol = work.filePath(QStringLiteral("board-a.QUF"));
    const QString qwex = work.filePath(QStringLiteral("camera.ROM"));
    const QString target = work.filePath(QStringLiteral("board-a-custom.ROM"));
    QFile::remove(target);
    bool ok =
        ImageBuilder(ImageBuilder::Upgrade, "03.64QSOLF").setStrings({"Norvale", "USB Host", "0001"}).writeTo(qsol)
        && ImageBuilder(ImageBuilder::Rom, "03.66QWEXA").setDirPrefix("SNAP").writeTo(qwex);

    DocServices services;
    {
        CBrindleDlg dlg(&services);
        dlg.show();
        TypeInto(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path), qsol);
        ok = ok && Save(&dlg, out, QStringLiteral("01-file-open"));
        dlg.OnNext();
        ok = ok && Save(&dlg, out, QStringLiteral("02-file-summary"));
        dlg.OnNext();
        dlg.StepPage<CTabBaudRate>(CBrindleDlg::StepBaud)->GetDlgItem<QComboBox>(BaudIds::BaudRate)->setCurrentIndex(9);
        ok = ok && Save(&dlg, out, QStringLiteral("03-set-baud"));
        dlg.OnNext();
        ok = ok && Save(&dlg, out, QStringLiteral("04-set-init"));
        dlg.OnNext();
        ok = ok && Save(&dlg, out, QStringLiteral("05-set-prompt"));
        dlg.OnNext();
        TypeInto(dlg.StepPage<CTabUsbSlave>(CBrindleDlg::StepUsb)->GetDlgItem<QLineEdit>(UsbIds::VendorId),
                 QStringLiteral("1234"));
        ok = ok && Save(&dlg, out, QStringLiteral("06-set-usb"));
        dlg.OnNext();
        TypeInto(dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                 QStringLiteral("B01"));
        ok = ok && Save(&dlg, out, QStringLiteral("08-set-code"));
        dlg.OnNext();
        ok = ok && Save(&dlg, out, QStringLiteral("09-confirm-summary"));
        dlg.OnNext();
        TypeInto(dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path), target);
        ok = ok && Save(&dlg, out, QStringLiteral("10-file-save"));
        dlg.OnNext();
        ok = ok && dlg.CurrentStep() == CBrindleDlg::StepFinish && Save(&dlg, out, QStringLiteral("11-finish"));
    }
    {
        // The target directory step belongs to QWEX and QJ4J firmware.
        CBrindleDlg dlg(&services);
        dlg.show();
        TypeInto(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path), qwex);
        for (int i = 0; i < 5 && dlg.CurrentStep() != CBrindleDlg::StepDirPrefix; ++i)
            dlg.OnNext();
        ok = ok && dlg.CurrentStep() == CBrindleDlg::StepDirPrefix
             && Save(&dlg, out, QStringLiteral("07-set-target-directory"));
    }
    {
        CAboutDlg about;
        about.show();
        ok = ok && Save(&about, out, QStringLiteral("12-about"));
    }
    return ok ? 0 : 1;
}
