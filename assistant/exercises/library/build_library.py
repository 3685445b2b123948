#!/usr/bin/env python3
"""Builds the shipped exercise files (assistant/exercises/files/*.wrx) from the area
descriptions beside this script, one .txt file per area.

An area description is UTF-8 text:

    Art: Term | Gleichung | Gleichung2     the kind of every exercise of the area

    Titel: Brüche addieren                 one block per exercise, in menu order,
    Text: Addiere die Brüche.              separated by blank lines
    Formel: [s/S]+[I/J]
    X: 2                                   value kind of x (PARAX__), optional
    T: 5                                   value kind of t (PARAT__), optional

Lines starting with "#" are comments. A formula is written on one line:

    ^c          c as a superscript (an exponent)
    ^{...}      several superscript characters
    √{...}      a square root over what the braces hold
    [a/b]       a fraction with numerator a and denominator b (each may hold ^c)

Every other character is a cell of the main row as it stands, placeholders included.
The output is what the assistant would write when it completes a file: every key of
section AUFGABE in the order of completion, UTF-16 with its byte-order mark and CRLF
lines, so that the Windows profile functions read every umlaut.

    python3 build_library.py          writes the files
    python3 build_library.py --check  fails when a committed file differs
"""

import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent / "files"

MAX_EXERCISES = 21
MAX_COLUMNS = 54
MAX_VALUE = 99

ROOT_OPEN, ROOT_CLOSE = "\u00e5", "\u00e6"
USED, TEXT, UNDER_ROOT, FRACTION, FILLER, SUPERSCRIPT = 0x20, 0x02, 0x01, 0x08, 0x10, 0x40
PLAIN = USED | TEXT
KINDS = ("Term", "Gleichung", "Gleichung2")


class FormulaError(ValueError):
    pass


def cells(text):
    """The characters of a numerator, denominator or root content with their flags."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "^":
            if text[i + 1:i + 2] == "{":
                end = text.index("}", i)
                out += [(ch, PLAIN | SUPERSCRIPT) for ch in text[i + 2:end]]
                i = end + 1
            else:
                out.append((text[i + 1], PLAIN | SUPERSCRIPT))
                i += 2
            continue
        if c in "[]√{}":
            raise FormulaError(f"{c!r} is not allowed here: {text!r}")
        out.append((c, PLAIN))
        i += 1
    return out


def closing(text, start, open_char, close_char):
    depth = 0
    for i in range(start, len(text)):
        if text[i] == open_char:
            depth += 1
        elif text[i] == close_char:
            depth -= 1
            if depth == 0:
                return i
    raise FormulaError(f"unclosed {open_char!r} in {text!r}")


def rows_of(formula):
    """The three template rows and their flag rows: upper, main, lower."""
    upper, main, lower = [], [], []

    def plain_column(ch, flags):
        main.append((ch, flags))
        upper.append((" ", USED))
        lower.append((" ", USED))

    i = 0
    while i < len(formula):
        c = formula[i]
        if c == "[":
            end = closing(formula, i, "[", "]")
            numerator, _, denominator = formula[i + 1:end].partition("/")
            top, bottom = cells(numerator), cells(denominator)
            if not top or not bottom:
                raise FormulaError(f"empty numerator or denominator in {formula!r}")
            width = max(len(top), len(bottom))
            for k in range(width):
                main.append((" ", USED | FRACTION))
                upper.append(top[k] if k < len(top) else (" ", USED | FILLER))
                lower.append(bottom[k] if k < len(bottom) else (" ", USED | FILLER))
            i = end + 1
        elif c == "√":
            if formula[i + 1:i + 2] != "{":
                raise FormulaError(f"a root needs braces: {formula!r}")
            end = closing(formula, i + 1, "{", "}")
            plain_column(ROOT_OPEN, PLAIN)
            for ch, flags in cells(formula[i + 2:end]):
                plain_column(ch, flags | UNDER_ROOT)
            plain_column(ROOT_CLOSE, PLAIN)
            i = end + 1
        elif c == "^":
            end = formula.index("}", i) + 1 if formula[i + 1:i + 2] == "{" else i + 2
            for ch, flags in cells(formula[i:end]):
                plain_column(ch, flags)
            i = end
        else:
            plain_column(c, PLAIN)
            i += 1
    if len(main) > MAX_COLUMNS:
        raise FormulaError(f"{formula!r} needs {len(main)} columns, a grid row has {MAX_COLUMNS}")
    rows = ["".join(ch for ch, _ in row) for row in (upper, main, lower)]
    flags = ["".join(chr(f) for _, f in row) for row in (upper, main, lower)]
    if not rows[0].strip() and not rows[2].strip():
        flags[0] = flags[2] = " " * len(main)
    return rows, flags


def read_area(path):
    kind = None
    exercises = []
    current = None
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        if line.startswith("#"):
            continue
        if not line:
            current = None
            continue
        key, sep, value = line.partition(":")
        if not sep:
            raise FormulaError(f"{path.name}:{number}: no key")
        key, value = key.strip(), value.strip()
        if key == "Art":
            kind = value
            continue
        if current is None:
            current = {"X": "-1", "T": "-1"}
            exercises.append(current)
        current[key] = value
    if kind not in KINDS:
        raise FormulaError(f"{path.name}: Art must be one of {KINDS}")
    if not 1 <= len(exercises) <= MAX_EXERCISES:
        raise FormulaError(f"{path.name}: 1 to {MAX_EXERCISES} exercises, not {len(exercises)}")
    for e in exercises:
        missing = {"Titel", "Text", "Formel"} - e.keys()
        if missing:
            raise FormulaError(f"{path.name}: exercise {e.get('Titel', '?')} lacks {sorted(missing)}")
        for key in ("Titel", "Text"):
            if len(e[key]) > MAX_VALUE:
                raise FormulaError(f"{path.name}: {key} of {e['Titel']} is longer than {MAX_VALUE} characters")
    return kind, exercises


def quoted(value):
    return '"' + value + '"' if value else ""


def file_text(kind, exercises):
    keys = {}
    for n, e in enumerate(exercises):
        rows, flags = rows_of(e["Formel"])
        for r in range(3):
            keys[f"AUFGABE{3 * n + r}"] = quoted(rows[r])
            keys[f"CHARTYP{3 * n + r}"] = quoted(flags[r])
        keys[f"TEXT___{n}"] = e["Text"]
        keys[f"TITEL__{n}"] = e["Titel"]
        keys[f"PARAX__{n}"] = e["X"]
        keys[f"PARAT__{n}"] = e["T"]
    lines = ["[AUFGABE]"]
    for stem in ("AUFGABE", "CHARTYP"):
        lines += [f"{stem}{n}={keys.get(f'{stem}{n}', '')}" for n in range(3 * MAX_EXERCISES)]
    for stem in ("TEXT___", "TITEL__"):
        lines += [f"{stem}{n}={keys.get(f'{stem}{n}', '')}" for n in range(MAX_EXERCISES)]
    lines += [f"TYP____{n}=0" for n in range(MAX_EXERCISES)]
    for stem in ("PARAX__", "PARAT__"):
        lines += [f"{stem}{n}={keys.get(f'{stem}{n}', '-1')}" for n in range(MAX_EXERCISES)]
    lines += [f"Anzahl={len(exercises)}", f"TermTyp={kind}"]
    return "\r\n".join(lines) + "\r\n"


def main():
    check = "--check" in sys.argv[1:]
    wanted = {}
    for source in sorted(HERE.glob("*.txt")):
        kind, exercises = read_area(source)
        wanted[source.stem + ".wrx"] = b"\xff\xfe" + file_text(kind, exercises).encode("utf-16-le")
    stale = []
    for name, data in wanted.items():
        target = OUT / name
        if target.exists() and target.read_bytes() == data:
            continue
        if check:
            stale.append(name)
        else:
            target.write_bytes(data)
    extra = sorted(p.name for p in OUT.glob("*.wrx") if p.name not in wanted)
    if check and (stale or extra):
        for name in stale:
            print(f"{name} differs from its description; run {pathlib.Path(__file__).name}", file=sys.stderr)
        for name in extra:
            print(f"{name} has no description", file=sys.stderr)
        return 1
    if not check:
        for name in extra:
            (OUT / name).unlink()
    return 0


if __name__ == "__main__":
    sys.exit(main())
