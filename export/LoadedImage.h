// The image that a process has mapped for a module, read from the process's own memory.
#pragma once

#include <windows.h>

#include "export/OptionalHeader.h"

// Fills `stamp` from the headers of the image that `process` (opened with PROCESS_VM_READ) has
// mapped at `base`: the loader keeps them at the start of the image. A module handle on the NT
// family and a tool-help base address on the Windows 95 family are both that address in that
// process. False, with an empty stamp, when the headers cannot be read or hold no image header
// (see ReadImageStamp); never reads outside what the process lets be read.
bool ReadLoadedImageStamp(HANDLE process, ULONG_PTR base, ImageStamp& stamp);
