// A library that exports no wrapper maker.
extern "C" __attribute__((visibility("default"))) int plugin_none_answer() { return 42; }
