#include "processmeasure.h"

// Std
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

// POSIX
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Bench {

namespace {

struct Exit {
    bool ok = false;
    rusage usage{};
};

// Starts `argv` with the command's environment and folder and waits for it. Its output goes to
// `outputPath` (standard output and error both).
Exit Spawn(const Command &command, const std::vector<std::string> &argv, const std::string &outputPath)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const std::string &add : command.environment) {
        const std::string name = add.substr(0, add.find('=') + 1);
        env.erase(std::remove_if(env.begin(), env.end(), [&](const std::string &e) { return e.rfind(name, 0) == 0; }),
                  env.end());
        env.push_back(add);
    }
    std::vector<char *> cArgv, cEnv;
    for (const std::string &a : argv)
        cArgv.push_back(const_cast<char *>(a.c_str()));
    cArgv.push_back(nullptr);
    for (const std::string &e : env)
        cEnv.push_back(const_cast<char *>(e.c_str()));
    cEnv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (!command.folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, command.folder.c_str());
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv.front().c_str(), &actions, nullptr, cArgv.data(), cEnv.data());
    posix_spawn_file_actions_destroy(&actions);
    Exit result;
    if (error != 0) {
        std::fprintf(stderr, "%s: cannot start %s: %s\n", command.label.c_str(), argv.front().c_str(),
                     std::strerror(error));
        return result;
    }
    int status = 0;
    while (wait4(pid, &status, 0, &result.usage) < 0) {
        if (errno != EINTR)
            return result;
    }
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!result.ok) {
        std::fprintf(stderr, "%s: %s ended with %s %d; its output:\n", command.label.c_str(), argv.front().c_str(),
                     WIFEXITED(status) ? "exit code" : "signal",
                     WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
        std::ifstream output(outputPath);
        std::fprintf(stderr, "%s\n", std::string(std::istreambuf_iterator<char>(output), {}).c_str());
    }
    return result;
}

std::string ScratchFile(const char *suffix)
{
    const char *tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/brindle-bench-" + std::to_string(getpid()) + suffix;
}

}  // namespace

PlainRun RunPlain(const Command &command)
{
    std::vector<std::string> argv{command.program};
    argv.insert(argv.end(), command.arguments.begin(), command.arguments.end());
    const std::string output = ScratchFile(".out");
    const auto start = std::chrono::steady_clock::now();
    const Exit exit = Spawn(command, argv, output);
    const auto end = std::chrono::steady_clock::now();
    std::remove(output.c_str());
    PlainRun run;
    run.ok = exit.ok;
    run.ms = std::chrono::duration<double, std::milli>(end - start).count();
    run.peakKiB = exit.usage.ru_maxrss;
    return run;
}

std::string FindValgrind()
{
    const char *path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/valgrind";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

double CountInstructions(const std::string &valgrind, const Command &command)
{
    const std::string profile = ScratchFile(".callgrind");
    const std::string output = ScratchFile(".out");
    std::vector<std::string> argv{valgrind, "--tool=callgrind", "--callgrind-out-file=" + profile, command.program};
    argv.insert(argv.end(), command.arguments.begin(), command.arguments.end());
    const Exit exit = Spawn(command, argv, output);
    std::remove(output.c_str());
    double instructions = -1;
    std::ifstream in(profile);
    for (std::string line; exit.ok && std::getline(in, line);) {
        // "summary: N" (older files) or "totals: N": the events of the whole run, Ir first.
        for (const char *key : {"summary: ", "totals: "}) {
            if (line.rfind(key, 0) == 0)
                instructions = std::strtod(line.c_str() + std::strlen(key), nullptr);
        }
    }
    std::remove(profile.c_str());
    return instructions;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

bool Measure(const std::vector<Command> &commands, int warmUp, int runs, int countRuns, std::vector<Figures> &figures)
{
    std::vector<std::vector<double>> ms(commands.size()), kib(commands.size()), instructions(commands.size());
    for (int round = -warmUp; round < runs; ++round) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const PlainRun run = RunPlain(commands[i]);
            if (!run.ok)
                return false;
            if (round >= 0) {
                ms[i].push_back(run.ms);
                kib[i].push_back(double(run.peakKiB));
            }
        }
    }
    const std::string valgrind = countRuns > 0 ? FindValgrind() : std::string();
    for (int round = 0; !valgrind.empty() && round < countRuns; ++round) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const double n = CountInstructions(valgrind, commands[i]);
            if (n < 0)
                return false;
            instructions[i].push_back(n);
        }
    }
    figures.assign(commands.size(), {});
    for (std::size_t i = 0; i < commands.size(); ++i) {
        figures[i].medianMs = Median(ms[i]);
        figures[i].minMs = ms[i].empty() ? 0 : *std::min_element(ms[i].begin(), ms[i].end());
        figures[i].peakKiB = Median(kib[i]);
        figures[i].instructions = instructions[i].empty() ? -1 : Median(instructions[i]);
    }
    return true;
}

void PrintFigures(const std::vector<Command> &commands, const std::vector<Figures> &figures)
{
    std::size_t width = 0;
    for (const Command &c : commands)
        width = std::max(width, c.label.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Figures &f = figures[i];
        char count[32] = "not counted";
        if (f.instructions >= 0)
            std::snprintf(count, sizeof count, "%8.2f M", f.instructions / 1e6);
        std::printf("%-*s  instructions %12s   wall median %7.2f ms (min %7.2f)   peak RSS %6.2f MiB\n", int(width),
                    commands[i].label.c_str(), count, f.medianMs, f.minMs, f.peakKiB / 1024.0);
    }
}

bool JudgeInstructions(const char *what, const Figures &program, const Figures &floor, double budget)
{
    if (program.instructions < 0 || floor.instructions <= 0) {
        if (FindValgrind().empty())
            std::printf("instructions not counted: valgrind is not installed (scripts/setup-deps.sh installs it)\n");
        else
            std::printf("instructions not counted: no run under callgrind was asked for\n");
        return true;
    }
    const double ratio = program.instructions / floor.instructions;
    const bool ok = ratio <= budget;
    std::printf("instructions, %s: %.3f (budget %.2f) %s\n", what, ratio, budget, ok ? "ok" : "OVER");
    return ok;
}

}  // namespace Bench
