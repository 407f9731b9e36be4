#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How often an offline recogniser understands the preview of the built-in rows, against espeak-ng
reading the same words itself.

Every built-in row whose word is in the pronouncing dictionary is rendered with `telvarctl render`
(the row's codes as mnemonics) and the word is rendered by espeak-ng from its spelling. The rows are
shuffled with a fixed seed and cut into samples of 40; pocketsphinx (US English model), held to a
grammar of the sample's 40 words, names each recording. With --passes N the shuffle is repeated N
times, so each row is heard among N different sets of rivals. Printed: rows recognised, espeak-ng
spellings recognised, and their ratio.

Needs: apt-get install python3-pocketsphinx pocketsphinx-en-us espeak-ng
Usage: bench/pronounce/recognition.py [--telvarctl PATH] [--rows N] [--passes N] [--seed N] [--show]
"""

import argparse
import audioop
import os
import random
import subprocess
import sys
import tempfile
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MODEL = "/usr/share/pocketsphinx/model/en-us"
SAMPLE = 40

# The chip's allophone mnemonics by code, from the editor's code table.
MNEMONICS = [
    "IY", "IH", "EY", "EH", "AY", "AX", "UX", "OH", "AW", "OW", "UH", "UW", "MM", "NE", "NO", "NGE",
    "NGO", "LE", "LO", "WW", "RR", "IYRR", "EYRR", "AXRR", "AWRR", "OWRR", "EYIY", "OHIY", "OWIY",
    "OHIH", "IYEH", "EHLE", "IYUW", "AXUW", "IHWW", "AYWW", "OWWW", "JH", "VV", "ZZ", "ZH", "DH", "BE",
    "BO", "EB", "OB", "DE", "DO", "ED", "OD", "GE", "GO", "EG", "OG", "CH", "HE", "HO", "WH", "FF",
    "SE", "SO", "SH", "TH", "TT", "TU", "TS", "KE", "KO", "EK", "OK", "PE", "PO",
]


def missing(what):
    sys.exit("recognition: %s is missing; install it with\n"
             "  apt-get install python3-pocketsphinx pocketsphinx-en-us espeak-ng" % what)


def dictionary_words():
    words = set()
    with open(os.path.join(MODEL, "cmudict-en-us.dict"), encoding="latin-1") as f:
        for line in f:
            key = line.split(" ", 1)[0]
            if "(" not in key:
                words.add(key)
    return words


def rows(words):
    found = []
    path = os.path.join(ROOT, "src/vocab/data/builtin-vocabulary.tsv")
    with open(path, encoding="latin-1") as f:
        for line in f:
            if line.startswith("#"):
                continue
            index, entry, codes = line.rstrip("\n").split("\t")
            word = entry.lower()
            if codes and word in words and word not in (w for w, _ in found):
                found.append((word, [int(c) for c in codes.split()]))
    return found


def mnemonic_text(codes):
    # Codes below the allophones (pauses, prosody) do not occur in spoken rows.
    return " ".join("\\" + MNEMONICS[c - 128] for c in codes if 128 <= c < 128 + len(MNEMONICS))


def pcm16k(path):
    with wave.open(path) as w:
        data = w.readframes(w.getnframes())
        rate = w.getframerate()
    return audioop.ratecv(data, 2, 1, rate, 16000, None)[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--telvarctl", default=os.path.join(ROOT, "build/telvarctl"))
    parser.add_argument("--rows", type=int, default=0, help="only the first N rows (0: all)")
    parser.add_argument("--passes", type=int, default=3)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", action="store_true", help="print each row the recogniser missed")
    args = parser.parse_args()
    try:
        from pocketsphinx.pocketsphinx import Decoder
    except ImportError:
        missing("python3-pocketsphinx")
    if not os.path.isdir(os.path.join(MODEL, "en-us")):
        missing("pocketsphinx-en-us")

    table = rows(dictionary_words())
    if args.rows:
        table = table[: args.rows]
    work = tempfile.mkdtemp(prefix="recognition-")
    env = dict(os.environ, XDG_CACHE_HOME=work)
    audio = {}
    for word, codes in table:
        ours = os.path.join(work, word + ".ours.wav")
        theirs = os.path.join(work, word + ".espeak.wav")
        subprocess.run([args.telvarctl, "--data-dir", work, "render", mnemonic_text(codes), "-o", ours],
                       check=True, env=env, stdout=subprocess.DEVNULL)
        subprocess.run(["espeak-ng", "-v", "en-us", "-w", theirs, word], check=True)
        audio[word] = (pcm16k(ours), pcm16k(theirs))

    config = Decoder.default_config()
    config.set_string("-hmm", os.path.join(MODEL, "en-us"))
    config.set_string("-dict", os.path.join(MODEL, "cmudict-en-us.dict"))
    config.set_string("-logfn", os.devnull)
    decoder = Decoder(config)

    def heard(pcm):
        decoder.start_utt()
        decoder.process_raw(pcm, False, True)
        decoder.end_utt()
        hyp = decoder.hyp()
        return hyp.hypstr.strip() if hyp else ""

    shuffler = random.Random(args.seed)
    words = [w for w, _ in table]
    ours = theirs = total = 0
    for _ in range(args.passes):
        shuffler.shuffle(words)
        for start in range(0, len(words), SAMPLE):
            sample = words[start:start + SAMPLE]
            if len(sample) < 2:
                continue
            decoder.set_jsgf_string("sample", "#JSGF V1.0;\ngrammar sample;\npublic <word> = %s;\n"
                                    % " | ".join(sample))
            decoder.set_search("sample")
            for word in sample:
                total += 1
                said = heard(audio[word][0])
                ours += said == word
                theirs += heard(audio[word][1]) == word
                if args.show and said != word:
                    print("  %-14s heard as %s" % (word, said or "-"))
    print("rows: %d built-in rows whose word is in the pronouncing dictionary, %d passes in samples of %d "
          "(seed %d), %d recognitions each way" % (len(table), args.passes, SAMPLE, args.seed, total))
    print("rows recognised (telvarctl render of the row): %d (%.1f%%)" % (ours, 100.0 * ours / total))
    print("espeak-ng spellings recognised: %d (%.1f%%)" % (theirs, 100.0 * theirs / total))
    print("ratio rows / espeak-ng: %.3f (goal >= 0.85)" % (ours / theirs if theirs else 0))


if __name__ == "__main__":
    main()
