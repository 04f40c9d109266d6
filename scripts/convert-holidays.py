#!/usr/bin/env python3
"""Converts the statutory holidays and make-up workdays of the npm package chinese-days into the
program's own small data file (data/holidays/china.txt).

The package is fetched with npm's own client at development time, never at build time:

    mkdir -p /tmp/days && cd /tmp/days && npm pack chinese-days && tar xzf chinese-days-*.tgz
    scripts/convert-holidays.py /tmp/days/package > data/holidays/china.txt

One line per day, sorted, so that a new release of the package shows as a readable diff.
"""
import json
import pathlib
import re
import sys

LINE = re.compile(r"^\d{4}-\d{2}-\d{2}$")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: convert-holidays.py <unpacked chinese-days package folder>")
    package = pathlib.Path(sys.argv[1])
    meta = json.loads((package / "package.json").read_text(encoding="utf-8"))
    days = json.loads((package / "dist" / "chinese-days.json").read_text(encoding="utf-8"))
    lines = {}
    for key, kind in (("holidays", "休"), ("workdays", "班")):
        for date, value in days[key].items():
            if not LINE.match(date):
                sys.exit(f"odd date {date!r} in {key}")
            # "National Day,国庆节,3": the English name, the Chinese name, a running number.
            name = value.split(",")[1].strip()
            if date in lines:
                sys.exit(f"{date} is both a holiday and a make-up workday")
            lines[date] = f"{date} {kind} {name}"
    years = sorted({int(d[:4]) for d in lines})
    if years != list(range(years[0], years[-1] + 1)):
        sys.exit(f"the years are not contiguous: {years}")
    out = sys.stdout
    out.write("QUELBROOK-HOLIDAYS 1\r\n")
    out.write(f"# chinese-days {meta['version']} (MIT licence, see the copyright file)\r\n")
    out.write(f"YEARS {years[0]} {years[-1]}\r\n")
    for date in sorted(lines):
        out.write(lines[date] + "\r\n")


if __name__ == "__main__":
    main()
