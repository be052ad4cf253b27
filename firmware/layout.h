#pragma once

// Qt
#include <QString>
#include <QtGlobal>

// The three layouts of a firmware file in one buffer of kBufferSize bytes, and the conversions a
// save makes between them: a ROM image, a BLD file (a ROM image without its reflasher block)
// and an upgrade file (a 512-byte header, then a ROM image).
namespace Layout {

struct Buffer {
    quint8 *data;  // kBufferSize bytes
    int kind;      // Firmware::KindRom, KindUpgrade or KindBld
    int length;    // the file's length
};

// Converts `buffer` in place to `targetKind`. An upgrade file made (or remade) gets a fresh header
// that carries `version`; a BLD file made into a ROM image gets the reflasher block, into an
// upgrade file zeros in its place. Any kind other than ROM and upgrade leaves the buffer alone.
void ConvertTo(Buffer &buffer, int targetKind, const QString &version);

// The layout that saving a file of `fileKind` as `path` gives: the text from the path's last "."
// decides, ".ROM" a ROM image and ".QUF" an upgrade file in any letter case; anything else, or a
// path whose last "." is its first character, keeps `fileKind`.
int KindForName(const QString &path, int fileKind);

// Writes `version` into a version text field: at most kVersionTextSize characters, one byte
// each, ended by a zero byte when shorter. The bytes after the zero stay as they were.
void WriteVersion(quint8 *field, const QString &version);

}  // namespace Layout
