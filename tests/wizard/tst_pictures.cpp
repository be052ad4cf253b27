// The pictures compiled into the program: sizes read from PNG headers, the one rendering of a
// picture that is drawn, and the application icon decoded per size, once.

// Qt
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include "resources/pictures.h"

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void pngSize_data();
    void pngSize();
    void headerOfEveryRendering();
    void storedPixelsAreThePngs();
    void storedPixels_data();
    void storedPixels();
    void logoRenderings();
    void pictureAt_data();
    void pictureAt();
    void defaultSizeNeedsNoScaling();
    void missingPicture();
    void applicationIcon_data();
    void applicationIcon();
    void applicationIconIsShared();
};

namespace {

// The first 24 bytes of a PNG file: signature, IHDR length and type, width, height.
QByteArray PngHead(quint32 width, quint32 height, quint32 ihdrLength = 13, const char *type = "IHDR")
{
    QByteArray head("\x89PNG\r\n\x1a\n", 8);
    for (const quint32 value : {ihdrLength}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            head.append(char((value >> shift) & 0xFF));
    }
    head.append(type, 4);
    for (const quint32 value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            head.append(char((value >> shift) & 0xFF));
    }
    return head;
}

// A PNG file filled with one colour, so that a picture shows which rendering it came from.
bool WritePng(const QString &path, const QSize &size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

}  // namespace

void TestPictures::pngSize_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QSize>("size");  // invalid: no size

    const QSize none;
    QTest::newRow("150 by 89") << PngHead(150, 89) << QSize(150, 89);
    QTest::newRow("1 by 1") << PngHead(1, 1) << QSize(1, 1);
    QTest::newRow("32768 by 2") << PngHead(32768, 2) << QSize(32768, 2);
    QTest::newRow("followed by more") << PngHead(16, 16) + QByteArray(100, 'x') << QSize(16, 16);
    QTest::newRow("empty") << QByteArray() << none;
    QTest::newRow("23 bytes") << PngHead(150, 89).left(23) << none;
    QTest::newRow("signature only") << PngHead(150, 89).left(8) << none;
    QByteArray badSignature = PngHead(150, 89);
    badSignature[1] = 'p';
    QTest::newRow("not the signature") << badSignature << none;
    QByteArray textLineEnds = PngHead(150, 89);
    textLineEnds[4] = '\n';  // a file sent through a text-mode copy
    QTest::newRow("line ends changed") << textLineEnds << none;
    QTest::newRow("IHDR length 12") << PngHead(150, 89, 12) << none;
    QTest::newRow("first chunk not IHDR") << PngHead(150, 89, 13, "IDAT") << none;
    QTest::newRow("width 0") << PngHead(0, 89) << none;
    QTest::newRow("height 0") << PngHead(150, 0) << none;
    QTest::newRow("width 32769") << PngHead(32769, 89) << none;
    QTest::newRow("height 2^31") << PngHead(150, 0x80000000u) << none;
    QTest::newRow("width 2^32-1") << PngHead(0xFFFFFFFFu, 89) << none;
}

void TestPictures::pngSize()
{
    QFETCH(QByteArray, head);
    QFETCH(QSize, size);
    const std::optional<QSize> found = Pictures::PngSize(head);
    QCOMPARE(found.has_value(), size.isValid());
    if (found)
        QCOMPARE(*found, size);
}

// The header says what the decoder finds, for every picture the program carries.
void TestPictures::headerOfEveryRendering()
{
    const QStringList files = QDir(QStringLiteral(":/brindle/icons")).entryList({QStringLiteral("*.png")}, QDir::Files);
    QVERIFY(files.size() >= 8);
    for (const QString &name : files) {
        const QString path = QStringLiteral(":/brindle/icons/") + name;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::optional<QSize> size = Pictures::PngSize(file.read(24));
        QVERIFY2(size, qPrintable(name));
        QCOMPARE(Pictures::DecodePng(path).size(), *size);
    }
}

// Every picture compiled in with its pixels stored shows what its PNG holds, as Qt's own PNG
// reader decodes it.
void TestPictures::storedPixelsAreThePngs()
{
    const QStringList stored = QDir(QStringLiteral(":/brindle/icons"))
                                   .entryList({QStringLiteral("*.png.rgb"), QStringLiteral("*.png.rgba")}, QDir::Files);
    // The icon in its four sizes and the header picture at Qt's default font on Linux.
    QCOMPARE(stored, QStringList({"brindle-16.png.rgba", "brindle-32.png.rgba", "brindle-48.png.rgba",
                                  "brindle-64.png.rgba", "logo-161x96.png.rgb"}));
    for (const QString &name : stored) {
        const QString png = QStringLiteral(":/brindle/icons/") + name.left(name.lastIndexOf(QLatin1Char('.')));
        QImageReader reader(png, "png");
        const QImage decoded = reader.read();
        QVERIFY2(!decoded.isNull(), qPrintable(png));
        const QImage shown = Pictures::DecodePng(png).toImage();
        QCOMPARE(shown.size(), decoded.size());
        QCOMPARE(shown.hasAlphaChannel(), name.endsWith(QLatin1String(".rgba")));
        // As a pixmap, as the PNG decoded would be shown (premultiplied where it has alpha).
        const QImage pngShown = QPixmap::fromImage(decoded).toImage();
        QVERIFY2(shown.convertToFormat(QImage::Format_ARGB32) == pngShown.convertToFormat(QImage::Format_ARGB32),
                 qPrintable(name));
    }
}

void TestPictures::storedPixels_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("pixels");  // for a 2x1 picture
    QTest::addColumn<QList<QRgb>>("shown");  // its two pixels as shown

    const QList<QRgb> png{0xFFFF0000, 0xFFFF0000};  // the PNG's own pixels: red
    QTest::newRow("rgb") << ".rgb" << QByteArray("\x00\x80\x00\x00\x00\xFF", 6) << QList<QRgb>{0xFF008000, 0xFF0000FF};
    QTest::newRow("rgba, alpha kept") << ".rgba" << QByteArray("\x00\x80\x00\xFF\x00\x00\xFF\x00", 8)
                                      << QList<QRgb>{0xFF008000, 0x00000000};
    QTest::newRow("rgb one byte short: the PNG") << ".rgb" << QByteArray("\x00\x80\x00\x00\x00", 5) << png;
    QTest::newRow("rgb one byte more: the PNG") << ".rgb" << QByteArray("\x00\x80\x00\x00\x00\xFF\x00", 7) << png;
    QTest::newRow("rgba with rgb's size: the PNG") << ".rgba" << QByteArray("\x00\x80\x00\x00\x00\xFF", 6) << png;
    QTest::newRow("empty: the PNG") << ".rgb" << QByteArray() << png;
    QTest::newRow("other name: the PNG") << ".raw" << QByteArray("\x00\x80\x00\x00\x00\xFF", 6) << png;
}

// Stored pixels are taken where they have the size the PNG's header states, and the PNG is
// decoded where they do not.
void TestPictures::storedPixels()
{
    QFETCH(QString, suffix);
    QFETCH(QByteArray, pixels);
    QFETCH(QList<QRgb>, shown);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("pic.png"));
    QVERIFY(WritePng(png, QSize(2, 1), Qt::red));
    QFile stored(png + suffix);
    QVERIFY(stored.open(QIODevice::WriteOnly));
    QCOMPARE(stored.write(pixels), qint64(pixels.size()));
    stored.close();

    const QImage image = Pictures::DecodePng(png).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(2, 1));
    QCOMPARE((QList<QRgb>{image.pixel(0, 0), image.pixel(1, 0)}), shown);
}

void TestPictures::logoRenderings()
{
    const QList<Pictures::Rendering> renderings = Pictures::FindRenderings(QStringLiteral(":/brindle/icons/logo.png"));
    QStringList found;
    for (const Pictures::Rendering &r : renderings)
        found.append(
            QStringLiteral("%1 %2x%3").arg(QFileInfo(r.path).fileName()).arg(r.size.width()).arg(r.size.height()));
    // The file named first (its proportions are the picture's), then the others, smallest first.
    QCOMPARE(found,
             QStringList({"logo.png 150x89", "logo-161x96.png 161x96", "logo-2x.png 300x178", "logo-4x.png 600x356"}));
}

void TestPictures::pictureAt_data()
{
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QColor>("from");  // the colour of the rendering it is drawn from

    // Renderings 40x24 (red, named first), 20x12 (green), 80x48 (blue).
    QTest::newRow("exactly the named one") << QSize(40, 24) << 1.0 << QColor(Qt::red);
    QTest::newRow("exactly a smaller one") << QSize(20, 12) << 1.0 << QColor(Qt::green);
    QTest::newRow("smaller than all") << QSize(10, 6) << 1.0 << QColor(Qt::green);
    QTest::newRow("between: the next larger") << QSize(30, 18) << 1.0 << QColor(Qt::red);
    QTest::newRow("wider than one, as high") << QSize(41, 24) << 1.0 << QColor(Qt::blue);
    QTest::newRow("larger than all: the largest") << QSize(100, 60) << 1.0 << QColor(Qt::blue);
    QTest::newRow("twice the pixels") << QSize(40, 24) << 2.0 << QColor(Qt::blue);
    QTest::newRow("one and a half") << QSize(20, 12) << 1.5 << QColor(Qt::red);
}

void TestPictures::pictureAt()
{
    QFETCH(QSize, logical);
    QFETCH(qreal, ratio);
    QFETCH(QColor, from);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WritePng(dir.filePath(QStringLiteral("pic.png")), QSize(40, 24), Qt::red));
    QVERIFY(WritePng(dir.filePath(QStringLiteral("pic-small.png")), QSize(20, 12), Qt::green));
    QVERIFY(WritePng(dir.filePath(QStringLiteral("pic-2x.png")), QSize(80, 48), Qt::blue));
    // Not renderings of pic.png: another picture's, and a file that is no PNG.
    QVERIFY(WritePng(dir.filePath(QStringLiteral("picture.png")), QSize(30, 18), Qt::yellow));
    QFile junk(dir.filePath(QStringLiteral("pic-junk.png")));
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not a picture") > 0);
    junk.close();

    const QList<Pictures::Rendering> renderings = Pictures::FindRenderings(dir.filePath(QStringLiteral("pic.png")));
    QCOMPARE(renderings.size(), 3);
    const QPixmap picture = Pictures::PictureAt(renderings, logical, ratio);
    QCOMPARE(picture.devicePixelRatio(), ratio);
    QCOMPARE(picture.size(), (QSizeF(logical) * ratio).toSize());
    QCOMPARE(picture.deviceIndependentSize().toSize(), logical);
    const QImage image = picture.toImage();
    QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), from);
}

// The header picture in Qt's default font on Linux (base units 7 by 14: 161x96) is drawn from
// its own rendering as decoded, without scaling.
void TestPictures::defaultSizeNeedsNoScaling()
{
    const QList<Pictures::Rendering> renderings = Pictures::FindRenderings(QStringLiteral(":/brindle/icons/logo.png"));
    const QImage drawn = Pictures::PictureAt(renderings, QSize(161, 96), 1.0).toImage();
    const QImage own = Pictures::DecodePng(QStringLiteral(":/brindle/icons/logo-161x96.png")).toImage();
    QVERIFY(!own.isNull());
    QCOMPARE(drawn, own);
}

void TestPictures::missingPicture()
{
    QVERIFY(Pictures::FindRenderings(QStringLiteral(":/brindle/icons/none.png")).isEmpty());
    QVERIFY(Pictures::PictureAt({}, QSize(10, 10), 1.0).isNull());
    QVERIFY(Pictures::DecodePng(QStringLiteral(":/brindle/icons/none.png")).isNull());
}

void TestPictures::applicationIcon_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("given");

    QTest::newRow("16") << QSize(16, 16) << QSize(16, 16);
    QTest::newRow("32") << QSize(32, 32) << QSize(32, 32);
    QTest::newRow("48") << QSize(48, 48) << QSize(48, 48);
    QTest::newRow("64") << QSize(64, 64) << QSize(64, 64);
    QTest::newRow("24: from 32, smaller") << QSize(24, 24) << QSize(24, 24);
    QTest::newRow("20 by 40: square, fits") << QSize(20, 40) << QSize(20, 20);
    QTest::newRow("128: never larger than 64") << QSize(128, 128) << QSize(64, 64);
}

void TestPictures::applicationIcon()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, given);
    const QIcon icon = Pictures::ApplicationIcon();
    QCOMPARE(icon.availableSizes(), QList<QSize>({QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64)}));
    const QPixmap pixmap = icon.pixmap(asked, 1.0);
    QCOMPARE(pixmap.size(), given);
    QCOMPARE(icon.actualSize(asked), given);
    // The rendering itself where one has the size: the pixels of the file, as decoded.
    const QString file = QStringLiteral(":/brindle/icons/brindle-%1.png").arg(given.width());
    if (QFile::exists(file))
        QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32),
                 Pictures::DecodePng(file).toImage().convertToFormat(QImage::Format_ARGB32));
    QVERIFY(!icon.pixmap(asked, 1.0, QIcon::Disabled).isNull());
}

// One icon for every window of the program, each size decoded once and kept.
void TestPictures::applicationIconIsShared()
{
    const QIcon first = Pictures::ApplicationIcon();
    QCOMPARE(QApplication::windowIcon().cacheKey(), first.cacheKey());
    QCOMPARE(Pictures::ApplicationIcon().cacheKey(), first.cacheKey());
    QWidget window;
    QCOMPARE(window.windowIcon().cacheKey(), first.cacheKey());
    QCOMPARE(first.pixmap(QSize(32, 32), 1.0).cacheKey(),
             Pictures::ApplicationIcon().pixmap(QSize(32, 32), 1.0).cacheKey());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
