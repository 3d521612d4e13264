#!/usr/bin/env python3
"""Checks the compiled help file: every topic of the project is inside (listed
with chmls), the contents and the index point at topics that exist, no link
between pages is broken, the settings page names the settings with the texts
the program shows, and the administrators' page lists the values the Group
Policy template writes.

    check_help.py HELP.chm HELP_SOURCE_DIR PAGES_RC
"""
import html.parser
import os
import re
import subprocess
import sys
import tempfile
import unittest

CHM, SOURCES, PAGES_RC = sys.argv[1:4] if len(sys.argv) >= 4 else (None, None, None)


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets, self.anchors, self.locals = [], set(), []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("href", "src"):
            if attrs.get(name):
                self.targets.append(attrs[name])
        for name in ("id", "name"):
            if attrs.get(name):
                self.anchors.add(attrs[name])
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.locals.append(attrs.get("value", ""))


def parse(path):
    links = Links()
    with open(path, encoding="utf-8", errors="replace") as page:
        links.feed(page.read())
    return links


def project_files():
    with open(os.path.join(SOURCES, "quenvale_help.hhp"), encoding="utf-8") as project:
        text = project.read()
    section = text.split("[FILES]", 1)[1]
    return [line.strip() for line in section.splitlines() if line.strip() and not line.startswith("[")]


class HelpFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        listing = subprocess.run(["chmls", "-n", "-p", "list", CHM], capture_output=True, text=True, check=True)
        cls.names = {line.strip().lstrip("/") for line in listing.stdout.splitlines() if line.startswith("/")}
        cls.folder = tempfile.TemporaryDirectory()
        subprocess.run(["chmls", "extractall", CHM, cls.folder.name], capture_output=True, check=True)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def extracted(self, name):
        return os.path.join(self.folder.name, name)

    def test_every_topic_contents_and_index_are_inside(self):
        wanted = project_files() + ["contents.hhc", "index.hhk"]
        self.assertGreaterEqual(len(wanted), 12)
        for name in wanted:
            self.assertIn(name, self.names, f"{name} is missing from the help file")

    def test_contents_lists_every_page_and_index_points_at_pages(self):
        pages = {name for name in self.names if name.endswith(".htm")}
        contents = set(parse(self.extracted("contents.hhc")).locals)
        self.assertEqual(contents, pages, "the contents must list every page, and only pages that exist")
        for target in parse(self.extracted("index.hhk")).locals:
            self.assertIn(target, pages, f"the index points at {target}")

    def test_no_broken_link_between_pages(self):
        checked = 0
        for page in sorted(name for name in self.names if name.endswith(".htm")):
            for target in parse(self.extracted(page)).targets:
                if re.match(r"^[a-z]+:", target):
                    continue
                path, _, anchor = target.partition("#")
                path = path or page
                self.assertIn(path, self.names, f"{page} links to {target}, which is not in the help file")
                if anchor:
                    self.assertIn(anchor, parse(self.extracted(path)).anchors, f"{page} links to {target}")
                checked += 1
        self.assertGreater(checked, 20)

    def test_settings_page_names_each_setting_as_the_program_shows_it(self):
        with open(PAGES_RC, encoding="utf-8") as rc:
            checkboxes = re.findall(r'CONTROL\s+"([^"]+)",\s*IDC_SETTINGS_\w+,\s*"Button",\s*BS_AUTOCHECKBOX', rc.read())
        self.assertEqual(len(checkboxes), 5, checkboxes)
        with open(self.extracted("settings_page.htm"), encoding="utf-8") as page:
            text = re.sub(r"\s+", " ", page.read())
        for label in checkboxes:
            shown = label.split("...")[0].strip()
            self.assertIn(shown, text, f"the settings page does not name \"{shown}\"")

    def test_administrators_page_lists_each_policy_value_as_the_template_writes_it(self):
        sys.path.insert(0, os.path.join(SOURCES, os.pardir, "installer", "policy"))
        import check_policy
        with open(self.extracted("administrators.htm"), encoding="utf-8") as page:
            table = page.read().split('<table id="policy-values">', 1)[1].split("</table>", 1)[0]
        rows = re.findall(r"<tr><td><code>(\w+)</code>.*?</td><td>(REG_\w+)</td><td>(.*?)</td>", table)
        types = {"dword": "REG_DWORD", "string": "REG_SZ", "multistring": "REG_MULTI_SZ"}
        written = check_policy.value_names()
        self.maxDiff = None
        self.assertEqual({name: kind for name, kind, _ in rows},
                         {name: types.get(value.kind, value.kind) for name, value in written.items()},
                         "the table of policy values must name each value the template writes, with its type")
        for name, _, allowed in rows:
            if written[name].minimum is not None:
                self.assertEqual(allowed, f"{written[name].minimum} to {written[name].maximum}", name)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
