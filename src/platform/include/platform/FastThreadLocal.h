// Thread-local variables read on hot paths. Where the object format has it, the
// initial-exec model makes each access a plain offset from the thread pointer instead of
// a look-up call (the library is loaded with the program or early enough for that).
#pragma once

#if defined(__ELF__)
#define OSTREL_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec"))) thread_local
#else
#define OSTREL_FAST_THREAD_LOCAL thread_local
#endif
