#include "contacts/ui/ViewPersonList.h"

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PersonListColumns.h"
#include "contacts/ui/PageCfgPsnFields.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"

#include <algorithm>
#include <vector>

namespace {
CArray<int, int>* g_pSharedFields = nullptr;
CArray<int, int>* g_pSharedWidths = nullptr;
std::function<void()> g_writeColumnSettings;

// Posted to the view after the header's drag: the header moves the column only once its
// notification has been answered.
constexpr UINT WM_STORE_COLUMN_LAYOUT = WM_APP + 0x214;

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
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_MESSAGE(WM_MBUTTONDOWN, &CViewPersonList::OnMButtonDown)
ON_WM_MOUSEWHEEL()
ON_WM_CONTEXTMENU()
ON_WM_KEYDOWN()
ON_NOTIFY(HDN_ENDDRAG, 0, &CViewPersonList::OnHeaderEndDrag)
ON_MESSAGE(WM_STORE_COLUMN_LAYOUT, &CViewPersonList::OnStoreLayout)
ON_MESSAGE(CViewPersonList::WM_APPLY_COLUMNS, &CViewPersonList::OnApplyColumns)
ON_COMMAND_RANGE(CViewPersonList::ID_SEND_MAIL, CViewPersonList::ID_SEND_MAIL, &CViewPersonList::OnListCommand)
ON_COMMAND_RANGE(CViewPersonList::ID_BATCH_MODIFY, CViewPersonList::ID_BATCH_MODIFY, &CViewPersonList::OnListCommand)
ON_COMMAND_RANGE(CViewPersonList::ID_GO_UP, CViewPersonList::ID_GO_UP, &CViewPersonList::OnListCommand)
ON_COMMAND_RANGE(CViewPersonList::ID_OPEN, CViewPersonList::ID_OPEN, &CViewPersonList::OnListCommand)
ON_COMMAND_RANGE(CViewPersonList::ID_OPTIONS, CViewPersonList::ID_OPTIONS, &CViewPersonList::OnListCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_SEND_MAIL, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_BATCH_MODIFY, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_GO_UP, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_OPEN, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_OPTIONS, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CGroupListView::ID_VIEW_DETAILS, &CViewPersonList::OnUpdateListCommand)
ON_UPDATE_COMMAND_UI(CGroupListView::ID_VIEW_GRIDLINES, &CViewPersonList::OnUpdateListCommand)
END_MESSAGE_MAP()

CViewPersonList::CViewPersonList() {
    m_nGroupImage = CLeftView::ImgGroup;
    m_nContentImage = CLeftView::ImgOther;
    m_strDefaultBkImage = "Images\\background2.bmp";
    m_nDeleteQuestionId = 275;
    m_ownWidths.SetSize(kPersonColumnFieldCount);
    for (int i = 0; i < kPersonColumnFieldCount; ++i)
        m_ownWidths[i] = -1;
}

void CViewPersonList::SetSharedColumnSettings(CArray<int, int>* pFields,
                                              CArray<int, int>* pWidths,
                                              std::function<void()> writeProfile) {
    g_pSharedFields = pFields;
    g_pSharedWidths = pWidths;
    g_writeColumnSettings = std::move(writeProfile);
}

void CViewPersonList::GetColumnSettings(CArray<int, int>& fields) {
    CArray<int, int> none;
    ValidPersonColumns(g_pSharedFields != nullptr ? *g_pSharedFields : none, fields);
}

CArray<int, int>* CViewPersonList::Widths() {
    return g_pSharedWidths != nullptr ? g_pSharedWidths : &m_ownWidths;
}

CArray<int, int>* CViewPersonList::Fields() {
    return g_pSharedFields != nullptr ? g_pSharedFields : &m_ownFields;
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
}

CGroup* CViewPersonList::GetGroup() {
    CGroup* pGroup = GetShownGroup();
    // A locked group keeps its contacts to itself.
    return pGroup != nullptr && !pGroup->IsLocked() ? pGroup : nullptr;
}

CGroup* CViewPersonList::GetShownGroup() {
    CGroup* pGroup = nullptr;
    if (auto* pDoc = dynamic_cast<CSmsDoc*>(GetDocument()))
        pGroup = pDoc->GetSelectedGroup();
    if (pGroup == nullptr)
        if (CGroupTreeView* pTree = GetTreeView())
            pGroup = pTree->GetGroupOfItem(pTree->GetCurrentItem());
    return pGroup;
}

void CViewPersonList::InitView() {
    MakeContactImages(m_smallImages, 16);
    MakeContactImages(m_normalImages, 32);
    m_bkManager.SetSection("Bkground\\ViewPersonList");
}

void CViewPersonList::OnViewReady() {
    ValidPersonColumns(*Fields(), m_fields);
    BuildColumns();
    SetMode(ModeDetails);
    CListCtrl& list = List();
    // Columns are moved by dragging their headers, drawn in place only when let go.
    list.SetExtendedStyleMasked(LVS_EX_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP);
    if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
        pHeader->ModifyStyle(HDS_FULLDRAG, HDS_HOTTRACK | HDS_DRAGDROP);
        if (m_sortImages.GetSafeHandle() == nullptr)
            m_sortImages.Create(IDB_SORT_ARROWS, kSortArrowSize, 0, RGB(255, 0, 255));
        pHeader->SetImageList(&m_sortImages);
    }
    m_tip.SetOwner(&list);
}

// A column's width when none is stored: the birthday shows its solar and lunar dates and star
// sign, and its column starts wide enough for such a text in the list's font.
static int FittingDefaultWidth(CListCtrl& list, int nField) {
    int width = DefaultPersonColumnWidth(nField);
    if (nField != PF_BIRTHDAY || list.GetSafeHwnd() == nullptr)
        return width;
    CBirthday sample;
    sample.SetBirthday(2000, 12, 28, FALSE, TRUE);
    CString text;
    sample.GetDisplayText(text);
    CClientDC dc(&list);
    CFont* font = list.GetFont();
    CFont* old = font != nullptr ? dc.SelectObject(font) : nullptr;
    width = std::max(width, (int)dc.GetTextExtent(text).cx + 16);
    if (font != nullptr)
        dc.SelectObject(old);
    return width;
}

void CViewPersonList::BuildColumns() {
    CListCtrl& list = List();
    while (list.DeleteColumn(0)) {
    }
    for (int i = 0; i < m_fields.GetSize(); ++i) {
        CString name;
        GetPersonFieldName(m_fields[i], name);
        list.InsertColumn(i, name, LVCFMT_LEFT,
                          PersonColumnWidth(Widths(), m_fields[i],
                                            FittingDefaultWidth(list, m_fields[i])));
        if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
            HDITEM item{};
            item.mask = HDI_LPARAM;
            item.lParam = m_fields[i];
            pHeader->SetItem(i, &item);
        }
    }
    Fields()->Copy(m_fields);
}

void CViewPersonList::GetVisualFields(CArray<int, int>& fields) {
    fields.RemoveAll();
    CListCtrl& list = List();
    const int count = m_fields.GetSize();
    std::vector<int> order((size_t)count);
    if (count == 0 || !list.GetColumnOrderArray(order.data(), count)) {
        fields.Copy(m_fields);
        return;
    }
    // An order the header does not hold (a column index out of range or twice) is no order.
    std::vector<bool> seen((size_t)count, false);
    for (int index : order) {
        if (index < 0 || index >= count || seen[(size_t)index]) {
            fields.Copy(m_fields);
            return;
        }
        seen[(size_t)index] = true;
        fields.Add(m_fields[index]);
    }
}

void CViewPersonList::StoreColumnLayout(BOOL bWrite) {
    CListCtrl& list = List();
    if (list.m_hWnd != nullptr && m_fields.GetSize() > 0) {
        CArray<int, int>* pWidths = Widths();
        // One entry per field, whatever length the stored array had.
        for (int n = pWidths->GetSize(); n < kPersonColumnFieldCount; ++n)
            pWidths->Add(-1);
        for (int i = 0; i < m_fields.GetSize(); ++i) {
            int f = m_fields[i];
            if (f >= 0 && f < pWidths->GetSize())
                (*pWidths)[f] = list.GetColumnWidth(i);
        }
        CArray<int, int> visual;
        GetVisualFields(visual);
        Fields()->Copy(visual);
    }
    if (bWrite && g_writeColumnSettings)
        g_writeColumnSettings();
}

void CViewPersonList::ApplyColumns(const CArray<int, int>& fields) {
    StoreColumnLayout(FALSE);
    const int sortedField =
        m_nSortColumn >= 0 && m_nSortColumn < m_fields.GetSize() ? m_fields[m_nSortColumn] : -1;
    ValidPersonColumns(fields, m_fields);
    int column = -1;
    for (int i = 0; i < m_fields.GetSize() && column < 0; ++i)
        if (m_fields[i] == sortedField)
            column = i;
    // The rows stay in their order: a sorted field the new list left out stays at the head,
    // after the name.
    if (sortedField >= 0 && column < 0) {
        m_fields.InsertAt(1, sortedField);
        column = 1;
    }
    BuildColumns();
    m_nSortColumn = column;
    Refill();
    ShowSortArrow();
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
    ShowSortArrow();
}

void CViewPersonList::ShowSortArrow() {
    CHeaderCtrl* pHeader = List().GetHeaderCtrl();
    if (pHeader == nullptr)
        return;
    // The arrow image sits at the right edge of the sorted column's header.
    for (int i = 0; i < pHeader->GetItemCount(); ++i) {
        HDITEM item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        pHeader->GetItem(i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN | HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
        item.iImage = -1;
        if (i == m_nSortColumn) {
            item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
            // Bitmap 244 holds the descending arrow first, then the ascending one.
            item.iImage = m_bAscending ? 1 : 0;
        }
        pHeader->SetItem(i, &item);
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
    HideHoverTip();
    StoreColumnLayout(TRUE);
    CGroupListView::OnDestroy();
}

// ---- Hover tip ------------------------------------------------------------------------------

CString CViewPersonList::GetTipText(CObject* pRecord, CGroup* pShown, int nField,
                                    BOOL bFirstColumn) {
    CString text;
    if (auto* pGroup = dynamic_cast<_CGroup*>(pRecord)) {
        pGroup->GetSummaryText(text);
        return text;
    }
    auto* pPerson = dynamic_cast<_CPerson*>(pRecord);
    if (pPerson == nullptr)
        return text;
    // A link shows its source's values; one whose source is gone only its own name.
    auto* pSource =
        pPerson->IsVirtual() ? dynamic_cast<_CPerson*>(pPerson->GetVirtualSource()) : pPerson;
    if (nField < 0) {
        (pSource != nullptr ? pSource : pPerson)->GetSummaryText(text);
    } else {
        _CPerson* pShownRecord = bFirstColumn ? pPerson : pSource;
        text = GetFieldText(pShownRecord, nField, FALSE);
    }
    if (nField >= 0 && !bFirstColumn)
        return text;
    // A contact of a group below the one shown (all sub-nodes listed) names its group.
    CGroup* pParent = pPerson->GetParent();
    if (pShown != nullptr && pParent != nullptr && pParent != pShown) {
        CString path;
        pParent->GetPath(path);
        text += " - " + path;
    }
    if (pPerson->IsVirtual()) {
        CString path, kind, invalid, line;
        pPerson->GetVirtualPath(path);
        kind.LoadString(914);
        if (pSource == nullptr)
            invalid.LoadString(915);
        line.Format("%s:%s", (LPCTSTR)(invalid + kind), (LPCTSTR)path);
        text += "\r\n\r\n" + line;
    }
    return text;
}

void CViewPersonList::HideHoverTip() {
    m_tip.HideTip();
}

void CViewPersonList::TrackHover(CPoint pt) {
    if (m_dragHelper.IsDragging())
        return;
    CListCtrl& list = List();
    if (list.m_hWnd == nullptr)
        return;
    // The rows' area: the client area below the header, with the list the window under the
    // cursor (not a window over it, not the header).
    CRect area;
    list.GetClientRect(&area);
    CHeaderCtrl* pHeader = list.GetHeaderCtrl();
    if (pHeader != nullptr && pHeader->IsWindowVisible() && (list.GetStyle() & LVS_REPORT)) {
        CRect rcHeader;
        pHeader->GetWindowRect(&rcHeader);
        list.ScreenToClient(&rcHeader);
        area.top = std::max(area.top, rcHeader.bottom);
    }
    CPoint screen = pt;
    list.ClientToScreen(&screen);
    CWnd* pUnder = CWnd::WindowFromPoint(screen);
    const BOOL bOver = area.PtInRect(pt) && (pUnder == &list || pUnder == this);
    if (!bOver) {
        HideHoverTip();
        m_nHoverItem = m_nHoverSubItem = -1;
        if (m_bHoverCapture) {
            m_bHoverCapture = FALSE;
            if (CWnd::GetCapture() == &list)
                ReleaseCapture();
        }
        return;
    }
    // Held while over the rows: the move that leaves them still comes here.
    if (CWnd::GetCapture() == nullptr) {
        list.SetCapture();
        m_bHoverCapture = TRUE;
    }
    LVHITTESTINFO hit{};
    hit.pt = pt;
    hit.iSubItem = -1;
    const int row = list.SubItemHitTest(&hit);
    const int sub = row >= 0 && m_nViewMode == ModeDetails ? hit.iSubItem : -1;
    if (row == m_nHoverItem && sub == m_nHoverSubItem)
        return;
    m_nHoverItem = row;
    m_nHoverSubItem = sub;
    HideHoverTip();
    if (row < 0)
        return;
    auto* pRecord = reinterpret_cast<CObject*>(list.GetItemData(row));
    const BOOL bCell = sub >= 0 && sub < m_fields.GetSize() && dynamic_cast<_CPerson*>(pRecord);
    CString text = GetTipText(pRecord, GetShownGroup(), bCell ? m_fields[sub] : -1, sub == 0);
    if (text.IsEmpty())
        return;
    CRect cell;
    // The first column's bounds are the whole row; its label is the cell.
    if (bCell && list.GetSubItemRect(row, sub, sub == 0 ? LVIR_LABEL : LVIR_BOUNDS, cell))
        m_tip.ShowTip(text, cell.left, cell.top, TRUE, TRUE);
    else
        m_tip.ShowTip(text, pt.x, pt.y, FALSE, TRUE);
}

void CViewPersonList::OnMouseMove(UINT, CPoint point) {
    TrackHover(point);
    Default();
}

void CViewPersonList::OnLButtonDown(UINT, CPoint) {
    HideHoverTip();
    Default();
}

void CViewPersonList::OnRButtonDown(UINT, CPoint) {
    HideHoverTip();
    Default();
}

LRESULT CViewPersonList::OnMButtonDown(WPARAM, LPARAM) {
    HideHoverTip();
    return Default();
}

BOOL CViewPersonList::OnMouseWheel(UINT, short, CPoint) {
    HideHoverTip();
    return (BOOL)Default();
}

// ---- Column layout --------------------------------------------------------------------------

void CViewPersonList::OnHeaderEndDrag(NMHDR*, LRESULT* pResult) {
    *pResult = Default();
    if (*pResult == 0)
        PostMessage(WM_STORE_COLUMN_LAYOUT);
}

LRESULT CViewPersonList::OnStoreLayout(WPARAM, LPARAM) {
    StoreColumnLayout(FALSE);
    return 0;
}

LRESULT CViewPersonList::OnApplyColumns(WPARAM, LPARAM lParam) {
    auto* pSheet = reinterpret_cast<CPSheetPersonList*>(lParam);
    if (pSheet != nullptr)
        ApplyColumns(pSheet->m_pageFields.GetChosenList());
    return 0;
}

// ---- Commands, menu and keys ----------------------------------------------------------------

void CViewPersonList::OnListCommand(UINT nID) {
    CListCtrl& list = List();
    switch (nID) {
    case ID_BATCH_MODIFY: {
        // Modifying many contacts is a drop with Alt onto the contact the values come from.
        CString text;
        text.LoadString(917);
        AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
        break;
    }
    case ID_SEND_MAIL: {
        // The selected contacts become the recipients of a group mail written in the compose
        // form; the form keeps the tree still until it is done.
        CGroupTreeView* pTree = GetTreeView();
        CGroupTreeView::CFileInfo* pFile = pTree != nullptr ? pTree->GetCurrentFile() : nullptr;
        if (pTree == nullptr || pTree->m_pRightPane == nullptr || pFile == nullptr ||
            pFile->pDoc == nullptr || pFile->pDoc->GetCurrentObject() == nullptr)
            break;
        CObList contacts;
        for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
             row = list.GetNextItem(row, LVNI_SELECTED))
            if (auto* pPerson = dynamic_cast<_CPerson*>(reinterpret_cast<CObject*>(list.GetItemData(row))))
                contacts.AddTail(pPerson);
        pTree->m_pRightPane->OpenSmsEditor(pFile->pDoc, kComposeMailMode, pTree,
                                           (LPARAM)&contacts, 0);
        break;
    }
    case ID_OPEN:
        if (list.GetSelectedCount() == 1)
            OpenRow(list.GetNextItem(-1, LVNI_SELECTED));
        break;
    case ID_GO_UP: {
        CGroupTreeView* pTree = GetTreeView();
        CGroup* pGroup = GetShownGroup();
        if (pTree == nullptr || pGroup == nullptr)
            break;
        CGroup* pParent = pGroup->GetParent();
        pTree->SendMessage(WM_GROUPVIEW_SELECTITEM, 0,
                           pParent != nullptr ? (LPARAM)pParent->GetTreeItem() : 0);
        break;
    }
    case ID_OPTIONS: {
        StoreColumnLayout(FALSE);
        CPSheetPersonList sheet(this);
        CString caption;
        caption.LoadString(274);
        sheet.SetTitle(caption);
        CPersonFieldSource source;
        sheet.m_pageFields.SetFieldSource(&source, CPersonFieldSource::kPositions);
        sheet.m_pageFields.GetChosenList().Copy(*Fields());
        HWND hSelf = m_hWnd;
        if (sheet.DoModal() == IDOK && ::IsWindow(hSelf))
            SendMessage(WM_APPLY_COLUMNS, 0, (LPARAM)&sheet);
        break;
    }
    default:
        break;
    }
}

void CViewPersonList::OnUpdateListCommand(CCmdUI* pCmdUI) {
    CListCtrl& list = List();
    switch (pCmdUI->m_nID) {
    case ID_BATCH_MODIFY:
        pCmdUI->Enable(list.GetSelectedCount() > 0);
        break;
    case ID_OPEN:
        pCmdUI->Enable(GetTreeView() != nullptr && list.GetSelectedCount() == 1);
        break;
    case ID_GO_UP:
        pCmdUI->Enable(GetTreeView() != nullptr && GetShownGroup() != nullptr);
        break;
    case ID_OPTIONS:
        pCmdUI->Enable(TRUE);
        break;
    case ID_VIEW_DETAILS:
        pCmdUI->Enable(TRUE);
        pCmdUI->SetRadio(m_nViewMode == ModeDetails);
        break;
    case ID_VIEW_GRIDLINES:
        // Lines between rows make sense where the rows are lines.
        pCmdUI->Enable(m_nViewMode == ModeDetails || m_nViewMode == ModeList);
        pCmdUI->SetCheck((list.GetExtendedStyle() & LVS_EX_GRIDLINES) != 0);
        break;
    default: { // ID_SEND_MAIL
        CGroupTreeView* pTree = GetTreeView();
        pCmdUI->Enable(list.GetSelectedCount() > 0 && pTree != nullptr &&
                       pTree->m_pRightPane != nullptr);
        break;
    }
    }
}

void CViewPersonList::OnContextMenu(CWnd*, CPoint point) {
    // A drag the right button interrupted ends here, before the menu.
    m_dragHelper.CancelDrag();
    HideHoverTip();
    CListCtrl& list = List();
    point = ListContextMenuPoint(list, point);
    // The frame routes the chosen command to the view; null (no frame) means the main window.
    CWnd* pOwner = GetTopLevelFrame();
    ShowNamedPopupMenu(IDR_CONTEXT_MENUS, "记录列表", point, TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                       pOwner);
}

void CViewPersonList::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    // Holding Ctrl+A down selects once, not again with every repeat.
    const UINT kRepeat = 0x4000;
    if (nChar == 'A' && GetKeyState(VK_CONTROL) < 0 && (nFlags & kRepeat))
        return;
    CGroupListView::OnKeyDown(nChar, nRepCnt, nFlags);
}
