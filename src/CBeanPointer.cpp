#include "CBeanPointer.h"

#include "platform/TextConversion.h"

namespace Ostrel {

CBeanPointer::CBeanPointer(IBeanFactory& factory, const wchar_t* name,
                           const SLibrary* requester)
    : m_instance(factory.GetBean(Platform::WideToUtf8(name).c_str(), requester)) {}

}  // namespace Ostrel
