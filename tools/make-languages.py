#!/usr/bin/env python3
# Writes model/language_table.inc, the ISO 639-2 table the program carries on
# every platform, from Debian's iso-codes (iso_639-2.json): each language's
# bibliographic code, its terminology and two-letter codes, and its names.
# Usage: python3 tools/make-languages.py [/usr/share/iso-codes/json/iso_639-2.json]
import json
import sys
import unicodedata
from pathlib import Path

source = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/iso-codes/json/iso_639-2.json"
target = Path(__file__).resolve().parent.parent / "model" / "language_table.inc"


def folded(text):
    """Lower-case ASCII: accents dropped, as the lookup compares names."""
    plain = unicodedata.normalize("NFKD", text).encode("ascii", "ignore").decode()
    return plain.lower().strip()


def names_of(entry):
    """The full name and each of its ';'-separated names, the part before a
    comma or a parenthesis too ("Greek, Modern (1453-)" gives "greek"), and
    "Norwegian Bokmal" from "Bokmal, Norwegian"."""
    names = []
    for name in entry["name"].split(";"):
        name = folded(name)
        names.append(name)
        short = name.split("(")[0].strip()
        names.append(short)
        if "," in short:
            head, tail = [part.strip() for part in short.split(",", 1)]
            names.append(head)
            names.append(f"{tail} {head}")
    return [n for n in dict.fromkeys(names) if n]


entries = json.load(open(source, encoding="utf-8"))["639-2"]
# A short name shared by several entries goes to the one with a two-letter
# code (the living language: "greek" is modern Greek, not ancient).
owner = {}
for entry in sorted(entries, key=lambda e: "alpha_2" not in e):
    code = entry.get("bibliographic", entry["alpha_3"])
    for name in names_of(entry):
        owner.setdefault(name, code)

rows = []
for entry in entries:
    code = entry.get("bibliographic", entry["alpha_3"])
    names = [n for n in names_of(entry) if owner[n] == code]
    rows.append((code, entry["alpha_3"], entry.get("alpha_2", ""), "|".join(names)))

with open(target, "w", encoding="ascii", newline="\n") as out:
    out.write("// Made by tools/make-languages.py from iso-codes' iso_639-2.json: do not edit.\n")
    out.write("// bibliographic code, terminology code, two-letter code, folded names ('|' between).\n")
    for code, t, two, names in rows:
        out.write(f'{{"{code}", "{t}", "{two}", "{names}"}},\n')
print(f"{len(rows)} languages written to {target}")
