#!/usr/bin/python3
"""Checks make_lang.py on a small script of its own: what it translates and
what it must leave alone, what check reports, and that its output compiles."""
import contextlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_lang  # noqa: E402

FILES = {
    'ids.h': '#define IDD_X 100\n#define IDC_A 101\n#define IDM_X 102\n#define IDS_BASE 200\n#define IDI_APP 103\n',
    'app.rc': r'''#pragma code_page(65001)
#include <windows.h>
#include "ids.h"
IDI_APP ICON "app.ico"
IDD_X DIALOGEX 0, 0, 100, 50
STYLE DS_SETFONT | WS_POPUP | WS_CAPTION
CAPTION "Title"
FONT 8, "MS Shell Dlg", 0, 0, 0x1
BEGIN
    CONTROL "Run &now", IDC_A,
            "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 7, 7, 80, 10
    CONTROL IDI_APP, -1, "Static", SS_ICON, 7, 20, 20, 20
    ICON "APPICON", -1, 30, 20, 20, 20
    LTEXT "", -1, 7, 40, 80, 8
END
#include "sub.rc"
''',
    'sub.rc': r'''IDM_X MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit\tAlt+F4", 1
    END
END
STRINGTABLE
BEGIN
    IDS_BASE + 1 "Say ""%1"" \"now\"\n\\share"
END
''',
    'languages.txt': 'en  LANG_ENGLISH, SUBLANG_ENGLISH_US  English  -\n'
                     'de  LANG_GERMAN, SUBLANG_GERMAN  Deutsch  de.po\n'
                     'qps-ploc  0x101, 0x01  Pseudo  pseudo\n',
}
GOOD_PO = r'''msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"
"X-Dialog-Font: Segoe UI, 9\n"

msgid "Title"
msgstr "Titel"

msgid "Run &now"
msgstr "&Jetzt starten"

msgid "&File"
msgstr "&Datei"

msgid "E&xit\tAlt+F4"
msgstr "&Beenden\tAlt+F4"

msgid "Say ""%1"" \"now\"\n\\share"
msgstr ""
"Sag ""%1"" \"jetzt\"\n"
"\\Freigabe"
'''
# Names the scripts give in quotes that are no text of the user's.
NAMES = {'Button', 'Static', 'APPICON', ''}


class MakeLangTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)
        for name, text in dict(FILES, **{'de.po': GOOD_PO}).items():
            self.write(name, text)

    def write(self, name, text):
        with open(os.path.join(self.dir, name), 'w', encoding='utf-8') as f:
            f.write(text)

    def run_tool(self, command, *more):
        err = io.StringIO()
        with contextlib.redirect_stderr(err):
            code = make_lang.main([command, '--list', os.path.join(self.dir, 'languages.txt'),
                                   '--rc', os.path.join(self.dir, 'app.rc')] + list(more))
        return code, err.getvalue()

    def build(self):
        out = os.path.join(self.dir, 'out')
        self.assertEqual(self.run_tool('build', '--out', out), (0, ''))
        return out

    def test_pseudo_keeps_escapes_placeholders_mnemonics_and_accelerator(self):
        for english, menu in [(r'Say ""%1"" \"now\"\n\\share %ls: %d%% &Open && go', False),
                              (r'E&xit\tCtrl+H', True), ('1 % of it', False)]:
            fake = make_lang.pseudo(english, menu)
            self.assertEqual(make_lang.text_problems(english, fake), [], fake)
            (body, tab, accelerator), (text, *rest) = fake.partition(r'\t'), english.partition(r'\t')
            self.assertEqual([tab, accelerator], rest)
            self.assertTrue(body.startswith('[') and body.endswith(']'), fake)
            skeleton = [p for p in make_lang.pieces(body[1:-1].rstrip(make_lang.PSEUDO_FILLER)) if not p.isalpha()]
            self.assertEqual(skeleton, [p for p in make_lang.pieces(text) if not p.isalpha()], fake)

    def test_build_translates_texts_and_leaves_names_alone(self):
        out = self.build()
        for tag in ('de', 'qps-ploc'):
            with open(os.path.join(out, 'lang_%s.rc' % tag), encoding='utf-8') as f:
                rc = f.read()
            literals = [m.group(1) for m in re.finditer(r'"((?:[^"\\\n]|\\.|"")*)"', rc)
                        if not re.search(r'(#include|FONT)[^\n]*$', rc[:m.start()])]
            self.assertEqual(NAMES - set(literals), set(), tag)
            self.assertIn('FONT 9, "Segoe UI", 0, 0, 0x1' if tag == 'de' else '"MS Shell Dlg"', rc)
            texts = [t for t in literals if t not in NAMES]
            self.assertEqual(len(texts), 5, rc)
            if tag == 'qps-ploc':
                self.assertTrue(all(t.startswith('[') and ']' in t for t in texts), texts)
            else:
                self.assertIn(r'"Sag ""%1"" \"jetzt\"\n\\Freigabe"', rc)
                self.assertNotIn('Title', rc)
        windres = shutil.which('x86_64-w64-mingw32-windres')
        if windres:
            result = subprocess.run([windres, '-c', '65001', '-I', self.dir, os.path.join(out, 'lang_all.rc'),
                                     '-O', 'coff', '-o', os.path.join(out, 'all.o')], capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stderr)

    def test_check_reports_missing_mismatched_and_stale(self):
        self.assertEqual(self.run_tool('check'), (0, ''))
        self.write('de.po', GOOD_PO.replace('msgstr "Titel"', 'msgstr ""').replace('"Sag ""%1""', '"Sag ""%2""')
                   .replace('"&Datei"', '"Datei"') + '\nmsgid "Gone"\nmsgstr "Weg"\n')
        code, err = self.run_tool('check')
        self.assertEqual(code, 1)
        for expected in ['"Title"', 'placeholders %2', '"Datei": 0 & mnemonics', '"Gone" is no longer']:
            self.assertIn(expected, err)
        self.assertIn('"Title"', self.run_tool('build', '--out', os.path.join(self.dir, 'out'))[1])

    @unittest.skipUnless(shutil.which('g++'), 'no g++')
    def test_english_texts_are_cpp_literals_of_the_same_text(self):
        out = self.build()
        self.write('use.cpp', '#include <string_view>\n#include "ids.h"\n'
                   'struct Text { int id; const char* text; };\n'
                   'constexpr Text texts[] = {\n#include "english_texts.inc"\n};\n'
                   'static_assert(texts[0].id == 201);\n'
                   'static_assert(std::string_view(texts[0].text) == "Say \\"%1\\" \\"now\\"\\n\\\\share");\n')
        result = subprocess.run(['g++', '-std=c++20', '-fsyntax-only', '-I', self.dir, '-I', out,
                                 os.path.join(self.dir, 'use.cpp')], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)


if __name__ == '__main__':
    unittest.main()
