// The test framework's implementation, compiled once for all test executables: compiling it into
// each of them would take most of the build's time.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>
