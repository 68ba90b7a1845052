#include "LoaderHelpers.h"

#include <strings.h>

#include <cstdint>

#include "platform/CaseMapping.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The same rules in every host program, whatever its locale.
wchar_t Lower(wchar_t c) {
  std::wstring one(1, c);
  Platform::ToLowerCase(one);
  return one[0];
}
wchar_t Upper(wchar_t c) {
  std::wstring one(1, c);
  Platform::ToUpperCase(one);
  return one[0];
}

}  // namespace

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

std::string SubstituteUtf8(const char* text, const SubstitutionMap& variables) {
  if (text == nullptr) {
    return std::string();
  }
  // Plain ASCII without patterns to expand comes back unchanged from the round trip.
  const bool patterns = !variables.IsEmpty();
  const char* p = text;
  while (static_cast<unsigned char>(*p) < 0x80 && *p != '\0' && !(patterns && *p == '%')) ++p;
  return *p == '\0' ? std::string(text, p) : Platform::WideToUtf8(Substitute(text, variables));
}

std::wstring Substitute(const char* text, const SubstitutionMap& variables) {
  if (text == nullptr) {
    return std::wstring();
  }
  const bool patterns = !variables.IsEmpty();
  const char* p0 = text;
  while (static_cast<unsigned char>(*p0) < 0x80 && *p0 != '\0' && !(patterns && *p0 == '%')) ++p0;
  if (*p0 == '\0') {
    return std::wstring(text, p0);  // plain ASCII, nothing to expand
  }
  std::wstring w = Platform::Utf8ToWide(text);
  if (!patterns) {
    return w;
  }
  constexpr const char* kFunction = "`anonymous-namespace'::Substitute";
  int expansions = 0;
  std::size_t p = w.find(L'%');
  while (p != std::wstring::npos) {
    std::size_t q = w.find(L'%', p + 1);
    if (q == std::wstring::npos || ++expansions > kMaxSubstitutions) {
      OSTREL_THROW(kFunction, "Invalid substitution pattern");
    }
    std::wstring key = w.substr(p + 1, q - p - 1);
    w.erase(p, q - p + 1);
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
      std::wstring compact;
      for (wchar_t c : v) {
        if (c != L' ') compact.push_back(c);
      }
      v.swap(compact);
    }
    if (lower) {
      for (wchar_t& c : v) c = Lower(c);
    }
    if (upper) {
      for (wchar_t& c : v) c = Upper(c);
    }
    w.insert(p, v);
    p = w.find(L'%', p);
  }
  return w;
}

void ParseContainer(const XMLNode& node, std::initializer_list<const char*> tags,
                    const SubstitutionMap& variables, ElementCallback element,
                    LoopCallback loop) {
  // One look at every child: elements of the first tag are handled on the way (in
  // document order, as nothing else is handled before them); the other tags and the
  // loops are visited afterwards only when present.
  bool otherTags = false;
  bool forLoops = false;
  bool foreachLoops = false;
  const int children = node.GetChildCount();
  for (int i = 0; i < children; ++i) {
    XMLNode child = node.GetChildAt(i);
    const char* name = child.GetName();
    bool first = false;
    bool other = false;
    for (const char* tag : tags) {
      if (NameIs(name, tag)) {
        (tag == *tags.begin() ? first : other) = true;
        break;
      }
    }
    if (first) {
      element(child);
    } else if (other) {
      otherTags = true;
    } else if (NameIs(name, "for")) {
      forLoops = true;
    } else if (NameIs(name, "foreach")) {
      foreachLoops = true;
    }
  }
  for (auto tag = tags.begin() + 1; otherTags && tag < tags.end(); ++tag) {
    int cursor = 0;
    for (XMLNode child = node.GetChild(*tag, &cursor); !child.IsEmpty();
         child = node.GetChild(*tag, &cursor)) {
      element(child);
    }
  }

  int cursor = 0;
  for (XMLNode loopNode = forLoops ? node.GetChild("for", &cursor) : XMLNode(); !loopNode.IsEmpty();
       loopNode = node.GetChild("for", &cursor)) {
    const int first = StringToInt(loopNode.GetAttribute("first"));
    const int last = StringToInt(loopNode.GetAttribute("last"));
    const char* incText = loopNode.GetAttribute("inc");
    // A bare "inc" without value counts as present and blank: the numeric error.
    bool hasInc = incText != nullptr;
    for (int i = 0; !hasInc && i < loopNode.GetAttributeCount(); ++i) {
      const SXMLAttribute* a = loopNode.GetAttributeAt(i);
      hasInc = a != nullptr && a->name != nullptr && strcasecmp(a->name, "inc") == 0;
    }
    const int inc = hasInc ? StringToInt(incText) : 1;
    std::wstring variable = Platform::Utf8ToWide(loopNode.GetAttribute("substitute"));
    if (variable.empty()) {
      OSTREL_THROW("ParseContainer", "Empty attribute 'substitute' in bean for loop");
    }
    if (inc <= 0 && first <= last) {
      OSTREL_THROW("ParseContainer", "Attribute 'inc' of the for loop over '" +
                                         Platform::WideToUtf8(variable) +
                                         "' must be positive");
    }
    SubstitutionMap passVariables = CopyVariables(variables);
    auto* slot = passVariables.GetOrInsert(variable);
    // Counted in 64 bits so that a last value near the top of the range still ends.
    for (std::int64_t counter = first; counter <= last; counter += inc) {
      slot->value = std::to_wstring(counter);
      loop(loopNode, passVariables);
    }
  }

  cursor = 0;
  for (XMLNode loopNode = foreachLoops ? node.GetChild("foreach", &cursor) : XMLNode();
       !loopNode.IsEmpty();
       loopNode = node.GetChild("foreach", &cursor)) {
    const char* setText = loopNode.GetAttribute("set");
    std::string set = setText != nullptr ? setText : "";
    std::wstring variable = Platform::Utf8ToWide(loopNode.GetAttribute("substitute"));
    if (variable.empty()) {
      OSTREL_THROW("ParseContainer", "Empty attribute 'substitute' in bean foreach loop");
    }
    SubstitutionMap passVariables = CopyVariables(variables);
    auto* slot = passVariables.GetOrInsert(variable);
    do {
      std::string item;
      std::size_t bar = set.find('|');
      if (bar == std::string::npos) {
        item = Trim(set);
        set.clear();
      } else {
        item = Trim(set.substr(0, bar));
        set.erase(0, bar + 1);
      }
      slot->value = Platform::Utf8ToWide(item);
      loop(loopNode, passVariables);
    } while (!set.empty());
  }
}

}  // namespace Internal
}  // namespace Ostrel
