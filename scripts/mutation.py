#!/usr/bin/env python3
"""Mutation testing of the safety code against its tests.

Each mutant changes one spot of one source file, is compiled in build/mutation
and, when its object differs from the original's, runs the tests of the file's
suite: unit_tests_plain, or for the POSIX layer and the command line
cli_tests_plain with the lanternbook program it starts. A mutant the tests
still pass is a survivor: a change to the code no test notices.

    scripts/mutation.py                 every mutant of the default targets
    scripts/mutation.py --list          the mutants, nothing built
    scripts/mutation.py --sample 100    a seeded random hundred
    scripts/mutation.py --resume        go on after an interruption (files changed since run again)
    scripts/mutation.py --operators deletion,boundary   some operators only
    scripts/mutation.py --list-operators
    scripts/mutation.py 'src/device/*.cpp'
"""

import argparse
import bisect
import glob
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

# Globs relative to the repository root; the command line may name others.
DEFAULT_TARGETS = [
    "src/maintenance/*.cpp",
    "src/device/*.cpp",
    "src/config/stored_settings.cpp",
]

ROOT = Path(__file__).resolve().parent.parent
BUILD_DIR = "build/mutation"
DEFAULT_SEED = 20240601
DEFAULT_TIMEOUT = 120.0
DEFAULT_EQUIVALENT = "tests/mutation-equivalent.txt"


class Suite:
    """The tests that judge the mutants of some folders: a test executable, and the program
    it starts as a process, which must be rebuilt with each mutant too."""

    def __init__(self, folders, tests, program=None):
        self.folders, self.tests, self.program = folders, tests, program

    @property
    def targets(self):
        return [self.tests] + ([self.program] if self.program else [])


# The first suite holding a file's folder judges it; the last takes every other file.
SUITES = [
    # Only the command line's tests build the POSIX layer, in-process and in the program they run.
    Suite(("src/platform/posix/", "src/cli/"), tests="cli_tests_plain", program="lanternbook"),
    Suite((), tests="unit_tests_plain"),
]


def suite_of(path):
    return next((suite for suite in SUITES if any(path.startswith(folder) for folder in suite.folders)), SUITES[-1])


# ---------------------------------------------------------------------------
# Tokens

PUNCTUATORS = sorted(
    ["<=>", "<<=", ">>=", "->*", "...", "::", "->", "++", "--", "<<", ">>", "<=", ">=", "==", "!=",
     "&&", "||", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", ".*", "##",
     "{", "}", "[", "]", "(", ")", "<", ">", ";", ":", ",", ".", "?", "!", "~", "+", "-", "*",
     "/", "%", "^", "&", "|", "=", "#", "\\"],
    key=len, reverse=True)

TOKEN_RE = re.compile(r"""
    (?P<space>\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<string>(?:u8|[uUL])?R"(?P<delim>[^()\\\s"]{0,16})\(.*?\)(?P=delim)"
              |(?:u8|[uUL])?"(?:\\.|[^"\\\n])*")
  | (?P<char>(?:u8|[uUL])?'(?:\\.|[^'\\\n])+')
  | (?P<number>\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*)
  | (?P<ident>[A-Za-z_][0-9A-Za-z_]*)
  | (?P<punct>""" + "|".join(re.escape(p) for p in PUNCTUATORS) + r""")
""", re.S | re.X)

KEYWORDS = {
    "alignas", "alignof", "and", "asm", "auto", "bool", "break", "case", "catch", "char", "class",
    "const", "const_cast", "constexpr", "continue", "decltype", "default", "delete", "do", "double",
    "dynamic_cast", "else", "enum", "explicit", "extern", "false", "float", "for", "friend", "goto",
    "if", "inline", "int", "long", "mutable", "namespace", "new", "noexcept", "not", "nullptr",
    "operator", "or", "private", "protected", "public", "register", "reinterpret_cast", "return",
    "short", "signed", "sizeof", "static", "static_assert", "static_cast", "struct", "switch",
    "template", "this", "throw", "true", "try", "typedef", "typeid", "typename", "union", "unsigned",
    "using", "virtual", "void", "volatile", "while",
}
TYPE_KEYWORDS = {"auto", "bool", "char", "double", "float", "int", "long", "short", "signed", "unsigned"}
CASTS = {"static_cast", "const_cast", "reinterpret_cast", "dynamic_cast"}
STATEMENT_HEADS = {"if", "while", "for", "switch", "catch"}
# Tokens that cannot stand inside a template argument list at its own level.
NOT_IN_TEMPLATE_ARGS = {";", "{", "}", ")", "]", "&&", "||", "?", "==", "!=", "<=", ">=", "+=", "-=",
                        "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>=", "return"}
INTEGER_RE = re.compile(r"^(0[xX][0-9a-fA-F']+|0[bB][01']+|0[0-7']*|[1-9][0-9']*)([uUlLzZ]*)$")


class Token:
    __slots__ = ("kind", "text", "start", "end", "first_on_line", "spaced_before", "spaced_after")

    def __init__(self, kind, text, start, end):
        self.kind, self.text, self.start, self.end = kind, text, start, end
        self.first_on_line = self.spaced_before = self.spaced_after = False

    def __repr__(self):
        return f"Token({self.kind}, {self.text!r}, {self.start})"


def tokenize(text):
    """Code tokens only: comments, whitespace and preprocessor lines are skipped;
    string and character literals are single opaque tokens."""
    tokens = []
    pos = 0
    line_start = True  # nothing but whitespace since the last newline
    while pos < len(text):
        if line_start and text[pos] == "#":
            end = pos
            while True:  # a directive ends at a newline not escaped by a backslash
                end = text.find("\n", end)
                if end < 0:
                    end = len(text)
                    break
                if text[end - 1] != "\\":
                    break
                end += 1
            pos = end
            continue
        match = TOKEN_RE.match(text, pos)
        if match is None:
            tokens.append(Token("other", text[pos], pos, pos + 1))
            line_start = False
            pos += 1
            continue
        kind = match.lastgroup if match.lastgroup != "delim" else "string"
        if kind in ("space", "comment"):
            if "\n" in match.group():
                line_start = True
        else:
            token = Token(kind, match.group(), match.start(), match.end())
            token.first_on_line = line_start
            tokens.append(token)
            line_start = False
        pos = match.end()
    for token in tokens:
        token.spaced_before = token.start == 0 or text[token.start - 1].isspace()
        token.spaced_after = token.end >= len(text) or text[token.end].isspace()
    return tokens


# ---------------------------------------------------------------------------
# Structure: brackets, templates, function bodies


class Structure:
    def __init__(self, text):
        self.text = text
        self.tokens = tokenize(text)
        self.match = self._match_brackets()
        self.template_brackets, self.in_template_args = self._templates()
        self.enclosing = self._enclosing_braces()
        self.function_bodies = {i for i, t in enumerate(self.tokens) if t.text == "{" and self._opens_function(i)}
        self.excluded = self._static_asserts() | self.in_template_args
        self.opener = self._openers()
        self.blocks = self._blocks()

    def _match_brackets(self):
        pairs = {")": "(", "]": "[", "}": "{"}
        match, stack = {}, []
        for i, token in enumerate(self.tokens):
            if token.kind != "punct":
                continue
            if token.text in ("(", "[", "{"):
                stack.append(i)
            elif token.text in pairs:
                if stack and self.tokens[stack[-1]].text == pairs[token.text]:
                    opening = stack.pop()
                    match[opening], match[i] = i, opening
        return match

    def template_close(self, i):
        """The index of the token closing a template argument list opened at i, or None."""
        tokens = self.tokens
        depth, j = 1, i + 1
        while j < len(tokens) and j - i < 80:
            text = tokens[j].text
            if tokens[j].kind != "punct" and text != "return":
                j += 1
                continue
            if text in ("(", "["):
                if j not in self.match:
                    return None
                j = self.match[j] + 1
                continue
            if text == "<":
                if tokens[j - 1].kind != "ident" or tokens[j].spaced_before:
                    return None
                depth += 1
            elif text == ">":
                depth -= 1
            elif text == ">>":
                depth -= 2
            elif text in NOT_IN_TEMPLATE_ARGS:
                return None
            if depth == 0:
                return j
            if depth < 0:
                return None
            j += 1
        return None

    def _templates(self):
        brackets, inside = set(), set()
        tokens = self.tokens
        for i, token in enumerate(tokens):
            if token.text != "<" or token.kind != "punct" or i == 0 or i in brackets:
                continue
            before = tokens[i - 1]
            if before.kind != "ident" or before.text in KEYWORDS - CASTS - {"template", "operator"}:
                continue
            if token.spaced_before and before.text != "template":
                continue
            close = self.template_close(i)
            if close is None:
                continue
            # Nothing inside is mutated, so a '<' in parentheses there may count as a bracket too.
            for j in range(i, close + 1):
                if tokens[j].text in ("<", ">", ">>"):
                    brackets.add(j)
                inside.add(j)
        return brackets, inside

    def _enclosing_braces(self):
        enclosing, stack = [], []
        for i, token in enumerate(self.tokens):
            enclosing.append(stack[-1] if stack else None)
            if token.text == "{" and token.kind == "punct":
                stack.append(i)
            elif token.text == "}" and token.kind == "punct" and stack:
                stack.pop()
        return enclosing

    def _openers(self):
        # The innermost bracket of any kind around each token: a ';' in a for head is no statement end.
        openers, stack = [], []
        for i, token in enumerate(self.tokens):
            openers.append(stack[-1] if stack else None)
            if token.kind != "punct":
                continue
            if token.text in ("(", "[", "{"):
                stack.append(i)
            elif token.text in (")", "]", "}") and stack and self.match.get(i) == stack[-1]:
                stack.pop()
        return openers

    def _blocks(self):
        """The '{' of every compound statement in a function, the bodies included."""
        tokens, blocks = self.tokens, set()
        for i, token in enumerate(tokens):
            if token.text != "{" or token.kind != "punct" or i not in self.match:
                continue
            before = tokens[i - 1].text if i > 0 else ""
            if i in self.function_bodies or before in ("else", "do", "try", "]", "mutable"):
                blocks.add(i)
            elif before == ")" and self.head_of(i - 1) is not None:
                blocks.add(i)
            elif before in (";", "{", "}", ":") and self.opener[i] in blocks:
                blocks.add(i)
        return blocks

    def head_of(self, close):
        """The keyword before the parenthesis closed at `close` when it is if/while/for/switch/catch."""
        opening = self.match.get(close)
        if self.tokens[close].text != ")" or opening is None or opening == 0:
            return None
        j = opening - 1
        if self.tokens[j].text == "constexpr" and j > 0:
            j -= 1
        return self.tokens[j].text if self.tokens[j].text in STATEMENT_HEADS else None

    def statement_starts(self):
        """Indices of the first tokens of the statements inside function bodies."""
        tokens = self.tokens
        for i in range(1, len(tokens)):
            if self.opener[i] not in self.blocks or tokens[i].text in ("}", ";"):
                continue
            before = tokens[i - 1].text
            if before in ("{", ";", "else", "do"):
                starts = True
            elif before == "}":
                starts = self.match.get(i - 1) in self.blocks
            elif before == ")":
                starts = self.head_of(i - 1) in ("if", "while", "for")
            elif before == ":":
                starts = self._ends_label(i - 1)
            else:
                starts = False
            if starts:
                yield i

    def _ends_label(self, colon):
        j = colon - 1
        while j >= 0 and self.tokens[j].text not in (";", "{", "}", "?", "case", "default"):
            j -= 1
        return j >= 0 and self.tokens[j].text in ("case", "default")

    def _opens_function(self, i):
        tokens = self.tokens
        j = i - 1
        while j >= 0 and tokens[j].text in ("const", "noexcept", "override", "final", "mutable"):
            j -= 1
        if j < 0 or tokens[j].text != ")" or j not in self.match:
            return False
        opening = self.match[j]
        return opening == 0 or tokens[opening - 1].text not in STATEMENT_HEADS

    def _static_asserts(self):
        excluded = set()
        for i, token in enumerate(self.tokens):
            if token.text == "static_assert" and i + 1 < len(self.tokens) and (i + 1) in self.match:
                excluded.update(range(i, self.match[i + 1] + 1))
        return excluded

    def function_of(self, i):
        """The index of the '{' opening the innermost function body holding token i."""
        brace = self.enclosing[i]
        while brace is not None and brace not in self.function_bodies:
            brace = self.enclosing[brace]
        return brace

    def statement_end(self, i):
        """The index of the ';' ending the statement that starts at token i."""
        j = i
        while j < len(self.tokens):
            text = self.tokens[j].text
            if text in ("(", "[", "{") and j in self.match:
                j = self.match[j]
            elif text in (")", "]", "}"):
                return None
            elif text == ";":
                return j
            j += 1
        return None

    def conditions(self):
        """(first, last) token indices of each if/while condition, past any init-statement."""
        tokens = self.tokens
        for i, token in enumerate(tokens):
            if token.kind != "ident" or token.text not in ("if", "while"):
                continue
            j = i + 1
            if j < len(tokens) and tokens[j].text == "constexpr":
                j += 1
            if j >= len(tokens) or tokens[j].text != "(" or j not in self.match:
                continue
            first, last = j + 1, self.match[j] - 1
            k = first
            while k <= last:  # skip to after the last top-level ';'
                if tokens[k].text in ("(", "[", "{") and k in self.match:
                    k = self.match[k]
                elif tokens[k].text == ";":
                    first = k + 1
                k += 1
            if first <= last:
                yield first, last


# ---------------------------------------------------------------------------
# Operators: each yields (operator, start, end, replacement) on the source text

RELATIONAL = {"<": ("<=", ">"), "<=": ("<", ">="), ">": (">=", "<"), ">=": (">", "<=")}


def _after_operator_keyword(tokens, i):
    return i > 0 and tokens[i - 1].text == "operator"


def relational(s):
    for i, token in enumerate(s.tokens):
        if token.kind != "punct" or token.text not in RELATIONAL or i in s.template_brackets:
            continue
        if i in s.excluded or _after_operator_keyword(s.tokens, i):
            continue
        for replacement in RELATIONAL[token.text]:
            yield "relational", token.start, token.end, replacement


def equality(s):
    for i, token in enumerate(s.tokens):
        if token.kind == "punct" and token.text in ("==", "!=") and i not in s.excluded \
                and not _after_operator_keyword(s.tokens, i):
            yield "equality", token.start, token.end, "!=" if token.text == "==" else "=="


def _is_logical_and(s, i):
    # An rvalue reference is written `T&& name` or `(T&&)`; a logical and is spaced or follows ')'.
    token = s.tokens[i]
    return (token.spaced_before and token.spaced_after) or (i > 0 and s.tokens[i - 1].text == ")")


def logical(s):
    for i, token in enumerate(s.tokens):
        if token.kind != "punct" or i in s.excluded or _after_operator_keyword(s.tokens, i):
            continue
        if token.text == "||" or (token.text == "&&" and _is_logical_and(s, i)):
            yield "logical", token.start, token.end, "||" if token.text == "&&" else "&&"


def condition(s):
    for first, last in s.conditions():
        if first in s.excluded:
            continue
        start, end = s.tokens[first].start, s.tokens[last].end
        current = s.text[start:end]
        for value in ("true", "false"):
            if current != value:
                yield "condition-" + value, start, end, value


def negation(s):
    for first, last in s.conditions():
        for i in range(first, last + 1):
            token = s.tokens[i]
            if token.kind == "punct" and token.text == "!" and i not in s.excluded:
                yield "negation-removed", token.start, token.end, ""


def _deleted_statement(s, first, last):
    # An unbraced body keeps a body of its own, without an empty-body warning.
    before = s.tokens[first - 1].text if first > 0 else ""
    replacement = "{}" if before in (")", "else", "do") else ""
    return s.tokens[first].start, s.tokens[last].end, replacement


def return_deleted(s):
    tokens = s.tokens
    for i, token in enumerate(tokens):
        if token.text != "return" or token.kind != "ident" or i in s.excluded:
            continue
        end = s.statement_end(i)
        body = s.function_of(i)
        if end is None or body is None or body not in s.match:
            continue
        # Falling off the end would be the only change, or no valid code at all.
        if all(tokens[j].text == "}" for j in range(end + 1, s.match[body])):
            continue
        yield ("return-deleted",) + _deleted_statement(s, i, end)


def call_deleted(s):
    tokens = s.tokens
    for i, token in enumerate(tokens):
        if token.kind != "ident" or not token.first_on_line or i in s.excluded:
            continue
        if token.text in KEYWORDS - CASTS or s.function_of(i) is None:
            continue
        if i > 0 and tokens[i - 1].text not in (";", "{", "}", ":", ")", "else"):
            continue
        j = i
        if token.text in CASTS:
            if j + 1 >= len(tokens) or (j + 1) not in s.template_brackets:
                continue
            j = s.template_close(j + 1)
        else:
            while j + 2 < len(tokens) and tokens[j + 1].text in (".", "->", "::") and tokens[j + 2].kind == "ident":
                j += 2
        if j is None or j + 1 >= len(tokens) or tokens[j + 1].text != "(" or (j + 1) not in s.match:
            continue
        close = s.match[j + 1]
        if close + 1 < len(tokens) and tokens[close + 1].text == ";":
            yield ("call-deleted",) + _deleted_statement(s, i, close + 1)


def _render_integer(literal, value):
    match = INTEGER_RE.match(literal)
    digits, suffix = match.group(1).replace("'", ""), match.group(2)
    if value < 0:
        return f"(-{_render_integer(literal, -value)})"
    if digits[:2] in ("0x", "0X"):
        body = format(value, "x")
        if not any(c in "abcdef" for c in digits[2:]):
            body = body.upper()
        return digits[:2] + body.zfill(len(digits) - 2) + suffix
    if digits[:2] in ("0b", "0B"):
        return digits[:2] + format(value, "b").zfill(len(digits) - 2) + suffix
    if len(digits) > 1 and digits[0] == "0":
        return "0" + format(value, "o") + suffix
    return str(value) + suffix


def _integer_value(literal):
    digits = INTEGER_RE.match(literal).group(1).replace("'", "")
    if digits[:2] in ("0x", "0X"):
        return int(digits[2:], 16)
    if digits[:2] in ("0b", "0B"):
        return int(digits[2:], 2)
    if len(digits) > 1 and digits[0] == "0":
        return int(digits[1:], 8)
    return int(digits)


def _declared_array_size(s, i):
    # `type name[N]` followed by '=', ';', '{' or another dimension.
    tokens = s.tokens
    if i < 3 or tokens[i - 1].text != "[" or i + 2 >= len(tokens) or tokens[i + 1].text != "]":
        return False
    name, type_end = tokens[i - 2], tokens[i - 3]
    type_like = type_end.text in (">", "*", "&") or type_end.text in TYPE_KEYWORDS or (
        type_end.kind == "ident" and type_end.text not in KEYWORDS)
    return name.kind == "ident" and tokens[i + 2].text in ("=", ";", "{", "[") and type_like


def constant(s):
    for i, token in enumerate(s.tokens):
        if token.kind != "number" or not INTEGER_RE.match(token.text) or i in s.excluded:
            continue
        if _declared_array_size(s, i):
            continue
        value = _integer_value(token.text)
        yield "constant+1", token.start, token.end, _render_integer(token.text, value + 1)
        yield "constant-1", token.start, token.end, _render_integer(token.text, value - 1)


def boundary(s):
    # An equality widened to one side; a null pointer has no order to compare by.
    tokens = s.tokens
    for i, token in enumerate(tokens):
        if token.kind != "punct" or token.text != "==" or i in s.excluded or _after_operator_keyword(tokens, i):
            continue
        if "nullptr" in (tokens[i - 1].text, tokens[i + 1].text if i + 1 < len(tokens) else ""):
            continue
        for replacement in ("<=", ">="):
            yield "boundary", token.start, token.end, replacement


def _declares(s, i):
    """Whether the statement starting at token i (not a keyword) declares a name: `A::B<C> const& name`."""
    tokens = s.tokens
    j = i + 1 if tokens[i].text == "::" else i
    while j < len(tokens) and tokens[j].kind == "ident" and tokens[j].text not in KEYWORDS:
        j += 1
        if j < len(tokens) and j in s.template_brackets and tokens[j].text == "<":
            close = s.template_close(j)
            if close is None:
                return False
            j = close + 1
        if j < len(tokens) and tokens[j].text == "::":
            j += 1
        else:
            break
    while j < len(tokens) and tokens[j].text in ("*", "&", "&&", "const", "volatile"):
        j += 1
    return j < len(tokens) and tokens[j].kind == "ident" and tokens[j].text not in KEYWORDS


def _broken_out_of(s, i):
    """The index of the for/while/do/switch keyword a `break` at token i leaves, or None
    (looking through braces and one unbraced `if`)."""
    k = i
    while k is not None and k > 0:
        if s.tokens[k - 1].text == "do":
            return k - 1
        if s.tokens[k - 1].text == ")":
            head = s.head_of(k - 1)
            if head in ("for", "while", "switch"):
                return s.match[k - 1] - 1 - (s.tokens[s.match[k - 1] - 1].text == "constexpr")
            if head is not None and k not in s.blocks:  # `if (a) break;`: the if's own place decides
                k = s.match[k - 1] - 1
                continue
        if k in s.function_bodies:
            return None
        k = s.opener[k]
    return None


def _endless(s, head):
    """Whether the loop at `head` has no condition: `while (true)`, `for (;;)`."""
    tokens = s.tokens
    if tokens[head].text not in ("for", "while") or tokens[head + 1].text != "(":
        return False
    if tokens[head].text == "while":
        return s.match[head + 1] == head + 3 and tokens[head + 2].text == "true"
    return not _for_has_condition(s, head + 1)


EXPRESSION_STARTS = {"++", "--", "*", "(", "::", "this", "delete", "continue", "break"} | CASTS


def statement_deleted(s):
    """Any other expression statement: an assignment, an increment, a `continue`, a `break` out of a loop."""
    tokens = s.tokens
    taken = {start for _, start, _, _ in list(return_deleted(s)) + list(call_deleted(s))}
    for i in s.statement_starts():
        token = tokens[i]
        if i in s.excluded or token.start in taken:
            continue
        if token.kind == "ident" and token.text not in KEYWORDS:
            if _declares(s, i):
                continue
        elif token.text not in EXPRESSION_STARTS:
            continue
        # Without its `break`, a case falls through into the next, which the compiler refuses;
        # an endless loop without its only way out is killed by the timeout alone, slowly.
        if token.text == "break":
            head = _broken_out_of(s, i)
            if head is None or s.tokens[head].text == "switch" or _endless(s, head):
                continue
        end = s.statement_end(i)
        if end is not None:
            yield ("statement-deleted",) + _deleted_statement(s, i, end)


def constant_set(s):
    # Values whose mutant would repeat one of constant+1 and constant-1 are left to those.
    for i, token in enumerate(s.tokens):
        if token.kind != "number" or not INTEGER_RE.match(token.text) or i in s.excluded:
            continue
        if _declared_array_size(s, i):
            continue
        value = _integer_value(token.text)
        if value > 1:
            yield "constant=0", token.start, token.end, _render_integer(token.text, 0)
        if value > 2:
            yield "constant=1", token.start, token.end, _render_integer(token.text, 1)


def boolean(s):
    whole_conditions = {first for first, last in s.conditions() if first == last}
    for i, token in enumerate(s.tokens):
        if token.kind == "ident" and token.text in ("true", "false") and i not in s.excluded \
                and i not in whole_conditions:
            yield "boolean", token.start, token.end, "false" if token.text == "true" else "true"


def _initialiser(s, i):
    """Whether the '{' at i opens a brace initialiser: after a name, a type, '=', 'return', '(' or ','."""
    tokens = s.tokens
    if tokens[i].text != "{" or tokens[i].kind != "punct" or i not in s.match or i == 0:
        return False
    if i in s.blocks or i in s.function_bodies or i in s.excluded:
        return False
    before = tokens[i - 1]
    if not ((before.kind == "ident" and (before.text not in KEYWORDS or before.text in TYPE_KEYWORDS))
            or (i - 1) in s.template_brackets or before.text in ("=", "return", "(", ",")):
        return False
    # Bodies of classes, enums and namespaces, and a trailing return type's function body.
    j = i - 1
    while j >= 0 and tokens[j].text not in (";", "{", "}", "(", ",", "="):
        if tokens[j].text in ("class", "struct", "union", "enum", "namespace", "extern", "->"):
            return False
        j -= 1
    return not any(tokens[k].text == ";" and s.opener[k] == i for k in range(i + 1, s.match[i]))


def initialiser(s):
    for i, token in enumerate(s.tokens):
        if not _initialiser(s, i):
            continue
        close = s.match[i]
        if close > i + 1:
            yield "initialiser-emptied", token.end, s.tokens[close].start, ""
        elif s.tokens[i - 1].text != "(" and s.tokens[i - 1].text != ",":
            # An argument `{}` may stand for any type; a declared one is more often a number.
            yield "initialiser-set", token.end, token.end, "1"


BEGIN_END = {"begin": "end", "end": "begin", "cbegin": "cend", "cend": "cbegin", "rbegin": "rend",
             "rend": "rbegin", "crbegin": "crend", "crend": "crbegin"}


def begin_end(s):
    tokens = s.tokens
    for i, token in enumerate(tokens):
        if token.kind != "ident" or token.text not in BEGIN_END or i in s.excluded or i == 0:
            continue
        if i + 1 >= len(tokens) or tokens[i + 1].text != "(":
            continue
        member = tokens[i - 1].text in (".", "->")
        free = tokens[i - 1].text == "::" and i > 1 and tokens[i - 2].text == "std"
        if member or free:
            yield "begin-end", token.start, token.end, BEGIN_END[token.text]


def loop_jump(s):
    """`break;` first in a loop body, and `continue;` first in a for loop that ends by its own count."""
    tokens = s.tokens
    for i, token in enumerate(tokens):
        if token.kind != "ident" or token.text not in ("for", "while", "do") or i in s.excluded:
            continue
        if token.text == "do":
            body = i + 1
        else:
            if i + 1 >= len(tokens) or tokens[i + 1].text != "(" or (i + 1) not in s.match:
                continue
            body = s.match[i + 1] + 1
        if body >= len(tokens) or tokens[body].text == ";":
            continue  # the tail of a do-while, or an empty body
        jumps = ["break"]
        # A continue in a while loop, or in a for loop with no condition, usually never ends.
        if token.text == "for" and not _endless(s, i):
            jumps.append("continue")
        for jump in jumps:
            if tokens[body].text == "{":
                yield "loop-" + jump, tokens[body].end, tokens[body].end, f" {jump};"
            else:
                end = s.statement_end(body)
                if end is not None:
                    yield ("loop-" + jump, tokens[body].start, tokens[end].end,
                           f"{{ {jump}; {s.text[tokens[body].start:tokens[end].end]} }}")


def _for_has_condition(s, opening):
    tokens = s.tokens
    inner = [k for k in range(opening + 1, s.match[opening]) if s.opener[k] == opening]
    semicolons = [k for k in inner if tokens[k].text == ";"]
    if not semicolons:
        return True  # a range for
    return len(semicolons) == 2 and semicolons[1] > semicolons[0] + 1 and tokens[semicolons[0] + 1].text != "true"


# Each family names its operators; --operators takes either kind of name.
FAMILIES = {
    "comparison": ("a relational operator moved or turned round, == moved to <= or >=, == and != swapped",
                   ["relational", "boundary", "equality"]),
    "condition": ("&& and || swapped, an if/while condition made always true or false, a ! removed from one",
                  ["logical", "condition-true", "condition-false", "negation-removed"]),
    "deletion": ("a statement deleted: a return, a call, any other expression statement",
                 ["return-deleted", "call-deleted", "statement-deleted"]),
    "constant": ("an integer constant moved by one or set to 0 or 1, true and false swapped, "
                 "a brace initialiser emptied or given 1", ["constant+1", "constant-1", "constant=0", "constant=1",
                                                          "boolean", "initialiser-emptied", "initialiser-set"]),
    "iterator": ("begin and end swapped (also cbegin/cend, rbegin/rend)", ["begin-end"]),
    "loop": ("break; first in a loop body, continue; first in a counted for loop", ["loop-break", "loop-continue"]),
}
OPERATOR_NAMES = [name for _, names in FAMILIES.values() for name in names]
OPERATORS = [relational, boundary, equality, logical, condition, negation, return_deleted, call_deleted,
             statement_deleted, constant, constant_set, boolean, initialiser, begin_end, loop_jump]


# ---------------------------------------------------------------------------
# Mutants and their keys


class Mutant:
    def __init__(self, path, operator, start, end, replacement, text, line_starts):
        self.path, self.operator = path, operator
        self.start, self.end, self.replacement = start, end, replacement
        first = bisect.bisect_right(line_starts, start) - 1
        last = bisect.bisect_right(line_starts, max(start, end - 1)) - 1
        self.line = first + 1
        span_start = line_starts[first]
        span_end = line_starts[last + 1] - 1 if last + 1 < len(line_starts) else len(text)
        self.original = " ".join(text[span_start:span_end].split())
        mutated = text[span_start:start] + replacement + text[end:span_end]
        self.mutated = " ".join(mutated.split()) or "(deleted)"
        self.occurrence = 1

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]

    @property
    def key(self):
        """What stays when lines move: file, line text, operator, change, and which repeat."""
        key = f"{self.path}: {self.operator}: {self.original} -> {self.mutated}"
        return key + (f" [#{self.occurrence}]" if self.occurrence > 1 else "")

    @property
    def label(self):
        return self.key.replace(f"{self.path}: ", f"{self.path}:{self.line}: ", 1)


def mutants_of(path, text):
    """Every mutant of one file's text, in source order, each with a unique key."""
    structure = Structure(text)
    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]
    mutants = []
    for operator in OPERATORS:
        for name, start, end, replacement in operator(structure):
            mutants.append(Mutant(path, name, start, end, replacement, text, line_starts))
    mutants.sort(key=lambda m: (m.start, m.end, OPERATORS_ORDER[m.operator]))
    seen = {}
    for mutant in mutants:
        base = mutant.key
        seen[base] = seen.get(base, 0) + 1
        mutant.occurrence = seen[base]
    return mutants


OPERATORS_ORDER = {name: n for n, name in enumerate(OPERATOR_NAMES)}

LINE_NUMBER_RE = re.compile(r"^(?P<path>[^:\s]+):\d+: ")


def key_of_entry(line):
    """The key an equivalents-file line names: its line number and reason dropped."""
    entry = line.split("  #", 1)[0].strip()
    entry = LINE_NUMBER_RE.sub(lambda m: m.group("path") + ": ", entry, count=1)
    return " ".join(entry.split())


def read_equivalents(path):
    """{key: reason} of the survivors judged equivalent by hand."""
    if not path.exists():
        return {}
    entries = {}
    for raw in path.read_text(encoding="utf-8").splitlines():
        if not raw.strip() or raw.lstrip().startswith("#"):
            continue
        reason = raw.split("  #", 1)[1].strip() if "  #" in raw else ""
        entries[key_of_entry(raw)] = reason
    return entries


# ---------------------------------------------------------------------------
# Targets and source files


def read_source(path):
    return (ROOT / path).read_bytes().decode("utf-8", errors="surrogateescape")


def write_source(path, text):
    (ROOT / path).write_bytes(text.encode("utf-8", errors="surrogateescape"))


def sha256(text):
    return hashlib.sha256(text.encode("utf-8", errors="surrogateescape")).hexdigest()


def target_files(patterns):
    files = []
    for pattern in patterns:
        found = sorted(glob.glob(pattern, root_dir=ROOT))
        if not found:
            print(f"mutation: {pattern} matches no file", file=sys.stderr)
        files.extend(f for f in found if f not in files)
    return files


def on_lines(mutants, places):
    """The mutants on the given "path:line" places (all of them when there are none)."""
    if not places:
        return list(mutants)
    return [m for m in mutants if f"{m.path}:{m.line}" in set(places)]


def select(all_mutants, sample, seed):
    if sample is None or sample >= len(all_mutants):
        return list(all_mutants)
    chosen = random.Random(seed).sample(range(len(all_mutants)), sample)
    return [all_mutants[i] for i in sorted(chosen)]


def dirty_files(files):
    dirty = []
    for path in files:
        tracked = subprocess.run(["git", "-C", str(ROOT), "ls-files", "--error-unmatch", path],
                                 capture_output=True).returncode == 0
        if not tracked or subprocess.run(["git", "-C", str(ROOT), "diff", "--quiet", "HEAD", "--", path]).returncode:
            dirty.append(path)
    return dirty


# ---------------------------------------------------------------------------
# Writing a mutant and always putting the original back


class SourceGuard:
    """Writes mutants over a source file and puts the original back, also after
    a crash of this script: the original is kept in the build tree and a marker
    names the file while a mutant is in place."""

    def __init__(self, work_dir):
        self.work_dir = Path(work_dir)
        self.marker = self.work_dir / "restore.json"

    def backup_path(self, path):
        return self.work_dir / "originals" / path

    def keep_originals(self, paths):
        for path in paths:
            backup = self.backup_path(path)
            backup.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(ROOT / path, backup)

    def recover(self):
        """Puts back a file a killed run left mutated; False when it cannot tell."""
        if not self.marker.exists():
            return True
        pending = json.loads(self.marker.read_text())
        path = pending["path"]
        current = sha256(read_source(path))
        if current == pending["mutant"]:
            original = self.backup_path(path).read_bytes().decode("utf-8", errors="surrogateescape")
            if sha256(original) != pending["original"]:
                print(f"mutation: {path} is a mutant and its kept original does not match; "
                      f"restore it by hand, then delete {self.marker}", file=sys.stderr)
                return False
            write_source(path, original)
            print(f"mutation: {path} put back from an interrupted run", file=sys.stderr)
        elif current != pending["original"]:
            print(f"mutation: {path} changed since an interrupted run; check it, then delete {self.marker}",
                  file=sys.stderr)
            return False
        self.marker.unlink()
        return True

    def run_with(self, mutant, original, action):
        """action() with the mutant in place; the original is back afterwards, whatever happens."""
        mutated = mutant.apply(original)
        self.work_dir.mkdir(parents=True, exist_ok=True)
        self.marker.write_text(json.dumps({"path": mutant.path, "original": sha256(original),
                                           "mutant": sha256(mutated)}))
        try:
            write_source(mutant.path, mutated)
            return action()
        finally:
            # A second Ctrl-C must not cut the restore short.
            blocked = signal.pthread_sigmask(signal.SIG_BLOCK, TERMINATING_SIGNALS)
            try:
                write_source(mutant.path, original)
                self.marker.unlink()
            finally:
                signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


# ---------------------------------------------------------------------------
# Building and running


class Build:
    def __init__(self, build_dir, jobs, timeout):
        self.dir = Path(build_dir)
        self.jobs, self.timeout = jobs, timeout

    def configure(self):
        # Tests listed when ctest runs, so a mutant never runs inside the build.
        command = ["cmake", "-S", str(ROOT), "-B", str(self.dir), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=",
                   "-DCMAKE_CXX_FLAGS=-O1", "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode:
            print(result.stdout + result.stderr, file=sys.stderr)
        return result.returncode == 0

    def ninja(self, target):
        """(ok, first error line)."""
        try:
            result = subprocess.run(["ninja", "-C", str(self.dir), f"-j{self.jobs}", target],
                                    capture_output=True, text=True, timeout=10 * self.timeout)
        except subprocess.TimeoutExpired:
            return False, "build timed out"
        errors = re.findall(r"error: (.*)", result.stdout)
        return result.returncode == 0, (errors[0].strip() if errors else "")

    def object_files(self, target):
        """{absolute source: object path in the build tree} of everything `target` is built from."""
        result = subprocess.run(["ninja", "-C", str(self.dir), "-t", "commands", target],
                                capture_output=True, text=True, check=True)
        objects = {}
        for line in result.stdout.splitlines():
            source, output = re.search(r" -c (\S+)", line), re.search(r" -o (\S+)", line)
            if source and output:
                objects[str(Path(source.group(1)).resolve())] = output.group(1)
        return objects

    def digest(self, output):
        return hashlib.sha256((self.dir / output).read_bytes()).hexdigest()

    def kill_leftovers(self):
        """Kills every program of this build tree still running: the process tests start the program in
        sessions of its own, which a mutant may leave spinning long after its test run failed."""
        tree = str(self.dir.resolve()) + os.sep
        proc = Path("/proc")
        for entry in proc.iterdir() if proc.is_dir() else []:
            try:
                if entry.name.isdigit() and os.readlink(entry / "exe").startswith(tree):
                    os.kill(int(entry.name), signal.SIGKILL)
            except OSError:
                pass

    def run_tests(self, executable):
        """(outcome, detail): 'killed' or 'survived'."""
        command = [str(self.dir / executable), "--gtest_brief=1", "--gtest_fail_fast"]
        # A session of its own, so a program the tests started dies with them on a timeout.
        process = subprocess.Popen(command, cwd=self.dir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                   text=True, errors="replace", start_new_session=True)
        try:
            out, _ = process.communicate(timeout=self.timeout)
        except subprocess.TimeoutExpired:
            return "killed", f"timeout after {self.timeout:g} s"
        finally:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            if process.returncode is None:
                process.communicate()
            self.kill_leftovers()
        if process.returncode == 0:
            return "survived", ""
        if process.returncode < 0:
            return "killed", f"signal {-process.returncode}"
        failed = re.search(r"^\[  FAILED  \] (\S+)", out, re.M)
        return "killed", failed.group(1) if failed else f"exit {process.returncode}"


class Compiled:
    """A target file as built unmutated: its suite, its object and that object's bytes, and the digest
    of the suite's program when the object is linked into it."""

    def __init__(self, suite, object_path, object_bytes, program_digest=None):
        self.suite, self.object_path, self.object_bytes = suite, object_path, object_bytes
        self.program_digest = program_digest


def run_mutant(mutant, original, compiled, build, guard):
    def compile_and_test():
        ok, error = build.ninja(compiled.object_path)
        if not ok:
            return "invalid", error
        if (build.dir / compiled.object_path).read_bytes() == compiled.object_bytes:
            return "identical", ""
        for target in compiled.suite.targets:
            ok, error = build.ninja(target)
            if not ok:
                return "invalid", error
        # Tests that run an unchanged program would judge the original; such a mutant is not counted.
        if compiled.program_digest is not None and build.digest(compiled.suite.program) == compiled.program_digest:
            return "invalid", f"{compiled.suite.program} unchanged"
        return build.run_tests(compiled.suite.tests)
    return guard.run_with(mutant, original, compile_and_test)


def build_unmutated(build, files):
    """{path: Compiled} after each suite the files need built and passed unmutated; None on a failure."""
    compiled = {}
    for suite in dict.fromkeys(suite_of(path) for path in files):
        for target in suite.targets:
            ok, error = build.ninja(target)
            if not ok:
                print(f"mutation: {target} does not build unmutated: {error}", file=sys.stderr)
                return None
        outcome, detail = build.run_tests(suite.tests)
        if outcome != "survived":
            print(f"mutation: {suite.tests} fails unmutated ({detail})", file=sys.stderr)
            return None
        objects = build.object_files(suite.tests)
        in_program = set(build.object_files(suite.program).values()) if suite.program else set()
        program_digest = build.digest(suite.program) if suite.program else None
        mine = [path for path in files if suite_of(path) is suite]
        missing = [path for path in mine if str((ROOT / path).resolve()) not in objects]
        if missing:
            print(f"mutation: not built into {suite.tests}: {' '.join(missing)}", file=sys.stderr)
            return None
        for path in mine:
            object_path = objects[str((ROOT / path).resolve())]
            compiled[path] = Compiled(suite, object_path, (build.dir / object_path).read_bytes(),
                                      program_digest if object_path in in_program else None)
    return compiled


# ---------------------------------------------------------------------------
# State and report

OUTCOMES = ("killed", "survived", "invalid", "identical")
TERMINATING_SIGNALS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


def carried_results(state, hashes, mutants):
    """The results of an interrupted run that still hold: those of files unchanged since, and of
    mutants still to run. Returns them and the files changed."""
    changed = sorted(path for path in hashes if state["sources"].get(path) != hashes[path])
    wanted = {m.key for m in mutants if m.path not in changed}
    return {key: result for key, result in state["results"].items() if key in wanted}, changed


def save_state(path, state):
    temporary = path.with_suffix(".tmp")
    temporary.write_text(json.dumps(state, indent=1))
    os.replace(temporary, path)


def score_text(killed, survived):
    return f"{100.0 * killed / (killed + survived):5.1f}%" if killed + survived else "   n/a"


def outcomes(mutants, results, equivalents):
    """(mutant, outcome) of each mutant run; a survivor judged by hand is 'equivalent'."""
    for mutant in mutants:
        if mutant.key in results:
            outcome = results[mutant.key]["outcome"]
            yield mutant, "equivalent" if outcome == "survived" and mutant.key in equivalents else outcome


def report(mutants, results, equivalents, equivalents_name, all_keys, out=sys.stdout):
    """Prints the table and the lists; returns the total counts."""
    run = list(outcomes(mutants, results, equivalents))
    files = list(dict.fromkeys(mutant.path for mutant in mutants))
    columns = OUTCOMES + ("equivalent",)
    width = max([len(path) for path in files] + [5])
    print(f"\n{'file':<{width}}  killed survived invalid identical equivalent  score", file=out)
    totals = dict.fromkeys(columns, 0)
    for path in files + ["total"]:
        counts = dict.fromkeys(columns, 0)
        for mutant, outcome in run:
            if path in (mutant.path, "total"):
                counts[outcome] += 1
        if path == "total":
            totals = counts
        print(f"{path:<{width}}  {counts['killed']:6} {counts['survived']:8} {counts['invalid']:7} "
              f"{counts['identical']:9} {counts['equivalent']:10}  "
              f"{score_text(counts['killed'], counts['survived'])}", file=out)

    def listing(title, chosen, with_reason=False):
        if chosen:
            print(f"\n{title}", file=out)
            for mutant in chosen:
                print(f"  {mutant.label}" + (f"  # {equivalents[mutant.key]}" if with_reason else ""), file=out)

    listing(f"Survivors (to mark one equivalent, copy its line into {equivalents_name} and add '  # why'):",
            [m for m, outcome in run if outcome == "survived"])
    listing(f"Judged equivalent in {equivalents_name}:", [m for m, outcome in run if outcome == "equivalent"], True)
    listing(f"Listed in {equivalents_name} but not surviving:",
            [m for m, outcome in run if outcome != "equivalent" and m.key in equivalents])
    stale = [key for key in equivalents if key not in all_keys and key.split(": ", 1)[0] in files]
    if stale:
        print(f"\nEntries of {equivalents_name} that match no mutant any more:", file=out)
        for key in stale:
            print(f"  {key}", file=out)
    return totals


# ---------------------------------------------------------------------------


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Mutation testing of the safety code against its tests.")
    parser.add_argument("targets", nargs="*", help="globs relative to the repository root "
                        f"(default: {' '.join(DEFAULT_TARGETS)})")
    parser.add_argument("--list", action="store_true", help="list the mutants and build nothing")
    parser.add_argument("--operators", metavar="NAMES", type=operator_names,
                        help="comma-separated families or operators to use (default all; see --list-operators)")
    parser.add_argument("--list-operators", action="store_true", help="list the operator families and exit")
    parser.add_argument("--sample", type=int, metavar="N", help="run N mutants picked at random")
    parser.add_argument("--at", action="append", metavar="PATH:LINE",
                        help="only the mutants on this line (again for more), e.g. to judge survivors anew")
    parser.add_argument("--only", metavar="FILE",
                        help="only the mutants FILE lists, one a line as printed (the survivors of an earlier run)")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED, help=f"seed of --sample (default {DEFAULT_SEED})")
    parser.add_argument("--resume", action="store_true", help=f"go on from {BUILD_DIR}/state.json")
    parser.add_argument("--equivalent", default=DEFAULT_EQUIVALENT, metavar="FILE",
                        help=f"survivors judged equivalent by hand (default {DEFAULT_EQUIVALENT})")
    parser.add_argument("--timeout", type=float, default=DEFAULT_TIMEOUT, metavar="S",
                        help=f"seconds a test run may take; a timeout kills the mutant (default {DEFAULT_TIMEOUT:g})")
    parser.add_argument("--jobs", type=int, default=2, help="ninja's -j (default 2)")
    parser.add_argument("--allow-dirty", action="store_true",
                        help="run on target files that differ from git HEAD")
    return parser.parse_args(argv)


def operator_names(text):
    """The operators a comma-separated list of families and operators names."""
    chosen = []
    for name in filter(None, (part.strip() for part in text.split(","))):
        if name in FAMILIES:
            chosen.extend(FAMILIES[name][1])
        elif name in OPERATOR_NAMES:
            chosen.append(name)
        else:
            raise argparse.ArgumentTypeError(f"no operator or family {name!r}")
    if not chosen:
        raise argparse.ArgumentTypeError("no operator named")
    return [name for name in OPERATOR_NAMES if name in chosen]


def interrupt_on_termination():
    def handler(signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")
    for signum in TERMINATING_SIGNALS - {signal.SIGINT}:
        signal.signal(signum, handler)


def main(argv=None):
    args = parse_arguments(argv)
    if args.list_operators:
        for family, (description, names) in FAMILIES.items():
            print(f"{family:<11} {description}\n{'':<11} {' '.join(names)}")
        return 0
    work_dir = ROOT / BUILD_DIR
    state_path = work_dir / "state.json"
    guard = SourceGuard(work_dir)
    if not args.list and not guard.recover():
        return 1

    state = None
    if args.resume:
        if not state_path.exists():
            print(f"mutation: nothing to resume, {state_path} is missing", file=sys.stderr)
            return 1
        state = json.loads(state_path.read_text())
        args.targets, args.sample, args.seed = state["patterns"], state["sample"], state["seed"]
        args.operators = state.get("operators")
        args.at = state.get("at")
        args.only = state.get("only")
    patterns = args.targets or DEFAULT_TARGETS
    files = target_files(patterns)
    if not files:
        print("mutation: no target files", file=sys.stderr)
        return 1
    sources = {path: read_source(path) for path in files}
    every_mutant = [m for path in files for m in mutants_of(path, sources[path])]
    operators = args.operators or OPERATOR_NAMES
    all_mutants = on_lines([m for m in every_mutant if m.operator in operators], args.at)
    if args.only:
        listed = set(read_equivalents(Path(args.only)))
        all_mutants = [m for m in all_mutants if m.key in listed]
    mutants = select(all_mutants, args.sample, args.seed)
    equivalents_path = ROOT / args.equivalent
    equivalents = read_equivalents(equivalents_path)

    if args.list:
        for mutant in mutants:
            print(mutant.label)
        print(f"{len(mutants)} of {len(all_mutants)} mutants in {len(files)} files")
        return 0

    dirty = [] if args.allow_dirty else dirty_files(files)
    if dirty:
        print("mutation: these differ from git HEAD (commit them or pass --allow-dirty): " + " ".join(dirty),
              file=sys.stderr)
        return 1
    hashes = {path: sha256(text) for path, text in sources.items()}
    if state is not None:
        # A file changed since has other mutants: only those of the files left as they were keep
        # their results (judged against the tests of then; run the survivors again with --only).
        state["results"], changed = carried_results(state, hashes, mutants)
        if changed:
            print("mutation: changed since the interrupted run, run again: " + " ".join(changed), flush=True)
        state["sources"], state["mutants"] = hashes, [m.key for m in mutants]
    else:
        state = {"patterns": patterns, "sample": args.sample, "seed": args.seed, "operators": args.operators,
                 "at": args.at, "only": args.only,
                 "sources": hashes, "mutants": [m.key for m in mutants], "results": {}}

    build = Build(work_dir, args.jobs, args.timeout)
    interrupt_on_termination()
    try:
        if not build.configure():
            return 1
        compiled = build_unmutated(build, files)
        if compiled is None:
            return 1
        guard.keep_originals(files)
        save_state(state_path, state)

        pending = [m for m in mutants if m.key not in state["results"]]
        done = len(mutants) - len(pending)
        print(f"{len(mutants)} of {len(all_mutants)} mutants, {len(pending)} to run", flush=True)
        for mutant in pending:
            began = time.monotonic()
            outcome, detail = run_mutant(mutant, sources[mutant.path], compiled[mutant.path], build, guard)
            seconds = time.monotonic() - began
            state["results"][mutant.key] = {"outcome": outcome, "detail": detail, "seconds": round(seconds, 2)}
            save_state(state_path, state)
            done += 1
            print(f"[{done}/{len(mutants)}] {outcome:<9} {seconds:5.1f}s  {mutant.label}"
                  + (f"  ({detail})" if detail else ""), flush=True)
    except KeyboardInterrupt:
        print("\nmutation: interrupted; sources restored, go on with --resume", file=sys.stderr)
        return 130

    results = state["results"]
    report(mutants, results, equivalents, args.equivalent, {m.key for m in every_mutant})
    seconds = [r["seconds"] for r in results.values()]
    if seconds:
        print(f"\n{len(seconds)} mutants, {sum(seconds) / len(seconds):.1f} s each on average")
    return 0


if __name__ == "__main__":
    sys.exit(main())
