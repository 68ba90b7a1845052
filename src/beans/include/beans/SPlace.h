// SPlace: where a definition stands in its configuration, for messages that send a user
// to the element: the file ("<text>" for a configuration given as text) and the line and
// column of the element's start tag.
// A plain value; copies share the file name, which never changes, so they may be used on
// different threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "support/Throw.h"

namespace Ostrel {

class CException;

struct SPlace {
  std::shared_ptr<const std::string> file;  // one string for every definition of a file
  std::int32_t line = 0;
  std::int32_t column = 0;

  bool IsKnown() const { return file != nullptr; }
  // "<file>:<line>:<column>" ("<file>" without a line); empty when not known.
  std::string ToString() const;
};

namespace Internal {

// "bean '<bean>', property '<property>'", each part left out when empty.
std::string PlaceContext(const std::string& bean, const std::string& property = std::string());

// "  at <file>:<line>:<column> (<context>)": the record that follows a message about a
// configured element (without parentheses when the context is empty).
std::string PlaceRecord(const SPlace& place, const std::string& context);

// Gives `exception` the place of the element it is about and logs the place record right
// after its own, at the throw site; an exception that has a place already keeps it.
void ReportPlace(CException& exception, const SPlace& place, const std::string& context);

}  // namespace Internal
}  // namespace Ostrel

// Throws a CException about the element at `place`, with its place record.
#define OSTREL_THROW_AT(function, message, place, context)                       \
  do {                                                                            \
    ::Ostrel::CException placed_(__FILE__, __LINE__, function,                    \
                                 ::Ostrel::Internal::MessageText(message));       \
    ::Ostrel::Internal::ReportPlace(placed_, place, context);                     \
    throw placed_;                                                                \
  } while (false)
