// Defines the symbol that the broken plug-in imports, in a DLL kept off the search path.
extern "C" __declspec(dllexport) int ostrel_test_symbol_that_does_not_exist() { return 0; }
