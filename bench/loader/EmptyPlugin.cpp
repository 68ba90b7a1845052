// A library that exports nothing the loader looks for.
extern "C" __attribute__((visibility("default"))) int loader_bench_plugin_answer() { return 7; }
