#pragma once

// Qt
#include <QStringList>

namespace Cli {

class Session;

// brindle-cli info FILE [--json]: describes a firmware file.
int RunInfo(Session &session, const QStringList &arguments);

}  // namespace Cli
