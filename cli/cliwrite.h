#pragma once

// Qt
#include <QStringList>

namespace Cli {

class Session;

// brindle-cli write SOURCE TARGET --code XYZ [settings] [--settings PROFILE.json] [--force]
// [--dry-run] [--layout rom|quf|bld]: writes a customised copy.
int RunWrite(Session &session, const QStringList &arguments);

}  // namespace Cli
