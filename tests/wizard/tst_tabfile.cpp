// "File Open" and "File Save" in the wizard: the existence rule of the open page and the
// non-empty rule of the save page, show re-running the rule, Browse and its dialog request by
// the loaded file's kind, cancelling, and dropped files.

// Std
#include <memory>

// Qt
#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "controls/editalnum.h"
#include "fakeframe.h"
#include "pages/tabcode.h"
#include "pages/tabfile.h"
#include "resources/resourceids.h"
#include "wizarddriver.h"

namespace {

constexpr int kOpenStep = CBrindleDlg::StepOpen;
constexpr int kSummaryStep = CBrindleDlg::StepSummary;
constexpr int kCodeStep = CBrindleDlg::StepCode;
constexpr int kSaveStep = CBrindleDlg::StepSave;
constexpr int kBrowseId = FileIds::Browse;

const QStringList kFilters = {QStringLiteral("Norvale ROM image files (*.ROM)"),
                              QStringLiteral("Norvale Upgrade Files (*.QUF)"),
#ifdef Q_OS_WIN
                              QStringLiteral("All Files (*.*)")};
#else
                              QStringLiteral("All Files (*)")};
#endif

}  // namespace

class TestTabFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void pathExists_data();
    void pathExists();
    void typingOpen_data();
    void typingOpen();
    void editingOnToMissingPath();
    void trailingDotsAndSpaces_data();
    void trailingDotsAndSpaces();
    void typingSave_data();
    void typingSave();
    void showRunsTheRule_data();
    void showRunsTheRule();
    void browse_data();
    void browse();
    void browseCancelled_data();
    void browseCancelled();
    void backShowsStoredPath();
    void droppedFile_data();
    void droppedFile();

private:
    CTabFile *page(bool save) const { return m_wizard.PageAt<CTabFile>(save ? kSaveStep : kOpenStep); }
    QPushButton *browseButton(bool save) const { return page(save)->GetDlgItem<QPushButton>(kBrowseId); }
    QString path(const QString &name) const { return name.isEmpty() ? QString() : m_dir->filePath(name); }
    bool makeFile(const QString &name) const { return ImageBuilder::WriteFile(path(name), "data"); }
    // Replaces the path box's text in one change, as pasting does.
    static void paste(QLineEdit *edit, const QString &text);
    // Loads files of `kinds` in turn through "File Open", then walks on to "File Save" (which
    // puts the wizard into its write mode) or back to "File Open".
    bool reach(bool save, const QList<int> &kinds);
    bool activate();

    WizardDriver m_wizard;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTabFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_wizard.dir.isValid());
    QVERIFY(m_wizard.Start());
}

void TestTabFile::cleanup()
{
    QCOMPARE(m_wizard.Stop(), QStringList());
    m_dir.reset();
}

void TestTabFile::paste(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Delete);
        return;
    }
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

bool TestTabFile::reach(bool save, const QList<int> &kinds)
{
    for (int i = 0; i < kinds.size(); ++i) {
        while (m_wizard.Step() != kOpenStep)
            m_wizard.Back();
        const QString name = QStringLiteral("load%1.bin").arg(i);
        if (!m_wizard.Load(ImageBuilder(ImageBuilder::Kind(kinds.at(i))), name))
            return false;
    }
    if (!save) {
        while (m_wizard.Step() != kOpenStep)
            m_wizard.Back();
        return true;
    }
    for (int guard = 0; guard < CBrindleDlg::kStepCount && m_wizard.Step() != kSaveStep; ++guard) {
        if (m_wizard.Step() == kCodeStep)
            WizardDriver::Retype(
                m_wizard.dlg->StepPage<CTabCode>(CBrindleDlg::StepCode)->GetDlgItem<CEditAlnum>(CodeIds::Code),
                QStringLiteral("ABC"));
        m_wizard.Next();
    }
    return m_wizard.Step() == kSaveStep && m_wizard.dlg->NextMode() == CBrindleDlg::NextWrite;
}

bool TestTabFile::activate()
{
    m_wizard.dlg->activateWindow();
    return QTest::qWaitForWindowActive(m_wizard.dlg.get());
}

// clang-format off
void TestTabFile::texts_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("caption");  // of Next on the page

    QTest::newRow("open") << false << kNextCaption;
    QTest::newRow("save") << true << kWriteCaption;
}
// clang-format on

void TestTabFile::texts()
{
    QFETCH(bool, save);
    QFETCH(QString, caption);

    QVERIFY(activate());
    if (save)
        QVERIFY(reach(true, {ImageBuilder::Rom}));
    CTabFile *p = page(save);
    QVERIFY(p->FilePath().isEmpty());
    QCOMPARE(browseButton(save)->text(), QStringLiteral("Browse..."));
    // Both pages take files from a file manager, on the page rather than as text in the box.
    QVERIFY(p->acceptDrops());
    QVERIFY(!p->GetDlgItem<QLineEdit>(FileIds::Path)->acceptDrops());
    QVERIFY(p->isVisible());
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), QString());
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), caption);
    // The wizard puts the focus on the path box, where typing and Enter go.
    QCOMPARE(p->FirstInput(), p->GetDlgItem<QLineEdit>(FileIds::Path));
}

// clang-format off
void TestTabFile::pathExists_data()
{
    QTest::addColumn<QString>("text");  // under the test folder unless empty
    QTest::addColumn<bool>("found");

    QTest::newRow("existing file") << "FW.ROM" << true;
    QTest::newRow("existing folder") << "sub" << true;
    QTest::newRow("file in folder") << "sub/inner.bld" << true;
    QTest::newRow("missing file") << "nothing.rom" << false;
    QTest::newRow("missing folder") << "missing/FW.ROM" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("star") << "*.ROM" << true;
    QTest::newRow("star in any letter case") << "*.rom" << true;
    QTest::newRow("star alone") << "*" << true;
    QTest::newRow("question mark") << "F?.ROM" << true;
    QTest::newRow("question mark is one character") << "?.ROM" << false;
    QTest::newRow("wildcard matching a folder") << "su*" << true;
    QTest::newRow("wildcard in a folder") << "sub/*.BLD" << true;
    QTest::newRow("wildcard matching nothing") << "*.xyz" << false;
    QTest::newRow("wildcard in an empty folder") << "empty/*" << false;
    QTest::newRow("wildcard in the folder part") << "s*/inner.bld" << false;
    QTest::newRow("dot is literal") << "F.*" << false;
    QTest::newRow("brackets are literal") << "[F]W.*" << false;
}
// clang-format on

void TestTabFile::pathExists()
{
    QFETCH(QString, text);
    QFETCH(bool, found);

    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("sub")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("empty")));
    QVERIFY(makeFile(QStringLiteral("sub/inner.bld")));

    QCOMPARE(CTabFile::PathExists(path(text)), found);
    QCOMPARE(CTabFile::PathExists(QDir::toNativeSeparators(path(text))), found);
}

// clang-format off
void TestTabFile::typingOpen_data()
{
    QTest::addColumn<QString>("text");  // under the test folder unless empty
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("reason");  // the reason line, with %1 for the path typed

    QTest::newRow("another existing file") << "other.QUF" << true << "";
    QTest::newRow("existing folder") << "sub" << false << "%1 is a folder.";
    QTest::newRow("wildcard that matches") << "*.QUF" << true << "";
    QTest::newRow("missing file") << "missing.ROM" << false << "No file named %1.";
    QTest::newRow("wildcard that matches nothing") << "*.BLD" << false << "No file named %1.";
    QTest::newRow("cleared") << "" << false << "";
}
// clang-format on

void TestTabFile::typingOpen()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, reason);

    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    QVERIFY(makeFile(QStringLiteral("other.QUF")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("sub")));
    CTabFile *p = page(false);
    auto *reasonLine = p->GetDlgItem<QLabel>(FileIds::Reason);

    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), path(QStringLiteral("FW.ROM")));
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), path(QStringLiteral("FW.ROM")));
    QVERIFY(reasonLine->isHidden());

    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), path(text));
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), path(text));
    QCOMPARE(m_wizard.NextEnabled(), accepted);
    QCOMPARE(p->FilePath(), accepted ? path(text) : path(QStringLiteral("FW.ROM")));
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kNextCaption));
    // The line under the box says why Next is disabled, and is a notification a screen reader
    // says as it appears.
    const QString expected = reason.isEmpty() ? QString() : reason.arg(path(text));
    QCOMPARE(reasonLine->text(), expected);
    QCOMPARE(reasonLine->isVisible(), !expected.isEmpty());
    QCOMPARE(QAccessible::queryAccessibleInterface(reasonLine)->role(), QAccessible::Notification);
}

void TestTabFile::editingOnToMissingPath()
{
    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    const QString existing = path(QStringLiteral("FW.ROM"));
    CTabFile *p = page(false);

    // Typed a key at a time: every change is checked.
    WizardDriver::Retype(p->GetDlgItem<QLineEdit>(FileIds::Path), existing);
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), existing);

    QTest::keyClick(p->GetDlgItem<QLineEdit>(FileIds::Path), Qt::Key_End);
    QTest::keyClicks(p->GetDlgItem<QLineEdit>(FileIds::Path), QStringLiteral(".bak"));
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), existing);

    for (int i = 0; i < 4; ++i)
        QTest::keyClick(p->GetDlgItem<QLineEdit>(FileIds::Path), Qt::Key_Backspace);
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), existing);

    // Cut back to its folder, the path names no firmware file.
    for (int i = 0; i < int(QStringLiteral("/FW.ROM").size()); ++i)
        QTest::keyClick(p->GetDlgItem<QLineEdit>(FileIds::Path), Qt::Key_Backspace);
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), existing);
    QCOMPARE(p->GetDlgItem<QLabel>(FileIds::Reason)->text(), QStringLiteral("%1 is a folder.").arg(m_dir->path()));
}

// clang-format off
void TestTabFile::trailingDotsAndSpaces_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");   // under the test folder, which holds FW.ROM
    QTest::addColumn<QString>("stored");  // the page's path afterwards; empty when refused
#ifdef Q_OS_WIN
    // Windows drops them: the name is the existing file, and a written file gets the extension
    // that is left.
    QTest::newRow("open: dot") << false << "FW.ROM." << "FW.ROM";
    QTest::newRow("open: dots and spaces") << false << "FW.ROM. . " << "FW.ROM";
    QTest::newRow("save: dot") << true << "out.QUF." << "out.QUF";
    QTest::newRow("save: space") << true << "out.ROM " << "out.ROM";
    QTest::newRow("save: only dots stay") << true << "..." << "...";
#else
    // Elsewhere they are part of the name.
    QTest::newRow("open: dot") << false << "FW.ROM." << "";
    QTest::newRow("open: dots and spaces") << false << "FW.ROM. . " << "";
    QTest::newRow("save: dot") << true << "out.QUF." << "out.QUF.";
    QTest::newRow("save: space") << true << "out.ROM " << "out.ROM ";
    QTest::newRow("save: only dots stay") << true << "..." << "...";
#endif
}
// clang-format on

void TestTabFile::trailingDotsAndSpaces()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    if (save)
        QVERIFY(reach(true, {ImageBuilder::Rom}));
    CTabFile *p = page(save);
    const QString before = p->FilePath();

    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), path(typed));
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), path(typed));  // the box keeps what was typed
    QCOMPARE(m_wizard.NextEnabled(), !stored.isEmpty());
    QCOMPARE(p->FilePath(), stored.isEmpty() ? before : path(stored));
}

// clang-format off
void TestTabFile::typingSave_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("inFolder");  // under the test folder, or as it stands

    QTest::newRow("new file") << "new.ROM" << true;
    QTest::newRow("existing file") << "FW.ROM" << true;
    QTest::newRow("name in a missing folder") << "missing/out.QUF" << true;
    QTest::newRow("bare name") << "out" << false;
    QTest::newRow("blank") << " " << false;
}
// clang-format on

void TestTabFile::typingSave()
{
    QFETCH(QString, name);
    QFETCH(bool, inFolder);
    const QString text = inFolder ? path(name) : name;

    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    QVERIFY(reach(true, {ImageBuilder::Rom}));
    CTabFile *p = page(true);
    QVERIFY(p->isVisible());
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));

    // Any text is a path; the writer judges it.
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), text);
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), text);

    // Clearing the box disables "Write" but keeps the path.
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), QString());
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), QString());
    QVERIFY(!m_wizard.NextEnabled());
    QCOMPARE(p->FilePath(), text);

    // In the write mode the caption stays "Write" throughout.
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
    QCOMPARE(m_wizard.dlg->NextMode(), int(CBrindleDlg::NextWrite));
}

// clang-format off
void TestTabFile::showRunsTheRule_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("stored");   // name under the test folder, or empty
    QTest::addColumn<bool>("typed");       // typed into the box before leaving, not only stored
    QTest::addColumn<bool>("deleted");     // the file is gone when the page is shown again
    QTest::addColumn<bool>("nextEnabled");

    QTest::newRow("open: nothing") << false << "" << false << false << false;
    QTest::newRow("open: existing file") << false << "FW.ROM" << false << false << true;
    QTest::newRow("open: file since deleted") << false << "FW.ROM" << false << true << false;
    QTest::newRow("open: same text, file since deleted") << false << "FW.ROM" << true << true << false;
    QTest::newRow("open: same text, file still there") << false << "FW.ROM" << true << false << true;
    QTest::newRow("save: nothing") << true << "" << false << false << false;
    QTest::newRow("save: path of no file") << true << "FW.ROM" << false << true << true;
    QTest::newRow("save: same text") << true << "FW.ROM" << true << false << true;
}
// clang-format on

void TestTabFile::showRunsTheRule()
{
    QFETCH(bool, save);
    QFETCH(QString, stored);
    QFETCH(bool, typed);
    QFETCH(bool, deleted);
    QFETCH(bool, nextEnabled);

    // The page alone, in a stand-in frame.
    FrameFixture frame;
    QVERIFY(frame.Start());
    CTabFile *p = frame.Add(new CTabFile(save ? 1 : 0, frame.frame.get()), IDD_TAB_FILE);
    const QString full = path(stored);
    if (!stored.isEmpty())
        QVERIFY(makeFile(stored));

    frame.Arrive(p);
    if (typed) {
        paste(p->GetDlgItem<QLineEdit>(FileIds::Path), full);
        QVERIFY(frame.NextEnabled());
    }
    frame.Next();
    if (!typed)
        p->SetPathText(full);  // as a path given on the command line is
    if (deleted)
        QVERIFY(QFile::remove(full));

    frame.Arrive(p);
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), full);
    QCOMPARE(p->FilePath(), full);
    QCOMPARE(frame.NextEnabled(), nextEnabled);
    // The wizard puts the focus on the path box, where typing and Enter go.
    QCOMPARE(p->FirstInput(), p->GetDlgItem<QLineEdit>(FileIds::Path));
}

// clang-format off
void TestTabFile::browse_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QList<int>>("loads");  // ImageBuilder kinds, in order
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("selectedFilter");

    QTest::newRow("open, nothing loaded") << false << QList<int>{} << "ROM" << 0;
    QTest::newRow("open, after an upgrade file") << false << QList<int>{ImageBuilder::Upgrade} << "ROM" << 0;
    QTest::newRow("save, after a ROM image") << true << QList<int>{ImageBuilder::Rom} << "ROM" << 0;
    QTest::newRow("save, after a BLD image") << true << QList<int>{ImageBuilder::Bld} << "ROM" << 0;
    QTest::newRow("save, after an upgrade file") << true << QList<int>{ImageBuilder::Upgrade} << "QUF" << 1;
    QTest::newRow("save, upgrade file then ROM image")
        << true << QList<int>{ImageBuilder::Upgrade, ImageBuilder::Rom} << "ROM" << 0;
    QTest::newRow("save, BLD image then upgrade file")
        << true << QList<int>{ImageBuilder::Bld, ImageBuilder::Upgrade} << "QUF" << 1;
}
// clang-format on

void TestTabFile::browse()
{
    QFETCH(bool, save);
    QFETCH(QList<int>, loads);
    QFETCH(QString, suffix);
    QFETCH(int, selectedFilter);

    QVERIFY(reach(save, loads));
    CTabFile *p = page(save);
    QVERIFY(p->isVisible());
    const QString chosen = path(QStringLiteral("chosen.") + suffix);
    QVERIFY(makeFile(QStringLiteral("chosen.") + suffix));
    const QString caption = m_wizard.dlg->NextButton()->text();

    m_wizard.services.nextFileNames = {chosen};
    QTest::mouseClick(browseButton(save), Qt::LeftButton);

    QCOMPARE(m_wizard.services.fileRequests.size(), 1);
    const IDialogServices::FileDialogRequest &request = m_wizard.services.fileRequests.constFirst();
    QCOMPARE(request.save, save);
    QCOMPARE(request.defaultSuffix, suffix);
    QCOMPARE(request.selectedFilter, selectedFilter);
    QCOMPARE(request.filters, kFilters);

    QCOMPARE(p->FilePath(), chosen);
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), chosen);
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), caption);
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(save ? kWriteCaption : kNextCaption));
    // The file is chosen: the focus is on Next, so that Enter moves on (or writes).
    QCOMPARE(m_wizard.dlg->focusWidget(), static_cast<QWidget *>(m_wizard.dlg->NextButton()));
}

// clang-format off
void TestTabFile::browseCancelled_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("accepted");  // typed first; empty for nothing
    QTest::addColumn<QString>("typed");     // typed next, the box's text when Browse is pressed

    QTest::newRow("open, empty") << false << "" << "";
    QTest::newRow("open, existing file") << false << "FW.ROM" << "FW.ROM";
    QTest::newRow("open, then a missing file") << false << "FW.ROM" << "gone.ROM";
    QTest::newRow("save, empty") << true << "" << "";
    QTest::newRow("save, a path") << true << "out.ROM" << "out.ROM";
    QTest::newRow("save, then cleared") << true << "out.ROM" << "";
}
// clang-format on

void TestTabFile::browseCancelled()
{
    QFETCH(bool, save);
    QFETCH(QString, accepted);
    QFETCH(QString, typed);

    QVERIFY(makeFile(QStringLiteral("FW.ROM")));
    QVERIFY(reach(save, save ? QList<int>{ImageBuilder::Rom} : QList<int>{}));
    CTabFile *p = page(save);
    if (!accepted.isEmpty())
        paste(p->GetDlgItem<QLineEdit>(FileIds::Path), path(accepted));
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), path(typed));
    const bool nextEnabled = m_wizard.NextEnabled();
    const QString caption = m_wizard.dlg->NextButton()->text();
    QCOMPARE(p->FilePath(), path(accepted));

    m_wizard.services.nextFileNames.clear();
    QTest::mouseClick(browseButton(save), Qt::LeftButton);

    QCOMPARE(m_wizard.services.fileRequests.size(), 1);
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), path(typed));
    QCOMPARE(p->FilePath(), path(accepted));
    QCOMPARE(m_wizard.NextEnabled(), nextEnabled);
    QCOMPARE(m_wizard.dlg->NextButton()->text(), caption);
    QCOMPARE(m_wizard.dlg->focusWidget(), browseButton(save));
}

void TestTabFile::backShowsStoredPath()
{
    // Open: the loaded path comes back with Back.
    QVERIFY(m_wizard.Load(ImageBuilder()));
    const QString source = m_wizard.dir.filePath(QStringLiteral("source.rom"));
    m_wizard.Back();
    QCOMPARE(m_wizard.Step(), kOpenStep);
    QCOMPARE(page(false)->GetDlgItem<QLineEdit>(FileIds::Path)->text(), source);
    QVERIFY(m_wizard.NextEnabled());

    // Save: a cleared box shows the last path again, and Back's own rule enables Next.
    QVERIFY(reach(true, {ImageBuilder::Rom}));
    CTabFile *p = page(true);
    const QString target = path(QStringLiteral("out.QUF"));
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), target);
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), QString());
    QVERIFY(!m_wizard.NextEnabled());
    m_wizard.Back();
    QCOMPARE(m_wizard.Step(), kSaveStep - 1);
    m_wizard.Next();
    QCOMPARE(m_wizard.Step(), kSaveStep);
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), target);
    QVERIFY(m_wizard.NextEnabled());
    QCOMPARE(m_wizard.dlg->NextButton()->text(), QString::fromLatin1(kWriteCaption));
}

// clang-format off
void TestTabFile::droppedFile_data()
{
    QTest::addColumn<bool>("save");          // on "File Save" rather than "File Open"
    QTest::addColumn<QStringList>("items");  // names under the test folder; "web" a web address
    QTest::addColumn<bool>("asText");        // the first item as plain text, without addresses
    QTest::addColumn<QString>("taken");      // name under the test folder, or empty when refused

    for (bool save : {false, true}) {
        const char *page = save ? "File Save" : "File Open";
        QTest::addRow("%s: file", page) << save << QStringList{"dropped.ROM"} << false << "dropped.ROM";
        QTest::addRow("%s: folder", page) << save << QStringList{"sub"} << false << "sub";
        QTest::addRow("%s: two files", page) << save << QStringList{"dropped.ROM", "sub"} << false << "dropped.ROM";
        QTest::addRow("%s: web address, then file", page) << save << QStringList{"web", "dropped.ROM"} << false
                                                          << "dropped.ROM";
        QTest::addRow("%s: web address", page) << save << QStringList{"web"} << false << "";
        QTest::addRow("%s: text", page) << save << QStringList{"dropped.ROM"} << true << "";
    }
}
// clang-format on

void TestTabFile::droppedFile()
{
    QFETCH(bool, save);
    QFETCH(QStringList, items);
    QFETCH(bool, asText);
    QFETCH(QString, taken);

    QVERIFY(makeFile(QStringLiteral("dropped.ROM")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("sub")));
    if (save)
        QVERIFY(reach(true, {ImageBuilder::Rom}));
    CTabFile *p = page(save);
    // The open page refuses a path that names nothing; the save page needs a name at all.
    paste(p->GetDlgItem<QLineEdit>(FileIds::Path), save ? QString() : QStringLiteral("junk"));
    QVERIFY(!m_wizard.NextEnabled());

    QMimeData data;
    if (asText) {
        data.setText(path(items.constFirst()));
    } else {
        QList<QUrl> urls;
        for (const QString &item : items)
            urls.append(item == QLatin1String("web") ? QUrl(QStringLiteral("https://www.norvale.example/fw.rom"))
                                                     : QUrl::fromLocalFile(path(item)));
        data.setUrls(urls);
    }
    // Dropped on the path box, the page takes it: the box itself takes no drops.
    QVERIFY(!p->GetDlgItem<QLineEdit>(FileIds::Path)->acceptDrops());
    const QPoint at = p->GetDlgItem<QLineEdit>(FileIds::Path)->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(p, &enter);
    QCOMPARE(enter.isAccepted(), !taken.isEmpty());
    if (taken.isEmpty())
        return;

    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(p, &drop);
    QVERIFY(drop.isAccepted());
    // The local path, never the address ("file:///...").
    QCOMPARE(p->GetDlgItem<QLineEdit>(FileIds::Path)->text(), QDir::toNativeSeparators(path(taken)));
    QVERIFY(!p->GetDlgItem<QLineEdit>(FileIds::Path)->text().contains(QStringLiteral("file:")));
    // A folder is taken into the box, but "File Open" goes on with a file only.
    const bool folder = QFileInfo(path(taken)).isDir();
    QCOMPARE(p->FilePath(), save || !folder ? QDir::toNativeSeparators(path(taken)) : QString());
    QCOMPARE(m_wizard.NextEnabled(), save || !folder);
}

QTEST_MAIN(TestTabFile)
#include "tst_tabfile.moc"
