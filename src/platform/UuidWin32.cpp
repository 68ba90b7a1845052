#include "platform/Uuid.h"

#include <windows.h>
#include <rpc.h>

namespace Platform {

bool CreateUuidText(std::string& text) {
  UUID id;
  if (UuidCreate(&id) != RPC_S_OK) {
    return false;
  }
  RPC_CSTR string = nullptr;
  if (UuidToStringA(&id, &string) != RPC_S_OK || string == nullptr) {
    return false;
  }
  text.assign(reinterpret_cast<const char*>(string));
  RpcStringFreeA(&string);
  return text.size() == 36;
}

}  // namespace Platform
