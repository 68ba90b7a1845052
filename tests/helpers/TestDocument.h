// Builds configuration text for tests: Bean("a", "CBasket") inside
// Document(Library(PLUGIN_TWO, ...)); Layout describes loaded definitions back.
#pragma once

#include <string>

namespace TestSupport {

inline std::string Bean(const std::string& name, const std::string& className,
                        const std::string& attributes = "", const std::string& body = "") {
  return "<bean name=\"" + name + "\" class=\"" + className + "\" " + attributes + ">" + body +
         "</bean>";
}

// A "properties" element with one property passing the bean `reference` to `method`.
inline std::string RefProperty(const std::string& method, const std::string& reference) {
  return "<properties><property name=\"" + method + "\"><ref bean=\"" + reference +
         "\"/></property></properties>";
}

inline std::string Library(const std::string& path, const std::string& beans) {
  return "<library path=\"" + path + "\"><beans>" + beans + "</beans></library>";
}

inline std::string Document(const std::string& content) {
  return "<ostrel>" + content + "</ostrel>";
}

// `text` with every `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// "path:[name,...] " for each library of `definitions` (a CDefinitionSet or a loaded
// CXMLResource), then "eager:" and each name made at load time followed by ",".
template <class Definitions>
std::string Layout(const Definitions& definitions) {
  std::string text;
  for (const auto& library : definitions.GetLibraries()) {
    text += library->path + ":[";
    for (const auto& bean : library->beans) text += (text.back() == '[' ? "" : ",") + bean.name;
    text += "] ";
  }
  text += "eager:";
  for (const std::string& name : definitions.GetEagerNames()) text += name + ",";
  return text;
}

}  // namespace TestSupport
