#include "CArgumentLease.h"

#include <memory>

#include "platform/FastThreadLocal.h"
#include "platform/ThreadSlot.h"

namespace Ostrel {
namespace {

struct SThreadBuffers {
  std::vector<std::unique_ptr<SArgumentBuffers>> byDepth;
  std::size_t depth = 0;
};

#if defined(_WIN32)
// mingw-w64 may free thread_local storage before thread_local destructors run: a
// fiber-local slot owns this thread's buffers there, freed when the thread ends.
SThreadBuffers& ThreadBuffers() {
  static const Platform::CThreadSlot slot(
      [](void* buffers) { delete static_cast<SThreadBuffers*>(buffers); });
  auto* buffers = static_cast<SThreadBuffers*>(slot.Get());
  if (buffers == nullptr) {
    buffers = new SThreadBuffers;
    if (!slot.Set(buffers)) {
      // No slot to be had: this thread keeps buffers that are never freed.
      thread_local SThreadBuffers* unowned = nullptr;
      delete buffers;
      if (unowned == nullptr) unowned = new SThreadBuffers;
      buffers = unowned;
    }
  }
  return *buffers;
}
#else
OSTREL_FAST_THREAD_LOCAL SThreadBuffers* t_buffers = nullptr;

// This thread's buffers, made at its first lease and freed when it ends. A lease taken
// after that (by another thread-local destructor releasing a bean) gets buffers that
// are never freed.
SThreadBuffers& ThreadBuffers() {
  if (t_buffers == nullptr) {
    struct SOwner {
      SThreadBuffers* buffers = new SThreadBuffers;
      bool ended = false;
      ~SOwner() {
        ended = true;
        t_buffers = nullptr;
        delete buffers;
      }
    };
    thread_local SOwner owner;
    t_buffers = owner.ended ? new SThreadBuffers : owner.buffers;
  }
  return *t_buffers;
}
#endif

}  // namespace

CArgumentLease::CArgumentLease() {
  SThreadBuffers& buffers = ThreadBuffers();
  if (buffers.depth == buffers.byDepth.size()) {
    buffers.byDepth.push_back(std::make_unique<SArgumentBuffers>());
  }
  m_buffers = buffers.byDepth[buffers.depth++].get();
}

CArgumentLease::~CArgumentLease() {
  m_buffers->addresses.clear();
  m_buffers->references.clear();
  --ThreadBuffers().depth;
}

}  // namespace Ostrel
