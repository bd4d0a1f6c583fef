#!/usr/bin/env python3
"""The catalogues in translations/ and the texts in the sources, kept in step.

    scripts/translations.py update LUPDATE   refresh translations/*.ts from the sources
    scripts/translations.py check LUPDATE    fail on a text that escapes translation

`check` runs lupdate over copies of the catalogues and fails when an entry is unfinished,
empty or no longer in the sources, in either catalogue; then it scans the sources for texts
handed to the windows without going through the translation (a literal or a k-constant
given straight to setText, setWindowTitle, addAction, a message box, the prompter...).
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CATALOGUES = ("translations/orbcalender_en.ts", "translations/orbcalender_ko.ts")
# Every folder whose code puts text in front of the user. The login page's texts stay with it
# while it moves into a process of its own.
FOLDERS = ("core", "service", "tasks", "cache", "reminders", "app", "calendarview", "treelist", "widgets",
           "dialogs", "translations")
SKIPPED = ("app/login_page",)
CONTEXT = "OrbCalender"
LUPDATE_OPTIONS = ["-tr-function-alias", "QT_TRANSLATE_NOOP+=ORB_TEXT", "-extensions", "cpp,h", "-locations", "none",
                   "-no-ui-lines", "-silent"]

# Calls that put their text argument in front of the user.
UI_CALL = re.compile(r"\b(setText|setWindowTitle|setToolTip|setTitle|setPlaceholderText|addAction|addMenu|setItemText|"
                     r"addItem|setAccessibleName|showMessage|ShowMessage|AskYesNo|QMessageBox::\w+|QLabel|QPushButton|"
                     r"QCheckBox|QGroupBox|QRadioButton|QAction|QMenu)\s*\(")
# An argument that is a text as written: a literal, or a named constant, maybe made a QString.
UNTRANSLATED = re.compile(r'^\s*(?:tr\w*\s*\(|QString::from\w+\s*\(|QStringLiteral\s*\(|QString\s*\()?\s*'
                          r'(?P<text>"(?:\\.|[^"\\])*"|k[A-Z]\w*)')
# Names, not words: the program's name and texts that are only digits or signs.
NOT_WORDS = re.compile(r'^"[^A-Za-z\u3131-\uD7A3]*"$')
ALLOWED_CONSTANTS = {"kAppTitle"}
MARKER = re.compile(r'\bORB_TEXT\s*\(\s*"([^"]*)"')


def sources():
    for folder in FOLDERS:
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            relative = os.path.relpath(base, ROOT)
            if any(relative == s or relative.startswith(s + "/") for s in SKIPPED):
                continue
            for name in sorted(names):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(relative, name)


def run_lupdate(lupdate, catalogues, options=()):
    files = list(sources())
    # lupdate chats about C++ it does not follow even with -silent; its words matter only on failure.
    run = subprocess.run([lupdate] + LUPDATE_OPTIONS + list(options) + files + ["-ts"] + catalogues, cwd=ROOT,
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(run.stdout + run.stderr + "lupdate failed")


def catalogue_problems(path):
    problems = []
    for message in ElementTree.parse(path).getroot().iter("message"):
        source = message.findtext("source")
        translation = message.find("translation")
        kind = translation.get("type") if translation is not None else "missing"
        if kind in ("unfinished", "vanished", "obsolete", "missing") or not (translation.text or "").strip():
            problems.append("%s: %s entry: %r" % (os.path.basename(path), kind or "empty", source))
    return problems


def arguments(text, start):
    """The first argument of the call whose '(' is at text[start - 1]."""
    depth, quote, i = 0, None, start
    while i < len(text):
        c = text[i]
        if quote:
            if c == "\\":
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                return text[start:i]
            depth -= 1
        elif c == "," and depth == 0:
            return text[start:i]
        i += 1
    return text[start:]


def source_problems():
    problems = []
    for path in sources():
        text = open(os.path.join(ROOT, path), encoding="utf-8").read()
        code = re.sub(r"//[^\n]*", "", text)
        for marker in MARKER.finditer(code):
            if marker.group(1) != CONTEXT:
                problems.append("%s: ORB_TEXT with the context %r instead of %r" % (path, marker.group(1), CONTEXT))
        for call in UI_CALL.finditer(code):
            argument = arguments(code, call.end())
            found = UNTRANSLATED.match(argument)
            if not found:
                continue
            value = found.group("text")
            if value.startswith("k"):
                # A constant defined here as signs only ("+") is no word either.
                defined = re.search(r"\b%s\s*=\s*(\"(?:\\.|[^\"\\])*\")\s*;" % value, code)
                value = defined.group(1) if defined else value
            if value in ALLOWED_CONSTANTS or NOT_WORDS.match(value):
                continue
            line = code.count("\n", 0, call.start()) + 1
            problems.append("%s:%d: %s(%s) is shown untranslated" % (path, line, call.group(1), argument.strip()))
    return problems


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("update", "check"):
        sys.exit(__doc__)
    mode, lupdate = sys.argv[1], sys.argv[2]
    if mode == "update":
        # A text gone from the sources leaves the catalogues too.
        run_lupdate(lupdate, [os.path.join(ROOT, c) for c in CATALOGUES], ["-no-obsolete"])
        return
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        copies = []
        for catalogue in CATALOGUES:
            copy = os.path.join(scratch, os.path.basename(catalogue))
            shutil.copy(os.path.join(ROOT, catalogue), copy)
            copies.append(copy)
        run_lupdate(lupdate, copies)
        for copy in copies:
            problems += catalogue_problems(copy)
    problems += source_problems()
    for problem in problems:
        print(problem)
    if problems:
        print("%d problem(s); add the text with ORB_TEXT or tr(), run `cmake --build build --target "
              "update_translations` and finish both catalogues" % len(problems))
        sys.exit(1)
    print("every text the user reads is in both catalogues")


if __name__ == "__main__":
    main()
