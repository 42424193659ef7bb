// Text between the system's code pages and UTF-16, for the few places that must show or write
// characters alike on every ANSI code page, and text as a text file holds it.
#pragma once

#include <windows.h>

#include <string>

// `text` in code page `codePage` (CP_ACP: the system's ANSI code page) as UTF-16.
std::wstring ToWide(const std::string& text, UINT codePage = CP_ACP);
// UTF-16 `text` in code page `codePage`; a character the code page lacks becomes its default.
std::string FromWide(const std::wstring& text, UINT codePage = CP_ACP);

// `text` with every line feed written as CR LF, as a text file has it.
std::string WithCrLf(const std::string& text);
