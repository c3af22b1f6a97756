"""Runs tapeloft-cli over folders made by the sample generator and compares everything it writes with the
outputs kept beside this script, byte for byte: the same seeds must always give the same rows, details,
statistics, workbook, CSV and .xlsx cells, whatever the code inside looks like.

Usage: check_cli_output.py <tapeloft-cli> <tapeloft-sample> <lang folder> <work folder> [--update]
--update writes the outputs of this build as the expected ones.
"""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")

# Folder, seed and generator options. One file per kind that shows no date, so that the order of the
# rows never depends on the order the file system lists them in.
FOLDERS = [
    ("current", 1, ["--count", "12", "--vehicles", "8"]),
    ("earlier", 2, ["--count", "6", "--vehicles", "6", "--layout", "earlier"]),
    ("noresults", 3, ["--count", "4", "--vehicles", "4", "--no-results"]),
    ("rejected", 4, ["--count", "1", "--vehicles", "2", "--header-rejected"]),
    ("unreadable", 5, ["--count", "1", "--vehicles", "2", "--description-unreadable"]),
]


def run(cli, args, cwd):
    done = subprocess.run(cli + args, cwd=cwd, capture_output=True)
    # Message lines on standard error follow the listing order of the file system: compare them sorted.
    err = b"".join(sorted(done.stderr.splitlines(keepends=True)))
    return b"exit %d\n--- out\n" % done.returncode + done.stdout + b"--- err (sorted)\n" + err


SHEET = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def xlsx_cells(path):
    """The sheet of a workbook as text: its columns, its filter, then a line per row with every cell's
    reference, style, type and value. The package itself carries the time it was written."""
    with zipfile.ZipFile(path) as book:
        names = book.namelist()
        shared = []
        if "xl/sharedStrings.xml" in names:
            strings = ElementTree.fromstring(book.read("xl/sharedStrings.xml"))
            shared = ["".join(t.text or "" for t in si.iter(SHEET + "t")) for si in strings.iter(SHEET + "si")]
        sheet = ElementTree.fromstring(book.read("xl/worksheets/sheet1.xml"))
    lines = [json.dumps({"columns": [dict(col.attrib) for col in sheet.iter(SHEET + "col")],
                         "filter": [f.get("ref") for f in sheet.iter(SHEET + "autoFilter")]})]
    for row in sheet.iter(SHEET + "row"):
        cells = []
        for cell in row.iter(SHEET + "c"):
            kind = cell.get("t", "n")
            value = cell.find(SHEET + "v")
            if kind == "inlineStr":
                text = "".join(t.text or "" for t in cell.iter(SHEET + "t"))
            elif kind == "s":
                text = shared[int(value.text)]
            else:
                text = value.text if value is not None else ""
            cells.append("%s s%s %s %s" % (cell.get("r"), cell.get("s", "0"), kind, text))
        lines.append(json.dumps({"cells": cells}, ensure_ascii=False))
    return ("\n".join(lines) + "\n").encode()


def outputs(cli, sample, lang, work):
    """Every output by the name of its kept file; cli and sample are commands (lists), an emulator first."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for name in ("rus.lng", "eng.lng"):
        shutil.copy(os.path.join(lang, name), work)
    for folder, seed, options in FOLDERS:
        subprocess.run(sample + [os.path.join("all", folder), "--seed", str(seed), "--flat", "--tail-bytes", "64"]
                       + options, cwd=work, check=True, capture_output=True)
    result = {}
    result["list-rus.txt"] = run(cli, ["list", "--lang", "rus.lng", "all"], work)
    # With a record cache, cold and warm, and a full rescan through it, the output is the same.
    for attempt in ("cold", "warm", "full"):
        extra = ["--no-cache"] if attempt == "full" else []
        cached = run(cli, ["list", "--lang", "rus.lng", "--cache", "cache.sqlite"] + extra + ["all"], work)
        if cached != result["list-rus.txt"]:
            result["list-rus.txt"] = b"the list with a %s record cache differs:\n" % attempt.encode() + cached
    result["list-eng.txt"] = run(cli, ["list", "--lang", "eng.lng", "all"], work)
    for lang_file in ("rus.lng", "eng.lng"):
        result["stats-%s.txt" % lang_file[:3]] = run(cli, ["stats", "--lang", lang_file, "all"], work)
    details = b""
    for folder, _, _ in FOLDERS:
        for name in sorted(os.listdir(os.path.join(work, "all", folder)))[:3]:
            for lang_file in ("rus.lng", "eng.lng"):
                details += run(cli, ["details", "--lang", lang_file, "--settings", "none.ini",
                                     "all/%s/%s" % (folder, name)], work)
    result["details.txt"] = details
    exported = run(cli, ["export", "--lang", "rus.lng", "all", "sheet"], work)
    with open(os.path.join(work, "sheet.xls"), "rb") as f:
        exported += b"--- sheet.xls sha256 " + hashlib.sha256(f.read()).hexdigest().encode() + b"\n"
    result["export.txt"] = exported
    # The typed formats: the CSV as written, the workbook's cells as a reader finds them.
    formats = b""
    for name in ("sheet.csv", "sheet.xlsx"):
        formats += run(cli, ["export", "--lang", "rus.lng", "all", name], work)
        formats += b"--- " + name.encode() + b"\n"
        path = os.path.join(work, name)
        if name.endswith(".csv"):
            with open(path, "rb") as f:
                formats += f.read()
        else:
            formats += xlsx_cells(path)
    result["export-formats.txt"] = formats
    return result


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    cli, sample, lang, work = (os.path.abspath(a) for a in sys.argv[1:5])
    update = "--update" in sys.argv[5:]
    result = outputs([cli], [sample], lang, work)
    if update:
        os.makedirs(EXPECTED, exist_ok=True)
        for name, data in result.items():
            with open(os.path.join(EXPECTED, name), "wb") as f:
                f.write(data)
        print("wrote %d expected outputs to %s" % (len(result), EXPECTED))
        return 0
    failed = 0
    for name, data in result.items():
        with open(os.path.join(EXPECTED, name), "rb") as f:
            expected = f.read()
        if data != expected:
            failed += 1
            got = os.path.join(work, name + ".got")
            with open(got, "wb") as f:
                f.write(data)
            print("%s differs from the expected output; this build's is in %s" % (name, got))
    print("%d of %d outputs as expected" % (len(result) - failed, len(result)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
