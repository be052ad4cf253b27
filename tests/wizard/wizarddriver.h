#pragma once

// Drives a real wizard, shown offscreen, with recorders in place of its dialogs, through its
// steps as the user does: Next by a click or by Enter, Back, typing into a page's controls, which
// it reaches by step and control id.

// Std
#include <memory>

// Qt
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/imagebuilder.h"
#include "leftovers.h"
#include "pages/tabfile.h"
#include "pages/wizardpage.h"
#include "recorder.h"
#include "resources/resourceids.h"
#include "wizard/brindledlg.h"

// Next as the user presses it: a click on the button.
inline void PressNext(CBrindleDlg &dlg)
{
    QTest::mouseClick(dlg.NextButton(), Qt::LeftButton);
}

class WizardDriver
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

    // Opens a fresh wizard as the active window, where the keyboard goes.
    bool StartActive()
    {
        if (!Start())
            return false;
        dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }

    // Closes the wizard; the windows left over after it, which should be none.
    QStringList Stop()
    {
        dlg.reset();
        return LeftoverWindows();
    }

    void Next() { PressNext(*dlg); }
    // Next by Enter on the control that has the focus, as a user at the keyboard presses it.
    void NextByKey()
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : dlg.get(), Qt::Key_Return);
    }
    void Back() { QTest::mouseClick(dlg->BackButton(), Qt::LeftButton); }
    int Step() const { return dlg->CurrentStep(); }
    template <class Page>
    Page *PageAt(int step) const
    {
        return dlg->StepPage<Page>(step);
    }
    // A control of the page of `step`, by its id in the page's template.
    template <class T>
    T *Control(int step, int id) const
    {
        return dlg->StepPage(step)->GetDlgItem<T>(id);
    }

    // Next until `step` (or until Next no longer moves); true when the wizard is there.
    bool NextUntil(int step)
    {
        for (int guard = 0; guard < CBrindleDlg::kStepCount && Step() < step; ++guard) {
            const int before = Step();
            Next();
            if (Step() == before)
                break;
        }
        return Step() == step;
    }

    // Writes `builder`'s file under `name` and loads it through the "File Open" page; true when
    // the wizard moved on to "File Summary".
    bool Load(const ImageBuilder &builder, const QString &name = QStringLiteral("source.rom"))
    {
        const QString path = dir.filePath(name);
        if (!builder.writeTo(path))
            return false;
        QLineEdit *edit = PageAt<CTabFile>(CBrindleDlg::StepOpen)->GetDlgItem<QLineEdit>(FileIds::Path);
        edit->selectAll();
        QTest::keyClicks(edit, path);
        Next();
        return Step() == CBrindleDlg::StepSummary;
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

    // A click on a check box's or radio button's indicator, where the style draws it.
    static void Click(QAbstractButton *button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        const bool radio = qobject_cast<QRadioButton *>(button) != nullptr;
        const QRect box = button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, button);
        QTest::mouseClick(button, Qt::LeftButton, {}, box.isValid() ? box.center() : button->rect().center());
    }

    // Replaces an edit's text by typing, as the user does.
    static void Retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        Type(edit, text);
    }

    QString Title() const { return dlg->GetDlgItem<QLabel>(WizardIds::Title)->text(); }
    QString Description() const { return dlg->GetDlgItem<QLabel>(WizardIds::Description)->text(); }
    bool NextEnabled() const { return dlg->NextButton()->isEnabled(); }

    RecordingServices services;
    QTemporaryDir dir;
    std::unique_ptr<CBrindleDlg> dlg;
};
