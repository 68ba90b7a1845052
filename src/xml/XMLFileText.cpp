#include "XMLFileText.h"

#include <cstdio>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/TextConversion.h"
#include "platform/TextEncoding.h"
#include "EXMLResult.h"

namespace Ostrel {
namespace {

std::int32_t ConvertUtf16(const unsigned char* bytes, std::size_t size, bool bigEndian,
                          std::string& text) {
  if (size % 2 != 0) return eXMLBadUtf16;
  const std::size_t units = size / 2;
  auto unit = [&](std::size_t i) -> std::uint32_t {
    const std::uint32_t first = bytes[2 * i];
    const std::uint32_t second = bytes[2 * i + 1];
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  text.clear();
  text.reserve(size);
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xDC00 && cp <= 0xDFFF) return eXMLBadUtf16;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 == units) return eXMLBadUtf16;
      const std::uint32_t low = unit(++i);
      if (low < 0xDC00 || low > 0xDFFF) return eXMLBadUtf16;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    Platform::AppendUtf8(text, static_cast<char32_t>(cp));
  }
  return eXMLOk;
}

}  // namespace

std::int32_t ConvertXMLFileText(const unsigned char* bytes, std::size_t size, std::string& text) {
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return ConvertUtf16(bytes + 2, size - 2, false, text);
  if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return ConvertUtf16(bytes + 2, size - 2, true, text);
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    text.assign(reinterpret_cast<const char*>(bytes) + 3, size - 3);
    return eXMLOk;
  }
  switch (Platform::GuessTextEncoding(bytes, size)) {
    case Platform::ETextEncoding::eUtf16LittleEndian: return ConvertUtf16(bytes, size, false, text);
    case Platform::ETextEncoding::eUtf16BigEndian: return ConvertUtf16(bytes, size, true, text);
    case Platform::ETextEncoding::eEightBit: break;
  }
  text.assign(reinterpret_cast<const char*>(bytes), size);
  return eXMLOk;
}

std::int32_t ReadXMLFile(const wchar_t* fileName, std::string& text, std::size_t maxBytes) {
  if (!fileName) return eXMLCannotOpen;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(Platform::OpenFileForReading(fileName), &std::fclose);
  if (!file) return eXMLCannotOpen;
  std::string bytes;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (got > maxBytes - bytes.size()) return eXMLTooLarge;
    bytes.append(buffer, got);
  }
  file.reset();
  if (bytes.empty()) return eXMLEmptyFile;
  return ConvertXMLFileText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), text);
}

}  // namespace Ostrel
