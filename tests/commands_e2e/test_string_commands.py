"""String, path and text-file commands run by a real setup under Wine: one
setup runs every table below and writes each result as a row of a text file;
the rows are compared with the expectations written beside each case."""

import re
import unittest
from pathlib import PureWindowsPath

import qel_e2e as q
from command_rows import CRLF, RESULTS_FILE, RESULTS_FOLDER, RowsAssertions, RowScript, read_rows

UNSET = "unset"

# id, source, pattern, first variable, second variable, mode, trim, ignore case,
# expected first part, expected second part
PARSE_STRING = [
    ("first-comma", "a,b,c", ",", "A", "B", "0", "FALSE", "FALSE", "a", "b,c"),
    ("last-comma", "a,b,c", ",", "A", "B", "1", "FALSE", "FALSE", "a,b", "c"),
    ("left-2", "abcdef", "2", "A", "B", "2", "FALSE", "FALSE", "ab", "cdef"),
    ("right-2", "abcdef", "2", "A", "B", "3", "FALSE", "FALSE", "abcd", "ef"),
    ("first-none", "abc", ";", "A", "B", "0", "FALSE", "FALSE", "abc", ""),
    ("last-none", "abc", ";", "A", "B", "1", "FALSE", "FALSE", "", "abc"),
    ("first-empty-pattern", "abc", "", "A", "B", "0", "FALSE", "FALSE", "abc", ""),
    ("last-empty-pattern", "abc", "", "A", "B", "1", "FALSE", "FALSE", "", "abc"),
    ("first-at-start", ",abc", ",", "A", "B", "0", "FALSE", "FALSE", "", "abc"),
    ("last-at-end", "abc,", ",", "A", "B", "1", "FALSE", "FALSE", "abc", ""),
    ("first-long-pattern", "one::two::three", "::", "A", "B", "0", "FALSE", "FALSE", "one", "two::three"),
    ("last-long-pattern", "one::two::three", "::", "A", "B", "1", "FALSE", "FALSE", "one::two", "three"),
    ("last-overlapping", "aaa", "aa", "A", "B", "1", "FALSE", "FALSE", "a", ""),
    ("first-overlapping", "aaa", "aa", "A", "B", "0", "FALSE", "FALSE", "", "a"),
    ("case-differs", "xaby", "AB", "A", "B", "0", "FALSE", "FALSE", "xaby", ""),
    ("ignore-case", "xaby", "AB", "A", "B", "0", "FALSE", "TRUE", "x", "y"),
    ("ignore-case-keeps-source", "KeyABvalue", "ab", "A", "B", "1", "FALSE", "TRUE", "Key", "value"),
    ("left-0", "abc", "0", "A", "B", "2", "FALSE", "FALSE", "", "abc"),
    ("left-beyond", "abc", "5", "A", "B", "2", "FALSE", "FALSE", "abc", ""),
    ("left-all", "abc", "3", "A", "B", "2", "FALSE", "FALSE", "abc", ""),
    ("right-all", "abc", "3", "A", "B", "3", "FALSE", "FALSE", "", ""),
    ("right-beyond", "abc", "4", "A", "B", "3", "FALSE", "FALSE", "", "abc"),
    ("right-0", "abc", "0", "A", "B", "3", "FALSE", "FALSE", "abc", ""),
    ("left-signed", "abcdef", "+2", "A", "B", "2", "FALSE", "FALSE", "ab", "cdef"),
    ("no-trim", " a , b ", ",", "A", "B", "0", "FALSE", "FALSE", " a ", " b "),
    ("trim", " a , b ", ",", "A", "B", "0", "TRUE", "FALSE", "a", "b"),
    ("trim-tabs", "\tkey\t=\tvalue\t", "=", "A", "B", "0", "true", "FALSE", "key", "value"),
    ("trim-flag-1-is-false", " a , b ", ",", "A", "B", "0", "1", "FALSE", " a ", " b "),
    ("trim-flag-minus-1", " a , b ", ",", "A", "B", "0", "-1", "FALSE", "a", "b"),
    ("only-first", "k=v", "=", "A", "", "0", "FALSE", "FALSE", "k", UNSET),
    ("only-second", "k=v", "=", "", "B", "0", "FALSE", "FALSE", UNSET, "v"),
    # the source and the pattern are path parameters: doubled backslashes collapse
    ("path-source", r"C:\\dir\\file.txt", "\\", "A", "B", "1", "FALSE", "FALSE", r"C:\dir", "file.txt"),
    ("unc-source", r"\\server\\share\x", "\\", "A", "B", "0", "FALSE", "FALSE", "", r"\server\share\x"),
    ("variable-source", "$PS_SOURCE$", "$PS_SEP$", "A", "B", "0", "FALSE", "FALSE", "left", "right"),
]

# id, start value (None: variable not defined), variable parameter, find,
# replacement, ignore case, replace all, expected
REPLACE_STRING = [
    ("first-only", "a-b-c", "R", "-", "+", "FALSE", "FALSE", "a+b-c"),
    ("all", "a-b-c", "R", "-", "+", "FALSE", "TRUE", "a+b+c"),
    ("case-sensitive", "Path PATH path", "R", "path", "X", "FALSE", "TRUE", "Path PATH X"),
    ("ignore-case-all", "Path PATH path", "R", "path", "X", "TRUE", "TRUE", "X X X"),
    ("ignore-case-first", "Path PATH path", "R", "path", "X", "TRUE", "FALSE", "X PATH path"),
    ("replacement-holds-find", "aa", "R", "a", "aa", "FALSE", "TRUE", "aaaa"),
    ("remove", "a b c", "R", " ", "", "FALSE", "TRUE", "abc"),
    ("empty-find", "abc", "R", "", "x", "FALSE", "TRUE", "abc"),
    ("find-longer-than-value", "ab", "R", "abc", "x", "FALSE", "TRUE", "ab"),
    ("not-found", "abc", "R", "z", "x", "FALSE", "TRUE", "abc"),
    ("lower-case-name", "a-b", "r", "-", "+", "FALSE", "FALSE", "a+b"),
    ("undefined-variable", None, "RS_NEVER_SET", "a", "b", "FALSE", "TRUE", ""),
    ("find-line-break", "one$NEWLINE$two$NEWLINE$three", "R", "$NEWLINE$", ", ", "FALSE", "TRUE", "one, two, three"),
    ("first-line-break", "one$NEWLINE$two$NEWLINE$three", "R", "$NEWLINE$", " ", "FALSE", "FALSE",
     "one two" + CRLF + "three"),
    ("insert-line-break", "a;b;c", "R", ";", "$NEWLINE$", "FALSE", "TRUE", "a" + CRLF + "b" + CRLF + "c"),
    ("find-spans-line-break", "end.$NEWLINE$next", "R", ".$NEWLINE$n", "|N", "FALSE", "FALSE", "end|Next"),
]

PATH_CASES = [
    # id, value, {part: expected}
    ("drive-file", r"C:\a\b.txt",
     {0: "b.txt", 1: "b", 2: "txt", 3: "C:\\a\\", 4: "C:\\", 5: "C:\\", 6: r"C:\a\b.txt", 7: r"C:\a\b.txt"}),
    ("doubled", r"C:\\dir\\sub\\f.tar.gz",
     {0: "f.tar.gz", 1: "f.tar", 2: "gz", 3: "C:\\dir\\sub\\", 4: "C:\\dir\\", 5: "C:\\", 6: r"C:\dir\sub\f.tar.gz"}),
    # normalization halves a run of four backslashes once; part number 6 halves it again
    ("quadrupled", r"C:\dir\\\\sub\f.txt", {0: "f.txt", 3: "C:\\dir\\\\sub\\", 6: r"C:\dir\sub\f.txt"}),
    ("unc", r"\\server\share\dir\f.ini",
     {0: "f.ini", 1: "f", 2: "ini", 3: "\\\\server\\share\\dir\\", 4: "\\\\server\\share\\", 5: "\\\\server\\share\\",
      6: r"\server\share\dir\f.ini"}),
    ("bare-name", "file", {0: "file", 1: "file", 2: "", 3: "", 4: "", 5: ""}),
    ("dot-in-folder", r"C:\dir.d\noext", {0: "noext", 1: "noext", 2: "", 3: "C:\\dir.d\\"}),
    ("repeated-extension", r"C:\x\name.txt.txt", {1: "name.txt", 2: "txt"}),
    ("drive-relative", "D:file.txt", {0: "file.txt", 3: "D:\\", 5: "D:\\"}),
    ("trailing-backslash", "C:\\a\\b\\", {0: "", 3: "C:\\a\\b\\", 4: "C:\\a\\", 5: "C:\\"}),
    ("root-file", r"C:\boot.ini", {3: "C:\\", 4: "C:\\", 5: "C:\\"}),
]

# id, value, upper case flag, expected (8-bit text, code page 1252)
CONVERT_CASE = [
    ("upper", "Hello World", "TRUE", "HELLO WORLD"),
    ("lower", "Hello World", "FALSE", "hello world"),
    ("flag-true-any-case", "abc", "true", "ABC"),
    ("flag-1-is-false", "ABC", "1", "abc"),
    ("doubled-backslashes", r"A\\b\\\\C", "FALSE", r"a\b\\c"),
    ("ansi-letters", "caf\xe9 \xc5ngstr\xf6m", "TRUE", "CAF\xc9 \xc5NGSTR\xd6M"),
]

MIXED_LINE_ENDINGS = b"alpha\r\nbeta\ngamma\rdelta"
THREE_LINES = b"one\r\ntwo\r\nthree\r\n"
LONG_LINE = b"".join(b"%06d," % n for n in range(40000))


def build_script():
    s = RowScript("String Commands E2E", "{5A1C9E30-7B42-4D6E-9F10-2C3D4E5F6A7B}", "strings.exe")
    s.set("PS_SOURCE", "left|right")
    s.set("PS_SEP", "|")
    for (row_id, source, pattern, first, second, mode, trim, icase, _, _) in PARSE_STRING:
        s.set("A", UNSET).set("B", UNSET)
        s.statement("Parse String", source, pattern, first, second, mode, trim, icase)
        s.row("parse." + row_id, "[$A$][$B$]")

    # The script check wants every variable of "Replace String" declared: one
    # that is never assigned at run time is declared by a statement jumped over.
    s.statement("GoTo Label", "AFTER_DECLARATION")
    s.set("RS_NEVER_SET", "declared only")
    s.statement("Label", "AFTER_DECLARATION")
    for (row_id, start, name, find, replacement, icase, replace_all, _) in REPLACE_STRING:
        if start is not None:
            s.set("R", start)
        s.statement("Replace String", name, find, replacement, icase, replace_all)
        s.row("replace." + row_id, "[$%s$]" % name)

    for (row_id, value, parts) in PATH_CASES:
        for part in parts:
            s.set("P", value)
            s.statement("Extract Path", "P", str(part))
            s.row("path.%s.%d" % (row_id, part), "[$P$]")

    for (row_id, value, upper, _) in CONVERT_CASE:
        s.set("C", value)
        s.statement("Convert Case", "C", upper)
        s.row("case." + row_id, "[$C$]")

    # Convert Path, long form: each component gets its stored name; quotes and
    # one trailing backslash go; a path that does not exist comes back as it was.
    for row_id, value in [
        ("existing", RESULTS_FOLDER + r"\mixedcase\LONG FOLDER NAME\file.TXT"),
        ("quoted-trailing", '"' + RESULTS_FOLDER + r'\MIXEDCASE\long folder name' + '\\"'),
        ("missing", RESULTS_FOLDER + r"\mixedcase\No Such Folder\x.txt"),
    ]:
        s.set("L", value)
        s.statement("Convert Path", "L", "FALSE")
        s.row("longpath." + row_id, "[$L$]")

    s.statement("Get Temporary File", "$TMP1$")
    s.statement("Get Temporary File", "TMP2")
    s.row("temp.first", "$TMP1$")
    s.row("temp.second", "$TMP2$")
    s.row("temp.folder", "$TEMPDIR$")

    folder = RESULTS_FOLDER
    # Write to Text File: appended lines, one line inserted at the top, a line
    # that holds a line break.
    written = folder + r"\written.txt"
    for line in ["first", "second", "third"]:
        s.statement("Write to Text File", written, line, "FALSE")
    s.statement("Write to Text File", written, "top", "TRUE")
    s.statement("Write to Text File", written, "two$NEWLINE$lines", "FALSE")
    s.statement("Write to Text File", written, "  padded  ", "FALSE")
    # the insert-at-top flag is expanded before it is read
    s.set("AT_TOP", "true")
    s.statement("Write to Text File", written, "new top", "$AT_TOP$")

    # a line far longer than any read buffer survives a read and a write
    s.statement("Read from Text File", folder + r"\long.txt", "LONG", "EOF")
    s.statement("Write to Text File", folder + r"\long-copy.txt", "$LONG$", "FALSE")
    s.statement("Read from Text File", folder + r"\long.txt", "LONG", "EOF")
    s.row("read.after-long-line", "[$LONG$][$EOF$]")

    # Read from Text File: successive lines, the end-of-file flag, a missing
    # file, read-all, and a restart when another file is named in between.
    three = folder + r"\three.txt"
    s.set("LINE", "before")
    for n in range(1, 4):
        s.statement("Read from Text File", three, "LINE", "EOF")
        s.row("read.line%d" % n, "[$LINE$][$EOF$]")
    s.statement("Read from Text File", three, "LINE", "EOF")
    s.row("read.again-from-top", "[$LINE$][$EOF$]")
    s.set("LINE", "kept")
    s.statement("Read from Text File", folder + r"\missing.txt", "LINE", "EOF")
    s.row("read.missing", "[$LINE$][$EOF$]")
    s.statement("Read from Text File", "#READALL\\" + folder + r"\mixed.txt", "LINE", "EOF")
    s.row("read.all-mixed", "[$LINE$][$EOF$]")
    s.statement("Read from Text File", "#READALL\\" + three, "LINE", "EOF")
    s.row("read.all-three", "[$LINE$][$EOF$]")
    s.statement("Read from Text File", three, "LINE", "EOF")
    s.statement("Read from Text File", folder + r"\mixed.txt", "LINE", "EOF")
    s.row("read.other-file", "[$LINE$][$EOF$]")
    s.statement("Read from Text File", three, "LINE", "EOF")
    s.row("read.restarted", "[$LINE$][$EOF$]")
    s.statement("Read from Text File", three.upper(), "LINE", "EOF")
    s.row("read.same-file-other-case", "[$LINE$][$EOF$]")
    # writing the file that is being read closes it: the next read starts at the top
    s.statement("Write to Text File", three, "four", "FALSE")
    s.statement("Read from Text File", three, "LINE", "")
    s.row("read.after-write", "[$LINE$]")
    s.statement("Read from Text File", "#READALL\\" + three, "LINE", "")
    s.row("read.rest-after-write", "[$LINE$]")
    s.set("LINE", "kept")
    s.statement("Read from Text File", folder + r"\empty.txt", "LINE", "EOF")
    s.row("read.empty-file", "[$LINE$][$EOF$]")
    s.row("end", "done")
    return s


class StringCommandsTest(RowsAssertions, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "strings")
        folder = cls.prefix.c(RESULTS_FOLDER)
        (folder / "mixedcase" / "Long Folder Name").mkdir(parents=True)
        (folder / "mixedcase" / "Long Folder Name" / "File.txt").write_bytes(b"x")
        (folder / "three.txt").write_bytes(THREE_LINES)
        (folder / "mixed.txt").write_bytes(MIXED_LINE_ENDINGS)
        (folder / "empty.txt").write_bytes(b"")
        (folder / "long.txt").write_bytes(LONG_LINE + b"\r\nshort")
        setup = q.build_setup(cls.env, cls.env.root / "strings-setup", build_script().text())
        cls.result = cls.prefix.run(setup, ["/s"], timeout=240)
        cls.rows = read_rows(cls.prefix.c(RESULTS_FILE).read_bytes())

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def test_setup_ran_to_its_end(self):
        self.assertEqual(self.result.exit_code, 0)
        self.assertEqual(self.rows.get("end"), "done")

    def test_parse_string(self):
        self.assertRows(self.rows, [("parse." + c[0], "[%s][%s]" % (c[8], c[9])) for c in PARSE_STRING])

    def test_replace_string(self):
        self.assertRows(self.rows, [("replace." + c[0], "[%s]" % c[7]) for c in REPLACE_STRING])

    def test_extract_path(self):
        self.assertRows(self.rows, [("path.%s.%d" % (row_id, part), "[%s]" % expected)
                                    for row_id, _, parts in PATH_CASES for part, expected in parts.items()])

    def test_convert_case(self):
        self.assertRows(self.rows, [("case." + c[0], "[%s]" % c[3]) for c in CONVERT_CASE])

    def test_convert_path_long_names(self):
        self.assertRows(self.rows, [
            ("longpath.existing", "[%s]" % (RESULTS_FOLDER + r"\mixedcase\Long Folder Name\File.txt")),
            ("longpath.quoted-trailing", "[%s]" % (RESULTS_FOLDER + r"\mixedcase\Long Folder Name")),
            ("longpath.missing", "[%s]" % (RESULTS_FOLDER + r"\mixedcase\No Such Folder\x.txt")),
        ])

    def test_temporary_files_are_new_empty_files_in_the_temp_folder(self):
        folder = self.rows["temp.folder"].rstrip("\\")
        self.assertTrue(folder)
        first, second = self.rows["temp.first"], self.rows["temp.second"]
        self.assertNotEqual(first, second)
        for path in (first, second):
            with self.subTest(path=path):
                win = PureWindowsPath(path)
                self.assertEqual(str(win.parent).lower(), folder.lower())
                self.assertRegex(win.name, r"^qel[0-9A-Fa-f]{1,4}\.tmp$")
                linux = self.prefix.c(path)
                self.assertTrue(linux.is_file(), path)
                self.assertEqual(linux.stat().st_size, 0)

    def test_written_file_holds_the_lines_in_order(self):
        data = self.prefix.c(RESULTS_FOLDER + r"\written.txt").read_bytes()
        self.assertEqual(data, b"new top\r\ntop\r\nfirst\r\nsecond\r\nthird\r\ntwo\r\nlines\r\n  padded  \r\n")

    def test_a_long_line_is_read_and_written_whole(self):
        self.assertEqual(self.prefix.c(RESULTS_FOLDER + r"\long-copy.txt").read_bytes(), LONG_LINE + b"\r\n")
        self.assertEqual(self.rows["read.after-long-line"], "[short][TRUE]")

    def test_read_from_text_file(self):
        all_mixed = CRLF.join(["alpha", "beta", "gamma", "delta"])
        self.assertRows(self.rows, [
            ("read.line1", "[one][FALSE]"),
            ("read.line2", "[two][FALSE]"),
            ("read.line3", "[three][TRUE]"),
            ("read.again-from-top", "[one][FALSE]"),
            ("read.missing", "[kept][TRUE]"),
            ("read.all-mixed", "[%s][TRUE]" % all_mixed),
            ("read.all-three", "[%s][TRUE]" % CRLF.join(["one", "two", "three"])),
            ("read.other-file", "[alpha][FALSE]"),
            ("read.restarted", "[one][FALSE]"),
            ("read.same-file-other-case", "[two][FALSE]"),
            ("read.after-write", "[one]"),
            ("read.rest-after-write", "[%s]" % CRLF.join(["two", "three", "four"])),
            ("read.empty-file", "[kept][TRUE]"),
        ])
        self.assertEqual(self.prefix.c(RESULTS_FOLDER + r"\three.txt").read_bytes(),
                         b"one\r\ntwo\r\nthree\r\nfour\r\n")


# A number parameter that is not a number ends the script at that statement.
FAILING_ROWS = [
    ("parse-mode", ["Parse String", "abc", ",", "A", "B", "x", "FALSE", "FALSE"]),
    ("parse-count", ["Parse String", "abc", "two", "A", "B", "2", "FALSE", "FALSE"]),
    ("extract-part", ["Extract Path", "P", "1.5"]),
]


class ConversionErrorsEndTheScript(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "strings-errors")
        cls.prefix.c(RESULTS_FOLDER).mkdir(parents=True, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def test_each_bad_number_stops_the_run_before_the_next_statement(self):
        for row_id, statement in FAILING_ROWS:
            with self.subTest(row=row_id):
                results = self.prefix.c(RESULTS_FOLDER) / "results.txt"
                if results.exists():
                    results.unlink()
                s = RowScript("Conversion Error", "{5A1C9E30-7B42-4D6E-9F10-2C3D4E5F6A7C}", "bad.exe")
                s.set("P", r"C:\a\b.txt")
                s.row("before", "reached")
                s.statement(*statement)
                s.row("after", "reached")
                setup = q.build_setup(self.env, self.env.root / ("error-" + row_id), s.text())
                result = self.prefix.run(setup, ["/s"], timeout=120)
                self.assertFalse(result.timed_out)
                rows = read_rows(results.read_bytes())
                self.assertEqual(rows, {"before": "reached"})


if __name__ == "__main__":
    unittest.main()
