#!/usr/bin/python3
"""What a screen reader finds in the running program, through AT-SPI (pyatspi).

    atspi_check.py PID STEP...

Finds the application of process PID and its main window ("Gaming Mouse") and runs each STEP in
order, printing what it found; exits 1 at the first check that fails. Steps:

  tree        the seven button selectors by their function, the eight DPI level checks with their
              states, the lighting speed slider's value, the page headers shown (expanded or
              collapsed) and the profile tabs
  press-dpi   presses the eighth DPI level check through its action
  menu        opens the first button selector through its action and reads the menu's entries,
              then closes the menu with Escape
  focus=NAME  waits until the control named NAME has the focus
  keys        keeps running until stdin closes, answering "focus?" lines with the focused
              control's role and name (the keyboard script asks it where the focus is), and
              "where ROLE|NAME" lines with the screen point at the middle of that control
"""

import sys
import time

import pyatspi

SELECTORS = ["Left Button", "Right Button", "Middle Button", "Forward", "Back", "DPI Cycle", "Fire Key"]


def fail(text):
    print("atspi: FAILED: " + text, file=sys.stderr)
    sys.exit(1)


def walk(node, depth=0):
    yield node
    if depth > 6:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def application(pid, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    fail("no application of process %d on the accessibility bus" % pid)


def main_window(app, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and window.name == "Gaming Mouse" and window.childCount > 50:
                return window
        time.sleep(0.2)
    fail("no main window with its controls")


def has(node, state):
    return node.getState().contains(state)


def role(node):
    return node.getRoleName()


def controls(window, role_name):
    return [c for c in walk(window) if c is not window and role(c) == role_name]


def check_tree(window):
    combos = [c.name for c in controls(window, "combo box")]
    print("combo boxes:", combos)
    if combos[: len(SELECTORS)] != SELECTORS:
        fail("the button selectors read %s, not %s" % (combos[: len(SELECTORS)], SELECTORS))

    levels = [c for c in controls(window, "check box") if c.name.startswith("DPI level ")]
    print("DPI levels:", ", ".join("%s %s" % (c.name, "checked" if has(c, pyatspi.STATE_CHECKED) else "off")
                                    for c in levels))
    if [c.name for c in levels] != ["DPI level %d" % k for k in range(1, 9)]:
        fail("the DPI level checks are %s" % [c.name for c in levels])

    speed = [c for c in controls(window, "slider") if c.name == "Speed"]
    if not speed:
        fail("no lighting speed slider")
    value = speed[0].queryValue()
    print("Speed slider: %g (%g … %g)" % (value.currentValue, value.minimumValue, value.maximumValue))
    if value.maximumValue != 2:
        fail("the speed slider's range ends at %g" % value.maximumValue)

    headers = [c for c in walk(window) if c is not window and has(c, pyatspi.STATE_EXPANDABLE)]
    print("page headers:", ", ".join("%s (%s)" % (c.name, "expanded" if has(c, pyatspi.STATE_EXPANDED) else
                                                  "collapsed") for c in headers))
    if len(headers) != 5:
        fail("%d page headers shown, not five" % len(headers))

    tabs = [c.name for c in controls(window, "page tab")]
    print("profile tabs:", tabs)
    if not tabs or not tabs[0].startswith("Profile"):
        fail("no profile tabs")


def action(node, name):
    actions = node.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i).lower() in (name.lower(), name.lower().replace("menu", " menu")):
            actions.doAction(i)
            return
    fail("%s has no action %s" % (node.name, name))


def press_dpi(window):
    level = [c for c in controls(window, "check box") if c.name == "DPI level 8"][0]
    before = has(level, pyatspi.STATE_CHECKED)
    action(level, "Toggle")
    deadline = time.time() + 5
    while has(level, pyatspi.STATE_CHECKED) == before:
        if time.time() > deadline:
            fail("DPI level 8 kept its state after its action")
        time.sleep(0.05)
    print("DPI level 8 toggled through AT-SPI: now", "checked" if not before else "off")


def menu(app, window):
    selector = controls(window, "combo box")[0]
    action(selector, "ShowMenu")
    deadline = time.time() + 5
    while time.time() < deadline:
        for i in range(app.childCount):
            popup = app.getChildAtIndex(i)
            if popup is None or popup is window:
                continue
            items = [c for c in walk(popup) if role(c) == "menu item"]
            if items:
                print("the button-function menu lists %d entries: %s" % (len(items), [c.name for c in items]))
                if len(items) != 16:
                    fail("the menu lists %d entries, not 16" % len(items))
                return
        time.sleep(0.1)
    fail("the button-function menu did not show")


def focused(window):
    for i in range(window.childCount):
        c = window.getChildAtIndex(i)
        if c is not None and has(c, pyatspi.STATE_FOCUSED):
            return c
    return None


def focused_anywhere(app):
    """The focused control of any of the application's windows (its controls are the windows'
    direct children)."""
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is None:
            continue
        c = focused(window)
        if c is not None:
            return c
    return None


def wait_focus(window, name):
    deadline = time.time() + 5
    while time.time() < deadline:
        c = focused(window)
        if c is not None and c.name == name:
            print("the focus is on %s (%s)" % (name, role(c)))
            return
        time.sleep(0.05)
    c = focused(window)
    fail("the focus is on %s, not %s" % (c.name if c else "nothing", name))


def main():
    pid = int(sys.argv[1])
    app = application(pid)
    window = main_window(app)
    for step in sys.argv[2:]:
        if step == "tree":
            check_tree(window)
        elif step == "press-dpi":
            press_dpi(window)
        elif step == "menu":
            menu(app, window)
        elif step.startswith("focus="):
            wait_focus(window, step[len("focus="):])
        elif step == "keys":
            for line in sys.stdin:
                if line.startswith("where "):
                    # The screen point at the middle of the control so named.
                    wanted_role, _, name = line[len("where "):].strip().partition("|")
                    found = [c for c in walk(window) if c is not window and c.name == name and role(c) == wanted_role]
                    if not found:
                        print("none", flush=True)
                        continue
                    box = found[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    print("%d %d" % (box.x + box.width // 2, box.y + box.height // 2), flush=True)
                    continue
                c = focused_anywhere(app)
                print(("%s|%s" % (role(c), c.name)) if c else "none|", flush=True)
        else:
            fail("unknown step " + step)
    print("atspi: passed")


if __name__ == "__main__":
    main()
