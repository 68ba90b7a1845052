// CTypeManager: the type names of literal values ("int", "char*", ...) and their
// conversions. "bean" and "service" name references, which the factory resolves.
// Read-only after construction, so its look-ups may run on several threads at once; one
// per bean factory.
#pragma once

#include <memory>
#include <string>

#include "beans/IType.h"
#include "support/CbMap.h"

namespace Ostrel {

class CTypeManager {
public:
  // Registers the 21 basic type names.
  CTypeManager();
  ~CTypeManager();
  CTypeManager(const CTypeManager&) = delete;
  CTypeManager& operator=(const CTypeManager&) = delete;

  // The registered basic type `type`. Throws CException "Could not find type bean"
  // for any other name, "bean" and "service" included.
  const IType* FindTypeBean(const char* type) const;

  // Whether `type` names a reference: exactly "bean" or "service".
  static bool IsReference(const char* type);

  // The name of the group of aliases that `type` belongs to: basic type names whose
  // values have the same C++ type ("int32_t" gives "int", "const char*" gives "char*"),
  // and "bean" for "bean" and "service". Null for a name it does not know. Names of one
  // group give the same pointer.
  static const char* CanonicalTypeName(const char* type);
  // Why the literal `text` (UTF-8) is no value of the basic type `type`: it does not
  // convert as a whole (surrounding white space aside) or lies outside the type's range.
  // Empty when it is one, and for names that are no basic type. The conversions
  // themselves stay lenient; this is for the configuration check.
  static std::string LiteralProblem(const char* type, const std::string& text);

  // Number of registered basic type names.
  std::uint32_t GetTypeCount() const { return m_types.GetCount(); }

private:
  CbMap<std::string, std::unique_ptr<IType>> m_types{128};
};

// The conversions of literal value texts. Numbers never fail: text without a number
// gives 0 and trailing text is ignored.
namespace Conversions {
bool stringToBool(const wchar_t* text);  // exactly "true" or "false", else throws
char stringToChar(const wchar_t* text);
template <class T> T stringToByte(const wchar_t* text);
template <class T> T stringToShort(const wchar_t* text);
template <class T> T stringToInt(const wchar_t* text);
long stringToLong(const wchar_t* text);
unsigned long stringToULong(const wchar_t* text);
float stringToFloat(const wchar_t* text);
double stringToDouble(const wchar_t* text);
template <class T> T stringToString(const wchar_t* text);  // wide text only
}  // namespace Conversions

}  // namespace Ostrel
