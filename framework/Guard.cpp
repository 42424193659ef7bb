#include "Guard.h"

#include <windows.h>

#include <exception>
#include <new>

namespace {

void Report(const char* what) noexcept
{
    ::MessageBoxA(nullptr, what, "Quendrix", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace

void AfxReportException() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        Report("Out of memory.");
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("An unexpected error occurred.");
    }
}
