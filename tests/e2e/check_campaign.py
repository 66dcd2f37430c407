#!/usr/bin/env python3
"""Checks what the campaign scenario left in its game folder.

usage: check_campaign.py FOLDER ZOQ_SAVE

The save SAVES/ZJ_1.sav holds ten sections (ZOQ_SAVE's info lists them); the jump to location2
kept location1's state as SAVES/LOCS/data1.loc, and SAVES/LOCS/locs.idx holds 1. Prints one line
per failed check and exits 1 when any failed.
"""

import os
import subprocess
import sys

SECTIONS = 10


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    folder, zoq_save = argv[1:3]
    failures = []
    save = os.path.join(folder, "SAVES", "ZJ_1.sav")
    info = subprocess.run([zoq_save, "info", save], capture_output=True, text=True)
    if info.returncode != 0:
        failures.append(f"zoq-save info ZJ_1.sav: exit {info.returncode} {info.stderr.strip()}")
    else:
        sections = sum(1 for line in info.stdout.splitlines() if line.startswith("section\t"))
        if sections != SECTIONS:
            failures.append(f"ZJ_1.sav lists {sections} sections, not {SECTIONS}")
    locs = os.path.join(folder, "SAVES", "LOCS")
    if not os.path.isfile(os.path.join(locs, "data1.loc")):
        failures.append("SAVES/LOCS/data1.loc is missing")
    try:
        with open(os.path.join(locs, "locs.idx"), encoding="ascii") as index:
            held = index.read().strip()
        if held != "1":
            failures.append(f"locs.idx holds '{held}', not 1")
    except (OSError, UnicodeDecodeError) as error:
        failures.append(f"locs.idx: {error}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
