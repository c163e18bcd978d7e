// File-system helpers of the stub (Windows, ANSI paths).
#pragma once

#include <cstdint>
#include <string>

namespace qel::stub {

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);

// Creates folder + "qel" + N + "\" for the first N from 1 on whose creation
// succeeds; a name that exists already (ERROR_ALREADY_EXISTS, also when it appears
// in the meantime) moves on to the next number. "" when creation fails otherwise.
std::string create_support_folder(const std::string& parent);

// Deletes the folder's content three times in a row (files get normal attributes
// first; sub-folders after their content), then the folder itself.
void remove_support_folder(const std::string& folder);

// Whole file; throws std::runtime_error when it cannot be read.
std::string read_file(const std::string& path);
// Replaces the file with bytes[offset..]; throws std::runtime_error on failure.
void write_file(const std::string& path, const std::string& bytes, uint64_t offset = 0);

std::string folder_of(const std::string& path);       // with the trailing backslash
std::string base_name_of(const std::string& path);    // file name without extension
std::string file_name_of(const std::string& path);

}  // namespace qel::stub
