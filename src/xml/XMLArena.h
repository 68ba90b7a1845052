// Memory for the records of one parse. Records, their arrays and their strings are cut
// from chunks that grow geometrically. The arena counts the XMLNode handles on its records
// (references held by parent slots are not handles); when the last handle goes, no record
// can be reached any more and all chunks are freed at once, without visiting the records.
// Each record is preceded by a pointer back to its arena. Counts are plain integers: the
// records of one parse belong to one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Ostrel {

struct SXMLNodeData;

class XMLArena {
public:
  // Throw std::bad_alloc when memory runs out.
  static XMLArena* Create();
  // Frees every chunk, whatever records are left.
  static void Destroy(XMLArena* arena) noexcept;

  // A zeroed record holding one reference, with a copy of the name (null name: the
  // document root).
  SXMLNodeData* NewRecord(const char* name, std::size_t nameLength, bool isDeclaration);
  // Pointer-aligned room for `bytes`.
  void* Allocate(std::size_t bytes);
  // Room for a string of at most `length` bytes and its NUL; ShrinkLastString gives back
  // what the string did not use.
  char* AllocateString(std::size_t length);
  void ShrinkLastString(char* string, std::size_t length) noexcept;

  static XMLArena* Of(const SXMLNodeData* record) noexcept;
  void AddHandle() noexcept { ++handles_; }
  // Counts one handle gone; true when it was the last.
  bool DropHandle() noexcept { return --handles_ == 0; }

private:
  XMLArena() = default;
  void NewChunk(std::size_t atLeast);

  void* chunks_ = nullptr;  // newest chunk; each starts with a pointer to the previous one
  char* front_ = nullptr;   // strings are cut from the front of the free space
  char* back_ = nullptr;    // records and arrays from its back, pointer-aligned
  std::size_t nextChunkSize_ = 0;
  std::int64_t handles_ = 0;
};

}  // namespace Ostrel
