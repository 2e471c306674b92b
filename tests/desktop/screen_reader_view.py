"""What a screen reader finds in the running program, asked over AT-SPI.

Started by screen-reader-view.sh with the program already running on one listed file: the
gauge must be a progress bar with a value and a range, no panel may be announced by its
object name, and after "Start" the gauge's description must say that the run has ended.
"""
import sys
import time

import pyatspi

DEADLINE = time.monotonic() + 60


def wait_for(what, find):
    while time.monotonic() < DEADLINE:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit("not found on the accessibility bus: " + what)


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name in ("C-Tarvolin", "ctarvolin") and app.childCount > 0:
            return app
    return None


def everything(node):
    yield node
    for child in node:
        if child is not None:
            yield from everything(child)


def named(app, role, name):
    for node in everything(app):
        if node.getRole() == role and node.name == name:
            return node
    return None


def main():
    app = wait_for("the program", program)
    gauge = wait_for("a progress bar", lambda: next(
        (n for n in everything(app) if n.getRole() == pyatspi.ROLE_PROGRESS_BAR), None))
    value = gauge.queryValue()
    failures = []
    if (value.minimumValue, value.maximumValue, value.currentValue) != (0, 100, 0):
        failures.append("gauge range and value: %s..%s at %s"
                        % (value.minimumValue, value.maximumValue, value.currentValue))
    panels = [n.name for n in everything(app) if n.name.startswith("Panel")]
    if panels:
        failures.append("announced by object name: " + ", ".join(panels))
    start = wait_for("the Start button", lambda: named(app, pyatspi.ROLE_PUSH_BUTTON, "Start"))
    start.queryAction().doAction(0)
    wait_for("the end of the run on the gauge",
             lambda: True if gauge.description == "The run has ended." else None)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
