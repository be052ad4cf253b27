// "Set PID/VID", alone in a stand-in frame and, for a loaded file, in the wizard: the IDs shown as four lower-case hexadecimal digits and read back the way the
// C library reads a base-16 number, the two strings kept exactly, and Next held back, with the
// reason on the page, while the strings hold a character beyond the image's one byte per
// character or the three USB strings would not fit the image.

// Qt
#include <QtTest>

// Std
#include <algorithm>

#include "controls/editalnum.h"
#include "firmware/firmwareformat.h"
#include "pages/tabcode.h"
#include "pages/tabusbslave.h"
#include "pagesuite.h"
#include "resources/resourceids.h"

class TestTabUsbSlave : public QObject, public PageSuite<CTabUsbSlave>
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsMembers_data();
    void showsMembers();
    void readsIdsBack_data();
    void readsIdsBack();
    void idReasonComesFirst();
    void keepsStringsExactly_data();
    void keepsStringsExactly();
    void valuesSurviveNextAndBack();
    void stringsMustFit_data();
    void stringsMustFit();
    void tooLongWhenShown();
    void reasonWhenNotStorable_data();
    void reasonWhenNotStorable();
    void reasonFitsATallerFont_data();
    void reasonFitsATallerFont();
    void loadedFileShownAndCollected();

private:
    // Gives the page what a load gives it: the IDs, the two strings, and a third string of
    // `string3` characters.
    void load(uint vendorId, uint productId, const QString &manufacturer = QString(),
              const QString &product = QString(), int string3 = 0)
    {
        Firmware::Settings settings;
        settings.m_nVendorId = int(vendorId);
        settings.m_nProductId = int(productId);
        settings.m_strManufacturer = manufacturer;
        settings.m_strProduct = product;
        settings.m_strString3 = QString(string3, QLatin1Char('s'));
        page()->SetSettings(settings);
    }
    // The page on screen.
    void showPage();
};

void TestTabUsbSlave::init()
{
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(StartPage(IDD_TAB_USBSLAVE));
}

void TestTabUsbSlave::cleanup()
{
    QCOMPARE(StopAll(), QStringList());  // no window at all, of the wizard or the frame
}

void TestTabUsbSlave::showPage()
{
    m_frame.Arrive(page());
}

// clang-format off
void TestTabUsbSlave::showsMembers_data()
{
    QTest::addColumn<uint>("vendorId");
    QTest::addColumn<uint>("productId");
    QTest::addColumn<QString>("vendorText");
    QTest::addColumn<QString>("productText");

    QTest::newRow("defaults") << 0x2B3Fu << 0x5C10u << "2b3f" << "5c10";
    QTest::newRow("leading zeros") << 0x0005u << 0x00A0u << "0005" << "00a0";
    QTest::newRow("zero") << 0u << 0xFFFFu << "0000" << "ffff";
}
// clang-format on

void TestTabUsbSlave::showsMembers()
{
    QFETCH(uint, vendorId);
    QFETCH(uint, productId);
    QFETCH(QString, vendorText);
    QFETCH(QString, productText);

    load(vendorId, productId, QStringLiteral("Norvale Ltd"), QStringLiteral("Host Chip"));
    showPage();
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId)->text(), vendorText);
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId)->text(), productText);
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text(), QStringLiteral("Norvale Ltd"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Product)->text(), QStringLiteral("Host Chip"));
    // Each edit shows its own value.
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId)->text(), vendorText);
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId)->text(), productText);
}

// clang-format off
void TestTabUsbSlave::readsIdsBack_data()
{
    // The boxes take what brindle-cli's --vid and --pid take: hexadecimal digits up to ffff,
    // "0x" allowed, blanks around them ignored. Anything else keeps Next disabled, says why, and
    // is never stored.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<uint>("stored");
    QTest::addColumn<QString>("shownAgain");

    QTest::newRow("lower case") << "2b3f" << true << 0x2B3Fu << "2b3f";
    QTest::newRow("upper case") << "ABCD" << true << 0xABCDu << "abcd";
    QTest::newRow("0x prefix") << "0x5C1F" << true << 0x5C1Fu << "5c1f";
    QTest::newRow("0X prefix") << "0XbEeF" << true << 0xBEEFu << "beef";
    QTest::newRow("short") << "5" << true << 0x5u << "0005";
    QTest::newRow("zero") << "0" << true << 0x0u << "0000";
    QTest::newRow("empty") << "" << false << 0x1111u << "1111";
    QTest::newRow("zz") << "zz" << false << 0x1111u << "1111";
    QTest::newRow("letter beyond F") << "G123" << false << 0x1111u << "1111";
    QTest::newRow("blank only") << " " << false << 0x1111u << "1111";
    QTest::newRow("prefix without digits") << "0x" << false << 0x1111u << "1111";
    QTest::newRow("five digits") << "12345" << false << 0x1111u << "1111";
    QTest::newRow("eight digits") << "FFFF0001" << false << 0x1111u << "1111";
    QTest::newRow("minus one") << "-1" << false << 0x1111u << "1111";
    QTest::newRow("plus sign") << "+12" << false << 0x1111u << "1111";
    QTest::newRow("blanks around") << "  1f " << true << 0x001Fu << "001f";
    QTest::newRow("trailing text") << "1a2 xyz" << false << 0x1111u << "1111";
    QTest::newRow("digits then letters") << "12gh" << false << 0x1111u << "1111";
}
// clang-format on

void TestTabUsbSlave::readsIdsBack()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(uint, stored);
    QFETCH(QString, shownAgain);

    load(0x1111, 0x1111);
    showPage();
    QVERIFY(m_frame.NextEnabled());
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId), typed);
    QCOMPARE(uint(collected().m_nVendorId), 0x1111u);  // read only when the page is left
    QCOMPARE(m_frame.NextEnabled(), accepted);
    const QString reason =
        QStringLiteral("The vendor ID \"%1\" is not a hexadecimal number from 0 to ffff.").arg(typed);
    QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(), accepted ? QString() : reason);

    // Back stores the vendor ID (an ID that is none leaves the value as it was).
    m_frame.Back();
    QVERIFY(!page()->IsShown());
    QCOMPARE(uint(collected().m_nVendorId), stored);
    QCOMPARE(uint(collected().m_nProductId), 0x1111u);

    m_frame.Next();
    QVERIFY(page()->IsShown());
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId)->text(), shownAgain);
    QVERIFY(m_frame.NextEnabled());
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId), typed);
    QCOMPARE(m_frame.NextEnabled(), accepted);
    QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(),
             accepted ? QString()
                      : QStringLiteral("The product ID \"%1\" is not a hexadecimal number from 0 to ffff.").arg(typed));
    // Correcting the text enables Next again and empties the reason.
    if (!accepted) {
        WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId), QStringLiteral("0x1111"));
        QVERIFY(m_frame.NextEnabled());
        QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(), QString());
        WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId), typed);
    }
    m_frame.Back();
    QVERIFY(!page()->IsShown());
    QCOMPARE(uint(collected().m_nProductId), stored);
    QCOMPARE(uint(collected().m_nVendorId), stored);

    m_frame.Next();
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId)->text(), shownAgain);
}

// The reason line names the first box that holds no ID, before any string problem.
void TestTabUsbSlave::idReasonComesFirst()
{
    load(0x2B3F, 0x5C10);
    showPage();
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QString(124, QLatin1Char('m')));
    QVERIFY(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text().startsWith(QStringLiteral("The two strings are")));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId), QStringLiteral("zz"));
    QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(),
             QStringLiteral("The product ID \"zz\" is not a hexadecimal number from 0 to ffff."));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId), QStringLiteral("12345"));
    QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(),
             QStringLiteral("The vendor ID \"12345\" is not a hexadecimal number from 0 to ffff."));
    QVERIFY(!m_frame.NextEnabled());
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId), QStringLiteral("1234"));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId), QStringLiteral("0x5678"));
    QVERIFY(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text().startsWith(QStringLiteral("The two strings are")));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QStringLiteral("Acme"));
    QCOMPARE(page()->GetDlgItem<QLabel>(UsbIds::Reason)->text(), QString());
    QVERIFY(m_frame.NextEnabled());
}

// clang-format off
void TestTabUsbSlave::keepsStringsExactly_data()
{
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("product");

    QTest::newRow("plain") << "Acme" << "Widget 2";
    QTest::newRow("blanks kept") << "  Acme  Ltd " << " x ";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("Latin-1 and signs") << "Soci\u00e9t\u00e9 & Cie." << "Ger\u00e4t-#1 (beta)";
    QTest::newRow("lower case stays") << "acme" << "abc";
    QTest::newRow("long") << QString(60, QLatin1Char('m')) << QString(63, QLatin1Char('p'));
}
// clang-format on

void TestTabUsbSlave::keepsStringsExactly()
{
    QFETCH(QString, manufacturer);
    QFETCH(QString, product);

    load(0, 0, QStringLiteral("Old maker"), QStringLiteral("Old product"));
    showPage();
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), manufacturer);
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Product), product);
    m_frame.Next();
    QVERIFY(!page()->IsShown());
    QCOMPARE(collected().m_strManufacturer, manufacturer);
    QCOMPARE(collected().m_strProduct, product);

    m_frame.Back();
    QVERIFY(page()->IsShown());
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text(), manufacturer);
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Product)->text(), product);
}

void TestTabUsbSlave::valuesSurviveNextAndBack()
{
    load(0x2B3F, 0x5C10);
    showPage();
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId), QStringLiteral("0XABC"));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QStringLiteral("Maker"));
    m_frame.Next();
    m_frame.Back();
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId)->text(), QStringLiteral("0abc"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId)->text(), QStringLiteral("5c10"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text(), QStringLiteral("Maker"));

    // Passing through without changes keeps the values as they are.
    m_frame.Back();
    m_frame.Next();
    m_frame.Next();
    QCOMPARE(uint(collected().m_nVendorId), 0x0ABCu);
    QCOMPARE(uint(collected().m_nProductId), 0x5C10u);
    QCOMPARE(collected().m_strManufacturer, QStringLiteral("Maker"));
}

// clang-format off
void TestTabUsbSlave::stringsMustFit_data()
{
    QTest::addColumn<int>("manufacturer");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("string3");
    QTest::addColumn<bool>("nextEnabled");

    QTest::newRow("empty") << 0 << 0 << 0 << true;
    QTest::newRow("123 in two") << 60 << 63 << 0 << true;
    QTest::newRow("124 in two") << 60 << 64 << 0 << false;
    QTest::newRow("123 with the third") << 50 << 50 << 23 << true;
    QTest::newRow("124 with the third") << 50 << 50 << 24 << false;
    QTest::newRow("third alone too long") << 0 << 0 << 124 << false;
    QTest::newRow("one string too long") << 127 << 0 << 0 << false;
}
// clang-format on

void TestTabUsbSlave::stringsMustFit()
{
    QFETCH(int, manufacturer);
    QFETCH(int, product);
    QFETCH(int, string3);
    QFETCH(bool, nextEnabled);

    load(0, 0, QString(), QString(), string3);
    showPage();
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QString(manufacturer, QLatin1Char('m')));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Product), QString(product, QLatin1Char('p')));
    QCOMPARE(m_frame.NextEnabled(), nextEnabled);

    // Enter acts as Next: it moves on only while the strings fit.
    QTest::keyClick(page()->GetDlgItem<QLineEdit>(UsbIds::Product), Qt::Key_Return);
    QCOMPARE(page()->IsShown(), !nextEnabled);
    if (nextEnabled)
        return;

    // Shortening by one character at a time: Next comes back as soon as they fit.
    const int room = Firmware::kMaxUsbStringChars - string3;
    QLineEdit *edit = product > 0 ? page()->GetDlgItem<QLineEdit>(UsbIds::Product)
                                  : page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    while (page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text().size()
                   + page()->GetDlgItem<QLineEdit>(UsbIds::Product)->text().size()
               > room
           && !edit->text().isEmpty()) {
        QVERIFY(!m_frame.NextEnabled());
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    QCOMPARE(m_frame.NextEnabled(), page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text().size()
                                            + page()->GetDlgItem<QLineEdit>(UsbIds::Product)->text().size()
                                        <= room);
    // And goes again when one more character is typed.
    if (m_frame.NextEnabled()) {
        QTest::keyClicks(edit, QStringLiteral("z"));
        QVERIFY(!m_frame.NextEnabled());
    }
}

void TestTabUsbSlave::tooLongWhenShown()
{
    load(0, 0, QString(100, QLatin1Char('m')), QString(20, QLatin1Char('p')), 4);
    showPage();
    QVERIFY(!m_frame.NextEnabled());

    // The same strings with a shorter third one fit.
    load(0, 0, QString(100, QLatin1Char('m')), QString(20, QLatin1Char('p')), 3);
    m_frame.Back();
    m_frame.Arrive(page());
    QVERIFY(m_frame.NextEnabled());
}

// clang-format off
void TestTabUsbSlave::reasonWhenNotStorable_data()
{
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("string3");
    QTest::addColumn<QString>("reason");  // empty: the strings can be written, Next is enabled

    const QString latin1 = QStringLiteral("Characters such as %1 cannot be stored: use Latin-1 characters only.");
    const QString tooLong = QStringLiteral("The two strings are %1 too long: together at most %2 fit in the image.");

    QTest::newRow("plain") << "Norvale Ltd" << "Host Chip" << 0 << "";
    QTest::newRow("Latin-1 letters and signs") << "M\u00fcller & S\u00f6hne" << "Ger\u00e4t \u00a9 \u00ff" << 0 << "";
    QTest::newRow("euro sign") << "M\u00fcller \u20ac" << "Host" << 0 << latin1.arg(QStringLiteral("\u20ac"));
    QTest::newRow("Cyrillic in the product") << "Acme" << "\u0416-Board" << 0 << latin1.arg(QStringLiteral("\u0416"));
    QTest::newRow("first one named") << "\u20ac and \u0416" << "\u2122" << 0 << latin1.arg(QStringLiteral("\u20ac"));
    QTest::newRow("manufacturer before product") << "Acme\u2122" << "\u0416" << 0 << latin1.arg(QStringLiteral("\u2122"));
    QTest::newRow("emoji named whole") << "Acme" << "Box \U0001F600" << 0 << latin1.arg(QStringLiteral("\U0001F600"));
    QTest::newRow("123 together") << QString(60, QLatin1Char('m')) << QString(63, QLatin1Char('p')) << 0 << "";
    QTest::newRow("1 too many") << QString(60, QLatin1Char('m')) << QString(64, QLatin1Char('p')) << 0
                                << tooLong.arg(QStringLiteral("1 character")).arg(123);
    QTest::newRow("7 too many") << QString(65, QLatin1Char('m')) << QString(65, QLatin1Char('p')) << 0
                                << tooLong.arg(QStringLiteral("7 characters")).arg(123);
    QTest::newRow("fit beside the third") << QString(50, QLatin1Char('m')) << QString(50, QLatin1Char('p')) << 23 << "";
    QTest::newRow("too many beside the third") << QString(50, QLatin1Char('m')) << QString(50, QLatin1Char('p')) << 30
                                               << tooLong.arg(QStringLiteral("7 characters")).arg(93);
    QTest::newRow("third alone too long") << "" << "" << 124 << QStringLiteral(
        "The device's third string takes more than the 123 characters that fit in the image.");
    QTest::newRow("one string far too long") << QString(1000, QLatin1Char('m')) << "" << 0
                                             << tooLong.arg(QStringLiteral("877 characters")).arg(123);
    QTest::newRow("both faults: the character first") << QString(130, QLatin1Char('m')) << "\u20ac" << 0
                                                      << latin1.arg(QStringLiteral("\u20ac"));
}
// clang-format on

void TestTabUsbSlave::reasonWhenNotStorable()
{
    QFETCH(QString, manufacturer);
    QFETCH(QString, product);
    QFETCH(int, string3);
    QFETCH(QString, reason);

    load(0, 0, QString(), QString(), string3);
    showPage();
    QLabel *label = page()->GetDlgItem<QLabel>(UsbIds::Reason);
    QVERIFY(label);
    // Shown with empty strings: only a third string too long for the image stops them.
    const bool emptyFit = string3 <= Firmware::kMaxUsbStringChars;
    QCOMPARE(label->text().isEmpty(), emptyFit);
    QCOMPARE(m_frame.NextEnabled(), emptyFit);

    // Put in the way a paste does: whole, characters beyond the basic plane included.
    for (const auto &[edit, text] : {std::pair(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), manufacturer),
                                     std::pair(page()->GetDlgItem<QLineEdit>(UsbIds::Product), product)}) {
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
        QCOMPARE(edit->text(), text);
    }
    QCOMPARE(label->text(), reason);
    QCOMPARE(m_frame.NextEnabled(), reason.isEmpty());
    QCOMPARE(page()->StringsFit(), reason.isEmpty());
    if (!reason.isEmpty()) {
        // The reason is shown whole in its place on the page, wrapped over its lines.
        QVERIFY(label->isVisibleTo(page()));
        QVERIFY(label->wordWrap());
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                 qPrintable(QStringLiteral("%1 px needed, %2 px given")
                                .arg(label->heightForWidth(label->width()))
                                .arg(label->height())));
        QVERIFY(page()->rect().contains(label->geometry()));
        for (QLineEdit *edit :
             {page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), page()->GetDlgItem<QLineEdit>(UsbIds::Product)})
            QVERIFY(!label->geometry().intersects(edit->geometry()));
    }

    // Enter acts as Next: it moves on only when the strings can be written.
    QTest::keyClick(page()->GetDlgItem<QLineEdit>(UsbIds::Product), Qt::Key_Return);
    QCOMPARE(page()->IsShown(), !reason.isEmpty());
    if (reason.isEmpty() || !emptyFit)
        return;

    // Strings that fit clear the reason and enable Next again.
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QStringLiteral("Acme"));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Product), QStringLiteral("Board"));
    QVERIFY(label->text().isEmpty());
    QVERIFY(m_frame.NextEnabled());
}

void TestTabUsbSlave::reasonFitsATallerFont_data()
{
    QTest::addColumn<int>("percent");  // the reason line's font against the page's
    QTest::newRow("the page's font") << 100;
    QTest::newRow("a tenth taller") << 110;
    QTest::newRow("a fifth taller") << 120;
    QTest::newRow("a third taller") << 133;
}

// A font whose lines are taller than the one the page was laid out in (a fallback font, another
// system font) still shows the reason whole: the line takes room from the gap above it, never
// from the boxes.
void TestTabUsbSlave::reasonFitsATallerFont()
{
    QFETCH(int, percent);
    showPage();
    QLabel *label = page()->GetDlgItem<QLabel>(UsbIds::Reason);
    const QRect templateRect = label->geometry();
    QFont font = label->font();
    font.setPixelSize(QFontInfo(font).pixelSize() * percent / 100);
    label->setFont(font);
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QStringLiteral("M\u00fcller \u20ac"));
    QVERIFY(!label->text().isEmpty());
    // It grows upwards as far as the gap below the product box goes, and no further.
    const int need = label->heightForWidth(label->width());
    const int room =
        templateRect.bottom() - (page()->GetDlgItem<QLineEdit>(UsbIds::Product)->geometry().bottom() + 2) + 1;
    QVERIFY2(label->height() >= std::min(need, room),
             qPrintable(
                 QStringLiteral("%1 px needed, %2 px given, %3 px of room").arg(need).arg(label->height()).arg(room)));
    QVERIFY(label->height() >= templateRect.height());
    QCOMPARE(label->geometry().bottom(), templateRect.bottom());
    for (QLineEdit *edit :
         {page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), page()->GetDlgItem<QLineEdit>(UsbIds::Product)})
        QVERIFY(!label->geometry().intersects(edit->geometry()));
}

void TestTabUsbSlave::loadedFileShownAndCollected()
{
    QVERIFY(StartWizard(CBrindleDlg::StepUsb));
    ImageBuilder builder(ImageBuilder::Rom, "03.64QSOLF");
    builder.setDeviceDescriptor(0x12, 0x0403, 0x00AB).setStrings({"Norvale", "USB Host", "SN0001"});
    QVERIFY(m_wizard.Load(builder));
    for (int step = 2; step <= CBrindleDlg::StepUsb; ++step)
        m_wizard.Next();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepUsb);
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId)->text(), QStringLiteral("0403"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::ProductId)->text(), QStringLiteral("00ab"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer)->text(), QStringLiteral("Norvale"));
    QCOMPARE(page()->GetDlgItem<QLineEdit>(UsbIds::Product)->text(), QStringLiteral("USB Host"));
    QVERIFY(m_wizard.NextEnabled());

    // The third string counts against the room left for the other two.
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QString(123 - 6 - 8, QLatin1Char('m')));
    QVERIFY(m_wizard.NextEnabled());
    QTest::keyClicks(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), QStringLiteral("m"));
    QVERIFY(!m_wizard.NextEnabled());
    QTest::keyClick(page()->GetDlgItem<QLineEdit>(UsbIds::Manufacturer), Qt::Key_Backspace);

    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::VendorId), QStringLiteral("0x1D6B"));
    WizardDriver::Retype(page()->GetDlgItem<QLineEdit>(UsbIds::Product), QStringLiteral("Gadget"));
    m_wizard.Next();
    WizardDriver::Retype(m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                         QStringLiteral("ABC"));
    m_wizard.Next();
    QCOMPARE(m_wizard.Step(), CBrindleDlg::StepConfirm);
    QCOMPARE(m_wizard.dlg->Record().m_nVendorId, 0x1D6B);
    QCOMPARE(m_wizard.dlg->Record().m_nProductId, 0x00AB);
    QCOMPARE(m_wizard.dlg->Record().m_strProduct, QStringLiteral("Gadget"));
    QCOMPARE(m_wizard.dlg->Record().m_strManufacturer, QString(109, QLatin1Char('m')));
    QVERIFY(m_wizard.services.messages.isEmpty());
}

QTEST_MAIN(TestTabUsbSlave)
#include "tst_tabusbslave.moc"
