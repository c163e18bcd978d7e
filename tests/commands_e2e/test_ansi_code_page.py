"""Letter case follows the system's ANSI code page. The same setup runs under
Wine once with a Western (1252) and once with a Cyrillic (1251) ANSI code page,
chosen through the Unix locale; expectations come from Python's codecs."""

import unittest

import qel_e2e as q
from command_rows import RESULTS_FILE, RESULTS_FOLDER, RowsAssertions, RowScript, read_rows

# Bytes with different letters in the two code pages: in 1251 E0-FF are the
# small Cyrillic letters (F7 and FF among them) and C0-DF the capitals.
UPPER_SOURCE = b"\xe0\xf7\xff\xe9 mixed"
LOWER_SOURCE = b"\xc0\xd7\xdf\xc9 MIXED"
SEARCHED = b"x\xf7\xffy"
PATTERN = b"\xd7\xdf"
REPLACED = b"\xf7a\xf7"
FOUND = b"\xd7"

LOCALES = {"1252": "C.UTF-8", "1251": "ru_RU.UTF-8"}


def text(data):
    return data.decode("latin-1")


def expected_rows(code_page):
    codec = "cp" + code_page

    def upper(data):
        return data.decode(codec).upper().encode(codec)

    def lower(data):
        return data.decode(codec).lower().encode(codec)

    found_at = lower(SEARCHED).find(lower(PATTERN))
    if found_at < 0:
        first, second = SEARCHED, b""
    else:
        first, second = SEARCHED[:found_at], SEARCHED[found_at + len(PATTERN):]
    replaced = bytes(b"-"[0] if upper(bytes([c])) == upper(FOUND) else c for c in REPLACED)
    return [
        ("upper", "[%s]" % text(upper(UPPER_SOURCE))),
        ("lower", "[%s]" % text(lower(LOWER_SOURCE))),
        ("parse-ignore-case", "[%s][%s]" % (text(first), text(second))),
        ("replace-ignore-case", "[%s]" % text(replaced)),
    ]


def build_script():
    s = RowScript("Code Page E2E", "{6B2D8E40-1C3F-4A5B-9D6E-7F8091A2B3C4}", "codepage.exe")
    s.set("C", text(UPPER_SOURCE))
    s.statement("Convert Case", "C", "TRUE")
    s.row("upper", "[$C$]")
    s.set("C", text(LOWER_SOURCE))
    s.statement("Convert Case", "C", "FALSE")
    s.row("lower", "[$C$]")
    s.statement("Parse String", text(SEARCHED), text(PATTERN), "A", "B", "0", "FALSE", "TRUE")
    s.row("parse-ignore-case", "[$A$][$B$]")
    s.set("R", text(REPLACED))
    s.statement("Replace String", "R", text(FOUND), "-", "TRUE", "TRUE")
    s.row("replace-ignore-case", "[$R$]")
    return s


class AnsiCodePageTest(RowsAssertions, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "codepage")
        cls.prefix.c(RESULTS_FOLDER).mkdir(parents=True, exist_ok=True)
        cls.setup = q.build_setup(cls.env, cls.env.root / "codepage-setup", build_script().text())

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def rows_under(self, code_page):
        results = self.prefix.c(RESULTS_FILE)
        if results.exists():
            results.unlink()
        locale = LOCALES[code_page]
        result = self.prefix.run(self.setup, ["/s"], timeout=120, env={"LANG": locale, "LC_ALL": locale})
        self.assertEqual(result.exit_code, 0)
        return read_rows(results.read_bytes())

    def test_the_two_code_pages_really_differ_here(self):
        self.assertNotEqual(expected_rows("1252"), expected_rows("1251"))

    def test_case_rules_of_each_code_page(self):
        for code_page in LOCALES:
            with self.subTest(code_page=code_page):
                self.assertRows(self.rows_under(code_page), expected_rows(code_page))


if __name__ == "__main__":
    unittest.main()
