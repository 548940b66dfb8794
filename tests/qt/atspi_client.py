#!/usr/bin/python3
# Drives the running program through the accessibility bus alone, as a screen reader or an
# automation tool would: unfold with "设置", choose "每天都响" with its Toggle action, write a
# sound path into the alarm sound box through the editable-text interface, press "添加", and
# print the cells of the record list as the tool reads them.
# Usage: atspi_client.py SOUND_PATH   (exit 0 with the cells on stdout; 1 with a reason)
import sys
import time

import pyatspi


def fail(reason):
    print("FAIL: " + reason)
    sys.exit(1)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def program():
    """The program's accessible application, polled for until it is on the bus."""
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and any(n.getRoleName() == "push button" and n.name == "设置" for n in walk(app)):
                return app
        time.sleep(0.1)
    fail("the program did not appear on the accessibility bus")


def find(app, role, name, tries=50):
    for _ in range(tries):
        for node in walk(app):
            if node.getRoleName() == role and node.name == name:
                return node
        time.sleep(0.1)
    fail('no %s "%s"' % (role, name))


def act(node, action):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        fail('"%s" offers %s, not %s' % (node.name, names, action))
    actions.doAction(names.index(action))


def main():
    sound = sys.argv[1]
    app = program()
    act(find(app, "push button", "设置"), "Press")

    radio = find(app, "radio button", "每天都响")
    act(radio, "Toggle")
    for _ in range(50):
        if radio.getState().contains(pyatspi.STATE_CHECKED):
            break
        time.sleep(0.1)
    else:
        fail("the radio button stayed unchecked")
    checked = [n.name for n in walk(app) if n.getRoleName() == "radio button" and n.getState().contains(pyatspi.STATE_CHECKED)]
    print("checked radio buttons: " + ", ".join(checked))

    act(find(app, "page tab", "铃声设置"), "Press")
    path = find(app, "text", "请选择闹钟铃声")
    path.queryEditableText().setTextContents(sound)

    act(find(app, "push button", "添加"), "Press")
    for _ in range(50):
        cells = [n.name for n in walk(app) if n.getRoleName() == "table cell"]
        if sound in cells:
            print("cells: " + " | ".join(cells))
            return 0
        time.sleep(0.1)
    fail("no record with the sound; cells: %s" % [n.name for n in walk(app) if n.getRoleName() == "table cell"])


if __name__ == "__main__":
    sys.exit(main())
