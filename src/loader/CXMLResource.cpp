#include "loader/CXMLResource.h"

#include <algorithm>
#include <cstdint>

#include "CXMLResourceState.h"
#include "LoaderHelpers.h"
#include "SLoadBudget.h"
#include "platform/FileSystem.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {

namespace {

constexpr const char* kConstructor = "Ostrel::CXMLResource::CXMLResource";

std::string ParseErrorText(const SXMLResults& results) {
  std::string text = "Error when parssing 'ostrel'";
  if (results.line != 0) {
    text += " at line " + std::to_string(results.line) + ", column " + std::to_string(results.column);
  }
  return text + ".";
}

// The folder part of a path, with its separator; empty when there is none.
std::wstring Directory(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

CXMLResource::CXMLResource(const char* xml) : m_state(new SState) {
  if (xml == nullptr) {
    OSTREL_THROW(kConstructor, "No XML text given");
  }
  if (xml[0] == '\0') {
    return;
  }
  SXMLResults results{};
  XMLNode root = XMLNode::ParseString(xml, "ostrel", &results);
  if (results.code != 0) {
    OSTREL_THROW(kConstructor, "Error when parsing xml: " + ParseErrorText(results));
  }
  Internal::SLoadBudget budget;
  parseLibrary(root, budget);
}

CXMLResource::CXMLResource(const wchar_t* file) : m_state(new SState) {
  if (file == nullptr) {
    OSTREL_THROW(kConstructor, "No file name given");
  }
  LoadFile(file);
}

CXMLResource::~CXMLResource() = default;

namespace {

// A file being read: its parsed document, where its include elements stand, and the
// resource its own definitions go to (null: the resource being loaded).
struct SIncludeFrame {
  std::unique_ptr<CXMLResource> resource;
  XMLNode root;
  std::wstring file;
  std::wstring directory;
  std::string canonical;
  int cursor = 0;
};

}  // namespace

void CXMLResource::LoadFile(const std::wstring& top) {
  Internal::SLoadBudget budget;
  std::vector<SIncludeFrame> open;
  auto read = [&open, &budget](const std::wstring& file) {
    const std::string narrowPath = Platform::WideToUtf8(file);
    std::string canonical = Platform::CanonicalPath(narrowPath);
    for (const SIncludeFrame& including : open) {
      if (including.canonical == canonical) {
        OSTREL_THROW(kConstructor, "Include cycle detected: '" + narrowPath + "'");
      }
    }
    budget.AddFile(kConstructor);
    SXMLResults results{};
    XMLNode root = XMLNode::ParseFile(file.c_str(), "ostrel", &results);
    if (results.code == 12) {
      OSTREL_THROW(kConstructor, "File not found: " + narrowPath);
    }
    if (results.code != 0) {
      OSTREL_THROW(kConstructor,
                   "Error when parsing file: " + narrowPath + "' - " + ParseErrorText(results));
    }
    SIncludeFrame frame;
    frame.root = root;
    frame.file = file;
    frame.directory = Directory(file);
    frame.canonical = std::move(canonical);
    open.push_back(std::move(frame));
  };
  read(top);
  while (!open.empty()) {
    SIncludeFrame& frame = open.back();
    XMLNode include = frame.root.GetChild("include", &frame.cursor);
    if (!include.IsEmpty()) {
      const char* path = include.GetAttribute("path");
      if (path == nullptr || path[0] == '\0') {
        OSTREL_THROW(kConstructor, "Missing argument 'path' in include tag");
      }
      std::wstring relative = Platform::Utf8ToWide(path);
      std::replace(relative.begin(), relative.end(), L'\\', L'/');
      read(frame.directory + relative);
      open.back().resource = std::make_unique<CXMLResource>("");  // empty
      continue;
    }
    CXMLResource& target = frame.resource != nullptr ? *frame.resource : *this;
    target.m_state->path = frame.file;
    target.parseLibrary(frame.root, budget);
    std::unique_ptr<CXMLResource> done = std::move(frame.resource);
    open.pop_back();
    if (done != nullptr) {
      SIncludeFrame& including = open.back();
      (including.resource != nullptr ? *including.resource : *this)
          .m_state->definitions.Merge(done->m_state->definitions);
    }
  }
}

void CXMLResource::parseLibrary(const XMLNode& root, Internal::SLoadBudget& budget) {
  int cursor = 0;
  for (XMLNode library = root.GetChild("library", &cursor); !library.IsEmpty();
       library = root.GetChild("library", &cursor)) {
    const char* path = library.GetAttribute("path");
    if (path == nullptr || path[0] == '\0') {
      OSTREL_THROW("Ostrel::CXMLResource::parseLibrary",
                   "Error (path not found) when parsing library in file '" +
                       Platform::WideToUtf8(m_state->path) + "'");
    }
    SLibrary* record = GetOrAddLibrary(path);
    XMLNode beans = library.GetChild("beans");
    if (!beans.IsEmpty()) {
      Internal::SubstitutionMap variables(128);
      parseBeans(beans, record, variables, budget);
    }
  }
}

SLibrary* CXMLResource::GetOrAddLibrary(const char* path) {
  return &m_state->definitions.GetOrAddLibrary(path != nullptr ? path : "");
}

CDefinitionSet& CXMLResource::GetDefinitions() { return m_state->definitions; }

const CDefinitionSet& CXMLResource::GetDefinitions() const { return m_state->definitions; }

const std::vector<std::unique_ptr<SLibrary>>& CXMLResource::GetLibraries() const {
  return m_state->definitions.GetLibraries();
}

const std::vector<std::string>& CXMLResource::GetEagerNames() const {
  return m_state->definitions.GetEagerNames();
}

}  // namespace Ostrel
