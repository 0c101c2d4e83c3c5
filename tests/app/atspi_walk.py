#!/usr/bin/python3
"""Walks the AT-SPI tree of every window of the launcher, as a screen reader sees it.

Started by atspi_test.sh under Xvfb on a session bus of its own. Runs the window driver
(atspi_windows) and, at each of its steps, reads the whole accessibility tree of the program
and fails on:
  - a window whose role is not a frame or a dialog (Qt's default for a plain widget window is
    a "filler", which screen readers do not announce);
  - a visible control without a name, or a button named only with punctuation ("...");
  - a list item that reads as nothing (a hidden column offered as a second, blank item per
    row);
  - more than one showing object reporting the focus (a focused list, table or tree and its
    current item count as one).

    atspi_walk.py DRIVER
"""
import subprocess
import sys
import time

try:
    import pyatspi
except ImportError as error:  # a missing tool fails the test, it never skips it
    sys.exit("atspi_walk: python3-pyatspi is missing (%s); run scripts/bootstrap" % error)

CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_PAGE_TAB_LIST, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_LINK,
}
WINDOWS = {pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG}
MAX_CHILDREN = 400


def role(node):
    return node.getRoleName()


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def describe(node):
    return "%s %r" % (role(node), node.name)


def walk(node, path, found, in_focus=False, shown=True):
    """Collects the problems under `node`; `found` gathers the focused objects. A focused list,
    table or tree and its current item (its active descendant) are one focus."""
    problems = []
    states = node.getState()
    # What is not showing (a view waiting in a stack, with all it holds) is not read to the
    # user.
    visible = shown and showing(node)
    focused = visible and states.contains(pyatspi.STATE_FOCUSED)
    if focused and not in_focus:
        found.append(path)
    name = (node.name or "").strip()
    if visible and node.getRole() in CONTROLS:
        if not name:
            problems.append("unnamed %s at %s" % (role(node), " > ".join(path)))
        elif node.getRole() == pyatspi.ROLE_PUSH_BUTTON and not any(c.isalnum() for c in name):
            problems.append("button named only %r at %s" % (name, " > ".join(path)))
    count = node.childCount
    if node.getRole() == pyatspi.ROLE_LIST and visible:
        items = [node.getChildAtIndex(i) for i in range(min(count, MAX_CHILDREN))]
        blank = [i for i, item in enumerate(items)
                 if item is not None and not (item.name or "").strip()]
        if blank:
            problems.append("list %r at %s: %d of its %d items read as nothing"
                            % (name, " > ".join(path), len(blank), len(items)))
    for i in range(min(count, MAX_CHILDREN)):
        child = node.getChildAtIndex(i)
        if child is not None:
            problems += walk(child, path + [describe(child)], found, in_focus or focused,
                             visible)
    return problems


def application(pid, deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:  # an application going away while listed
                continue
        time.sleep(0.2)
    return None


def check(app, step, title):
    problems = []
    focused = []
    shown = []
    for window in app:
        if window is None or not showing(window):
            continue
        shown.append(window.name)
        if window.getRole() not in WINDOWS:
            problems.append("window %r reports the role %r" % (window.name, role(window)))
        problems += walk(window, [describe(window)], focused)
    if title and title not in shown:
        problems.append("the window %r is not showing (showing: %s)" % (title, shown))
    if len(focused) > 1:
        problems.append("%d objects report the focus: %s"
                        % (len(focused), "; ".join(" > ".join(f[-2:]) for f in focused)))
    for problem in problems:
        print("FAIL %s: %s" % (step, problem))
    print("%s %s: %d windows (%s), %d focused" % ("ok  " if not problems else "FAIL",
                                                step, len(shown), ", ".join(shown),
                                                len(focused)))
    sys.stdout.flush()
    return not problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    driver = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              text=True, bufsize=1)
    ok = True
    steps = 0
    try:
        while True:
            line = driver.stdout.readline()
            if not line:
                print("FAIL: the window driver ended before its last step")
                return 1
            line = line.rstrip("\n")
            if line == "done":
                break
            if not line.startswith("ready "):
                continue
            step, _, title = line[len("ready "):].partition("\t")
            app = application(driver.pid, time.time() + 15)
            if app is None:
                print("FAIL %s: the program never appeared on the accessibility bus" % step)
                return 1
            ok = check(app, step, title) and ok
            steps += 1
            driver.stdin.write("next\n")
    finally:
        try:
            driver.stdin.close()
        except BrokenPipeError:
            pass
        status = driver.wait(timeout=60)
    if status != 0:
        print("FAIL: the window driver ended with status %d" % status)
        return 1
    print("%d steps walked" % steps)
    return 0 if ok and steps > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
