// Text conversions for the tests' expectations, through the system's own functions called
// directly: an expectation converted by the code under test would share its faults.
#pragma once

#include <string>

namespace testing {

// UTF-8 as UTF-16, and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// A UTF-8 text as the system's ANSI functions give it.
std::string Ansi(const std::string& utf8);

}  // namespace testing
