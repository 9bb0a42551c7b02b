#!/usr/bin/python3
"""Writes the message import files another program would write, through Python's csv module.

Usage: csv_peer.py <folder>. Writes gbk.csv, utf8.csv and utf8-bom.csv with the same rows:
a header, a text with a comma, a text with quotes, a text over two lines, a row with only a
name and one with a name and a number.
"""
import csv
import os
import sys

ROWS = [
    ["姓名", "号码", "内容"],
    ["王芳", "13912345678", "晚上好,明天见"],
    ["李四", "13800000002", '他说"好"'],
    ["孙八", "13600000000", "第一行\n第二行"],
    ["只有名字"],
    ["赵六", "13700000000"],
]

ENCODINGS = {"gbk.csv": "gbk", "utf8.csv": "utf-8", "utf8-bom.csv": "utf-8-sig"}


def main():
    folder = sys.argv[1]
    for name, encoding in ENCODINGS.items():
        with open(os.path.join(folder, name), "w", encoding=encoding, newline="") as f:
            csv.writer(f).writerows(ROWS)


if __name__ == "__main__":
    main()
