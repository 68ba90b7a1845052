// Logs one debug line through libostrel.so and whichever back end it loads.
#include <ostrel/Logger.h>

int main() { Logging::CLogger(L"Client").Debug(__FILE__, __LINE__, "main", L"hello %s", L"world"); }
