// The root object and its runtime class information: class names, dynamic creation and
// "is this object of that class" tests, as the system's records, documents and windows use them.
#pragma once

#include "platform/base/Types.h"

class CArchive;
class CObject;

// One descriptor per class that declares itself dynamic. Descriptors are plain aggregates, so
// they are initialised before any constructor runs; each one links itself into a process-wide
// registry during static initialisation, which is what FromName searches.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema; // 0xFFFF: the class is not serializable
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;
    CRuntimeClass* m_pNextClass;

    // A new object of this class, or null when the class is not creatable or its construction
    // threw: callers treat a failed creation as "no object".
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    static CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);
};

// Links a descriptor into the registry; one static instance per IMPLEMENT_ macro.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

class CObject {
public:
    static CRuntimeClass classCObject;

    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    // Records write and read their own fields; the root has none.
    virtual void Serialize(CArchive& ar);

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

protected:
    CObject() = default;

public:
    // Objects own children through raw pointers; a silent member-wise copy would share them.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, CObject* pObject);
const CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, const CObject* pObject);

// Null when the object is null or not of the class.
#define DYNAMIC_DOWNCAST(class_name, object)                                                       \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), (object))))
// For casts the caller knows to be right.
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static CRuntimeClass class##class_name;                                                        \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                       \
    CRuntimeClass class_name::class##class_name = {                                                \
        #class_name, (int)sizeof(class_name),        (UINT)(wSchema),                              \
        pfnNew,      RUNTIME_CLASS(base_class_name), nullptr};                                     \
    static const AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                      \
    CRuntimeClass* class_name::GetRuntimeClass() const {                                           \
        return RUNTIME_CLASS(class_name);                                                          \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject() {                                                          \
        return new class_name;                                                                     \
    }                                                                                              \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                     \
    CObject* class_name::CreateObject() {                                                          \
        return new class_name;                                                                     \
    }                                                                                              \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)
