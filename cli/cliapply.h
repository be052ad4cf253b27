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

}  // namespace CliSettings
