#pragma once

class QString;
class QWidget;

// What a screen reader hears of the program's controls beyond what Qt tells it by itself.
namespace Accessibility {

// Installs the program's accessible interfaces, once: a drop-down list is named by the label
// beside it, never by its current item; the link is a link that Enter and Space follow; a widget
// marked with MarkAsGrouping is a named grouping. Building a dialog installs them.
void Install();

// Makes `widget` a grouping named `name` and described by `description`: a screen reader says
// both when the focus enters it from outside.
void MarkAsGrouping(QWidget *widget, const QString &name, const QString &description);

}  // namespace Accessibility
