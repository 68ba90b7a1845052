// Helpers of the configuration loader: the walk of a container element with its "for"
// and "foreach" loops, the expansion of loop variables, and the readers of bool and
// numeric attribute values.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/CbMap.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace Internal {

// Loop variables in scope: name to value.
using SubstitutionMap = CbMap<std::wstring, std::wstring>;
using ElementCallback = std::function<void(const XMLNode&)>;
using LoopCallback = std::function<void(const XMLNode&, const SubstitutionMap&)>;

// Expansions of one value beyond which a value is taken to reproduce its own pattern.
constexpr int kMaxSubstitutions = 10000;

// Calls `element` for every child named in `tags` (tag by tag, each in document order),
// then `loop` once per pass of every "for" child and then of every "foreach" child,
// with the variables of that pass added to a copy of `variables`.
void ParseContainer(const XMLNode& node, const std::vector<const char*>& tags,
                    const SubstitutionMap& variables, ElementCallback element,
                    LoopCallback loop);

// Decodes `text` (UTF-8, may be null) and, when variables are in scope, replaces each
// "%[modifiers]name%" by the variable's value: "." removes spaces, "_" lower-cases,
// "^" upper-cases. Inserted text is scanned again. Throws "Invalid substitution
// pattern" for an unpaired "%" (or a value that keeps reproducing patterns) and
// "Missing substitution" for a name not in scope.
std::wstring Substitute(const char* text, const SubstitutionMap& variables);

// Exactly "true" or "false"; anything else throws.
bool StringToBool(const std::wstring& text);

// A decimal integer in the signed 32-bit range after optional white space and sign;
// trailing text is ignored. Throws "Value of numeric parameter must be numeric" for
// text that does not begin with a number, null or blank text, or a number outside the
// range.
int StringToInt(const char* text);

// A copy of `variables`.
SubstitutionMap CopyVariables(const SubstitutionMap& variables);

}  // namespace Internal
}  // namespace Ostrel
