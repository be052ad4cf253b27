#pragma once

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
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

// `path` reaches the file system as this very text: ToNative takes it (elsewhere than on
// Windows), or on Windows, which takes names as UTF-16, it is well-formed text. A NUL character
// never does: the system would end the name there.
bool ReachesFileSystem(const QString &path);

// Names as bytes, the way Linux and the other Unix systems hold them. A file name there is any
// bytes, not necessarily UTF-8 ("bad\xFF.rom" is legal); this program holds names as text in which
// every byte that is not part of well-formed UTF-8 stands as one of the code points U+DC80 to
// U+DCFF (byte 0x80 + n as U+DC80 + n, the rule Python calls surrogateescape). So every name the
// system holds can be opened and written again, and shown with those bytes escaped
// (ScreenText). Pure functions, used by the Unix builds.
QString FromNative(QByteArrayView bytes);
// The bytes of `path`; false for text that no bytes give: a NUL character, or an unpaired
// surrogate outside U+DC80 to U+DCFF.
bool ToNative(QStringView path, QByteArray &bytes);

// The program's arguments as text: on Windows as Qt gives them, elsewhere from `argv` by
// FromNative, so that a name that is not UTF-8 names its file. Needs a QCoreApplication.
QStringList Arguments(int argc, const char *const *argv);

// Something stands at `path` (a symbolic link counts as what it leads to), looked up through
// the name's bytes where names are bytes, so also under a name that is not UTF-8.
bool Exists(const QString &path);

// What follows the last path separator, at most 255 characters: the name a message shows.
QString LastPart(const QString &path);

}  // namespace FileName
