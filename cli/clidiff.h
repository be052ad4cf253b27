#pragma once

// Qt
#include <QStringList>

namespace Cli {

class Session;

// brindle-cli diff A B [--json]: compares two firmware files setting by setting and byte by
// byte outside the settings.
int RunDiff(Session &session, const QStringList &arguments);

}  // namespace Cli
