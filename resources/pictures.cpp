#include "pictures.h"

// Std
#include <algorithm>
#include <array>

// Qt
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace Pictures {

namespace {

// The PNG signature, then the first chunk, which must be IHDR: its length (13) and type, then
// the width and height as big-endian 32-bit numbers.
constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr qsizetype kIhdrLengthOffset = 8;
constexpr qsizetype kIhdrTypeOffset = 12;
constexpr qsizetype kWidthOffset = 16;
constexpr qsizetype kHeightOffset = 20;
constexpr qsizetype kHeadSize = 24;
constexpr quint32 kIhdrLength = 13;
// PNG limits its dimensions to 2^31 - 1; a picture of this program is far smaller, and a header
// that claims more is not one of its files.
constexpr quint32 kMaxSide = 1u << 15;

quint32 BigEndian32(QByteArrayView bytes, qsizetype offset)
{
    quint32 value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

std::optional<QSize> HeaderSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return PngSize(file.read(kHeadSize));
}

// The application icon's renderings, smallest first.
constexpr std::array<int, 4> kIconSides = {16, 32, 48, 64};

QString IconPath(int side)
{
    return QStringLiteral(":/brindle/icons/brindle-%1.png").arg(side);
}

// Hands out the icon's renderings, each decoded on first use and kept by the engine, which every
// copy of the icon shares.
class ApplicationIconEngine final : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(state);
        // The smallest rendering with the pixels asked for, else the largest; never larger than
        // asked, as QIcon promises.
        const int side = std::max(size.width(), size.height());
        std::size_t index = 0;
        while (index + 1 < kIconSides.size() && kIconSides[index] < side)
            ++index;
        QPixmap &rendering = m_renderings[index];
        if (rendering.isNull())
            rendering = DecodePng(IconPath(kIconSides[index]));
        QPixmap result = rendering;
        if (!result.isNull() && (result.width() > size.width() || result.height() > size.height()))
            result = result.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && !result.isNull()) {
            if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
                QStyleOption option;
                option.palette = QApplication::palette();
                result = app->style()->generatedIconPixmap(mode, result, &option);
            }
        }
        return result;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        picture.setDevicePixelRatio(ratio);
        const QSize shown = (QSizeF(picture.size()) / ratio).toSize();
        painter->drawPixmap(QRect(QPoint(), shown).translated(rect.center() - QRect(QPoint(), shown).center()),
                            picture);
    }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(mode);
        Q_UNUSED(state);
        const int side = std::min({size.width(), size.height(), kIconSides.back()});
        return QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(mode);
        Q_UNUSED(state);
        QList<QSize> sizes;
        for (const int side : kIconSides)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine *clone() const override { return new ApplicationIconEngine(*this); }
    QString key() const override { return QStringLiteral("brindle-application-icon"); }

private:
    std::array<QPixmap, kIconSides.size()> m_renderings;
};

}  // namespace

std::optional<QSize> PngSize(QByteArrayView head)
{
    if (head.size() < kHeadSize)
        return std::nullopt;
    if (!std::equal(kPngSignature.begin(), kPngSignature.end(), reinterpret_cast<const unsigned char *>(head.data())))
        return std::nullopt;
    if (BigEndian32(head, kIhdrLengthOffset) != kIhdrLength || head.sliced(kIhdrTypeOffset, 4) != "IHDR")
        return std::nullopt;
    const quint32 width = BigEndian32(head, kWidthOffset);
    const quint32 height = BigEndian32(head, kHeightOffset);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    return QSize(int(width), int(height));
}

QList<Rendering> FindRenderings(const QString &path)
{
    QList<Rendering> found;
    const std::optional<QSize> own = HeaderSize(path);
    if (!own)
        return found;
    found.append({path, *own});
    const QFileInfo info(path);
    const QString prefix = info.completeBaseName() + QLatin1Char('-');
    const QString suffix = QLatin1Char('.') + info.suffix();
    // Matched by hand: a name filter would compile a regular expression.
    for (const QString &name : QDir(info.path()).entryList(QDir::Files, QDir::NoSort)) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        const QString sibling = info.path() + QLatin1Char('/') + name;
        if (const std::optional<QSize> size = HeaderSize(sibling))
            found.append({sibling, *size});
    }
    std::stable_sort(found.begin() + 1, found.end(), [](const Rendering &a, const Rendering &b) {
        return qint64(a.size.width()) * a.size.height() < qint64(b.size.width()) * b.size.height();
    });
    return found;
}

QPixmap PictureAt(const QList<Rendering> &renderings, const QSize &logical, qreal ratio)
{
    const QSize device = (QSizeF(logical) * ratio).toSize();
    const auto area = [](const Rendering &r) { return qint64(r.size.width()) * r.size.height(); };
    // The smallest with enough pixels (a rendering of exactly the size is one), else the largest.
    const Rendering *chosen = nullptr;
    const Rendering *largest = nullptr;
    for (const Rendering &r : renderings) {
        const bool enough = r.size.width() >= device.width() && r.size.height() >= device.height();
        if (enough && (!chosen || area(r) < area(*chosen)))
            chosen = &r;
        if (!largest || area(r) > area(*largest))
            largest = &r;
    }
    if (!chosen)
        chosen = largest;
    if (!chosen)
        return QPixmap();
    QPixmap picture = DecodePng(chosen->path);
    if (picture.isNull())
        return picture;
    if (picture.size() != device)
        picture = picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

namespace {

// The pixels of the PNG file `path` stored beside it as decoded (`path` + ".rgb": red, green and
// blue bytes; `path` + ".rgba": the same and alpha, not premultiplied), rows from the top;
// null when there are none, or when their size is not what the PNG's header states.
QPixmap StoredPixels(const QString &path)
{
    struct Stored {
        const char *suffix;
        int bytesPerPixel;
        QImage::Format format;
        QImage::Format shown;  // a format the pixmap takes without converting again
    };
    static constexpr Stored kStored[] = {
        {".rgb", 3, QImage::Format_RGB888, QImage::Format_RGB32},
        {".rgba", 4, QImage::Format_RGBA8888, QImage::Format_ARGB32_Premultiplied},
    };
    for (const Stored &stored : kStored) {
        QFile file(path + QLatin1String(stored.suffix));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const std::optional<QSize> size = HeaderSize(path);
        if (!size || file.size() != qint64(size->width()) * size->height() * stored.bytesPerPixel)
            return QPixmap();
        // Mapped where it can be (a picture compiled in is read where it lies), else read.
        QByteArray read;
        const uchar *pixels = file.map(0, file.size());
        if (!pixels) {
            read = file.readAll();
            if (read.size() != file.size())
                return QPixmap();
            pixels = reinterpret_cast<const uchar *>(read.constData());
        }
        // Converted into an image of its own before the file is closed.
        const QImage image(pixels, size->width(), size->height(), size->width() * stored.bytesPerPixel, stored.format);
        return QPixmap::fromImage(image.convertToFormat(stored.shown));
    }
    return QPixmap();
}

}  // namespace

QPixmap DecodePng(const QString &path)
{
    // The common renderings come with their pixels: nothing to decode, and the PNG decoder's
    // code is not even brought into memory.
    if (QPixmap stored = StoredPixels(path); !stored.isNull())
        return stored;
    // Through QImageReader: QPixmap(path) would keep the file in QPixmapCache. Told the format and
    // not to guess it, the reader goes straight to Qt's own PNG handler; guessing, it would load
    // every image-format plugin installed (and their libraries) to ask each whether it reads PNG.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QPixmap();
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon ApplicationIcon()
{
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull()) {
        icon = QIcon(new ApplicationIconEngine);
        QGuiApplication::setWindowIcon(icon);
    }
    return icon;
}

}  // namespace Pictures
