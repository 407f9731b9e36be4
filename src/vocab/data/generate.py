#!/usr/bin/env python3
"""Writes builtin-vocabulary.tsv, the vocabulary compiled into telvar.

Run it from anywhere after changing words.txt, respellings.txt, fixed-rows.txt or the mapping below:

    python3 src/vocab/data/generate.py            # rewrites src/vocab/data/builtin-vocabulary.tsv
    python3 src/vocab/data/generate.py -o FILE    # writes FILE instead
    python3 src/vocab/data/generate.py --check    # exit status 1 if the committed file is out of date

It needs Debian's pocketsphinx-en-us (the CMU pronouncing dictionary) and espeak-ng, used for the few
words that the dictionary lacks. Without either it exits with status 77. The same inputs and the same
packages give the same file, byte for byte.

Each word's pronunciation (ARPAbet) is turned into SpeakJet allophones 128-199; stops, nasals, L, S and
H take the allophone whose example words share the sound's place in the word and its neighbouring
vowel. A row holds at most ten codes; longer words keep their first ten.
"""

import argparse
import re
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
CMUDICT = Path("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
SKIP = 77

SPOKEN_ENTRIES = 2048  # words.txt: entries 0-2047
WORD_ENTRIES = 2051  # entries 2048-2050 of the word list are empty
ROWS = 2055  # rows 2051-2054 have no word-list entry
ROW_LENGTH = 10

VOWELS = {"AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW",
          "IYRR", "EYRR", "AWRR", "OWRR", "YUW", "EHLE"}
# Vowels made at the front of the mouth pick the "E" forms of a neighbouring consonant.
FRONT = {"IY", "IH", "EY", "EH", "AE", "ER", "IYRR", "EYRR", "EHLE", "Y"}
# Vowels after which a stop that closes the syllable takes its "O" form (Bob, Sub, Bud, Food, Dog, Book).
BACK_BEFORE_STOP = {"AA", "AO", "AH", "OW", "UW", "UH", "AW", "OY", "AWRR", "OWRR"}
# Rounded and open back vowels that colour L (Clock, Plus, Hello), N (No, On) and S (So, Sweat).
BACK = {"AA", "AO", "OW", "UW", "UH", "AW", "OY", "AWRR", "OWRR"}
GLIDES = {"L", "R", "W", "Y"}
VOICELESS = {"P", "T", "K", "F", "TH", "S", "SH", "CH", "HH", "TS"}

# A vowel followed by R becomes one R-coloured allophone (Corn, Part, Hair, Clear).
R_COLOURED = {"AA": "AWRR", "AO": "OWRR", "UH": "OWRR", "EH": "EYRR", "EY": "EYRR", "IH": "IYRR",
              "IY": "IYRR"}

CODE = {
    "IY": 128, "IH": 129, "EY": 130, "EH": 131, "AY": 132, "AX": 133, "UX": 134, "AW": 135, "OH": 136,
    "OW": 137, "UH": 138, "UW": 139, "MM": 140, "NE": 141, "NO": 142, "NGE": 143, "NGO": 144,
    "LE": 145, "LO": 146, "WW": 147, "RR": 148, "IYRR": 149, "EYRR": 150, "AXRR": 151, "AWRR": 152,
    "OWRR": 153, "EYIY": 154, "OHIY": 155, "OWIY": 156, "OHIH": 157, "IYEH": 158, "EHLE": 159,
    "IYUW": 160, "AXUW": 161, "IHWW": 162, "AYWW": 163, "OWWW": 164, "JH": 165, "VV": 166, "ZZ": 167,
    "ZH": 168, "DH": 169, "BE": 170, "BO": 171, "EB": 172, "OB": 173, "DE": 174, "DO": 175, "ED": 176,
    "OD": 177, "GE": 178, "GO": 179, "EG": 180, "OG": 181, "CH": 182, "HE": 183, "HO": 184, "WH": 185,
    "FF": 186, "SE": 187, "SO": 188, "SH": 189, "TH": 190, "TT": 191, "TU": 192, "TS": 193, "KE": 194,
    "KO": 195, "EK": 196, "OK": 197, "PE": 198, "PO": 199,
}

# espeak-ng's phoneme names (as `espeak-ng -x -v en-us` prints them) in ARPAbet.
ESPEAK = {
    "aI@": ["AY", "ER"], "aU@": ["AW", "ER"], "i@3": ["IY", "R"], "i@": ["IY", "R"], "e@": ["EH", "R"],
    "A@": ["AA", "R"], "O@": ["AO", "R"], "o@": ["AO", "R"], "U@": ["UH", "R"], "3:": ["ER"],
    "3": ["ER"], "A:": ["AA"], "O:": ["AO"], "u:": ["UW"], "i:": ["IY"], "aI": ["AY"], "aU": ["AW"],
    "eI": ["EY"], "OI": ["OY"], "oU": ["OW"], "@L": ["AH", "L"], "@2": ["AH"], "@5": ["AH"],
    "@": ["AH"], "V": ["AH"], "I2": ["IH"], "I": ["IH"], "i": ["IY"], "E": ["EH"], "aa": ["AE"],
    "a": ["AE"], "0": ["AA"], "U": ["UH"], "u": ["UW"], "O": ["AO"], "A": ["AA"], "e": ["EH"],
    "o": ["OW"], "tS": ["CH"], "dZ": ["JH"], "p": ["P"], "b": ["B"], "t": ["T"], "d": ["D"],
    "k": ["K"], "g": ["G"], "f": ["F"], "v": ["V"], "T": ["TH"], "D": ["DH"], "s": ["S"], "z": ["Z"],
    "S": ["SH"], "Z": ["ZH"], "h": ["HH"], "m": ["M"], "n": ["N"], "N": ["NG"], "l": ["L"],
    "r": ["R"], "j": ["Y"], "w": ["W"], "x": ["K"], "?": [],
}
ESPEAK_MARKS = re.compile(r"[',%=_|#;!\-]")


def read_lines(path):
    """The meaningful lines of one of the input files: comments and blank lines dropped."""
    return [line for line in path.read_text(encoding="ascii").splitlines()
            if line.strip() and not line.startswith("#")]


def load_cmudict(path):
    entries = {}
    for line in path.read_text(encoding="latin-1").splitlines():
        key, *phones = line.split()
        entries[key] = phones
    return entries


def espeak_phones(word):
    out = subprocess.run(["espeak-ng", "-q", "-x", "-v", "en-us", word.lower()], check=True,
                         capture_output=True, text=True).stdout
    text = ESPEAK_MARKS.sub("", out.strip())
    names = sorted(ESPEAK, key=len, reverse=True)
    phones = []
    while text:
        name = next((n for n in names if text.startswith(n)), None)
        if name is None:
            sys.exit(f"generate.py: espeak-ng phoneme '{text}' in '{word}' has no ARPAbet mapping")
        for phone in ESPEAK[name]:
            # "U@r", "3:r": the R of an R-coloured vowel is written twice
            if not (phone == "R" and phones and phones[-1] in ("R", "ER")):
                phones.append(phone)
        text = text[len(name):]
    return phones


def vowel_letter_groups(spelling):
    groups = re.findall(r"[aeiou]+|(?<=[^aeiou])y", spelling)
    if len(groups) > 1 and re.search(r"[^aeiou]e$", spelling):
        groups.pop()  # a silent final e
    return groups


def spelled_vowel(spelling, phones, position):
    """The letters that spell the vowel phones[position], found by lining up vowel letters and sounds."""
    vowel_positions = [i for i, p in enumerate(phones) if p in VOWELS]
    groups = vowel_letter_groups(spelling) or [spelling]
    k = vowel_positions.index(position)
    if len(groups) != len(vowel_positions):
        k = round(k * (len(groups) - 1) / max(1, len(vowel_positions) - 1))
    return groups[k]


def merge(phones):
    """Joins the sound pairs that the chip speaks as one allophone."""
    out = []
    i = 0
    while i < len(phones):
        p = phones[i]
        nxt = phones[i + 1] if i + 1 < len(phones) else None
        after = phones[i + 2] if i + 2 < len(phones) else None
        if p == "Y" and (nxt == "UW" or nxt == "UH" and after != "R"):
            out.append("YUW")
            i += 2
        elif nxt == "R" and p in R_COLOURED and (p == "AO" or after not in VOWELS):
            out.append(R_COLOURED[p])
            i += 2
        elif p == "T" and nxt == "S" and after is None:
            out.append("TS")
            i += 2
        elif nxt == "L" and ((p == "EH" and after not in VOWELS) or (p == "AH" and after is None)):
            out.append("EHLE")
            i += 2
        else:
            out.append(p)
            i += 1
    return out


def allophones(word, phones):
    """The allophone names for one word."""
    spelling = word.lower()
    phones = merge(phones)
    names = []
    for i, p in enumerate(phones):
        prev = next((q for q in reversed(phones[:i]) if q in VOWELS), None)
        nxt = phones[i + 1] if i + 1 < len(phones) else None
        is_onset = nxt in VOWELS or nxt in GLIDES
        first_vowel = prev is None

        if p in ("P", "B", "D", "G", "K"):
            if is_onset or prev is None:
                if nxt not in VOWELS:  # a cluster such as Pl, Br, Cl, Gl
                    name = {"P": "PO", "B": "BO", "D": "DO", "G": "GO",
                            "K": "KE" if nxt == "L" else "KO"}[p]
                elif nxt in FRONT or (p == "P" and nxt == "YUW"):
                    name = {"P": "PE", "B": "BE", "D": "DE", "G": "GE", "K": "KE"}[p]
                else:
                    name = {"P": "PO", "B": "BO", "D": "DO", "G": "GO", "K": "KO"}[p]
            elif p == "P":
                name = "PO"
            elif prev in BACK_BEFORE_STOP:
                name = {"B": "OB", "D": "OD", "G": "OG", "K": "OK"}[p]
            else:
                name = {"B": "EB", "D": "ED", "G": "EG", "K": "EK"}[p]
        elif p == "T":
            name = "TU" if i == 0 and is_onset else "TT"
        elif p == "S":
            name = "SO" if nxt in BACK or nxt == "W" else "SE"
        elif p == "HH":
            name = "HE" if nxt in FRONT else "HO"
        elif p == "W":
            name = "WH" if i == 0 and spelling.startswith("wh") else "WW"
        elif p == "Y":
            name = "IYEH"
        elif p == "L":
            name = "LO" if nxt in BACK or nxt == "AH" else "LE"
        elif p == "N":
            name = "NO" if (nxt in BACK if nxt in VOWELS else prev in BACK) else "NE"
        elif p == "NG":
            name = "NGE" if prev in FRONT else "NGO"
        elif p == "ER":
            rest = phones[i + 1:]
            unstressed_ending = all(q in ("Z", "D", "S", "T") for q in rest) or nxt in VOWELS
            name = "AXRR" if first_vowel or not unstressed_ending else "RR"
        elif p == "EY":
            name = "EYIY"
        elif p == "AE":
            name = "AY"
        elif p == "AH":
            name = "AX"
        elif p == "AA":
            name = "OH" if "o" in spelled_vowel(spelling, phones, i) else "AW"
        elif p == "AO":
            name = "OH" if spelled_vowel(spelling, phones, i) == "o" else "AW"
        elif p == "OW":
            name = "OWWW" if nxt is None or nxt in VOWELS else "OW"
        elif p == "UW":
            name = "IHWW" if nxt is None else "UW"
        elif p == "AY":
            name = "OHIY" if nxt in VOICELESS else "OHIH"
        elif p == "AW":
            name = "AYWW" if i == 0 else "AXUW"
        elif p == "OY":
            name = "OWIY"
        elif p == "YUW":
            name = "IYUW"
        else:
            name = {"IY": "IY", "IH": "IH", "EH": "EH", "UH": "UH", "IYRR": "IYRR", "EYRR": "EYRR",
                    "AWRR": "AWRR", "OWRR": "OWRR", "EHLE": "EHLE", "M": "MM", "R": "RR", "F": "FF",
                    "V": "VV", "Z": "ZZ", "ZH": "ZH", "DH": "DH", "TH": "TH", "SH": "SH", "CH": "CH",
                    "JH": "JH", "TS": "TS"}[p]
        names.append(name)
    return names


class Pronouncer:
    def __init__(self, cmudict, respellings):
        self.cmudict = cmudict
        self.respellings = respellings

    def phones(self, key):
        """ARPAbet of one dictionary key ("night", "a(2)"), or of espeak-ng's reading of it."""
        if key in self.cmudict:
            return self.cmudict[key]
        return espeak_phones(key)

    def codes(self, entry):
        codes = []
        for word in entry.split(" "):
            for key in self.respellings.get(word, word.lower()).split():
                spelling = re.sub(r"\(\d+\)$", "", key)
                codes += [CODE[name] for name in allophones(spelling, self.phones(key))]
        return codes[:ROW_LENGTH]


def build(words, respellings, fixed, cmudict):
    pronouncer = Pronouncer(cmudict, respellings)
    entries = words + [""] * (WORD_ENTRIES - len(words))
    lines = ["# The built-in vocabulary: word index, word-list entry, SpeakJet codes up to the first pad.",
             "# Written by generate.py from words.txt, respellings.txt and fixed-rows.txt; do not edit."]
    for index in range(ROWS):
        entry = entries[index] if index < WORD_ENTRIES else ""
        if index in fixed:
            codes = fixed[index]
        elif entry:
            codes = pronouncer.codes(entry)
        else:
            codes = []
        lines.append(f"{index}\t{entry}\t{' '.join(map(str, codes))}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", type=Path, default=HERE / "builtin-vocabulary.tsv")
    parser.add_argument("--cmudict", type=Path, default=CMUDICT)
    parser.add_argument("--check", action="store_true",
                        help="compare with the output file instead of writing it")
    args = parser.parse_args()

    if not args.cmudict.is_file():
        print(f"generate.py: {args.cmudict} is missing (install pocketsphinx-en-us)", file=sys.stderr)
        return SKIP
    if shutil.which("espeak-ng") is None:
        print("generate.py: espeak-ng is missing (install espeak-ng)", file=sys.stderr)
        return SKIP

    words = read_lines(HERE / "words.txt")
    if len(words) != SPOKEN_ENTRIES:
        sys.exit(f"generate.py: words.txt holds {len(words)} entries, not {SPOKEN_ENTRIES}")
    respellings = dict(line.split("\t") for line in read_lines(HERE / "respellings.txt"))
    fixed = {int(i): [int(c) for c in codes.split()]
             for i, codes in (line.split("\t") for line in read_lines(HERE / "fixed-rows.txt"))}
    data = build(words, respellings, fixed, load_cmudict(args.cmudict)).encode("ascii")
    if not args.check:
        args.output.write_bytes(data)
        return 0
    committed = args.output.read_bytes() if args.output.is_file() else b""
    if committed == data:
        return 0
    old_lines, new_lines = committed.splitlines(), data.splitlines()
    line = next((n for n, (a, b) in enumerate(zip(old_lines, new_lines)) if a != b),
                min(len(old_lines), len(new_lines)))
    print(f"generate.py: {args.output} differs from what the generator writes, first at line {line + 1};"
          " run generate.py to rewrite it", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
