#include "contacts/ui/ViewPsnInfo.h"

#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "core/FieldValue.h"
#include "contacts/ui/FormNamebook.h"
#include "contacts/ui/LeftView.h"
#include "core/QuillmarBaseDoc.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WinApp.h"
#include "ui/ClipboardText.h"
#include "ui/KovMenu.h"
#include "ui/PaneHosts.h"

IMPLEMENT_DYNCREATE(CViewPsnInfo, CListView)

BEGIN_MESSAGE_MAP(CViewPsnInfo, CListView)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CViewPsnInfo::OnItemChanged)
ON_COMMAND(CViewPsnInfo::ID_DEFAULT_VALUES_ONLY, &CViewPsnInfo::OnDefaultValuesOnly)
ON_COMMAND(CViewPsnInfo::ID_SHOW_ALL_FIELDS, &CViewPsnInfo::OnShowAllFields)
ON_COMMAND(CViewPsnInfo::ID_GO_TO_FIELD, &CViewPsnInfo::OnGoToField)
ON_COMMAND(CViewPsnInfo::ID_COPY, &CViewPsnInfo::OnCopy)
ON_COMMAND_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                 &CViewPsnInfo::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                           &CViewPsnInfo::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewPsnInfo::ID_DEFAULT_VALUES_ONLY, &CViewPsnInfo::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewPsnInfo::ID_SHOW_ALL_FIELDS, &CViewPsnInfo::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewPsnInfo::ID_GO_TO_FIELD, &CViewPsnInfo::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewPsnInfo::ID_COPY, &CViewPsnInfo::OnUpdateCommand)
ON_WM_CONTEXTMENU()
ON_WM_DESTROY()
END_MESSAGE_MAP()

const int CViewPsnInfo::kFieldOrder[] = {
    PF_NAME,          PF_SEX,           PF_NICKNAME,       PF_BIRTHDAY,      PF_HOBBY,
    PF_SPECIALITY,    PF_PERSONAL_CUSTOM, PF_PAGER,        PF_MOBILE,        PF_PHONE,
    PF_WEB,           PF_QQ,            PF_ICQ,            PF_EMAIL,         PF_HOMEPAGE,
    PF_HOME_LOCATION, PF_HOME_ADDRESS,  PF_HOME_POSTCODE,  PF_HOME_PHONE,    PF_HOME_FAX,
    PF_SPOUSE,        PF_FAMILY,        PF_HOME_CUSTOM,    PF_COMPANY,       PF_WORK_LOCATION,
    PF_WORK_ADDRESS,  PF_WORK_POSTCODE, PF_DEPARTMENT,     PF_OFFICE,        PF_TITLE,
    PF_WORK_CUSTOM,   PF_OFFICE_PHONE,  PF_WORK_FAX,       PF_DORM_PHONE,    PF_WORK_EMAIL,
    PF_WORK_HOMEPAGE, PF_CUR_POSTCODE,  PF_CUR_ADDRESS,    PF_CUR_NOTE,      PF_CERTIFICATES,
    PF_NOTE,          PF_MODIFIED};
const int CViewPsnInfo::kFieldOrderCount = (int)(sizeof(kFieldOrder) / sizeof(kFieldOrder[0]));

namespace {

// A field's values when it holds several (null for a single-valued field).
const CXStringList* MultiValues(_CPerson* pPerson, int nField) {
    if (nField == PF_CERTIFICATES || nField >= PERSON_FIELD_COUNT)
        return nullptr;
    int nKind = 0;
    void* pData = pPerson->GetFieldData(nField, nKind);
    return nKind == FIELD_MULTI_VALUE ? static_cast<const CXStringList*>(pData) : nullptr;
}

} // namespace

CDocument* GetShownDocument(const CView* pView) {
    for (const CWnd* pWnd = pView; pWnd != nullptr; pWnd = pWnd->GetParent())
        if (auto* pOuter = dynamic_cast<const CView*>(pWnd))
            if (CDocument* pDoc = pOuter->GetDocument())
                return pDoc;
    return nullptr;
}

void InitListBackground(CListCtrlBkManager& manager, CListCtrl& list, LPCTSTR lpszSection,
                        LPCTSTR lpszDefaultImage) {
    manager.SetWindow(&list, 2);
    manager.SetSection(lpszSection);
    CBkInfo defaults;
    defaults.nMethod = CBkInfo::MethodImage;
    defaults.strImagePath = GetModuleDirectory() + "\\" + lpszDefaultImage;
    manager.SetDefaultBkInfo(defaults);
    manager.LoadFromProfile();
}

CViewPsnInfo::CViewPsnInfo() = default;

void CViewPsnInfo::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
}

void CViewPsnInfo::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = List();
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHOWSELALWAYS);
    DWORD ex = LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    list.SetExtendedStyleMasked(ex, ex);
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    m_images.Add(::LoadIcon(nullptr, MAKEINTRESOURCE(140)));
    list.SetImageList(&m_images, LVSIL_SMALL);
    CString label;
    label.LoadString(284);
    list.InsertColumn(0, label, LVCFMT_LEFT, 110);
    label.LoadString(285);
    list.InsertColumn(1, label, LVCFMT_LEFT, 450);
    InitListBackground(m_bkManager, list, m_strBkSection, m_strDefaultBkImage);
}

void CViewPsnInfo::OnUpdate(CView*, LPARAM, CObject*) {
    // Anything but a contact leaves the rows as they were.
    Fill(CurrentPerson());
}

BOOL CViewPsnInfo::GetRowText(_CPerson* pPerson, int nField, CString& text) {
    pPerson->GetFieldText(text, nField, FALSE, nullptr, "; ", "-", m_bDefaultOnly);
    if (!text.IsEmpty())
        return TRUE;
    if (!m_bShowAll)
        return FALSE;
    text = "-";
    return TRUE;
}

void CViewPsnInfo::Fill(_CPerson* pPerson) {
    if (pPerson == nullptr)
        return;
    if (!m_bInitialized)
        OnInitialUpdate();
    CListCtrl& list = List();
    const int nKeep = m_nField;
    m_bFilling = TRUE;
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    int nSelect = -1;
    for (int i = 0; i < kFieldOrderCount; ++i) {
        const int nField = kFieldOrder[i];
        CString text;
        if (!GetRowText(pPerson, nField, text))
            continue;
        CString name;
        GetPersonFieldName(nField, name);
        if (m_bDefaultOnly)
            if (const CXStringList* pValues = MultiValues(pPerson, nField))
                if (pValues->GetCount() > 1 && pValues->GetCurrentIndex() >= 0) {
                    CString pos;
                    pos.Format("(%d/%d)", pValues->GetCurrentIndex() + 1,
                               (int)pValues->GetCount());
                    name += pos;
                }
        int row = list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, list.GetItemCount(), name,
                                  0, 0, 0, (LPARAM)nField);
        if (row < 0)
            continue;
        list.SetItemText(row, 1, text);
        if (nField == nKeep)
            nSelect = row;
    }
    if (nSelect >= 0) {
        list.SetItemState(nSelect, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(nSelect, FALSE);
    }
    m_bFilling = FALSE;
    RememberRow(nSelect);
    list.SetRedraw(TRUE);
    list.Invalidate();
}

void CViewPsnInfo::RememberRow(int nRow) {
    CListCtrl& list = List();
    if (nRow < 0 || nRow >= list.GetItemCount()) {
        m_nField = -1;
        m_strLabel.LoadString(287);
        m_strValue.Empty();
        return;
    }
    m_nField = (int)list.GetItemData(nRow);
    m_strLabel = list.GetItemText(nRow, 0);
    m_strValue = list.GetItemText(nRow, 1);
    list.RedrawItems(nRow, nRow);
}

void CViewPsnInfo::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (m_bFilling || !(nm->uChanged & LVIF_STATE))
        return;
    const UINT gained = nm->uNewState & ~nm->uOldState & (LVIS_SELECTED | LVIS_FOCUSED);
    if (gained != 0) {
        RememberRow(nm->iItem);
    } else if ((nm->uOldState & LVIS_SELECTED) && !(nm->uNewState & LVIS_SELECTED) &&
               List().GetSelectedCount() == 0) {
        RememberRow(-1);
    }
}

BOOL CViewPsnInfo::ListHasFocus() const {
    CWnd* pFocus = CWnd::GetFocus();
    return pFocus != nullptr && (pFocus == &List() || pFocus == this);
}

_CPerson* CViewPsnInfo::CurrentPerson() const {
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetShownDocument(this));
    return pDoc != nullptr ? dynamic_cast<_CPerson*>(pDoc->GetCurrentObject()) : nullptr;
}

void CViewPsnInfo::OnDefaultValuesOnly() {
    m_bDefaultOnly = !m_bDefaultOnly;
    Fill(CurrentPerson());
}

void CViewPsnInfo::OnShowAllFields() {
    m_bShowAll = !m_bShowAll;
    Fill(CurrentPerson());
}

CWnd* CViewPsnInfo::FindContactForm() {
    if (CDocument* pDoc = GetShownDocument(this))
        for (POSITION pos = pDoc->GetFirstViewPosition(); pos != nullptr;)
            if (auto* pForm = dynamic_cast<CFormNamebook*>(pDoc->GetNextView(pos)))
                return pForm;
    for (CWnd* pWnd = GetOwner(); pWnd != nullptr; pWnd = pWnd->GetOwner()) {
        if (auto* pTree = dynamic_cast<CLeftView*>(pWnd)) {
            if (pTree->m_pRightPane != nullptr)
                return pTree->m_pRightPane->GetView(CLeftView::ViewForm, CLeftView::kModuleKind);
            break;
        }
        if (pWnd->GetOwner() == pWnd)
            break;
    }
    return nullptr;
}

void CViewPsnInfo::OnGoToField() {
    if (m_nField < 0)
        return;
    if (CWnd* pForm = FindContactForm())
        pForm->SendMessage(CFormNamebook::WM_SHOW_FIELD, (WPARAM)m_nField);
}

void CViewPsnInfo::OnCopy() {
    _CPerson* pPerson = CurrentPerson();
    if (pPerson == nullptr)
        return;
    CListCtrl& list = List();
    CArray<int, int> fields;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
        fields.Add((int)list.GetItemData(i));
    if (fields.GetSize() == 0)
        return;
    CString text;
    pPerson->GetFieldsText(text, fields);
    CopyTextToClipboard(text);
}

void CViewPsnInfo::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CViewPsnInfo::OnUpdateCommand(CCmdUI* pCmdUI) {
    switch (pCmdUI->m_nID) {
    case ID_DEFAULT_VALUES_ONLY:
        pCmdUI->SetCheck(m_bDefaultOnly ? 1 : 0);
        break;
    case ID_SHOW_ALL_FIELDS:
        pCmdUI->SetCheck(m_bShowAll ? 1 : 0);
        break;
    case ID_GO_TO_FIELD:
        pCmdUI->Enable(m_nField >= 0);
        break;
    case ID_COPY:
        pCmdUI->Enable(CurrentPerson() != nullptr && List().GetSelectedCount() > 0);
        break;
    default:
        m_bkManager.OnUpdateCommand(pCmdUI);
        break;
    }
}

void CViewPsnInfo::OnContextMenu(CWnd*, CPoint point) {
    CWnd* pOwner = GetTopLevelFrame();
    ShowNamedPopupMenu(IDR_CONTEXT_MENUS, "个人资料列表", point, TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                       pOwner != nullptr ? pOwner : AfxGetMainWnd());
}

void CViewPsnInfo::OnDestroy() {
    if (m_bInitialized)
        m_bkManager.SaveToProfile();
    CListView::OnDestroy();
}
