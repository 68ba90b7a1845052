#include "LoaderHelpers.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/CaseMapping.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
SubstitutionMap CopyVariables(const SubstitutionMap& variables) {
  SubstitutionMap copy(128);
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

bool StringToBool(const std::wstring& text) {
  if (text == L"true") return true;
  if (text == L"false") return false;
  OSTREL_THROW("`anonymous-namespace'::StringToBool",
               "Value of bool parameter must be 'true' or 'false'");
}

bool StringToBool(const std::string& text) {
  if (text == "true") return true;
  if (text == "false") return false;
  OSTREL_THROW("`anonymous-namespace'::StringToBool",
               "Value of bool parameter must be 'true' or 'false'");
}

namespace {

// The end of the leading plain ASCII of `text`: up to the first other byte, or the first
// "%" when there are `patterns` to expand.
const char* PlainEnd(const char* text, bool patterns) {
  while (static_cast<unsigned char>(*text) < 0x80 && *text != '\0' && !(patterns && *text == '%')) {
    ++text;
  }
  return text;
}

}  // namespace

std::string SubstituteUtf8(const char* text, const SubstitutionMap& variables,
                           SLoadBudget* budget) {
  if (text == nullptr) {
    return std::string();
  }
  // Plain ASCII without patterns to expand comes back unchanged from the round trip.
  const char* p = PlainEnd(text, !variables.IsEmpty());
  return *p == '\0' ? std::string(text, p) : Platform::WideToUtf8(Substitute(text, variables, budget));
}

std::wstring Substitute(const char* text, const SubstitutionMap& variables,
                        SLoadBudget* budget) {
  if (text == nullptr) {
    return std::wstring();
  }
  const bool patterns = !variables.IsEmpty();
  const char* p0 = PlainEnd(text, patterns);
  if (*p0 == '\0') {
    return std::wstring(text, p0);  // plain ASCII, nothing to expand
  }
  std::wstring w = Platform::Utf8ToWide(text);
  if (!patterns) {
    return w;
  }
  constexpr const char* kFunction = "`anonymous-namespace'::Substitute";
  SLoadBudget ownBudget;
  SLoadBudget& b = budget != nullptr ? *budget : ownBudget;
  // What is still to scan: the text, with each inserted value in front of the rest of
  // what was being scanned (an inserted value is scanned again, and a pattern may run
  // on from it into the text after it). The result grows at its end only, so a value
  // costs time in proportion to its size.
  std::wstring out;
  out.reserve(w.size());
  std::vector<std::pair<std::wstring, std::size_t>> input;
  input.emplace_back(std::move(w), 0);
  auto next = [&input](wchar_t& c) {
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
  std::wstring key;
  wchar_t c = 0;
  while (next(c)) {
    if (c != L'%') {
      out.push_back(c);
      continue;
    }
    key.clear();
    bool closed = false;
    while (next(c)) {
      if (c == L'%') {
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
      if (key[k] == L'.') removeSpaces = true;
      else if (key[k] == L'_') lower = true;
      else if (key[k] == L'^') upper = true;
      else break;
    }
    key.erase(0, k);
    auto* entry = variables.Lookup(key);
    if (entry == nullptr) {
      OSTREL_THROW(kFunction, "Missing substitution");
    }
    std::wstring v = entry->value;
    if (removeSpaces) {
      v.erase(std::remove(v.begin(), v.end(), L' '), v.end());
    }
    // The same mapping in every host program, whatever its locale.
    if (lower) Platform::ToLowerCase(v);
    if (upper) Platform::ToUpperCase(v);
    b.AddInsertion(inserted, v.size());
    inserted += v.size();
    if (!v.empty()) input.emplace_back(std::move(v), 0);
  }
  return out;
}

}  // namespace Internal
}  // namespace Ostrel
