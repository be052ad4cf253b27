#pragma once

#include "clisettings.h"

// Profiles: the settings in the JSON form that info --json prints.
namespace CliSettings {

// Every key of the profile at `path`. Keys that describe the file rather than a setting
// (fileKind, version and so on) are checked and otherwise ignored. Returns an empty text on
// success, else a message that names the file and the key.
QString ReadProfile(const QString &path, Choices &choices);

}  // namespace CliSettings
