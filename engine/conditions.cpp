#include "engine/conditions.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/ascii.h"
#include "engine/variables.h"

namespace qel {

bool ParseInt32(std::string_view text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

namespace {

constexpr int kVersionParts = 4;

// Splits at "." into at most four parts; the fourth keeps any further dots.
int SplitVersion(std::string_view text, std::string_view (&parts)[kVersionParts]) {
  int count = 0;
  while (count < kVersionParts - 1) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) break;
    parts[count++] = text.substr(0, dot);
    text.remove_prefix(dot + 1);
  }
  parts[count++] = text;
  return count;
}

void ReadVersion(std::string_view text, int32_t (&numbers)[kVersionParts]) {
  std::string_view parts[kVersionParts];
  const int count = SplitVersion(text, parts);
  for (int i = 0; i < kVersionParts; ++i) {
    numbers[i] = 0;
    if (i >= count) continue;
    if (ParseInt32(parts[i], numbers[i])) continue;
    numbers[i] = 0;
    if (i < count - 1)
      throw VersionFormatError("'" + std::string(parts[i]) + "' is not a valid integer value");
  }
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return !needle.empty() && FindNoCase(haystack, needle) != std::string_view::npos;
}

// Byte-wise comparison with bytes read as unsigned values.
int CompareBytes(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  int c = n ? std::memcmp(a.data(), b.data(), n) : 0;  // memcmp compares unsigned char
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

bool VersionGreater(std::string_view x, std::string_view y) {
  int32_t vx[kVersionParts], vy[kVersionParts];
  ReadVersion(x, vx);
  ReadVersion(y, vy);
  for (int i = 0; i < kVersionParts; ++i)
    if (vx[i] != vy[i]) return vx[i] > vy[i];
  return false;
}

bool CompareConditionValues(std::string_view x, std::string_view op, std::string_view y) {
  if (op == "6") return VersionGreater(x, y);
  if (op.size() != 1 || op[0] < '0' || op[0] > '4') return false;
  int32_t ix, iy;
  if (ParseInt32(x, ix) && ParseInt32(y, iy)) return op[0] == '2' ? ix > iy : ix == iy;
  switch (op[0]) {
    case '0': return x == y;
    case '1': return !y.empty() && x.find(y) != std::string_view::npos;
    case '2': return CompareBytes(x, y) > 0;
    case '3': return ContainsNoCase(x, y);
    case '4': return EqualsNoCase(x, y);
  }
  return false;
}

bool EvaluateCondition(const TVariableManager& vars, std::string_view p1, std::string_view p2,
                       std::string_view p3, std::string_view p4) {
  bool outcome;
  if (p2 == "5") {
    outcome = vars.Exists(p1);
  } else {
    // Conditions run once per loop pass: reuse the buffers instead of allocating.
    thread_local std::string value, x, y;
    vars.TryGet(VariableNameOf(p1), value);
    vars.ExpandTo(value, x);
    vars.ExpandTo(p3, y);
    outcome = CompareConditionValues(x, p2, y);
  }
  return outcome != IsTrue(p4);
}

}  // namespace qel
