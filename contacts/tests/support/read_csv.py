# Reads a GBK CSV file with Python's csv module and prints each record as its fields' UTF-8
# bytes in hexadecimal, joined by ",", one record per line.
import csv
import sys

with open(sys.argv[1], encoding="gbk", newline="") as f:
    for row in csv.reader(f):
        print(",".join(x.encode("utf-8").hex() for x in row))
