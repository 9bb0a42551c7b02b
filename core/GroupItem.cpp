#include "core/GroupItem.h"

#include "platform/base/Collate.h"

CGroup* CGroupItem::SetParent(CGroup* pParent) {
    CGroup* old = m_pParent;
    m_pParent = pParent;
    return old;
}

int CGroupItem::CompareName(const CGroupItem* pOther) const {
    return GbkCollate(m_strName, pOther != nullptr ? (LPCTSTR)pOther->m_strName : "");
}
