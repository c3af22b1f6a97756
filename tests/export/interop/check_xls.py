"""Exports a table through xls_sample and reads the workbook back with xlrd, cell by cell.

Usage: check_xls.py <xls_sample program> <work folder> [emulator and its arguments]
The emulator, when given, runs the program (Wine for the Windows build).
Exits 0 when every cell reads back as expected, 1 on a mismatch, 77 (skipped) when xlrd is not
installed or the system's ANSI code page is not 1251.
"""
import os
import subprocess
import sys

try:
    import xlrd
except ImportError:
    print("xlrd is not installed (Debian: python3-xlrd); skipping")
    sys.exit(77)

COLUMNS = 33

# 40 columns like the list; the sheet must hold only the first 33.
header = [""] + ["Столбец %d" % c for c in range(1, 40)]
header[1] = "Дата"
header[2] = "Карта"
header[32] = "Путь к файлу"

rows = [header]
for k in range(1, 6):
    row = ["r%dc%d" % (k, c) for c in range(40)]
    row[0] = ""
    row[1] = "2024-0%d-1%d 21:0%d" % (k, k, k)
    row[2] = "Утёс Ёжиков №%d «Щит»" % k
    row[3] = str(-150 * k)
    row[32] = "C:\\Игра\\replays\\бой_%d.ivlreplay" % k
    rows.append(row)
rows[1][4] = "Ж" * 300                      # cut to 255 characters
rows[2][5] = "日本 \U0001F600 end"           # characters outside the code page
rows[3][6] = 'quote " backslash \\ percent %'
rows[4][7] = ""
rows[5][8] = "€ — “ ” ‰ ™"                  # upper half of the code page


def expected(text):
    return text.encode("cp1251", errors="replace")[:255].decode("cp1251")


def main():
    program, work, emulator = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.makedirs(work, exist_ok=True)
    table = os.path.join(work, "table.tsv")
    with open(table, "w", encoding="utf-8", newline="") as f:
        f.write("\n".join("\t".join(r) for r in rows))
    base = os.path.join(work, "sample")
    book_path = base + ".xls"
    if os.path.exists(book_path):
        os.remove(book_path)
    done = subprocess.run(emulator + [program, table, base], capture_output=True, text=True)
    if done.returncode == 77:
        print("skipped:", done.stderr.strip())
        return 77
    if done.returncode != 0:
        print("export failed:", done.stdout, done.stderr)
        return 1

    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    book = xlrd.open_workbook(book_path, formatting_info=True)
    check(book.biff_version == 20, "BIFF version %r" % book.biff_version)
    check(book.encoding == "cp1251", "encoding %r" % book.encoding)
    check(book.nsheets == 1, "sheets %d" % book.nsheets)
    fonts = [(f.name, f.height, f.bold, f.italic, f.underlined) for f in book.font_list]
    want_fonts = [("Microsoft Sans Serif", 200, 0, 0, 0), ("Arial", 200, 1, 0, 0),
                  ("Arial", 200, 1, 0, 1), ("Arial", 360, 0, 1, 0)]
    check(fonts == want_fonts, "fonts %r" % fonts)
    sheet = book.sheet_by_index(0)
    check(sheet.nrows == len(rows), "rows %d, expected %d" % (sheet.nrows, len(rows)))
    check(sheet.ncols == COLUMNS, "columns %d, expected %d" % (sheet.ncols, COLUMNS))
    for r in range(min(sheet.nrows, len(rows))):
        for c in range(min(sheet.ncols, COLUMNS)):
            cell = sheet.cell(r, c)
            want = expected(rows[r][c])
            check(cell.ctype == xlrd.XL_CELL_TEXT, "cell (%d,%d) type %d" % (r, c, cell.ctype))
            check(cell.value == want, "cell (%d,%d) %r, expected %r" % (r, c, cell.value, want))
    check(len(sheet.cell_value(1, 4)) == 255, "long text not cut to 255")
    check(sheet.cell_value(2, 5) == "?? ? end", "missing characters %r" % sheet.cell_value(2, 5))

    for message in failures:
        print(message)
    print("%d rows x %d columns checked, %d problems" % (sheet.nrows, sheet.ncols, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
