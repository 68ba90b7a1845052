// CDocumentLint: finds what the lenient reader of a configuration document passes over
// in silence: elements and attributes the format does not name (with the nearest known
// name as a suggestion), repeated parts of which only the first is read, and names or
// values that are not valid UTF-8. Reads the parsed document only; one use per object.
// Used by the thread that reads the document.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "loader/SNotice.h"
#include "xml/XMLNode.h"

namespace Ostrel {

class CDocumentLint {
public:
  // `file` names the document in places; notices are appended to `notices`.
  CDocumentLint(std::shared_ptr<const std::string> file, std::vector<SNotice>& notices)
      : m_file(std::move(file)), m_notices(notices) {}

  // Walks the configuration root `root` ("ostrel") and everything below it.
  void Run(const XMLNode& root);

  // The closest of `names` to `name` (ASCII case ignored) when it is near enough to be a
  // likely typing slip; empty when none is.
  static std::string NearestName(const std::string& name, const std::vector<const char*>& names);

private:
  enum EContext : int;
  void Visit(const XMLNode& element, EContext context, const char* parentName);
  void CheckAttributes(const XMLNode& element, const std::vector<const char*>& allowed);
  void CheckText(const XMLNode& element, const char* what, const char* text);
  void Add(const XMLNode& element, const std::string& message);

  std::shared_ptr<const std::string> m_file;
  std::vector<SNotice>& m_notices;
};

}  // namespace Ostrel
