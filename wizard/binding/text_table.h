// The text table: the first text seen for each control (key: dialog file name
// + "." + control name), so that later binds start again from the unexpanded
// text although the control itself shows the expanded one. Portable.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace qel::wizard::binding {

class TextTable {
 public:
  static std::string Key(std::string_view dialog_file_name, std::string_view control_name);

  // The entry for the key; when there is none yet, first_text is entered and returned.
  const std::string& Entry(const std::string& key, std::string_view first_text);
  bool Contains(const std::string& key) const { return entries_.count(key) != 0; }
  void Clear() { entries_.clear(); }
  size_t Size() const { return entries_.size(); }

 private:
  std::unordered_map<std::string, std::string> entries_;
};

// The process-wide table; cleared when all dialogs are unloaded.
TextTable& text_table();

}  // namespace qel::wizard::binding
