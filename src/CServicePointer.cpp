#include "CServicePointer.h"

#include "CLocalLibrary.h"
#include "platform/TextConversion.h"

namespace Ostrel {

CServicePointer::CServicePointer(IBeanFactory& factory, const wchar_t* interfaceName) {
  std::string className = Platform::WideToUtf8(interfaceName);
  const std::string typeId = CLocalLibrary::GetInstance().GetTypeID(className.c_str());
  m_instance = factory.GetServiceInstance(typeId.c_str());
}

}  // namespace Ostrel
