#include "MessageMap.h"

namespace {

// Whether an entry stands for this message, notification code and control id.
bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (entry.message != message)
        return false;
    UINT code, id;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY && lParam != 0) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        code = header->code;
        id = static_cast<UINT>(header->idFrom);
    } else {
        return true;
    }
    return entry.code == code && entry.idFirst <= id && id <= entry.idLast;
}

}  // namespace

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr};

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

bool CCmdTarget::DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->invoke; ++entry) {
            if (Matches(*entry, message, wParam, lParam)) {
                *result = entry->invoke(this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}
