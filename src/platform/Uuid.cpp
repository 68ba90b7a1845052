#include "platform/Uuid.h"

#include <uuid/uuid.h>

namespace Platform {

bool CreateUuidText(std::string& text) {
  uuid_t id;
  uuid_generate_random(id);
  char buffer[37] = {};
  uuid_unparse_lower(id, buffer);
  text.assign(buffer);
  return text.size() == 36;
}

}  // namespace Platform
