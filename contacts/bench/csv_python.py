# Python's csv module on the files the CSV benchmark measures, timed the same way, for the figures
# printed beside ours. Prints the median of the runs in milliseconds of CPU time of the process.
#   csv_python.py read FILE RUNS         every record of the GBK file read into lists
#   csv_python.py write SOURCE OUT RUNS  SOURCE's records (read first, untimed) written to OUT as
#                                        GBK lines ended by CR LF; then prints "same" or "differ"
#                                        for OUT against SOURCE byte for byte
import csv
import statistics
import sys
import time


def read(path):
    with open(path, encoding="gbk", newline="") as f:
        return list(csv.reader(f))


def main():
    mode = sys.argv[1]
    times = []
    if mode == "read":
        for _ in range(int(sys.argv[3])):
            start = time.process_time()
            read(sys.argv[2])
            times.append((time.process_time() - start) * 1e3)
        print("%.3f" % statistics.median(times))
        return
    rows = read(sys.argv[2])
    for _ in range(int(sys.argv[4])):
        start = time.process_time()
        with open(sys.argv[3], "w", encoding="gbk", newline="") as f:
            csv.writer(f, lineterminator="\r\n").writerows(rows)
        times.append((time.process_time() - start) * 1e3)
    with open(sys.argv[2], "rb") as a, open(sys.argv[3], "rb") as b:
        same = a.read() == b.read()
    print("%.3f %s" % (statistics.median(times), "same" if same else "differ"))


main()
