#pragma once

// Runs a program as a fresh process and measures it: wall time and peak resident memory of a
// plain run, and the instructions it executes from its first to its last under callgrind.
// Both start-up benchmarks measure their program and its reference through this, alike.

// Std
#include <string>
#include <vector>

namespace Bench {

struct Command {
    std::string label;  // how the figures name it
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;  // NAME=VALUE, added to this process's own
    std::string folder;                    // working folder, or empty for this one
};

struct PlainRun {
    bool ok = false;
    double ms = 0;
    long peakKiB = 0;  // the child's peak resident set (ru_maxrss)
};

// One run without instrumentation; standard output and error go to /dev/null unless it fails.
PlainRun RunPlain(const Command &command);

// The path of valgrind, or empty when it is not installed.
std::string FindValgrind();

// Instructions executed by one run under callgrind (from the dynamic loader's first instruction
// to exit); negative when the run failed.
double CountInstructions(const std::string &valgrind, const Command &command);

// The median of a list of numbers (the lower middle one of an even count).
double Median(std::vector<double> values);

struct Figures {
    double medianMs = 0;
    double minMs = 0;
    double peakKiB = 0;        // median
    double instructions = -1;  // median, or negative when not counted
};

// Runs each command `runs` times, in turns after `warmUp` unmeasured rounds, then
// `countRuns` times under callgrind (none when valgrind is missing or `countRuns` is 0).
// Returns false when any run failed; the reason is on standard error.
bool Measure(const std::vector<Command> &commands, int warmUp, int runs, int countRuns, std::vector<Figures> &figures);

// Prints one line per command: instructions, wall time, peak memory.
void PrintFigures(const std::vector<Command> &commands, const std::vector<Figures> &figures);

// Prints the ratio of `program`'s instructions to `floor`'s against `budget`, named by `what`;
// false when over budget. Without counts (no valgrind) it says so and passes.
bool JudgeInstructions(const char *what, const Figures &program, const Figures &floor, double budget);

}  // namespace Bench
