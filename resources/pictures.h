#pragma once

// Std
#include <optional>

// Qt
#include <QByteArrayView>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures compiled into the program: the application icon and the header picture. Each is
// decoded only at the size it is shown, at most once, and never kept in QPixmapCache (where
// QPixmap's own loading would keep every file it reads for the life of the program).
namespace Pictures {

// The width and height a PNG file's header states; nothing when `head` (the file's first bytes,
// 24 are enough) is not a PNG signature followed by a well-formed IHDR chunk.
std::optional<QSize> PngSize(QByteArrayView head);

// One rendering of a picture: a PNG file and the size its header states.
struct Rendering {
    QString path;
    QSize size;
};

// The renderings of the picture `path` ("logo.png"): the file itself first, then its siblings
// named after it ("logo-2x.png", "logo-161x96.png"), smallest first. Only their headers are
// read. Empty when `path` is not a PNG file.
QList<Rendering> FindRenderings(const QString &path);

// The picture `logical` pixels large on a screen of `ratio` device pixels to one: decoded from
// the smallest rendering that has the pixels it needs (else the largest), and scaled only when
// that rendering is not exactly the size. Null when nothing could be decoded.
QPixmap PictureAt(const QList<Rendering> &renderings, const QSize &logical, qreal ratio);

// A PNG file decoded as it stands; null when it cannot be. Where its pixels are stored beside it
// as decoded (NAME.png.rgb or NAME.png.rgba, written by scripts/picture-pixels.py) and have the
// size its header states, those are taken instead.
QPixmap DecodePng(const QString &path);

// The program's icon, shared by every window: the renderings compiled in (16, 32, 48 and 64
// pixels), each decoded the first time a window asks for its size. Larger sizes come from the
// installed hicolor icons (Linux) and the .ico in the program (Windows). The first call makes it
// the application's window icon; later calls return that one.
QIcon ApplicationIcon();

}  // namespace Pictures
