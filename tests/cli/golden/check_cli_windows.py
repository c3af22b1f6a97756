"""Runs the Windows build's tapeloft-cli (under Wine, when an emulator is given) over the folders that
check_cli_output.py makes and compares what it writes with the outputs kept for the Linux build: the same
exit codes, the same rows cell for cell, the same details and messages, the same workbook byte for byte, the
same CSV and the same .xlsx cells (reference, style, type, value), all apart from the separators inside the
paths of the generated folder ("all\\current\\..." for "all/current/...") and the line ends: the tool writes
text, which Windows ends with CR LF.

Usage: check_cli_windows.py <tapeloft-cli> <tapeloft-sample> <lang folder> <work folder> [emulator...]
"""
import hashlib
import json
import os
import re
import sys

from check_cli_output import EXPECTED, outputs

# A path below the generated folder as Windows writes it; only there may a backslash stand for a slash.
WINDOWS_PATH = re.compile(r"all(?:\\[^\\/\s\"]+)+")
WINDOWS_PATH_BYTES = re.compile(rb"all(?:\\[^\\/\s\"]+)+")
LABEL_ID = 0x0004
LABEL_TEXT_AT = 8


def unify(text):
    return WINDOWS_PATH.sub(lambda m: m.group(0).replace("\\", "/"), text)


def unify_value(value):
    if isinstance(value, str):
        return unify(value)
    if isinstance(value, list):
        return [unify_value(v) for v in value]
    if isinstance(value, dict):
        return {k: unify_value(v) for k, v in value.items()}
    return value


def sections(blob):
    """The lines of one output file, stderr lines unified and sorted again: their order follows the text."""
    lines = blob.decode("utf-8").replace("\r\n", "\n").split("\n")
    out, err = [], None
    for line in lines:
        if line.startswith("exit ") or line.startswith("--- sheet."):
            if err is not None:
                out.extend(sorted(err))
                err = None
            out.append(line)
        elif line == "--- err (sorted)":
            out.append(line)
            err = []
        elif err is not None:
            err.append(unify(line))
        else:
            out.append(line)
    if err is not None:
        out.extend(sorted(err))
    return out


def compare_line(number, got, want, problems):
    try:
        got_value, want_value = json.loads(got), json.loads(want)
    except ValueError:
        if unify(got) != want:
            problems.append("line %d: %r, expected %r" % (number, got, want))
        return
    if isinstance(got_value, dict) and isinstance(want_value, dict) and "cells" in want_value:
        got_cells, want_cells = got_value.get("cells", []), want_value["cells"]
        if len(got_cells) != len(want_cells):
            problems.append("line %d: %d cells, expected %d" % (number, len(got_cells), len(want_cells)))
        for column, (g, w) in enumerate(zip(got_cells, want_cells)):
            if unify(g) != w:
                problems.append("line %d, cell %d: %r, expected %r" % (number, column, g, w))
        if got_value.get("tint") != want_value.get("tint"):
            problems.append("line %d: tint %r, expected %r" % (number, got_value.get("tint"), want_value["tint"]))
    elif unify_value(got_value) != want_value:
        problems.append("line %d: %s, expected %s" % (number, got, want))


def workbook_digest(path):
    """SHA-256 of the workbook with the paths in its text cells written with slashes."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = 0
    while at + 4 <= len(data):
        record, size = data[at] | data[at + 1] << 8, data[at + 2] | data[at + 3] << 8
        body = at + 4
        if record == LABEL_ID and size > LABEL_TEXT_AT:
            text = bytes(data[body + LABEL_TEXT_AT:body + size])
            data[body + LABEL_TEXT_AT:body + size] = WINDOWS_PATH_BYTES.sub(
                lambda m: m.group(0).replace(b"\\", b"/"), text)
        at = body + size
    return hashlib.sha256(data).hexdigest()


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    cli, sample, lang, work = (os.path.abspath(a) for a in sys.argv[1:5])
    emulator = sys.argv[5:]
    result = outputs(emulator + [cli], emulator + [sample], lang, work)
    windows_digest = workbook_digest(os.path.join(work, "sheet.xls"))
    failed = 0
    for name, data in sorted(result.items()):
        with open(os.path.join(EXPECTED, name), "rb") as f:
            want = sections(f.read())
        got = sections(data)
        if name == "export.txt":
            got = [re.sub(r"sha256 \w+", "sha256 " + windows_digest, line) for line in got]
        problems = []
        if len(got) != len(want):
            problems.append("%d lines, expected %d" % (len(got), len(want)))
        for number, (g, w) in enumerate(zip(got, want), 1):
            compare_line(number, g, w, problems)
        if problems:
            failed += 1
            with open(os.path.join(work, name + ".got"), "wb") as f:
                f.write(data)
            print("%s differs from the Linux output (%d problems):" % (name, len(problems)))
            for problem in problems[:20]:
                print("  " + problem)
        else:
            print("%s: %d lines as on Linux" % (name, len(want)))
    print("%d of %d outputs as on Linux" % (len(result) - failed, len(result)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
