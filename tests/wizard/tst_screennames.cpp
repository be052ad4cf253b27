// Names and texts from a file as the wizard shows them: on "Finish", in the summary and in its
// message boxes, every control, bidi control and invisible character is escaped (the same
// escapes as brindle-cli's), and a name with right-to-left letters is isolated from the sentence
// around it; a name whose bytes are not UTF-8 is opened and written under those bytes. And a save
// whose flush fails once the file has its name says so and goes on to "Finish".

// Std
#include <functional>
#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif

// Qt
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "common/flushmount.h"
#include "common/imagebuilder.h"
#include "controls/editalnum.h"
#include "controls/selectabletext.h"
#include "firmware/filename.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "pages/tabfinish.h"
#include "wizarddriver.h"

namespace {

// Writes `bytes` to the file whose name is `name`'s bytes (FileName::ToNative).
bool WriteNative(const QString &name, const QByteArray &bytes)
{
#if defined(__unix__)
    QByteArray path;
    if (!FileName::ToNative(name, path))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && ok;
#else
    return ImageBuilder::WriteFile(name, bytes);
#endif
}

// Runs `act` on the next modal message box once it is open.
void WhenBoxOpens(std::function<void(QMessageBox *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

}  // namespace

class TestScreenNames : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void finishShowsNames_data();
    void finishShowsNames();
    void fileTextShowsControls();
    void messageBoxShowsNames_data();
    void messageBoxShowsNames();
    void writtenButNotFlushed();

private:
    // Loads `source` (a path in the driver's folder) through "File Open" and goes on to "File
    // Save" with the version code W1Z; true when the wizard is there.
    bool toSave(WizardDriver &wizard, const QString &source);
    QString report(WizardDriver &wizard) const
    {
        return wizard.PageAt<CTabFinish>(CBrindleDlg::StepFinish)
            ->GetDlgItem<CSelectableText>(FinishIds::Message)
            ->text();
    }
};

void TestScreenNames::cleanup()
{
    QCOMPARE(LeftoverWindows(), QStringList());
}

bool TestScreenNames::toSave(WizardDriver &wizard, const QString &source)
{
    wizard.PageAt<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    if (!wizard.NextUntil(CBrindleDlg::StepCode))
        return false;
    wizard.Control<CEditAlnum>(CBrindleDlg::StepCode, CodeIds::Code)->setText(QStringLiteral("W1Z"));
    return wizard.NextUntil(CBrindleDlg::StepSave);
}

// clang-format off
void TestScreenNames::finishShowsNames_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    const QString head = QStringLiteral("Successfully modified firmware ROM file.\n\nFirmware Version 03.64-W1ZQHARF\n\n");
    QTest::newRow("right-to-left override in the source")
        << QStringLiteral("firmware\u202Emor.exe") << QStringLiteral("out.rom")
        << head + QStringLiteral("Original file firmware\\u202Emor.exe\n\nSaved to disk as out.rom");
    QTest::newRow("zero-width space in the target")
        << QStringLiteral("fw.rom") << QStringLiteral("out\u200B.rom")
        << head + QStringLiteral("Original file fw.rom\n\nSaved to disk as out\\u200B.rom");
    QTest::newRow("a Hebrew target, isolated")
        << QStringLiteral("fw.rom") << QStringLiteral("\u05E7\u05D5\u05E9\u05D7.rom")
        << head + QStringLiteral("Original file fw.rom\n\nSaved to disk as \u2068\u05E7\u05D5\u05E9\u05D7.rom\u2069");
#if defined(__unix__)
    QTest::newRow("a source whose name is not UTF-8")
        << QString::fromUtf16(u"bad\xDCFF\xDCFE.rom") << QStringLiteral("out.rom")
        << head + QStringLiteral("Original file bad\\xFF\\xFE.rom\n\nSaved to disk as out.rom");
#endif
}
// clang-format on

void TestScreenNames::finishShowsNames()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, text);
    WizardDriver wizard;
    QVERIFY(wizard.Start());
    QVERIFY(WriteNative(wizard.dir.filePath(source), ImageBuilder(ImageBuilder::Rom).build()));
    QVERIFY(toSave(wizard, wizard.dir.filePath(source)));
    wizard.Control<QLineEdit>(CBrindleDlg::StepSave, FileIds::Path)->setText(wizard.dir.filePath(target));
    wizard.Next();
    QCOMPARE(wizard.services.messages.size(), 0);
    QCOMPARE(wizard.Step(), int(CBrindleDlg::StepFinish));
    QCOMPARE(report(wizard), text);
    QVERIFY(FileName::Exists(wizard.dir.filePath(target)));
    QCOMPARE(wizard.Stop(), QStringList());
}

// The version text and the USB strings show their C1 controls and soft hyphen escaped, in the
// summary and on "Finish": nothing the file holds is dropped from view.
void TestScreenNames::fileTextShowsControls()
{
    WizardDriver wizard;
    QVERIFY(wizard.Start());
    const QString source = wizard.dir.filePath(QStringLiteral("fw.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom, "03.64\x9B\xADQSOLF")
                .setDeviceDescriptor(18, 0x1234, 0x5678)
                .setStrings({QByteArray("C\x9B"
                                        "31mD\x85"
                                        "E"),
                             QByteArray("P"), QByteArray("S")})
                .writeTo(source));
    wizard.PageAt<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    wizard.Next();
    QCOMPARE(wizard.Step(), int(CBrindleDlg::StepSummary));
    QCOMPARE(wizard.Control<QLabel>(CBrindleDlg::StepSummary, SummaryIds::FwVersion)->text(),
             QStringLiteral("03.64\\x9B\\xAD"));
    QCOMPARE(wizard.Control<QLabel>(CBrindleDlg::StepSummary, SummaryIds::UsbStrings)->text(),
             QStringLiteral("\"C\\x9B31mD\\x85E\", \"P\", \"S\""));
    QVERIFY(wizard.NextUntil(CBrindleDlg::StepCode));
    wizard.Control<CEditAlnum>(CBrindleDlg::StepCode, CodeIds::Code)->setText(QStringLiteral("W1Z"));
    QVERIFY(wizard.NextUntil(CBrindleDlg::StepSave));
    wizard.Control<QLineEdit>(CBrindleDlg::StepSave, FileIds::Path)
        ->setText(wizard.dir.filePath(QStringLiteral("o.rom")));
    wizard.Next();
    QCOMPARE(wizard.Step(), int(CBrindleDlg::StepFinish));
    QVERIFY2(report(wizard).contains(QStringLiteral("Firmware Version 03.64\\x9B\\xAD-W1ZQSOLF\n")),
             qPrintable(report(wizard)));
    QCOMPARE(wizard.Stop(), QStringList());
}

// clang-format off
void TestScreenNames::messageBoxShowsNames_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("name");  // in the test's folder
    QTest::addColumn<QString>("text");  // %1 is the test's folder
    QTest::newRow("a missing folder with a right-to-left override") << "missing folder"
        << QStringLiteral("photos\u202Egpj.exe/out.rom") << QStringLiteral("The folder %1/photos\\u202Egpj.exe does not exist.");
    QTest::newRow("a missing Hebrew folder, isolated") << "missing folder"
        << QStringLiteral("\u05EA\u05D9\u05E7\u05D9\u05D4/out.rom")
        << QStringLiteral("The folder \u2068%1/\u05EA\u05D9\u05E7\u05D9\u05D4\u2069 does not exist.");
    QTest::newRow("the overwrite question, a zero-width joiner") << "exists"
        << QStringLiteral("out\u200D.rom") << QStringLiteral("Overwrite file out\\u200D.rom");
}
// clang-format on

// The real message boxes, read back: the name in the box's sentence is escaped, and isolated
// when it has right-to-left letters; the sentence around it keeps its order.
void TestScreenNames::messageBoxShowsNames()
{
    QFETCH(QString, situation);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("fw.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom).writeTo(source));
    const QString target = dir.filePath(name);
    if (situation == QLatin1String("exists"))
        QVERIFY(ImageBuilder::WriteFile(target, "old"));
    CBrindleDlg dlg;  // the real dialogs
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.StepPage<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(source);
    while (dlg.CurrentStep() < CBrindleDlg::StepSave) {
        if (dlg.CurrentStep() == CBrindleDlg::StepCode)
            dlg.StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code)->setText("W1Z");
        const int before = dlg.CurrentStep();
        PressNext(dlg);
        QVERIFY(dlg.CurrentStep() != before);
    }
    dlg.StepPage<CTabFile>(CBrindleDlg::StepSave)->GetDlgItem<QLineEdit>(FileIds::Path)->setText(target);
    QString shown;
    WhenBoxOpens([&shown](QMessageBox *box) {
        shown = box->text();
        box->done(QMessageBox::No);
    });
    PressNext(dlg);
    QCOMPARE(shown, text.arg(dir.path()));
    QCOMPARE(dlg.CurrentStep(), int(CBrindleDlg::StepSave));
}

// The flush after the naming fails: the message says the file was written, and the wizard goes
// on to "Finish", where the report names it.
void TestScreenNames::writtenButNotFlushed()
{
    const FlushMount mount(QStringLiteral("pass,eiolater"));
    if (!mount.isMounted())
        QSKIP(qPrintable(mount.skipReason()));
    WizardDriver wizard;
    QVERIFY(wizard.Start());
    const QString source = wizard.dir.filePath(QStringLiteral("fw.rom"));
    QVERIFY(ImageBuilder(ImageBuilder::Rom).writeTo(source));
    QVERIFY(toSave(wizard, source));
    const QString target = QDir(mount.path()).filePath(QStringLiteral("out.rom"));
    wizard.Control<QLineEdit>(CBrindleDlg::StepSave, FileIds::Path)->setText(target);
    wizard.Next();
    QCOMPARE(wizard.services.messages.size(), 1);
    QCOMPARE(wizard.services.messages.first().caption, QStringLiteral("Could not flush destination file"));
    QCOMPARE(wizard.services.messages.first().text,
             QStringLiteral("%1 was written, but it could not be flushed to disk: Input/output error.").arg(target));
    QCOMPARE(wizard.Step(), int(CBrindleDlg::StepFinish));
    QVERIFY(report(wizard).endsWith(QStringLiteral("Saved to disk as out.rom")));
    QCOMPARE(wizard.Stop(), QStringList());
}

QTEST_MAIN(TestScreenNames)
#include "tst_screennames.moc"
