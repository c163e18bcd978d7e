"""Writing setup scripts whose statements report their results as rows of a
text file, and reading those rows back.

Each row is one "Write to Text File" statement that appends the line
"@@" + id + "=" + text, where text usually names result variables. The engine
expands the line once more when it writes it, so a "$NEWLINE$" inside a result
reaches the file as a line break: a row's value runs from its "@@id=" line up to
the next row line, its lines joined by CR LF.
"""

import re

ROW_PREFIX = "@@"
RESULTS_FOLDER = r"C:\qel-e2e"
RESULTS_FILE = RESULTS_FOLDER + r"\results.txt"
CRLF = "\r\n"


def expand_newlines(text):
    """How a result holding "$NEWLINE$" tokens reads back from the file."""
    return text.replace("$NEWLINE$", CRLF)


class RowScript:
    """Builds the text of a setup script statement by statement."""

    def __init__(self, title, product_code, stub_name="setup.exe", results_file=RESULTS_FILE):
        self.title = title
        self.product_code = product_code
        self.stub_name = stub_name
        self.results_file = results_file
        self.body = []
        self.row_ids = []

    def statement(self, name, *params):
        """One statement; each parameter is written verbatim (one blank after
        the bar is dropped by the builder, so leading blanks survive)."""
        self.body.append(name)
        for value in params:
            if "\n" in value or "\r" in value:
                raise ValueError("a parameter cannot hold a line break: %r" % value)
            self.body.append("  | " + value)
        return self

    def set(self, name, value):
        return self.statement("Set Variable", name, value)

    def row(self, row_id, text):
        if not re.fullmatch(r"[A-Za-z0-9_.\-]+", row_id):
            raise ValueError("row ids are plain words: %r" % row_id)
        if row_id in self.row_ids:
            raise ValueError("row id used twice: %s" % row_id)
        self.row_ids.append(row_id)
        return self.statement("Write to Text File", self.results_file, ROW_PREFIX + row_id + "=" + text, "FALSE")

    def text(self):
        head = [
            "[Setup]",
            "Title = " + self.title,
            "ProductCode = " + self.product_code,
            "Version = 1.0",
            "StubName = " + self.stub_name,
            "",
            "[Script]",
        ]
        return "\n".join(head + self.body) + "\n"


def read_rows(data):
    """{row id: value} from the bytes of a results file."""
    text = data.decode("latin-1")
    rows = {}
    current = None
    lines = text.split(CRLF)
    if lines and lines[-1] == "":
        lines.pop()  # the file ends with CR LF
    for line in lines:
        if line.startswith(ROW_PREFIX) and "=" in line:
            row_id, _, value = line[len(ROW_PREFIX):].partition("=")
            if row_id in rows:
                raise AssertionError("row %s written twice" % row_id)
            rows[row_id] = [value]
            current = row_id
        elif current is None:
            raise AssertionError("text before the first row: %r" % line)
        else:
            rows[current].append(line)
    return {row_id: CRLF.join(parts) for row_id, parts in rows.items()}


class RowsAssertions:
    """Mixin for unittest.TestCase: compares a table of (row id, expected) with
    the rows read back, one subtest per row, and reports missing rows."""

    def assertRows(self, rows, expected_by_id):
        for row_id, expected in expected_by_id:
            with self.subTest(row=row_id):
                self.assertIn(row_id, rows, "the script wrote no row %s" % row_id)
                self.assertEqual(rows[row_id], expected, "row %s" % row_id)
