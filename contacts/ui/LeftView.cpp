#include "contacts/ui/LeftView.h"

#include "contacts/ContactFinder.h"
#include "contacts/Person.h"
#include "contacts/FieldChoice.h"
#include "contacts/ui/DlgFindPerson.h"
#include "contacts/ui/SheetExportGroup.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/gui/Dc.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <vector>

IMPLEMENT_DYNCREATE(CLeftView, CGroupTreeView)

BEGIN_MESSAGE_MAP(CLeftView, CGroupTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGING, &CLeftView::OnSelChanging)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CLeftView::OnEndLabelEditText)
ON_COMMAND(ID_SHOW_ALL_SUBNODES, &CLeftView::OnShowAllSubNodes)
ON_COMMAND(ID_FIND, &CLeftView::OnFind)
ON_COMMAND_RANGE(ID_EXPORT_CSV, ID_EXPORT_CARDS, &CLeftView::OnExport)
ON_UPDATE_COMMAND_UI_RANGE(ID_EXPORT_CSV, ID_EXPORT_CARDS, &CLeftView::OnUpdateExport)
ON_UPDATE_COMMAND_UI(ID_FIND, &CLeftView::OnUpdateFind)
ON_MESSAGE(WM_VIEW_BUSY, &CLeftView::OnViewNews)
ON_COMMAND(ID_BOX_STATISTICS, &CLeftView::OnBoxStatistics)
ON_UPDATE_COMMAND_UI(ID_BOX_STATISTICS, &CLeftView::OnUpdateBoxStatistics)
ON_COMMAND(ID_PASTE, &CLeftView::OnPasteMessages)
ON_UPDATE_COMMAND_UI(ID_PASTE, &CLeftView::OnUpdatePasteMessages)
ON_MESSAGE(WM_GROUPVIEW_DROPQUERY, &CLeftView::OnDropQueryKinds)
ON_UPDATE_COMMAND_UI(ID_SHOW_ALL_SUBNODES, &CLeftView::OnUpdateShowAllSubNodes)
ON_COMMAND(ID_BOOK_NEW_GROUP, &CLeftView::OnNewGroup)
ON_COMMAND(ID_BOOK_ADD_GROUP, &CLeftView::OnNewGroup)
ON_COMMAND(ID_BOOK_NEW_CONTACT, &CLeftView::OnNewContent)
ON_COMMAND(ID_BOOK_RENAME, &CLeftView::OnRename)
ON_COMMAND(ID_BOOK_CONTACT_BEFORE, &CLeftView::OnNewContentBefore)
ON_COMMAND(ID_BOOK_CONTACT_AFTER, &CLeftView::OnNewContentAfter)
ON_COMMAND(ID_BOOK_GROUP_BEFORE, &CLeftView::OnNewGroupBefore)
ON_COMMAND(ID_BOOK_GROUP_AFTER, &CLeftView::OnNewGroupAfter)
ON_UPDATE_COMMAND_UI(ID_NEW_GROUP, &CLeftView::OnUpdateNewOrRename)
ON_UPDATE_COMMAND_UI_RANGE(ID_BOOK_NEW_CONTACT, ID_BOOK_NEW_GROUP, &CLeftView::OnUpdateNewOrRename)
ON_UPDATE_COMMAND_UI(ID_BOOK_ADD_GROUP, &CLeftView::OnUpdateNewOrRename)
ON_UPDATE_COMMAND_UI(ID_BOOK_RENAME, &CLeftView::OnUpdateNewOrRename)
ON_UPDATE_COMMAND_UI_RANGE(ID_BOOK_CONTACT_BEFORE, ID_BOOK_GROUP_AFTER,
                           &CLeftView::OnUpdateNewOrRename)
// Context menus, field actions and the main menu's book commands (LeftViewMenu.cpp)
ON_COMMAND(ID_SEND_MAIL, &CLeftView::OnSendMail)
ON_UPDATE_COMMAND_UI(ID_SEND_MAIL, &CLeftView::OnUpdateSendMail)
ON_COMMAND(ID_GROUP_MAIL, &CLeftView::OnGroupMail)
ON_UPDATE_COMMAND_UI(ID_GROUP_MAIL, &CLeftView::OnUpdateGroupOnly)
ON_COMMAND(ID_MAIL_ALL, &CLeftView::OnMailAll)
ON_COMMAND(ID_OPEN_ALL_PAGES, &CLeftView::OnOpenAllPages)
ON_COMMAND(ID_COLLAPSE_BOOKS, &CLeftView::OnCollapseBooks)
ON_UPDATE_COMMAND_UI(ID_COLLAPSE_BOOKS, &CLeftView::OnUpdateCollapseBooks)
ON_COMMAND(ID_SHOW_GROUP_COUNTS, &CLeftView::OnShowCounts)
ON_UPDATE_COMMAND_UI(ID_SHOW_GROUP_COUNTS, &CLeftView::OnUpdateShowGroupCounts)
ON_COMMAND(ID_ALLOW_RENAME, &CLeftView::OnAllowRename)
ON_UPDATE_COMMAND_UI(ID_ALLOW_RENAME, &CLeftView::OnUpdateAllowRename)
ON_COMMAND(ID_QUICK_VIEW, &CLeftView::OnQuickView)
ON_UPDATE_COMMAND_UI(ID_QUICK_VIEW, &CLeftView::OnUpdateContactOnly)
ON_COMMAND(ID_RESORT_SUBGROUPS, &CLeftView::OnResortGroups)
ON_COMMAND(ID_RESORT_GROUP_CONTACTS, &CLeftView::OnResortContents)
ON_UPDATE_COMMAND_UI_RANGE(ID_RESORT_SUBGROUPS, ID_RESORT_GROUP_CONTACTS,
                           &CLeftView::OnUpdateGroupOrRoot)
ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CLeftView::OnBeginLabelEditGate)
ON_MESSAGE(WM_INITMENUPOPUP, &CLeftView::OnInitTreeMenuPopup)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_COMMAND(ID_GROUP_PROPERTIES, &CLeftView::OnGroupProperties)
ON_UPDATE_COMMAND_UI(ID_GROUP_PROPERTIES, &CLeftView::OnUpdateGroupProperties)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CLeftView::OnSelChangedFollow)

// Editing: cut and paste, imports, links, merges and drops (LeftViewEdit.cpp)
ON_COMMAND_EX(ID_DELETE_CURRENT, &CLeftView::OnDeleteCurrent)
ON_COMMAND_EX(ID_TREE_DELETE, &CLeftView::OnDeleteCurrent)
ON_UPDATE_COMMAND_UI(ID_DELETE_CURRENT, &CLeftView::OnUpdateDeleteCurrent)
ON_COMMAND(ID_EXPORT_CARD, &CLeftView::OnExportCard)
ON_COMMAND(ID_IMPORT_CSV, &CLeftView::OnImportCsv)
ON_COMMAND(ID_IMPORT_CARDS, &CLeftView::OnImportCards)
ON_COMMAND(ID_IMPORT_MORE, &CLeftView::OnImportMore)
ON_COMMAND(ID_MAKE_LINK, &CLeftView::OnMakeLink)
ON_COMMAND(ID_GOTO_SOURCE, &CLeftView::OnGotoSource)
ON_UPDATE_COMMAND_UI(ID_EXPORT_CARD, &CLeftView::OnUpdateEditCommand)
ON_UPDATE_COMMAND_UI(ID_IMPORT_CSV, &CLeftView::OnUpdateEditCommand)
ON_UPDATE_COMMAND_UI(ID_IMPORT_CARDS, &CLeftView::OnUpdateEditCommand)
ON_UPDATE_COMMAND_UI(ID_MAKE_LINK, &CLeftView::OnUpdateEditCommand)
ON_UPDATE_COMMAND_UI(ID_GOTO_SOURCE, &CLeftView::OnUpdateEditCommand)

// Modes, personal boxes, picking and the tree's messages (LeftViewModes.cpp)
ON_MESSAGE(CLeftView::WM_PICK_BEGIN, &CLeftView::OnPickBegin)
ON_MESSAGE(CLeftView::WM_PICK_END, &CLeftView::OnPickEnd)
ON_MESSAGE(CLeftView::WM_TREE_PRESENT, &CLeftView::OnTreePresent)
ON_MESSAGE(CLeftView::WM_GO_TO_FIELD, &CLeftView::OnGoToField)
ON_COMMAND_RANGE(CLeftView::ID_MODE_MESSAGES, CLeftView::ID_MODE_MESSAGES, &CLeftView::OnModeCommand)
ON_COMMAND_RANGE(CLeftView::ID_MODE_MOBILE, CLeftView::ID_MODE_CONTACTS, &CLeftView::OnModeCommand)
ON_UPDATE_COMMAND_UI(CLeftView::ID_MODE_MESSAGES, &CLeftView::OnUpdateModeCommand)
ON_UPDATE_COMMAND_UI_RANGE(CLeftView::ID_MODE_MOBILE, CLeftView::ID_MODE_CONTACTS,
                           &CLeftView::OnUpdateModeCommand)
ON_COMMAND_RANGE(CLeftView::ID_MODE_BUTTON_CONTACTS, CLeftView::ID_MODE_BUTTON_CONTACTS,
                 &CLeftView::OnModeButton)
ON_COMMAND_RANGE(CLeftView::ID_MODE_BUTTON_MESSAGES, CLeftView::ID_MODE_BUTTON_MOBILE,
                 &CLeftView::OnModeButton)
ON_UPDATE_COMMAND_UI(CLeftView::ID_MODE_BUTTON_CONTACTS, &CLeftView::OnUpdateModeCommand)
ON_UPDATE_COMMAND_UI_RANGE(CLeftView::ID_MODE_BUTTON_MESSAGES, CLeftView::ID_MODE_BUTTON_MOBILE,
                           &CLeftView::OnUpdateModeCommand)
ON_COMMAND(CLeftView::ID_MODE_TOGGLE, &CLeftView::OnModeToggle)
ON_UPDATE_COMMAND_UI(CLeftView::ID_MODE_TOGGLE, &CLeftView::OnUpdateModeCommand)
ON_COMMAND(CLeftView::ID_SHOW_BOXES, &CLeftView::OnShowBoxes)
ON_UPDATE_COMMAND_UI(CLeftView::ID_SHOW_BOXES, &CLeftView::OnUpdateShowBoxes)
ON_COMMAND(CLeftView::ID_SHOW_MESSAGE_COUNTS, &CLeftView::OnShowMessageCounts)
ON_UPDATE_COMMAND_UI(CLeftView::ID_SHOW_MESSAGE_COUNTS, &CLeftView::OnUpdateShowMessageCounts)
ON_UPDATE_COMMAND_UI(CLeftView::ID_REMIND_BIRTHDAYS, &CLeftView::OnUpdateRemindBirthdays)
ON_COMMAND(CLeftView::ID_REMIND_BIRTHDAYS, &CLeftView::OnRemindBirthdays)
ON_COMMAND(CLeftView::ID_SHOW_SELECTION, &CLeftView::OnShowSelectionCommand)
ON_COMMAND(CLeftView::ID_WRITE_SMS, &CLeftView::OnWriteSms)
ON_UPDATE_COMMAND_UI(CLeftView::ID_WRITE_SMS, &CLeftView::OnUpdateWriteSms)
ON_COMMAND(CLeftView::ID_SEND_SMS, &CLeftView::OnSendSms)
ON_UPDATE_COMMAND_UI(CLeftView::ID_SEND_SMS, &CLeftView::OnUpdateSendSms)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDING, &CLeftView::OnItemExpandingChecked)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CLeftView::OnItemExpandedImages)
ON_NOTIFY_REFLECT(NM_DBLCLK, &CLeftView::OnDoubleClick)
ON_NOTIFY_REFLECT(NM_RETURN, &CLeftView::OnReturnKey)
ON_WM_TIMER()
END_MESSAGE_MAP()

CLeftView::CLeftView() {
    m_nViewNameId = 248;
    m_nNewFileNameId = 261;
    m_nNewGroupNameId = 159;
    m_nNewContentNameId = 249;
    m_nFileTypeId = 254;
    m_nCloseFilePromptId = 259;
    m_nFileCountFormatId = 262;
    m_strExtension = "sms";
    m_pGroupClass = RUNTIME_CLASS(_CGroup);
    m_pContentClass = RUNTIME_CLASS(_CPerson);
    m_nTopImage = ImgTop;
    m_nTopSelImage = ImgTopOpen;
    m_nFileImage = ImgFile;
    m_nFileExpandedImage = ImgFileOpen;
    m_nGroupImage = ImgGroup;
    m_nGroupExpandedImage = ImgGroupOpen;
    m_nContentImage = ImgOther;
    m_nContentSelImage = ImgOtherSel;
    m_nGroupViewNumber = ViewPersonList;
    m_nContentViewNumber = ViewForm;
    m_nModuleKind = kModuleKind;
    // A book never saved is marked blue, a saved book with changes red.
    m_crStarNew = RGB(0, 0, 0xFF);
    m_crStarSaved = RGB(0xFF, 0, 0);
    m_bReuseOldestFreedId = TRUE;
    m_nAlwaysRoutedCommand = ID_FIND;
}

BOOL CLeftView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // Asked only whether it has a handler, the tree says none for Shift+Del and mail (the base
    // does so for Del, Ctrl+C and Ctrl+X): the frame greys them unless another view has one.
    if (pHandlerInfo != nullptr && (nID == ID_SEND_MAIL || nID == ID_DELETE_CURRENT))
        return FALSE;
    return CGroupTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CLeftView::ContactImages(int nSex, int& nImage, int& nSelImage) {
    switch (nSex) {
    case 0:
        nImage = ImgFemale;
        nSelImage = ImgFemaleSel;
        break;
    case 1:
        nImage = ImgMale;
        nSelImage = ImgMaleSel;
        break;
    default:
        nImage = ImgOther;
        nSelImage = ImgOtherSel;
        break;
    }
}

void CLeftView::InitView() {
    MakeContactImages(m_imageList, 16);
    // Contacts show their sex; groups and roots keep the shared rule.
    m_groupHelper.m_imageCallback = [this](CObject* pRecord, int kind, int* pImage,
                                           int* pSelImage) {
        if (auto* pPerson = dynamic_cast<_CPerson*>(pRecord)) {
            ContactImages(pPerson->GetInfo().m_personal.nSex, *pImage, *pSelImage);
        } else if (auto* pGroup = dynamic_cast<CGroup*>(pRecord)) {
            *pImage = *pSelImage = pGroup->GetParent() == nullptr ? m_nFileImage : m_nGroupImage;
        } else if (kind == 2) {
            *pImage = m_nContentImage;
            *pSelImage = m_nContentSelImage;
        } else {
            *pImage = *pSelImage = m_nGroupImage;
        }
    };
}

void CLeftView::OnShowAllSubNodes() {
    m_bShowAllSubNodes = !m_bShowAllSubNodes;
    if (CQuillmarBaseDoc* pDoc = GetCurrentDocument())
        pDoc->UpdateAllViews(this, GetItemType(m_hCurrent),
                             m_groupHelper.GetItemObject(m_hCurrent));
}

void CLeftView::OnUpdateShowAllSubNodes(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bShowAllSubNodes ? 1 : 0);
}

CAllFilesGroup::CAllFilesGroup(CLeftView& tree) {
    CString name;
    name.LoadString(154);
    m_group.SetName(name);
    for (int i = 0; i < tree.GetFileCount(); ++i)
        if (CGroup* pRoot = tree.GetRootGroup(tree.GetFileAt(i)->pDoc))
            m_group.AddSubgroup(pRoot, FALSE, nullptr, TRUE, FALSE);
}

CAllFilesGroup::~CAllFilesGroup() {
    // Let go of the books' root groups without deleting them.
    std::vector<CGroup*> roots;
    for (POSITION pos = m_group.GetFirstSubgroupPosition(); pos != nullptr;)
        roots.push_back(m_group.GetNextSubgroup(pos));
    for (CGroup* pRoot : roots)
        m_group.RemoveSubgroup(pRoot, FALSE);
}

void CLeftView::OnUpdateFind(CCmdUI* pCmdUI) {
    int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(GetFileCount() > 0 &&
                   (kind == KindTop || kind == KindGroup || kind == KindFileRoot));
}

void CLeftView::OnFind() {
    if (GetFileCount() == 0)
        return;
    CAllFilesGroup all(*this);
    _CGroup* pGroup = GetItemType(m_hCurrent) == KindTop
                          ? all.Get()
                          : dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent));
    if (pGroup == nullptr)
        return;
    CDlgFindPerson dlg(pGroup, this, &m_strLastLabelText);
    dlg.SetItemImages(&m_imageList, [](CObject* pRecord) {
        int image = ImgGroup, selImage = ImgGroup;
        if (auto* pPerson = dynamic_cast<_CPerson*>(pRecord))
            ContactImages(pPerson->GetInfo().m_personal.nSex, image, selImage);
        return image;
    });
    dlg.DoModal();
}

void CLeftView::OnUpdateNewOrRename(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    const BOOL bGroup = kind == KindGroup || kind == KindFileRoot;
    BOOL bEnable = FALSE;
    switch (pCmdUI->m_nID) {
    case ID_NEW_GROUP:
    case ID_BOOK_NEW_GROUP:
    case ID_BOOK_ADD_GROUP:
        bEnable = bGroup;
        break;
    case ID_BOOK_NEW_CONTACT:
    case ID_BOOK_RENAME:
        bEnable = bGroup || kind == KindContent;
        break;
    case ID_BOOK_CONTACT_BEFORE:
    case ID_BOOK_CONTACT_AFTER:
        bEnable = kind == KindContent;
        break;
    case ID_BOOK_GROUP_BEFORE:
    case ID_BOOK_GROUP_AFTER:
        bEnable = kind == KindGroup;
        break;
    default:
        break;
    }
    pCmdUI->Enable(bEnable);
}

void CLeftView::OnUpdateExport(CCmdUI* pCmdUI) {
    // A personal box that holds messages exports them as cards through the message windows.
    if (_CSmsBox* pBox = GetBoxOfItem(m_hCurrent)) {
        pCmdUI->Enable(pCmdUI->m_nID == ID_EXPORT_CARDS && PersonalBoxActions() != nullptr &&
                       pBox->GetSmsCount() > 0);
        return;
    }
    int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(kind == KindGroup || kind == KindFileRoot ||
                   (kind == KindTop && GetFileCount() > 0));
}

void CLeftView::OnExport(UINT nID) {
    // The current group with what lies below it; a book's root is the whole book, and the top
    // item gathers every open book.
    if (_CSmsBox* pBox = GetBoxOfItem(m_hCurrent)) {
        if (nID == ID_EXPORT_CARDS && PersonalBoxActions() != nullptr && pBox->GetSmsCount() > 0)
            PersonalBoxActions()->ExportCards(pBox, this);
        return;
    }
    CAllFilesGroup all(*this);
    _CGroup* pGroup = nullptr;
    int kind = GetItemType(m_hCurrent);
    if (kind == KindGroup || kind == KindFileRoot)
        pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent));
    else if (GetItemType(m_hCurrent) == KindTop && GetFileCount() > 0)
        pGroup = all.Get();
    if (pGroup == nullptr)
        return;
    CArray<int, int> columns;
    CViewPersonList::GetColumnSettings(columns);
    CPersonFieldSource source;
    ExportGroup(pGroup, nID == ID_EXPORT_CSV ? _CGroup::EXPORT_CSV : _CGroup::EXPORT_CARD_TEXT,
                columns, &source, CPersonFieldSource::kPositions, this);
}

LRESULT CLeftView::OnViewNews(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1 || wParam == 2 || wParam == 12321) // from the group property dialog
        return OnGroupPropertyNews(wParam, lParam);
    if (wParam != CDlgFindPerson::FOUND_ITEM_CODE)
        return OnTreeNews(wParam, lParam);
    auto* pFound = reinterpret_cast<SFindResult*>(lParam);
    auto* pNode = pFound != nullptr ? dynamic_cast<CGroupItem*>(pFound->pItem) : nullptr;
    HTREEITEM hItem = pNode != nullptr ? (HTREEITEM)pNode->GetTreeItem() : nullptr;
    if (hItem != nullptr && Tree().IsValidItem(hItem))
        Tree().SelectItem(hItem);
    return 0;
}

void CLeftView::OnEndLabelEditText(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    if (di->item.pszText != nullptr && di->item.pszText[0] != 0)
        m_strLastLabelText = di->item.pszText;
    OnEndLabelEdit(pNMHDR, pResult);
}

BOOL CLeftView::CanLeaveRightPaneView() {
    CView* pView = m_pRightPane != nullptr ? m_pRightPane->GetCurrentView() : nullptr;
    return pView == nullptr || pView->GetSafeHwnd() == nullptr ||
           pView->SendMessage(WM_QUERY_KEEP_VIEW) == 0;
}

void CLeftView::OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    *pResult = 0;
    // Closing the window always lets the selection go.
    if (m_bClosing)
        return;
    if (!CanLeaveGroupDialog() || !CanLeaveRightPaneView() || !UnlockItem(nm->itemNew.hItem))
        *pResult = 1;
}

CGroup* CLeftView::GetRootGroup(CQuillmarBaseDoc* pDoc) {
    auto* pSms = dynamic_cast<CSmsDoc*>(pDoc);
    return pSms != nullptr ? &pSms->GetRootGroup() : nullptr;
}

CGroup* CLeftView::CreateGroupFor(CObject*) {
    return new _CGroup;
}

CQuillmarBaseDoc* CLeftView::OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) {
    int before = GetFileCount();
    CQuillmarBaseDoc* pDoc = CGroupTreeView::OpenFile(lpszPath, bCreateNew);
    // Only the books opened now need their birthday indexes; one already open has them.
    for (int i = before; i < GetFileCount(); ++i)
        if (auto* pSms = dynamic_cast<CSmsDoc*>(GetFileAt(i)->pDoc))
            pSms->RebuildBirthdayMaps();
    return pDoc;
}

_CPerson* CLeftView::FindContactByNumber(LPCTSTR lpszNumber) {
    for (int i = 0; i < GetFileCount(); ++i)
        if (auto* pSms = dynamic_cast<CSmsDoc*>(GetFileAt(i)->pDoc))
            if (_CPerson* pFound = pSms->GetRootGroup().FindPersonByMobile(lpszNumber))
                return pFound;
    return nullptr;
}

// ---- Pictures -------------------------------------------------------------------------------

namespace {

void DrawBook(QPainter& p, int x, int f, QColor cover, bool open) {
    p.setPen(QPen(QColor(60, 60, 60), f));
    p.setBrush(cover);
    if (open) {
        p.drawRect(x + 1 * f, 4 * f, 7 * f, 10 * f);
        p.drawRect(x + 8 * f, 4 * f, 7 * f, 10 * f);
    } else {
        p.drawRect(x + 3 * f, 2 * f, 10 * f, 12 * f);
        p.setBrush(Qt::white);
        p.drawRect(x + 5 * f, 4 * f, 6 * f, 3 * f);
    }
}

void DrawFolder(QPainter& p, int x, int f, bool open) {
    p.setPen(QPen(QColor(120, 90, 20), f));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(x + 1 * f, 5 * f, 14 * f, 9 * f);
    p.drawRect(x + 1 * f, 3 * f, 6 * f, 2 * f);
    if (open) {
        p.setBrush(QColor(250, 225, 130));
        QPolygon flap;
        flap << QPoint(x + 3 * f, 8 * f) << QPoint(x + 15 * f, 8 * f) << QPoint(x + 13 * f, 14 * f)
             << QPoint(x + 1 * f, 14 * f);
        p.drawPolygon(flap);
    }
}

void DrawPerson(QPainter& p, int x, int f, QColor body, bool selected) {
    if (selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 240, 150));
        p.drawEllipse(x, 0, 16 * f, 16 * f);
    }
    p.setPen(QPen(QColor(50, 50, 50), f));
    p.setBrush(QColor(250, 215, 170));
    p.drawEllipse(x + 5 * f, 1 * f, 6 * f, 6 * f);
    p.setBrush(body);
    p.drawRoundedRect(x + 3 * f, 8 * f, 10 * f, 7 * f, 3 * f, 3 * f);
}

void DrawBox(QPainter& p, int x, int f, QColor colour) {
    p.setPen(QPen(QColor(50, 50, 50), f));
    p.setBrush(colour);
    p.drawRect(x + 1 * f, 4 * f, 14 * f, 9 * f);
    p.drawLine(x + 1 * f, 4 * f, x + 8 * f, 9 * f);
    p.drawLine(x + 15 * f, 4 * f, x + 8 * f, 9 * f);
}

} // namespace

void MakeContactImages(CImageList& list, int size) {
    const int f = size / 16 > 0 ? size / 16 : 1;
    QImage strip(size * CLeftView::ImgCount, size, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto at = [size](int index) { return index * size; };
    const QColor male(70, 120, 220), female(220, 90, 140), other(120, 160, 120);
    for (int i = 0; i < CLeftView::ImgCount; ++i) {
        int x = at(i);
        switch (i) {
        case CLeftView::ImgTop:
            DrawBook(p, x, f, QColor(40, 90, 200), false);
            break;
        case CLeftView::ImgTopOpen:
            DrawBook(p, x, f, QColor(40, 90, 200), true);
            break;
        case CLeftView::ImgFile:
            DrawBook(p, x, f, QColor(200, 60, 50), false);
            break;
        case CLeftView::ImgFileOpen:
            DrawBook(p, x, f, QColor(200, 60, 50), true);
            break;
        case CLeftView::ImgGroup:
            DrawFolder(p, x, f, false);
            break;
        case CLeftView::ImgGroupOpen:
            DrawFolder(p, x, f, true);
            break;
        case CLeftView::ImgMale:
        case CLeftView::ImgMaleSel:
            DrawPerson(p, x, f, male, i == CLeftView::ImgMaleSel);
            break;
        case CLeftView::ImgFemale:
        case CLeftView::ImgFemaleSel:
            DrawPerson(p, x, f, female, i == CLeftView::ImgFemaleSel);
            break;
        case CLeftView::ImgOther:
        case CLeftView::ImgOtherSel:
            DrawPerson(p, x, f, other, i == CLeftView::ImgOtherSel);
            break;
        case CLeftView::ImgBoxFirst:
        case CLeftView::ImgBoxFirst + 1:
        case CLeftView::ImgBoxFirst + 2:
        case CLeftView::ImgBoxFirst + 3: {
            const QColor boxes[] = {QColor(250, 250, 250), QColor(250, 230, 160),
                                    QColor(180, 230, 180), QColor(200, 200, 200)};
            DrawBox(p, x, f, boxes[i - CLeftView::ImgBoxFirst]);
            break;
        }
        case CLeftView::ImgLock:
            p.setPen(QPen(QColor(200, 0, 0), 2 * f));
            p.setBrush(Qt::NoBrush);
            p.drawRect(x + 8 * f, 9 * f, 6 * f, 5 * f);
            p.drawArc(x + 8 * f, 5 * f, 6 * f, 8 * f, 0, 180 * 16);
            break;
        case CLeftView::ImgKey:
            p.setPen(QPen(QColor(0, 130, 0), 2 * f));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(x + 8 * f, 8 * f, 4 * f, 4 * f);
            p.drawLine(x + 12 * f, 10 * f, x + 15 * f, 10 * f);
            break;
        case CLeftView::ImgCurrent:
            p.setPen(QPen(QColor(0, 140, 0), 2 * f));
            p.drawLine(x + 9 * f, 12 * f, x + 11 * f, 14 * f);
            p.drawLine(x + 11 * f, 14 * f, x + 15 * f, 9 * f);
            break;
        case CLeftView::ImgLink:
            p.setPen(QPen(QColor(30, 30, 30), f));
            p.setBrush(Qt::white);
            p.drawRect(x + 1 * f, 10 * f, 5 * f, 5 * f);
            p.drawLine(x + 2 * f, 14 * f, x + 5 * f, 11 * f);
            p.drawLine(x + 3 * f, 11 * f, x + 5 * f, 11 * f);
            p.drawLine(x + 5 * f, 11 * f, x + 5 * f, 13 * f);
            break;
        default:
            break; // unused places keep the numbering
        }
    }
    p.end();
    CBitmap bmp;
    bmp.AttachImageData(strip);
    list.DeleteImageList();
    list.Create(size, size, ILC_COLOR32 | ILC_MASK, CLeftView::ImgCount, 0);
    list.Add(&bmp, RGB(255, 0, 255));
    list.SetOverlayImage(CLeftView::ImgLock, 1);
    list.SetOverlayImage(CLeftView::ImgKey, 2);
    list.SetOverlayImage(CLeftView::ImgCurrent, 3);
    list.SetOverlayImage(CLeftView::ImgLink, 5);
}
