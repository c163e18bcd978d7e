#include "wizard/binding/text_table.h"

#include "engine/ascii.h"

namespace qel::wizard::binding {

std::string TextTable::Key(std::string_view dialog_file_name, std::string_view control_name) {
  // Control names are identifiers: one spelling per control whatever the case.
  return ToUpperAscii(dialog_file_name) + "." + ToUpperAscii(control_name);
}

const std::string& TextTable::Entry(const std::string& key, std::string_view first_text) {
  auto [it, inserted] = entries_.try_emplace(key, first_text);
  (void)inserted;
  return it->second;
}

TextTable& text_table() {
  static TextTable table;
  return table;
}

}  // namespace qel::wizard::binding
