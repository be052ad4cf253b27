#pragma once

// Std
#include <optional>

#include "clisettings.h"

// The chosen settings against and into a loaded record. The checks give nothing on success,
// else a message that names the option or key.
namespace CliSettings {

// Drops the profile's choices that give a setting the value the loaded file already has (they
// change nothing, even where the file holds what no option could set), then refuses any other
// profile value that cannot be stored.
std::optional<QString> DropUnchanged(Choices &choices, const CFirmwareRecord &record);
// That every choice fits the loaded firmware: its type, its descriptors, the USB string space.
std::optional<QString> CheckApplies(const Choices &choices, const CFirmwareRecord &record);

// Stores the choices in the record.
void Apply(const Choices &choices, CFirmwareRecord &record);

// The wizard always passes its UART page, whose lists can only give back the values they
// show: a value outside a list returns as the list's default, and an unknown flow control,
// which the list offers as "Unknown (keep as is)" for such a file, stays unknown, so the file's
// flow byte is written back as it was. Doing the same keeps brindle-cli's output byte for byte
// the wizard's.
void SettleAsUartPage(CFirmwareRecord &record);

}  // namespace CliSettings
