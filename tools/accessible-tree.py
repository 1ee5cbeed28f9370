#!/usr/bin/python3
"""The accessibility tree of a running program, read over AT-SPI.

    accessible-tree.py PID dump FILE     one line per accessible, indented by depth
    accessible-tree.py PID press NAME    the default action of the button named NAME

The program must have been started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same
D-Bus session. Each line holds the role, the name and the description, quoted; and the
object name after a "#" when the toolkit gives it away (an "id" attribute or the
AccessibleId property). Qt 6.4 gives neither: its accessibles carry no attributes and no id,
so a renamed object shows only when its role, name or description changes with it.
"""
import sys
import time

import pyatspi


def application(pid):
    for _ in range(60):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.5)
    sys.exit(f"accessible-tree: no application with process id {pid} on the accessibility bus")


def object_name(node):
    try:
        attributes = dict(a.split(":", 1) for a in node.getAttributes())
    except Exception:
        attributes = {}
    name = attributes.get("id", "")
    if not name:
        try:
            name = node.get_accessible_id() or ""
        except Exception:
            name = ""
    return name


def quoted(text):
    return '"' + (text or "").replace("\\", "\\\\").replace("\n", "\\n").replace('"', '\\"') + '"'


def walk(node, depth=0):
    line = "  " * depth + f"{node.getRoleName()} {quoted(node.name)} {quoted(node.description)}"
    name = object_name(node)
    if name:
        line += f" #{name}"
    yield line
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def press(app, name):
    def is_button(node):
        return node.name == name and node.getRole() == pyatspi.ROLE_PUSH_BUTTON

    button = pyatspi.findDescendant(app, is_button)
    if button is None:
        sys.exit(f"accessible-tree: no button named {name!r}")
    button.queryAction().doAction(0)


def main():
    pid, command, argument = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    app = application(pid)
    if command == "dump":
        with open(argument, "w", encoding="utf-8") as out:
            for line in walk(app):
                out.write(line + "\n")
    elif command == "press":
        press(app, argument)
    else:
        sys.exit(f"accessible-tree: unknown command {command}")


if __name__ == "__main__":
    main()
