#!/usr/bin/env python3
"""The mutation operators on small C++ snippets, the survivors' keys, and the
restore of a mutated source."""

import contextlib
import io
import json
import sys
import shutil
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import mutation  # noqa: E402


def mutated(body, operator, prelude=""):
    """The mutated lines one operator makes of `body`, set inside a function."""
    text = prelude + "int f(int a, int b) {\n" + body + "\n}\n"
    return [m.mutated for m in mutation.mutants_of("x.cpp", text) if m.operator == operator]


class Resume(unittest.TestCase):
    def test_only_the_results_of_unchanged_files_and_wanted_mutants_are_carried(self):
        old_a = "int f(int a) {\n    return a < 2;\n}\n"
        new_a = "int f(int a) {\n    return a <= 2;\n}\n"
        text_b = "int g(int b) {\n    return b > 1;\n}\n"
        before = mutation.mutants_of("a.cpp", old_a) + mutation.mutants_of("b.cpp", text_b)
        after = mutation.mutants_of("a.cpp", new_a) + mutation.mutants_of("b.cpp", text_b)
        kept_b = [m.key for m in after if m.path == "b.cpp"][0]
        state = {"sources": {"a.cpp": mutation.sha256(old_a), "b.cpp": mutation.sha256(text_b)},
                 "results": {m.key: {"outcome": "killed"} for m in before}}
        hashes = {"a.cpp": mutation.sha256(new_a), "b.cpp": mutation.sha256(text_b)}
        # One of b's mutants no longer wanted, as when the selection shrank.
        wanted = [m for m in after if m.path == "a.cpp" or m.key == kept_b]

        results, changed = mutation.carried_results(state, hashes, wanted)

        self.assertEqual(changed, ["a.cpp"])
        self.assertEqual(list(results), [kept_b])


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
        ("boundary", "if (a == b || g() == 2) {}", ["if (a <= b || g() == 2) {}", "if (a >= b || g() == 2) {}",
                                                  "if (a == b || g() <= 2) {}", "if (a == b || g() >= 2) {}"]),
        ("boundary", "if (p == nullptr || nullptr == q || a != b) {} static_assert(sizeof(a) == 4);", []),
        # Assignments, increments, a deref, a continue, a break out of a loop; a call that is not first on its line.
        ("statement-deleted", "a = 1;\nb += g(a);\n++a;\n*p = 2;\nfor (;;) { if (a) { a--; continue; } }\n"
                              "while (a < 3) { if (b) break; }\nif (a) { g(); }",
         ["(deleted)", "(deleted)", "(deleted)", "(deleted)", "for (;;) { if (a) { continue; } }",
          "for (;;) { if (a) { a--; } }", "while (a < 3) { if (b) {} }", "if (a) { }"]),
        # Declarations, returns and calls of other operators, the breaks of a switch or of an endless loop.
        ("statement-deleted", "int x = 1;\nstd::vector<int> v{1};\nconst Key& k = key();\nns::Type<int>* t = make();\n"
                              "Type y(3);\ng(a);\nswitch (a) { case 1: break; default: break; }\n"
                              "while (true) { if (a) break; }\nfor (int i = 0; i < a; ++i) {}\nreturn a;", []),
        ("statement-deleted", "if (a)\n  a = 2;\nelse\n  b = 3;\nswitch (a) { case 1: a = 4; break; }",
         ["{}", "{}", "switch (a) { case 1: break; }"]),
        ("constant=0", "return 10 + 2 + 1 + 0x10;", ["return 0 + 2 + 1 + 0x10;", "return 10 + 0 + 1 + 0x10;",
                                                   "return 10 + 2 + 1 + 0x00;"]),
        ("constant=1", "return 10 + 2 + 1 + 0x10;", ["return 1 + 2 + 1 + 0x10;", "return 10 + 2 + 1 + 0x01;"]),
        ("boolean", "bool x = true;\ng(false);\nwhile (true) {}\nif (a == false) {}",
         ["bool x = false;", "g(true);", "if (a == true) {}"]),
        ("initialiser-emptied", "Key k{a, b};\nauto v = uint32_t{a} << 2;\ng(Key{a});\nreturn {a, 1};",
         ["Key k{};", "auto v = uint32_t{} << 2;", "g(Key{});", "return {};"]),
        ("initialiser-set", "Key k{};\nint n = {};\ng({});\nreturn Key{};",
         ["Key k{1};", "int n = {1};", "return Key{1};"]),
        # Blocks, bodies of lambdas and local classes, and an empty-bodied loop are no initialisers.
        ("initialiser-emptied", "if (a) { g(); }\nauto l = [a] { return a; };\n"
                                "auto m = [](int x) -> Key { return x; };\nstruct Local { int v; };\n"
                                "enum class E { one };\ndo { g(); } while (a);", []),
        ("begin-end", "std::sort(v.begin(), v.end());\nauto r = std::rbegin(w);\np->cend();\nauto e = end(w);\n"
                      "int begin = 0;",
         ["std::sort(v.end(), v.end());", "std::sort(v.begin(), v.begin());", "auto r = std::rend(w);", "p->cbegin();"]),
        ("loop-break", "for (int i = 0; i < a; ++i) { g(); }\nwhile (a) g();\ndo { g(); } while (a);\nfor (;;) {}",
         ["for (int i = 0; i < a; ++i) { break; g(); }", "while (a) { break; g(); }", "do { break; g(); } while (a);",
          "for (;;) { break;}"]),
        # A continue would make a while or endless loop spin; a counted or range for ends anyway.
        ("loop-continue", "for (int i = 0; i < a; ++i) g();\nfor (int x : v) {}\nwhile (a) { g(); }\n"
                          "for (;;) {}\nfor (;true;) {}",
         ["for (int i = 0; i < a; ++i) { continue; g(); }", "for (int x : v) { continue;}"]),
    ]

    def test_each_operator_makes_exactly_the_expected_mutants(self):
        for operator, body, expected in self.CASES:
            with self.subTest(operator=operator, body=body):
                self.assertEqual(mutated(body, operator), expected)

    def test_comments_literals_templates_shifts_and_arrows_are_left_alone(self):
        bait = ["// a = b == c; x.begin(); true; 3\n", "/* for (;;) { i++; } */", 'L"x == 1 {a}; true"', "'='",
                'R"(p.end() = 0;)"', "<std::vector<int>>", ">>", "->", "<<"]
        text = ("void f(std::vector<std::vector<int>> v, P* p, int a) {\n"
                "    // a = b == c; x.begin(); true; 3\n    /* for (;;) { i++; } */\n"
                "    h(L\"x == 1 {a}; true\", '=', R\"(p.end() = 0;)\", p->q, a >> 2, a << 1);\n}\n")
        spans = [(text.index(b), text.index(b) + len(b)) for b in bait]
        mutants = mutation.mutants_of("x.cpp", text)
        self.assertTrue(mutants)
        for mutant in mutants:
            for start, end in spans:
                with self.subTest(mutant=mutant.label):
                    # Only a deletion of the whole statement may take them along.
                    if mutant.operator not in ("call-deleted", "statement-deleted"):
                        self.assertFalse(start < mutant.end and mutant.start < end)
                        self.assertFalse(mutant.start == mutant.end and start < mutant.start < end)

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


class Selection(unittest.TestCase):
    def test_families_and_operators_name_the_operators_to_use(self):
        cases = [
            ("loop", ["loop-break", "loop-continue"]),
            ("boolean, loop-break", ["loop-break", "boolean"]),
            ("comparison,equality", ["relational", "boundary", "equality"]),
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(mutation.operator_names(text), [n for n in mutation.OPERATOR_NAMES if n in expected])
        for wrong in ("loops", ",", "boolean,x"):
            with self.subTest(wrong=wrong), self.assertRaises(mutation.argparse.ArgumentTypeError):
                mutation.operator_names(wrong)

    def test_every_operator_is_in_one_family(self):
        names = [name for _, members in mutation.FAMILIES.values() for name in members]
        self.assertEqual(len(names), len(set(names)))
        made = {m.operator for m in mutation.mutants_of("x.cpp", Path(__file__).resolve().parents[2].joinpath(
            "src/platform/posix/posix_files.cpp").read_text())}
        self.assertLessEqual(made, set(names))
        self.assertFalse(set(names) & set(mutation.FAMILIES))

    def test_the_posix_layer_and_the_command_line_are_judged_by_the_program_s_tests(self):
        cases = [
            ("src/platform/posix/posix_files.cpp", "cli_tests_plain", "lanternbook"),
            ("src/cli/commands.cpp", "cli_tests_plain", "lanternbook"),
            ("src/maintenance/erase_downloads.cpp", "unit_tests_plain", None),
            ("src/platform/win32/win32_platform.cpp", "unit_tests_plain", None),
            ("other/clipped.cpp", "unit_tests_plain", None),
        ]
        for path, tests, program in cases:
            with self.subTest(path=path):
                suite = mutation.suite_of(path)
                self.assertEqual((suite.tests, suite.program), (tests, program))


class Sample(unittest.TestCase):
    def test_a_seed_picks_the_same_mutants_in_source_order(self):
        mutants = mutation.mutants_of("x.cpp", "int f(int a) {\n" + "g(a < 1);\n" * 20 + "return 0;\n}\n")
        first = mutation.select(mutants, 10, seed=4)
        self.assertEqual(first, mutation.select(mutants, 10, seed=4))
        self.assertNotEqual(first, mutation.select(mutants, 10, seed=5))
        self.assertEqual(first, sorted(first, key=mutants.index))
        self.assertEqual(mutation.select(mutants, len(mutants) + 1, seed=4), mutants)

    def test_a_list_of_survivors_as_printed_names_the_mutants_to_run_again(self):
        source = "int f(int a) {\nif (a < 1) {\ng(a);\n}\nreturn a == 2;\n}\n"
        mutants = mutation.mutants_of("x.cpp", source)
        with tempfile.TemporaryDirectory() as folder:
            listed = Path(folder) / "survivors.txt"
            listed.write_text(mutants[3].label + "\n" + mutants[0].label + "  # a reason\n")
            (Path(folder) / "x.cpp").write_text(source)
            saved_root = mutation.ROOT
            mutation.ROOT = Path(folder)
            try:
                with contextlib.redirect_stdout(io.StringIO()) as out:
                    mutation.main(["--list", "--only", str(listed), "x.cpp"])
            finally:
                mutation.ROOT = saved_root
        self.assertEqual(out.getvalue().splitlines()[:-1], [mutants[0].label, mutants[3].label])

    def test_places_keep_only_the_mutants_on_their_lines(self):
        mutants = mutation.mutants_of("x.cpp", "int f(int a) {\nif (a < 1) {\ng(a);\n}\nreturn a == 2;\n}\n")
        kept = mutation.on_lines(mutants, ["x.cpp:2", "y.cpp:5"])
        self.assertTrue(kept)
        self.assertEqual(kept, [m for m in mutants if m.line == 2])
        self.assertEqual(mutation.on_lines(mutants, None), mutants)


class FakeBuild:
    """Answers of a build tree: whether the object and the tests build, the object's bytes, the
    program's digest after the link, the test run."""

    def __init__(self, folder, compiles=True, object_bytes=b"mutant", links=True, program="relinked",
                 tests=("killed", "A.b")):
        self.dir, self.compiles, self.object_bytes, self.links = folder, compiles, object_bytes, links
        self.program, self.tests = program, tests
        self.built, self.tests_run = [], None

    def ninja(self, target):
        if target == "unit.o":
            (self.dir / target).write_bytes(self.object_bytes)
            return self.compiles, "" if self.compiles else "unused variable"
        self.built.append(target)
        return self.links, ""

    def digest(self, output):
        return self.program if output in self.built else "unmutated"

    def run_tests(self, executable):
        self.tests_run = executable
        return self.tests


class Running(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = Path(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def test_each_build_answer_gives_its_outcome(self):
        unit, cli = mutation.suite_of("src/x.cpp"), mutation.suite_of("src/cli/x.cpp")
        cases = [
            (unit, dict(compiles=False), ("invalid", "unused variable"), None),
            (unit, dict(object_bytes=b"original"), ("identical", ""), None),
            (unit, dict(links=False), ("invalid", ""), None),
            (unit, dict(tests=("survived", "")), ("survived", ""), "unit_tests_plain"),
            (unit, dict(), ("killed", "A.b"), "unit_tests_plain"),
            (cli, dict(), ("killed", "A.b"), "cli_tests_plain"),
            # The process tests would run the unmutated program.
            (cli, dict(program="unmutated"), ("invalid", "lanternbook unchanged"), None),
        ]
        saved_root = mutation.ROOT
        mutation.ROOT = self.dir
        try:
            (self.dir / "x.cpp").write_text("int f() { return 1; }\n")
            mutant = mutation.mutants_of("x.cpp", "int f() { return 1; }\n")[0]
            for suite, answers, expected, tests_run in cases:
                with self.subTest(tests=suite.tests, answers=answers):
                    build = FakeBuild(self.dir, **answers)
                    compiled = mutation.Compiled(suite, "unit.o", b"original", "unmutated" if suite.program else None)
                    outcome = mutation.run_mutant(mutant, "int f() { return 1; }\n", compiled, build,
                                                  mutation.SourceGuard(self.dir / "work"))
                    self.assertEqual((outcome, build.tests_run), (expected, tests_run))
                    if tests_run:
                        self.assertEqual(build.built, suite.targets)
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
        executable = self.dir / "tests"
        for script, expected in cases:
            with self.subTest(script=script):
                executable.write_text("#!/bin/sh\n" + script + "\n")
                executable.chmod(0o755)
                self.assertEqual(mutation.Build(self.dir, jobs=1, timeout=0.3).run_tests("tests"), expected)

    def test_a_program_of_the_build_left_in_a_session_of_its_own_is_killed_after_the_run(self):
        program = self.dir / "lanternbook"
        shutil.copy("/bin/sleep", program)
        executable = self.dir / "tests"
        executable.write_text("#!/bin/sh\nsetsid sh -c 'echo $$ > program.pid; exec ./lanternbook 30' >/dev/null 2>&1 &\n"
                              "while [ ! -s program.pid ]; do sleep 0.01; done\nexit 1\n")
        executable.chmod(0o755)
        self.assertEqual(mutation.Build(self.dir, jobs=1, timeout=5).run_tests("tests"), ("killed", "exit 1"))
        pid = int((self.dir / "program.pid").read_text())
        for _ in range(50):  # until its new parent has reaped it
            status = Path(f"/proc/{pid}/status")
            if not status.exists() or "zombie" in status.read_text():
                break
            time.sleep(0.05)
        else:
            self.fail(f"process {pid} still runs")

    def test_a_program_the_tests_started_dies_with_them_on_a_timeout(self):
        executable = self.dir / "tests"
        executable.write_text("#!/bin/sh\nsleep 30 &\necho $! > program.pid\nwait\n")
        executable.chmod(0o755)
        began = time.monotonic()
        self.assertEqual(mutation.Build(self.dir, jobs=1, timeout=0.5).run_tests("tests"),
                         ("killed", "timeout after 0.5 s"))
        self.assertLess(time.monotonic() - began, 10)
        pid = int((self.dir / "program.pid").read_text())
        for _ in range(50):  # until its new parent has reaped it
            status = Path(f"/proc/{pid}/status")
            if not status.exists() or "zombie" in status.read_text():
                break
            time.sleep(0.05)
        else:
            self.fail(f"process {pid} still runs")


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
