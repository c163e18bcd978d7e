#include "engine/variables.h"

#include "engine/ascii.h"
#include "engine/comma_text.h"

#include <cstdint>

namespace qel {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// value is "$" + name + "$" in any case.
bool IsSelfReference(std::string_view name, std::string_view value) {
  return value.size() == name.size() + 2 && value.front() == '$' && value.back() == '$' &&
         EqualsNoCase(value.substr(1, name.size()), name);
}

}  // namespace

std::string ActionContext(std::string_view command_name) {
  std::string context(command_name);
  context += " Action";
  return context;
}

bool IsTrue(std::string_view text) { return EqualsNoCase(text, "TRUE") || text == "-1"; }

std::string_view BooleanText(bool flag) { return flag ? "TRUE" : "FALSE"; }

std::string_view ReferenceName(std::string_view text) {
  if (text.size() < 2 || text.front() != '$' || text.back() != '$') return {};
  std::string_view inner = text.substr(1, text.size() - 2);
  if (inner.find('$') != std::string_view::npos) return {};
  return inner;
}

std::string_view VariableNameOf(std::string_view text) {
  std::string_view name = ReferenceName(text);
  return name.empty() ? text : name;
}

std::string NormalizeBackslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  const bool unc = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  if (unc) out.push_back('\\');
  for (size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

namespace {

// Replaces every "#" + name + "#" (any case), without rescanning inserted values.
void ReplaceToken(std::string& text, std::string_view name, std::string_view value) {
  std::string token = "#";
  token += name;
  token += '#';
  size_t at = FindNoCase(text, token);
  if (at == std::string::npos) return;
  std::string out;
  size_t from = 0;
  while (at != std::string::npos) {
    out.append(text, from, at - from);
    out += value;
    from = at + token.size();
    at = FindNoCase(text, token, from);
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
}

// Compiler variables that refer to each other in a circle would expand forever.
constexpr int kMaxCompilerRounds = 32;
constexpr size_t kMaxCompilerLength = 1u << 20;

}  // namespace

std::string ExpandCompilerVariables(std::string_view text, const std::vector<std::string>& pairs) {
  std::string current(text);
  for (int round = 0; round < kMaxCompilerRounds; ++round) {
    if (current.find('#') == std::string::npos) return current;
    std::string next = current;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
      if (!pairs[i].empty()) ReplaceToken(next, pairs[i], pairs[i + 1]);
    }
    if (next == current || next.find('#') == std::string::npos || next.size() > kMaxCompilerLength)
      return next;
    current = std::move(next);
  }
  return current;
}

size_t TVariableManager::NameHash::operator()(std::string_view name) const noexcept {
  uint64_t h = 14695981039346656037ull;  // FNV-1a over the upper-cased bytes
  for (char c : name) {
    h ^= static_cast<unsigned char>(AsciiUpper(c));
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

bool TVariableManager::NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return EqualsNoCase(a, b);
}

void TVariableManager::SetLocked(std::string_view name, std::string_view value) {
  if (name.empty()) return;
  Touch();
  auto it = map_.find(name);
  if (it != map_.end())
    it->second.assign(value);
  else
    map_.emplace(std::string(name), std::string(value));
}

void TVariableManager::Define(std::string_view name, std::string_view value) {
  Lock lock(mutex_);
  SetLocked(name, value);
}

void TVariableManager::Set(std::string_view name, std::string_view value) {
  Lock lock(mutex_);
  SetLocked(name, value);
}

bool TVariableManager::Exists(std::string_view name) const {
  Lock lock(mutex_);
  return map_.find(name) != map_.end();
}

std::string TVariableManager::Get(std::string_view name) const {
  Lock lock(mutex_);
  auto it = map_.find(name);
  return it == map_.end() ? std::string() : it->second;
}

bool TVariableManager::TryGet(std::string_view name, std::string& out) const {
  Lock lock(mutex_);
  auto it = map_.find(name);
  if (it == map_.end()) {
    out.clear();
    return false;
  }
  out.assign(it->second);
  return true;
}

void TVariableManager::Clear() {
  Lock lock(mutex_);
  Touch();
  map_.clear();
}

size_t TVariableManager::Count() const {
  Lock lock(mutex_);
  return map_.size();
}

size_t TVariableManager::ExportPairs(std::vector<std::string>& list) const {
  Lock lock(mutex_);
  list.clear();
  list.reserve(map_.size() * 2);
  for (const auto& [name, value] : map_) {
    list.push_back(name);
    list.push_back(value);
  }
  return map_.size();
}

void TVariableManager::ReplaceAll(std::string_view comma_text) {
  std::vector<std::string> entries = SplitCommaText(comma_text);
  Lock lock(mutex_);
  Touch();
  map_.clear();
  for (size_t i = 0; i < entries.size(); i += 2)
    SetLocked(entries[i], i + 1 < entries.size() ? std::string_view(entries[i + 1]) : std::string_view());
}

// Forward scan over the caller's text. A value without "$" cannot form a token
// with what follows it, so rescanning it is the same as copying it out; only a
// value holding "$" switches to RescanLocked.
void TVariableManager::ExpandLocked(std::string_view text, bool quoted, std::string& out) const {
  out.clear();
  size_t p = 0;
  for (;;) {
    const size_t open = text.find('$', p);
    if (open == std::string_view::npos) break;
    out.append(text.substr(p, open - p));
    const size_t close = text.find('$', open + 1);
    if (close == std::string_view::npos) {
      p = open;
      break;
    }
    const std::string_view name = text.substr(open + 1, close - open - 1);
    auto it = name.empty() ? map_.end() : map_.find(name);
    if (it == map_.end()) {
      // No such variable: the "$" stays and the closing "$" may open the next token.
      out.append(text.substr(open, close - open));
      p = close;
      continue;
    }
    const std::string& value = it->second;
    if (value.find('$') != std::string::npos) {
      RescanLocked(text.substr(close + 1), value, quoted, out);
      return;
    }
    if (quoted) out.push_back('"');
    out.append(value);
    if (quoted) out.push_back('"');
    p = close + 1;
  }
  out.append(text.substr(p));
}

// Expansion once a value with "$" has been inserted: the unscanned rest (the
// value, then the text after its token) is kept reversed in pending_, so that
// putting the next value in front of it is an append; everything left of the
// scan position is final and goes straight to out.
void TVariableManager::RescanLocked(std::string_view rest, const std::string& first_value, bool quoted,
                                    std::string& out) const {
  std::string& pending = pending_;
  pending.assign(rest.rbegin(), rest.rend());
  if (quoted) pending.push_back('"');
  pending.append(first_value.rbegin(), first_value.rend());
  if (quoted) pending.push_back('"');
  std::string& name = name_scratch_;
  size_t substitutions = 1;
  for (;;) {
    const size_t open = pending.rfind('$');
    if (open == std::string::npos) break;
    out.append(pending.rbegin(), pending.rbegin() + static_cast<std::ptrdiff_t>(pending.size() - 1 - open));
    pending.resize(open + 1);
    if (open == 0) break;  // a lone "$" at the end
    const size_t close = pending.rfind('$', open - 1);
    if (close == std::string::npos) break;
    name.assign(pending.rbegin() + 1, pending.rbegin() + static_cast<std::ptrdiff_t>(open - close));
    auto it = name.empty() ? map_.end() : map_.find(name);
    if (it == map_.end()) {
      out.push_back('$');
      out += name;
      pending.resize(close + 1);
      continue;
    }
    const std::string& value = it->second;
    if (substitutions >= kMaxSubstitutions ||
        out.size() + pending.size() + value.size() + 2 > kMaxExpandedLength)
      break;  // runaway self-reference: leave the rest as it is
    ++substitutions;
    pending.resize(close);
    if (quoted) pending.push_back('"');
    pending.append(value.rbegin(), value.rend());
    if (quoted) pending.push_back('"');
  }
  out.append(pending.rbegin(), pending.rend());
  if (pending.capacity() > (1u << 16)) std::string().swap(pending);
}

void TVariableManager::ExpandTo(std::string_view text, std::string& out) const {
  if (text.find('$') == std::string_view::npos) {
    out.assign(text);
    return;
  }
  Lock lock(mutex_);
  ExpandLocked(text, false, out);
}

void TVariableManager::ExpandQuotedTo(std::string_view text, std::string& out) const {
  if (text.find('$') == std::string_view::npos) {
    out.assign(text);
    return;
  }
  Lock lock(mutex_);
  ExpandLocked(text, true, out);
}

std::string TVariableManager::Expand(std::string_view text) const {
  std::string out;
  ExpandTo(text, out);
  return out;
}

std::string TVariableManager::ExpandQuoted(std::string_view text) const {
  std::string out;
  ExpandQuotedTo(text, out);
  return out;
}

std::string TVariableManager::ExpandNormalized(std::string_view text) const {
  return NormalizeBackslashes(Expand(text));
}

std::string TVariableManager::ExpandPathParameter(std::string_view raw) const {
  Lock lock(mutex_);
  return ExpandNormalized(Expand(raw));
}

std::string TVariableManager::ReadVariable(std::string_view name) const { return Get(name); }

bool TVariableManager::IsProtectedLocked(std::string_view name, std::string_view context) const {
  if (!silent_ || context == kContextCommandLine) return false;
  for (size_t i = 0; i < command_line_.size(); i += 2)
    if (EqualsNoCase(command_line_[i], name)) return true;
  return false;
}

bool TVariableManager::IsProtected(std::string_view name, std::string_view context) const {
  Lock lock(mutex_);
  return IsProtectedLocked(name, context);
}

void TVariableManager::DeclareOrAssignLocked(std::string_view name, std::string_view value,
                                             std::string_view context) {
  if (IsSelfReference(name, value)) value = {};
  if (map_.find(name) != map_.end())
    AssignLocked(name, value, context);
  else
    SetLocked(name, value);
}

bool TVariableManager::AssignLocked(std::string_view name, std::string_view value, std::string_view context) {
  if (IsProtectedLocked(name, context)) return false;
  auto it = map_.find(name);
  if (it == map_.end()) {
    DeclareOrAssignLocked(name, value, context);
    return true;
  }
  Touch();
  if (IsSelfReference(name, value))
    it->second.clear();
  else
    it->second.assign(value);
  return true;
}

void TVariableManager::DeclareOrAssign(std::string_view name, std::string_view value, std::string_view context) {
  Lock lock(mutex_);
  DeclareOrAssignLocked(name, value, context);
}

bool TVariableManager::Assign(std::string_view name, std::string_view value, std::string_view context) {
  Lock lock(mutex_);
  return AssignLocked(name, value, context);
}

void TVariableManager::DeclareUpper(std::string_view name, std::string_view context) {
  if (name.empty()) return;
  Lock lock(mutex_);
  if (map_.find(name) == map_.end()) DeclareOrAssignLocked(ToUpperAscii(name), {}, context);
}

void TVariableManager::SetSilent(bool silent) {
  Lock lock(mutex_);
  silent_ = silent;
}

bool TVariableManager::Silent() const {
  Lock lock(mutex_);
  return silent_;
}

void TVariableManager::SetCommandLineProperties(std::vector<std::string> properties) {
  Lock lock(mutex_);
  command_line_ = std::move(properties);
}

TVariableManager& variables() {
  // Never destroyed: workers may still touch the store while the process ends.
  static TVariableManager* const instance = new TVariableManager;
  return *instance;
}

}  // namespace qel
