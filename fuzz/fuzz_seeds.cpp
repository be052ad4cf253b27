// Writes the seed corpus for fuzz_load into a folder: firmware files of every kind and type
// built by the test image builder, plus a few that loading refuses at each of its checks.
//
//   fuzz_seeds FOLDER

// Std
#include <cstdio>

// Qt
#include <QDir>
#include <QString>

#include "common/imagebuilder.h"
#include "firmware/firmwareformat.h"

using namespace Firmware;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "fuzz_seeds: cannot create %s\n", argv[1]);
        return 1;
    }

    int count = 0;
    bool ok = true;
    const auto save = [&](const QByteArray &bytes) {
        ok =
            ImageBuilder::WriteFile(dir.filePath(QStringLiteral("seed%1").arg(++count, 3, 10, QLatin1Char('0'))), bytes)
            && ok;
    };

    const ImageBuilder::Kind kinds[] = {ImageBuilder::Rom, ImageBuilder::Bld, ImageBuilder::Upgrade};
    const char *versions[] = {"03.64QHARF", "03.55QLYT1x",    "03.70QBEN2", "03.66QSOLA",
                              "03.64QTIMA", "03.64-ABCQWEXB", "03.69QJ4J9"};
    for (ImageBuilder::Kind kind : kinds) {
        for (const char *version : versions) {
            ImageBuilder b(kind, version);
            b.setDivisor(26).setLine(0x1D).setFlow(0x02).setInit(0x83).setOption(0xCF);
            b.setStrings({"Norvale", "USB Host", "0001"});
            save(b.build());
        }
        // Edges of the string area: a chain that ends at 0xEBFF and one that runs past it.
        ImageBuilder full(kind, "03.66QSOLA");
        full.setStrings({QByteArray(100, 'M'), QByteArray(20, 'P'), "333"});
        save(full.build());
        ImageBuilder past(kind, "03.66QSOLA");
        past.setStrings({}).setByte(kFirstString, 0xFF).setByte(kFirstString + 1, 3);
        save(past.build());
        // Refused after the signature: old version, unknown type, parameters version 2.
        save(ImageBuilder(kind, "03.54QHARF").build());
        save(ImageBuilder(kind, "03.64QXYZF").build());
        save(ImageBuilder(kind).setParams(2).build());
    }
    // A reflash upgrade file and a file of the wrong length.
    QByteArray reflash = ImageBuilder(ImageBuilder::Upgrade).build();
    reflash[kHeaderCodeType] = char(CodeReflash);
    save(reflash);
    save(ImageBuilder(ImageBuilder::Rom).build().left(4096));

    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write the seeds\n");
        return 1;
    }
    std::printf("fuzz_seeds: %d seeds in %s\n", count, argv[1]);
    return 0;
}
