"""Prints an XLSX workbook as openpyxl reads it, one line a row, each cell as its type and
value: n:12.5 (number), s:V DC (text), d:2026-12-07 23:59:40 (date-time), - (empty). Each sheet
starts with its name, its frozen cell and whether its header row is bold.
    xlsx_read_back.py <workbook.xlsx>"""
import datetime
import sys

import openpyxl


def cell_text(cell):
    value = cell.value
    if value is None:
        return "-"
    if isinstance(value, datetime.datetime):
        return "d:" + value.isoformat(" ")
    if isinstance(value, (int, float)):
        return "n:%.15g" % value
    return "s:" + str(value)


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    for sheet in book.worksheets:
        bold = all(cell.font.b for cell in sheet[1])
        print("sheet %s frozen=%s bold=%s" % (sheet.title, sheet.freeze_panes, bold))
        for row in sheet.iter_rows():
            print("|".join(cell_text(cell) for cell in row))


main()
