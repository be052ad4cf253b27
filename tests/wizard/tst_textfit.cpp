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
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include "aboutdlg.h"
#include "brindledlg.h"
#include "common/imagebuilder.h"
#include "editalnum.h"
#include "recorder.h"
#include "tabcode.h"
#include "tabfile.h"
#include "tabfinish.h"
#include "tabsummary.h"

namespace {

// Why `w` does not show its whole text in its rectangle, or an empty string when it does.
QString CutText(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    const QRect r = w->contentsRect();
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
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, fm.horizontalAdvance(combo->itemText(i)));
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        const QSize need =
            combo->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(widest, fm.height()), combo);
        if (need.width() > w->width())
            return QStringLiteral("list needs %1 for its longest item in %2").arg(need.width()).arg(w->width());
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

// A control that shows something: hidden controls and empty statics draw nothing.
bool Shows(QWidget *w)
{
    if (!w->isVisible())
        return false;
    if (auto *label = qobject_cast<QLabel *>(w))
        return !label->text().isEmpty() || !label->pixmap().isNull();
    return true;
}

// Checks the visible children of `parent` (and `extra` rectangles in its coordinates): each
// shows its whole text, lies inside `parent` and overlaps no other.
void CheckControls(QWidget *parent, const QList<QPair<QString, QRect>> &extra = {})
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

private:
    void UseFont(int scale);
    // Opens a wizard on a file of `version` and walks it to `step`.
    bool WalkTo(const QByteArray &version, int step);
    void CheckStep();

    QFont m_appFont;
    RecordingServices m_services;
    QTemporaryDir m_dir;
    std::unique_ptr<CBrindleDlg> m_dlg;
};

void TestTextFit::init()
{
    m_appFont = QApplication::font();
}

void TestTextFit::cleanup()
{
    m_dlg.reset();
    QApplication::setFont(m_appFont);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestTextFit::UseFont(int scale)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9 * scale);
    QApplication::setFont(font);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
}

bool TestTextFit::WalkTo(const QByteArray &version, int step)
{
    // The longest of every value: the fastest baud rate, 7 bits, 2 stop bits, even parity,
    // XON/XOFF, every option and mode flag set, a modified version with the longest type code.
    const QString source = m_dir.filePath(QStringLiteral("board-revision-c-production-2026-12-10.QUF"));
    ImageBuilder image(ImageBuilder::Upgrade, version);
    image.setDivisor(0).setLine(0x1D).setFlow(0x04).setInit(0x83).setOption(0xFF).setStrings(
        {QByteArray(40, 'M'), QByteArray(40, 'W'), "0001"});
    if (!image.writeTo(source))
        return false;
    m_services = RecordingServices();
    m_dlg = std::make_unique<CBrindleDlg>(&m_services);
    m_dlg->show();
    if (!QTest::qWaitForWindowExposed(m_dlg.get()))
        return false;
    m_dlg->StepPage<CTabFile>(CBrindleDlg::StepOpen)->m_editFilePath->setText(source);
    while (m_dlg->CurrentStep() < step) {
        if (m_dlg->StepPage(m_dlg->CurrentStep()) == m_dlg->StepPage<CTabCode>(CBrindleDlg::StepCode))
            m_dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->m_editCode->setText(QStringLiteral("WWW"));
        if (m_dlg->CurrentStep() == CBrindleDlg::StepSave) {
            const QString target = m_dir.filePath(QStringLiteral("board-revision-c-production-2026-12-10-WWW.ROM"));
            QFile::remove(target);
            m_dlg->StepPage<CTabFile>(CBrindleDlg::StepSave)->m_editFilePath->setText(target);
        }
        const int before = m_dlg->CurrentStep();
        m_dlg->OnNext();
        if (m_dlg->CurrentStep() == before)
            return false;
    }
    return m_dlg->CurrentStep() == step && m_services.messages.isEmpty();
}

void TestTextFit::CheckStep()
{
    CWizardPage *page = m_dlg->StepPage(m_dlg->CurrentStep());
    QVERIFY(page->isVisible());
    CheckControls(page);
    CheckControls(m_dlg.get(), {{QStringLiteral("the page"), page->geometry()}});
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
    CTabSummary *page = m_dlg->StepPage<CTabSummary>(confirm ? CBrindleDlg::StepConfirm : CBrindleDlg::StepSummary);
    const auto reshow = [page] {
        page->ShowWindow(false);
        page->ShowWindow(true);
    };

    // Every UART setting the list offers, and the values a file may hold beyond them.
    for (const Firmware::BaudDivisor &d : Firmware::kBaudDivisors) {
        for (int bits : {7, 8}) {
            for (int stop : {1, 2}) {
                for (int parity = 0; parity <= 2; ++parity) {
                    for (int flow = 0; flow <= Firmware::kFlowUnknown; ++flow) {
                        page->m_values.nBaudRate = d.rate;
                        page->m_values.nDataBits = bits;
                        page->m_values.nStopBits = stop;
                        page->m_values.nParity = parity;
                        page->m_values.nFlowControl = flow;
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
        SettingsText::SummaryValues &v = page->m_values;
        bool *members[] = {&v.bDisableUpgrades,   &v.bHideConnects,      &v.bDisableDataMode,
                           &v.bDisableStatusInfo, &v.bHideVersionReport, &v.bHidePrompt,
                           &v.bDisableLedFlash,   &v.bShortCommandSet,   &v.bAsciiInput};
        for (int i = 0; i < 9; ++i)
            *members[i] = flags & (1 << i);
        reshow();
        CheckControls(page);
        if (QTest::currentTestFailed())
            return;
    }
    // The rows below a wrapped value stay in the page: the last one ends inside it.
    CheckControls(m_dlg.get(), {{QStringLiteral("the page"), page->geometry()}});
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

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
