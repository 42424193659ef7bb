// wait: until no other process holds a module, looking at the system's view again and again. It
// never touches a process: it only looks, sleeps and waits on the holders' ends.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "enum/Backend.h"
#include "paths/Pattern.h"

// How a wait ended.
enum class WaitEnd {
    Free,        // no process holds the module (any more)
    TimedOut,    // the time ran out: `holders` still hold it
    Unsure,      // no process that could be read holds it, but `unread` could not be read
    Unreadable,  // the process table could not be read
};

struct WaitOutcome {
    WaitEnd end;
    std::vector<ProcessRecord> holders;  // by id
    std::vector<UnreadProcess> unread;
};

// Looks every half second, never spending more than half of one processor, until no process but
// this one holds a module that `pattern` matches, or `timeoutMs` (when not null) have passed.
// `changed` hears the holders, by id, whenever they differ from the last look's (the first look
// with holders too). Between looks it waits on the holders, so that the last one's end brings the
// next look at once.
WaitOutcome WaitUntilFree(const Backend& backend, const ModulePattern& pattern, const DWORD* timeoutMs,
                          const std::function<void(const std::vector<ProcessRecord>& holders)>& changed);
