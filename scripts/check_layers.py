#!/usr/bin/env python3
"""Checks that the folders of src/ stay layers: a source file includes only
headers of its own folder and of the folders below it, and nothing in src/
includes the tools or the tests. Prints every offending include with its file
and line and exits with 1; exits with 0 when there is none.

    python3 scripts/check_layers.py [ROOT]
"""
import os
import re
import sys

# The folders each folder of src/ may include besides itself. "res" is the
# resource header (dialog and control identifiers) beside src/.
MAY_INCLUDE = {
    "base": set(),
    "sms": {"base"},
    "serial": {"base"},
    "online": {"base"},
    "win": {"base"},
    "skinning": {"base", "win"},
    "phone": {"base", "sms", "serial"},
    "app": {"base", "sms", "serial", "online", "phone"},
    "ui": {"base", "sms", "serial", "online", "win", "skinning", "phone", "app", "res"},
    "shell": {"base", "sms", "serial", "online", "win", "skinning", "phone", "app", "ui", "res"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def violations(root):
    src = os.path.join(root, "src")
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in MAY_INCLUDE:
            yield "%s: a folder that is no layer (add it to %s)" % (os.path.relpath(path, root),
                                                                     os.path.basename(__file__))
            continue
        allowed = MAY_INCLUDE[folder] | {folder}
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(dirpath, name)
                with open(file, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        header = match.group(1)
                        target = header.split("/", 1)[0] if "/" in header else folder
                        if target not in allowed:
                            yield "%s:%d: %s may not include \"%s\"" % (os.path.relpath(file, root), number,
                                                                       folder, header)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    found = list(violations(root))
    for line in found:
        print(line)
    if found:
        print("%d include(s) against the layers" % len(found))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
