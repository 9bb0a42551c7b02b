#include "platform/base/Object.h"

#include <cstring>

#include "platform/base/Exception.h"

namespace {

// Constant-initialised, so registrations from any translation unit's static initialisation find
// it ready whatever order the units are initialised in.
constinit CRuntimeClass* g_pFirstClass = nullptr;

} // namespace

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
    pNewClass->m_pNextClass = g_pFirstClass;
    g_pFirstClass = pNewClass;
}

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr,
                                       nullptr};
static const AFX_CLASSINIT _init_CObject(&CObject::classCObject);

CObject* CRuntimeClass::CreateObject() const {
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    // Callers (tab pages, panes, children being loaded) check for null and carry on.
    try {
        return m_pfnCreateObject();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
        if (p == pBaseClass)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
    if (lpszClassName == nullptr)
        return nullptr;
    for (CRuntimeClass* p = g_pFirstClass; p != nullptr; p = p->m_pNextClass) {
        if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0)
            return p;
    }
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName) {
    CRuntimeClass* pClass = FromName(lpszClassName);
    return pClass != nullptr ? pClass->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const {
    return RUNTIME_CLASS(CObject);
}

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

BOOL CObject::IsSerializable() const {
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, CObject* pObject) {
    return pObject != nullptr && pObject->IsKindOf(pClass) ? pObject : nullptr;
}

const CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, const CObject* pObject) {
    return pObject != nullptr && pObject->IsKindOf(pClass) ? pObject : nullptr;
}
