// Writes a firmware file for the end-to-end and package tests: a QSOL upgrade file with USB
// strings, or the same firmware as a ROM or BLD image.
//   make_fixture PATH [quf|rom|bld]

// Std
#include <cstdio>
#include <cstring>

#include "common/imagebuilder.h"

int main(int argc, char **argv)
{
    ImageBuilder::Kind kind = ImageBuilder::Upgrade;
    if (argc == 3 && std::strcmp(argv[2], "rom") == 0)
        kind = ImageBuilder::Rom;
    else if (argc == 3 && std::strcmp(argv[2], "bld") == 0)
        kind = ImageBuilder::Bld;
    else if (argc != 2 && !(argc == 3 && std::strcmp(argv[2], "quf") == 0)) {
        std::fprintf(stderr, "usage: make_fixture PATH [quf|rom|bld]\n");
        return 2;
    }
    ImageBuilder builder(kind, "03.64QSOLF");
    builder.setStrings({"Norvale", "USB Host", "0001"});
    return builder.writeTo(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
