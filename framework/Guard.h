// The one guard between the system and the program: every function that the system calls
// (window procedures, hooks, the entry point) runs its body through AfxGuardCallback, so that
// no exception unwinds through the system's code.
#pragma once

// Tells the user about the exception being handled; called only inside a catch block.
void AfxReportException() noexcept;

// Runs `body` and returns its result; when it throws, reports the exception and returns
// `fallback`, the answer that leaves the system's work undone or to its default.
template <class Result, class Body> Result AfxGuardCallback(Result fallback, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        AfxReportException();
        return fallback;
    }
}
