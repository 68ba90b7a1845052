// Reading a document file into the UTF-8 text the parser takes.
// Keeps no state: safe on any thread, each call with its own file and text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Ostrel {

// Reads the whole file into text, converted by ConvertXMLFileText. Returns an EXMLResult:
// eXMLCannotOpen, eXMLEmptyFile, eXMLBadUtf16, eXMLTooLarge (more than maxBytes bytes,
// found before more is read) or eXMLOk.
std::int32_t ReadXMLFile(const wchar_t* fileName, std::string& text,
                         std::size_t maxBytes = SIZE_MAX);

// Converts file content to UTF-8. UTF-16 is recognised by its byte-order mark (FF FE or
// FE FF) or, without one, by zero bytes piling up at odd or at even positions; surrogate
// pairs are combined. A leading UTF-8 mark is dropped; other 8-bit text is kept as is.
// Returns eXMLBadUtf16 for an odd byte count or an unpaired surrogate, else eXMLOk.
std::int32_t ConvertXMLFileText(const unsigned char* bytes, std::size_t size, std::string& text);

}  // namespace Ostrel
