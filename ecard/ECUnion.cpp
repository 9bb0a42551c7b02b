#include "ecard/ECUnion.h"

IMPLEMENT_DYNCREATE(CUnion, CGroup)
IMPLEMENT_DYNCREATE(CUnionGroup, CGroup)
IMPLEMENT_DYNCREATE(CECUnion, CUnion)
IMPLEMENT_DYNCREATE(CECUnionGroup, CUnionGroup)

CUnionGroup::~CUnionGroup() {
    Clear();
}

void CUnionGroup::Clear() {
    while (!m_objects.IsEmpty())
        delete m_objects.RemoveHead();
    RemoveAll();
}

CObject* CUnionGroup::GetFirstItem() const {
    if (!m_objects.IsEmpty())
        return m_objects.GetHead();
    POSITION pos = GetFirstContentPosition();
    return pos != nullptr ? GetNextContent(pos) : nullptr;
}
