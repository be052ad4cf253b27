// The template builder: dialog units, control kinds and styles, radio groups and tab order.

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "controls/dialogtemplate.h"
#include "controls/editalnum.h"
#include "leftovers.h"
#include "resources/resourceids.h"

class TestDialogTemplate : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(LeftoverWindows(), QStringList()); }
    void baseUnitsFollowTheFont();
    void baseUnitsMatchWindows();
    void toPixels_data();
    void toPixels();
    void everyTemplateExists_data();
    void everyTemplateExists();
    void controlsFromTable();
    void radioGroups();
    void tabOrderFollowsTable();
    void customControls();
    void oneLineTextsAreWhole_data();
    void oneLineTextsAreWhole();
    void idNotInTemplate();
    void headingFont();
    void labelsCentredOnTheirInputs_data();
    void labelsCentredOnTheirInputs();
    void pictureScalesWithTheFont_data();
    void pictureScalesWithTheFont();
};

void TestDialogTemplate::baseUnitsFollowTheFont()
{
    QFont font = QApplication::font();
    const QFontMetrics fm(font);
    const int extent = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const QSize base = CDialogBuilder::BaseUnits(font);
#ifdef Q_OS_WIN
    Q_UNUSED(extent);  // Windows' own measures decide there (baseUnitsMatchWindows)
#else
    // Four units across are one average letter, to the nearest pixel; eight units down are one
    // line of text.
    QVERIFY2(qAbs(base.width() * 52 - extent) <= 26,
             qPrintable(QStringLiteral("%1 pixels for letters %2/52 wide").arg(base.width()).arg(extent)));
    QCOMPARE(base.height(), fm.height());
    // So a line of the 52 letters, 4 units each, is as wide as they are, give or take half a
    // pixel a letter.
    QVERIFY(qAbs(CDialogBuilder::ToPixels(QSize(52 * 4, 8), base).width() - extent) <= 26);
#endif

    // A larger font gives larger units, so dialogs grow with the user's font.
    font.setPixelSize(QFontInfo(font).pixelSize() * 2);
    const QSize larger = CDialogBuilder::BaseUnits(font);
    QVERIFY(larger.width() > base.width());
    QVERIFY(larger.height() > base.height());
    // Each font is measured once and keeps its own units, whichever was measured last.
    QCOMPARE(CDialogBuilder::BaseUnits(QApplication::font()), base);
    QCOMPARE(CDialogBuilder::BaseUnits(font), larger);
}

void TestDialogTemplate::baseUnitsMatchWindows()
{
#ifndef Q_OS_WIN
    QSKIP("Compares with the Windows system's own dialog font and text measures");
#else
    // Dialogs on Windows use the system's message font, and Windows measures its dialog units
    // on that font with the screen's device context: the average width of the 52 letters,
    // rounded, and the character height.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    QVERIFY(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const QFont font = QApplication::font();
    QCOMPARE(font.family(), QString::fromWCharArray(metrics.lfMessageFont.lfFaceName));

    const HDC dc = ::GetDC(nullptr);
    QVERIFY(dc != nullptr);
    const HFONT windowsFont = ::CreateFontIndirectW(&metrics.lfMessageFont);
    QVERIFY(windowsFont != nullptr);
    const HGDIOBJ old = ::SelectObject(dc, windowsFont);
    TEXTMETRICW tm{};
    SIZE extent{};
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const bool measured = ::GetTextMetricsW(dc, &tm) && ::GetTextExtentPoint32W(dc, letters, 52, &extent);
    ::SelectObject(dc, old);
    ::DeleteObject(windowsFont);
    ::ReleaseDC(nullptr, dc);
    QVERIFY(measured);

    const QSize windowsBase((extent.cx / 26 + 1) / 2, tm.tmHeight);
    QCOMPARE(CDialogBuilder::BaseUnits(font), windowsBase);
    // And so the wizard's 320 by 200 units are the pixels Windows would give its dialog.
    QCOMPARE(CDialogBuilder::ToPixels(QSize(320, 200), CDialogBuilder::BaseUnits(font)),
             QSize(::MulDiv(320, windowsBase.width(), 4), ::MulDiv(200, windowsBase.height(), 8)));
#endif
}

void TestDialogTemplate::toPixels_data()
{
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QSize>("base");
    QTest::addColumn<QRect>("pixels");

    // The classic 8-point base of 6 by 13 pixels.
    QTest::newRow("wizard") << QRect(0, 0, 320, 200) << QSize(6, 13) << QRect(0, 0, 480, 325);
    QTest::newRow("button") << QRect(204, 180, 50, 14) << QSize(6, 13) << QRect(306, 293, 75, 22);
    // Halves round away from zero, as MulDiv does.
    QTest::newRow("rounding") << QRect(1, 1, 3, 5) << QSize(6, 13) << QRect(2, 2, 4, 8);
    // Each edge is rounded on its own: a control starting where another ends starts on its pixel.
    QTest::newRow("title") << QRect(114, 6, 180, 18) << QSize(7, 14) << QRect(200, 11, 315, 31);
    QTest::newRow("description") << QRect(114, 24, 204, 36) << QSize(7, 14) << QRect(200, 42, 357, 63);
    QTest::newRow("zero") << QRect(0, 0, 0, 0) << QSize(7, 16) << QRect(0, 0, 0, 0);
}

void TestDialogTemplate::toPixels()
{
    QFETCH(QRect, units);
    QFETCH(QSize, base);
    QFETCH(QRect, pixels);
    QCOMPARE(CDialogBuilder::ToPixels(units, base), pixels);
}

void TestDialogTemplate::everyTemplateExists_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("controls");

    QTest::newRow("about") << IDD_ABOUTBOX << QSize(262, 76) << 5;
    QTest::newRow("wizard") << IDD_BRINDLE_DIALOG << QSize(320, 200) << 9;
    QTest::newRow("file") << IDD_TAB_FILE << QSize(302, 104) << 3;
    QTest::newRow("baud") << IDD_TAB_BAUDRATE << QSize(302, 104) << 12;
    QTest::newRow("prompt") << IDD_TAB_PROMPT << QSize(302, 104) << 6;
    QTest::newRow("usb") << IDD_TAB_USBSLAVE << QSize(302, 104) << 9;
    QTest::newRow("summary") << IDD_TAB_SUMMARY << QSize(302, 104) << 17;
    QTest::newRow("init") << IDD_TAB_INIT << QSize(302, 104) << 7;
    QTest::newRow("finish") << IDD_TAB_FINISH << QSize(302, 104) << 1;
    QTest::newRow("code") << IDD_TAB_CODE << QSize(302, 104) << 2;
}

void TestDialogTemplate::everyTemplateExists()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    QFETCH(int, controls);

    const DialogTemplate *tpl = FindDialogTemplate(id);
    QVERIFY(tpl);
    QCOMPARE(QSize(tpl->w, tpl->h), size);
    QCOMPARE(int(tpl->controls.size()), controls);
    // Every control lies inside its dialog (a drop-down list's height includes its list).
    for (const ControlTemplate &c : tpl->controls) {
        const int h = c.kind == ControlKind::ComboBox ? 14 : c.h;
        QVERIFY2(c.x >= 0 && c.y >= 0 && c.x + c.w <= tpl->w && c.y + h <= tpl->h, qPrintable(QString::number(c.id)));
    }
}

void TestDialogTemplate::controlsFromTable()
{
    QDialog dialog;
    const CDialogControls controls = CDialogBuilder::Build(&dialog, *FindDialogTemplate(IDD_BRINDLE_DIALOG));
    const QSize base = CDialogBuilder::BaseUnits(dialog.font());

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Norvale Firmware Customiser V1.1b"));
    QCOMPARE(dialog.size(), CDialogBuilder::ToPixels(QSize(320, 200), base));

    auto *next = controls.Item<QPushButton>(WizardIds::Next);
    QVERIFY(next);
    // "&Next >" and "< &Back": Alt+N and Alt+B press them, and the captions read as before.
    QCOMPARE(next->text(), QString::fromLatin1(kNextCaption));
    QCOMPARE(next->text().remove(QLatin1Char('&')), QStringLiteral("Next >"));
    QCOMPARE(next->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
    QCOMPARE(controls.Item<QPushButton>(WizardIds::Back)->text().remove(QLatin1Char('&')), QStringLiteral("< Back"));
    QCOMPARE(controls.Item<QPushButton>(WizardIds::Back)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_B));
    QVERIFY(!next->isEnabled());
    QVERIFY(!next->isDefault());
    QCOMPARE(next->geometry(), CDialogBuilder::ToPixels(QRect(204, 180, 50, 14), base));
    QCOMPARE(next->focusPolicy(), Qt::StrongFocus);

    auto *counter = controls.Item<QLabel>(WizardIds::Counter);
    QVERIFY(counter);
    QVERIFY(counter->alignment() & Qt::AlignRight);
    QVERIFY(counter->isVisibleTo(&dialog));
    QVERIFY(!controls.Item(WizardIds::Steps)->isVisibleTo(&dialog));
    QVERIFY(controls.Item<QPushButton>(WizardIds::Cancel)->isEnabled());

    QDialog about;
    const CDialogControls aboutControls = CDialogBuilder::Build(&about, *FindDialogTemplate(IDD_ABOUTBOX));
    QVERIFY(aboutControls.Item<QPushButton>(AboutIds::Ok)->isDefault());
}

void TestDialogTemplate::radioGroups()
{
    QWidget page;
    const CDialogControls controls = CDialogBuilder::Build(&page, *FindDialogTemplate(IDD_TAB_INIT));
    auto *ipa = controls.Item<QRadioButton>(InitIds::AsciiInput);
    auto *iph = controls.Item<QRadioButton>(InitIds::BinaryInput);
    auto *scs = controls.Item<QRadioButton>(InitIds::ShortCommands);
    auto *ecs = controls.Item<QRadioButton>(InitIds::ExtendedCommands);
    QVERIFY(ipa && iph && scs && ecs);
    QVERIFY(ipa->group() && ipa->group() == iph->group());
    QVERIFY(scs->group() && scs->group() == ecs->group());
    QVERIFY(ipa->group() != scs->group());

    // Checking one button of a group unchecks only its partner.
    ipa->setChecked(true);
    scs->setChecked(true);
    iph->setChecked(true);
    QVERIFY(!ipa->isChecked());
    QVERIFY(scs->isChecked());
    // Each group is one tab stop: its checked button.
    QCOMPARE(iph->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(ipa->focusPolicy(), Qt::ClickFocus);
    QCOMPARE(scs->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(ecs->focusPolicy(), Qt::ClickFocus);
    ipa->setChecked(true);
    QCOMPARE(ipa->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(iph->focusPolicy(), Qt::ClickFocus);

    // Each pair is a group named by the label before it, holding the buttons where the template
    // puts them; the group draws nothing (no title either) and takes no focus.
    for (auto [button, title] :
         {std::pair{ipa, "Input Mode:"}, {iph, "Input Mode:"}, {scs, "Command Mode:"}, {ecs, "Command Mode:"}}) {
        auto *box = qobject_cast<QGroupBox *>(button->parentWidget());
        QVERIFY(box);
        QCOMPARE(box->title(), QString());
        QCOMPARE(box->accessibleName(), QString::fromLatin1(title));
        QCOMPARE(box->parentWidget(), &page);
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
        QVERIFY(button->isVisibleTo(&page));
    }
    const QSize base = CDialogBuilder::BaseUnits(page.font());
    QCOMPARE(QRect(ipa->mapTo(&page, QPoint(0, 0)), ipa->size()).topLeft(),
             CDialogBuilder::ToPixels(QRect(126, 30, 73, 10), base).topLeft());
}

void TestDialogTemplate::tabOrderFollowsTable()
{
    QWidget page;
    const CDialogControls controls = CDialogBuilder::Build(&page, *FindDialogTemplate(IDD_TAB_PROMPT));
    // The table's order is the tab order, and on the options page it is the screen's, top to bottom.
    const QList<int> order{PromptIds::ShowPrompt,      PromptIds::ShowDeviceConnects, PromptIds::ShowVersionReport,
                           PromptIds::DisableDataMode, PromptIds::DisableUpgrades,    PromptIds::DisableStatusInfo};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QCOMPARE(controls.Item(order.at(i))->nextInFocusChain(), controls.Item(order.at(i + 1)));
        QVERIFY(controls.Item(order.at(i))->y() < controls.Item(order.at(i + 1))->y());
    }
}

void TestDialogTemplate::customControls()
{
    QWidget page;
    const CDialogControls controls = CDialogBuilder::Build(
        &page, *FindDialogTemplate(IDD_TAB_CODE), [](const ControlTemplate &c, QWidget *parent) -> QWidget * {
            return c.id == CodeIds::Code ? new CEditAlnum(parent) : nullptr;
        });
    auto *edit = controls.Item<CEditAlnum>(CodeIds::Code);
    QVERIFY(edit);
    QVERIFY(edit->IsUpperCase());
    QVERIFY(edit->hasFrame());
    auto *label = controls.Item<QLabel>(CodeIds::Label);
    QVERIFY(label && (label->alignment() & Qt::AlignRight));
    QCOMPARE(label->text(), QStringLiteral("Firmware Code:"));
}

void TestDialogTemplate::oneLineTextsAreWhole_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("pixelSize");
    for (int id : {IDD_ABOUTBOX, IDD_TAB_BAUDRATE, IDD_TAB_PROMPT, IDD_TAB_USBSLAVE, IDD_TAB_SUMMARY, IDD_TAB_INIT}) {
        for (int px : {11, 13, 16}) {
            QTest::addRow("template %d at %d px", id, px) << id << px;
        }
    }
}

void TestDialogTemplate::oneLineTextsAreWhole()
{
    QFETCH(int, id);
    QFETCH(int, pixelSize);

    // Whatever the font, a one-line text is shown whole: its control is as wide as the text,
    // unless it already reaches the dialog's edge.
    QWidget dialog;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    dialog.setFont(font);
    const DialogTemplate *tpl = FindDialogTemplate(id);
    const CDialogControls controls = CDialogBuilder::Build(&dialog, *tpl);
    for (int i = 0; i < int(tpl->controls.size()); ++i) {
        const ControlTemplate &c = tpl->controls[size_t(i)];
        QWidget *w = controls.InOrder().at(i);
        const QString text = QString::fromUtf8(c.caption);
        int need = 0;
        if (c.kind == ControlKind::Static && w->height() < 2 * w->fontMetrics().height())
            need = w->fontMetrics().horizontalAdvance(text);
        else if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton)
            need = w->sizeHint().width();
        if (need == 0)
            continue;
        QVERIFY2(w->width() >= need || w->geometry().right() + 1 >= dialog.width(), qPrintable(text));
        if (auto *label = qobject_cast<QLabel *>(w); label && label->width() < need + 2)
            QVERIFY2(!label->wordWrap(), qPrintable(text));
    }
}

void TestDialogTemplate::idNotInTemplate()
{
#ifndef QT_NO_DEBUG
    QSKIP("Debug builds stop on an id that the template lacks (Q_ASSERT)");
#else
    // The file page has no "Next": release builds answer null rather than another control.
    QDialog dialog;
    const CDialogControls controls = CDialogBuilder::Build(&dialog, *FindDialogTemplate(IDD_TAB_FILE));
    QVERIFY(controls.Item(FileIds::Path));
    QCOMPARE(controls.Item(WizardIds::Next), nullptr);
    QCOMPARE(controls.Item<QPushButton>(WizardIds::Next), nullptr);
#endif
}

void TestDialogTemplate::headingFont()
{
    // A third larger than the dialog font, and bold, whatever the dialog font is.
    for (int pixels : {9, 12, 16, 30}) {
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        const QFont heading = CDialogBuilder::HeadingFont(font);
        QCOMPARE(QFontInfo(heading).pixelSize(), pixels * 4 / 3);
        QVERIFY(heading.bold());
        QCOMPARE(heading.family(), font.family());
    }
}

// clang-format off
void TestDialogTemplate::labelsCentredOnTheirInputs_data()
{
    // A one-line static that labels an input in its row stands centred on it vertically.
    QTest::addColumn<int>("templateId");
    QTest::addColumn<QList<int>>("inputs");  // each labelled by the static before it
    QTest::newRow("Set Baud") << IDD_TAB_BAUDRATE
                              << QList<int>{BaudIds::BaudRate, BaudIds::SevenBits, BaudIds::OneStopBit, BaudIds::Parity,
                                            BaudIds::FlowControl};
    QTest::newRow("Set Code") << IDD_TAB_CODE << QList<int>{CodeIds::Code};
    QTest::newRow("Set PID/VID") << IDD_TAB_USBSLAVE
                                 << QList<int>{UsbIds::VendorId, UsbIds::ProductId, UsbIds::Manufacturer, UsbIds::Product};
}
// clang-format on

void TestDialogTemplate::labelsCentredOnTheirInputs()
{
    QFETCH(int, templateId);
    QFETCH(QList<int>, inputs);
    for (int scale : {1, 2}) {
        QWidget page;
        QFont font = page.font();
        font.setPixelSize(QFontInfo(font).pixelSize() * scale);
        page.setFont(font);
        const CDialogControls controls = CDialogBuilder::Build(&page, *FindDialogTemplate(templateId));
        for (int id : inputs) {
            QWidget *input = controls.Item(id);
            const qsizetype at = controls.InOrder().indexOf(input);
            QVERIFY(at > 0);
            // The radio pair's label comes before the pair; the first button is the one in its row.
            QLabel *label = nullptr;
            for (qsizetype i = at - 1; i >= 0 && !label; --i)
                label = qobject_cast<QLabel *>(controls.InOrder().at(i));
            QVERIFY(label);
            // A radio button stands in its pair's group: both measured on the page.
            const QRect l = label->geometry();
            const QRect in(input->mapTo(&page, QPoint()), input->size());
            QVERIFY2(std::abs((l.top() + l.bottom()) - (in.top() + in.bottom())) <= 1,
                     qPrintable(QStringLiteral("\"%1\" at %2..%3, its input at %4..%5")
                                    .arg(label->text())
                                    .arg(l.top())
                                    .arg(l.bottom())
                                    .arg(in.top())
                                    .arg(in.bottom())));
        }
    }
}

void TestDialogTemplate::pictureScalesWithTheFont_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("template font") << 1;
    QTest::newRow("twice the font") << 2;
    QTest::newRow("three times the font") << 3;
}

// The header picture fills its template rectangle in the dialog's font, in its own proportions,
// drawn with as many pixels as the screen has for it.
void TestDialogTemplate::pictureScalesWithTheFont()
{
    QFETCH(int, scale);
    QWidget dialog;
    QFont font = dialog.font();
    font.setPixelSize(QFontInfo(font).pixelSize() * scale);
    dialog.setFont(font);
    const CDialogControls controls = CDialogBuilder::Build(&dialog, *FindDialogTemplate(IDD_BRINDLE_DIALOG));
    auto *logo = qobject_cast<QLabel *>(controls.Item(WizardIds::Logo));
    QVERIFY(logo);
    const QRect box = CDialogBuilder::ToPixels(QRect(6, 6, 100, 55), CDialogBuilder::BaseUnits(font));
    const QSize logical = logo->size();
    // As large as fits, in the artwork's 150:89.
    QVERIFY(logical.width() <= box.width() && logical.height() <= box.height());
    QVERIFY(logical.width() >= box.width() - 1 || logical.height() >= box.height() - 1);
    QVERIFY(std::abs(logical.width() * 89 - logical.height() * 150) <= 150);
    // Drawn with the screen's pixels: one pixel of the picture to one of the screen.
    const QPixmap picture = logo->pixmap();
    QCOMPARE(picture.devicePixelRatio(), dialog.devicePixelRatioF());
    QCOMPARE(picture.deviceIndependentSize().toSize(), logical);
    QCOMPARE(picture.size(), (QSizeF(logical) * dialog.devicePixelRatioF()).toSize());
}

QTEST_MAIN(TestDialogTemplate)
#include "tst_dialogtemplate.moc"
