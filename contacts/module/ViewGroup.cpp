#include "contacts/module/ViewGroup.h"

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/FieldValueActions.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonsBox.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "ui/ContentView.h"
#include "ui/GroupTreeView.h"
#include "ui/KovMenu.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CViewGroup, CView)

BEGIN_MESSAGE_MAP(CViewGroup, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_WM_CONTEXTMENU()
ON_MESSAGE(WM_CONTENTVIEW_NOTIFY, &CViewGroup::OnContentNotify)
ON_COMMAND(CViewGroup::ID_SEND_EMAIL, &CViewGroup::OnSendEmail)
ON_COMMAND(CViewGroup::ID_SEND_SMS, &CViewGroup::OnSendSms)
ON_COMMAND(CViewGroup::ID_OPEN, &CViewGroup::OnOpen)
ON_COMMAND(CViewGroup::ID_GO_UP, &CViewGroup::OnGoUp)
ON_COMMAND_RANGE(CViewGroup::ID_SMALL_ICONS, CViewGroup::ID_LARGE_ICONS, &CViewGroup::OnIconSize)
ON_UPDATE_COMMAND_UI(CViewGroup::ID_SEND_SMS, &CViewGroup::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewGroup::ID_SEND_EMAIL, &CViewGroup::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewGroup::ID_OPEN, &CViewGroup::OnUpdateCommand)
ON_UPDATE_COMMAND_UI(CViewGroup::ID_GO_UP, &CViewGroup::OnUpdateCommand)
ON_UPDATE_COMMAND_UI_RANGE(CViewGroup::ID_SMALL_ICONS, CViewGroup::ID_LARGE_ICONS,
                           &CViewGroup::OnUpdateCommand)
END_MESSAGE_MAP()

namespace {

constexpr UINT kContentViewId = 1001;

// A link stands for its source; one whose source is gone stands for itself.
_CPerson* SourceOf(_CPerson* pPerson) {
    if (pPerson == nullptr || !pPerson->IsVirtual())
        return pPerson;
    auto* pSource = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
    return pSource != nullptr ? pSource : pPerson;
}

} // namespace

CViewGroup::CViewGroup() = default;

CString CViewGroup::GetCaption(_CGroup* pGroup) {
    if (pGroup == nullptr)
        return CString();
    int nContacts = 0;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
        if (dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos)) != nullptr)
            ++nContacts;
    const int nGroups = pGroup->GetSubgroupCount();
    CString format, counts;
    if (nContacts > 0 && nGroups > 0) {
        format.LoadString(265);
        counts.Format(format, nContacts, nGroups);
    } else if (nContacts > 0) {
        format.LoadString(266);
        counts.Format(format, nContacts);
    } else if (nGroups > 0) {
        format.LoadString(267);
        counts.Format(format, nGroups);
    } else {
        counts.LoadString(268);
    }
    return pGroup->GetName() + counts;
}

int CViewGroup::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_splitter.CreateStatic(this, 1, 2))
        return 0;
    m_outbar.Create(&m_splitter, WS_CHILD | WS_VISIBLE, (UINT)m_splitter.IdFromRowCol(0, 0));
    m_splitter.SetColumnInfo(0, kOutbarWidth, 0);
    // The inner views join no document: this view passes its updates on.
    CCreateContext context;
    m_splitter.CreateView(0, 1, RUNTIME_CLASS(CViewPersonsBox), CSize(0, 0), &context);
    m_splitter.SetColumnInfo(1, 20, 20);

    m_pContent = new CContentView;
    if (!m_pContent->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &m_outbar, kContentViewId)) {
        delete m_pContent;
        m_pContent = nullptr;
        return 0;
    }
    m_pContent->SetOwner(this);
    MakeContactImages(m_largeImages, 32);
    MakeContactImages(m_smallImages, 16);
    m_pContent->SetImageList(&m_largeImages, 1);
    m_pContent->SetImageList(&m_smallImages, 0);
    m_pContent->SetIconLayout(TRUE);
    m_outbar.AddPageWnd(m_pContent);
    m_outbar.SelectFolder(0, FALSE);
    return 0;
}

CViewPersonsBox* CViewGroup::GetPersonsBox() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CViewPersonsBox*>(m_splitter.GetPane(0, 1))
               : nullptr;
}

void CViewGroup::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
    if (CViewPersonsBox* pBox = GetPersonsBox())
        pBox->SetNotifyWnd(pWnd != nullptr ? pWnd : this);
}

void CViewGroup::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    if (CViewPersonsBox* pBox = GetPersonsBox())
        pBox->OnInitialUpdate();
}

_CGroup* CViewGroup::CurrentGroup() const {
    auto* pDoc = dynamic_cast<CSmsDoc*>(GetDocument());
    return pDoc != nullptr ? pDoc->GetSelectedGroup() : nullptr;
}

void CViewGroup::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (!m_bInitialized)
        OnInitialUpdate();
    // Anything but a group leaves the view as it was.
    if (_CGroup* pGroup = CurrentGroup())
        Fill(pGroup);
    if (CViewPersonsBox* pBox = GetPersonsBox(); pBox != nullptr && pSender != pBox)
        pBox->OnUpdate(pSender, lHint, pHint);
}

void CViewGroup::Fill(_CGroup* pGroup) {
    m_outbar.SetFolderCaption(0, GetCaption(pGroup), TRUE);
    if (m_pContent == nullptr)
        return;
    m_pContent->DeleteAllItems();
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson == nullptr)
            continue;
        int image = 0, selImage = 0;
        CLeftView::ContactImages(SourceOf(pPerson)->GetInfo().m_personal.nSex, image, selImage);
        m_pContent->AddItem(image, image, pPerson->GetName(), static_cast<CObject*>(pPerson));
    }
    m_pContent->UpdateScrollButtons(FALSE);
    m_pContent->Invalidate();
    m_outbar.Invalidate();
}

_CPerson* CViewGroup::GetTargetPerson() const {
    if (m_pContent == nullptr)
        return nullptr;
    int nItem = m_pContent->GetCurSel();
    if (nItem < 0)
        nItem = m_pContent->GetHotItem();
    if (nItem < 0)
        return nullptr;
    return dynamic_cast<_CPerson*>(static_cast<CObject*>(m_pContent->GetItemData(nItem)));
}

void CViewGroup::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
}

void CViewGroup::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_splitter.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    // A new height shares the columns out again; a new width keeps the user's bar.
    if (cy != m_nLastHeight) {
        m_nLastHeight = cy;
        const int left = std::min(cx / 4, 160);
        m_splitter.SetColumnInfo(0, left, 0);
        m_splitter.SetColumnInfo(1, std::max(cx - left, 20), 20);
    }
    m_splitter.MoveWindow(2, 2, std::max(cx - 4, 1), std::max(cy - 4, 1));
    m_splitter.RecalcLayout();
    m_outbar.LayoutFolderWnds();
}

void CViewGroup::OnSetFocus(CWnd* pOldWnd) {
    CView::OnSetFocus(pOldWnd);
    ReturnFocus(this, pOldWnd);
}

CWnd* CViewGroup::Tree() {
    CWnd* pOwner = GetOwner();
    return pOwner != nullptr ? pOwner : GetParent();
}

void CViewGroup::SelectInTree(DWORD_PTR hItem) {
    if (CWnd* pTree = Tree())
        pTree->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, (LPARAM)hItem);
}

LRESULT CViewGroup::OnContentNotify(WPARAM wParam, LPARAM lParam) {
    // A newly selected icon selects its contact's row in the box list; sending an SMS to an
    // icon is left to the message composer, which this view does not offer.
    if (wParam == (WPARAM)CContentView::NotifySelChanged)
        if (CViewPersonsBox* pBox = GetPersonsBox())
            pBox->SelectRow((int)(short)HIWORD((DWORD)lParam));
    return 0;
}

void CViewGroup::OnSendEmail() {
    if (_CPerson* pPerson = GetTargetPerson())
        OpenFieldValue(*SourceOf(pPerson), PF_EMAIL, -1, TRUE);
}

void CViewGroup::OnSendSms() {
    // The tree writes the message, so that its caption and boxes follow.
    auto* pTree = dynamic_cast<CLeftView*>(Tree());
    if (_CPerson* pPerson = GetTargetPerson(); pTree != nullptr && pPerson != nullptr)
        pTree->SendSmsToContact(pPerson);
}

void CViewGroup::OnOpen() {
    if (_CPerson* pPerson = GetTargetPerson())
        SelectInTree(pPerson->GetTreeItem());
}

void CViewGroup::OnGoUp() {
    _CGroup* pGroup = CurrentGroup();
    if (pGroup == nullptr)
        return;
    CGroup* pParent = pGroup->GetParent();
    SelectInTree(pParent != nullptr ? pParent->GetTreeItem() : 0);
    if (CWnd* pTree = Tree())
        pTree->SetFocus();
}

void CViewGroup::OnIconSize(UINT nID) {
    if (m_pContent != nullptr)
        m_pContent->SetIconLayout(nID == ID_LARGE_ICONS);
}

void CViewGroup::OnUpdateCommand(CCmdUI* pCmdUI) {
    switch (pCmdUI->m_nID) {
    case ID_SEND_SMS:
        pCmdUI->Enable(GetTargetPerson() != nullptr && CLeftView::SmsToContact() != nullptr);
        break;
    case ID_SEND_EMAIL:
    case ID_OPEN:
        pCmdUI->Enable(GetTargetPerson() != nullptr);
        break;
    case ID_GO_UP:
        pCmdUI->Enable(CurrentGroup() != nullptr);
        break;
    case ID_SMALL_ICONS:
    case ID_LARGE_ICONS:
        pCmdUI->Enable(m_pContent != nullptr);
        pCmdUI->SetRadio(m_pContent != nullptr &&
                         m_pContent->IsIconLayout() == (pCmdUI->m_nID == ID_LARGE_ICONS));
        break;
    default:
        break;
    }
}

void CViewGroup::OnContextMenu(CWnd* pWnd, CPoint point) {
    if (m_pContent == nullptr || pWnd != m_pContent)
        return;
    CPoint client = point;
    m_pContent->ScreenToClient(&client);
    int nItem = -1;
    const int hit = m_pContent->HitTest(client, &nItem);
    const BOOL bOnIcon = (hit == CContentView::HitImage || hit == CContentView::HitCaption) &&
                         nItem >= 0;
    // The commands act on the icon under the cursor: it becomes the selected one.
    if (bOnIcon)
        m_pContent->SetCurSel(nItem);
    ShowNamedPopupMenu(IDR_CONTEXT_MENUS, bOnIcon ? "个人菜单" : "个人菜单1", point,
                       TPM_LEFTALIGN | TPM_RIGHTBUTTON, this);
}

BOOL CViewGroup::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The box list takes the commands while it has the focus (its background and text colour).
    if (CViewPersonsBox* pBox = GetPersonsBox(); pBox != nullptr && FocusedAmong({pBox}))
        if (pBox->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
