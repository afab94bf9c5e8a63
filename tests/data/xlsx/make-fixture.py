#!/usr/bin/python3
# Writes spreadsheet-program.xlsx, a workbook from a writer other than our own tests, with
# python3-openpyxl (Debian). Run once; the workbook is kept in the repository.
import openpyxl

workbook = openpyxl.Workbook()
notes = workbook.active
notes.title = "Notes"
notes.append(["Written by a spreadsheet library"])
sorts = workbook.create_sheet("Sorts")
sorts.append(["Participant", "Card", "Category", "Card id"])
sorts.append([12, "Apple", "Fruit", 1])
sorts.append([12, "Tea\nand coffee", "Drinks", 2.5])
sorts.append([])
sorts.append(["P13", "Apple", None, 1e2])
sorts["B6"] = "Only B6"
workbook.move_sheet("Sorts", offset=-1)
workbook.save("spreadsheet-program.xlsx")
