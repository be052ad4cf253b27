#pragma once

// Qt
#include <QString>
#include <QStringList>

namespace Cli {

class Session;

// A command line that names no command of its own: brindle-cli [--help | --version], "help
// [COMMAND]", or a word that is no command. Returns an exit code, or kContinue with `topic` set
// when "help COMMAND" asks for that command's help.
int RunProgramLine(Session &session, const QStringList &arguments, QString &topic);

}  // namespace Cli
