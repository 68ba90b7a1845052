#include "CDocumentLint.h"

#include <algorithm>
#include <cstring>

#include "LoaderHelpers.h"
#include "platform/TextConversion.h"

namespace Ostrel {

// What an element holds, by the kind of its parent: each kind names the children it
// reads and the context each of them opens.
enum CDocumentLint::EContext : int {
  eRoot, eLibrary, eBeans, eBean, eArgumentList, eValueHolder, eProperties, eProperty,
  eProvides, eDependsOn, eLeaf
};

namespace {

using Internal::NameIs;

struct SChild {
  const char* name;
  int context;          // a CDocumentLint::EContext
  bool firstOnly;       // further elements of the name are ignored
};

// Children read in each context; a loop opens the context it stands in.
const std::vector<SChild>& Children(int context) {
  static const std::vector<SChild> kTable[] = {
      /* eRoot */ {{"include", 10, false}, {"library", 1, false}},
      /* eLibrary */ {{"beans", 2, true}},
      /* eBeans */ {{"bean", 3, false}, {"service", 3, false}, {"for", 2, false},
                    {"foreach", 2, false}},
      /* eBean */ {{"constructor-arg", 4, true}, {"properties", 6, true}, {"provides", 8, true},
                   {"depends-on", 9, true}},
      /* eArgumentList */ {{"argument", 5, false}},
      /* eValueHolder */ {{"value", 10, true}, {"ref", 10, true}, {"bean", 3, true}},
      /* eProperties */ {{"property", 7, false}, {"for", 6, false}, {"foreach", 6, false}},
      /* eProperty */ {{"arguments", 4, true}, {"value", 10, true}, {"ref", 10, true},
                       {"bean", 3, true}},
      /* eProvides */ {{"interface", 10, false}, {"for", 8, false}, {"foreach", 8, false}},
      /* eDependsOn */ {{"bean-name", 10, false}},
      /* eLeaf */ {}};
  return kTable[context];
}

// Attributes each element reads.
const std::vector<const char*>& Attributes(const char* element) {
  static const std::vector<const char*> kPath{"path"};
  static const std::vector<const char*> kBean{"name", "class", "singleton", "lazy", "autoname",
                                              "exported", "init-method", "exit-method",
                                              "factory-bean", "factory-method"};
  static const std::vector<const char*> kFor{"first", "last", "inc", "substitute"};
  static const std::vector<const char*> kForeach{"set", "substitute"};
  static const std::vector<const char*> kName{"name"};
  static const std::vector<const char*> kType{"type"};
  static const std::vector<const char*> kRef{"bean", "service"};
  static const std::vector<const char*> kNone;
  if (NameIs(element, "include") || NameIs(element, "library")) return kPath;
  if (NameIs(element, "bean") || NameIs(element, "service")) return kBean;
  if (NameIs(element, "for")) return kFor;
  if (NameIs(element, "foreach")) return kForeach;
  if (NameIs(element, "property")) return kName;
  if (NameIs(element, "value")) return kType;
  if (NameIs(element, "ref")) return kRef;
  return kNone;
}

// Whether two names are alike but for the case of ASCII letters.
bool SameName(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return *a == *b;
}

// Every element name of the format.
const std::vector<const char*>& ElementNames() {
  static const std::vector<const char*> kNames = {
      "ostrel", "include", "library", "beans", "bean", "service", "for", "foreach",
      "constructor-arg", "argument", "properties", "property", "arguments", "value", "ref",
      "provides", "interface", "depends-on", "bean-name"};
  return kNames;
}

bool IsValidUtf8(const char* text) {
  const char* p = text;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') return true;
  // Decoding turns every bad sequence into U+FFFD, so only valid text comes back alike.
  return Platform::WideToUtf8(Platform::Utf8ToWide(text)) == text;
}

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Edits between `a` and `b`, a swap of two neighbours counting as one edit.
std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

std::string Suggestion(const std::string& nearest) {
  return nearest.empty() ? std::string() : " (did you mean '" + nearest + "'?)";
}

}  // namespace

std::string CDocumentLint::NearestName(const std::string& name,
                                       const std::vector<const char*>& names) {
  // Names this long are too far apart for a guess: an unknown word, not a slip.
  if (name.size() > 64) return std::string();
  const std::string lower = Lower(name);
  const std::size_t limit = lower.size() <= 4 ? 1 : 2;
  std::string best;
  std::size_t bestDistance = limit + 1;
  for (const char* candidate : names) {
    const std::size_t distance = Distance(lower, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

void CDocumentLint::Run(const XMLNode& root) {
  if (root.IsEmpty()) return;
  CheckAttributes(root, {});
  // An explicit stack: documents may nest deeper than the thread's stack would allow.
  // Nodes by address: children stay in place in their parents while the tree lives.
  struct SStep {
    const XMLNode* element;
    int context;
  };
  std::vector<SStep> stack{{&root, eRoot}};
  while (!stack.empty()) {
    const SStep step = stack.back();
    stack.pop_back();
    const XMLNode& element = *step.element;
    const std::vector<SChild>& allowed = Children(step.context);
    const char* parent = element.GetName() != nullptr ? element.GetName() : "";
    int seen[8] = {};  // no context reads more kinds of children
    // The value an argument or property holds: "arguments" in a property, else the
    // first "value", else "ref", else "bean"; the other forms are ignored.
    const char* usedForm = nullptr;
    if (step.context == eValueHolder || step.context == eProperty) {
      for (const char* form : {"arguments", "value", "ref", "bean"}) {
        if (step.context == eValueHolder && std::strcmp(form, "arguments") == 0) continue;
        if (element.CountChildren(form) > 0) {
          usedForm = form;
          break;
        }
      }
    }
    // Document order: the children go on the stack, then their order is turned round.
    const std::size_t first = stack.size();
    const int count = element.GetChildCount();
    for (int i = 0; i < count; ++i) {
      const XMLNode& child = element.ChildAt(i);
      const char* name = child.GetName();
      if (name == nullptr) continue;
      if (!IsValidUtf8(name)) {
        Add(child, "Element name is not valid UTF-8");
        continue;
      }
      if (child.IsDeclaration()) continue;
      std::size_t k = 0;
      while (k < allowed.size() && !NameIs(name, allowed[k].name)) ++k;
      if (k == allowed.size()) {
        std::vector<const char*> names;
        for (const SChild& entry : allowed) names.push_back(entry.name);
        const auto& known = ElementNames();
        const bool inFormat = std::any_of(known.begin(), known.end(),
                                          [name](const char* n) { return NameIs(name, n); });
        Add(child, (inFormat ? "Element '" + std::string(name) + "' is not read inside '"
                             : "Unknown element '" + std::string(name) + "' inside '") +
                       parent + "'" + Suggestion(NearestName(name, names)));
        continue;
      }
      if (allowed[k].firstOnly && seen[k]++ > 0) {
        Add(child, "Second '" + std::string(allowed[k].name) + "' inside '" + parent +
                       "' is ignored: only the first is read");
        continue;
      }
      if (usedForm != nullptr && !NameIs(name, usedForm)) {
        Add(child, "'" + std::string(allowed[k].name) + "' inside '" + parent +
                       "' is ignored: the element holds its value in '" + usedForm + "'");
        continue;
      }
      CheckAttributes(child, Attributes(name));
      if (allowed[k].context == eLeaf) {
        CheckText(child, name, child.GetText(0));
      }
      stack.push_back({&child, allowed[k].context});
    }
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
  }
}

void CDocumentLint::CheckAttributes(const XMLNode& element,
                                    const std::vector<const char*>& allowed) {
  const char* elementName = element.GetName() != nullptr ? element.GetName() : "";
  const int count = element.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const SXMLAttribute* attribute = element.GetAttributeAt(i);
    if (attribute == nullptr || attribute->name == nullptr) continue;
    const char* name = attribute->name;
    if (!IsValidUtf8(name)) {
      Add(element, "Attribute name of '" + std::string(elementName) + "' is not valid UTF-8");
      continue;
    }
    const bool known = std::any_of(allowed.begin(), allowed.end(),
                                   [name](const char* n) { return NameIs(name, n); });
    if (!known) {
      Add(element, "Unknown attribute '" + std::string(name) + "' of '" + elementName + "'" +
                       Suggestion(NearestName(name, allowed)));
      continue;
    }
    bool repeated = false;
    for (int j = 0; j < i && !repeated; ++j) {
      const SXMLAttribute* earlier = element.GetAttributeAt(j);
      repeated = earlier != nullptr && earlier->name != nullptr && SameName(earlier->name, name);
    }
    if (repeated) {
      Add(element, "Attribute '" + std::string(name) + "' of '" + elementName +
                       "' is repeated: only the first is read");
      continue;
    }
    if (attribute->value != nullptr && !IsValidUtf8(attribute->value)) {
      Add(element, "Value of attribute '" + std::string(name) + "' of '" + elementName +
                       "' is not valid UTF-8");
    }
  }
}

void CDocumentLint::CheckText(const XMLNode& element, const char* what, const char* text) {
  if (text != nullptr && !IsValidUtf8(text)) {
    Add(element, "Text of '" + std::string(what) + "' is not valid UTF-8");
  }
}

void CDocumentLint::Add(const XMLNode& element, const std::string& message) {
  m_notices.push_back({SPlace{m_file, element.GetLine(), element.GetColumn()}, message});
}

}  // namespace Ostrel
