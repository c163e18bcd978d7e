// Where a plug-in statement's library lies: in the support folder (plug-ins
// from the resource archive), or under the data folder (plug-ins shipped with
// the setup's files or in a web media block).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qel::commands::plugin {

// The file-name part of the library's stored relative path.
std::string LibraryFileName(std::string_view stored_path);

// Support folder (trailing backslash added when missing) + file name.
std::string SupportFolderLibrary(std::string_view support_folder, std::string_view stored_path);

// Data folder + source entry + stored path, as the authoring tool laid them out.
std::string DataFolderLibrary(std::string_view data_folder, std::string_view entry, std::string_view stored_path);

struct SourceSearch {
  std::function<bool(const std::string& path)> file_exists;
  // Asks the user for a folder; "" when cancelled. Empty in silent mode.
  std::function<std::string()> ask_folder;
};

// The folder holding the setup's sources: the data folder when it contains
// the marker file (named by the product code); otherwise folders the user
// picks, each accepted when it or its "data\" sub-folder has the marker.
// Returns "" when none was found. Folders are returned with a trailing
// backslash.
std::string LocateSourceFolder(std::string_view data_folder, std::string_view product_code,
                               const SourceSearch& search);

inline constexpr std::string_view kLocateSourcesPrompt = "Please locate your original setup sources to continue operation";
inline constexpr std::string_view kSourcesNotFound =
    "Original setup sources required to complete operation, sources not found";
inline constexpr std::string_view kMissingLibraryText =
    "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are installed.";
inline constexpr std::string_view kActionSkipped = "Action skipped";
inline constexpr std::string_view kGeneralSetupFailure = "General setup failure";

// The missing-library message: the text, two line breaks and "Action skipped".
std::string MissingLibraryMessage();

}  // namespace qel::commands::plugin
