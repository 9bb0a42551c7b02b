#include "platform/gui/RecentFileList.h"

#include "platform/base/Gbk.h"
#include "platform/base/Profile.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Menu.h"

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat,
                                 int nSize, int nMaxDispLen)
    : m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat), m_nStart(nStart),
      m_nMaxDisplayLength(nMaxDispLen), m_nSize(nSize > 0 ? nSize : 1),
      m_arrNames((size_t)m_nSize) {}

void CRecentFileList::Add(LPCTSTR lpszPathName) {
    if (!lpszPathName || !*lpszPathName)
        return;
    CString path = lpszPathName;
    int found = m_nSize - 1;
    for (int i = 0; i < m_nSize; ++i)
        if (AfxComparePath(m_arrNames[i], path)) {
            found = i;
            break;
        }
    for (int i = found; i > 0; --i)
        m_arrNames[i] = m_arrNames[i - 1];
    m_arrNames[0] = path;
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; ++i)
        m_arrNames[i] = m_arrNames[i + 1];
    m_arrNames[m_nSize - 1].Empty();
}

void CRecentFileList::ReadList() {
    CProfileStore store;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        m_arrNames[i] = store.GetProfileString(m_strSectionName, entry, "");
    }
}

void CRecentFileList::WriteList() {
    CProfileStore store;
    // The section is written afresh so that entries of a longer list do not linger.
    store.WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int i = 0; i < m_nSize; ++i) {
        if (m_arrNames[i].IsEmpty())
            continue;
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        store.WriteProfileString(m_strSectionName, entry, m_arrNames[i]);
    }
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex, LPCTSTR, int, BOOL) const {
    if (nIndex < 0 || nIndex >= m_nSize || m_arrNames[nIndex].IsEmpty())
        return FALSE;
    const CString& path = m_arrNames[nIndex];
    if (path.GetLength() <= m_nMaxDisplayLength) {
        strName = path;
        return TRUE;
    }
    int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    CString name = path.Mid(slash + 1);
    if (name.GetLength() > m_nMaxDisplayLength && m_nMaxDisplayLength > 3) {
        // Shortened at a whole character, with the dots in the room left.
        int keep =
            (int)GbkFitLength(name, (size_t)name.GetLength(), (size_t)m_nMaxDisplayLength - 3);
        name = name.Left(keep) + "...";
    }
    strName = name;
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
    CMenu* menu = pCmdUI->m_pMenu;
    if (m_strOriginal.IsEmpty() && menu)
        menu->GetMenuString(pCmdUI->m_nID, m_strOriginal, MF_BYCOMMAND);
    if (m_arrNames[0].IsEmpty()) {
        if (!m_strOriginal.IsEmpty())
            pCmdUI->SetText(m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    if (!menu)
        return;
    // The items of the list, wherever they are, go; the new ones take their place.
    for (int i = 0; i < m_nSize; ++i)
        menu->DeleteMenu(pCmdUI->m_nID + i, MF_BYCOMMAND);
    for (int i = 0; i < m_nSize; ++i) {
        CString name;
        if (!GetDisplayName(name, i, nullptr, 0))
            break;
        // A '&' in a name must not turn into a mnemonic.
        name.Replace("&", "&&");
        CString text;
        text.Format("&%d %s", (int)(i + 1 + m_nStart) % 10, (LPCTSTR)name);
        menu->InsertMenu(pCmdUI->m_nIndex++, MF_STRING | MF_BYPOSITION, pCmdUI->m_nID + i, text);
    }
    // The caller goes on after the last item inserted.
    pCmdUI->m_nIndex--;
    pCmdUI->m_nIndexMax = menu->GetMenuItemCount();
    pCmdUI->m_bEnableChanged = TRUE;
}
