#pragma once

// Qt
#include <QFont>
#include <QSize>

// Windows only: the dialog base units Windows itself gives a dialog in `font`, measured with
// the system's text functions on the screen (the average width of the 52 letters, rounded, and
// the character height). An invalid size if the font cannot be measured.
QSize WindowsDialogBaseUnits(const QFont &font);
