#!/usr/bin/env python3
"""Writes the information base of the program folder (res/app/info) as GBK text files:

    info.inf            the root: groups and items, one group kept in a group file of its own
    电话号码.inf         a group file named from the root in double quotes
    邮编区号.inf         a group file whose items keep their rows in the shipped province files
                        (info/邮编区号/<province>.inf, written by tools/postcodes)
    国际区号.txt         a data file (fields separated by blanks) of the international dialling
                        codes

The hand-made tables come from tables.txt (UTF-8). The dialling codes come from the
phonenumbers Python package (Apache-2.0; Debian package python3-phonenumbers) and the Chinese
country names from the Unicode CLDR (Unicode licence; Debian package unicode-cldr-core, file
common/main/zh.xml). Every written file names its sources in its "//" lines. The files use every
rule of the format: quoted group files, inline items and BEGINLINK data files, 空格, 英汉, url and
mailto columns, and an inline sub-group.

    python3 tools/infobase/infobase.py [--output res/app] [--cldr /usr/share/unicode/cldr]
"""
import argparse
import os
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

PROVINCES = ["北京", "上海", "天津", "重庆", "河北", "山西", "河南", "辽宁", "吉林", "黑龙江",
             "内蒙古", "江苏", "山东", "安徽", "浙江", "福建", "湖北", "湖南", "广东", "广西",
             "江西", "四川", "海南", "贵州", "云南", "西藏", "陕西", "甘肃", "青海", "宁夏",
             "新疆", "台湾"]


def read_tables(path):
    tables, name = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                name = line[1:-1]
                tables[name] = []
                continue
            fields = [x.strip() for x in line.split("|")]
            if any("," in x or "//" in x and not x.startswith("http") for x in fields):
                sys.exit(f"{name}: a field holds a comma or a comment: {line}")
            tables[name].append(fields)
    return tables


def dialling_codes(cldr):
    import phonenumbers
    tree = ET.parse(os.path.join(cldr, "common", "main", "zh.xml"))
    names = {}
    for t in tree.iter("territory"):
        if t.get("alt") is None:
            names[t.get("type")] = t.text
    rows = []
    for region in sorted(phonenumbers.SUPPORTED_REGIONS):
        if len(region) != 2 or region not in names:
            continue
        name = names[region].replace(" ", "")
        try:
            name.encode("gbk")
        except UnicodeEncodeError:
            continue
        rows.append((name, "+%d" % phonenumbers.country_code_for_region(region), region))
    if len(rows) < 200:
        sys.exit("too few dialling codes: %d" % len(rows))
    return rows


def item(name, fields, widths, rows=None, link=None, style=None, indent="    "):
    out = [f"{indent}CONTENT = {name}"]
    if style:
        out.append(f"{indent}风格 = {style}")
    if fields is not None:
        out.append(f"{indent}字段数 = {len(fields)}")
        out.append(f"{indent}字段 = {','.join(fields)}")
        out.append(f"{indent}字段宽度 = {','.join(str(w) for w in widths)}")
    if link:
        out += [f"{indent}BEGINLINK", f'{indent}"{link}"', f"{indent}ENDLINK"]
    else:
        out.append(f"{indent}BEGIN")
        out += [indent + ",".join(r) for r in rows]
        out.append(f"{indent}END")
    return out


def write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gbk"))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--output", default=os.path.join(ROOT, "res", "app"))
    ap.add_argument("--cldr", default="/usr/share/unicode/cldr")
    args = ap.parse_args()
    info = os.path.join(args.output, "info")
    t = read_tables(os.path.join(HERE, "tables.txt"))
    for p in PROVINCES:
        if not os.path.exists(os.path.join(info, "邮编区号", p + ".inf")):
            sys.exit(f"missing province file {p}.inf (run tools/postcodes first)")
    codes = dialling_codes(args.cldr)

    root = ["// 墨川信息大全的根文件。由 tools/infobase/infobase.py 生成，请勿手改。",
            "// 来源：公共服务电话取自公开的号码；网站为其自己的地址；词汇与示例邮箱为本项目自编；",
            "// 国际区号取自 phonenumbers（Apache-2.0），国家和地区名称取自 Unicode CLDR（Unicode 许可）。",
            "GROUP = 信息大全",
            "版本 = 1",
            "描述 = 常用的电话、区号、网站和词汇",
            "标题 = 分类",
            "条目字段数 = 3",
            "条目字段 = 名称,号码,说明",
            "条目字段宽度 = 160,100,220",
            "BEGIN",
            '    GROUP = "info\\电话号码.inf"',
            '    GROUP = "info\\邮编区号.inf"',
            "    GROUP = 网络与邮件",
            "    标题 = 条目",
            "    BEGIN"]
    root += item("常用网站", ["名称", "网址", "说明"], [140, 220, 160], t["常用网站"],
                 style="url(1)", indent="        ")
    root += item("示例邮箱", ["名称", "邮箱", "说明"], [140, 200, 120], t["示例邮箱"],
                 style="mailto(1)", indent="        ")
    root += ["    END"]
    root += item("国际区号", ["国家或地区", "区号", "代码"], [200, 80, 60],
                 link="info\\国际区号.txt", style="空格")
    root += item("电脑词汇", ["英文", "中文"], [160, 160], t["电脑词汇"], style="英汉")
    root += ["END"]
    write(os.path.join(info, "info.inf"), root)

    phone = ["// 电话号码：公开的紧急电话和公共服务电话。由 tools/infobase/infobase.py 生成。",
             "GROUP = 电话号码",
             "版本 = 1",
             "描述 = 紧急电话和公共服务电话",
             "条目字段数 = 3",
             "条目字段 = 名称,号码,说明",
             "条目字段宽度 = 160,80,240",
             "BEGIN"]
    # These items take the group's columns.
    for name in ("紧急电话", "公共服务电话"):
        phone += item(name, None, None, t[name])
    phone += ["END"]
    write(os.path.join(info, "电话号码.inf"), phone)

    post = ["// 邮编区号：各省、自治区、直辖市的城市邮政编码和电话区号，数据文件由",
            "// tools/postcodes/postcodes.py 生成（来源见 tools/postcodes/NOTICE）。",
            "GROUP = 邮编区号",
            "版本 = 1",
            "描述 = 城市邮政编码和电话区号",
            "标题 = 省份",
            "条目字段数 = 3",
            "条目字段 = 城市,邮政编码,电话区号",
            "条目字段宽度 = 140,100,100",
            "BEGIN"]
    for p in PROVINCES:
        post += [f"    CONTENT = {p}", "    BEGINLINK", f'    "info\\邮编区号\\{p}.inf"',
                 "    ENDLINK"]
    post += ["END"]
    write(os.path.join(info, "邮编区号.inf"), post)

    lines = ["// 国际区号：国家或地区、国际电话区号、地区代码。",
             "// 区号取自 phonenumbers %s（Apache-2.0），名称取自 Unicode CLDR（Unicode 许可）。"
             % __import__("phonenumbers").__version__]
    lines += [" ".join(r) for r in codes]
    write(os.path.join(info, "国际区号.txt"), lines)
    print(f"wrote {info}: {len(codes)} dialling codes")


if __name__ == "__main__":
    main()
