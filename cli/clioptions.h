#pragma once

// Std
#include <optional>

#include "clisettings.h"

// The values of brindle-cli's setting options.
namespace CliSettings {

// The value of `--option` for setting `def`: nothing on success, else a message that names the
// option.
std::optional<QString> ParseOption(const SettingDef &def, const QString &text, Choice &choice);

}  // namespace CliSettings
