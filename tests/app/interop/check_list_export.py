"""Exports a replay list through list_export_sample and reads the files back with independent readers:
the .xlsx with openpyxl (and LibreOffice, where it is installed), the .csv with Python's csv module. Every
cell is compared with the list: numbers must be numbers, dates dates, texts equal; and a list after a
filter, a hidden column, a dragged column and a sort must come out exactly as shown.

Usage: check_list_export.py <list_export_sample> <language file> <work folder> [emulator and its arguments]
The emulator, when given, runs the program (Wine for the Windows build).
Exits 0 when everything reads back as expected, 1 on a mismatch, 77 (skipped) without openpyxl.
"""
import csv
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import openpyxl
    from openpyxl.utils import get_column_letter
except ImportError:
    print("openpyxl is not installed (Debian: python3-openpyxl); skipping")
    sys.exit(77)

COLUMNS = 40
DATE, LIFETIME, PLAYER, MAP, CREDITS, DAMAGE_SHARE, XP = 1, 2, 3, 4, 14, 21, 10
# The columns whose cells count: frags to dropped capture points, equipment cost, achievements, mastery.
NUMERIC = set(range(9, 31)) | {36, 38, 39}
NUMBER = re.compile(r"^-?[0-9]+(\.[0-9]+)?$")
PERCENT = re.compile(r"^(-?[0-9]+(\.[0-9]+)?) ?%$")
DATE_FORMAT = "dd.mm.yyyy hh:mm:ss"


def battle(k, date, player, map_name, credits, share, path):
    row = ["c%d-%d" % (c, k) for c in range(COLUMNS)]
    row[0] = ""
    for c in NUMERIC:
        row[c] = str((k * 37 + c * 11) % 2000 - 300)
    row[DATE], row[LIFETIME], row[PLAYER], row[MAP] = date, "%02d.%02d" % (k, 7 * k % 60), player, map_name
    row[CREDITS], row[DAMAGE_SHARE], row[26] = credits, share, "%d %%" % (k * 9)
    row[XP] = "278(x2)" if k % 3 == 0 else str(100 * k)
    row[32] = path
    return row


ROWS = [
    battle(1, "13.12.2015 21:21:02", "Bison, \"the\" 2nd", "Солончак", "20868", "73 %",
           "C:\\Игры\\replays\\бой, первый.ivlreplay"),
    battle(2, "11.12.2015 20:54:20", "Ёжик\rВторой", "Северный карьер", "9946", "42 %",
           "/home/игрок/replays/2.ivlreplay"),
    battle(3, "26.10.2015 17:35:33", "Щит; «Север»", "Мельничная переправа", "-1746", "0 %", "3.ivlreplay"),
    battle(4, "29.02.2016 00:00:00", "Hawk", "Солнечный берег, юг", "4000", "100 %", "4.ivlreplay"),
    battle(5, "29.02.2015 10:00:00", "Crow", "северная бухта", "12", "5 %", "5.ivlreplay"),
    battle(6, "01.01.2016 12:00:00", "Кот \"Мурзик\"", "Солончак", "777", "58%", "6.ivlreplay"),
]
# A battle without results: placeholders in the first columns, nothing in the others.
no_results = battle(7, "24.10.2015 10:02:15", "Quiet_Hammer", "Старая гавань", "", "", "7.ivlreplay")
for c in (LIFETIME, 7, 8, 9, XP):
    no_results[c] = "—"
for c in NUMERIC - {9, XP}:
    no_results[c] = ""
ROWS.append(no_results)
# A file that is no replay: a text in the date column and the path, nothing else.
marker = [""] * COLUMNS
marker[DATE], marker[32] = "Не реплей", "8.ivlreplay"
ROWS.append(marker)


def escaped(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")


def ooxml_text(value):
    """Strings as the format defines them: _xHHHH_ stands for the character HHHH."""
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def expected_value(column, text):
    """What a spreadsheet must hold for a shown text, and its number format (None: any)."""
    if column in NUMERIC:
        if NUMBER.match(text):
            return float(text), None
        match = PERCENT.match(text)
        if match:
            return float(match.group(1)) / 100, "%"
    if column == DATE:
        try:
            return datetime.datetime.strptime(text, "%d.%m.%Y %H:%M:%S"), DATE_FORMAT
        except ValueError:
            pass
    return text, "text"


class Checker:
    def __init__(self):
        self.failures = []

    def check(self, condition, message):
        if not condition:
            self.failures.append(message)
        return condition


def check_xlsx(chk, path, headers, columns, rows, widths):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    chk.check(sheet.max_row == len(rows) + 1, "%s: %d rows, expected %d" % (path, sheet.max_row, len(rows) + 1))
    chk.check(sheet.max_column == len(columns), "%s: %d columns, expected %d" % (path, sheet.max_column,
                                                                                len(columns)))
    chk.check(sheet.freeze_panes == "A2", "%s: frozen at %r" % (path, sheet.freeze_panes))
    last = "%s%d" % (get_column_letter(len(columns)), len(rows) + 1)
    chk.check(sheet.auto_filter.ref == "A1:" + last, "%s: autofilter %r" % (path, sheet.auto_filter.ref))
    for i, column in enumerate(columns):
        letter = get_column_letter(i + 1)
        cell = sheet.cell(row=1, column=i + 1)
        chk.check((cell.value or "") == headers[column], "%s: header %s is %r" % (path, letter, cell.value))
        chk.check(cell.font.b, "%s: header %s is not bold" % (path, letter))
        # A stored width w shows as w x 7 pixels in the default font.
        width = sheet.column_dimensions[letter].width
        chk.check(abs(width * 7 - widths.get(column, 100)) < 0.5,
                  "%s: column %s is %r wide, expected %d px" % (path, letter, width, widths.get(column, 100)))
    for r, row in enumerate(rows):
        for i, column in enumerate(columns):
            text = row[column]
            cell = sheet.cell(row=r + 2, column=i + 1)
            where = "%s %s%d (list column %d, %r)" % (path, get_column_letter(i + 1), r + 2, column, text)
            want, number_format = expected_value(column, text)
            if number_format == "text":
                got = ooxml_text(cell.value) if isinstance(cell.value, str) else cell.value
                chk.check(got == (text or None), "%s: %r" % (where, cell.value))
            elif number_format == DATE_FORMAT:
                chk.check(isinstance(cell.value, datetime.datetime) and cell.value == want,
                          "%s: %r is no date-time %r" % (where, cell.value, want))
                chk.check(cell.number_format == DATE_FORMAT, "%s: format %r" % (where, cell.number_format))
            else:
                chk.check(isinstance(cell.value, (int, float)) and not isinstance(cell.value, bool)
                          and abs(cell.value - want) < 1e-9, "%s: %r is not the number %r" % (where, cell.value,
                                                                                            want))
                if number_format == "%":
                    chk.check("%" in cell.number_format, "%s: format %r" % (where, cell.number_format))


def check_csv(chk, path, headers, columns, rows):
    with open(path, "rb") as f:
        raw = f.read()
    chk.check(raw.startswith(b"\xef\xbb\xbf"), "%s: no byte-order mark" % path)
    chk.check(raw.endswith(b"\r\n"), "%s: last record does not end in CR LF" % path)
    with open(path, encoding="utf-8-sig", newline="") as f:
        records = list(csv.reader(f))
    expected = [[headers[c] for c in columns]] + [[row[c] for c in columns] for row in rows]
    chk.check(len(records) == len(expected), "%s: %d records, expected %d" % (path, len(records), len(expected)))
    for r, (got, want) in enumerate(zip(records, expected)):
        chk.check(got == want, "%s: record %d is %r, expected %r" % (path, r, got, want))


def check_libreoffice(chk, path, columns, rows):
    """LibreOffice opens the workbook and shows every cell as the list did (numbers as numbers)."""
    office = shutil.which("soffice") or shutil.which("libreoffice")
    if not office:
        print("LibreOffice is not installed: its part of the check is skipped")
        return
    with tempfile.TemporaryDirectory() as profile, tempfile.TemporaryDirectory() as out:
        # 44 comma, 34 quote, 76 UTF-8, 1 from the first line, then "as shown" for formatted cells.
        done = subprocess.run([office, "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                               "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true", "--outdir", out,
                               path], capture_output=True, text=True, timeout=180)
        converted = os.path.join(out, os.path.splitext(os.path.basename(path))[0] + ".csv")
        if not chk.check(os.path.exists(converted), "LibreOffice did not convert %s: %s %s" % (
                path, done.stdout, done.stderr)):
            return
        with open(converted, encoding="utf-8-sig", newline="") as f:
            records = list(csv.reader(f))[1:]
    chk.check(len(records) == len(rows), "LibreOffice: %d rows, expected %d" % (len(records), len(rows)))
    print("LibreOffice converted %s: comparing %d rows as it shows them" % (os.path.basename(path), len(records)))
    for r, (got, row) in enumerate(zip(records, rows)):
        for i, column in enumerate(columns):
            text = row[column]
            shown = got[i] if i < len(got) else ""
            want = text.replace(" %", "%") if column in NUMERIC else text
            if "\r" in text:
                shown, want = shown.replace("\r", "\n"), want.replace("\r", "\n")
            chk.check(shown == want, "LibreOffice: row %d column %d shows %r, expected %r" % (r, column, shown,
                                                                                            want))


def export(program, language, table, base, steps):
    done = subprocess.run(program + [language, table, base] + steps, capture_output=True)
    if done.returncode != 0:
        raise RuntimeError("export failed: %s %s" % (done.stdout, done.stderr))
    # Windows ends the printed lines with CR LF.
    return done.stdout.decode("utf-8").replace("\r\n", "\n").split("\n")[:COLUMNS]


def main():
    program, language, work = sys.argv[4:] + [sys.argv[1]], sys.argv[2], sys.argv[3]
    os.makedirs(work, exist_ok=True)
    table = os.path.join(work, "table.tsv")
    with open(table, "w", encoding="utf-8", newline="") as f:
        f.write("".join("\t".join(escaped(cell) for cell in row) + "\n" for row in ROWS))
    chk = Checker()

    # Untouched list: columns 1 to 39 in creation order, rows as added.
    base = os.path.join(work, "plain")
    headers = export(program, language, table, base, [])
    all_columns = list(range(1, COLUMNS))
    check_xlsx(chk, base + ".xlsx", headers, all_columns, ROWS, {})
    check_csv(chk, base + ".csv", headers, all_columns, ROWS)
    check_libreoffice(chk, base + ".xlsx", all_columns, ROWS)

    # The user's view: maps starting with "с" in any case, the player hidden, credits dragged to the front
    # and sorted downwards, the date column widened, the check column widened too.
    base = os.path.join(work, "view")
    steps = ["filter=%d:с" % MAP, "hide=%d" % PLAYER, "move=%d:1" % CREDITS, "sort=%d:desc" % CREDITS,
             "width=%d:150" % DATE, "width=0:40"]
    export(program, language, table, base, steps)
    columns = [CREDITS] + [c for c in all_columns if c not in (PLAYER, CREDITS)]
    shown = [row for row in ROWS if row[MAP].lower().startswith("с")]
    # Descending by the leading number, equal ones keeping their order; a cell without one counts as 0.
    shown.sort(key=lambda row: int(re.match(r"-?[0-9]*", row[CREDITS]).group(0) or 0), reverse=True)
    check_xlsx(chk, base + ".xlsx", headers, columns, shown, {DATE: 150})
    check_csv(chk, base + ".csv", headers, columns, shown)

    for failure in chk.failures[:40]:
        print(failure)
    if chk.failures:
        print("%d mismatches" % len(chk.failures))
        return 1
    print("every cell of %d rows read back as expected" % (len(ROWS) + len(shown)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
