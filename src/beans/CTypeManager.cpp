#include "beans/CTypeManager.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <typeinfo>
#include <unordered_map>

#include "BasicType.h"
#include "platform/DecimalNumber.h"
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

// A literal beyond float's range becomes an infinity of its sign, as rounding to the
// nearest float gives it; the plain conversion of such a double is undefined. Values up
// to half a step above the largest float round down to it.
float stringToFloat(const wchar_t* text) {
  const double value = Platform::ParseDecimal(text);
  const double magnitude = std::fabs(value);
  constexpr float kMax = std::numeric_limits<float>::max();
  if (!(magnitude > kMax)) return static_cast<float>(value);  // NaN included
  const double halfStepAbove = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
  const float rounded = magnitude < halfStepAbove ? kMax : std::numeric_limits<float>::infinity();
  return value < 0 ? -rounded : rounded;
}

double stringToDouble(const wchar_t* text) { return Platform::ParseDecimal(text); }

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

// One basic type name: the C++ type its values have and how its type is made.
struct SBasicTypeName {
  const char* name;
  const std::type_info* type;
  std::unique_ptr<IType> (*make)();
};

template <class T, T (*Convert)(const wchar_t*)>
constexpr SBasicTypeName Entry(const char* name) {
  return {name, &typeid(T), &Basic<T, Convert>};
}

std::unique_ptr<IType> NarrowText() { return std::make_unique<NarrowTextType>(); }

constexpr SBasicTypeName NarrowTextEntry(const char* name) {
  return {name, &typeid(std::string), &NarrowText};
}

// The basic type names. Names whose values have the same C++ type are aliases; the
// first of them names the group.
using namespace Conversions;
constexpr SBasicTypeName kBasicTypeNames[] = {
    Entry<bool, stringToBool>("bool"),
    Entry<char, stringToChar>("char"),
    Entry<signed char, stringToByte<signed char>>("int8_t"),
    Entry<unsigned char, stringToByte<unsigned char>>("unsigned char"),
    Entry<unsigned char, stringToByte<unsigned char>>("uint8_t"),
    Entry<short, stringToShort<short>>("short"),
    Entry<short, stringToShort<short>>("int16_t"),
    Entry<unsigned short, stringToShort<unsigned short>>("unsigned short"),
    Entry<unsigned short, stringToShort<unsigned short>>("uint16_t"),
    Entry<int, stringToInt<int>>("int"),
    Entry<int, stringToInt<int>>("int32_t"),
    Entry<unsigned int, stringToInt<unsigned int>>("unsigned int"),
    Entry<unsigned int, stringToInt<unsigned int>>("uint32_t"),
    Entry<long, stringToLong>("long"),
    Entry<unsigned long, stringToULong>("unsigned long"),
    Entry<float, stringToFloat>("float"),
    Entry<double, stringToDouble>("double"),
    NarrowTextEntry("char*"),
    NarrowTextEntry("const char*"),
    Entry<std::wstring, stringToString<std::wstring>>("wchar_t*"),
    Entry<std::wstring, stringToString<std::wstring>>("const wchar_t*")};

}  // namespace

bool CTypeManager::IsReference(const char* type) {
  return type != nullptr && (std::strcmp(type, "bean") == 0 || std::strcmp(type, "service") == 0);
}

CTypeManager::CTypeManager() {
  for (const SBasicTypeName& entry : kBasicTypeNames) {
    m_types.GetOrInsert(std::string(entry.name))->value = entry.make();
  }
}

const char* CTypeManager::CanonicalTypeName(const char* type) {
  // Every known name with the first name of its group, built once.
  static const std::unordered_map<std::string_view, const char*> groups = [] {
    std::unordered_map<std::string_view, const char*> table;
    for (const SBasicTypeName& entry : kBasicTypeNames) {
      for (const SBasicTypeName& first : kBasicTypeNames) {
        if (*first.type == *entry.type) {
          table.emplace(entry.name, first.name);
          break;
        }
      }
    }
    static const char* const kReference = "bean";
    table.emplace("bean", kReference);
    table.emplace("service", kReference);
    return table;
  }();
  if (type == nullptr) {
    return nullptr;
  }
  auto found = groups.find(type);
  return found != groups.end() ? found->second : nullptr;
}

namespace {

// The literal without the white space around it.
std::string_view Trimmed(std::string_view text) {
  const char* space = " \t\r\n";
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return std::string_view();
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal integer as a whole: an optional sign and digits, nothing else.
bool IsInteger(std::string_view text) {
  std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return true;
}

// A decimal number as a whole: sign, digits with an optional point, optional exponent.
bool IsDecimal(std::string_view text) {
  std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  std::size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == start) return false;
  }
  return i == text.size();
}

// The integer range of each integral group, by the first name of the group.
struct SRange {
  const char* group;
  long double low;
  long double high;
};
constexpr SRange kRanges[] = {
    {"int8_t", -128.0L, 127.0L},
    {"unsigned char", 0.0L, 255.0L},
    {"short", -32768.0L, 32767.0L},
    {"unsigned short", 0.0L, 65535.0L},
    {"int", -2147483648.0L, 2147483647.0L},
    {"unsigned int", 0.0L, 4294967295.0L},
    {"long", static_cast<long double>(LONG_MIN), static_cast<long double>(LONG_MAX)},
    {"unsigned long", 0.0L, static_cast<long double>(ULONG_MAX)},
};

}  // namespace

std::string CTypeManager::LiteralProblem(const char* type, const std::string& text) {
  const char* group = CanonicalTypeName(type);
  if (group == nullptr || std::strcmp(group, "bean") == 0 || std::strcmp(group, "char*") == 0 ||
      std::strcmp(group, "wchar_t*") == 0) {
    return std::string();
  }
  const std::string_view literal = Trimmed(text);
  // The texts of the two problems, made only for a literal that has one.
  const auto invalid = [&] { return "Value '" + text + "' is no valid '" + type + "'"; };
  const auto outside = [&] { return "Value '" + text + "' is outside the range of '" + type + "'"; };
  if (std::strcmp(group, "bool") == 0) {
    return text == "true" || text == "false" ? std::string() : invalid() + " (true or false)";
  }
  if (std::strcmp(group, "char") == 0) {
    return text.size() == 1 ? std::string() : invalid() + " (one character)";
  }
  if (std::strcmp(group, "float") == 0 || std::strcmp(group, "double") == 0) {
    if (!IsDecimal(literal)) return invalid();
    const double value = Platform::ParseDecimal(Platform::Utf8ToWide(std::string(literal)).c_str());
    const double limit = group[0] == 'f' ? FLT_MAX : DBL_MAX;
    return std::isfinite(value) && std::fabs(value) <= limit ? std::string() : outside();
  }
  // Integral: "unsigned long" also reads hexadecimal ("0x") and octal forms.
  const bool unsignedLong = std::strcmp(group, "unsigned long") == 0;
  const std::string whole(literal);
  long double value = 0;
  if (IsInteger(literal)) {
    value = std::strtold(whole.c_str(), nullptr);
  } else if (unsignedLong && !whole.empty()) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long read = std::strtoull(whole.c_str(), &end, 0);
    if (*end != '\0' || whole[0] == '-') return invalid();
    if (errno == ERANGE) return outside();
    value = static_cast<long double>(read);
  } else {
    return invalid();
  }
  for (const SRange& range : kRanges) {
    if (std::strcmp(group, range.group) == 0 && (value < range.low || value > range.high)) {
      return outside();
    }
  }
  return std::string();
}

CTypeManager::~CTypeManager() = default;

const IType* CTypeManager::FindTypeBean(const char* type) const {
  if (type != nullptr) {
    if (auto* entry = m_types.Lookup(type)) {
      return entry->value.get();
    }
  }
  OSTREL_THROW("Ostrel::CTypeManager::FindTypeBean", "Could not find type bean");
}

}  // namespace Ostrel
