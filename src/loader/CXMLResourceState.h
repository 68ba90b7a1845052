// The private state of a CXMLResource, shared by its two source files.
// Belongs to its CXMLResource: one load, on one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "beans/CDefinitionSet.h"
#include "loader/CXMLResource.h"

namespace Ostrel {

struct CXMLResource::SState {
  std::wstring path;
  std::string folder;  // of the file being read, where its libraries are looked for first
  std::shared_ptr<const std::string> file;  // as places name it: the path, or "<text>"
  CDefinitionSet definitions;
  EInterfaces interfaces = EInterfaces::eTypeIds;
  bool keepNotices = false;
  std::vector<SNotice> notices;

  // The files being read, outermost first, for the check that an included file defines
  // no name that its includer defined before including it. Positions count the
  // definitions read into the set so far (reading order).
  struct SSpan {
    std::int64_t start = 0;  // position of the file's first definition, its includes' first
    // The latest position before `start` at which a name defined in the file (or its
    // includes) was defined too; -1 when none.
    std::int64_t reach = -1;
    std::vector<std::size_t> sizes;  // each library record's definitions at `start`
  };
  std::vector<SSpan> spans;
  std::int64_t read = 0;
  // Each name read while an include is open, with its latest position. The views refer
  // to the names in the set's records, which never move.
  CbMap<std::string_view, std::int64_t, CbNarrowHash> lastRead{64};

  // Counts a definition just added to the set; notes how far back its name repeats.
  void NoteRead(std::string_view name);
};

}  // namespace Ostrel
