// A library that cannot be loaded: it needs a symbol that nothing defines.
extern "C" int ostrel_test_symbol_that_does_not_exist();

extern "C" __attribute__((visibility("default"))) int plugin_broken_answer() {
  return ostrel_test_symbol_that_does_not_exist();
}
