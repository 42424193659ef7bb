#include "query/LoadedModule.h"

#include "paths/WidePath.h"

bool ListedBefore(const LoadedModule& a, const LoadedModule& b)
{
    if (a.process.id != b.process.id)
        return a.process.id < b.process.id;
    return LowerCase(a.module.file) < LowerCase(b.module.file);
}
