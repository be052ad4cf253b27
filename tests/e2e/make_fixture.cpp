// Writes a firmware file for the end-to-end tests: by default a QSOL upgrade file with USB strings.
//   make_fixture PATH [VERSION [rom|quf|bld]]

// Std
#include <cstdio>
#include <cstring>

#include "common/imagebuilder.h"

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: make_fixture PATH [VERSION [rom|quf|bld]]\n");
        return 2;
    }
    ImageBuilder::Kind kind = ImageBuilder::Upgrade;
    if (argc == 4) {
        if (std::strcmp(argv[3], "rom") == 0) {
            kind = ImageBuilder::Rom;
        } else if (std::strcmp(argv[3], "bld") == 0) {
            kind = ImageBuilder::Bld;
        } else if (std::strcmp(argv[3], "quf") != 0) {
            std::fprintf(stderr, "make_fixture: unknown kind %s\n", argv[3]);
            return 2;
        }
    }
    ImageBuilder builder(kind, argc >= 3 ? argv[2] : "03.64QSOLF");
    builder.setStrings({"Norvale", "USB Host", "0001"});
    return builder.writeTo(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
