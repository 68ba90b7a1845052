#include "CBeanPointer.h"

#include "DefaultFactory.h"
#include "platform/TextConversion.h"

namespace Ostrel {

CBeanPointer::CBeanPointer(IBeanFactory& factory, const wchar_t* name,
                           const SLibrary* requester) {
  std::string narrow = Platform::WideToUtf8(name);
  if (narrow.compare(0, 2, "::") == 0) {
    // A name written "::name" lives in the default factory, asked on behalf of no
    // library; with no default factory alive the reference yields nothing.
    if (std::shared_ptr<IBeanFactory> defaultFactory = Internal::GetDefaultFactory()) {
      m_instance = defaultFactory->GetBean(narrow.c_str() + 2, nullptr);
    }
    return;
  }
  m_instance = factory.GetBean(narrow.c_str(), requester);
}

}  // namespace Ostrel
