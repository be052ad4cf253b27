#!/usr/bin/python3
"""The wizard as a blind user hears it: Orca itself reads the program on an X display under a
window manager, and the keys are real X key presses (xdotool). What Orca says is read from its
debug log (its SPEECH OUTPUT lines); every wait is for a line of that log or for a window, never
for a fixed time. Walks every page of a QSOL and a QWEX image and checks that each page's title
and description are said on arrival, each input with its label and value, each change of a list
and of a radio pair, the USB IDs as one text, the reason lines once as they appear, the menus as
they open, the questions with their default, and that nothing is said twice in a row of speech.

    e2e_orca.py BRINDLE MAKE_FIXTURE WORK_DIR

Run by e2e_orca.sh inside a session D-Bus, with Orca, openbox and speech-dispatcher started."""

import atexit
import os
import pty
import re
import subprocess
import sys
import threading
import time
import tty

brindle, make_fixture, work = sys.argv[1:4]
orca_log = os.path.join(work, "orca.log")

# The pages' titles and descriptions, as the header shows them.
OPEN = ("Select Firmware File to Modify", "Choose the Norvale Firmware ROM or QUF file to modify.")
SUMMARY = ("Firmware Settings",
           "These are the firmware settings for the selected firmware file before modification. The following "
           "screens allow you to modify the baud rate, startup mode and enable or disable monitor messages.")
BAUD = ("Select UART Options",
        "Choose the baud rate, data settings and flow control settings for the Monitor that the firmware will "
        "use at startup. These settings will also be used for the Monitor on ORVA slave devices.")
INIT = ("Choose Initialisation Options",
        "Modify the initial command mode, input mode and startup behaviour of the LEDs.")
PROMPT = ("Choose Firmware Options",
          "Modify the behaviour of the firmware. Instructs the Monitor to not display prompts, device detected "
          "messages and version information. Allows data mode and firmware upgrades to be disabled.")
USB = ("Modify USB Slave Mode Settings",
       "Change the VID and PID, Product and Manufacturer String of the device when it is configured in Slave "
       "mode. This is only applicable to QSOL firmware.")
PREFIX = ("Choose Target Directory",
          "Choose a 4 letter code to create a prefix for the target directory of snapshot commands. Use only "
          "uppercase letters and numbers.")
CODE = ("Choose Version Code",
        "Choose a unique 3 letter code to identify this modified version of code. Use only uppercase letters "
        "and numbers.")
CONFIRM = ("Summary of Firmware Customisations",
           "The following firmware settings will be applied to the firmware file selected. The next screen will "
           "be able to choose a new filename to store it as.")
SAVE = ("Firmware File to Write", "Choose the filename for the Norvale Firmware ROM or QUF file to write.")
FINISH = ("Firmware Modified", "Click Finish to exit.")

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, flush=True)


# A line Orca speaks: "SPEECH OUTPUT: 'text'" followed straight by the voice ({...}, or [{...}]
# for a message). Key and character echo ("SPEECH OUTPUT: 'a ' {...}") has a blank before the
# voice and is not the program's.
SPEECH = re.compile(r"\d\d:\d\d:\d\d\.\d+ - SPEECH OUTPUT: '(.*)'(?: voice=\S+)?\[?\{", re.DOTALL)
# Each entry of the log begins with its time.
ENTRY = re.compile(r"\n(?=\d\d:\d\d:\d\d\.\d+ - )")


class Orca:
    """Orca's speech, read from its debug log as it grows."""

    def __init__(self, path):
        self.path = path

    def mark(self):
        try:
            return os.path.getsize(self.path)
        except OSError:
            return 0

    def said(self, since, until=None):
        """What Orca said since the mark `since` (up to the mark `until`)."""
        with open(self.path, "rb") as f:
            f.seek(since)
            data = f.read() if until is None else f.read(max(0, until - since))
        text = data.decode("utf-8", "replace")
        # An entry is whole once the next one has begun; a text may hold line breaks (a summary's
        # options are two lines).
        entries = ENTRY.split(text)[:-1]
        return [m.group(1) for m in (SPEECH.match(entry) for entry in entries) if m]

    def wait(self, since, wanted, what, timeout=float(os.environ.get("BRINDLE_ORCA_TIMEOUT", "60"))):
        """Waits until every text in `wanted` (each a string that a line of speech contains, in
        this order) has been said since `since`; the waiting ends on the log line, and `timeout`
        only bounds a failure. Returns the speech said up to then."""
        end = time.monotonic() + timeout
        while True:
            spoken = self.said(since)
            if contains_in_order(spoken, wanted):
                return spoken
            if time.monotonic() > end:
                fail("%s: Orca did not say %r; it said %r" % (what, missing(spoken, wanted), spoken))
                return spoken
            time.sleep(0.05)


def contains_in_order(spoken, wanted):
    """Whether the texts of `wanted` were said in this order, in one line of speech or several."""
    said = "\n".join(spoken)
    at = 0
    for want in wanted:
        at = said.find(want, at)
        if at < 0:
            return False
        at += len(want)
    return True


def missing(spoken, wanted):
    for i in range(len(wanted), 0, -1):
        if contains_in_order(spoken, wanted[:i]):
            return wanted[i:]
    return wanted


orca = Orca(orca_log)


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def window(name):
    """Waits for a shown window whose title is `name`; its id."""
    out = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", name],
                         capture_output=True, text=True, timeout=120).stdout.split()
    return out[0] if out else None


def no_repeats(spoken, what):
    """Nothing said twice over: the same words twice in one row of speech."""
    seen = set()
    for line in spoken:
        if line in seen and len(line) > 2:
            fail("%s: said twice: %r (all: %r)" % (what, line, spoken))
            return
        seen.add(line)


class Step:
    """One action and what Orca says for it: everything said from the key press on, until the
    next step's key press."""

    def __init__(self, what):
        self.what = what
        self.since = orca.mark()

    def expect(self, *wanted):
        return orca.wait(self.since, list(wanted), self.what)

    def all_said(self):
        return orca.said(self.since)


steps = []


def step(what, action, *wanted):
    """Does `action`, waits until Orca has said `wanted`, and keeps what was said for the checks
    made at the end of the walk."""
    s = Step(what)
    action()
    spoken = s.expect(*wanted)
    steps.append((s, orca.mark()))
    return spoken


def page(title_and_description, *then):
    """What arriving on a page says: its title and description once, then the input."""
    title, description = title_and_description
    return [title, description] + list(then)


def check_segments():
    for s, until in steps:
        spoken = orca.said(s.since, until)
        no_repeats(spoken, s.what)
        # The description of a page is said with its title, once.
        for title, description in (OPEN, SUMMARY, BAUD, INIT, PROMPT, USB, PREFIX, CODE, CONFIRM, SAVE):
            count = sum(line.count(description) for line in spoken)
            if count > 1:
                fail("%s: the description of %r was said %d times" % (s.what, title, count))


def walk(version, kind, prefix_type):
    source = os.path.join(work, "source." + kind)
    target = os.path.join(work, "written.rom")
    for path in (source, target):
        if os.path.exists(path):
            os.remove(path)
    subprocess.run([make_fixture, source, version, kind], check=True)
    # An existing file to be asked about before it is replaced.
    with open(target, "wb") as f:
        f.write(b"the file that was there")

    start = orca.mark()
    app = subprocess.Popen([brindle], env=dict(os.environ, QT_QPA_PLATFORM="xcb"),
                           stdout=open(os.path.join(work, "brindle.log"), "w"), stderr=subprocess.STDOUT)
    try:
        if not window("^Norvale Firmware Customiser V"):
            fail("%s: the wizard's window did not appear" % version)
            return
        first = Step("%s: start" % version)
        first.since = start
        first.expect(*page(OPEN, "Name of the firmware file to modify"))
        steps.append((first, orca.mark()))

        # A path that names no file: the reason line says so as it changes, and Enter says why
        # in a message rather than doing nothing.
        missing_path = os.path.join(work, "missing.rom")
        step("typing a missing path", lambda: type_text(missing_path),
             "No file named %s." % missing_path)
        step("Enter on a missing path", lambda: key("Return"), "%s was not found." % missing_path)
        step("closing the message", lambda: key("Return"), "Name of the firmware file to modify")
        # Alt+N and Alt+B do nothing while their buttons are disabled: no letter reaches the box,
        # which the reason line would say.
        s = Step("Alt+N, Alt+B on a disabled Next")
        key("alt+n", "alt+b", "End", "BackSpace")
        s.expect("No file named %s." % missing_path[:-1])
        if any(("%sn" % missing_path) in line or ("%sb" % missing_path) in line for line in s.all_said()):
            fail("Alt+N or Alt+B typed a letter into the path box: %r" % s.all_said())
        steps.append((s, orca.mark()))
        # The reason line goes with the last character; Alt+N, which comes after it, says the rest.
        step("typing the right path", lambda: (key("ctrl+a"), type_text(source)))

        # Alt+N loads the file; the summary's lines are read whole, the USB IDs as one text.
        step("Alt+N to File Summary", lambda: key("alt+n"),
             *page(SUMMARY, "Firmware Version: %s label" % version[:5]))
        lines = ["Firmware Type: %s %s File" % (version[5:9], "QUF Upgrader" if kind == "quf" else "ROM"),
                 "Default Monitor Settings: 9600 baud, 8 bits, 1 stop bit, no parity, no flow control",
                 "Initial Mode: ECS, IPH, LED Flash at Power-on"]
        for line in lines:
            step("Tab on File Summary", lambda: key("Tab"), line)
        step("Tab on File Summary", lambda: key("Tab"), "Options: Allow Firmware Upgrades, Allow Data Mode")
        if prefix_type:
            step("Tab on File Summary", lambda: key("Tab"), "Target Directory Prefix: SNAP label")
        else:
            step("Tab on File Summary", lambda: key("Tab"), "USB VID/PID: 0x2b3f/0x5c10 label")
            step("Tab on File Summary", lambda: key("Tab"), 'USB Strings: "Norvale", "USB Host", "0001" label')

        # Set Baud by Enter: the list with its value, and each change of value.
        step("Enter to Set Baud", lambda: key("Return"), *page(BAUD, "Baud Rate: combo box", "9600"))
        step("Down in the baud list", lambda: key("Down"), "19200")
        step("Down in the baud list", lambda: key("Down"), "38400")
        step("Up in the baud list", lambda: key("Up"), "19200")
        # The data-bits pair: its label once, and any arrow moves to the other button.
        # A radio button is said as its name, then its state: each step waits for the whole.
        step("Tab to Data Bits", lambda: key("Tab"), "Data Bits:", "8 Bits", "radio button")
        for arrow, button in (("Up", "7 Bits"), ("Down", "8 Bits"), ("Left", "7 Bits"), ("Right", "8 Bits")):
            step("%s in Data Bits" % arrow, lambda: key(arrow), button, "radio button")
        step("Tab to Stop Bits", lambda: key("Tab"), "Stop Bits:", "1 Bit", "radio button")
        step("Tab to Parity", lambda: key("Tab"), "Parity: combo box", "None")
        step("Down in the parity list", lambda: key("Down"), "Odd")
        step("Tab to Flow Control", lambda: key("Tab"), "Flow Control: combo box", "None")

        step("Alt+N to Set Init", lambda: key("alt+n"),
             *page(INIT, "Input Mode:", "IPH Mode (binary)", "radio button"))
        for arrow, button in (("Down", "IPA Mode (ASCII)"), ("Up", "IPH Mode (binary)"),
                              ("Right", "IPA Mode (ASCII)"), ("Left", "IPH Mode (binary)")):
            step("%s in Input Mode" % arrow, lambda: key(arrow), button, "radio button")
        step("Alt+B to Set Baud", lambda: key("alt+b"), *page(BAUD, "Baud Rate: combo box", "19200"))
        step("Alt+N to Set Init", lambda: key("alt+n"),
             *page(INIT, "Input Mode:", "IPH Mode (binary)", "radio button"))
        step("Enter to Set Prompt", lambda: key("Return"), *page(PROMPT, "Show Prompt check box"))

        # The window's menu, said as it opens; then the question before leaving, No by default.
        step("the Menu key", lambda: key("Menu"), "About Brindle")
        step("closing the menu", lambda: key("Escape"), "Show Prompt")
        step("Escape with a file loaded", lambda: key("Escape"), "Discard your changes and quit?", "No")
        step("Enter on the question", lambda: key("Return"), "Show Prompt")

        if prefix_type:
            step("Alt+N to Set Target Directory", lambda: key("alt+n"),
                 *page(PREFIX, "Target Directory Prefix: text", "SNAP",
                       "Exactly 4 letters or digits; letters become capitals."))
            step("typing a prefix", lambda: type_text("ab12"))
        else:
            step("Alt+N to Set PID/VID", lambda: key("alt+n"),
                 *page(USB, "Vendor ID (Default is 2B3F): text", "2b3f"))
            # A wrong vendor ID: the reason is said as it appears, and not again on Tab.
            step("a wrong vendor ID", lambda: (key("ctrl+a"), type_text("zz")),
                 'The vendor ID "zz" is not a hexadecimal number from 0 to ffff.')
            s = Step("Tab from a wrong vendor ID")
            key("Tab")
            s.expect("Product ID (Default is 5C10): text", "5c10")
            steps.append((s, orca.mark()))
            s = Step("Alt+N on a disabled Next")
            key("alt+n", "shift+Tab")
            s.expect("Vendor ID (Default is 2B3F): text", "zz")
            steps.append((s, orca.mark()))
            if any(USB[1] not in line and "zzn" in line for line in s.all_said()):
                fail("Alt+N typed a letter into the vendor ID: %r" % s.all_said())
            # The context menu of a text box has the About entry too.
            step("the Menu key in a text box", lambda: key("Menu"), "Undo")
            step("the last entry of the box's menu", lambda: key("Up"), "About Brindle")
            step("closing the menu", lambda: key("Escape"), "Vendor ID (Default is 2B3F): text")
            step("a right vendor ID", lambda: (key("ctrl+a"), type_text("1234")))

        step("Alt+N to Set Code", lambda: key("alt+n"),
             *page(CODE, "Firmware Code: text", "Exactly 3 letters or digits; letters become capitals."))
        # Next is disabled at two characters: Alt+N neither moves on nor types, so the third makes
        # the code B01, which "Confirm Summary" says.
        step("two characters, Alt+N, the third", lambda: (type_text("b0"), key("alt+n"), type_text("1")))
        step("Enter to Confirm Summary", lambda: key("Return"),
             *page(CONFIRM, "Firmware Version: %s-B01 label" % version[:5]))

        step("Alt+N to File Save", lambda: key("alt+n"), *page(SAVE, "Name of the firmware file to write"))
        step("typing the target", lambda: type_text(target))
        # The overwrite question: said with its caption, No the default, Enter keeps the file.
        step("Alt+W on an existing file", lambda: key("alt+w"),
             "File Exists", "Overwrite file written.rom", "No")
        step("Enter on the question", lambda: key("Return"), "Name of the firmware file to write")
        with open(target, "rb") as f:
            if f.read() != b"the file that was there":
                fail("%s: Enter on the overwrite question replaced the file" % version)
        step("Alt+W again", lambda: key("alt+w"), "Overwrite file written.rom", "No")
        step("Yes", lambda: key("alt+y"), "Finish", FINISH[0])
        # The report is said whole, its last line (the name written) too.
        step("Tab to the report", lambda: key("Tab", "Tab"), "Successfully modified firmware ROM file.",
             "Firmware Version %s-B01%s" % (version[:5], version[5:]), "Saved to disk as written.rom")
        key("Escape")
        try:
            app.wait(60)
        except subprocess.TimeoutExpired:
            fail("%s: the program is still running after Escape on Finish" % version)
        with open(target, "rb") as f:
            data = f.read()
        if len(data) != 65536 or ("%s-B01%s" % (version[:5], version[5:])).encode() not in data:
            fail("%s: the written file is not the customised ROM image (%d bytes)" % (version, len(data)))
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()


def wait_until(condition, what, timeout=180):
    end = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > end:
            print("FAIL: %s" % what, file=sys.stderr)
            sys.exit(1)
        time.sleep(0.05)


started_here = []  # the programs the walk starts, ended when it ends


def end_started():
    for process in reversed(started_here):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(30)
            except subprocess.TimeoutExpired:
                process.kill()


atexit.register(end_started)


def start(command, **kwargs):
    process = subprocess.Popen(command, **kwargs)
    started_here.append(process)
    return process


def start_desktop():
    """The window manager, the speech server with its dummy output, and Orca with its log."""
    start(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(lambda: "window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                     capture_output=True, text=True).stdout,
               "openbox did not start")
    config = os.path.join(work, "speechd")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "speechd.conf"), "w") as f:
        f.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nAudioOutputMethod "libao"\n')
    # libao's null driver: the speech goes nowhere, and no sound device is needed.
    with open(os.path.join(os.environ["HOME"], ".libao"), "w") as f:
        f.write("default_driver=null\n")
    socket = os.path.join(work, "speechd.sock")
    start(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config,
                      "--socket-path", socket, "--pid-file", os.path.join(work, "speechd.pid"),
                      "--log-dir", work], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(lambda: os.path.exists(socket), "speech-dispatcher did not start")
    os.environ["SPEECHD_ADDRESS"] = "unix_socket:" + socket
    # Orca writes its debug file through a buffer that it flushes only when full, so a line of
    # speech would reach a plain file long after it was said. Written to a terminal, the file is
    # flushed line by line: Orca writes to a pseudo-terminal, and a thread copies what comes out
    # of it into the log as it comes.
    master, slave = pty.openpty()
    tty.setraw(slave)
    log = open(orca_log, "wb")

    def copy():
        while True:
            try:
                data = os.read(master, 65536)
            except OSError:
                return
            if not data:
                return
            log.write(data)
            log.flush()

    threading.Thread(target=copy, daemon=True).start()
    start(["orca", "--user-prefs", os.path.join(work, "orca-prefs"), "--debug-file", os.ttyname(slave)],
                     stdout=open(os.path.join(work, "orca.out"), "w"), stderr=subprocess.STDOUT)
    wait_until(lambda: "Screen reader on." in " ".join(orca.said(0)),
               "Orca did not start: %s" % open(os.path.join(work, "orca.out")).read()[-2000:])


start_desktop()
started = time.monotonic()
for version, kind, prefix_type in (("03.64QSOLF", "quf", False), ("03.66QWEXA", "rom", True)):
    walk(version, kind, prefix_type)
    print("%s: walked every page (%.1f s)" % (version, time.monotonic() - started), flush=True)
check_segments()
if failures:
    print("Orca walk: %d failures; Orca's log is %s" % (len(failures), orca_log), file=sys.stderr)
    sys.exit(1)
print("Orca walk: every page of a QSOL and a QWEX image said whole, once")
