#!/usr/bin/env python3
"""Makes the compact form of the string tables that the DLL carries.

Reads the table sources (src/l10n/tables/*.cpp, one `const StringTable NAME_strings{...};` of
u8"..." literals each), joins their texts into one stream with related languages side by side, so
that what they share is stored once, compresses it in the format of src/l10n/compact_text.h and
writes a C++ source with the stream and one StringTable per language.

Usage: make-string-tables.py --output FILE TABLE_SOURCE...
Standard library only; the build runs it whenever a table source changes.
"""

import argparse
import itertools
import pathlib
import re
import sys

# Languages that share words and letters next to each other: a match with a
# near source costs fewer bits. Tables not named here follow in name order.
STREAM_ORDER = [
    "english", "german", "french", "italian", "spanish", "portuguese", "romanian", "hungarian",
    "estonian", "latvian", "lithuanian", "polish", "czech", "slovak", "slovenian", "croatian",
    "serbian", "russian", "bulgarian",
]

# The format's constants, as in src/l10n/compact_text.h.
LOW_DISTANCE_BITS = 7
MIN_MATCH = 2
# Lengths tried one by one for each match; a longer match is taken whole. Keeps
# the parse linear on long runs for a loss of a few bits at most.
LENGTHS_TRIED = 32


class TableError(Exception):
    """A table source that cannot be read as the tables must be written."""


TOKEN = re.compile(r"""
      (?P<space>\s+)
    | (?P<comment>//[^\n]*|/\*.*?\*/)
    | (?P<literal>(?P<prefix>[A-Za-z0-9_]*)"(?P<body>(?:[^"\\\n]|\\.)*)")
    | (?P<word>[A-Za-z_][A-Za-z0-9_]*)
    | (?P<other>.)
""", re.S | re.X)

SIMPLE_ESCAPES = {"n": 0x0A, "r": 0x0D, "t": 0x09, "a": 0x07, "b": 0x08, "f": 0x0C, "v": 0x0B,
                  "\\": 0x5C, '"': 0x22, "'": 0x27, "?": 0x3F}
ESCAPE = re.compile(r"\\(?:(?P<simple>[nrtabfv\\\"'?])|(?P<octal>[0-7]{1,3})|x(?P<hex>[0-9A-Fa-f]+)"
                    r"|u(?P<u4>[0-9A-Fa-f]{4})|U(?P<u8>[0-9A-Fa-f]{8}))")


def literal_bytes(body, where):
    """The UTF-8 bytes of one literal's body, escapes resolved as a C++ compiler does."""
    out = bytearray()
    at = 0
    while at < len(body):
        backslash = body.find("\\", at)
        if backslash < 0:
            out += body[at:].encode("utf-8")
            break
        out += body[at:backslash].encode("utf-8")
        escape = ESCAPE.match(body, backslash)
        if escape is None:
            raise TableError(f"{where}: unknown escape {body[backslash:backslash + 2]!r}")
        if escape["simple"]:
            out.append(SIMPLE_ESCAPES[escape["simple"]])
        elif escape["octal"] or escape["hex"]:
            value = int(escape["octal"], 8) if escape["octal"] else int(escape["hex"], 16)
            if value > 0xFF:
                raise TableError(f"{where}: escape {escape.group()!r} does not fit a byte")
            out.append(value)
        else:
            code_point = int(escape["u4"] or escape["u8"], 16)
            if 0xD800 <= code_point <= 0xDFFF or code_point > 0x10FFFF:
                raise TableError(f"{where}: {escape.group()!r} names no character")
            out += chr(code_point).encode("utf-8")
        at = escape.end()
    return bytes(out)


def read_table(text, where):
    """(name, texts) of a table source: its NAME_strings and the bytes of its texts,
    each ended by a zero byte."""
    tokens = []
    for token in TOKEN.finditer(text):
        if token["space"] is None and token["comment"] is None:
            tokens.append(token)
    starts = [i for i in range(len(tokens) - 2)
              if tokens[i]["word"] == "StringTable" and tokens[i + 1]["word"]
              and tokens[i + 2]["other"] == "{"]
    if len(starts) != 1:
        raise TableError(f"{where}: {len(starts)} StringTable definitions, expected one")
    name = tokens[starts[0] + 1]["word"]
    if not name.endswith("_strings"):
        raise TableError(f"{where}: the table {name} is not named LANGUAGE_strings")
    texts = bytearray()
    for token in tokens[starts[0] + 3:]:
        if token["other"] == "}":
            break
        if token["literal"] is None or token["prefix"] not in ("", "u8"):
            raise TableError(f"{where}: {token.group()[:40]!r} in the table, where only u8\"...\" texts belong")
        line = text.count("\n", 0, token.start()) + 1
        texts += literal_bytes(token["body"], f"{where}:{line}")
    else:
        raise TableError(f"{where}: the table has no closing brace")
    if not texts.endswith(b"\0"):
        raise TableError(f"{where}: the last text is not ended by \\0")
    try:
        texts.decode("utf-8")
    except UnicodeDecodeError as error:
        raise TableError(f"{where}: not UTF-8 at byte {error.start} of the table") from None
    return name[:-len("_strings")], bytes(texts)


def stream_order(names):
    known = [name for name in STREAM_ORDER if name in names]
    return known + sorted(name for name in names if name not in STREAM_ORDER)


# ---- The compact format -----------------------------------------------------------------------

def gamma_bits(value):
    return 2 * value.bit_length() - 1


def match_bits(length, distance):
    return 1 + gamma_bits(length - 1) + gamma_bits(((distance - 1) >> LOW_DISTANCE_BITS) + 1) + LOW_DISTANCE_BITS


def longest_matches(data):
    """For each position, the matches worth having: (length, distance) with every
    longer match further back, so each is the nearest source of its length."""
    latest = {}
    chains = [-1] * len(data)
    found = []
    carried = None
    for at in range(len(data)):
        key = data[at:at + MIN_MATCH]
        if carried is not None and carried[0] > LENGTHS_TRIED:
            # Inside a long match: its rest is the one worth having, and
            # searching again at every byte of it would take quadratic time.
            carried = (carried[0] - 1, carried[1])
            found.append([carried])
        else:
            candidates = []
            best = MIN_MATCH - 1
            source = latest.get(key, -1) if len(key) == MIN_MATCH else -1
            room = len(data) - at
            while source >= 0 and best < room:
                length = MIN_MATCH
                while length < room and data[source + length] == data[at + length]:
                    length += 1
                if length > best:
                    candidates.append((length, at - source))
                    best = length
                source = chains[source]
            found.append(candidates)
            carried = candidates[-1] if candidates else None
        if len(key) == MIN_MATCH:
            chains[at] = latest.get(key, -1)
            latest[key] = at
    return found


def compress(data):
    """The stream: the parse with the fewest bits, then those bits, highest first."""
    size = len(data)
    cost = [0] + [None] * size
    step = [None] * (size + 1)
    for at, matches in enumerate(longest_matches(data)):
        def offer(end, bits, choice):
            if cost[end] is None or bits < cost[end]:
                cost[end] = bits
                step[end] = choice
        offer(at + 1, cost[at] + 9, (at, 0, 0))
        shortest = MIN_MATCH
        for length, distance in matches:
            lengths = list(range(shortest, min(length, LENGTHS_TRIED) + 1))
            if length > LENGTHS_TRIED:
                lengths.append(length)
            for tried in lengths:
                offer(at + tried, cost[at] + match_bits(tried, distance), (at, tried, distance))
            shortest = length + 1
    items = []
    end = size
    while end > 0:
        items.append(step[end])
        end = step[end][0]
    bits = BitWriter()
    for at, length, distance in reversed(items):
        if length == 0:
            bits.write(0, 1)
            bits.write(data[at], 8)
        else:
            bits.write(1, 1)
            bits.gamma(length - 1)
            bits.gamma(((distance - 1) >> LOW_DISTANCE_BITS) + 1)
            bits.write((distance - 1) & ((1 << LOW_DISTANCE_BITS) - 1), LOW_DISTANCE_BITS)
    return bits.finish()


class BitWriter:
    def __init__(self):
        self.bytes = bytearray()
        self.count = 0

    def write(self, value, width):
        for shift in reversed(range(width)):
            if self.count % 8 == 0:
                self.bytes.append(0)
            self.bytes[-1] |= ((value >> shift) & 1) << (7 - self.count % 8)
            self.count += 1

    def gamma(self, value):
        self.write(0, value.bit_length() - 1)
        self.write(value, value.bit_length())

    def finish(self):
        return bytes(self.bytes)


def decompress(stream, size):
    """The bytes a stream holds, as the C++ decoder reads them; None if it cannot."""
    position = 0

    def bit():
        nonlocal position
        if position >= 8 * len(stream):
            raise IndexError
        value = (stream[position // 8] >> (7 - position % 8)) & 1
        position += 1
        return value

    def bits(width):
        value = 0
        for _ in range(width):
            value = value << 1 | bit()
        return value

    def gamma():
        zeros = 0
        while bit() == 0:
            zeros += 1
        return 1 << zeros | bits(zeros)

    out = bytearray()
    try:
        while len(out) < size:
            if bit() == 0:
                out.append(bits(8))
                continue
            length = gamma() + 1
            distance = ((gamma() - 1) << LOW_DISTANCE_BITS | bits(LOW_DISTANCE_BITS)) + 1
            if distance > len(out) or length > size - len(out):
                return None
            for _ in range(length):
                out.append(out[-distance])
    except IndexError:
        return None
    return bytes(out)


# ---- The generated source ---------------------------------------------------------------------

def cpp_source(names, text_count, stream, decoded_size, ends):
    rows = [", ".join(f"0x{byte:02X}" for byte in stream[at:at + 16]) for at in range(0, len(stream), 16)]
    lines = [
        "// Made by scripts/make-string-tables.py from src/l10n/tables/*.cpp: edit those, not this.",
        "#include <cstddef>",
        "#include <cstdint>",
        "",
        '#include "l10n/string_tables.h"',
        "",
        "namespace lanternbook {",
        "",
        f"static_assert(kTextCount == {text_count}, \"src/l10n/texts.h counts {text_count} texts, "
        f"as many as every table source holds\");",
        "",
        "namespace {",
        f"const uint8_t kStream[{len(stream)}] = {{",
        *(f"    {row}," for row in rows),
        "};",
        "}  // namespace",
        "",
        f"const CompactText kStringTableStream{{kStream, sizeof kStream, {decoded_size}}};",
        "",
        *(f"const StringTable {name}_strings{{{place * text_count}, {end}}};"
          for place, (name, end) in enumerate(zip(names, ends))),
        "",
        "}  // namespace lanternbook",
        "",
    ]
    return "\n".join(lines)


def generate(paths):
    tables = {}
    for path in paths:
        name, texts = read_table(pathlib.Path(path).read_text(encoding="utf-8"), str(path))
        if name in tables:
            raise TableError(f"{path}: a second table named {name}_strings")
        tables[name] = (path, texts)
    if not tables:
        raise TableError("no table sources given")
    counts = {name: texts.count(0) for name, (_, texts) in tables.items()}
    if len(set(counts.values())) != 1:
        listed = ", ".join(f"{tables[name][0]} {count}" for name, count in sorted(counts.items()))
        raise TableError(f"the tables hold different numbers of texts: {listed}")
    names = stream_order(tables)
    data = b"".join(tables[name][1] for name in names)
    stream = compress(data)
    if decompress(stream, len(data)) != data:
        raise TableError("the compressed stream does not give the tables back")
    ends = list(itertools.accumulate(len(tables[name][1]) for name in names))
    return cpp_source(names, counts[names[0]], stream, len(data), ends), len(data), len(stream)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", required=True, type=pathlib.Path)
    parser.add_argument("sources", nargs="+", type=pathlib.Path)
    options = parser.parse_args(argv)
    try:
        source, _, _ = generate(options.sources)
    except (TableError, OSError, UnicodeDecodeError) as error:
        print(f"make-string-tables.py: {error}", file=sys.stderr)
        return 1
    options.output.parent.mkdir(parents=True, exist_ok=True)
    options.output.write_text(source, encoding="utf-8", newline="\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
