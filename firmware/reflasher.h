#pragma once

// Std
#include <array>
#include <cstdint>

#include "firmwareformat.h"

namespace Firmware {

// The chip code that fills the last 4 KiB of a ROM image made from a BLD image.
// Built from resources/reflasher.bin.
extern const std::array<std::uint8_t, kReflasherSize> kReflasherBlock;

}  // namespace Firmware
