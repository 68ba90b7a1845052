#include "LoaderHelpers.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <vector>

#include "platform/CaseMapping.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
SubstitutionMap CopyVariables(const SubstitutionMap& variables) {
  // Room for the loop's own variable too; the map grows when it needs more.
  SubstitutionMap copy(2 * variables.GetCount() + 4);
  for (const auto& entry : variables) {
    copy.GetOrInsert(entry.key)->value = entry.value;
  }
  return copy;
}

int StringToInt(const char* text) {
  const char* p = text != nullptr ? text : "";
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  std::int64_t value = 0;
  bool digits = false;
  bool overflow = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    digits = true;
    value = value * 10 + (*p - '0');
    if (value > std::int64_t{INT32_MAX} + 1) {
      overflow = true;
      value = std::int64_t{INT32_MAX} + 1;
    }
  }
  if (negative) value = -value;
  if (!digits || overflow || value > INT32_MAX || value < INT32_MIN) {
    OSTREL_THROW("`anonymous-namespace'::StringToInt", "Value of numeric parameter must be numeric");
  }
  return static_cast<int>(value);
}

bool StringToBool(const std::string& text) {
  if (text == "true") return true;
  if (text == "false") return false;
  OSTREL_THROW("`anonymous-namespace'::StringToBool",
               "Value of bool parameter must be 'true' or 'false'");
}

namespace {

// Maps the case of a UTF-8 value; plain ASCII stays in place.
void MapCase(std::string& value, void (*map)(std::wstring&)) {
  if (std::all_of(value.begin(), value.end(), [](char c) { return (c & 0x80) == 0; })) {
    for (char& c : value) {
      if (map == &Platform::ToLowerCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (map == &Platform::ToUpperCase && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return;
  }
  std::wstring wide = Platform::Utf8ToWide(value);
  map(wide);
  value = Platform::WideToUtf8(wide);
}

}  // namespace

std::string Substitute(const char* text, const SubstitutionMap& variables, SLoadBudget* budget) {
  if (text == nullptr) {
    return std::string();
  }
  const std::size_t length = std::strlen(text);
  if (budget != nullptr) budget->CheckValue(length, "`anonymous-namespace'::Substitute");
  const char* const end = text + length;
  const char* percent = variables.IsEmpty() ? end : std::find(text, end, '%');
  if (percent == end) {
    return std::string(text, end);  // nothing to expand; bytes kept as written
  }
  constexpr const char* kFunction = "`anonymous-namespace'::Substitute";
  SLoadBudget ownBudget;
  SLoadBudget& b = budget != nullptr ? *budget : ownBudget;
  // What is still to scan: the text, with each inserted value in front of the rest of
  // what was being scanned (an inserted value is scanned again, and a pattern may run
  // on from it into the text after it). The result grows at its end only, so a value
  // costs time in proportion to its size. Bytes outside patterns are copied as they
  // are, valid UTF-8 or not.
  std::string out(text, percent);
  out.reserve(length);
  std::vector<std::pair<std::string, std::size_t>> input;
  input.emplace_back(std::string(percent, end), 0);
  auto next = [&input](char& c) {
    while (!input.empty()) {
      auto& top = input.back();
      if (top.second < top.first.size()) {
        c = top.first[top.second++];
        return true;
      }
      input.pop_back();
    }
    return false;
  };
  int expansions = 0;
  std::size_t inserted = 0;
  std::string key;
  char c = 0;
  while (next(c)) {
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    key.clear();
    bool closed = false;
    while (next(c)) {
      if (c == '%') {
        closed = true;
        break;
      }
      key.push_back(c);
    }
    if (!closed || ++expansions > kMaxSubstitutions) {
      OSTREL_THROW(kFunction, "Invalid substitution pattern");
    }
    bool removeSpaces = false;
    bool lower = false;
    bool upper = false;
    std::size_t k = 0;
    for (; k < key.size(); ++k) {
      if (key[k] == '.') removeSpaces = true;
      else if (key[k] == '_') lower = true;
      else if (key[k] == '^') upper = true;
      else break;
    }
    auto* entry = variables.Lookup(std::string_view(key).substr(k));
    if (entry == nullptr) {
      OSTREL_THROW(kFunction, "Missing substitution");
    }
    std::string v = entry->value;
    if (removeSpaces) {
      v.erase(std::remove(v.begin(), v.end(), ' '), v.end());
    }
    // The same mapping in every host program, whatever its locale.
    if (lower) MapCase(v, &Platform::ToLowerCase);
    if (upper) MapCase(v, &Platform::ToUpperCase);
    b.AddInsertion(inserted, v.size());
    inserted += v.size();
    if (!v.empty()) input.emplace_back(std::move(v), 0);
  }
  return out;
}

}  // namespace Internal
}  // namespace Ostrel
