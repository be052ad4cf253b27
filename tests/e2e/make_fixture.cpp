// Writes a firmware file for the end-to-end and package tests: by default a QSOL upgrade file
// with USB strings; a version text and a kind (ROM, QUF or BLD layout) may be given. "demo"
// writes the image that scripts/run.sh opens for a first look: a QSOL ROM image whose USB
// strings say that it is synthetic and not for flashing.
//   make_fixture PATH [VERSION] [rom|quf|bld]
//   make_fixture PATH demo

// Std
#include <cstdio>
#include <cstring>

#include "common/imagebuilder.h"

int main(int argc, char **argv)
{
    const auto kindOf = [](const char *word, ImageBuilder::Kind *kind) {
        if (std::strcmp(word, "rom") == 0)
            *kind = ImageBuilder::Rom;
        else if (std::strcmp(word, "bld") == 0)
            *kind = ImageBuilder::Bld;
        else if (std::strcmp(word, "quf") == 0)
            *kind = ImageBuilder::Upgrade;
        else
            return false;
        return true;
    };
    ImageBuilder::Kind kind = ImageBuilder::Upgrade;
    const char *version = "03.64QSOLF";
    bool ok = argc >= 2 && argc <= 4;
    const bool demo = argc == 3 && std::strcmp(argv[2], "demo") == 0;
    if (ok && argc == 3 && !demo && !kindOf(argv[2], &kind))
        version = argv[2];
    if (ok && argc == 4) {
        version = argv[2];
        ok = kindOf(argv[3], &kind);
    }
    if (!ok) {
        std::fprintf(stderr, "usage: make_fixture PATH [VERSION] [rom|quf|bld]\n"
                             "       make_fixture PATH demo\n");
        return 2;
    }
    if (demo)
        kind = ImageBuilder::Rom;
    ImageBuilder builder(kind, version);
    if (demo)
        builder.setStrings({"Brindle demo", "SYNTHETIC - NOT FOR FLASHING", "DEMO"});
    else
        builder.setStrings({"Norvale", "USB Host", "0001"});
    return builder.writeTo(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
