#pragma once

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QString;
class QWidget;

// What a screen reader hears of the program's controls beyond what Qt tells it by itself.
namespace Accessibility {

// Installs the program's accessible interfaces, once: a drop-down list is named by the label
// beside it and shows its item as its text; a text box reports its text as one run; the link is a
// link that Enter and Space follow; the widgets marked below have the roles they are marked with.
// Building a dialog installs them.
void Install();

// Makes `page` a part of its window named `name` and described by `description`, as a child
// dialog is: a screen reader says both when the focus enters it from outside.
void MarkAsPage(QWidget *page, const QString &name, const QString &description);

// Makes the window's header, the title and description of the page shown, a heading and a
// paragraph: a screen reader says them with the page, not again with the window.
void MarkAsHeader(QLabel *title, QLabel *description);

// Tells a screen reader where the focus is each time `window` becomes active, and once the reader
// arrives while the window is up (Install watches for that).
void TellFocusOnActivation(QWidget *window);

// Tells a screen reader where the focus is, once the events under way have gone out: after a
// menu closes, for one, Qt tells nothing of the focus it gives back.
void TellFocusLater();

// Makes `label` a notification: a screen reader says it when it appears, and again whenever
// Announce changes it, but not as part of the controls around it.
void MarkAsNotification(QLabel *label);

// Sets a notification's text, on screen at once, and hidden while it is empty. A screen reader
// is told the text as the notification appears, and a change of it once the text has rested for
// kAnnounceRest: typing a word changes it at every key.
void Announce(QLabel *label, const QString &text);
inline constexpr int kAnnounceRest = 500;  // milliseconds

// Makes `window` the program's main window for a screen reader (a frame), not a dialog.
void MarkAsMainWindow(QWidget *window);

// Makes `text`, a text of several lines that the user reads rather than edits, a static text
// named by its whole text: a screen reader says all of it as it takes the focus, where it would
// say only the line the cursor is on of a text box.
void MarkAsReport(QPlainTextEdit *text);

// Tells a screen reader each change of `list`'s item, as the new text of the list.
void ReportItemChanges(QComboBox *list);

}  // namespace Accessibility
