// The library the benchmark's configuration names. It exports no wrapper maker, so the
// benchmark's makers come from the local library.
extern "C" __attribute__((visibility("default"))) int factory_bench_library() { return 1; }
