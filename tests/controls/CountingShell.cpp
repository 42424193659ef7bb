#include "CountingShell.h"

namespace {

std::string Narrow(const WCHAR* text)
{
    char buffer[MAX_PATH * 2] = "";
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

// Reference counting of a wrapper; the last Release logs "<name> released" and deletes it.
template <class Interface>
class Counted : public Interface {
public:
    Counted(Interface* real, std::string name, ShellLog& log)
        : m_real(real), m_name(std::move(name)), m_log(log) {}
    virtual ~Counted() { m_real->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        // Only the wrapper itself: handing out the real object would escape the counting.
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0) {
            m_log.events.push_back(m_name + " released");
            delete this;
        }
        return refs;
    }

protected:
    void Log(const std::string& event) { m_log.events.push_back(m_name + "." + event); }
    void LogFailure() { m_log.events.back() += " failed"; }
    // Whether the call just logged is to fail instead of reaching the shell.
    bool Injected(const std::string& kind)
    {
        if (m_log.failing.count(kind) == 0)
            return false;
        LogFailure();
        return true;
    }

    Interface* m_real;
    std::string m_name;
    ShellLog& m_log;
    ULONG m_refs = 1;
};

class CountingMenu : public Counted<IContextMenu> {
public:
    using Counted::Counted;
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                               UINT flags) override
    {
        m_log.popup = menu;
        Log("query");
        if (Injected("query"))
            return m_log.failure;
        return m_real->QueryContextMenu(menu, index, first, last, flags);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override
    {
        m_log.invoked.push_back(*info);
        Log("invoke " + std::to_string(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        if (Injected("invoke"))
            return m_log.failure;
        return m_real->InvokeCommand(info);
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR id, UINT type, UINT* reserved, LPSTR name,
                                               UINT size) override
    {
        return m_real->GetCommandString(id, type, reserved, name, size);
    }
};

class CountingFolder : public Counted<IShellFolder> {
public:
    using Counted::Counted;
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND owner, IBindCtx* context, LPWSTR name, ULONG* eaten,
                                               PIDLIST_RELATIVE* idl, ULONG* attributes) override
    {
        std::string text = Narrow(name);
        Log("parse " + text);
        HRESULT hr = m_real->ParseDisplayName(owner, context, name, eaten, idl, attributes);
        if (FAILED(hr))
            LogFailure();
        else
            m_log.idlNames[*idl] = text;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** list) override
    {
        return m_real->EnumObjects(owner, flags, list);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE idl, IBindCtx* context, REFIID iid,
                                           void** out) override
    {
        *out = nullptr;
        Log("bind " + m_log.idlNames[idl]);
        if (Injected("bind"))
            return m_log.failure;
        IShellFolder* real = nullptr;
        HRESULT hr = m_real->BindToObject(idl, context, iid, reinterpret_cast<void**>(&real));
        if (FAILED(hr))
            LogFailure();
        else
            *out = WrapFolder(real, "folder", m_log);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE idl, IBindCtx* context, REFIID iid,
                                            void** out) override
    {
        return m_real->BindToStorage(idl, context, iid, out);
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override
    {
        return m_real->CompareIDs(lParam, a, b);
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND owner, REFIID iid, void** out) override
    {
        return m_real->CreateViewObject(owner, iid, out);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY idls,
                                              SFGAOF* attributes) override
    {
        return m_real->GetAttributesOf(count, idls, attributes);
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY idls, REFIID iid,
                                            UINT* reserved, void** out) override
    {
        *out = nullptr;
        Log("uiobject " + std::to_string(count) + " " + m_log.idlNames[idls[0]]);
        if (Injected("uiobject"))
            return m_log.failure;
        IContextMenu* real = nullptr;
        HRESULT hr = m_real->GetUIObjectOf(owner, count, idls, iid, reserved, reinterpret_cast<void**>(&real));
        if (FAILED(hr))
            LogFailure();
        else
            *out = WrapMenu(real, m_log);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD idl, SHGDNF flags, STRRET* name) override
    {
        return m_real->GetDisplayNameOf(idl, flags, name);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND owner, PCUITEMID_CHILD idl, LPCWSTR name, SHGDNF flags,
                                        PITEMID_CHILD* out) override
    {
        return m_real->SetNameOf(owner, idl, name, flags, out);
    }
};

class CountingMalloc : public Counted<IMalloc> {
public:
    using Counted::Counted;
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return m_real->Alloc(size); }
    void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override { return m_real->Realloc(p, size); }
    void STDMETHODCALLTYPE Free(void* p) override
    {
        auto found = m_log.idlNames.find(p);
        m_log.events.push_back("free " + (found == m_log.idlNames.end() ? std::string("?") : found->second));
        m_real->Free(p);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return m_real->GetSize(p); }
    int STDMETHODCALLTYPE DidAlloc(void* p) override { return m_real->DidAlloc(p); }
    void STDMETHODCALLTYPE HeapMinimize() override { m_real->HeapMinimize(); }
};

}  // namespace

std::string ShellLog::Joined() const
{
    std::string text;
    for (const std::string& event : events)
        text += (text.empty() ? "" : " | ") + event;
    return text;
}

IShellFolder* WrapFolder(IShellFolder* real, const std::string& name, ShellLog& log)
{
    return new CountingFolder(real, name, log);
}

IContextMenu* WrapMenu(IContextMenu* real, ShellLog& log)
{
    return new CountingMenu(real, "menu", log);
}

IMalloc* WrapMalloc(IMalloc* real, ShellLog& log)
{
    return new CountingMalloc(real, "malloc", log);
}
