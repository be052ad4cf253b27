#pragma once

// Std
#include <optional>

#include "clisettings.h"
#include "console.h"

// Profiles: the settings in the JSON form that info --json prints.
namespace CliSettings {

// Every key of the profile at `path`, a regular file of at most 1 MiB or "-" for standard
// input (read from `console`). Keys that describe the file rather than a setting (fileKind, version and so on) are
// checked and otherwise ignored. A key named twice, or a NUL character in a text, is refused;
// only where the text may be what the file itself holds is that left to the comparison with the
// loaded file: a setting's choice then carries the problem, and so does `string3` for the third
// USB string. Gives nothing on success, else a message that names the file and the key.
std::optional<QString> ReadProfile(Cli::IConsole &console, const QString &path, Choices &choices,
                                   std::optional<Choice> &string3);

}  // namespace CliSettings
