#pragma once

// A real wizard for the page tests, shown offscreen, with recorders in place of its dialogs,
// and the moves that bring a page on screen the way the wizard does.

// Std
#include <memory>

// Qt
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "brindledlg.h"
#include "common/imagebuilder.h"
#include "recorder.h"
#include "tabfile.h"
#include "wizardpage.h"

class WizardFixture
{
public:
    // Opens a fresh wizard on its first page.
    bool Start()
    {
        services = RecordingServices();
        dlg = std::make_unique<CBrindleDlg>(&services);
        dlg->show();
        return QTest::qWaitForWindowExposed(dlg.get());
    }

    // Closes the wizard; true when no window at all is left behind.
    bool Stop()
    {
        dlg.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return QApplication::topLevelWidgets().isEmpty();
    }

    // Moves onto `step` as Next does in the normal mode: the current page is hidden, Back and
    // Next are enabled with the caption "Next >", then the new page is shown and has the last word.
    void ArriveAt(int step)
    {
        dlg->m_apStepPages[dlg->m_nCurrentStep]->ShowWindow(false);
        dlg->m_nCurrentStep = step;
        dlg->m_btnBack->setEnabled(true);
        dlg->m_btnNext->setText(QStringLiteral("Next >"));
        dlg->m_btnNext->setEnabled(true);
        dlg->m_apStepPages[step]->ShowWindow(true);
    }

    void Next() { QTest::mouseClick(dlg->m_btnNext, Qt::LeftButton); }
    void Back() { QTest::mouseClick(dlg->m_btnBack, Qt::LeftButton); }

    // Writes `builder`'s file under `name` and loads it through the "File Open" page; true when
    // the wizard moved on to "File Summary".
    bool Load(const ImageBuilder &builder, const QString &name = QStringLiteral("source.rom"))
    {
        const QString path = dir.filePath(name);
        if (!builder.writeTo(path))
            return false;
        QLineEdit *edit = dlg->m_pOpenPage->m_editFilePath;
        edit->selectAll();
        QTest::keyClicks(edit, path);
        Next();
        return dlg->m_nCurrentStep == 1;
    }

    // Types `text` into `widget` one key at a time; unlike QTest::keyClicks it takes any
    // character, not only ASCII.
    static void Type(QWidget *widget, const QString &text)
    {
        for (QChar c : text) {
            const char16_t u = c.unicode();
            Qt::Key key = Qt::Key_unknown;
            if (u >= u' ' && u < 0x7F)
                key = Qt::Key(QChar(u).toUpper().unicode());  // Qt's key codes for ASCII
            QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
        }
    }

    // Replaces an edit's text by typing, as the user does.
    static void Retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        Type(edit, text);
    }

    QString Title() const { return dlg->m_staticTitle->text(); }
    QString Description() const { return dlg->m_staticDescription->text(); }
    bool NextEnabled() const { return dlg->m_btnNext->isEnabled(); }

    RecordingServices services;
    QTemporaryDir dir;
    std::unique_ptr<CBrindleDlg> dlg;
};
