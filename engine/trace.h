// The trace log: one shared, process-wide writer of tag lines ("<Oakhollow>", ...).
// Each call appends one line plus CR LF as UTF-16LE without a byte-order mark. The
// 8-bit text is converted by the installed converter: the stub installs one that
// goes through the ANSI code page; without it each byte is widened as Latin-1. The file is opened and closed per line, so the trace survives
// a crash. The first write of the process truncates (or creates) the file; later
// writes only open an existing file, so a path to an absent file receives nothing.
// Failures are silent. Thread-safe: calls are serialized by one lock.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// Appends line + CR LF; does nothing while the trace path is empty.
void trace(std::string_view line);

void set_trace_path(std::string path);
std::string trace_path();

// Clears the first-write flag (the Windows Installer thread does this after writing
// its own header into the file).
void clear_trace_first_write();

// Sets the flag again, as at program start (tests).
void reset_trace_first_write();

// 8-bit text -> UTF-16 code units.
using AnsiToUtf16 = std::u16string (*)(std::string_view text);
void set_trace_converter(AnsiToUtf16 converter);

// The bytes written for one line (line + CR LF in UTF-16LE).
std::string encode_trace_line(std::string_view line);

}  // namespace qel
