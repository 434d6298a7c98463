#!/usr/bin/env python3
"""The mutation operators on small C++ snippets, the survivors' keys, and the
restore of a mutated source."""

import contextlib
import io
import json
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import mutation  # noqa: E402


def mutated(body, operator, prelude=""):
    """The mutated lines one operator makes of `body`, set inside a function."""
    text = prelude + "int f(int a, int b) {\n" + body + "\n}\n"
    return [m.mutated for m in mutation.mutants_of("x.cpp", text) if m.operator == operator]


class Operators(unittest.TestCase):
    CASES = [
        # (operator, body, expected mutated lines)
        ("relational", "if (a < b) { g(); }", ["if (a <= b) { g(); }", "if (a > b) { g(); }"]),
        ("relational", "return a >= b;", ["return a > b;", "return a <= b;"]),
        ("relational", "return a < b && b > 2;",
         ["return a <= b && b > 2;", "return a > b && b > 2;", "return a < b && b >= 2;", "return a < b && b < 2;"]),
        ("relational", "if (v.size() < static_cast<std::size_t>(b)) {}",
         ["if (v.size() <= static_cast<std::size_t>(b)) {}", "if (v.size() > static_cast<std::size_t>(b)) {}"]),
        ("relational", "std::vector<std::vector<int>> v; std::array<const wchar_t*, 2> w;", []),
        ("relational", "auto x = static_cast<int>(a) + p->q + (a >> 2) + (a << 1); a <<= 1; a >>= 1;", []),
        ("relational", "// a < b\n/* a > b */ auto s = L\"a < b\"; auto c = '<'; auto r = R\"(a>b)\";", []),
        ("relational", "return std::unique_ptr<File>(nullptr) != nullptr;", []),
        ("relational", "g(a < b, a > 2);", ["g(a <= b, a > 2);", "g(a > b, a > 2);", "g(a < b, a >= 2);",
                                            "g(a < b, a < 2);"]),
        ("equality", "if (a == b || a != 3) {}", ["if (a != b || a != 3) {}", "if (a == b || a == 3) {}"]),
        ("equality", "static_assert(sizeof(int) == 4, \"a == b\");", []),
        ("logical", "if (a && b || c) {}", ["if (a || b || c) {}", "if (a && b && c) {}"]),
        ("logical", "auto&& r = g(); h(std::forward<T&&>(r));", []),
        ("condition-true", "if (auto n = g(); n > 0) {} while (!a) {} for (;a;) {}",
         ["if (auto n = g(); true) {} while (!a) {} for (;a;) {}",
          "if (auto n = g(); n > 0) {} while (true) {} for (;a;) {}"]),
        ("condition-false", "if (a) {} else if (b) {}", ["if (false) {} else if (b) {}", "if (a) {} else if (false) {}"]),
        ("negation-removed", "if (!a && !g(b)) {} return !a;", ["if (a && !g(b)) {} return !a;",
                                                                "if (!a && g(b)) {} return !a;"]),
        ("negation-removed", "if (a != b) {}", []),
        # Only a return with more of the function after it; an unbraced body keeps one.
        ("return-deleted", "if (a) {\n return 1;\n}\nif (b) return 2;\ng();\nreturn 3;",
         ["(deleted)", "if (b) {}"]),
        ("return-deleted", "auto l = [](int x) { return x; };\nreturn l(a);", []),
        ("call-deleted", "g(1);\nobj.h(a, b);\np->k(\n  a);\nns::m();\nstatic_cast<void>(n());\nreturn 0;",
         ["(deleted)", "(deleted)", "(deleted)", "(deleted)", "(deleted)"]),
        ("call-deleted", "a = g(1);\nint y(3);\nif (a) { g(); }\nreturn g();", []),
        ("call-deleted", "if (a)\n  g();\nreturn 0;", ["{}"]),
        ("constant+1", "return 10 + 0x1F + 7u + 1'000 + 1.5 + 0;", ["return 11 + 0x1F + 7u + 1'000 + 1.5 + 0;",
                                                                     "return 10 + 0x20 + 7u + 1'000 + 1.5 + 0;",
                                                                     "return 10 + 0x1F + 8u + 1'000 + 1.5 + 0;",
                                                                     "return 10 + 0x1F + 7u + 1001 + 1.5 + 0;",
                                                                     "return 10 + 0x1F + 7u + 1'000 + 1.5 + 1;"]),
        ("constant-1", "return 0x10 - 0;", ["return 0x0F - 0;", "return 0x10 - (-1);"]),
        ("constant-1", "int k[4] = {}; std::array<int, 4> m{}; static_assert(sizeof(k) == 16);", []),
    ]

    def test_each_operator_makes_exactly_the_expected_mutants(self):
        for operator, body, expected in self.CASES:
            with self.subTest(operator=operator, body=body):
                self.assertEqual(mutated(body, operator), expected)

    def test_preprocessor_lines_are_never_mutated(self):
        text = "#include <vector>\n#define LIMIT 3 < 4 \\\n  && 5\n#if X == 1\nint g() {}\n#endif\n"
        self.assertEqual(mutation.mutants_of("x.cpp", text), [])

    def test_returns_at_the_end_of_a_function_stay(self):
        for body in ["return a;", "if (a) {\n g();\n return 1;\n}\n", "switch (a) {\n case 1: return 2;\n}"]:
            with self.subTest(body=body):
                self.assertEqual(mutated(body, "return-deleted", prelude="void g();\n"), [])


class Keys(unittest.TestCase):
    TEXT = "bool f(int a) {\n    if (a) {\n        return a < 3;\n    }\n    return a < 3;\n}\n"

    def test_a_repeated_line_is_told_apart_by_its_occurrence(self):
        keys = [m.key for m in mutation.mutants_of("src/x.cpp", self.TEXT) if m.operator == "relational"]
        self.assertEqual(keys, [
            "src/x.cpp: relational: return a < 3; -> return a <= 3;",
            "src/x.cpp: relational: return a < 3; -> return a > 3;",
            "src/x.cpp: relational: return a < 3; -> return a <= 3; [#2]",
            "src/x.cpp: relational: return a < 3; -> return a > 3; [#2]",
        ])

    def test_keys_do_not_move_with_lines_and_a_pasted_label_names_its_mutant(self):
        before = mutation.mutants_of("src/x.cpp", self.TEXT)
        after = mutation.mutants_of("src/x.cpp", "// moved\n\n" + self.TEXT)
        self.assertEqual([m.key for m in before], [m.key for m in after])
        self.assertNotEqual([m.label for m in before], [m.label for m in after])
        for mutant in before:
            self.assertEqual(mutation.key_of_entry(mutant.label + "  # a reason # with hashes"), mutant.key)

    def test_report_leaves_judged_survivors_out_of_the_score(self):
        mutants = mutation.mutants_of("src/x.cpp", self.TEXT)
        relational = [m for m in mutants if m.operator == "relational"]
        results = {m.key: {"outcome": "killed"} for m in mutants}
        results[relational[0].key] = {"outcome": "survived"}
        results[relational[1].key] = {"outcome": "survived"}
        results[relational[2].key] = {"outcome": "invalid"}
        equivalents = {relational[1].key: "cannot differ", "src/x.cpp: equality: gone -> away": "stale"}
        out = io.StringIO()
        totals = mutation.report(mutants, results, equivalents, "eq.txt", {m.key for m in mutants}, out)
        killed = len(mutants) - 3
        self.assertEqual(totals, {"killed": killed, "survived": 1, "invalid": 1, "identical": 0, "equivalent": 1})
        text = out.getvalue()
        self.assertIn(f"{100.0 * killed / (killed + 1):5.1f}%", text)
        self.assertIn("  " + relational[0].label + "\n", text)
        self.assertIn(relational[1].label + "  # cannot differ", text)
        self.assertIn("match no mutant any more:\n  src/x.cpp: equality: gone -> away", text)


class Sample(unittest.TestCase):
    def test_a_seed_picks_the_same_mutants_in_source_order(self):
        mutants = mutation.mutants_of("x.cpp", "int f(int a) {\n" + "g(a < 1);\n" * 20 + "return 0;\n}\n")
        first = mutation.select(mutants, 10, seed=4)
        self.assertEqual(first, mutation.select(mutants, 10, seed=4))
        self.assertNotEqual(first, mutation.select(mutants, 10, seed=5))
        self.assertEqual(first, sorted(first, key=mutants.index))
        self.assertEqual(mutation.select(mutants, len(mutants) + 1, seed=4), mutants)


class FakeBuild:
    """Answers of a build tree: whether the object and the tests build, the object's bytes, the test run."""

    def __init__(self, folder, compiles=True, object_bytes=b"mutant", links=True, tests=("killed", "A.b")):
        self.dir, self.compiles, self.object_bytes, self.links, self.tests = folder, compiles, object_bytes, links, tests
        self.tests_run = False

    def ninja(self, target):
        if target == "unit.o":
            (self.dir / target).write_bytes(self.object_bytes)
            return self.compiles, "" if self.compiles else "unused variable"
        return self.links, ""

    def run_tests(self):
        self.tests_run = True
        return self.tests


class Running(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = Path(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def test_each_build_answer_gives_its_outcome(self):
        cases = [
            (dict(compiles=False), ("invalid", "unused variable"), False),
            (dict(object_bytes=b"original"), ("identical", ""), False),
            (dict(links=False), ("invalid", ""), False),
            (dict(tests=("survived", "")), ("survived", ""), True),
            (dict(), ("killed", "A.b"), True),
        ]
        saved_root = mutation.ROOT
        mutation.ROOT = self.dir
        try:
            (self.dir / "x.cpp").write_text("int f() { return 1; }\n")
            mutant = mutation.mutants_of("x.cpp", "int f() { return 1; }\n")[0]
            for answers, expected, tests_run in cases:
                with self.subTest(answers=answers):
                    build = FakeBuild(self.dir, **answers)
                    outcome = mutation.run_mutant(mutant, "int f() { return 1; }\n", b"original", "unit.o", build,
                                                  mutation.SourceGuard(self.dir / "work"))
                    self.assertEqual((outcome, build.tests_run), (expected, tests_run))
        finally:
            mutation.ROOT = saved_root

    def test_a_test_run_is_killed_by_a_failure_a_crash_or_the_timeout(self):
        cases = [
            ("exit 0", ("survived", "")),
            ("echo '[  FAILED  ] Erase.KeepsLinks (1 ms)'; exit 1", ("killed", "Erase.KeepsLinks")),
            ("exit 3", ("killed", "exit 3")),
            ("kill -SEGV $$", ("killed", "signal 11")),
            ("sleep 5", ("killed", "timeout after 0.3 s")),
        ]
        executable = self.dir / mutation.TEST_TARGET
        for script, expected in cases:
            with self.subTest(script=script):
                executable.write_text("#!/bin/sh\n" + script + "\n")
                executable.chmod(0o755)
                self.assertEqual(mutation.Build(self.dir, jobs=1, timeout=0.3).run_tests(), expected)


class Restore(unittest.TestCase):
    def setUp(self):
        self.saved_root = mutation.ROOT
        self.folder = tempfile.TemporaryDirectory()
        mutation.ROOT = Path(self.folder.name)
        self.original = "int f(int a) {\n    return a < 3;\n}\n"
        (mutation.ROOT / "x.cpp").write_text(self.original)
        self.mutant = mutation.mutants_of("x.cpp", self.original)[0]
        self.guard = mutation.SourceGuard(mutation.ROOT / "work")

    def tearDown(self):
        mutation.ROOT = self.saved_root
        self.folder.cleanup()

    def test_the_original_is_back_after_an_interrupt_inside_the_build(self):
        def interrupted():
            self.assertEqual((mutation.ROOT / "x.cpp").read_text(), self.mutant.apply(self.original))
            raise KeyboardInterrupt
        with self.assertRaises(KeyboardInterrupt):
            self.guard.run_with(self.mutant, self.original, interrupted)
        self.assertEqual((mutation.ROOT / "x.cpp").read_text(), self.original)
        self.assertFalse(self.guard.marker.exists())

    def test_a_mutant_left_by_a_killed_run_is_put_back(self):
        self.guard.keep_originals(["x.cpp"])

        def killed():
            # What a SIGKILL leaves: the mutant in place and the marker naming it.
            state = ((mutation.ROOT / "x.cpp").read_text(), self.guard.marker.read_text())
            raise RuntimeError(json.dumps(state))
        with self.assertRaises(RuntimeError) as raised:
            self.guard.run_with(self.mutant, self.original, killed)
        left_text, marker = json.loads(str(raised.exception))
        (mutation.ROOT / "x.cpp").write_text(left_text)
        self.guard.marker.write_text(marker)

        with contextlib.redirect_stderr(io.StringIO()):
            self.assertTrue(self.guard.recover())
        self.assertEqual((mutation.ROOT / "x.cpp").read_text(), self.original)
        self.assertFalse(self.guard.marker.exists())

    def test_a_file_edited_since_the_killed_run_is_left_alone(self):
        self.guard.keep_originals(["x.cpp"])
        self.guard.marker.write_text(json.dumps({"path": "x.cpp", "original": mutation.sha256(self.original),
                                                 "mutant": mutation.sha256(self.mutant.apply(self.original))}))
        (mutation.ROOT / "x.cpp").write_text("// edited by hand\n")
        with contextlib.redirect_stderr(io.StringIO()) as message:
            self.assertFalse(self.guard.recover())
        self.assertIn("x.cpp changed", message.getvalue())
        self.assertEqual((mutation.ROOT / "x.cpp").read_text(), "// edited by hand\n")
        self.assertTrue(self.guard.marker.exists())


if __name__ == "__main__":
    unittest.main()
