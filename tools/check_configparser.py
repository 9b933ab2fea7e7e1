#!/usr/bin/env python3
"""Checks a Calvane settings file from outside, with Python's configparser.

    check_configparser.py SETTINGS.ini EXPECTED.txt

Reads SETTINGS.ini (GBK) with configparser as it comes, apart from turning
interpolation off (values hold "%" as plain text), and compares what it sees
with EXPECTED.txt: one line "section<TAB>key<TAB>value" (UTF-8) for every key,
sections and keys in file order. configparser's own rules are strict (no
duplicate sections or keys, no key before the first section), so a file that
passes is one any ordinary INI reader takes as it is. Exits 0 when both agree
and 1, with the differences, when they do not.
"""

import configparser
import sys


def seen_by_configparser(path):
    parser = configparser.ConfigParser(interpolation=None)
    with open(path, encoding="gbk") as f:
        parser.read_file(f, source=path)
    return [
        f"{section}\t{key}\t{value}"
        for section in parser.sections()
        for key, value in parser.items(section, raw=True)
    ]


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[2], encoding="utf-8", newline="") as f:
        expected = f.read().split("\n")
    if expected and expected[-1] == "":
        expected.pop()
    try:
        seen = seen_by_configparser(argv[1])
    except (configparser.Error, UnicodeDecodeError) as e:
        print(f"{argv[1]}: configparser cannot read it: {e}", file=sys.stderr)
        return 1
    if seen == expected:
        return 0
    print(f"{argv[1]}: configparser sees other sections, keys or values",
          file=sys.stderr)
    for line in expected:
        if line not in seen:
            print(f"  missing: {line!r}", file=sys.stderr)
    for line in seen:
        if line not in expected:
            print(f"  extra:   {line!r}", file=sys.stderr)
    if sorted(seen) == sorted(expected):
        print("  (same lines, other order)", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
