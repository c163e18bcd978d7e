// The text rules of the native actions that do not touch the system: file-table
// groups, registry data forms, comma-list edits, service and ODBC argument
// lists. The Windows actions in win/ call these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qel::native {

// ---- file table ----
struct FileTableEntry {
  std::string source;  // relative to the data folder
  std::string second;  // destination subfolder, assembly name or driver setup file
};
// The pairs after (header, "NEWHEADER") up to the next "NEWHEADER" pair.
std::vector<FileTableEntry> FileGroup(const std::vector<std::string>& table, std::string_view header);

// The folder with exactly one trailing backslash ("" stays "").
std::string WithTrailingBackslash(std::string_view folder);
// The last component of a "\" or "/" path.
std::string FileNameOf(std::string_view path);
// Whether the name ends in ".EXE" (without case).
bool IsExeName(std::string_view path);

// ---- Write Registry ----
// A whole decimal number (optionally signed, or 0x hex) that fits 32 bits.
bool ParseRegistryInteger(std::string_view text, uint32_t& value);
// Pairs of hex digits; blanks, commas and an optional "0x" are skipped. False
// on any other character or an odd digit count.
bool HexToBytes(std::string_view hex, std::string& bytes);
// The bytes of a REG_MULTI_SZ value after "APPEND" (or "PREPEND") of data to
// the existing value's bytes; null existing (missing or another type) writes the
// data alone. The result ends with two NULs.
std::string MergeMultiString(const std::string* existing, std::string_view data, bool append);
// "HKEY_LOCAL_MACHINE\key\value\data".
std::string RegistryCaption(std::string_view root_name, std::string_view key, std::string_view value_name,
                            std::string_view data);

// ---- Edit INI File and Remove INI Entry ----
// Removes the first item equal to value (trimmed, without case) from a comma
// list together with one separator. nullopt when no item matches.
std::optional<std::string> RemoveListItem(std::string_view list, std::string_view value);
// Whether text contains value (without case).
bool ContainsNoCase(std::string_view text, std::string_view value);

// ---- Set Environment ----
// combination 1: current + value; 0: value + current; 2: value.
std::string CombineEnvironment(std::string_view current, std::string_view value, std::string_view combination);
// The current value with the first occurrence of value removed; nullopt when
// current is empty or does not contain it.
std::optional<std::string> RemoveEnvironmentPart(std::string_view current, std::string_view value);

// ---- services ----
// "[a$NULL$+grp$NULL$b]" -> "a\0b\0+grp\0\0": service names first, then the
// load order groups, each ended by NUL, the list by a second NUL.
std::string ServiceDependencies(std::string_view text);
uint32_t ServiceStartType(std::string_view code);      // "0" 2, "1" 3, else 4
uint32_t ServiceErrorControl(std::string_view code);   // "0" 0, "1" 1, else 2
uint32_t ServiceType(std::string_view process_kind, bool interactive);

// ---- shortcuts ----
int ShowCommand(std::string_view code);  // "0" 1, "1" 3, "2" 7, else 1
int IconIndex(std::string_view text);    // 0 when not a number

// ---- ODBC ----
// NAME=VALUE lines ("$NEWLINE$" or CR LF as line breaks); lines without "=" skipped.
std::vector<std::pair<std::string, std::string>> ParseDriverAttributes(std::string_view text);
// "DSN=" + name, NUL, the attributes with each line break as NUL, two NULs.
std::string DsnAttributes(std::string_view name, std::string_view attributes);
// "DSN=" + name + NUL NUL.
std::string DsnRemoveAttributes(std::string_view name);

// ---- Copy/Move Local Files ----
bool HasWildcard(std::string_view text);

}  // namespace qel::native
