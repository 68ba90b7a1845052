#include "CTypeManager.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <locale.h>
#include <wchar.h>

#include "BasicType.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Conversions {

namespace {
// Decimal text to int: white space, sign and digits up to the first other character;
// beyond the 32-bit range the nearest limit.
int DecimalToInt(const wchar_t* text) {
  long value = std::wcstol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
}  // namespace

bool stringToBool(const wchar_t* text) {
  if (std::wcscmp(text, L"true") == 0) return true;
  if (std::wcscmp(text, L"false") == 0) return false;
  OSTREL_THROW("`anonymous-namespace'::stringToBool", "Invalid bool value");
}

char stringToChar(const wchar_t* text) {
  std::string narrow = Platform::WideToUtf8(text);
  return narrow.empty() ? '\0' : narrow[0];
}

template <class T>
T stringToByte(const wchar_t* text) {
  return static_cast<T>(static_cast<std::uint8_t>(DecimalToInt(text) & 0xFF));
}

template <class T>
T stringToShort(const wchar_t* text) {
  return static_cast<T>(static_cast<std::uint16_t>(DecimalToInt(text) & 0xFFFF));
}

template <class T>
T stringToInt(const wchar_t* text) {
  return static_cast<T>(DecimalToInt(text));
}

long stringToLong(const wchar_t* text) { return std::wcstol(text, nullptr, 10); }

unsigned long stringToULong(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

namespace {
// Configurations write numbers with a decimal point whatever locale the host program
// has set.
double DecimalToDouble(const wchar_t* text) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c != static_cast<locale_t>(0) ? wcstod_l(text, nullptr, c) : std::wcstod(text, nullptr);
}
}  // namespace

float stringToFloat(const wchar_t* text) { return static_cast<float>(DecimalToDouble(text)); }

double stringToDouble(const wchar_t* text) { return DecimalToDouble(text); }

template <>
std::string stringToString<std::string>(const wchar_t* text) {
  return Platform::WideToUtf8(text);
}

template <>
std::wstring stringToString<std::wstring>(const wchar_t* text) {
  return std::wstring(text);
}

}  // namespace Conversions

namespace {

template <class T, T (*Convert)(const wchar_t*)>
std::unique_ptr<IType> Basic() {
  return std::make_unique<BasicType<T, Convert>>();
}

}  // namespace

CTypeManager::CTypeManager() {
  using namespace Conversions;
  auto add = [this](const char* name, std::unique_ptr<IType> type) {
    m_types.GetOrInsert(std::string(name))->value = std::move(type);
  };
  add("bool", Basic<bool, stringToBool>());
  add("char", Basic<char, stringToChar>());
  add("int8_t", Basic<signed char, stringToByte<signed char>>());
  add("unsigned char", Basic<unsigned char, stringToByte<unsigned char>>());
  add("uint8_t", Basic<unsigned char, stringToByte<unsigned char>>());
  add("short", Basic<short, stringToShort<short>>());
  add("int16_t", Basic<short, stringToShort<short>>());
  add("unsigned short", Basic<unsigned short, stringToShort<unsigned short>>());
  add("uint16_t", Basic<unsigned short, stringToShort<unsigned short>>());
  add("int", Basic<int, stringToInt<int>>());
  add("int32_t", Basic<int, stringToInt<int>>());
  add("unsigned int", Basic<unsigned int, stringToInt<unsigned int>>());
  add("uint32_t", Basic<unsigned int, stringToInt<unsigned int>>());
  add("long", Basic<long, stringToLong>());
  add("unsigned long", Basic<unsigned long, stringToULong>());
  add("float", Basic<float, stringToFloat>());
  add("double", Basic<double, stringToDouble>());
  add("char*", Basic<std::string, stringToString<std::string>>());
  add("const char*", Basic<std::string, stringToString<std::string>>());
  add("wchar_t*", Basic<std::wstring, stringToString<std::wstring>>());
  add("const wchar_t*", Basic<std::wstring, stringToString<std::wstring>>());
}

CTypeManager::~CTypeManager() {
  // The object type goes first, then the table in its iteration order.
  m_objectType.reset();
}

IType* CTypeManager::FindTypeBean(const char* type) const {
  if (type != nullptr) {
    if (m_objectType != nullptr &&
        (std::strcmp(type, "bean") == 0 || std::strcmp(type, "service") == 0)) {
      return m_objectType.get();
    }
    if (auto* entry = m_types.Lookup(type)) {
      return entry->value.get();
    }
  }
  OSTREL_THROW("Ostrel::CTypeManager::FindTypeBean", "Could not find type bean");
}

void CTypeManager::SetObjectType(std::unique_ptr<IType> objectType) {
  m_objectType = std::move(objectType);
}

}  // namespace Ostrel
