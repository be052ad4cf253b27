#!/usr/bin/env python3
"""Mutation check: do the tests notice a planted fault?

Each mutant below is one small change to the program, of the kind a slip of the keyboard makes
(a digit, a shift, a dropped line). The script copies the working tree into build/mutants/src,
builds the suites that should notice each mutant there (build/mutants/build), checks that they
pass as the tree stands, then applies the mutants one at a time: it builds the covering targets,
runs their suites and reports the mutant killed (a suite failed) or survived (all passed). The
working tree itself is never changed, so an interrupted run leaves nothing behind.

  scripts/mutants.py            every mutant
  scripts/mutants.py NAME...    only these (see --list)
  scripts/mutants.py --list     the mutants and the suites that cover them

Exit status: 0 when every mutant was killed, 1 when one survived, 2 when the run could not be
made (a mutant whose text is no longer in its file, a build that fails, a suite that fails
before any mutant is applied). Not part of CI: it builds and runs the covering suites once per
mutant, several minutes each on a small machine.

A mutant whose text has gone from its file must be brought up to date with the code it
mutates: the run stops and names it rather than count it as killed.
"""

import argparse
import os
import shutil
import subprocess
import sys
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCE = ROOT / "build" / "mutants" / "src"
# The default preset's folder inside the copy: the same relative paths as the working tree's
# own build, so a shared compiler cache serves every file a mutant leaves alone.
BUILD = SOURCE / "build" / "default"


@dataclass
class Mutant:
    name: str
    what: str  # the fault, in words
    file: str  # relative to the source root
    find: str  # text that occurs exactly once in the file
    replace: str
    suites: list = field(default_factory=list)  # CTest names, which are also the targets


MUTANTS = [
    Mutant("divisor-57600", "the divisor code of 57600 baud one too high (49204 -> 49205)",
           "firmware/firmwareformat.h", "{57600, 49204},", "{57600, 49205},",
           ["tst_firmwareload", "tst_firmwarewrite"]),
    Mutant("divisor-third-byte", "the divisor's third byte read as bits 8-15 instead of 16-23",
           "firmware/firmwarerecord.cpp", "std::uint32_t(p[kDivisor + 2]) << 16",
           "std::uint32_t(p[kDivisor + 2]) << 8", ["tst_firmwareload"]),
    Mutant("header-marker", "the upgrade header's byte 52 written as 0x79 instead of 0x78",
           "firmware/firmwareformat.h", "kHeaderMarkerValue = 0x78;", "kHeaderMarkerValue = 0x79;",
           ["tst_firmwarewrite"]),
    Mutant("new-file-mode", "a new file created 0600, whatever the umask allows",
           "firmware/savefile_unix.cpp", "hadOld ? 0600 : 0666", "hadOld ? 0600 : 0600",
           ["tst_clisave"]),
    Mutant("usb-id-65535", "a profile's USB ID 65535 refused as out of range",
           "cli/cliprofile.cpp", "choice.number > kMaxUsbId", "choice.number >= kMaxUsbId",
           ["tst_cli"]),
    Mutant("word-case", "command-line and profile words matched in their letter case only",
           "cli/clisettings.cpp",
           "text.compare(QLatin1String(words[i]), Qt::CaseInsensitive)",
           "text.compare(QLatin1String(words[i]), Qt::CaseSensitive)", ["tst_cli"]),
    Mutant("refused-load-source", "the wizard keeps the loaded path after a refused load",
           "wizard/brindledlg.cpp",
           "            // The next attempt reads the file again, even under the same path.\n"
           "            m_record.m_strSourceFile.clear();\n",
           "            // The next attempt reads the file again, even under the same path.\n",
           ["tst_brindledlg"]),
    Mutant("focus-rescue", "Next turned off while focused keeps the focus out of the page",
           "wizard/brindledlg.cpp",
           "        if (QWidget *input = m_apStepPages[m_nCurrentStep]->FirstInput())\n"
           "            input->setFocus();\n",
           "        if (QWidget *input = m_apStepPages[m_nCurrentStep]->FirstInput())\n"
           "            (void)input;\n",
           ["tst_keyboard"]),
]


def run(args, **kwargs):
    return subprocess.run(args, check=False, **kwargs)


def refresh_copy():
    """Brings build/mutants/src up to the working tree's tracked files, copying only what
    differs, so that the build after it is incremental."""
    listed = run(["git", "-C", str(ROOT), "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                 stdout=subprocess.PIPE)
    if listed.returncode != 0:
        sys.exit("mutants: git ls-files failed")
    wanted = set()
    for name in listed.stdout.decode().split("\0"):
        if not name or not (ROOT / name).is_file():
            continue
        wanted.add(name)
        source, copy = ROOT / name, SOURCE / name
        if copy.is_file() and copy.read_bytes() == source.read_bytes():
            continue
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source, copy)
    for path in sorted(SOURCE.rglob("*"), reverse=True):
        relative = path.relative_to(SOURCE)
        if relative.parts[0] != "build" and path.is_file() and str(relative) not in wanted:
            path.unlink()


def build(targets, jobs):
    if not (BUILD / "build.ninja").is_file():
        configured = run(["cmake", "--preset", "default"], cwd=SOURCE, stdout=subprocess.DEVNULL)
        if configured.returncode != 0:
            return False
    built = run(["cmake", "--build", str(BUILD), "-j", str(jobs), "--target", *sorted(set(targets))],
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if built.returncode != 0:
        sys.stdout.write(built.stdout.decode(errors="replace")[-4000:])
    return built.returncode == 0


def failed_cases(suites, jobs, show_failures):
    """Runs the suites; None when they pass, else the test functions that failed (or the
    suites, when no function says it failed: a crash, a timeout)."""
    pattern = "^(" + "|".join(sorted(set(suites))) + ")$"
    result = run(["ctest", "--test-dir", str(BUILD), "-R", pattern, "-j", str(jobs), "--timeout", "900",
                  "--output-on-failure"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode == 0:
        return None
    output = result.stdout.decode(errors="replace")
    if show_failures:
        sys.stdout.write(output[-4000:])
    cases = []
    for line in output.splitlines():
        if line.startswith("FAIL!  : "):
            case = line[len("FAIL!  : "):].split("(")[0].strip()
            if case not in cases:
                cases.append(case)
    return cases or sorted(set(suites))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("names", nargs="*", help="mutants to apply (default: all)")
    parser.add_argument("--list", action="store_true", help="list the mutants and exit")
    parser.add_argument("-j", "--jobs", type=int, default=2, help="parallel build jobs and suites")
    options = parser.parse_args()

    if options.list:
        for m in MUTANTS:
            print(f"{m.name:22} {m.what}\n{'':22} {m.file}; {', '.join(m.suites)}")
        return 0
    chosen = [m for m in MUTANTS if not options.names or m.name in options.names]
    unknown = set(options.names) - {m.name for m in MUTANTS}
    if unknown:
        sys.exit(f"mutants: no such mutant: {', '.join(sorted(unknown))} (see --list)")

    refresh_copy()
    for m in chosen:
        count = (SOURCE / m.file).read_text().count(m.find)
        if count != 1:
            print(f"mutants: {m.name}: its text occurs {count} times in {m.file}; bring it up to date")
            return 2

    targets = [s for m in chosen for s in m.suites]
    print(f"Building {', '.join(sorted(set(targets)))} in {BUILD.relative_to(ROOT)}", flush=True)
    if not build(targets, options.jobs):
        print("mutants: the unmutated build fails")
        return 2
    if failed_cases(targets, options.jobs, show_failures=True) is not None:
        print("mutants: the suites fail before any mutant is applied")
        return 2

    survived = []
    for m in chosen:
        path = SOURCE / m.file
        original = path.read_text()
        path.write_text(original.replace(m.find, m.replace, 1))
        try:
            if not build(m.suites, options.jobs):
                print(f"mutants: {m.name} does not build; a mutant must compile")
                return 2
            failed = failed_cases(m.suites, options.jobs, show_failures=False)
        finally:
            path.write_text(original)
        if failed is None:
            print(f"SURVIVED {m.name:22} {m.what}", flush=True)
            survived.append(m.name)
        else:
            print(f"killed   {m.name:22} {m.what}\n{'':31} by {', '.join(failed[:4])}", flush=True)

    killed_count = len(chosen) - len(survived)
    print(f"{killed_count} of {len(chosen)} mutants killed ({100 * killed_count // len(chosen)} %)")
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
