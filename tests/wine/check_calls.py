#!/usr/bin/env python3
"""Holds the program's Windows calls in one Wine test group against
windows_calls.txt, whose head tells how to read it.
  check_calls.py include                  the table's functions, for Wine's RelayInclude
  check_calls.py check PROGRAM GROUP LOG  LOG: the group's output with Wine's relay log
A call is the program's when its process was started as PROGRAM's file (the
tests print "program process ID FILE") and it returns into PROGRAM's image:
Wine's own DLLs call the same functions."""
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CALL = re.compile(r"([0-9a-f]{4,}):[0-9a-f]{4,}:Call (\w+\.\w+)\((.*)\) ret=([0-9a-f]+)")
# A number, or a pointer and its string, escaped (\n, \", \\, \XXXX) and cut
# after about 300 characters ("...").
ARGUMENT = re.compile(r'([0-9a-f]+)(?: L?"((?:[^"\\]|\\.)*)"(\.\.\.)?)?(?:,|$)')
ESCAPE = re.compile(r'\\([nrt"\\]|[0-9a-f]{4})')


def read_table():
    rows = []
    for number, line in enumerate(open(os.path.join(HERE, "windows_calls.txt"), encoding="utf-8"), 1):
        if line.strip() and not line.startswith("#"):
            cells, _, groups = line.partition(" @ ")
            name, *cells = re.findall(r"'[^']*'|\S+", cells)
            rows.append(dict(line=number, text=line.strip(), name=name.lstrip("^"), first=name[0] == "^", cells=cells,
                             groups=groups.split(), seen=0))
    return rows


def catalogue():
    """Message texts by number."""
    root = os.path.join(HERE, "..", "..")
    entries = re.findall(r'^ORVEX_MESSAGE\((\d+), \w+, "(.*)"\)$',
                         open(os.path.join(root, "resources", "messages.inc"), encoding="utf-8").read(), re.M)
    return {n: m.replace("\\n", "\n") for n, m in entries}


def image_range(program):
    head = open(program, "rb").read(4096)
    optional = struct.unpack_from("<I", head, 0x3C)[0] + 24
    wide = struct.unpack_from("<H", head, optional)[0] == 0x20B  # PE32+
    base = struct.unpack_from("<Q" if wide else "<I", head, optional + (24 if wide else 28))[0]
    return base, base + struct.unpack_from("<I", head, optional + 56)[0]


def arguments(text):
    unescape = lambda e: {"n": "\n", "r": "\r", "t": "\t"}.get(e[1], e[1] if len(e[1]) == 1 else chr(int(e[1], 16)))
    return [(int(a[1], 16), None if a[2] is None else ESCAPE.sub(unescape, a[2]), bool(a[3]))
            for a in ARGUMENT.finditer(text)]


def glob(pattern, text, cut):
    """* stands for any run; a cut text need only begin as a match would."""
    if not pattern or not text:
        return not text if not pattern else cut or pattern.strip("*") == ""
    if pattern[0] == "*":
        return glob(pattern[1:], text, cut) or glob(pattern, text[1:], cut)
    return pattern[0] == text[0] and glob(pattern[1:], text[1:], cut)


def matches(cell, value, messages):
    number, text, cut = value
    if cell == "*" or cell[0] not in "'<":
        return cell == "*" or number & 0xFFFFFFFF == int(cell, 0) & 0xFFFFFFFF
    if text is None:
        return False
    if cell[0] == "'":
        return glob(cell[1:-1], text, cut)
    wanted = cell[1:-1].split("|")
    return any(text.startswith(messages[n]) or (cut and messages[n].startswith(text)) for n in wanted)


def check(program, group, log):
    rows, messages, (low, high) = read_table(), catalogue(), image_range(program)
    lines = open(log, encoding="utf-8", errors="replace").read().splitlines()
    pids = {pid for line in lines for pid, file in re.findall(r"program process ([0-9a-f]{4,}) (\S+)", line)
            if file.lower() == os.path.basename(program).lower()}
    wrong, calls, under_way = {}, 0, set()
    for found in filter(None, map(CALL.search, lines)):
        own = [row for row in rows if row["name"].lower() == found[2].lower()]
        if not own or found[1] not in pids or not low <= int(found[4], 16) < high:
            continue
        calls += 1
        values = arguments(found[3])
        hits = [row for row in own if len(row["cells"]) == len(values)
                and all(matches(cell, value, messages) for cell, value in zip(row["cells"], values))]
        for row in hits:
            row["seen"] += 1
            if row["first"] and found[1] in under_way:
                wrong[f"{found[2]}({found[3]})"] = f"line {row['line']}: comes after other calls of the table"
        if not hits:
            wrong[f"{found[2]}({found[3]})"] = f"lines {', '.join(str(row['line']) for row in own)}: matches none"
        if not any(row["first"] for row in hits):
            under_way.add(found[1])
    failures = [f"{call}: windows_calls.txt {why}" for call, why in wrong.items()]
    failures += [f"windows_calls.txt:{row['line']}: not seen in group {group}: {row['text']}"
                 for row in rows if group in row["groups"] and not row["seen"]]
    if pids and not calls:
        failures.append("the program ran, but Wine's relay log shows none of its calls")
    for failure in failures:
        print("check_calls:", failure)
    print(f"check_calls: {calls} calls in {len(pids)} runs of the program in group {group}, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "include":
        print(";".join(sorted({row["name"] for row in read_table()})))
    else:
        sys.exit(check(*sys.argv[2:5]))
