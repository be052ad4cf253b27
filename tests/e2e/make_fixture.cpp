// Writes the firmware file the end-to-end test customises: a QSOL upgrade file with USB strings.
//   make_fixture PATH

// Std
#include <cstdio>

#include "common/imagebuilder.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fixture PATH\n");
        return 2;
    }
    ImageBuilder builder(ImageBuilder::Upgrade, "03.64QSOLF");
    builder.setStrings({"Norvale", "USB Host", "0001"});
    return builder.writeTo(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
