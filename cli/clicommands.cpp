#include "clicommands.h"

#include "clicommon.h"
#include "clidiff.h"
#include "clihelp.h"
#include "cliinfo.h"
#include "cliwrite.h"

namespace Cli {

namespace {

// The command word decides which command reads the rest of the line.
int RunCommand(Session &session, const QStringList &arguments)
{
    const QString command = arguments.value(1);
    if (command == kInfo)
        return RunInfo(session, arguments);
    if (command == kWrite)
        return RunWrite(session, arguments);
    if (command == kDiff)
        return RunDiff(session, arguments);
    QString topic;
    const int code = RunProgramLine(session, arguments, topic);
    if (code != kContinue)
        return code;
    return RunCommand(session, {arguments.at(0), topic, QStringLiteral("--help")});
}

}  // namespace

int Run(const Invocation &invocation, IConsole &console)
{
    Session session(invocation, console);
    return RunCommand(session, invocation.arguments);
}

}  // namespace Cli
