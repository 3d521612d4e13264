#!/usr/bin/python3
"""Builds the translated resource scripts from the English ones and the
translators' PO files, and checks that the translations still fit.

    make_lang.py build   --list res/lang/languages.txt --rc res/app.rc --out DIR [--allow-missing]
    make_lang.py check   --list res/lang/languages.txt --rc res/app.rc
    make_lang.py missing --list res/lang/languages.txt --rc res/app.rc --lang de

The English texts are the string literals the user sees in the dialogs
(CAPTION and each control's text), menus (POPUP, MENUITEM) and string tables
of res/app.rc and the scripts it includes.  A PO file is keyed by such a text
exactly as the .rc writes it, escapes and all, and its msgstr uses the same
rc escapes.  Its header may carry "X-Dialog-Font: <face>, <points>\\n", which
then replaces the face and size of every dialog's FONT in that language.

build writes, for each language but English, DIR/lang_<tag>.rc (the dialogs,
menus and string tables again, under that language's LANGUAGE), and
DIR/lang_all.rc including them all, DIR/languages.inc (the list of languages
for the program) and DIR/english_texts.inc (the English string table as C++
literals).  A file whose content has not changed is left alone.  The pseudo
language is made here rather than translated: each text in brackets, its
letters accented and a filler making it about 40 % longer, so that clipped,
untranslatable or hard-coded texts stand out.

Every problem is reported on stderr with its file, and the exit code is 1.
--allow-missing lets build go on with the English text where a translation
is missing (anything inconsistent still stops it).
"""
import argparse
import os
import re
import sys

TEXT_CONTROLS = {'LTEXT', 'RTEXT', 'CTEXT', 'PUSHBUTTON', 'DEFPUSHBUTTON', 'PUSHBOX', 'GROUPBOX',
                 'CHECKBOX', 'AUTOCHECKBOX', 'STATE3', 'AUTO3STATE', 'RADIOBUTTON',
                 'AUTORADIOBUTTON', 'CONTROL'}
# Their first argument is an id (or, for ICON, the icon's resource name).
OTHER_CONTROLS = {'EDITTEXT', 'BEDIT', 'HEDIT', 'IEDIT', 'COMBOBOX', 'LISTBOX', 'SCROLLBAR', 'ICON'}
# A line ending in one of these goes on on the next.
CONTINUES = {',', '|', '+', '-', '*', '/', '(', '&', '~', 'NOT'}

# One unit of an rc-escaped text: an escape, a doubled quote, a placeholder
# (%1..%9, FormatMessage's %1!d!, printf's), an ampersand written twice, a
# mnemonic, or a plain character.  "1 % of" holds no placeholder: printf's
# space flag is left out for that.
PIECE = re.compile(r'\\.|""|%(?:[1-9](?:![^!]*!)?|%|[-+#0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?'
                   r'(?:hh|h|ll|l|I64|I32|z|j|t|L)?[diouxXeEfgGcCsSp])|&&|&[^\\&"]|.', re.S)
ESCAPES = {'\\n', '\\t', '\\r', '\\a', '\\b', '\\f', '\\v', '\\\\', '\\"'}

PSEUDO_LETTERS = dict(zip('aceinosuyzACDEINOSUYZ', 'áçéíñöšüýžÅÇÐÉÍÑÖŠÜÝŽ'))
PSEUDO_FILLER = '·'


class Failed(Exception):
    pass


# ---- reading the English scripts

class Token:
    __slots__ = ('kind', 'text', 'start', 'end', 'line', 'value')

    def __init__(self, kind, text, start, end, line, value=None):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line
        self.value = value  # a literal's text between its quotes

    def word(self):
        return self.text.upper() if self.kind == 'word' else None


def scan_literal(s, i, where):
    """The literal opening at s[i]: (its text as written, index past it)."""
    j = i + 1
    while j < len(s):
        c = s[j]
        if c == '\\' and j + 1 < len(s) and s[j + 1] != '\n':
            j += 2
        elif c == '"' and s[j + 1:j + 2] == '"':
            j += 2
        elif c == '"':
            return s[i + 1:j], j + 1
        elif c == '\n':
            break
        else:
            j += 1
    raise Failed('%s: string not closed on its line' % where)


def tokenize(src, path):
    tokens, i, line, line_start = [], 0, 1, True
    while i < len(src):
        c = src[i]
        if c == '\n':
            i, line, line_start = i + 1, line + 1, True
        elif c.isspace():
            i += 1
        elif src.startswith('//', i):
            i = src.find('\n', i)
            i = len(src) if i < 0 else i
        elif src.startswith('/*', i):
            j = src.find('*/', i + 2)
            if j < 0:
                raise Failed('%s:%d: comment not closed' % (path, line))
            line += src.count('\n', i, j)
            i = j + 2
        elif c == '#' and line_start:
            j = i
            while True:
                j = src.find('\n', j)
                j = len(src) if j < 0 else j
                if not src[i:j].rstrip().endswith('\\'):
                    break
                j += 1
            tokens.append(Token('directive', src[i:j], i, j, line))
            line += src.count('\n', i, j)
            i = j
        else:
            line_start = False
            if c == '"' or (c in 'Ll' and src[i + 1:i + 2] == '"'):
                q = i if c == '"' else i + 1
                value, j = scan_literal(src, q, '%s:%d' % (path, line))
                tokens.append(Token('str', src[i:j], i, j, line, value))
            elif c.isalnum() or c == '_':
                j = i
                while j < len(src) and (src[j].isalnum() or src[j] == '_'):
                    j += 1
                tokens.append(Token('word', src[i:j], i, j, line))
            else:
                j = i + 1
                tokens.append(Token('punct', c, i, j, line))
            i = j
    return tokens


class Use:
    """One place where the program shows an English text."""

    def __init__(self, token, path, where, menu):
        self.token, self.path, self.where, self.menu = token, path, where, menu
        self.text = token.value

    def ref(self):
        return '%s:%d %s' % (self.path, self.token.line, self.where)


class Block:
    """A dialog, menu or string table, copied into every language."""

    def __init__(self, src, start, end):
        self.src, self.start, self.end = src, start, end
        self.uses = []
        self.font = None  # (start, end, rest of the FONT statement after the face)
        self.strings = []  # (id expression, Use) of a string table


class Scripts:
    def __init__(self):
        self.includes = []  # the #include lines of headers, in order
        self.items = []  # Blocks, directives to copy (str) and the file each came from (tuple)
        self.uses = []
        self.files = []

    def english(self):
        """Every non-empty English text, in order, with the places it is used."""
        texts = {}
        for use in self.uses:
            if use.text:
                texts.setdefault(use.text, []).append(use)
        return texts


def matching_end(tokens, i, path):
    """The index of the END closing the BEGIN at tokens[i]."""
    depth = 0
    for j in range(i, len(tokens)):
        w = tokens[j].word() or tokens[j].text
        if w in ('BEGIN', '{'):
            depth += 1
        elif w in ('END', '}'):
            depth -= 1
            if depth == 0:
                return j
    raise Failed('%s:%d: BEGIN without END' % (path, tokens[i].line))


def statements(tokens):
    """Splits a dialog's lines into statements; a line ending in a comma or an
    operator goes on on the next."""
    out = []
    for k, t in enumerate(tokens):
        prev = tokens[k - 1] if k else None
        if prev is None or (t.line > prev.line and (prev.word() or prev.text) not in CONTINUES):
            out.append([])
        out[-1].append(t)
    return out


def arguments(stmt):
    args, depth = [[]], 0
    for t in stmt[1:]:
        if t.text == '(':
            depth += 1
        elif t.text == ')':
            depth -= 1
        if t.text == ',' and depth == 0:
            args.append([])
        else:
            args[-1].append(t)
    return args


def read_dialog(block, name, tokens, path):
    begin = next(k for k, t in enumerate(tokens) if t.word() in ('BEGIN', '{'))
    for stmt in statements(tokens[1:begin]):
        head = stmt[0].word()
        if head == 'CAPTION' and len(stmt) > 1 and stmt[1].kind == 'str':
            block.uses.append(Use(stmt[1], path, name, False))
        elif head == 'FONT':
            args = arguments(stmt)
            if len(args) < 2 or len(args[1]) != 1 or args[1][0].kind != 'str':
                raise Failed('%s:%d: FONT without a face' % (path, stmt[0].line))
            face = args[1][0]
            block.font = (stmt[0].start, stmt[-1].end, block.src[face.end:stmt[-1].end])
    for stmt in statements(tokens[begin + 1:-1]):
        head = stmt[0].word()
        if head not in TEXT_CONTROLS and head not in OTHER_CONTROLS:
            raise Failed('%s:%d: %s: unknown statement %s' % (path, stmt[0].line, name, stmt[0].text))
        first = arguments(stmt)[0]
        if head in TEXT_CONTROLS and len(first) == 1 and first[0].kind == 'str':
            block.uses.append(Use(first[0], path, name, False))


def read_menu(block, name, tokens, path):
    for k, t in enumerate(tokens[:-1]):
        if t.word() in ('POPUP', 'MENUITEM') and tokens[k + 1].kind == 'str':
            block.uses.append(Use(tokens[k + 1], path, name, True))


def read_string_table(block, tokens, path):
    begin = next(k for k, t in enumerate(tokens) if t.word() in ('BEGIN', '{'))
    after = tokens[begin].end
    for t in tokens[begin + 1:-1]:
        if t.kind != 'str':
            continue
        ident = re.sub(r'//[^\n]*|/\*.*?\*/', '', block.src[after:t.start], flags=re.S)
        ident = ident.strip().rstrip(',').strip()
        if not ident:
            raise Failed('%s:%d: a string table text without an id' % (path, t.line))
        use = Use(t, path, ident, False)
        block.uses.append(use)
        block.strings.append((ident, use))
        after = t.end


def read_scripts(path, scripts=None):
    scripts = scripts if scripts is not None else Scripts()
    path = os.path.normpath(path)
    if path in scripts.files:
        raise Failed('%s: included twice' % path)
    scripts.files.append(path)
    try:
        with open(path, encoding='utf-8-sig') as f:
            src = f.read()
    except OSError as e:
        raise Failed('%s: %s' % (path, e.strerror))
    except UnicodeDecodeError:
        raise Failed('%s: not UTF-8' % path)
    tokens = tokenize(src, path)
    scripts.items.append((path,))
    i = 0
    while i < len(tokens):
        t = tokens[i]
        if t.kind == 'directive':
            m = re.match(r'#\s*include\s*([<"])([^>"]+)[>"]', t.text)
            if m and m.group(2).lower().endswith('.rc'):
                read_scripts(os.path.join(os.path.dirname(path), m.group(2)), scripts)
                scripts.items.append((path,))
            elif m:
                line = '#include %s%s%s' % (m.group(1), m.group(2), '>' if m.group(1) == '<' else '"')
                if line not in scripts.includes:
                    scripts.includes.append(line)
            elif not re.match(r'#\s*pragma\b', t.text):
                scripts.items.append(t.text)
            i += 1
            continue
        w = t.word() or t.text
        if w in ('BEGIN', '{'):
            i = matching_end(tokens, i, path) + 1
            continue
        first = i
        while first > 0 and tokens[first - 1].line == t.line and tokens[first - 1].kind != 'directive':
            first -= 1
        kind = None
        if w in ('DIALOG', 'DIALOGEX', 'MENU', 'MENUEX') and first < i:
            kind = 'menu' if w.startswith('MENU') else 'dialog'
        elif w == 'STRINGTABLE':
            kind, first = 'strings', i
        if kind is None:
            i += 1
            continue
        begin = i
        while begin < len(tokens) and (tokens[begin].word() or tokens[begin].text) not in ('BEGIN', '{'):
            begin += 1
        if begin == len(tokens):
            raise Failed('%s:%d: %s without BEGIN' % (path, t.line, t.text))
        end = matching_end(tokens, begin, path)
        block = Block(src, tokens[first].start, tokens[end].end)
        name = src[tokens[first].start:t.start].strip()
        if kind == 'dialog':
            read_dialog(block, name, tokens[i:end + 1], path)
        elif kind == 'menu':
            read_menu(block, name, tokens[begin:end + 1], path)
        else:
            read_string_table(block, tokens[i:end + 1], path)
        scripts.items.append(block)
        scripts.uses.extend(block.uses)
        i = end + 1
    return scripts


# ---- texts

def pieces(text):
    return PIECE.findall(text)


def text_problems(english, translated):
    """What makes a translation unusable in the English text's place."""
    problems = []
    eng, tr = pieces(english), pieces(translated)
    bad = sorted({p for p in tr if p.startswith('\\') and p not in ESCAPES})
    if bad:
        problems.append('escape %s that rc files here do not use' % ' '.join(bad))

    def holders(ps):
        return sorted(p for p in ps if p.startswith('%') and len(p) > 1)
    if holders(eng) != holders(tr):
        problems.append('placeholders %s, English has %s' % (' '.join(holders(tr)) or 'none',
                                                             ' '.join(holders(eng)) or 'none'))
    if eng.count('\\t') != tr.count('\\t'):
        problems.append('%d \\t, English has %d' % (tr.count('\\t'), eng.count('\\t')))

    def mnemonics(ps):
        return sum(1 for p in ps if len(p) == 2 and p[0] == '&' and p[1] != '&')
    if mnemonics(eng) != mnemonics(tr):
        problems.append('%d & mnemonics, English has %d (write && for an ampersand)'
                        % (mnemonics(tr), mnemonics(eng)))
    return problems


def pseudo(text, menu=False):
    """The pseudo language's version of an English text."""
    if not text:
        return text
    accelerator = ''
    if menu and '\\t' in pieces(text):
        ps = pieces(text)
        k = ps.index('\\t')
        text, accelerator = ''.join(ps[:k]), ''.join(ps[k:])
    out, length = [], 0
    for p in pieces(text):
        length += 1 if (len(p) == 2 and p[0] in '\\"&') else len(p)
        if len(p) == 1:
            out.append(PSEUDO_LETTERS.get(p, p))
        else:
            out.append(p)  # escapes, placeholders, && and a mnemonic (its letter plain, so Alt+letter works)
    return '[' + ''.join(out) + PSEUDO_FILLER * max(1, (length * 2 + 4) // 5) + ']' + accelerator


def cpp_literal(text):
    """An rc-escaped text as a C++ narrow literal meaning the same."""
    return '"' + ''.join('\\"' if p == '""' else p for p in pieces(text)) + '"'


# ---- languages and PO files

class Language:
    def __init__(self, tag, primary, sub, name, po):
        self.tag, self.primary, self.sub, self.name, self.po = tag, primary, sub, name, po

    @property
    def english(self):
        return self.po == '-'

    @property
    def pseudo(self):
        return self.po == 'pseudo'


def read_list(path):
    try:
        with open(path, encoding='utf-8-sig') as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise Failed('%s: %s' % (path, e.strerror))
    langs, word = [], r'(?:[A-Za-z_][A-Za-z0-9_]*|0[xX][0-9A-Fa-f]+|\d+)'
    for n, line in enumerate(lines, 1):
        line = line.strip()
        if not line or line.startswith('#'):
            continue
        fields = re.split(r'\s{2,}|\t', line)
        m = len(fields) == 4 and re.fullmatch(r'(%s)\s*,\s*(%s)' % (word, word), fields[1])
        if not m or not re.fullmatch(r'[A-Za-z0-9-]+', fields[0]) or '"' in fields[2] or '\\' in fields[2]:
            raise Failed('%s:%d: not "tag  PRIMARY, SUB  name  file" with two spaces between' % (path, n))
        po = fields[3]
        if po not in ('-', 'pseudo') and not re.fullmatch(r'[A-Za-z0-9_.-]+\.po', po):
            raise Failed('%s:%d: the file is a .po file, - or pseudo' % (path, n))
        if po not in ('-', 'pseudo'):
            po = os.path.join(os.path.dirname(path), po)
        langs.append(Language(fields[0], m.group(1), m.group(2), fields[2], po))
    tags = [lang.tag for lang in langs]
    if len(set(tags)) != len(tags):
        raise Failed('%s: a tag is listed twice' % path)
    if sum(lang.english for lang in langs) != 1:
        raise Failed('%s: one language, English, has - for its file' % path)
    return langs


class Po:
    def __init__(self, path):
        self.path, self.entries, self.errors, self.font = path, [], [], None
        self.exists = os.path.exists(path)

    def translations(self):
        return {e['msgid']: e['msgstr'] for e in self.entries if e['msgstr'] and not e['fuzzy']}


def read_po(path):
    po = Po(path)
    if not po.exists:
        return po
    try:
        with open(path, encoding='utf-8-sig') as f:
            lines = f.read().splitlines()
    except UnicodeDecodeError:
        po.errors.append('%s: not UTF-8' % path)
        return po
    entry, field, fuzzy = None, None, False
    for n, line in enumerate(lines, 1):
        where = '%s:%d' % (path, n)
        s = line.strip()
        if not s or (s.startswith('#') and not s.startswith('#,')):
            continue
        if s.startswith('#,'):
            fuzzy = fuzzy or 'fuzzy' in s
            continue
        m = re.match(r'(msgid|msgstr|msgctxt|msgid_plural|msgstr\[\d+\])?\s*(?=")', s)
        if not m or m.group(1) in ('msgctxt', 'msgid_plural') or (m.group(1) or '').startswith('msgstr['):
            po.errors.append('%s: not a msgid, msgstr or "..." line (no msgctxt or plurals here)' % where)
            continue
        try:
            value, end = scan_literal(s, m.end(), where)
        except Failed as e:
            po.errors.append(str(e))
            continue
        if s[end:].strip():
            po.errors.append('%s: text after the closing quote (write a quote as \\" or "")' % where)
        if m.group(1) == 'msgid':
            if entry is not None and 'msgstr' not in entry:
                po.errors.append('%s: msgid without msgstr before it' % where)
            entry = {'msgid': value, 'line': n, 'fuzzy': fuzzy}
            po.entries.append(entry)
            field, fuzzy = 'msgid', False
        elif m.group(1) == 'msgstr':
            if entry is None or 'msgstr' in entry:
                po.errors.append('%s: msgstr without its msgid' % where)
                continue
            entry['msgstr'], field = value, 'msgstr'
        elif entry is None:
            po.errors.append('%s: "..." line outside an entry' % where)
        else:
            entry[field] += value
    if entry is not None and 'msgstr' not in entry:
        po.errors.append('%s:%d: msgid without msgstr' % (path, entry['line']))
    for e in po.entries:
        e.setdefault('msgstr', '')
    header = [e for e in po.entries if e['msgid'] == '']
    po.entries = [e for e in po.entries if e['msgid'] != '']
    for field in (header[0]['msgstr'].split('\\n') if header else []):
        name, _, value = field.partition(':')
        if name.strip().lower() == 'x-dialog-font':
            m = re.fullmatch(r'\s*([^",]+?)\s*,\s*(\d+)\s*', value)
            if not m:
                po.errors.append('%s:%d: X-Dialog-Font is "<face>, <points>"' % (path, header[0]['line']))
            else:
                po.font = (m.group(1), m.group(2))
    return po


def check_language(lang, english, po):
    """What is wrong with one PO file, as lines for stderr, and the English
    texts it leaves untranslated."""
    if not po.exists:
        return ['%s: no such file; "make_lang.py missing --lang %s" writes it' % (po.path, lang.tag)], list(english)
    errors, seen = list(po.errors), {}
    for e in po.entries:
        where = '%s:%d' % (po.path, e['line'])
        if e['msgid'] in seen:
            errors.append('%s: "%s" again (first at line %d)' % (where, e['msgid'], seen[e['msgid']]))
            continue
        seen[e['msgid']] = e['line']
        if e['msgid'] not in english:
            errors.append('%s: "%s" is no longer an English text; remove it' % (where, e['msgid']))
        elif e['msgstr'] and not e['fuzzy']:
            for problem in text_problems(e['msgid'], e['msgstr']):
                errors.append('%s: "%s": %s' % (where, e['msgstr'], problem))
    done = po.translations()
    return errors, [text for text in english if text not in done]


def missing_report(po, english, texts):
    if not po.exists or not texts:
        return []
    return ['%s: %d texts have no translation:' % (po.path, len(texts))] + [
        '    "%s" (%s)' % (text, english[text][0].ref()) for text in texts]


def english_problems(scripts):
    problems = []
    for use in scripts.uses:
        bad = sorted({p for p in pieces(use.text) if p.startswith('\\') and p not in ESCAPES})
        if bad:
            problems.append('%s: "%s": escape %s; write the character itself' % (use.ref(), use.text, ' '.join(bad)))
    return problems


# ---- writing

def language_rc(scripts, lang, translate, font, sources):
    out = ['// %s, made by make_lang.py from %s; do not edit.' % (lang.name, ', '.join(sources)),
           '#pragma code_page(65001)']
    out += scripts.includes
    out += ['', 'LANGUAGE %s, %s' % (lang.primary, lang.sub)]
    source = None
    for item in scripts.items:
        if isinstance(item, tuple):
            source = item[0]
            continue
        if source:  # name the file a block comes from, once
            out += ['', '// %s' % os.path.basename(source)]
            source = None
        if isinstance(item, str):
            out.append(item)
            continue
        edits = [(u.token.end - 1 - len(u.text), u.token.end - 1, translate(u)) for u in item.uses]
        if font and item.font:
            start, end, rest = item.font
            edits.append((start, end, 'FONT %s, "%s"%s' % (font[1], font[0], rest)))
        text, pos = [], item.start
        for start, end, new in sorted(edits):
            text += [item.src[pos:start], new]
            pos = end
        text.append(item.src[pos:item.end])
        out += ['', ''.join(text)]
    return '\n'.join(out) + '\n'


def write_if_changed(path, text):
    data = text.encode('utf-8')
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, 'wb') as f:
        f.write(data)


def cpp_wide(text):
    return 'L"%s"' % text


def build(args, langs, scripts, english):
    errors, notes, outputs = english_problems(scripts), [], {}
    sources = [os.path.basename(args.rc)]
    for lang in langs:
        if lang.english:
            continue
        font = None
        if lang.pseudo:
            def translate(use):
                return pseudo(use.text, use.menu)
        else:
            po = read_po(lang.po)
            bad, untranslated = check_language(lang, english, po)
            if not args.allow_missing:
                errors += bad + missing_report(po, english, untranslated)
            elif not po.exists:
                notes += bad
            else:
                errors += bad
                if untranslated:
                    notes.append('%s: %d texts have no translation; English used' % (po.path, len(untranslated)))
            done, font = po.translations(), po.font

            def translate(use, done=done):
                return done.get(use.text, use.text)
        outputs['lang_%s.rc' % lang.tag] = language_rc(
            scripts, lang, translate, font, sources + ([os.path.basename(lang.po)] if not lang.pseudo else []))
    if errors:
        raise Failed('\n'.join(errors))
    for note in notes:
        print(note, file=sys.stderr)
    head = '// Made by make_lang.py from %s; do not edit.\n'
    english_lang = next(lang for lang in langs if lang.english)
    outputs['lang_all.rc'] = head % os.path.basename(args.list) + ''.join(
        '#include "lang_%s.rc"\n' % lang.tag for lang in langs if not lang.english) + \
        '\n// What follows is English again.\nLANGUAGE %s, %s\n' % (english_lang.primary, english_lang.sub)
    outputs['languages.inc'] = head % os.path.basename(args.list) + ''.join(
        '{%s, MAKELANGID(%s, %s), %s, %s},\n' % (cpp_wide(lang.tag), lang.primary, lang.sub, cpp_wide(lang.name),
                                                 'true' if lang.pseudo else 'false') for lang in langs)
    outputs['english_texts.inc'] = head % ', '.join(os.path.basename(p) for p in scripts.files) + ''.join(
        '{%s, %s},\n' % (ident, cpp_literal(use.text))
        for item in scripts.items if isinstance(item, Block) for ident, use in item.strings)
    os.makedirs(args.out, exist_ok=True)
    for name, text in outputs.items():
        write_if_changed(os.path.join(args.out, name), text)


def check(args, langs, scripts, english):
    errors = english_problems(scripts)
    for lang in langs:
        if not lang.english and not lang.pseudo:
            po = read_po(lang.po)
            bad, untranslated = check_language(lang, english, po)
            errors += bad + missing_report(po, english, untranslated)
    if errors:
        raise Failed('\n'.join(errors))


def missing(args, langs, scripts, english):
    lang = next((lang for lang in langs if lang.tag == args.lang), None)
    if lang is None or lang.english or lang.pseudo:
        raise Failed('%s: %s is not a language translated in a PO file' % (args.list, args.lang))
    po = read_po(lang.po)
    if po.errors:
        raise Failed('\n'.join(po.errors))
    out = []
    if not po.exists:
        out.append('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n"Language: %s\\n"\n'
                   % lang.tag)
    done = po.translations()
    for text, uses in english.items():
        if text not in done:
            refs = ''.join('#: %s\n' % use.ref() for use in uses)
            out.append('%smsgid "%s"\nmsgstr ""\n' % (refs, text))
    sys.stdout.write('\n'.join(out))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    sub = parser.add_subparsers(dest='command', required=True)
    for name in ('build', 'check', 'missing'):
        p = sub.add_parser(name)
        p.add_argument('--list', required=True, help='languages.txt')
        p.add_argument('--rc', required=True, help='the English resource script, app.rc')
        if name == 'build':
            p.add_argument('--out', required=True, help='folder for the generated files')
            p.add_argument('--allow-missing', action='store_true',
                           help='use the English text where a translation is missing')
        if name == 'missing':
            p.add_argument('--lang', required=True, help='the tag of a language in the list')
    args = parser.parse_args(argv)
    try:
        langs = read_list(args.list)
        scripts = read_scripts(args.rc)
        {'build': build, 'check': check, 'missing': missing}[args.command](args, langs, scripts, scripts.english())
    except Failed as e:
        print(str(e), file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
