#include "contacts/ui/ViewPersonList.h"

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PersonListColumns.h"
#include "platform/gui/HeaderCtrl.h"

namespace {
CArray<int, int>* g_pSharedFields = nullptr;
CArray<int, int>* g_pSharedWidths = nullptr;

struct SSortParams {
    int nField;
    BOOL bAscending;
};

int CompareRows(LPARAM a, LPARAM b, LPARAM sort) {
    auto* p = reinterpret_cast<const SSortParams*>(sort);
    return ComparePersonRows(reinterpret_cast<CObject*>(a), reinterpret_cast<CObject*>(b),
                             p->nField, p->bAscending);
}
} // namespace

IMPLEMENT_DYNCREATE(CViewPersonList, CGroupListView)

BEGIN_MESSAGE_MAP(CViewPersonList, CGroupListView)
ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, &CViewPersonList::OnColumnClick)
ON_COMMAND_RANGE(ID_SORT_NONE, ID_SORT_DESCENDING, &CViewPersonList::OnSortCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_NONE, ID_SORT_DESCENDING, &CViewPersonList::OnUpdateSortCommand)
ON_COMMAND(ID_DEFAULT_VALUES_ONLY, &CViewPersonList::OnDefaultValuesOnly)
ON_UPDATE_COMMAND_UI(ID_DEFAULT_VALUES_ONLY, &CViewPersonList::OnUpdateSortCommand)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CViewPersonList::CViewPersonList() {
    m_nGroupImage = CLeftView::ImgGroup;
    m_nContentImage = CLeftView::ImgOther;
    m_strDefaultBkImage = "Images\\background2.bmp";
    m_ownWidths.SetSize(kPersonColumnFieldCount);
    for (int i = 0; i < kPersonColumnFieldCount; ++i)
        m_ownWidths[i] = -1;
}

void CViewPersonList::SetSharedColumnSettings(CArray<int, int>* pFields,
                                              CArray<int, int>* pWidths) {
    g_pSharedFields = pFields;
    g_pSharedWidths = pWidths;
}

void CViewPersonList::GetColumnSettings(CArray<int, int>& fields) {
    CArray<int, int> none;
    ValidPersonColumns(g_pSharedFields != nullptr ? *g_pSharedFields : none, fields);
}

CArray<int, int>* CViewPersonList::Widths() {
    return g_pSharedWidths != nullptr ? g_pSharedWidths : &m_ownWidths;
}

CString CViewPersonList::GetFieldText(_CPerson* pPerson, int nField, BOOL bDefaultOnly) {
    CString text;
    if (pPerson == nullptr)
        return text;
    if (nField == PF_SEX) {
        int sex = pPerson->GetInfo().m_personal.nSex;
        text.LoadString(sex == 1 ? 272 : sex == 0 ? 271 : 273);
        return text;
    }
    pPerson->GetFieldText(text, nField, FALSE, nullptr, "\n", "-", bDefaultOnly);
    return text;
}

void CViewPersonList::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
    if (m_hWnd != nullptr)
        OnInitialUpdate();
}

CGroup* CViewPersonList::GetGroup() {
    CGroup* pGroup = nullptr;
    if (auto* pDoc = dynamic_cast<CSmsDoc*>(GetDocument()))
        pGroup = pDoc->GetSelectedGroup();
    if (pGroup == nullptr)
        if (CGroupTreeView* pTree = GetTreeView())
            pGroup = pTree->GetGroupOfItem(pTree->GetCurrentItem());
    // A locked group keeps its contacts to itself.
    return pGroup != nullptr && !pGroup->IsLocked() ? pGroup : nullptr;
}

void CViewPersonList::InitView() {
    MakeContactImages(m_smallImages, 16);
    MakeContactImages(m_normalImages, 32);
}

void CViewPersonList::OnViewReady() {
    GetColumnSettings(m_fields);
    BuildColumns();
    SetMode(ModeDetails);
}

void CViewPersonList::BuildColumns() {
    CListCtrl& list = List();
    while (list.DeleteColumn(0)) {
    }
    for (int i = 0; i < m_fields.GetSize(); ++i) {
        CString name;
        GetPersonFieldName(m_fields[i], name);
        list.InsertColumn(i, name, LVCFMT_LEFT, PersonColumnWidth(Widths(), m_fields[i]));
        if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
            HDITEM item{};
            item.mask = HDI_LPARAM;
            item.lParam = m_fields[i];
            pHeader->SetItem(i, &item);
        }
    }
    if (g_pSharedFields != nullptr)
        g_pSharedFields->Copy(m_fields);
}

void CViewPersonList::StoreColumnLayout() {
    CListCtrl& list = List();
    if (list.m_hWnd == nullptr)
        return;
    CArray<int, int>* pWidths = Widths();
    // One entry per field, whatever length the stored array had.
    for (int n = pWidths->GetSize(); n < kPersonColumnFieldCount; ++n)
        pWidths->Add(-1);
    for (int i = 0; i < m_fields.GetSize(); ++i) {
        int f = m_fields[i];
        if (f >= 0 && f < pWidths->GetSize())
            (*pWidths)[f] = list.GetColumnWidth(i);
    }
    if (g_pSharedFields != nullptr)
        g_pSharedFields->Copy(m_fields);
}

void CViewPersonList::InsertContentItem(CContent* pContent) {
    auto* pPerson = dynamic_cast<_CPerson*>(pContent);
    if (pPerson == nullptr) {
        CGroupListView::InsertContentItem(pContent);
        return;
    }
    InsertPersonRow(pPerson, pPerson->IsVirtual() ? 5 : 0);
}

int CViewPersonList::InsertPersonRow(_CPerson* pPerson, int overlay) {
    CListCtrl& list = List();
    // A virtual contact shows its source's values; one whose source is gone only its name.
    auto* pSource =
        pPerson->IsVirtual() ? dynamic_cast<_CPerson*>(pPerson->GetVirtualSource()) : pPerson;
    int image = m_nContentImage, selImage = m_nContentImage;
    CLeftView::ContactImages((pSource != nullptr ? pSource : pPerson)->GetInfo().m_personal.nSex,
                             image, selImage);
    int row = list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE, list.GetItemCount(),
                              pPerson->GetName(), INDEXTOOVERLAYMASK(overlay), LVIS_OVERLAYMASK,
                              image, (LPARAM) static_cast<CObject*>(pPerson));
    if (row < 0 || pSource == nullptr)
        return row;
    for (int i = 1; i < m_fields.GetSize(); ++i)
        list.SetItemText(row, i, GetFieldText(pSource, m_fields[i], m_bDefaultOnly));
    return row;
}

void CViewPersonList::AppendSubNodeContacts(CGroup* pGroup) {
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
        CGroup* pSub = pGroup->GetNextSubgroup(pos);
        // A locked group keeps its contacts to itself here too.
        if (pSub->IsLocked())
            continue;
        for (POSITION c = pSub->GetFirstContentPosition(); c != nullptr;)
            if (auto* pPerson = dynamic_cast<_CPerson*>(pSub->GetNextContent(c)))
                InsertPersonRow(pPerson, pPerson->IsVirtual() ? 6 : 4);
        AppendSubNodeContacts(pSub);
    }
}

void CViewPersonList::OnRefilled() {
    auto* pTree = dynamic_cast<CLeftView*>(GetTreeView());
    if (pTree != nullptr && pTree->IsShowAllSubNodes())
        if (CGroup* pGroup = GetGroup())
            AppendSubNodeContacts(pGroup);
    if (m_nSortColumn >= 0)
        Sort(m_nSortColumn, m_bAscending);
}

void CViewPersonList::Sort(int nColumn, BOOL bAscending) {
    CListCtrl& list = List();
    if (nColumn >= m_fields.GetSize())
        nColumn = -1;
    m_nSortColumn = nColumn;
    m_bAscending = bAscending;
    SSortParams params{nColumn >= 0 ? m_fields[nColumn] : -1, nColumn >= 0 ? bAscending : TRUE};
    list.SortItems(&CompareRows, (DWORD_PTR)&params);
    if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
        for (int i = 0; i < pHeader->GetItemCount(); ++i) {
            HDITEM item{};
            item.mask = HDI_FORMAT;
            pHeader->GetItem(i, &item);
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            if (i == nColumn)
                item.fmt |= bAscending ? HDF_SORTUP : HDF_SORTDOWN;
            pHeader->SetItem(i, &item);
        }
    }
}

void CViewPersonList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pInfo = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    int column = pInfo->iSubItem;
    // A new column sorts ascending; the sorted one turns its direction around.
    Sort(column, column == m_nSortColumn ? !m_bAscending : TRUE);
    *pResult = 0;
}

void CViewPersonList::OnSortCommand(UINT nID) {
    if (nID == ID_SORT_NONE) {
        // Back to the plain order: groups first, then by name.
        Sort(-1, TRUE);
    } else if (m_nSortColumn >= 0) {
        BOOL bAscending = nID == ID_SORT_ASCENDING;
        if (bAscending != m_bAscending)
            Sort(m_nSortColumn, bAscending);
    }
}

void CViewPersonList::OnDefaultValuesOnly() {
    m_bDefaultOnly = !m_bDefaultOnly;
    Refill();
}

void CViewPersonList::OnUpdateSortCommand(CCmdUI* pCmdUI) {
    switch (pCmdUI->m_nID) {
    case ID_SORT_NONE:
        pCmdUI->SetCheck(m_nSortColumn < 0 ? 1 : 0);
        break;
    case ID_SORT_ASCENDING:
    case ID_SORT_DESCENDING:
        pCmdUI->Enable(m_nSortColumn >= 0);
        pCmdUI->SetCheck(m_nSortColumn >= 0 &&
                         (m_bAscending == (pCmdUI->m_nID == ID_SORT_ASCENDING)));
        break;
    case ID_DEFAULT_VALUES_ONLY:
        pCmdUI->SetCheck(m_bDefaultOnly ? 1 : 0);
        break;
    default:
        break;
    }
}

void CViewPersonList::OnDestroy() {
    StoreColumnLayout();
    CGroupListView::OnDestroy();
}
