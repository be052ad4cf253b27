#pragma once

// Qt
#include <QString>
#include <QStringView>

// Rules for file names. Windows' own are pure functions so that every platform can test them;
// the program applies them only on Windows builds (AsSaved, and FileError::ForPath).
namespace FileName {

// The path as Windows names the file: the dots and spaces that end the last part are dropped,
// so "FW.ROM." and "FW.ROM " are the file FW.ROM. A last part of dots alone ("." and "..") and
// an empty one stay as they are.
QString WithoutTrailingDotsAndSpaces(QString path);

// The last part of `path` names one of Windows' devices rather than a file: CON, PRN, AUX,
// NUL, COM1 to COM9 and LPT1 to LPT9 (also with the superscript digits 1 to 3), CONIN$ and
// CONOUT$, in any letter case, with or without an extension ("nul.rom", "COM1.QUF") and with
// blanks before the extension ("aux .txt").
bool IsWindowsDeviceName(QStringView path);

// The name a file written as `path` gets on this system: on Windows without its trailing dots
// and spaces, elsewhere `path` itself.
QString AsSaved(const QString &path);

// The folder part of `path` as it was given: the text before its last separator ("/", and on
// Windows "\" too), "/" for a file in the root, "." for a bare name.
QString FolderPart(const QString &path);

// `path` reaches the file system as this very text. Windows takes names as UTF-16, so any
// well-formed text does; elsewhere names are bytes in the locale's encoding, and text that does
// not come back from them unchanged would name another file.
bool ReachesFileSystem(const QString &path);

// What follows the last path separator, at most 255 characters: the name a message shows.
QString LastPart(const QString &path);

}  // namespace FileName
