// The file search behind "Find All Files" and "Delete Files Recursive": a
// pattern (folder and mask) gives a list in which every sub-folder's matches
// come before the sub-folder itself, and a folder's own matches come last.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::commands::actions {

struct FolderEntry {
  std::string name;
  bool folder = false;
};

// Enumerates what a wildcard path ("C:\A\*.*", "C:\A\*.txt") names, as
// FindFirstFile/FindNextFile do; "." and ".." may be included.
using FolderLister = std::function<std::vector<FolderEntry>(const std::string& wildcard_path)>;

struct SearchOptions {
  bool include_subfolders = false;
  bool list_folders = false;
};

struct SearchEvents {
  std::function<void()> on_search_call;                 // once per folder searched
  std::function<void(const std::string& path)> on_file; // each file found
  std::function<bool()> stop_requested;                 // checked after each entry
};

// "C:\A\*.txt" -> folder "C:\A", mask "*.txt". A pattern without a backslash is
// a mask in the current folder ("").
void SplitPattern(std::string_view pattern, std::string& folder, std::string& mask);

std::vector<std::string> SearchFiles(const FolderLister& lister, std::string_view pattern,
                                     const SearchOptions& options, const SearchEvents& events = {});

// The "|"-delimited result text: items holding a blank, a control character, a
// double quote or "|" are quoted with inner quotes doubled; a single empty item
// gives two double quotes; no items give "".
std::string JoinFoundFiles(const std::vector<std::string>& items);

// The progress position after one more search call: 0..100, wrapping.
inline int NextSearchPosition(int previous) { return (previous + 1) % 101; }

struct DeleteOperations {
  std::function<void(const std::string& path)> set_normal_attributes;
  std::function<void(const std::string& path)> delete_file;
  std::function<void(const std::string& path)> remove_folder;
};

// "Delete Files Recursive": deletes the files, then the empty folders, of the
// pattern's list (subfolders and folders included), from its end to its start,
// and repeats while a pass changes the list's length. The pattern's own folder
// stays. Returns the number of passes made.
int DeleteFilesRecursive(const FolderLister& lister, std::string_view pattern, const DeleteOperations& ops);

// A list that keeps changing (something else writing into the tree) would
// otherwise be walked for ever.
inline constexpr int kMaxDeletePasses = 64;

}  // namespace qel::commands::actions
