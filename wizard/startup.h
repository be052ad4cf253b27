#pragma once

// Qt
#include <QString>
#include <QStringList>

// What happens before the wizard's window: the command line, and a missing display.
namespace Startup {

// Exit codes of brindle: 0 the wizard ran (or help and version were printed), 1 it could not
// start (no display), 2 the command line was wrong.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoDisplay = 1;
inline constexpr int kExitUsage = 2;

struct Invocation {
    enum Action { Run, Help, Version, UsageError };
    Action action = Run;
    QString file;  // the firmware file to open, or empty
    QString text;  // the help, version or error text, ending with a line break
};

// Reads brindle's command line; arguments[0] is the program. Qt's own options (-platform,
// -style and the others QApplication takes) are taken with their values, and refused when a
// value is missing. Needs a QCoreApplication for the help text.
Invocation ParseArguments(const QStringList &arguments);

// Prints what ParseArguments decided (help and version on standard output, an error on
// standard error) and returns the exit code.
int Report(const Invocation &invocation);

// Turns Qt's abort when no platform plugin starts ("Reinstalling the application may fix this
// problem", exit 134) into one line that says what is missing, and exit 1. Lives while the
// QApplication is constructed; Qt's messages from that time are passed on once it stands.
class DisplayGuard
{
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;
};

// The line for a start without a display, from Qt's messages of the failed start and the
// environment (DISPLAY, WAYLAND_DISPLAY).
QString NoDisplayText(const QStringList &qtMessages);

}  // namespace Startup
