#pragma once

#include "clisettings.h"

// The values of brindle-cli's setting options.
namespace CliSettings {

// The value of `--option` for setting `def`: an empty text on success, else a message that
// names the option.
QString ParseOption(const SettingDef &def, const QString &text, Choice &choice);

}  // namespace CliSettings
