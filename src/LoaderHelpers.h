// Helpers of the configuration loader: the walk of a container element with its "for"
// and "foreach" loops, the expansion of loop variables, and the readers of bool and
// numeric attribute values.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "support/CbMap.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace Internal {

// Loop variables in scope: name to value.
using SubstitutionMap = CbMap<std::wstring, std::wstring>;

// A callable borrowed for the duration of one call: no copy, no allocation.
template <class Signature>
class FunctionRef;

template <class R, class... A>
class FunctionRef<R(A...)> {
public:
  template <class F, class = std::enable_if_t<!std::is_same<std::decay_t<F>, FunctionRef>::value>>
  FunctionRef(F&& f) noexcept  // NOLINT: converts like std::function
      : m_object(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
        m_call([](void* object, A... arguments) -> R {
          return (*static_cast<std::remove_reference_t<F>*>(object))(std::forward<A>(arguments)...);
        }) {}
  R operator()(A... arguments) const { return m_call(m_object, std::forward<A>(arguments)...); }

private:
  void* m_object;
  R (*m_call)(void*, A...);
};

using ElementCallback = FunctionRef<void(const XMLNode&)>;
using LoopCallback = FunctionRef<void(const XMLNode&, const SubstitutionMap&)>;

// Expansions of one value beyond which a value is taken to reproduce its own pattern.
constexpr int kMaxSubstitutions = 10000;

// Calls `element` for every child named in `tags` (tag by tag, each in document order;
// tags written in lower case), then `loop` once per pass of every "for" child and then
// of every "foreach" child, with the variables of that pass added to a copy of
// `variables`.
void ParseContainer(const XMLNode& node, std::initializer_list<const char*> tags,
                    const SubstitutionMap& variables, ElementCallback element,
                    LoopCallback loop);

// Decodes `text` (UTF-8, may be null) and, when variables are in scope, replaces each
// "%[modifiers]name%" by the variable's value: "." removes spaces, "_" lower-cases,
// "^" upper-cases. Inserted text is scanned again. Throws "Invalid substitution
// pattern" for an unpaired "%" (or a value that keeps reproducing patterns) and
// "Missing substitution" for a name not in scope.
std::wstring Substitute(const char* text, const SubstitutionMap& variables);

// The same as UTF-8 (what WideToUtf8 makes of Substitute's result), without the round
// trip through wide text for plain ASCII.
std::string SubstituteUtf8(const char* text, const SubstitutionMap& variables);

// Exactly "true" or "false"; anything else throws.
bool StringToBool(const std::wstring& text);
bool StringToBool(const std::string& text);

// Whether an element or attribute name is `lower` (written in lower case), ignoring
// ASCII case as the XML parser does; a null name is nothing.
inline bool NameIs(const char* name, const char* lower) {
  if (name == nullptr) return false;
  for (; *lower != '\0'; ++name, ++lower) {
    char c = *name;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *lower) return false;
  }
  return *name == '\0';
}

// A decimal integer in the signed 32-bit range after optional white space and sign;
// trailing text is ignored. Throws "Value of numeric parameter must be numeric" for
// text that does not begin with a number, null or blank text, or a number outside the
// range.
int StringToInt(const char* text);

// A copy of `variables`.
SubstitutionMap CopyVariables(const SubstitutionMap& variables);

}  // namespace Internal
}  // namespace Ostrel
