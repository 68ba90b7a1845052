#include "CBeanPointer.h"

#include <cstdint>
#include <string>

#include "DefaultFactory.h"
#include "platform/TextConversion.h"

namespace Ostrel {

namespace {

// Copies an ASCII name that fits into `buffer`; false (buffer unspecified) otherwise.
bool CopyAscii(const wchar_t* name, char (&buffer)[64]) {
  for (std::size_t i = 0; i < sizeof buffer; ++i) {
    const wchar_t c = name[i];
    if (static_cast<std::uint32_t>(c) >= 0x80) return false;
    buffer[i] = static_cast<char>(c);
    if (c == 0) return true;
  }
  return false;
}

}  // namespace

CBeanPointer::CBeanPointer(IBeanFactory& factory, const wchar_t* name,
                           const SLibrary* requester) {
  // Bean names are nearly always short ASCII: those need no conversion.
  char buffer[64];
  std::string converted;
  const char* narrow = buffer;
  if (!CopyAscii(name, buffer)) {
    converted = Platform::WideToUtf8(name);
    narrow = converted.c_str();
  }
  if (narrow[0] == ':' && narrow[1] == ':') {
    // A name written "::name" lives in the default factory, asked on behalf of no
    // library; with no default factory alive the reference yields nothing.
    if (std::shared_ptr<IBeanFactory> defaultFactory = Internal::GetDefaultFactory()) {
      m_instance = defaultFactory->GetBean(narrow + 2, nullptr);
    }
    return;
  }
  m_instance = factory.GetBean(narrow, requester);
}

}  // namespace Ostrel
