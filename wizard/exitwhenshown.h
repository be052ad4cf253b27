#pragma once

// The point where start-up ends: the first window is on screen and the event loop has nothing
// left to do. With BRINDLE_EXIT_WHEN_SHOWN set (to anything but empty) the wizard ends there
// with 0, so that a benchmark or a test can time and count its start-up; the benchmark's
// reference programs stop the same way, through the same code.
namespace Startup {

inline constexpr const char *kExitWhenShownVariable = "BRINDLE_EXIT_WHEN_SHOWN";

// True when the environment asks for ExitWhenShown.
bool ExitWhenShownRequested();

// Ends the process with 0 once a top-level window of the running QGuiApplication is exposed and
// the event loop is next about to wait. Call once, after the application object stands.
void ExitWhenShown();

}  // namespace Startup
