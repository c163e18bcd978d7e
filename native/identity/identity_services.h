// What the identity code asks of the other parts of the native engine: the
// component table with its feature selection file, the property journal, the
// pinned-shortcut list, the native log and the language memory. Those parts fill
// these members when they start; a member left empty does nothing (its file is
// then neither read nor written).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qel::identity {

enum class SelectionRead {
  kInstalled,      // this build's own selections: replace the table, with sizes
  kPreviousBuild,  // an older build's: appended to the table, sizes section skipped
};

struct IdentityServices {
  // --- component table and feature selection file ---
  // Reads a feature selection file (never in merge mode); restores TARGETDIR,
  // ALLUSERS, STARTMENU and the saved variables. Also sets the data folder from
  // the file's data-folder line for kInstalled.
  std::function<void(const std::string& path, SelectionRead how)> read_selections;
  // Writes the feature selection file with the data-folder line.
  std::function<void(const std::string& path, const std::string& data_folder)> write_selections;
  // Rewrites the file at the end of the run, when variables are saved with the
  // selections (completely or only the variable part, by the refresh setting).
  std::function<void(const std::string& path, const std::string& data_folder)> refresh_selections;
  // Total size of the components that are selected and not deleted.
  std::function<int64_t()> selected_size;
  // The installed-size baseline that "Get Component Space" subtracts.
  std::function<void(int64_t)> set_installed_baseline;
  // Clears the table and defines "OXLE-PREDEF-COMPONENT" (selected).
  std::function<void()> reset_components;

  // --- property journal (".par") ---
  std::function<void(const std::string& path)> load_property_journal;
  std::function<void(const std::string& path)> save_property_journal;
  std::function<void()> clear_property_journal;

  // --- pinned shortcuts (".lnk") ---
  std::function<void(const std::string& path)> load_pinned_shortcuts;
  std::function<void(const std::string& path)> save_pinned_shortcuts;
  // Runs the Native Spooler with "PIN".
  std::function<void()> pin_shortcuts;

  // --- native log ---
  // Appends the in-memory native log to the log set at its current prefix.
  std::function<void()> flush_native_log;

  // --- language (".lan") ---
  // Writes the selected language; does nothing when none was chosen.
  std::function<void(const std::string& path)> save_language;

  // --- data folder ---
  // The engine's data-folder setting (where the setup's files are read from).
  std::function<void(const std::string& folder)> set_data_folder;
};

IdentityServices& identity_services();

}  // namespace qel::identity
