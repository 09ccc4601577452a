#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the pinyin data Tessaly ships in data/ from Debian's packaged sources, once:

  data/pinyin.txt          every character's readings (most usual first) and the phrases whose
                           readings the characters alone would not give, with tone marks
  data/char-frequency.txt  the characters by how often they are written, the most frequent first

Sources (Debian 12 packages):
  rime-data-pinyin-simp   pinyin_simp.dict.yaml: simplified phrases, syllables without tones, weights
  rime-data-terra-pinyin  terra_pinyin.dict.yaml: phrases with tones (traditional, Taiwan readings)
  unicode-data            Unihan: readings (kHanyuPinlu, kMandarin, kXHC1983) and simplified variants
  rime-essay              essay.txt: word frequencies (traditional), for the characters' ranks

Run:  python3 tools/make_pinyin_data.py [OUT_DIR]   (writes the two files, into data/ by default; the
      pinyin test makes them again into a folder of its own and compares)
"""

import bz2
import collections
import pathlib
import re
import sys

RIME = pathlib.Path("/usr/share/rime-data")
UNIHAN = pathlib.Path("/usr/share/unicode")
OUT = pathlib.Path(__file__).resolve().parent.parent / "data"

MARKS = {"a": "āáǎà", "e": "ēéěè", "i": "īíǐì", "o": "ōóǒò", "u": "ūúǔù", "ü": "ǖǘǚǜ"}


def marked(syllable):
    """'zhang3' -> 'zhǎng', 'lv4' -> 'lǜ', 'ge5' -> 'ge'."""
    syllable = syllable.replace("v", "ü").replace("u:", "ü")
    if not syllable or not syllable[-1].isdigit():
        return syllable
    tone = int(syllable[-1])
    base = syllable[:-1]
    if tone < 1 or tone > 4:
        return base
    # The mark goes on a or e; on the o of ou; otherwise on the last vowel.
    for vowel in ("a", "e"):
        if vowel in base:
            i = base.index(vowel)
            return base[:i] + MARKS[vowel][tone - 1] + base[i + 1:]
    if "ou" in base:
        i = base.index("ou")
        return base[:i] + MARKS["o"][tone - 1] + base[i + 1:]
    for i in range(len(base) - 1, -1, -1):
        if base[i] in MARKS:
            return base[:i] + MARKS[base[i]][tone - 1] + base[i + 1:]
    return base


UNMARK = {c: v for v, marks in MARKS.items() for c in marks}


def toneless(reading):
    return "".join(UNMARK.get(c, c) for c in reading).replace("ü", "v")


def unihan(name):
    with bz2.open(UNIHAN / name, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("U+"):
                code, field, value = line.rstrip("\n").split("\t", 2)
                yield chr(int(code[2:], 16)), field, value


def dict_entries(path):
    """The entries of a Rime dictionary: (text, syllables, weight or None)."""
    body = False
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not body:
                body = line == "..."
                continue
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) < 2:
                continue
            weight = None
            if len(parts) > 2 and parts[2]:
                w = parts[2].rstrip("%")
                try:
                    weight = float(w)
                except ValueError:
                    weight = None
            yield parts[0], parts[1].split(), weight


def main():
    global OUT
    if len(sys.argv) > 1:
        OUT = pathlib.Path(sys.argv[1])
    simplified = {}
    for char, field, value in unihan("Unihan_Variants.txt.bz2"):
        if field == "kSimplifiedVariant":
            targets = [chr(int(v[2:], 16)) for v in value.split()]
            if len(targets) == 1:
                simplified[char] = targets[0]

    def simp(text):
        return "".join(simplified.get(c, c) for c in text)

    # Each character's readings in the mainland's dictionaries, the most frequent first (Unihan:
    # kHanyuPinlu's counts, kMandarin's usual reading, then the other dictionaries' readings).
    pinlu = {}
    mandarin = {}
    others = collections.defaultdict(list)
    for char, field, value in unihan("Unihan_Readings.txt.bz2"):
        if field == "kHanyuPinlu":
            pinlu[char] = [(m.group(1), int(m.group(2))) for m in re.finditer(r"(\S+?)\((\d+)\)", value)]
        elif field == "kMandarin":
            mandarin[char] = value.split()
        elif field in ("kTGHZ2013", "kXHC1983", "kHanyuPinyin"):
            for part in value.split():
                for reading in part.split(":")[-1].split(","):
                    others[char].append(reading)

    def readings(char):
        order = [r for r, _ in sorted(pinlu.get(char, []), key=lambda kv: -kv[1])]
        order += mandarin.get(char, []) + others.get(char, [])
        seen = []
        for r in order:
            if r and r not in seen:
                seen.append(r)
        return seen

    # The simplified dictionary: each character's syllables by how often they are used, and the phrases.
    syllable_weights = collections.defaultdict(collections.Counter)
    simp_phrases = []
    written = set()
    for text, syllables, weight in dict_entries(RIME / "pinyin_simp.dict.yaml"):
        written.update(text)
        if len(text) == 1:
            syllable_weights[text][syllables[0].replace("u:", "v")] += weight or 0
        elif len(text) == len(syllables):
            simp_phrases.append((text, [x.replace("u:", "v") for x in syllables], weight or 0))

    chars = {}
    for char in written:
        if not "\u3400" <= char <= "\u9fff":
            continue
        r = readings(char)
        if not r:
            continue
        # The usual syllable first, with its most frequent tone; then the others.
        for syllable, _ in syllable_weights[char].most_common():
            # A toned reading before the neutral one of the same syllable.
            match = [x for x in r if toneless(x) == syllable and x != syllable]
            match += [x for x in r if x == syllable]
            if match:
                r = [match[0]] + [x for x in r if x != match[0]]
                break
        chars[char] = r

    # The toned dictionary (Taiwan's readings mostly) decides only between a character's mainland
    # readings of the same syllable (作为 zuò wéi, 应用 yìng yòng, 干净 gān jìng).
    terra_phrases = {}
    for text, syllables, weight in dict_entries(RIME / "terra_pinyin.dict.yaml"):
        if len(text) > 1 and len(text) == len(syllables):
            terra_phrases.setdefault(simp(text), [marked(x) for x in syllables])

    def toned_phrase(text, syllables, terra):
        toned = []
        for i, (c, syllable) in enumerate(zip(text, syllables)):
            # A neutral tone only where the dictionaries have nothing else: the corrections give the
            # neutral tones of words (葡萄 pú tao), not a dictionary's habit.
            match = [r for r in chars[c] if toneless(r) == syllable]
            match = [r for r in match if r != syllable] + [r for r in match if r == syllable]
            if len(match) > 1 and terra and terra[i] in match and terra[i] != syllable:
                toned.append(terra[i])
            else:
                toned.append(match[0] if match else chars[c][0])
        return toned

    phrases = {}
    best = {}
    for text, syllables, w in simp_phrases:
        if len(text) > 6 or any(c not in chars for c in text):
            continue
        if text in best and best[text] >= w:
            continue
        best[text] = w
        phrases[text] = toned_phrase(text, syllables, terra_phrases.get(text))
    for text, terra in terra_phrases.items():
        if text not in phrases and 2 <= len(text) <= 6 and all(c in chars for c in text):
            phrases[text] = toned_phrase(text, [toneless(t) for t in terra], terra)
    # Only the phrases that read otherwise than their characters alone are kept, and the ones that
    # stand over such a phrase's edge: longest match first must still find them.
    kept = {t: r for t, r in phrases.items() if r != [chars[c][0] for c in t]}

    with open(OUT / "pinyin.txt", "w", encoding="utf-8", newline="\n") as f:
        f.write("# Tessaly's pinyin: made by tools/make_pinyin_data.py from rime-data-pinyin-simp,\n"
                "# rime-data-terra-pinyin and unicode-data (Unihan). A character's readings, the most\n"
                "# usual first; a phrase's readings where its characters alone would read otherwise.\n")
        for char in sorted(chars):
            f.write(f"{char}\t{' '.join(chars[char])}\n")
        for text in sorted(kept):
            f.write(f"{text}\t{' '.join(kept[text])}\n")

    counts = collections.Counter()
    with open(RIME / "essay.txt", encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 2:
                continue
            text, n = parts
            for c in simp(text):
                if c in chars:
                    counts[c] += int(n)
    with open(OUT / "char-frequency.txt", "w", encoding="utf-8", newline="\n") as f:
        f.write("# The characters by how often they are written, the most frequent first: made by\n"
                "# tools/make_pinyin_data.py from rime-essay's essay.txt (traditional, turned simplified\n"
                "# by Unihan's variants). The sheets' 生字 pinyin reads the ranks.\n")
        for rank, (c, n) in enumerate(counts.most_common(6000), start=1):
            f.write(f"{c}\n")
    print(f"{len(chars)} characters, {len(kept)} phrases of {len(phrases)}; {min(6000, len(counts))} ranked",
          file=sys.stderr)


if __name__ == "__main__":
    main()
