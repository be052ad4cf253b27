// Saving as a person meets it: the real file dialogs (the pattern in the filter, never in the
// name box; a save into a missing folder refused by the dialog), the finish report after going
// back to the same file, and the web link opening once per click.

// Std
#include <functional>
#include <memory>

// Qt
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "common/imagebuilder.h"
#include "controls/editalnum.h"
#include "controls/hyperlinkstatic.h"
#include "controls/selectabletext.h"
#include "leftovers.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabfinish.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/brindledlg.h"
#include "wizarddriver.h"

namespace {

// Runs `act` on the next modal dialog of type T once it is open.
template <class T>
void WhenOpen(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

}  // namespace

class TestSaveReport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(LeftoverWindows(), QStringList()); }
    void fileDialog_data();
    void fileDialog();
    void reportNamesTheLoadedFile();
    void linkOpensOncePerClick_data();
    void linkOpensOncePerClick();
    void refusalShowsTextLiterally();
    void overwriteQuestionNamesTheFileLiterally();
    void discardQuestionDefaultsToNo();
};

void TestSaveReport::fileDialog_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("kind");  // the loaded kind
    QTest::addColumn<QString>("filter");

    QTest::newRow("open") << false << int(ImageBuilder::Rom) << "Norvale ROM image files (*.ROM)";
    QTest::newRow("save after a ROM image") << true << int(ImageBuilder::Rom) << "Norvale ROM image files (*.ROM)";
    QTest::newRow("save after a BLD image") << true << int(ImageBuilder::Bld) << "Norvale ROM image files (*.ROM)";
    QTest::newRow("save after an upgrade file")
        << true << int(ImageBuilder::Upgrade) << "Norvale Upgrade Files (*.QUF)";
}

void TestSaveReport::fileDialog()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    QSKIP("The platform's own file dialog is used here, which a test cannot drive");
#endif
    QFETCH(bool, save);
    QFETCH(int, kind);
    QFETCH(QString, filter);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.fw"));
    QVERIFY(ImageBuilder(ImageBuilder::Kind(kind)).writeTo(source));
    CBrindleDlg dlg;  // the real dialogs
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CTabFile *page = dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen);
    if (save) {
        dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
        while (dlg.CurrentStep() < CBrindleDlg::StepSave) {
            if (dlg.StepPage(dlg.CurrentStep()) == dlg.StepPage<CTabCode>(CBrindleDlg::StepCode))
                dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)
                    ->GetDlgItem<CEditAlnum>(CodeIds::Code)
                    ->setText(QStringLiteral("B01"));
            PressNext(dlg);
        }
        page = dlg.StepPage<CTabFile>(CBrindleDlg::StepSave);
    }

    const QString missing = dir.filePath(QStringLiteral("no-such-folder/fw.ROM"));
    const QString chosen = dir.filePath(save ? QStringLiteral("fw.ROM") : QStringLiteral("source.fw"));
    QString nameBox = QStringLiteral("<not opened>");
    QString inForce;
    QStringList filters;
    QString refusal;
    bool openAfterRefusal = false;
    WhenOpen<QFileDialog>([&](QFileDialog *fd) {
        auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            fd->reject();
            return;
        }
        nameBox = edit->text();
        inForce = fd->selectedNameFilter();
        filters = fd->nameFilters();
        if (save) {
            // A name in a folder that does not exist: the dialog says so and stays open.
            WhenOpen<QMessageBox>([&](QMessageBox *box) {
                refusal = box->text();
                box->accept();
            });
            edit->setText(missing);
            static_cast<QDialog *>(fd)->accept();  // as the dialog's Save button does
            openAfterRefusal = fd->isVisible();
        }
        edit->setText(chosen);
        static_cast<QDialog *>(fd)->accept();
    });
    QTest::mouseClick(page->GetDlgItem<QPushButton>(FileIds::Browse), Qt::LeftButton);

    QCOMPARE(nameBox, QString());
    QCOMPARE(inForce, filter);
#ifdef Q_OS_WIN
    QVERIFY(filters.contains(QStringLiteral("All Files (*.*)")));
#else
    QVERIFY(filters.contains(QStringLiteral("All Files (*)")));
#endif
    if (save) {
        QVERIFY(openAfterRefusal);
        QVERIFY2(refusal.contains(QStringLiteral("does not exist")), qPrintable(refusal));
    }
    QCOMPARE(page->FilePath(), chosen);
}

void TestSaveReport::reportNamesTheLoadedFile()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("board-a.ROM"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom).writeTo(source));
    RecordingServices services;
    CBrindleDlg dlg(&services);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    // Load, go back to "File Open" and on again with the same path: nothing is read again, and
    // the report still names the file.
    dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    PressNext(dlg);
    QCOMPARE(dlg.CurrentStep(), 1);
    dlg.OnBack();
    QCOMPARE(dlg.CurrentStep(), 0);
    PressNext(dlg);
    QCOMPARE(dlg.CurrentStep(), 1);
    while (dlg.CurrentStep() < CBrindleDlg::StepSave) {
        if (dlg.StepPage(dlg.CurrentStep()) == dlg.StepPage<CTabCode>(CBrindleDlg::StepCode))
            dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)
                ->GetDlgItem<CEditAlnum>(CodeIds::Code)
                ->setText(QStringLiteral("B01"));
        PressNext(dlg);
    }
    dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)
        ->GetDlgItem<QLineEdit>(FileIds::Path)
        ->setText(dir.filePath(QStringLiteral("board-a-B01.ROM")));
    PressNext(dlg);
    QCOMPARE(dlg.CurrentStep(), CBrindleDlg::StepFinish);
    QVERIFY(services.messages.isEmpty());
    const QString report =
        dlg.StepPage<CTabFinish>(CBrindleDlg::StepFinish)->GetDlgItem<CSelectableText>(FinishIds::Message)->text();
    QVERIFY2(report.contains(QStringLiteral("Original file board-a.ROM\n")), qPrintable(report));
    QVERIFY2(report.endsWith(QStringLiteral("Saved to disk as board-a-B01.ROM")), qPrintable(report));
}

void TestSaveReport::linkOpensOncePerClick_data()
{
    // Mouse moves on the link, as (event, where): p press, r release, d double-click press;
    // "in" on the link, "out" beside it.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("opened");

    QTest::newRow("click") << QStringList{"p in", "r in"} << 1;
    QTest::newRow("double-click") << QStringList{"p in", "r in", "d in", "r in"} << 1;
    QTest::newRow("two clicks") << QStringList{"p in", "r in", "p in", "r in"} << 2;
    QTest::newRow("pressed on it, released beside it") << QStringList{"p in", "r out"} << 0;
    QTest::newRow("released on it without a press") << QStringList{"r in"} << 0;
}

void TestSaveReport::linkOpensOncePerClick()
{
    QFETCH(QStringList, events);
    QFETCH(int, opened);

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });
    RecordingServices services;
    CBrindleDlg dlg(&services);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CHyperlinkStatic *link = dlg.GetDlgItem<CHyperlinkStatic>(WizardIds::WebSite);

    const QPoint in = link->rect().center();
    const QPoint out(link->width() + 20, in.y());
    for (const QString &e : events) {
        const QPoint at = e.endsWith(QStringLiteral("in")) ? in : out;
        switch (e.at(0).unicode()) {
        case u'p': QTest::mousePress(link, Qt::LeftButton, {}, at); break;
        case u'r': QTest::mouseRelease(link, Qt::LeftButton, {}, at); break;
        case u'd': {
            QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), link->mapToGlobal(QPointF(at)), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(link, &dbl);
            break;
        }
        default: QFAIL("unknown event");
        }
    }
    QCOMPARE(recorder.urls.size(), opened);
}

namespace {

// What a test saw of a message box while it was open.
struct SeenBox {
    bool seen = false;
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    int width = 0;
    bool pageShown = false;  // the wizard's page stayed on screen behind the box
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
};

SeenBox Look(QMessageBox *box, const QWidget *page)
{
    SeenBox seen;
    seen.seen = true;
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        seen.labelFormat = label->textFormat();
    seen.width = box->width();
    seen.pageShown = page && page->isVisible();
    if (box->defaultButton())
        seen.defaultButton = box->standardButton(box->defaultButton());
    if (auto *escape = qobject_cast<QAbstractButton *>(box->escapeButton()))
        seen.escapeButton = box->standardButton(escape);
    return seen;
}

int CaptionWidth(const QMessageBox *box, const QString &caption)
{
    QFont bold = box ? box->font() : QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(caption);
}

}  // namespace

// A refusal that quotes the image's version text shows it as it is, in a box as wide as its
// caption, with "File Open" and its path still on screen behind it.
void TestSaveReport::refusalShowsTextLiterally()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("big.ROM"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "01.00<h1>BIG").writeTo(source));
    CBrindleDlg dlg;  // the real message boxes
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    SeenBox seen;
    int captionWidth = 0;
    WhenOpen<QMessageBox>([&](QMessageBox *box) {
        seen = Look(box, dlg.StepPage(CBrindleDlg::StepOpen));
        captionWidth = CaptionWidth(box, box->windowTitle());
        box->accept();
    });
    PressNext(dlg);
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("Firmware Version Error"));
    QCOMPARE(seen.text, QStringLiteral("Firmware version 01.00<h1>BIG not supported"));
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.labelFormat, Qt::PlainText);
    QVERIFY2(seen.width >= captionWidth, qPrintable(QStringLiteral("%1 < %2").arg(seen.width).arg(captionWidth)));
    QVERIFY(seen.pageShown);
    QCOMPARE(dlg.CurrentStep(), 0);
    QVERIFY(dlg.StepPage(CBrindleDlg::StepOpen)->isVisible());
    QCOMPARE(dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->text(), source);
}

// The overwrite question names a target called "<h1>big.ROM" as it is, with "File Save" and its
// path on screen behind it.
void TestSaveReport::overwriteQuestionNamesTheFileLiterally()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.ROM"));
#ifdef Q_OS_WIN
    // Windows names cannot hold "<" or ">": an entity is what markup would turn into "&".
    const QString target = dir.filePath(QStringLiteral("big&amp;small.ROM"));
#else
    const QString target = dir.filePath(QStringLiteral("<h1>big.ROM"));
#endif
    QVERIFY(ImageBuilder(ImageBuilder::Rom).writeTo(source));
    QVERIFY(ImageBuilder::WriteFile(target, "old"));
    CBrindleDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    while (dlg.CurrentStep() < CBrindleDlg::StepSave) {
        if (dlg.StepPage(dlg.CurrentStep()) == dlg.StepPage<CTabCode>(CBrindleDlg::StepCode))
            dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)
                ->GetDlgItem<CEditAlnum>(CodeIds::Code)
                ->setText(QStringLiteral("B01"));
        PressNext(dlg);
    }
    dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(target);
    SeenBox seen;
    WhenOpen<QMessageBox>([&](QMessageBox *box) {
        seen = Look(box, dlg.StepPage(CBrindleDlg::StepSave));
        box->button(QMessageBox::No)->click();
    });
    PressNext(dlg);
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("File Exists"));
    QCOMPARE(seen.text, QStringLiteral("Overwrite file ") + QFileInfo(target).fileName());
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.labelFormat, Qt::PlainText);
    QVERIFY(seen.pageShown);
    QCOMPARE(dlg.CurrentStep(), CBrindleDlg::StepSave);
    QCOMPARE(ImageBuilder::ReadFile(target), QByteArray("old"));
}

// With a file loaded and not written, Cancel asks first, and No is the answer of Enter and Escape.
void TestSaveReport::discardQuestionDefaultsToNo()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.ROM"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom).writeTo(source));
    CBrindleDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    PressNext(dlg);
    QCOMPARE(dlg.CurrentStep(), 1);

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SeenBox seen;
        WhenOpen<QMessageBox>([&](QMessageBox *box) {
            seen = Look(box, dlg.StepPage(CBrindleDlg::StepSummary));
            QTest::keyClick(box, key);
        });
        QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.text, QStringLiteral("Discard your changes and quit?"));
        QCOMPARE(seen.defaultButton, QMessageBox::No);
        QCOMPARE(seen.escapeButton, QMessageBox::No);
        QVERIFY(seen.pageShown);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.CurrentStep(), 1);
    }
    WhenOpen<QMessageBox>([&](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(TestSaveReport)
#include "tst_savereport.moc"
