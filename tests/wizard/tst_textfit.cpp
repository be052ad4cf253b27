// Every text the wizard shows fits its control, in DejaVu Sans (the default font on Debian) at
// the usual size and at twice that size, with the longest value of every setting: no static,
// check box, radio button, push button or list is cut, and no two controls overlap. CTest runs
// this suite once more with QT_SCALE_FACTOR=2.

// Std
#include <memory>

// Qt
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"
#include "controls/dialogservices.h"
#include "controls/editalnum.h"
#include "controls/selectabletext.h"
#include "controls/wrapstatic.h"
#include "pages/tabbaudrate.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabfinish.h"
#include "pages/tabsummary.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/aboutdlg.h"
#include "wizard/brindledlg.h"
#include "wizarddriver.h"

namespace {

// Why `w` does not show its whole text in its rectangle, or an empty string when it does.
QString CutText(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    const QRect r = w->contentsRect();
    if (auto *wrap = qobject_cast<CWrapStatic *>(w)) {
        // Breaks inside a word that is longer than its line: only its height can fall short.
        const QSize need = CWrapStatic::TextSize(wrap->font(), wrap->text(), r.width());
        if (need.width() > r.width() || need.height() > r.height())
            return QStringLiteral("static \"%1\" needs %2x%3 in %4x%5")
                .arg(wrap->text())
                .arg(need.width())
                .arg(need.height())
                .arg(r.width())
                .arg(r.height());
        return QString();
    }
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const QString text = label->text();
        if (text.isEmpty() || !label->pixmap().isNull())
            return QString();
        const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
        const QRect need = fm.boundingRect(QRect(0, 0, r.width(), 100000), flags, text);
        if (need.width() > r.width() || need.height() > r.height())
            return QStringLiteral("static \"%1\" needs %2x%3 in %4x%5")
                .arg(text)
                .arg(need.width())
                .arg(need.height())
                .arg(r.width())
                .arg(r.height());
        return QString();
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        // Every item whole in the field the closed list draws its text in.
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i) {
            const int need = fm.horizontalAdvance(combo->itemText(i));
            if (need > field.width())
                return QStringLiteral("list item \"%1\" needs %2 in a field of %3")
                    .arg(combo->itemText(i))
                    .arg(need)
                    .arg(field.width());
        }
        return QString();
    }
    if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
        const int need = w->sizeHint().width();
        if (need > w->width())
            return QStringLiteral("\"%1\" needs %2 in %3")
                .arg(static_cast<QAbstractButton *>(w)->text())
                .arg(need)
                .arg(w->width());
        return QString();
    }
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        const int need = fm.size(Qt::TextShowMnemonic, button->text()).width()
                         + w->style()->pixelMetric(QStyle::PM_ButtonMargin)
                         + 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        if (need > w->width())
            return QStringLiteral("button \"%1\" needs %2 in %3").arg(button->text()).arg(need).arg(w->width());
    }
    return QString();
}

// The rectangle of `image` whose pixels differ from its background (its commonest colour, alpha
// included: a static without a background of its own is drawn on a transparent one): the ink of
// its text.
QRect Ink(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++counts[line[x]];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != background)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// Why the text of `label`, as it is drawn, is not whole, or an empty string when it is: its
// rendering in place holds as much ink as its rendering with room to spare below (and beside a
// text of one line), the same text broken at the same width. A last line or a descender that
// falls outside the control is drawn only with the room, whatever the font's metrics say.
QString DrawnCut(QLabel *label)
{
    if (label->text().isEmpty() || !label->pixmap().isNull())
        return QString();
    const QSize size = label->size();
    const QImage inPlace = label->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    label->resize(label->wordWrap() ? size.width() : size.width() * 2, size.height() * 2 + 20);
    const QImage roomy = label->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    label->resize(size);
    const QRect drawn = Ink(inPlace);
    const QRect whole = Ink(roomy);
    if (drawn.size() == whole.size())
        return QString();
    return QStringLiteral("static \"%1\" draws %2x%3 pixels of ink in %4x%5; its whole text is %6x%7")
        .arg(label->text())
        .arg(drawn.width())
        .arg(drawn.height())
        .arg(inPlace.width())
        .arg(inPlace.height())
        .arg(whole.width())
        .arg(whole.height());
}

// Checks that every static text shown on `parent` (a page or the window: the header's title and
// description among them) is drawn whole.
void CheckDrawn(QWidget *parent)
{
    const QList<QLabel *> labels = parent->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (!label->isVisible() || label->window() != parent->window())
            continue;
        const QString cut = DrawnCut(label);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }
}

// A control that shows something: hidden controls and empty statics draw nothing.
bool Shows(QWidget *w)
{
    if (!w->isVisible())
        return false;
    if (auto *label = qobject_cast<QLabel *>(w))
        return !label->text().isEmpty() || !label->pixmap().isNull();
    return true;
}

void CheckControls(QWidget *parent, const QList<QPair<QString, QRect>> &extra = {});

// A frame that scrolls: whatever it holds is as wide as the frame shows, and what is taller than
// the frame can be scrolled to. Its rows are checked as controls of their own.
void CheckScrolled(QAbstractScrollArea *area)
{
    if (auto *text = qobject_cast<CSelectableText *>(area)) {
        QVERIFY2(text->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, "the text scrolls sideways");
        const int need = text->ContentHeight();
        if (need > text->viewport()->height()) {
            QVERIFY2(
                text->verticalScrollBar()->isVisible() && text->verticalScrollBar()->maximum() > 0,
                qPrintable(
                    QStringLiteral("text of %1 in %2 without a scroll bar").arg(need).arg(text->viewport()->height())));
        }
        return;
    }
    auto *scroll = qobject_cast<QScrollArea *>(area);
    QVERIFY(scroll && scroll->widget());
    QWidget *rows = scroll->widget();
    QVERIFY2(
        rows->width() <= scroll->viewport()->width(),
        qPrintable(QStringLiteral("rows of %1 in a frame of %2").arg(rows->width()).arg(scroll->viewport()->width())));
    if (rows->height() > scroll->viewport()->height())
        QVERIFY2(scroll->verticalScrollBar()->isVisible(), "rows taller than their frame, without a scroll bar");
    CheckControls(rows);
}

// Checks the visible children of `parent` (and `extra` rectangles in its coordinates): each
// shows its whole text, lies inside `parent` and overlaps no other.
void CheckControls(QWidget *parent, const QList<QPair<QString, QRect>> &extra)
{
    QList<QPair<QString, QRect>> shown = extra;
    // The buttons of a radio pair stand in the pair's group, which draws nothing itself.
    QList<QWidget *> controls;
    for (QObject *o : parent->children()) {
        if (auto *group = qobject_cast<QGroupBox *>(o)) {
            for (QObject *inner : group->children())
                controls.append(qobject_cast<QWidget *>(inner));
        } else {
            controls.append(qobject_cast<QWidget *>(o));
        }
    }
    for (QWidget *w : std::as_const(controls)) {
        if (!w || w->isWindow() || !Shows(w) || qobject_cast<CWizardPage *>(w))
            continue;
        if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) {
            CheckScrolled(area);
            if (QTest::currentTestFailed())
                return;
        }
        const QString cut = CutText(w);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        const QRect r(w->mapTo(parent, QPoint(0, 0)), w->size());
        QVERIFY2(parent->rect().contains(r),
                 qPrintable(QStringLiteral("%1 \"%2\" leaves its dialog")
                                .arg(w->metaObject()->className(), w->property("text").toString())));
        const QString name =
            QStringLiteral("%1 \"%2\"").arg(w->metaObject()->className(), w->property("text").toString());
        shown.append({name, r});
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            QVERIFY2(!shown[i].second.intersects(shown[j].second),
                     qPrintable(shown[i].first + QStringLiteral(" overlaps ") + shown[j].first));
        }
    }
}

}  // namespace

class TestTextFit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyStep_data();
    void everyStep();
    void summaryWithEveryValue_data();
    void summaryWithEveryValue();
    void aboutBox_data();
    void aboutBox();
    void summaryRows_data();
    void summaryRows();
    void unknownFlowEntry_data();
    void unknownFlowEntry();
    void finishWithLongNames_data();
    void finishWithLongNames();
    void messageBoxCaptions_data();
    void messageBoxCaptions();
    void drawnWhole_data();
    void drawnWhole();

private:
    void UseFont(int scale);
    // Opens a wizard on a file of `version` (with flow byte `flow`) and walks it to `step`.
    bool WalkTo(const QByteArray &version, int step, quint8 flow = 0x04);
    void CheckStep();

    QFont m_appFont;
    QTemporaryDir m_dir;
    WizardDriver m_wizard;  // the wizard, with recorders for its dialogs
};

void TestTextFit::init()
{
    m_appFont = QApplication::font();
}

void TestTextFit::cleanup()
{
    const QStringList leftovers = m_wizard.Stop();
    QApplication::setFont(m_appFont);
    QCOMPARE(leftovers, QStringList());
}

void TestTextFit::UseFont(int scale)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9 * scale);
    QApplication::setFont(font);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
}

bool TestTextFit::WalkTo(const QByteArray &version, int step, quint8 flow)
{
    // The longest of every value: the fastest baud rate, 7 bits, 2 stop bits, even parity,
    // XON/XOFF, every option and mode flag set, a modified version with the longest type code.
    const QString source = m_dir.filePath(QStringLiteral("board-revision-c-production-2026-12-10.QUF"));
    ImageBuilder image(ImageBuilder::Upgrade, version);
    image.setDivisor(0).setLine(0x1D).setFlow(flow).setInit(0x83).setOption(0xFF).setStrings(
        {QByteArray(40, 'M'), QByteArray(40, 'W'), "0001"});
    if (!image.writeTo(source))
        return false;
    if (!m_wizard.Start())
        return false;
    m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    while (m_wizard.dlg->CurrentStep() < step) {
        if (m_wizard.dlg->StepPage(m_wizard.dlg->CurrentStep())
            == m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode))
            m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)
                ->GetDlgItem<CEditAlnum>(CodeIds::Code)
                ->setText(QStringLiteral("WWW"));
        if (m_wizard.dlg->CurrentStep() == CBrindleDlg::StepSave) {
            const QString target = m_dir.filePath(QStringLiteral("board-revision-c-production-2026-12-10-WWW.ROM"));
            QFile::remove(target);
            m_wizard.dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)
                ->GetDlgItem<QLineEdit>(FileIds::Path)
                ->setText(target);
        }
        const int before = m_wizard.dlg->CurrentStep();
        PressNext(*m_wizard.dlg);
        if (m_wizard.dlg->CurrentStep() == before)
            return false;
    }
    return m_wizard.dlg->CurrentStep() == step && m_wizard.services.messages.isEmpty();
}

void TestTextFit::CheckStep()
{
    CWizardPage *page = m_wizard.dlg->StepPage(m_wizard.dlg->CurrentStep());
    QVERIFY(page->isVisible());
    CheckControls(page);
    CheckControls(m_wizard.dlg.get(), {{QStringLiteral("the page"), page->geometry()}});
}

void TestTextFit::everyStep_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("step");
    for (int scale : {1, 2}) {
        for (int step = 0; step < CBrindleDlg::kStepCount; ++step) {
            // The target directory step belongs to QJ4J, the USB step to QSOL.
            const QByteArray version = step == 6 ? "03.64-ABCQJ4JA" : "03.64-ABCQSOLF";
            QTest::addRow("step %d at %dx", step, scale) << scale << version << step;
        }
    }
}

void TestTextFit::everyStep()
{
    QFETCH(int, scale);
    QFETCH(QByteArray, version);
    QFETCH(int, step);
    UseFont(scale);
    QVERIFY(WalkTo(version, step));
    CheckStep();
}

void TestTextFit::summaryWithEveryValue_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("confirm");
    for (int scale : {1, 2}) {
        QTest::addRow("file summary at %dx", scale) << scale << false;
        QTest::addRow("confirm summary at %dx", scale) << scale << true;
    }
}

void TestTextFit::summaryWithEveryValue()
{
    QFETCH(int, scale);
    QFETCH(bool, confirm);
    UseFont(scale);
    QVERIFY(WalkTo("03.64-ABCQLYT1F", confirm ? 8 : 1));
    CTabSummary *page =
        m_wizard.dlg->StepPage<CTabSummary>(confirm ? CBrindleDlg::StepConfirm : CBrindleDlg::StepSummary);
    // The page describes `v` anew.
    Firmware::Settings v = m_wizard.dlg->Record();
    const auto reshow = [page, &v] {
        page->ShowWindow(false);
        page->SetValues(v);
        page->ShowWindow(true);
    };

    // Every UART setting the list offers, and the values a file may hold beyond them.
    for (const Firmware::BaudDivisor &d : Firmware::kBaudDivisors) {
        for (int bits : {7, 8}) {
            for (int stop : {1, 2}) {
                for (int parity = 0; parity <= 2; ++parity) {
                    for (int flow = 0; flow <= Firmware::kFlowUnknown; ++flow) {
                        v.m_nBaudRate = d.rate;
                        v.m_nDataBits = bits;
                        v.m_nStopBits = stop;
                        v.m_nParity = parity;
                        v.m_nFlowControl = flow;
                        reshow();
                        CheckControls(page);
                        if (QTest::currentTestFailed())
                            return;
                    }
                }
            }
        }
    }
    // Every combination of the option and mode flags.
    for (int flags = 0; flags < (1 << 9); ++flags) {
        bool *members[] = {&v.m_bDisableUpgrades,   &v.m_bHideConnects,      &v.m_bDisableDataMode,
                           &v.m_bDisableStatusInfo, &v.m_bHideVersionReport, &v.m_bHidePrompt,
                           &v.m_bDisableLedFlash,   &v.m_bShortCommandSet,   &v.m_bAsciiInput};
        for (int i = 0; i < 9; ++i)
            *members[i] = flags & (1 << i);
        reshow();
        CheckControls(page);
        if (QTest::currentTestFailed())
            return;
    }
    // The rows below a wrapped value stay in the page: the last one ends inside it.
    CheckControls(m_wizard.dlg.get(), {{QStringLiteral("the page"), page->geometry()}});
}

void TestTextFit::aboutBox_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << 1;
    QTest::newRow("2x") << 2;
}

void TestTextFit::aboutBox()
{
    QFETCH(int, scale);
    UseFont(scale);
    CAboutDlg about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    CheckControls(&about);
}

// clang-format off
void TestTextFit::summaryRows_data()
{
    // The rows that only some types have, with the strings of every length the image holds.
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("manufacturer");  // characters of 'W', the widest letter
    QTest::addColumn<int>("product");       // characters of 'M'
    for (int scale : {1, 2}) {
        for (bool confirm : {false, true}) {
            const char *which = confirm ? "confirm" : "file";
            QTest::addRow("QSOL, short strings, %s, %dx", which, scale) << scale << confirm << QByteArray("03.64-ABCQSOLF") << 4 << 5;
            QTest::addRow("QSOL, 40 and 40, %s, %dx", which, scale) << scale << confirm << QByteArray("03.64-ABCQSOLF") << 40 << 40;
            QTest::addRow("QSOL, all 123, %s, %dx", which, scale) << scale << confirm << QByteArray("03.64-ABCQSOLF") << 61 << 62;
            QTest::addRow("QSOL, one string of 123, %s, %dx", which, scale) << scale << confirm << QByteArray("03.64-ABCQSOLF") << 123 << 0;
            QTest::addRow("QWEX, %s, %dx", which, scale) << scale << confirm << QByteArray("03.64-ABCQWEXF") << 0 << 0;
            QTest::addRow("QJ4J, %s, %dx", which, scale) << scale << confirm << QByteArray("03.66-ABCQJ4JA") << 0 << 0;
        }
    }
}
// clang-format on

void TestTextFit::summaryRows()
{
    QFETCH(int, scale);
    QFETCH(bool, confirm);
    QFETCH(QByteArray, version);
    QFETCH(int, manufacturer);
    QFETCH(int, product);
    UseFont(scale);
    QVERIFY(WalkTo(version, confirm ? CBrindleDlg::StepConfirm : CBrindleDlg::StepSummary));
    CTabSummary *page =
        m_wizard.dlg->StepPage<CTabSummary>(confirm ? CBrindleDlg::StepConfirm : CBrindleDlg::StepSummary);
    Firmware::Settings v = m_wizard.dlg->Record();
    v.m_strManufacturer = QString(manufacturer, QLatin1Char('W'));
    v.m_strProduct = QString(product, QLatin1Char('M'));
    v.m_strString3.clear();
    // The widest of every other value too.
    v.m_nBaudRate = 3000000;
    v.m_nFlowControl = Firmware::kFlowUnknown;
    page->ShowWindow(false);
    page->SetValues(v);
    page->ShowWindow(true);
    QApplication::processEvents();
    const bool usb = version.contains("QSOL");
    QCOMPARE(page->GetDlgItem(SummaryIds::Vid)->isVisible(), usb);
    QCOMPARE(page->GetDlgItem(SummaryIds::UsbStrings)->isVisible(), usb);
    QCOMPARE(page->GetDlgItem(SummaryIds::DirPrefix)->isVisible(), !usb);
    CheckStep();
}

void TestTextFit::unknownFlowEntry_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << 1;
    QTest::newRow("2x") << 2;
}

// The flow list offers "Unknown (keep as is)" for a file whose flow byte the monitor does not
// know: the list is wide enough for it.
void TestTextFit::unknownFlowEntry()
{
    QFETCH(int, scale);
    UseFont(scale);
    QVERIFY(WalkTo("03.64-ABCQSOLF", CBrindleDlg::StepBaud, 0x03));
    auto *baud = m_wizard.dlg->StepPage<CTabBaudRate>(CBrindleDlg::StepBaud);
    QCOMPARE(baud->GetDlgItem<QComboBox>(BaudIds::FlowControl)->currentText(), QStringLiteral("Unknown (keep as is)"));
    CheckStep();
}

void TestTextFit::finishWithLongNames_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("length");
    for (int scale : {1, 2}) {
        for (int length : {60, 120, 255})
            QTest::addRow("names of %d at %dx", length, scale) << scale << length;
    }
}

// The report names the files whole, at any length a name can have: the lines break inside a
// name that is longer than a line, and a report taller than the page scrolls.
void TestTextFit::finishWithLongNames()
{
    QFETCH(int, scale);
    QFETCH(int, length);
    UseFont(scale);
    QVERIFY(WalkTo("03.64-ABCQSOLF", CBrindleDlg::StepFinish));
    auto *page = m_wizard.dlg->StepPage<CTabFinish>(CBrindleDlg::StepFinish);
    const QString source = QString(length - 4, QLatin1Char('W')) + QStringLiteral(".QUF");
    const QString target = QString(length - 4, QLatin1Char('M')) + QStringLiteral(".ROM");
    page->SetResult(m_dir.filePath(source), m_dir.filePath(target), m_wizard.dlg->Record());
    page->ShowWindow(false);
    page->ShowWindow(true);
    QApplication::processEvents();
    const QString report = page->GetDlgItem<CSelectableText>(FinishIds::Message)->text();
    QVERIFY(report.contains(QStringLiteral("Original file ") + source + QLatin1Char('\n')));
    QVERIFY(report.endsWith(QStringLiteral("Saved to disk as ") + target));
    // Selectable, by mouse and by keyboard.
    QVERIFY(page->GetDlgItem<CSelectableText>(FinishIds::Message)->textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(page->GetDlgItem<CSelectableText>(FinishIds::Message)->textInteractionFlags()
            & Qt::TextSelectableByKeyboard);
    page->GetDlgItem<CSelectableText>(FinishIds::Message)->selectAll();
    QCOMPARE(page->GetDlgItem<CSelectableText>(FinishIds::Message)
                 ->textCursor()
                 .selectedText()
                 .replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
             report);
    CheckStep();
}

void TestTextFit::messageBoxCaptions_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("caption");
    for (int scale : {1, 2}) {
        for (const char *caption : {"Could not open source file", "Could not open destination file",
                                    "Could not write destination file", "File Format Error", "Firmware Format Error",
                                    "Firmware Version Error", "File Exists", CBrindleDlg::kDiscardCaption}) {
            QTest::addRow("%s at %dx", caption, scale) << scale << QString::fromLatin1(caption);
        }
    }
}

// A message box is at least as wide as its caption, so the window manager never cuts it.
void TestTextFit::messageBoxCaptions()
{
    QFETCH(int, scale);
    QFETCH(QString, caption);
    UseFont(scale);
    QMessageBox box(QMessageBox::NoIcon, caption, QStringLiteral("x"), QMessageBox::Ok);
    CQtDialogServices::PrepareMessageBox(box);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QFont bold = box.font();
    bold.setBold(true);
    // The caption in bold with room for the title bar's buttons, up to the screen's width.
    const QFontMetrics fm(bold);
    const int need =
        std::min(fm.horizontalAdvance(caption) + 8 * fm.height(), box.screen()->availableGeometry().width());
    QVERIFY2(box.width() >= need, qPrintable(QStringLiteral("%1 < %2").arg(box.width()).arg(need)));
    QCOMPARE(box.textFormat(), Qt::PlainText);
}

void TestTextFit::drawnWhole_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("step");
    for (int step = 0; step < CBrindleDlg::kStepCount; ++step) {
        // The target directory step belongs to QJ4J, the USB step to QSOL.
        const QByteArray version = step == 6 ? "03.64-ABCQJ4JA" : "03.64-ABCQSOLF";
        QTest::addRow("step %d", step) << version << step;
    }
}

// Every static text of every page and of the window around it, drawn in the platform's own font
// at the screen's resolution (the suite runs under Wine at 96 and 144 dots per inch too): the
// header's description to its last line, the descenders of every label, and the report on the
// last page whole without scrolling, the name written included.
void TestTextFit::drawnWhole()
{
    QFETCH(QByteArray, version);
    QFETCH(int, step);
    QVERIFY(WalkTo(version, step));
    CWizardPage *page = m_wizard.dlg->StepPage(m_wizard.dlg->CurrentStep());
    QVERIFY(QTest::qWaitForWindowExposed(m_wizard.dlg.get()));
    // Said for the runs at other resolutions, which check that they got the one they set.
    const QScreen *screen = m_wizard.dlg->screen();
    qInfo("dots per inch: %d", qRound(screen->logicalDotsPerInch() * screen->devicePixelRatio()));
    CheckDrawn(m_wizard.dlg.get());
    if (QTest::currentTestFailed())
        return;
    if (step == CBrindleDlg::StepFinish) {
        auto *report = page->findChild<CSelectableText *>();
        QVERIFY(report);
        QVERIFY(report->toPlainText().endsWith(
            QStringLiteral("Saved to disk as board-revision-c-production-2026-12-10-WWW.ROM")));
        QVERIFY2(report->ContentHeight() <= report->viewport()->height(),
                 qPrintable(QStringLiteral("the report needs %1 pixels in %2: the name written is below the fold")
                                .arg(report->ContentHeight())
                                .arg(report->viewport()->height())));
        QCOMPARE(report->verticalScrollBar()->maximum(), 0);
    }
}

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
