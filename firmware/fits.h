#pragma once

// What fits into an image: the rules that writing refuses by and that brindle-cli checks its
// choices against before anything is written. Each caller words its own message.

// Std
#include <cstdint>

// Qt
#include <QtGlobal>

#include "firmwareformat.h"

namespace Firmware {

// A version text fits its field whole: cut short, it would lose its type code.
constexpr bool VersionTextFits(qsizetype length)
{
    return length <= kVersionTextSize;
}

// The three USB strings, `chars` characters together, fit between the language descriptor and
// the end of the string area.
constexpr bool UsbStringsFit(qsizetype chars)
{
    return chars <= kMaxUsbStringChars;
}

// The image (from its base) has a device descriptor long enough to hold the vendor and product IDs.
inline bool HasUsbIdRoom(const std::uint8_t *image)
{
    return image[kDeviceDescriptor] > kDeviceDescriptorMinLength;
}

// The image has the language descriptor that the string descriptors follow.
inline bool HasUsbStringRoom(const std::uint8_t *image)
{
    return image[kStringArea] == kLanguageDescriptorLength;
}

static_assert(VersionTextFits(kVersionTextSize) && !VersionTextFits(kVersionTextSize + 1));
static_assert(UsbStringsFit(kMaxUsbStringChars) && !UsbStringsFit(kMaxUsbStringChars + 1));

}  // namespace Firmware
