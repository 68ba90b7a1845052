#include "platform/ThreadExit.h"

#include <windows.h>

namespace Platform {
namespace {

struct SExit {
  void (*callback)(void*);
  void* argument;
  SExit* next;
};

// A fiber-local slot whose callback the system runs when a thread ends.
void WINAPI RunExits(void* value) {
  for (SExit* exit = static_cast<SExit*>(value); exit != nullptr;) {
    SExit* next = exit->next;
    exit->callback(exit->argument);
    delete exit;
    exit = next;
  }
}

DWORD ExitSlot() {
  static const DWORD slot = FlsAlloc(&RunExits);
  return slot;
}

}  // namespace

void AtThreadExit(void (*callback)(void*), void* argument) {
  const DWORD slot = ExitSlot();
  if (slot == FLS_OUT_OF_INDEXES) return;
  SExit* exit = new SExit{callback, argument, static_cast<SExit*>(FlsGetValue(slot))};
  if (!FlsSetValue(slot, exit)) delete exit;
}

}  // namespace Platform
