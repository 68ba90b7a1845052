#include <ostrel/WrapperArguments.h>

#include <cstdint>

namespace Ostrel {
namespace WrapperDetail {
namespace {

// The distance from the counted base (a virtual base, so one per object) to a target
// class, for one class of object.
struct SDistance {
  const std::type_info* source = nullptr;
  const std::type_info* target = nullptr;
  std::ptrdiff_t offset = 0;
};

// The distances found on this thread, one place per hash of the key: a bean with many
// references of different classes finds each of them again.
struct SDistances {
  static constexpr std::size_t kCount = 64;
  SDistance entries[kCount];
};

thread_local SDistances t_distances;

std::size_t PlaceOf(const std::type_info* source, const std::type_info* target) {
  const auto key = reinterpret_cast<std::uintptr_t>(source) * 31u +
                   reinterpret_cast<std::uintptr_t>(target);
  return static_cast<std::size_t>(key ^ (key >> 7) ^ (key >> 13)) % SDistances::kCount;
}

}  // namespace

bool HasArguments(const ArgumentVector* arguments, std::size_t count, std::string& error) {
  if (arguments != nullptr && arguments->size() >= count) return true;
  error = "received too few arguments";
  return false;
}

void NumberArgumentError(std::size_t index, std::string& error) {
  error = "argument " + std::to_string(index + 1) + " " + error;
}

bool ReadCounted(void* address, const std::type_info& type, void* (*cast)(IReferenceCounted*),
                 bool optional, void*& object, std::string& error) {
  object = nullptr;
  const auto* held = static_cast<const CbSmartPointer<IReferenceCounted>*>(address);
  IReferenceCounted* source = held != nullptr ? held->Get() : nullptr;
  if (source == nullptr) {
    if (!optional) error = kResolvedToNothing;
    return optional;
  }
  char* const at = reinterpret_cast<char*>(source);
  const std::type_info* const sourceType = &typeid(*source);
  SDistance& known = t_distances.entries[PlaceOf(sourceType, &type)];
  if (known.source == sourceType && known.target == &type) {
    object = at + known.offset;
    return true;
  }
  object = cast(source);
  if (object == nullptr) {
    error = "is an object of another class";
    return false;
  }
  known = {sourceType, &type, static_cast<char*>(object) - at};
  return true;
}

}  // namespace WrapperDetail
}  // namespace Ostrel
