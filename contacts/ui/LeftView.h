// The address-book tree on the left of the main window: every open address book (".sms") as one
// root under a single top item, with its groups and contacts below. It opens, creates, saves and
// closes the books, picks the right-pane view of the current item and keeps the window caption.
#pragma once

#include "calendar/CalendarExtInfo.h"
#include "contacts/SmsDoc.h"
#include "ui/GroupTreeView.h"

class _CPerson;

class CLeftView : public CGroupTreeView, public CCalendarExtInfo {
    DECLARE_DYNCREATE(CLeftView)
public:
    // The right-pane views of a book: the contact form and the group's contact list.
    enum {
        ViewSplitter = 1,
        ViewForm = 2,
        ViewPersonList = 3,
        ViewPerson = 4,
        ViewGroup = 5,
        ViewInvalidVirtual = 6
    };
    // Images of the contacts set (normal / selected or expanded) and the overlays they carry.
    enum {
        ImgTop = 1,
        ImgTopOpen = 3,
        ImgMale = 4,
        ImgFemale = 5,
        ImgFile = 10,
        ImgFileOpen = 11,
        ImgBoxFirst = 13,
        ImgGroup = 17,
        ImgGroupOpen = 18,
        ImgMaleSel = 19,
        ImgOther = 20,
        ImgFemaleSel = 21,
        ImgOtherSel = 22,
        ImgLock = 23,
        ImgKey = 24,
        ImgCurrent = 25,
        ImgLink = 26,
        ImgCount = 27
    };
    // The module kind under which the right pane keeps the books' views.
    static constexpr int kModuleKind = 0;

    CLeftView();

    // A book's document (null for the top item or no item).
    CSmsDoc* GetSmsDoc(HTREEITEM hItem) { return static_cast<CSmsDoc*>(GetItemDocument(hItem)); }
    // Per open book in order, its path (bPaths) or its root group's name; answers the count.
    int ListOpenFiles(CStringList& list, BOOL bPaths) { return GetOpenFiles(list, bPaths); }
    // The first contact of the open books, in order, with the mobile number.
    _CPerson* FindContactByNumber(LPCTSTR lpszNumber);
    // The normal and selected image of a contact by its sex code.
    static void ContactImages(int nSex, int& nImage, int& nSelImage);

    CQuillmarBaseDoc* OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) override;
    void InitView() override;
    CQuillmarBaseDoc* CreateDocument() override { return new CSmsDoc; }
    CGroup* GetRootGroup(CQuillmarBaseDoc* pDoc) override;
    CGroup* CreateGroupFor(CObject*) override;
    BOOL ShouldResortAfterEdit(CQuillmarBaseDoc*) override { return TRUE; }
    // The commands that act on a selection in the tree or in the view beside it (Del, Ctrl+C,
    // Ctrl+X, Shift+Del, mail): the tree says it has no handler for them when only asked, so
    // that the frame keeps them enabled for the other views.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Command: find contacts and groups in the current group, or in every open book.
    static constexpr UINT ID_FIND = 57636;
    // Commands: export the current book, or every open book, as CSV or as card text.
    static constexpr UINT ID_EXPORT_CSV = 329, ID_EXPORT_CARDS = 330;
    // Commands of the book menus: a new contact or group edited in place (32779 from the tree's
    // own menu), renaming the current contact or group, and new ones before or after the
    // current contact or group. The shared new-group command (456) acts as 32777.
    static constexpr UINT ID_BOOK_NEW_CONTACT = 32776, ID_BOOK_NEW_GROUP = 32777,
                          ID_BOOK_ADD_GROUP = 32779, ID_BOOK_RENAME = 32841,
                          ID_BOOK_CONTACT_BEFORE = 1546, ID_BOOK_CONTACT_AFTER = 1547,
                          ID_BOOK_GROUP_BEFORE = 1548, ID_BOOK_GROUP_AFTER = 1549;
    // The text last given to a label, proposed to the find dialog.
    CString m_strLastLabelText;

    // Command: the group lists show the contacts of every group below as well.
    static constexpr UINT ID_SHOW_ALL_SUBNODES = 484;
    BOOL IsShowAllSubNodes() const { return m_bShowAllSubNodes; }

    // Asked of the right pane's view before the selection leaves it; non-zero keeps it there.
    static constexpr UINT WM_QUERY_KEEP_VIEW = 0x452;

    // Context menus, field actions and the main menu's book commands (LeftViewMenu.cpp)
    // The context menus: the top item's, a contact's and a group's or book's, found by name.
    static constexpr UINT IDR_TREE_MENU = 306;
    // Commands of the context menus and the address-book menu.
    static constexpr UINT ID_SEND_MAIL = 345, ID_GROUP_MAIL = 431, ID_MAIL_ALL = 485,
                          ID_OPEN_ALL_PAGES = 486, ID_COLLAPSE_BOOKS = 385,
                          ID_SHOW_GROUP_COUNTS = 379, ID_ALLOW_RENAME = 489,
                          ID_GROUP_PROPERTIES = 32848, ID_QUICK_VIEW = 470,
                          ID_RESORT_SUBGROUPS = 1558, ID_RESORT_GROUP_CONTACTS = 1559;
    // A value entry of a context menu: its field's base plus the value's index.
    static constexpr UINT ID_VALUE_FIRST = 0x10000, ID_VALUE_LAST = 0x2FFFFF;
    // The field (a group's property for bGroup) and value index of a value entry's id; FALSE for
    // an id that is no value entry of that kind of item.
    static BOOL DecodeValueCommand(UINT nID, BOOL bGroup, int& nField, int& nIndex);
    // Runs value entry nID of the item's contact (its source when virtual) or group; with
    // bQuoted a mail carries the name. FALSE when nothing was handed to the desktop.
    BOOL RunValueCommand(HTREEITEM hItem, UINT nID, BOOL bQuoted);
    // One mail to every address of the item's contact (fields 13 and 38) or group, each as
    // "\"name\"<address>" with bQuoted; the failure message tells the desktop's error number.
    BOOL MailAllAddresses(HTREEITEM hItem, BOOL bQuoted);
    // Opens every home page of the item's contact (fields 14 and 39) or group; answers how many.
    int OpenAllPages(HTREEITEM hItem);
    // The mail recommending the program to the group's members, then the thanks.
    BOOL MailGroupRecommendation(HTREEITEM hItem);
    // The text the quick view shows for a contact (its source's for a virtual contact).
    CString QuickViewText(HTREEITEM hItem);
    // Whether labels may be edited by clicking them; shared by the trees of the process, each
    // starting from the value the last one left.
    BOOL IsRenameAllowed() const { return m_bAllowRename; }
    static BOOL& SharedAllowRename();
    ~CLeftView() override;
    void ShowItemMenu(HTREEITEM hItem, CPoint point) override;
    // The group property dialog's reports: OK or Apply store its changes, closing forgets it.
    LRESULT OnGroupPropertyNews(WPARAM wParam, LPARAM lParam);
    // A book that closes takes its groups along: the dialog lets go of them first.
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    class CDlgGroupProperty* GetGroupDialog() const {
        return m_pGroupDialog;
    }

    // Editing: cut and paste, imports, links, merges and drops (LeftViewEdit.cpp)
    // Commands: the current contact saved as a card; cards or a CSV file imported into the
    // current group; where to find the separate import tool; a link to the current contact in
    // its own group; a link's source selected; deleting the current item (also from the tree's
    // own menu).
    static constexpr UINT ID_EXPORT_CARD = 499, ID_IMPORT_CSV = 397, ID_IMPORT_CARDS = 1503,
                          ID_IMPORT_MORE = 471, ID_MAKE_LINK = 488, ID_GOTO_SOURCE = 493,
                          ID_DELETE_CURRENT = 32778, ID_TREE_DELETE = 32790;
    // What a drop of one item onto another does.
    enum DropAction { DropNone, DropCopy, DropMove, DropLink, DropMerge };
    // While set, a field merge by drop takes the last accepted choice without asking.
    static BOOL s_bMergeWithoutAsking;

    // Imports a contact card into the current group (the first book's root group when no book
    // item is current). Answers the book it went into, null when nothing came in.
    CQuillmarBaseDoc* AddContactFromFile(LPCTSTR lpszPath);
    // The action the keys (DRAG_KEY_*) choose for the drop, DropNone when it is refused.
    DropAction GetDropAction(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags);
    BOOL DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags, BOOL bTest, BOOL bHasNext,
                DRAGSTATE* pState) override;
    void CopyToClipboard(BOOL bCopy) override;
    // A link's item carries the link overlay.
    void OnContentItemBuilt(HTREEITEM hItem, CContent* pContent) override;
    // The field choice of the last accepted merge: one mask per field group and the mode.
    const DWORD* GetMergeMasks() const { return m_mergeMasks; }
    int GetMergeScheme() const { return m_nMergeScheme; }

    // Modes, personal boxes, picking and the tree's messages (LeftViewModes.cpp)
    // Item kinds as the views of a book read them (the update hints): a personal message box is
    // 9 + its box kind (0 inbox, 1 outbox, 2 sent, 3 recycle); 8 to 14 all count as boxes.
    enum { ItemContact = 1, ItemGroup = 2, ItemFileRoot = 3, ItemTop = 6, ItemBoxFirst = 9 };
    static BOOL IsBoxKind(int nKind) { return nKind >= 8 && nKind <= 14; }
    int GetItemKind(HTREEITEM hItem);
    // The tree's own kinds, with the personal boxes told apart from the contacts.
    int GetItemType(HTREEITEM hItem) override;

    // Tree modes: managing contacts, contacts with their messages, the mobile-messaging mode.
    enum { ModeContacts = 1, ModeMessages = 3, ModeMobile = 4 };
    void SetMode(int nMode);
    int GetMode() const { return m_nMode; }
    int GetPreviousMode() const { return m_nPreviousMode; }
    // View modes: normal, and picking contacts for another pane (the right pane stays, labels
    // are not edited and nothing is dropped). Answers the mode before.
    enum { ViewModeNormal = 0, ViewModePicking = 2 };
    int SetViewMode(int nMode);
    int GetViewMode() const { return m_nViewMode; }
    // What the right pane was last asked to show.
    enum {
        ShownDefault = 1,
        ShownGroupList = 2,
        ShownForm = 3,
        ShownPicking = 4,
        ShownMessageGroup = 5,
        ShownMessageContact = 6
    };
    int GetShownKind() const { return m_nShownKind; }
    BOOL IsShowingMessageCounts() const { return m_bShowMessageCounts; }

    // Shows (one item per sub-box of the contact's message box) or hides the personal boxes
    // below a contact's item; bMark sets or clears the contact's boxes-shown mark.
    void ShowPersonBoxes(HTREEITEM hItem, BOOL bShow, BOOL bMark);
    // The personal box the current book's document holds as current, or null.
    _CSmsBox* GetCurrentBox();
    // Picks the right-pane view of the item and tells the document its current contact and box.
    void OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) override;
    void SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) override;
    // A personal box's caption text: its owner's, then the box's name in braces.
    BOOL GetCaptionText(CObject* pRecord, CString& text) override;
    void DrawItemExtras(CDC* pDC, HTREEITEM hItem) override;
    // The birthday entries of the day over every open book (with bStopAtFirst: 1 as soon as
    // one book has any). Answers the number of entries.
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bStopAtFirst) override;
    // The birthday reminder over the item's group, or over every open book for the top item or
    // no item (nothing when no book is open); bAutoOpened: opened at start-up.
    void RemindBirthdays(HTREEITEM hItem, BOOL bAutoOpened);
    // Whether the selection may leave the group shown in the group property dialog (asks 264
    // when it holds unsaved changes).
    BOOL CanLeaveGroupDialog();
    // A contact's item was built anew (moved, re-sorted, pasted): in the messages mode it gets
    // its boxes back when they were shown.
    void KeepBoxesShown(HTREEITEM hItem, CContent* pContent);
    // A cut contact puts its boxes away for good; a cut group or book root puts away every
    // contact's boxes in the open books.
    void OnGroupCut(CObject* pRecord) override;
    // A moved contact (or every contact of a moved group) hides its boxes; they come back on
    // the new item (KeepBoxesShown).
    void OnBeforeMove(HTREEITEM hSource, HTREEITEM hTarget) override;

    // Commands.
    static constexpr UINT ID_MODE_MESSAGES = 32772, ID_MODE_MOBILE = 32838,
                          ID_MODE_CONTACTS = 32839, ID_MODE_BUTTON_CONTACTS = 32773,
                          ID_MODE_BUTTON_MESSAGES = 32804, ID_MODE_BUTTON_MOBILE = 32805,
                          ID_MODE_TOGGLE = 32801, ID_SHOW_BOXES = 312,
                          ID_SHOW_MESSAGE_COUNTS = 380, ID_REMIND_BIRTHDAYS = 494,
                          ID_SHOW_SELECTION = 32849, ID_WRITE_SMS = 32807;
    // One message to a contact (364) is written in the message windows, which set the handler
    // when they join the program: it answers 0 when cancelled, 1 when the message went into the
    // contact's box, 2 into the sender's.
    static constexpr UINT ID_SEND_SMS = 364;
    using SmsToContactHandler = int (*)(_CPerson* pPerson, CDocument* pDoc);
    static SmsToContactHandler& SmsToContact();
    // Writes to the contact (its source when virtual) through the handler; refreshes the caption
    // and, when a personal outbox or sent box is shown, the box. Answers the handler's result.
    int SendSmsToContact(_CPerson* pPerson);
    // A personal box's statistics (368), card export (330), paste of the program's message
    // clipboard (57637) and the rows of a message list dropped on it (WM_USER+30, kind 1) are
    // carried out by the message windows, which set the actions when they join the program.
    static constexpr UINT ID_BOX_STATISTICS = 368;
    class CIPersonalBoxActions {
    public:
        virtual ~CIPersonalBoxActions() = default;
        virtual void ShowStatistics(_CSmsBox* pBox, CWnd* pParent) = 0;
        virtual void ExportCards(_CSmsBox* pBox, CWnd* pParent) = 0;
        // Whether the clipboard holds messages; moving them into the box answers whether any came.
        virtual BOOL CanPasteMessages() = 0;
        virtual BOOL PasteMessages(_CSmsBox* pBox) = 0;
        // A drop record of kind 1 on the box: whether it may go (a test) or went.
        virtual BOOL DropMessages(GROUPDROPQUERY& query, _CSmsBox* pBox) = 0;
    };
    static CIPersonalBoxActions*& PersonalBoxActions();
    // The personal box of an item, or null.
    _CSmsBox* GetBoxOfItem(HTREEITEM hItem);
    // Messages.
    static constexpr UINT WM_PICK_BEGIN = 0x450, WM_PICK_END = 0x451, WM_TREE_PRESENT = 0x437,
                          WM_GO_TO_FIELD = 0x591;
    // The field of a contact that is never gone to (its modification time).
    static constexpr int kUnreachableField = 45;

protected:
    // Context menus, field actions and the main menu's book commands (LeftViewMenu.cpp)
    BOOL m_bAllowRename = SharedAllowRename();
    // The contact whose values the item offers: the contact, or a virtual contact's source (null
    // when the source is gone).
    _CPerson* ValueContact(HTREEITEM hItem);
    void FillValueMenus(CMenu& popup, HTREEITEM hItem);
    // The values of two fields of the item's contact, or of a property of its group, and the
    // name they belong to.
    void ValuesOfItem(HTREEITEM hItem, int nField, int nWorkField, int nProperty,
                      CStringArray& values, CString& strName);
    void OnSendMail();
    void OnUpdateSendMail(CCmdUI* pCmdUI);
    void OnGroupMail();
    void OnMailAll();
    void OnOpenAllPages();
    void OnUpdateGroupOnly(CCmdUI* pCmdUI);
    void OnUpdateContactOnly(CCmdUI* pCmdUI);
    void OnUpdateGroupOrRoot(CCmdUI* pCmdUI);
    void OnCollapseBooks();
    void OnUpdateCollapseBooks(CCmdUI* pCmdUI);
    void OnUpdateShowGroupCounts(CCmdUI* pCmdUI);
    void OnAllowRename();
    void OnUpdateAllowRename(CCmdUI* pCmdUI);
    void OnQuickView();
    void OnBeginLabelEditGate(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnInitTreeMenuPopup(WPARAM wParam, LPARAM lParam);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
    // The modeless group property dialog (null before the first opening); it follows the
    // selection while it is open.
    class CDlgGroupProperty* m_pGroupDialog = nullptr;
    BOOL IsGroupDialogOpen() const;
    void OnGroupProperties();
    void OnUpdateGroupProperties(CCmdUI* pCmdUI);
    void OnSelChangedFollow(NMHDR* pNMHDR, LRESULT* pResult);
    // Stores the dialog's changes into its group and rebuilds the group's item.
    void ApplyGroupDialog();

    // Editing: cut and paste, imports, links, merges and drops (LeftViewEdit.cpp)
    DWORD m_mergeMasks[5] = {};
    int m_nMergeScheme = 1;
    // The merge choice of the drop pass under way: 0 not asked yet, 1 accepted, -1 cancelled.
    int m_nMergePass = 0;
    // Set while a book's root moves into a group: its records follow it whatever they are.
    BOOL m_bMovingRoot = FALSE;

    BOOL OnDeleteCurrent(UINT nID);
    void OnUpdateDeleteCurrent(CCmdUI* pCmdUI);
    void OnExportCard();
    void OnImportCsv();
    void OnImportCards();
    void OnImportMore();
    void OnMakeLink();
    void OnGotoSource();
    void OnUpdateEditCommand(CCmdUI* pCmdUI);
    // The contact of an item (null for any other record).
    _CPerson* GetPersonOfItem(HTREEITEM hItem);
    BOOL BaseDropRule(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags);
    BOOL CanLinkInto(HTREEITEM hSource, HTREEITEM hTarget);
    BOOL LinkInto(HTREEITEM hSource, HTREEITEM hTarget);
    BOOL MergeDrop(HTREEITEM hSource, HTREEITEM hTarget);
    // Gives every record of the group below it that has no item yet its item (after an import).
    void AddMissingItems(CGroup* pGroup);
    // Marks the book modified, shows the selection again and says how many contacts came in.
    void AfterImport(CQuillmarBaseDoc* pDoc, int nCount);

    // Modes, personal boxes, picking and the tree's messages (LeftViewModes.cpp)
    int m_nMode = ModeContacts;
    int m_nPreviousMode = ModeMessages;
    int m_nViewMode = ViewModeNormal;
    int m_nShownKind = ShownDefault;
    BOOL m_bShowMessageCounts = TRUE;
    // The contact carrying the selection overlay.
    HTREEITEM m_hMarkedContact = nullptr;
    int m_nTimerTicks = 0;
    BOOL m_bTimerRunning = FALSE;

    // The view number, shown-object kind and current contact and box of an item in this mode.
    struct SShownChoice {
        int nView = 0;
        int nShownKind = 0;
        CObject* pCurrent = nullptr;
        _CSmsBox* pBox = nullptr;
    };
    SShownChoice ChooseShown(HTREEITEM hItem);
    // Every contact marked as showing its boxes gets its box items (bShow) or loses them.
    void ShowMarkedBoxes(CGroup* pGroup, BOOL bShow);
    // Every contact below the group hides its boxes and loses its boxes-shown mark.
    void ForgetShownBoxes(CGroup* pGroup);
    void MoveSelectionOverlay(HTREEITEM hItem);
    void EnableNavigationPages(BOOL bEnable);
    void SendToMainFrame(WPARAM wParam, LPARAM lParam);
    // 0x465 from the views (100, 102, 104, 300).
    LRESULT OnTreeNews(WPARAM wParam, LPARAM lParam);
    LRESULT OnPickBegin(WPARAM wParam, LPARAM lParam);
    LRESULT OnPickEnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnTreePresent(WPARAM wParam, LPARAM lParam);
    LRESULT OnGoToField(WPARAM wParam, LPARAM lParam);
    void OnModeCommand(UINT nID);
    void OnUpdateModeCommand(CCmdUI* pCmdUI);
    void OnModeButton(UINT nID);
    void OnModeToggle();
    void OnShowBoxes();
    void OnUpdateShowBoxes(CCmdUI* pCmdUI);
    void OnShowMessageCounts();
    void OnUpdateShowMessageCounts(CCmdUI* pCmdUI);
    void OnUpdateRemindBirthdays(CCmdUI* pCmdUI);
    void OnRemindBirthdays();
    void OnShowSelectionCommand();
    // The personal box commands and the drop of a message list's rows (LeftViewModes.cpp).
    void OnBoxStatistics();
    void OnUpdateBoxStatistics(CCmdUI* pCmdUI);
    void OnPasteMessages();
    void OnUpdatePasteMessages(CCmdUI* pCmdUI);
    LRESULT OnDropQueryKinds(WPARAM wParam, LPARAM lParam);
    // A new message to the current contact in the right pane's compose form.
    void OnWriteSms();
    void OnUpdateWriteSms(CCmdUI* pCmdUI);
    void OnSendSms();
    void OnUpdateSendSms(CCmdUI* pCmdUI);
    void OnItemExpandingChecked(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpandedImages(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDoubleClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReturnKey(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTimer(UINT_PTR nIDEvent);

    BOOL m_bShowAllSubNodes = FALSE;

    void OnShowAllSubNodes();
    void OnFind();
    void OnExport(UINT nID);
    void OnUpdateExport(CCmdUI* pCmdUI);
    void OnUpdateNewOrRename(CCmdUI* pCmdUI);
    void OnUpdateFind(CCmdUI* pCmdUI);
    // The busy and idle news of the pane's views; a found record (105) is selected.
    LRESULT OnViewNews(WPARAM wParam, LPARAM lParam);
    void OnUpdateShowAllSubNodes(CCmdUI* pCmdUI);
    // FALSE while the right pane's view refuses to be left (it holds unsaved edits).
    BOOL CanLeaveRightPaneView();
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    // Keeps the text a label edit ended with, then lets the shared handling run.
    void OnEndLabelEditText(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

// A group named 所有文件 listing the root group of every open book for as long as it lives,
// without becoming their parent or owner: the books keep their root groups when it goes.
class CAllFilesGroup {
public:
    explicit CAllFilesGroup(CLeftView& tree);
    ~CAllFilesGroup();
    CAllFilesGroup(const CAllFilesGroup&) = delete;
    CAllFilesGroup& operator=(const CAllFilesGroup&) = delete;
    _CGroup* Get() { return &m_group; }

private:
    _CGroup m_group;
};

// Fills the list with the drawn pictures of the contacts set (ImgCount images of size pixels)
// and binds the lock, key, current and link overlays (1, 2, 3 and 5).
void MakeContactImages(CImageList& list, int size);
