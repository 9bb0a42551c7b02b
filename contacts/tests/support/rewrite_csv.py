# Reads a GBK CSV file with Python's csv module and writes its records again with Python's csv
# writer (GBK, CR LF after each record) to the second path.
import csv
import sys

with open(sys.argv[1], encoding="gbk", newline="") as f:
    rows = list(csv.reader(f))
with open(sys.argv[2], "w", encoding="gbk", newline="") as f:
    csv.writer(f, lineterminator="\r\n").writerows(rows)
