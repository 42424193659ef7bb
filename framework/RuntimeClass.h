// Run-time class information: a class's name and base, so that an object can be asked whether
// it is of a class or derived from it (IsKindOf), without the compiler's RTTI.
#pragma once

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;  // null for the root

    // Whether this class is `base` or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base)
                return true;
        return false;
    }
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

// In a class declaration: the class carries run-time class information.
#define DECLARE_DYNAMIC(theClass)                       \
public:                                                 \
    static const CRuntimeClass class##theClass;         \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                            \
    const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)}; \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }
