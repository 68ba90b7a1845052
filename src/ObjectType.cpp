#include "ObjectType.h"

#include <cstring>

#include "CBeanPointer.h"
#include "CServicePointer.h"

namespace Ostrel {

std::shared_ptr<IValuePointer> ObjectType::CreateValuePointer(IBeanFactory& factory,
                                                              const char* type,
                                                              const wchar_t* value,
                                                              const SLibrary* library) {
  (void)m_manager;
  const wchar_t* text = value != nullptr ? value : L"";
  std::shared_ptr<IValuePointer> pointer;
  // make_shared: one allocation per reference instead of two.
  if (type != nullptr && std::strcmp(type, "bean") == 0) {
    pointer = std::make_shared<CBeanPointer>(factory, text, library);
  } else if (type != nullptr && std::strcmp(type, "service") == 0) {
    pointer = std::make_shared<CServicePointer>(factory, text);
  } else {
    return nullptr;
  }
  if (pointer->GetValue() == nullptr) {
    return nullptr;
  }
  return pointer;
}

}  // namespace Ostrel
