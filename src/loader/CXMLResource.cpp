#include "loader/CXMLResource.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "CDocumentLint.h"
#include "CXMLResourceState.h"
#include "LoaderHelpers.h"
#include "SLoadBudget.h"
#include "platform/FileSystem.h"
#include "platform/TextConversion.h"
#include "beans/SPlace.h"
#include "support/Throw.h"

namespace Ostrel {

namespace {

constexpr const char* kConstructor = "Ostrel::CXMLResource::CXMLResource";
// Result codes of XMLNode::ParseFile that the loader words itself.
constexpr std::int32_t kFileCannotOpen = 12;
constexpr std::int32_t kFileTooLarge = 16;

std::string ParseErrorText(const SXMLResults& results) {
  std::string text = "Error when parssing 'ostrel'";
  if (results.line != 0) {
    text += " at line " + std::to_string(results.line) + ", column " + std::to_string(results.column);
  }
  return text + ".";
}

// Why a parse failed, in words; a text that does not start like XML was most likely
// meant as a file name.
std::string ParseFailureReason(const SXMLResults& results, const char* text) {
  std::string reason = DescribeXMLResult(results.code);
  if (text != nullptr) {
    const char* p = text;
    if (std::char_traits<char>::compare(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    if (*p != '<') {
      reason += "; the text does not start with '<': to load a file, use CContainer::FromFile";
    }
  }
  return reason;
}

// The folder part of a path, with its separator; empty when there is none.
std::wstring Directory(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The folder of a file's path without the last separator; "." for a bare file name.
std::string Folder(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

CXMLResource::CXMLResource(const char* xml, ENotices notices, EInterfaces interfaces)
    : m_state(new SState) {
  m_state->keepNotices = notices == ENotices::eKeep;
  m_state->interfaces = interfaces;
  if (xml == nullptr) {
    OSTREL_THROW(kConstructor, "No XML text given");
  }
  if (xml[0] == '\0') {
    return;
  }
  m_state->file = std::make_shared<const std::string>("<text>");
  Internal::SLoadBudget budget;
  budget.CheckDocument(std::strlen(xml), kConstructor);
  SXMLResults results{};
  XMLNode root = XMLNode::ParseString(xml, "ostrel", &results);
  if (results.code != 0) {
    OSTREL_THROW_AT(kConstructor, "Error when parsing xml: " + ParseErrorText(results),
                    (SPlace{m_state->file, results.line, results.column}),
                    ParseFailureReason(results, xml));
  }
  if (m_state->keepNotices) CDocumentLint(m_state->file, m_state->notices).Run(root);
  parseLibrary(root, budget);
}

CXMLResource::CXMLResource(const wchar_t* file, EInterfaces interfaces, ENotices notices)
    : m_state(new SState) {
  m_state->interfaces = interfaces;
  m_state->keepNotices = notices == ENotices::eKeep;
  if (file == nullptr) {
    OSTREL_THROW(kConstructor, "No file name given");
  }
  LoadFile(file);
}

CXMLResource::~CXMLResource() = default;

namespace {

// A file being read: its parsed document and where its include elements stand.
struct SIncludeFrame {
  XMLNode root;
  std::wstring file;
  std::shared_ptr<const std::string> name;  // the file as places name it
  std::wstring directory;
  std::string canonical;
  int cursor = 0;
};

}  // namespace

void CXMLResource::SState::NoteRead(std::string_view name) {
  const std::int64_t at = read++;
  bool inserted = false;
  auto* last = lastRead.GetOrInsert(name, &inserted);
  SSpan& span = spans.back();
  if (!inserted && last->value < span.start) span.reach = std::max(span.reach, last->value);
  last->value = at;
}

// Every file is read straight into this resource's one definition set, includes before
// the including file's own libraries, so the set holds the definitions in the order a
// depth-first reading meets them. An included file may not define a name that its
// includer defined before including it (its earlier includes counted): each file's span
// of positions records how far back its names reach, and a reach into the includer's
// span is such a name, found when the included file is done.
void CXMLResource::LoadFile(const std::wstring& top) {
  Internal::SLoadBudget budget;
  std::vector<SIncludeFrame> open;
  SState& state = *m_state;
  // Reads `file`, included by the element at `includedAt` (unknown for the top file).
  auto read = [&open, &budget, &state](const std::wstring& file, const SPlace& includedAt) {
    auto name = std::make_shared<const std::string>(Platform::WideToUtf8(file));
    const std::string& narrowPath = *name;
    std::string canonical = Platform::CanonicalPath(narrowPath);
    for (const SIncludeFrame& including : open) {
      if (including.canonical == canonical) {
        OSTREL_THROW_AT(kConstructor, "Include cycle detected: '" + narrowPath + "'", includedAt,
                        "");
      }
    }
    budget.AddFile(kConstructor);
    SXMLResults results{};
    XMLNode root =
        XMLNode::ParseFile(file.c_str(), "ostrel", &results, budget.limits.documentBytes);
    if (results.code == kFileCannotOpen) {
      OSTREL_THROW_AT(kConstructor, "File not found: " + narrowPath, includedAt, "");
    }
    if (results.code == kFileTooLarge) {
      OSTREL_THROW_AT(kConstructor, budget.DocumentBoundMessage() + ": '" + narrowPath + "'",
                      includedAt, "");
    }
    if (results.code != 0) {
      OSTREL_THROW_AT(kConstructor,
                      "Error when parsing file: " + narrowPath + "' - " + ParseErrorText(results),
                      (SPlace{name, results.line, results.column}),
                      ParseFailureReason(results, nullptr));
    }
    SIncludeFrame frame;
    frame.root = root;
    frame.file = file;
    frame.name = std::move(name);
    frame.directory = Directory(file);
    frame.canonical = std::move(canonical);
    open.push_back(std::move(frame));
    SState::SSpan span;
    span.start = state.read;
    for (const auto& library : state.definitions.GetLibraries()) {
      span.sizes.push_back(library->beans.size());
    }
    state.spans.push_back(std::move(span));
  };
  read(top, SPlace());
  while (!open.empty()) {
    SIncludeFrame& frame = open.back();
    XMLNode include = frame.root.GetChild("include", &frame.cursor);
    if (!include.IsEmpty()) {
      const SPlace includeAt{frame.name, include.GetLine(), include.GetColumn()};
      const char* path = include.GetAttribute("path");
      if (path == nullptr || path[0] == '\0') {
        OSTREL_THROW_AT(kConstructor, "Missing argument 'path' in include tag", includeAt, "");
      }
      std::wstring relative = Platform::Utf8ToWide(path);
      std::replace(relative.begin(), relative.end(), L'\\', L'/');
      read(frame.directory + relative, includeAt);
      continue;
    }
    if (state.keepNotices) CDocumentLint(frame.name, state.notices).Run(frame.root);
    state.path = frame.file;
    state.folder = Folder(frame.canonical);
    state.file = frame.name;
    parseLibrary(frame.root, budget);
    open.pop_back();
    SState::SSpan done = std::move(state.spans.back());
    state.spans.pop_back();
    if (state.spans.empty()) break;
    SState::SSpan& includer = state.spans.back();
    if (done.reach >= includer.start) RefuseRedefinition(includer.sizes, done.sizes);
    includer.reach = std::max(includer.reach, done.reach);
  }
  state.lastRead.RemoveAll();
}

void CXMLResource::RefuseRedefinition(const std::vector<std::size_t>& includerStart,
                                      const std::vector<std::size_t>& includedStart) const {
  // The names the includer defined before the include, then the first definition of the
  // included file (library order, then reading order) that repeats one.
  const auto& libraries = m_state->definitions.GetLibraries();
  auto at = [](const std::vector<std::size_t>& sizes, std::size_t i) {
    return i < sizes.size() ? sizes[i] : 0;
  };
  std::unordered_set<std::string_view> before;
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    for (std::size_t b = at(includerStart, i); b < at(includedStart, i); ++b) {
      before.insert(libraries[i]->beans[b].name);
    }
  }
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    for (std::size_t b = at(includedStart, i); b < libraries[i]->beans.size(); ++b) {
      const SBeanDefinition& bean = libraries[i]->beans[b];
      if (before.count(bean.name) != 0) {
        OSTREL_THROW_AT("Ostrel::CXMLResource::Integrate", "Overriding bean '" + bean.name + "'",
                        bean.place, Internal::PlaceContext(bean.name));
      }
    }
  }
}

void CXMLResource::parseLibrary(const XMLNode& root, Internal::SLoadBudget& budget) {
  int cursor = 0;
  for (XMLNode library = root.GetChild("library", &cursor); !library.IsEmpty();
       library = root.GetChild("library", &cursor)) {
    const char* path = library.GetAttribute("path");
    if (path == nullptr || path[0] == '\0') {
      OSTREL_THROW_AT("Ostrel::CXMLResource::parseLibrary",
                      "Error (path not found) when parsing library in file '" +
                          Platform::WideToUtf8(m_state->path) + "'",
                      (SPlace{m_state->file, library.GetLine(), library.GetColumn()}), "");
    }
    SLibrary* record = GetOrAddLibrary(path);
    if (!m_state->folder.empty()) AddSearchFolder(*record, m_state->folder);
    XMLNode beans = library.GetChild("beans");
    if (!beans.IsEmpty()) {
      const Internal::SubstitutionMap variables(1);  // none outside loops
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

const std::vector<SNotice>& CXMLResource::GetNotices() const { return m_state->notices; }

const std::vector<std::string>& CXMLResource::GetEagerNames() const {
  return m_state->definitions.GetEagerNames();
}

}  // namespace Ostrel
