// Helpers of the configuration loader: the expansion of loop variables and the readers
// of bool and numeric attribute values.
// The helpers keep no state of their own: safe on any thread, each with its own
// arguments.
#pragma once

#include <string>

#include "SLoadBudget.h"
#include "support/CbMap.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace Internal {

// Loop variables in scope: name to value, both UTF-8.
using SubstitutionMap = CbMap<std::string, std::string>;

// Expansions of one value beyond which a value is taken to reproduce its own pattern.
constexpr int kMaxSubstitutions = 10000;

// `text` (UTF-8, may be null) with each "%[modifiers]name%" replaced, when variables
// are in scope, by the variable's value: "." removes spaces, "_" lower-cases, "^"
// upper-cases. Inserted text is scanned again. Bytes outside patterns are kept as
// written, valid UTF-8 or not, so two different names never become one. Throws
// "Invalid substitution pattern" for an unpaired "%" (or a value that keeps reproducing
// patterns) and "Missing substitution" for a name not in scope. With a budget, the
// text's size and the bytes inserted count against it (null: only the bound of
// insertions into one value applies).
std::string Substitute(const char* text, const SubstitutionMap& variables,
                       SLoadBudget* budget = nullptr);

// Exactly "true" or "false"; anything else throws.
bool StringToBool(const std::string& text);

// White space as the C library's isspace sees it in the "C" locale.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

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
