#!/usr/bin/python3
"""The wizard as a screen reader hears it: reads the program's AT-SPI tree and listens to its
focus events with pyatspi, as Orca does, while real X key presses (xdotool) walk every page of
every firmware type. Checks that each input is announced by its label, with its role and label
relations; that each change of page puts the focus inside the new page, a grouping named by the
page's title and described by its description (Finish: the "Finish" button, described by the
title), and never on "< Back" or "Next >" on the way; that Alt+B, Alt+N, the Menu key and
Shift+F10 work; and that the file written is the one brindle-cli writes for the same choices.

    e2e_atspi.py BRINDLE BRINDLE_CLI MAKE_FIXTURE WORK_DIR

Run inside a session D-Bus (dbus-run-session) on an X display."""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

brindle, cli, make_fixture, work = sys.argv[1:5]

OPEN = "Select Firmware File to Modify"
SUMMARY = "Firmware Settings"
BAUD = "Select UART Options"
INIT = "Choose Initialisation Options"
PROMPT = "Choose Firmware Options"
USB = "Modify USB Slave Mode Settings"
PREFIX = "Choose Target Directory"
CODE = "Choose Version Code"
CONFIRM = "Summary of Firmware Customisations"
SAVE = "Firmware File to Write"
FINISH = "Firmware Modified"

# Every firmware type, with the kind of file it is loaded from and written to.
TYPES = [
    ("03.64QHARF", "rom", "out.QUF"),
    ("03.64QLYT1F", "quf", "out.ROM"),
    ("03.64QBENF", "bld", "out.bin"),
    ("03.64QSOLF", "quf", "out.QUF"),
    ("03.64QTIMF", "rom", "out.ROM"),
    ("03.66QWEXA", "bld", "out.ROM"),
    ("03.66QJ4JA", "rom", "out.QUF"),
]

failures = []
events = []
notifications = []  # the texts of the notifications shown


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr, flush=True)


def on_event(event):
    if event.type.startswith("object:state-changed:showing"):
        if event.detail1 and role(event.source) == "notification":
            notifications.append(event.source.name)
        return
    # A focus event, or a "focused" state that was set: what a reader announces.
    if event.type.startswith("object:state-changed:focused") and not event.detail1:
        return
    events.append(event.source)


pyatspi.Registry.registerEventListener(on_event, "focus:", "object:state-changed:focused",
                                       "object:state-changed:showing")
context = GLib.MainContext.default()


def pump(seconds=0.0):
    end = time.time() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.time() >= end:
            return
        time.sleep(0.02)


def wait_for(condition, seconds=60.0):
    """Waits for `condition` (an event seen, a state reached); `seconds` only bounds a failure."""
    end = time.time() + seconds
    while time.time() < end:
        pump()
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    return None


def role(obj):
    return obj.getRoleName()


def labelled_by(obj):
    targets = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            targets += [relation.getTarget(i) for i in range(relation.getNTargets())]
    return targets


def page_of(obj):
    """The page that holds `obj`: the dialog right under the wizard's window."""
    while obj is not None:
        parent = obj.parent
        if parent is not None and role(parent) in ("frame", "dialog") and role(obj) == "dialog":
            return obj
        obj = parent
    return None


def describe(obj):
    return "%s %r" % (role(obj), obj.name) if obj is not None else "nothing"


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "15", text], check=True)


def walk(tree, visit):
    visit(tree)
    if role(tree) == "combo box":
        return  # its items are the list's, not inputs of their own
    for child in tree:
        if child is not None:
            walk(child, visit)


def check_inputs(page, title):
    """Each input that can take the focus is announced by its label, with its role."""
    def visit(obj):
        states = obj.getState()
        if not (states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)):
            return
        kind = role(obj)
        where = "%s: %s" % (title, describe(obj))
        if not obj.name:
            fail(where + " has no name")
        labels = labelled_by(obj)
        if kind == "combo box":
            if len(labels) != 1 or labels[0].name != obj.name or not obj.name.endswith(":"):
                fail(where + ": a list is named by its label, labelled by %s" % [describe(l) for l in labels])
        elif kind == "radio button":
            # In a group named by the pair's label, which is said once as the focus enters it;
            # nothing labels the button itself, which would have its group said with each arrow.
            if labels or role(obj.parent) != "panel" or not obj.parent.name.endswith(":"):
                fail(where + ": a radio button stands in a named group, labelled by nothing: %s, labels %s"
                     % (describe(obj.parent), [describe(l) for l in labels]))
        elif kind == "text":
            if labels and labels[0].name.replace("&", "") != obj.name:
                fail(where + ": its name differs from its label " + describe(labels[0]))
            if obj.name == "Firmware Code:" or obj.name == "Target Directory Prefix:":
                if not obj.description.startswith("Exactly "):
                    fail(where + ": the code box does not describe its rule")
        elif kind == "label":
            # The summary lines, read by Tab, each labelled by the text before it.
            if title in (SUMMARY, CONFIRM) and (len(labels) != 1 or not labels[0].name.endswith(":")):
                fail(where + ": a summary line has no label")
        elif kind not in ("check box", "push button"):
            fail(where + ": unexpected role")
    walk(page, visit)


def focused_since(start):
    return events[start:]


def check_arrival(start, title, dialog):
    """After a change of page: the focus went straight to the new page, never by Back or Next."""
    def arrived():
        for obj in reversed(focused_since(start)):
            if title == FINISH:
                if role(obj) == "push button" and obj.name == "Finish":
                    return obj
            elif page_of(obj) is not None and page_of(obj).name == title:
                return obj
        return None

    target = wait_for(arrived)
    if target is None:
        fail("%s: the focus never arrived; focus events: %s"
             % (title, [describe(o) for o in focused_since(start)]))
        return None
    for obj in focused_since(start):
        if role(obj) == "push button" and obj.name in ("< Back", "Next >", "Write", "Cancel"):
            fail("%s: the focus passed through %s" % (title, describe(obj)))
    if title == FINISH:
        if not target.description.startswith(FINISH + ". "):
            fail("Finish: the focused button does not say the page: %r" % target.description)
        return target
    page = page_of(target)
    header = [c.name for c in dialog if role(c) == "paragraph"]
    if page.name != title or page.description not in header or not page.description:
        fail("%s: the page is announced as %r, %r" % (title, page.name, page.description))
    return target


def find(root, predicate):
    found = []
    walk(root, lambda o: found.append(o) if predicate(o) else None)
    return found[0] if found else None


def context_menu(keys):
    """A menu is no child of the application in the tree: a reader meets it by its focus events.
    Opened from the keyboard, it opens on its first entry, here the only one."""
    start = len(events)
    key(keys)
    items = wait_for(lambda: [o for o in focused_since(start) if role(o) == "menu item" and "About Brindle" in o.name])
    if not items:
        fail("%s opens no menu on the About entry: focus went to %s"
             % (keys, [describe(o) for o in focused_since(start)]))
        return
    key("Escape")

    def closed():
        try:
            return not items[0].getState().contains(pyatspi.STATE_SHOWING)
        except Exception:
            return True  # gone with its menu

    if not wait_for(closed):
        fail("%s: Escape did not close the menu" % keys)
    del events[start:]


def run(version, kind, target_name, checks_keys):
    source = os.path.join(work, "source." + kind)
    target = os.path.join(work, target_name)
    for path in (source, target):
        if os.path.exists(path):
            os.remove(path)
    subprocess.run([make_fixture, source, version, kind], check=True)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    log = open(os.path.join(work, "brindle.log"), "w")
    app_process = subprocess.Popen([brindle], env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        desktop = pyatspi.Registry.getDesktop(0)

        def application():
            for app in desktop:
                if app is not None and app.name == "Brindle" and app.childCount:
                    return app
            return None

        app = wait_for(application)
        if app is None:
            fail("%s: the wizard never appeared on the accessibility bus" % version)
            return
        dialog = app[0]
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                 "Norvale Firmware Customiser"], capture_output=True, text=True).stdout.split()
        if window:
            subprocess.run(["xdotool", "windowfocus", "--sync", window[0]], check=False)

        titles = [OPEN, SUMMARY, BAUD, INIT, PROMPT]
        if "QSOL" in version:
            titles.append(USB)
        if "QWEX" in version or "QJ4J" in version:
            titles.append(PREFIX)
        titles += [CODE, CONFIRM, SAVE, FINISH]

        # The first page opens with the focus in its path box.
        first = check_arrival(0, OPEN, dialog)
        if first is None or role(first) != "text" or first.name != "Name of the firmware file to modify":
            fail("%s: File Open starts with the focus on %s" % (version, describe(first)))
        for index, title in enumerate(titles[:-1]):
            page = page_of(first) if first is not None else None
            if page is not None:
                check_inputs(page, title)
            if title == OPEN:
                type_text(source)
            elif title == CODE:
                type_text("b01")
            elif title == SAVE:
                type_text(target)
            elif title == USB:
                # The reason line is a notification, shown anew as it changes.
                key("Tab", "Tab", "End")
                del notifications[:]
                type_text("\u20ac")
                if not wait_for(lambda: [n for n in notifications if n.startswith("Characters such as")], 60):
                    fail("Set PID/VID: the reason line was not shown as a notification: %s" % notifications)
                key("BackSpace")
                reason = find(page, lambda o: role(o) == "notification")
                if not wait_for(lambda: reason is None or not reason.getState().contains(pyatspi.STATE_SHOWING), 60):
                    fail("Set PID/VID: the reason line stays after its reason has gone")
            elif title == PROMPT and checks_keys:
                # The window's context menu, by the Menu key and by Shift+F10.
                context_menu("Menu")
                context_menu("shift+F10")
            elif title == INIT and checks_keys:
                # Alt+B back to "Select UART Options" and Alt+N on again, straight into the pages.
                start = len(events)
                key("alt+b")
                check_arrival(start, BAUD, dialog)
                start = len(events)
                key("alt+n")
                check_arrival(start, INIT, dialog)
            start = len(events)
            key("alt+w" if title == SAVE else "Return")
            first = check_arrival(start, titles[index + 1], dialog)
            if first is None:
                return
        # "Finish" ends the program; the file is the one brindle-cli writes.
        key("Return")
        try:
            app_process.wait(10)
        except subprocess.TimeoutExpired:
            fail("%s: the program is still running after Finish" % version)
        expected = os.path.join(work, "expected")
        subprocess.run([cli, "write", source, expected + os.path.splitext(target)[1], "--code", "B01", "--force"],
                       check=True, stdout=subprocess.DEVNULL)
        with open(target, "rb") as a, open(expected + os.path.splitext(target)[1], "rb") as b:
            if a.read() != b.read():
                fail("%s: the written file differs from brindle-cli's" % version)
    finally:
        if app_process.poll() is None:
            app_process.kill()
            app_process.wait()
        log.close()
        del events[:]


started = time.time()
for number, (version, kind, target_name) in enumerate(TYPES):
    run(version, kind, target_name, checks_keys=number == 0)
    print("%s: walked every page (%.1f s)" % (version, time.time() - started), flush=True)
if failures:
    print("screen-reader walk: %d failures" % len(failures), file=sys.stderr)
    sys.exit(1)
print("screen-reader walk: every page of %d firmware types announced as it should be" % len(TYPES))
