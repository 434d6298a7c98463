#!/usr/bin/env python3
"""The string-table generator: how it reads table sources, what it refuses,
and that its compressed stream gives back what it was given."""

import contextlib
import importlib.util
import io
import pathlib
import random
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
# Loaded by path: the script's name is no module name.
_found = importlib.util.spec_from_file_location("make_string_tables", ROOT / "scripts" / "make-string-tables.py")
tables = importlib.util.module_from_spec(_found)
_found.loader.exec_module(tables)


def source(body, name="english"):
    return f'#include "l10n/string_tables.h"\n\nnamespace lanternbook {{\n\nconst StringTable {name}_strings{{\n{body}\n}};\n\n}}\n'


class Reading(unittest.TestCase):
    CASES = [
        # (table body, the bytes of its texts)
        ('u8"One\\0"  // 1\n    u8"Two\\0"  // 2', b"One\0Two\0"),
        ('u8"Adjacent " u8"literals join"\n    u8" over lines\\0"', b"Adjacent literals join over lines\0"),
        ('u8"\\n \\r \\t \\" \\\\ \\\' \\?\\0"', b"\n \r \t \" \\ ' ?\0"),
        ('u8"\\u00A7 \\u2026 \\U0001F600\\0"', "\u00a7 \u2026 \U0001f600\0".encode()),
        ('u8"\\101\\x42\\0"', b"AB\0"),
        ('u8"\\0012\\0"', b"\x012\0"),  # an octal escape takes at most three digits
        ('u8"Ünïcödé and Кирилица\\0"', "Ünïcödé and Кирилица\0".encode()),
        ('u8"\\0"\n    u8"\\0"\n    u8"x\\0"', b"\0\0x\0"),
        ('// "a quote" in a comment, and u8"one"\n    u8"Text\\0" /* u8"not this" */', b"Text\0"),
        ('"plain\\0"', b"plain\0"),
    ]

    def test_texts_are_the_bytes_a_compiler_makes(self):
        for body, expected in self.CASES:
            with self.subTest(body=body):
                self.assertEqual(tables.read_table(source(body), "t.cpp"), ("english", expected))

    def test_refuses_what_is_no_table_text(self):
        cases = [
            ('u8"\\q\\0"', "unknown escape"),
            ('u8"\\uD800\\0"', "names no character"),
            ('u8"\\x1FF\\0"', "does not fit a byte"),
            ('u8"\\xFF\\0"', "not UTF-8"),
            ('L"wide\\0"', "only u8"),
            ('u8"one\\0",\n    u8"two\\0"', "only u8"),
            ('u8"no end"', "not ended by \\\\0"),
        ]
        for body, message in cases:
            with self.subTest(body=body):
                with self.assertRaisesRegex(tables.TableError, message):
                    tables.read_table(source(body), "t.cpp")

    def test_refuses_a_file_without_exactly_one_table(self):
        with self.assertRaisesRegex(tables.TableError, "0 StringTable definitions"):
            tables.read_table("namespace lanternbook {}\n", "t.cpp")
        with self.assertRaisesRegex(tables.TableError, "2 StringTable definitions"):
            tables.read_table(source('u8"a\\0"') + source('u8"b\\0"', "german"), "t.cpp")
        with self.assertRaisesRegex(tables.TableError, "not named LANGUAGE_strings"):
            tables.read_table(source('u8"a\\0"').replace("english_strings", "english"), "t.cpp")

    def test_the_error_names_the_line(self):
        with self.assertRaisesRegex(tables.TableError, r"t\.cpp:7: unknown escape"):
            tables.read_table(source('u8"fine\\0"\n    u8"\\q\\0"'), "t.cpp")


class Compression(unittest.TestCase):
    def test_round_trip(self):
        rng = random.Random(5)
        cases = {
            "empty": b"",
            "one byte": b"x",
            "a long run": b"a" * 5000,
            "random bytes": bytes(rng.randrange(256) for _ in range(3000)),
            "a repeat far back": bytes(rng.randrange(256) for _ in range(20000)) * 2,
            "text": "Format will erase all the data stored in the device.\0".encode() * 40,
        }
        for name, data in cases.items():
            with self.subTest(name):
                stream = tables.compress(data)
                self.assertEqual(tables.decompress(stream, len(data)), data)

    def test_decompress_refuses_what_does_not_fit(self):
        stream = tables.compress(b"abcabcabc")
        self.assertIsNone(tables.decompress(stream, 10))
        self.assertIsNone(tables.decompress(stream[:-1], 9))
        self.assertEqual(tables.decompress(stream, 3), b"abc")


class Generation(unittest.TestCase):
    def write(self, folder, name, body):
        path = pathlib.Path(folder) / f"{name}.cpp"
        path.write_text(source(body, name), encoding="utf-8")
        return path

    def test_tables_go_in_kinship_order_with_their_first_text_and_end(self):
        with tempfile.TemporaryDirectory() as folder:
            paths = [self.write(folder, name, f'u8"{name}\\0"\n    u8"x\\0"')
                     for name in ("klingon", "russian", "english", "german")]
            generated, decoded_size, _ = tables.generate(paths)
        self.assertIn("static_assert(kTextCount == 2,", generated)
        order = [line.split(maxsplit=2)[2] for line in generated.splitlines() if line.startswith("const StringTable")]
        self.assertEqual(order, ["english_strings{0, 10};", "german_strings{2, 19};", "russian_strings{4, 29};",
                                 "klingon_strings{6, 39};"])
        self.assertEqual(decoded_size, len(b"english\0x\0german\0x\0russian\0x\0klingon\0x\0"))

    def test_refuses_tables_of_different_lengths(self):
        with tempfile.TemporaryDirectory() as folder:
            paths = [self.write(folder, "english", 'u8"a\\0"\n    u8"b\\0"'), self.write(folder, "german", 'u8"a\\0"')]
            with self.assertRaisesRegex(tables.TableError, r"different numbers of texts: .*english\.cpp 2, .*german\.cpp 1"):
                tables.generate(paths)

    def test_the_command_fails_with_the_reason(self):
        with tempfile.TemporaryDirectory() as folder:
            bad = self.write(folder, "english", 'u8"\\q\\0"')
            output = pathlib.Path(folder) / "out.cpp"
            errors = io.StringIO()
            with contextlib.redirect_stderr(errors):
                self.assertEqual(tables.main(["--output", str(output), str(bad)]), 1)
            self.assertRegex(errors.getvalue(), r"english\.cpp:6: unknown escape")
            self.assertFalse(output.exists())


if __name__ == "__main__":
    unittest.main()
