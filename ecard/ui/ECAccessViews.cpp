#include "ecard/ui/ECAccessViews.h"

#include "contacts/ui/LeftView.h"
#include "ecard/ECContact.h"
#include "ecard/ECFields.h"
#include "ecard/ECGroup.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "platform/gui/GdiPlus.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/Icon.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WndProc.h"

#include <algorithm>
#include <iterator>

namespace {

const SECAccessField kFields[EC_ACCESS_FIELD_COUNT] = {
    {1106, "姓名", 0, 0x1},        {1107, "性别", 0, 0x2},          {1108, "昵称", 0, 0x4},
    {1109, "生日", 0, 0x8},        {1110, "爱好", 0, 0x100},        {1111, "特长", 0, 0x200},
    {1152, "头像", 0, 0x20000},    {1112, "自定义", 0, 0x400},      {1113, "手机", 0, 0x80},
    {1114, "小灵通/传呼", 0, 0x40}, {1115, "电话", 0, 0x8000},       {1116, "网络地址", 0, 0x10000},
    {1117, "QQ", 0, 0x800},        {1118, "ICQ", 0, 0x1000},        {1119, "Email", 0, 0x2000},
    {1120, "个人主页", 0, 0x4000},  {1121, "国家", 1, 0x1},          {1122, "省市", 1, 0x2},
    {1123, "城市", 1, 0x4},        {1124, "邮编", 1, 0x8},          {1125, "家庭地址", 1, 0x10},
    {1126, "家庭电话", 1, 0x20},    {1127, "家庭传真", 1, 0x40},      {1128, "配偶", 1, 0x80},
    {1129, "家庭成员", 1, 0x200},   {1130, "家庭自定义", 1, 0x100},   {1131, "单位名称", 2, 0x8000},
    {1132, "国家", 2, 0x1},        {1133, "省市", 2, 0x2},          {1134, "城市", 2, 0x4},
    {1135, "邮编", 2, 0x8},        {1136, "单位地址", 2, 0x10},      {1140, "部门", 2, 0x100},
    {1141, "职位", 2, 0x200},      {1142, "办公室", 2, 0x400},       {1137, "办公电话", 2, 0x20},
    {1138, "单位传真", 2, 0x80},    {1139, "宿舍电话", 2, 0x40},      {1143, "单位邮箱", 2, 0x1000},
    {1144, "单位主页", 2, 0x2000},  {1145, "单位自定义", 2, 0x800},   {1146, "邮编", 3, 0x1},
    {1147, "通信地址", 3, 0x2},     {1148, "通信附注", 3, 0x4},       {1153, "证件", 4, 0x1},
    {1154, "附注", 4, 0x2},        {1149, "当前位置", 5, 0x1},       {1150, "当前活动", 5, 0x2},
    {1151, "个人说明", 5, 0x4},
};

// The group commands of the dialog: id, group (-1 every group), state.
struct SGroupCommand {
    UINT nID;
    int nGroup;
    int nState;
};
const SGroupCommand kGroupCommands[] = {
    {1023, 0, 1}, {1025, 1, 1}, {1027, 2, 1}, {1029, 3, 1}, {1041, 4, 1}, {1031, 5, 1},
    {1024, 0, 2}, {1026, 1, 2}, {1028, 2, 2}, {1030, 3, 2}, {1042, 4, 2}, {1032, 5, 2},
    {1035, 0, 0}, {1036, 1, 0}, {1037, 2, 0}, {1038, 3, 0}, {1043, 4, 0}, {1039, 5, 0},
    {1033, -1, 1}, {1034, -1, 2}, {1040, -1, 0},
};
const UINT kLegendIds[4] = {1155, 1156, 1157, 1158};
const int kLegendStates[4] = {1, 2, 3, 0};

COLORREF ArgbToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// The contacts of a group and its sub-groups, depth first.
template <class F>
void ForEachContact(CObject* pObject, F f) {
    if (auto* pContact = dynamic_cast<CECContact*>(pObject)) {
        f(pContact);
        return;
    }
    auto* pGroup = dynamic_cast<CGroup*>(pObject);
    if (pGroup == nullptr)
        return;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
        ForEachContact(pGroup->GetNextContent(pos), f);
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        ForEachContact(pGroup->GetNextSubgroup(pos), f);
}

const char kNoStrangerAccess[] =
    "不能对陌生人或已注销者设置访问权限！\n当前显示的是陌生人对您的默认访问权限。（请到“我的帐户”面板中设置）";

} // namespace

const SECAccessField& GetECAccessField(int nIndex) {
    return kFields[nIndex >= 0 && nIndex < EC_ACCESS_FIELD_COUNT ? nIndex : 0];
}

int GetECAccessFieldNumber(const SECAccessField& field) {
    static CECContact probe("", FALSE);
    return probe.GetFieldAt(CategoryBit(field.nGroup), (int)field.dwBit);
}

// ---- button ----

const DWORD CAccessItemButton::kColours[4] = {0xFFC0D8F4, 0xFF39CE45, 0xFFFF1C1C, 0xFFF9EE26};

BEGIN_MESSAGE_MAP(CAccessItemButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, &CAccessItemButton::OnClicked)
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

void CAccessItemButton::SetState(int nState) {
    if (nState < StateKeep || nState > StateSome || nState == m_nState)
        return;
    m_nState = nState;
    if (GetSafeHwnd() != nullptr)
        Invalidate(FALSE);
}

BOOL CAccessItemButton::OnClicked() {
    if (m_bChangeable)
        SetState(m_nState == StateAll ? StateNone : StateAll);
    return FALSE; // the dialog hears of the click too
}

void CAccessItemButton::OnRButtonDown(UINT nFlags, CPoint point) {
    if (m_bChangeable)
        SetState(StateKeep);
    CButton::OnRButtonDown(nFlags, point);
}

void CAccessItemButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect rect = lpDIS->rcItem;
    CRect inner = rect;
    inner.DeflateRect(2, 2);
    pDC->FillSolidRect(&inner, RGB(255, 255, 255));
    {
        Gdiplus::Graphics g(pDC);
        Gdiplus::LinearGradientBrush brush(
            Gdiplus::Rect(inner.left, inner.top, std::max(1, inner.Width()),
                          std::max(1, inner.Height())),
            Gdiplus::Color(255, 255, 255, 255), Gdiplus::Color(kColours[m_nState]),
            Gdiplus::LinearGradientModeVertical);
        g.FillRectangle(&brush, inner.left, inner.top, inner.Width(), inner.Height());
    }
    const BOOL bPushed = (lpDIS->itemState & ODS_SELECTED) != 0;
    UINT frame = DFCS_BUTTONPUSH;
    if (bPushed)
        frame |= DFCS_PUSHED;
    if (lpDIS->itemState & ODS_DISABLED)
        frame |= DFCS_INACTIVE;
    CRect edge = rect;
    pDC->SaveDC();
    pDC->ExcludeClipRect(&inner);
    pDC->DrawFrameControl(&edge, DFC_BUTTON, frame);
    pDC->RestoreDC(-1);
    CString text;
    GetWindowText(text);
    CRect textRect = inner;
    if (bPushed)
        textRect.OffsetRect(1, 1);
    CFont* pOld = pDC->SelectObject(GetFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor((lpDIS->itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                                         : GetSysColor(COLOR_BTNTEXT));
    pDC->DrawText(text, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (pOld != nullptr)
        pDC->SelectObject(pOld);
}

// ---- tree ----

BEGIN_MESSAGE_MAP(CECTreeModifyAccess, CTreeCtrl)
ON_WM_LBUTTONDOWN()
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CECTreeModifyAccess::OnCustomDraw)
END_MESSAGE_MAP()

void CECTreeModifyAccess::Fill(const std::vector<CObject*>& objects, BOOL bDefault) {
    ModifyStyle(0, TVS_CHECKBOXES | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                       TVS_SHOWSELALWAYS);
    SetBkColor(RGB(255, 255, 255));
    if (m_images.GetSafeHandle() == nullptr)
        MakeContactImages(m_images, 16);
    SetImageList(&m_images, TVSIL_NORMAL);
    m_drawHelper.m_pTree = this;
    DeleteAllItems();
    m_items.clear();
    HTREEITEM hRoot = InsertItem(bDefault ? "所有陌生人" : "待设置访问权限的好友", 3, 3);
    for (CObject* pObject : objects)
        InsertObject(hRoot, pObject, 0);
    SetCheckDeep(hRoot, TRUE);
    Expand(hRoot, TVE_EXPAND);
    if (objects.size() == 1 && dynamic_cast<CGroup*>(objects.front()) != nullptr)
        if (HTREEITEM hGroup = FindItemOf(objects.front()))
            Expand(hGroup, TVE_EXPAND);
}

void CECTreeModifyAccess::InsertObject(HTREEITEM hParent, CObject* pObject, int nDepth) {
    if (auto* pContact = dynamic_cast<CECContact*>(pObject)) {
        int image = 0, selImage = 0;
        CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, image, selImage);
        HTREEITEM h = InsertItem(GetContactLabel(*pContact), image, selImage, hParent);
        SetItemData(h, (DWORD_PTR)pObject);
        m_items[pObject] = h;
        return;
    }
    auto* pGroup = dynamic_cast<CGroup*>(pObject);
    if (pGroup == nullptr)
        return;
    HTREEITEM h = InsertItem(pGroup->GetName(), CLeftView::ImgGroup, CLeftView::ImgGroup, hParent);
    SetItemData(h, (DWORD_PTR)pObject);
    m_items[pObject] = h;
    // Three levels deep; a deeper contact goes with its nearest shown group.
    if (nDepth >= 2)
        return;
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        InsertObject(h, pGroup->GetNextSubgroup(pos), nDepth + 1);
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
        InsertObject(h, pGroup->GetNextContent(pos), nDepth + 1);
}

HTREEITEM CECTreeModifyAccess::FindItemOf(const CObject* pObject) const {
    auto it = m_items.find(pObject);
    return it != m_items.end() ? it->second : nullptr;
}

void CECTreeModifyAccess::SetCheckDeep(HTREEITEM hItem, BOOL bCheck) {
    if (hItem == nullptr)
        return;
    SetCheck(hItem, bCheck);
    for (HTREEITEM h = GetChildItem(hItem); h != nullptr; h = GetNextSiblingItem(h))
        SetCheckDeep(h, bCheck);
}

BOOL CECTreeModifyAccess::IsChosen(const CECContact* pContact) const {
    if (HTREEITEM h = FindItemOf(pContact))
        return GetCheck(h);
    for (const CGroup* p = pContact->GetParent(); p != nullptr; p = p->GetParent())
        if (HTREEITEM h = FindItemOf(p))
            return GetCheck(h);
    return FALSE;
}

void CECTreeModifyAccess::OnLButtonDown(UINT nFlags, CPoint point) {
    UINT flags = 0;
    HTREEITEM hItem = HitTest(point, &flags);
    if (hItem != nullptr && (flags & TVHT_ONITEMSTATEICON)) {
        SetCheckDeep(hItem, !GetCheck(hItem));
        SelectItem(hItem);
        return;
    }
    CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CECTreeModifyAccess::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        *pResult = CDRF_NOTIFYPOSTPAINT;
    } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
        auto hItem = (HTREEITEM)cd->nmcd.dwItemSpec;
        auto* pObject = reinterpret_cast<CObject*>(GetItemData(hItem));
        CString text;
        COLORREF colour = RGB(0, 0, 255);
        if (auto* pContact = dynamic_cast<CECContact*>(pObject)) {
            text.Format("(%u)", pContact->m_nUid);
        } else if (auto* pGroup = dynamic_cast<CGroup*>(pObject)) {
            colour = 0x2D40D4;
            FormatItemCount(pGroup->GetContentCount(FALSE, TRUE),
                            pGroup->GetContentCount(TRUE, TRUE), text);
        }
        if (!text.IsEmpty())
            m_drawHelper.DrawTextAfterItem(CDC::FromHandle(cd->nmcd.hdc), hItem, text, colour, 2);
    }
}

// ---- dialog ----

CECDlgModifyAccess::CECDlgModifyAccess(CECUser* pUser, const std::vector<CObject*>& objects,
                                       CWnd* pParent)
    : CDialog(IDD, pParent), m_pUser(pUser), m_objects(objects) {
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i)
        m_buttons.push_back(std::make_unique<CAccessItemButton>(TRUE));
}

CECDlgModifyAccess::~CECDlgModifyAccess() = default;

CAccessItemButton* CECDlgModifyAccess::FindButton(UINT nID) {
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i)
        if (kFields[i].nButtonId == nID)
            return m_buttons[(size_t)i].get();
    for (int i = 0; i < 4; ++i)
        if (kLegendIds[i] == nID)
            return &m_legends[i];
    return nullptr;
}

void CECDlgModifyAccess::MergeObject(CObject* pObject, BOOL& bFirst) {
    ForEachContact(pObject, [&](CECContact* pContact) {
        ReadPendingAccess(*pContact, m_values, m_common, bFirst);
    });
}

BOOL CECDlgModifyAccess::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i)
        m_buttons[(size_t)i]->SubclassDlgItem(kFields[i].nButtonId, this);
    for (int i = 0; i < 4; ++i)
        m_legends[i].SubclassDlgItem(kLegendIds[i], this);
    m_tree.SubclassDlgItem(IDC_TREE, this);

    m_values.Clear();
    m_common.Clear();
    if (!m_objects.empty()) {
        BOOL bFirst = TRUE;
        for (CObject* pObject : m_objects)
            MergeObject(pObject, bFirst);
    } else {
        if (m_pUser != nullptr)
            m_values = m_pUser->m_access;
        m_common.SetAll(-1);
        SetWindowText("设置陌生人对我的访问权限(即默认访问权限)");
    }
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i) {
        const SECAccessField& f = kFields[i];
        const BOOL bCommon = ((DWORD)m_common[f.nGroup] & f.dwBit) != 0;
        const BOOL bSet = ((DWORD)m_values[f.nGroup] & f.dwBit) != 0;
        m_buttons[(size_t)i]->SetState(!bCommon ? CAccessItemButton::StateSome
                                       : bSet   ? CAccessItemButton::StateAll
                                                : CAccessItemButton::StateNone);
    }
    for (int i = 0; i < 4; ++i)
        m_legends[i].SetState(kLegendStates[i]);
    if (m_tree.GetSafeHwnd() != nullptr)
        m_tree.Fill(m_objects, m_objects.empty());
    return TRUE;
}

void CECDlgModifyAccess::SetGroupState(int nGroup, int nState) {
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i)
        if (nGroup < 0 || kFields[i].nGroup == nGroup)
            m_buttons[(size_t)i]->SetState(nState);
}

BOOL CECDlgModifyAccess::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED)
        for (const SGroupCommand& c : kGroupCommands)
            if (c.nID == LOWORD(wParam)) {
                SetGroupState(c.nGroup, c.nState);
                return TRUE;
            }
    return CDialog::OnCommand(wParam, lParam);
}

void CECDlgModifyAccess::MarkObject(CObject* pObject) {
    ForEachContact(pObject, [this](CECContact* pContact) {
        pContact->UpdateStatus(m_tree.IsChosen(pContact) ? CECContact::STATUS_ACCESS_PENDING : 0,
                               CECContact::STATUS_ACCESS_PENDING);
    });
}

void CECDlgModifyAccess::OnOK() {
    m_changes.Clear();
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i) {
        const SECAccessField& f = kFields[i];
        DWORD& changes = reinterpret_cast<DWORD&>(m_changes[f.nGroup]);
        DWORD& values = reinterpret_cast<DWORD&>(m_values[f.nGroup]);
        switch (m_buttons[(size_t)i]->GetState()) {
        case CAccessItemButton::StateAll:
            changes |= f.dwBit;
            values |= f.dwBit;
            break;
        case CAccessItemButton::StateNone:
            changes |= f.dwBit;
            values &= ~f.dwBit;
            break;
        default:
            changes &= ~f.dwBit;
            break;
        }
    }
    // Every contact of the objects is marked, shown in the tree or not: a mark left from an
    // earlier change would otherwise be sent again.
    m_chosen.clear();
    for (CObject* pObject : m_objects) {
        MarkObject(pObject);
        HTREEITEM h = m_tree.FindItemOf(pObject);
        BOOL bAny = FALSE;
        ForEachContact(pObject, [&](CECContact* pContact) {
            bAny = bAny || (pContact->m_dwStatus & CECContact::STATUS_ACCESS_PENDING) != 0;
        });
        if (bAny || (h != nullptr && m_tree.GetCheck(h)))
            m_chosen.push_back(pObject);
    }
    CDialog::OnOK();
}

// ---- access table ----

namespace {

// Header cell colours: the personal, work and state columns, the family and communication
// columns, and the name column.
const COLORREF kSchemeA[2] = {RGB(0xF4, 0xF8, 0xFF), RGB(0x9C, 0xBC, 0xE8)};
const COLORREF kSchemeB[2] = {RGB(0xFF, 0xFA, 0xEE), RGB(0xE8, 0xC8, 0x8C)};
const COLORREF kSchemeName[2] = {RGB(0xFF, 0xFF, 0xFF), RGB(0xC8, 0xC8, 0xC8)};

const COLORREF* SchemeOfColumn(int nColumn) {
    if (nColumn <= 0)
        return kSchemeName;
    for (int r = 0; r < EC_CATEGORY_ROW_COUNT; ++r) {
        const SECCategoryRow& row = GetECCategoryRow(r);
        if (nColumn >= row.nFirstColumn && nColumn <= row.nLastColumn)
            return (r == 1 || r == 3) ? kSchemeB : kSchemeA;
    }
    return kSchemeA;
}

void FillGradient(CDC* pDC, const CRect& rect, COLORREF from, COLORREF to) {
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    Gdiplus::Graphics g(pDC);
    Gdiplus::LinearGradientBrush brush(
        Gdiplus::Rect(rect.left, rect.top, rect.Width(), rect.Height()),
        Gdiplus::Color(GetRValue(from), GetGValue(from), GetBValue(from)),
        Gdiplus::Color(GetRValue(to), GetGValue(to), GetBValue(to)),
        Gdiplus::LinearGradientModeVertical);
    g.FillRectangle(&brush, rect.left, rect.top, rect.Width(), rect.Height());
}

// Gives the header its tall band.
LRESULT AccessHeaderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == HDM_LAYOUT && lParam != 0) {
        auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
        if (layout->prc == nullptr || layout->pwpos == nullptr)
            return FALSE;
        RECT& rc = *layout->prc;
        *layout->pwpos = WINDOWPOS{hWnd, nullptr, (int)rc.left, (int)rc.top,
                                   (int)(rc.right - rc.left),
                                   CViewECContactAccessList::kHeaderHeight, 0};
        rc.top += CViewECContactAccessList::kHeaderHeight;
        return TRUE;
    }
    return AfxCallPreviousWndProc(&AccessHeaderProc, hWnd, message, wParam, lParam);
}

} // namespace

IMPLEMENT_DYNCREATE(CViewECContactAccessList, CListView)

BEGIN_MESSAGE_MAP(CViewECContactAccessList, CListView)
ON_WM_DRAWITEM()
ON_WM_KEYDOWN()
ON_NOTIFY_REFLECT(NM_DBLCLK, &CViewECContactAccessList::OnDblClk)
ON_COMMAND(1521, &CViewECContactAccessList::OnCmdSetAccess)
ON_UPDATE_COMMAND_UI(1521, &CViewECContactAccessList::OnUpdateSetAccess)
END_MESSAGE_MAP()

CViewECContactAccessList::CViewECContactAccessList() {
    m_textColour = GetSysColor(COLOR_WINDOWTEXT);
    m_backColour = GetSysColor(COLOR_WINDOW);
}

CViewECContactAccessList::~CViewECContactAccessList() = default;

CECUserDoc* CViewECContactAccessList::GetUserDoc() const {
    return dynamic_cast<CECUserDoc*>(GetDocument());
}

CECContactsTreeView* CViewECContactAccessList::GetTree() const {
    return dynamic_cast<CECContactsTreeView*>(GetOwner());
}

CString CViewECContactAccessList::GetColumnLabel(const char* pszName) {
    CString name = pszName;
    const int cut = name.Find('(');
    if (cut >= 0)
        name = name.Left(cut);
    name.Remove('-');
    // A character a line: a GBK lead byte keeps its trail byte.
    CString out;
    for (int i = 0; i < name.GetLength(); ++i) {
        if (!out.IsEmpty())
            out += "\n";
        out += name[i];
        if ((unsigned char)name[i] >= 0x81 && i + 1 < name.GetLength())
            out += name[++i];
    }
    return out;
}

int CViewECContactAccessList::GetColumnField(int nColumn) const {
    return nColumn >= 0 && nColumn < (int)m_fields.size() ? m_fields[(size_t)nColumn] : -1;
}

void CViewECContactAccessList::OnInitialUpdate() {
    if (m_bFirstUpdate)
        return;
    m_bFirstUpdate = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.ModifyStyle(LVS_TYPEMASK | LVS_EDITLABELS,
                     LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS);
    MakeContactImages(m_contactImages, 16);
    list.SetImageList(&m_contactImages, LVSIL_SMALL);
    list.SetImageList(&m_contactImages, LVSIL_STATE);
    m_icons.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
    for (UINT id : {(UINT)IDI_READABLE, (UINT)IDI_HIDDEN}) {
        HICON h = ::LoadIcon(nullptr, MAKEINTRESOURCE(id));
        if (h == nullptr || m_icons.Add(h) < 0)
            m_icons.Add(::LoadIcon(nullptr, IDI_APPLICATION));
    }
    m_fields.assign(1, -1);
    list.InsertColumn(0, "联系人", LVCFMT_LEFT, 100);
    int nColumn = 1;
    for (int i = 0; i < EC_ACCESS_FIELD_COUNT; ++i) {
        const SECAccessField& f = kFields[i];
        if (f.nGroup == 4)
            continue; // the other information has no column
        list.InsertColumn(nColumn++, f.pszLabel, LVCFMT_CENTER, 20);
        m_fields.push_back(i);
    }
    if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
        AfxHookWndProc(pHeader->m_hWnd, &AccessHeaderProc);
        for (int c = 0; c < pHeader->GetItemCount(); ++c) {
            HDITEM item{};
            item.mask = HDI_FORMAT | HDI_LPARAM;
            item.fmt = HDF_OWNERDRAW;
            item.lParam = c == 0 ? -1 : GetECAccessFieldNumber(kFields[m_fields[(size_t)c]]);
            pHeader->SetItem(c, &item);
        }
    }
    // The band height changed: the rows go below it.
    CRect rc;
    list.GetClientRect(&rc);
    list.SendMessage(WM_SIZE, 0, MAKELPARAM(rc.Width(), rc.Height()));
    Fill();
}

void CViewECContactAccessList::OnUpdate(CView* pSender, LPARAM lHint, CObject*) {
    if (pSender == this || (lHint != 0 && (lHint & 0x2000) == 0))
        return;
    Fill();
}

void CViewECContactAccessList::Fill() {
    CListCtrl& list = GetListCtrl();
    CECUserDoc* pDoc = GetUserDoc();
    auto* pGroup = pDoc != nullptr ? dynamic_cast<CECGroup*>(pDoc->GetCurrentObject()) : nullptr;
    if (pGroup == nullptr || list.GetSafeHwnd() == nullptr)
        return;
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pContact = dynamic_cast<CECContact*>(pGroup->GetNextContent(pos));
        if (pContact == nullptr)
            continue;
        int image = 0, selImage = 0;
        CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, image, selImage);
        list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, list.GetItemCount(),
                        GetContactLabel(*pContact), 0, 0, image,
                        (LPARAM) static_cast<CObject*>(pContact));
    }
    list.SetRedraw(TRUE);
    list.Invalidate();
}

BOOL CViewECContactAccessList::IsReadable(const CECContact* pContact, int nColumn) const {
    if (pContact == nullptr || nColumn <= 0 || nColumn >= (int)m_fields.size())
        return FALSE;
    const SECAccessField& f = kFields[m_fields[(size_t)nColumn]];
    auto* pParent = dynamic_cast<const CECGroup*>(pContact->GetParent());
    const BOOL bFriend = pParent != nullptr && pParent->GetTopRole() == CECGroup::ROLE_FRIENDS;
    const SECAccess* pAccess = &pContact->m_access;
    if (!bFriend) {
        CECUserDoc* pDoc = GetUserDoc();
        if (pDoc == nullptr)
            return FALSE;
        pAccess = &pDoc->GetUser().m_access;
    }
    return ((DWORD)(*pAccess)[f.nGroup] & f.dwBit) != 0;
}

void CViewECContactAccessList::OnDrawItem(int, LPDRAWITEMSTRUCT lpDIS) {
    if (lpDIS->CtlType == ODT_HEADER)
        DrawHeaderItem(lpDIS);
    else
        DrawItem(lpDIS);
}

void CViewECContactAccessList::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    if (lpDIS->CtlType == ODT_HEADER) {
        DrawHeaderItem(lpDIS);
        return;
    }
    CListCtrl& list = GetListCtrl();
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const int row = (int)lpDIS->itemID;
    auto* pContact = dynamic_cast<CECContact*>(reinterpret_cast<CObject*>(list.GetItemData(row)));
    const BOOL bSelected = (list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0 &&
                           (CWnd::GetFocus() == &list || (list.GetStyle() & LVS_SHOWSELALWAYS));
    const COLORREF back = bSelected ? GetSysColor(COLOR_HIGHLIGHT) : m_backColour;
    const COLORREF text = bSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : m_textColour;
    CRect rowRect = lpDIS->rcItem;
    pDC->FillSolidRect(&rowRect, back);
    // Column 0: the contact's icon and name.
    CRect cell;
    list.GetSubItemRect(row, 0, LVIR_BOUNDS, cell);
    cell.right = cell.left + list.GetColumnWidth(0);
    LVITEM item{};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    item.stateMask = LVIS_STATEIMAGEMASK;
    list.GetItem(&item);
    int x = cell.left + 2;
    const int iconTop = cell.top + (cell.Height() - 16) / 2;
    const int stateImage = (int)((item.state & LVIS_STATEIMAGEMASK) >> 12);
    if (stateImage > 0) {
        m_contactImages.Draw(pDC, stateImage - 1, CPoint(x, iconTop), ILD_TRANSPARENT);
        x += 16;
    }
    m_contactImages.Draw(pDC, item.iImage, CPoint(x, iconTop), ILD_TRANSPARENT);
    x += 18;
    CRect nameRect(x, cell.top, cell.right - 2, cell.bottom);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(text);
    pDC->DrawText(list.GetItemText(row, 0), &nameRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    for (int c = 1; c < (int)m_fields.size(); ++c) {
        CRect sub;
        if (!list.GetSubItemRect(row, c, LVIR_BOUNDS, sub))
            continue;
        const int image = IsReadable(pContact, c) ? 0 : 1;
        m_icons.Draw(pDC, image,
                     CPoint(sub.left + (sub.Width() - 16) / 2, sub.top + (sub.Height() - 16) / 2),
                     ILD_TRANSPARENT);
    }
    if (lpDIS->itemState & ODS_FOCUS)
        pDC->DrawFocusRect(&rowRect);
}

void CViewECContactAccessList::MeasureItem(LPMEASUREITEMSTRUCT lpMIS) {
    lpMIS->itemHeight = 20;
}

void CViewECContactAccessList::DrawHeaderItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CHeaderCtrl* pHeader = GetListCtrl().GetHeaderCtrl();
    const int nColumn = (int)lpDIS->itemID;
    const CRect rect = lpDIS->rcItem;
    const COLORREF* scheme = SchemeOfColumn(nColumn);
    CFont font;
    font.CreateStockObject(DEFAULT_GUI_FONT);
    CFont* pOld = pDC->SelectObject(&font);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
    if (nColumn == 0) {
        FillGradient(pDC, rect, scheme[0], scheme[1]);
        pDC->Draw3dRect(&rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        CRect textRect = rect;
        pDC->DrawText("联系人", &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        pDC->SelectObject(pOld);
        return;
    }
    // The band over the column's category: its caption centred over the whole range, each
    // column drawing its share.
    CRect band(rect.left, rect.top, rect.right, rect.top + kBandHeight);
    FillGradient(pDC, band, scheme[1], scheme[0]);
    for (int r = 0; r < EC_CATEGORY_ROW_COUNT && pHeader != nullptr; ++r) {
        const SECCategoryRow& row = GetECCategoryRow(r);
        if (nColumn < row.nFirstColumn || nColumn > row.nLastColumn)
            continue;
        CRect first, last;
        pHeader->GetItemRect(row.nFirstColumn, &first);
        pHeader->GetItemRect(row.nLastColumn, &last);
        CRect range(first.left, band.top, last.right, band.bottom);
        pDC->SaveDC();
        pDC->IntersectClipRect(&band);
        pDC->DrawText(row.name, &range, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        pDC->RestoreDC(-1);
        // The band's edge at the range's ends.
        if (nColumn == row.nFirstColumn)
            pDC->FillSolidRect(band.left, band.top, 1, band.Height(), GetSysColor(COLOR_BTNSHADOW));
    }
    pDC->FillSolidRect(band.left, band.bottom - 1, band.Width(), 1, GetSysColor(COLOR_BTNSHADOW));
    CRect cell(rect.left, band.bottom, rect.right, rect.bottom);
    FillGradient(pDC, cell, scheme[0], scheme[1]);
    pDC->Draw3dRect(&cell, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    CString label =
        GetColumnLabel(kFields[m_fields[(size_t)std::min<int>(nColumn, (int)m_fields.size() - 1)]]
                           .pszLabel);
    CRect textRect = cell;
    textRect.DeflateRect(1, 3);
    pDC->DrawText(label, &textRect, DT_CENTER | DT_TOP | DT_NOPREFIX);
    pDC->SelectObject(pOld);
}

BOOL CViewECContactAccessList::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    CHeaderCtrl* pHeader = GetListCtrl().GetHeaderCtrl();
    if (nm != nullptr && pHeader != nullptr && nm->hwndFrom == pHeader->m_hWnd &&
        nm->code == HDN_BEGINTRACK) {
        // Only the name column is sized by hand.
        *pResult = reinterpret_cast<NMHEADER*>(lParam)->iItem != 0;
        return TRUE;
    }
    return CListView::OnNotify(wParam, lParam, pResult);
}

void CViewECContactAccessList::OnDblClk(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (GetListCtrl().GetSelectedCount() > 0)
        SendMessage(WM_COMMAND, 1521, 0);
}

void CViewECContactAccessList::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    CListCtrl& list = GetListCtrl();
    if (nChar == VK_RETURN && list.GetSelectedCount() > 0) {
        SendMessage(WM_COMMAND, 1521, 0);
        return;
    }
    if (nChar == 'A' && GetKeyState(VK_CONTROL) < 0) {
        for (int i = 0; i < list.GetItemCount(); ++i)
            list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    Default();
}

void CViewECContactAccessList::SetAccessOfSelected() {
    CECContactsTreeView* pTree = GetTree();
    CECUserDoc* pDoc = GetUserDoc();
    CListCtrl& list = GetListCtrl();
    if (pTree == nullptr || pDoc == nullptr || list.GetSelectedCount() == 0)
        return;
    auto* pGroup = dynamic_cast<CECGroup*>(pDoc->GetCurrentObject());
    // A sub-group of the friends is the friends' too: its role is its nearest set one.
    if (pGroup == nullptr || pGroup->GetTopRole() != CECGroup::ROLE_FRIENDS) {
        AfxMessageBox(kNoStrangerAccess, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::vector<CObject*> contacts;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(row, LVNI_SELECTED))
        contacts.push_back(reinterpret_cast<CObject*>(list.GetItemData(row)));
    pTree->SetAccess(contacts);
    list.Invalidate();
}

BOOL CViewECContactAccessList::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                        AFX_CMDHANDLERINFO* pHandlerInfo) {
    // Without the focus and a selected row the access command is the tree's.
    CListCtrl& list = GetListCtrl();
    if (nID == 1521 && !(CWnd::GetFocus() == &list && list.GetSelectedCount() > 0))
        return FALSE;
    return CListView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CViewECContactAccessList::OnUpdateSetAccess(CCmdUI* pCmdUI) {
    CListCtrl& list = GetListCtrl();
    pCmdUI->Enable(GetTree() != nullptr && CWnd::GetFocus() == &list &&
                   list.GetSelectedCount() > 0);
}
