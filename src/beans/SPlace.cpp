#include "beans/SPlace.h"

#include <ostrel/CException.h>
#include <ostrel/Logger.h>

#include "platform/TextConversion.h"

namespace Ostrel {

std::string SPlace::ToString() const {
  if (!IsKnown()) return std::string();
  if (line <= 0) return *file;
  return *file + ":" + std::to_string(line) + ":" + std::to_string(column);
}

namespace Internal {

std::string PlaceContext(const std::string& bean, const std::string& property) {
  std::string context;
  if (!bean.empty()) context = "bean '" + bean + "'";
  if (!property.empty()) context += (context.empty() ? "" : ", ") + ("property '" + property + "'");
  return context;
}

std::string PlaceRecord(const SPlace& place, const std::string& context) {
  std::string record = "  at " + place.ToString();
  if (!context.empty()) record += " (" + context + ")";
  return record;
}

void ReportPlace(CException& exception, const SPlace& place, const std::string& context) {
  if (!place.IsKnown() || exception.GetConfigurationFile()[0] != '\0') return;
  exception.SetConfigurationPlace(*place.file, static_cast<std::uint32_t>(place.line),
                                  static_cast<std::uint32_t>(place.column));
  static const Logging::CLogger logger(L"Ostrel");
  logger.Error(exception.GetFileName(), static_cast<int>(exception.GetLineNumber()),
               exception.GetFunctionName(),
               Platform::Utf8ToWide(PlaceRecord(place, context)));
}

}  // namespace Internal
}  // namespace Ostrel
