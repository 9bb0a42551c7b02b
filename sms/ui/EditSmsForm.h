// The form in which the user writes one short message: to a single recipient typed as
// "name<number>", or to a batch list filled from the address book, the number generator, the
// name-and-number dialog or a file. It checks the text against the chosen limit, files the
// message in the outbox of the current box's owner as a draft or pending, and sends it at once
// on request. In mail mode it hands the batch list's e-mail addresses to the desktop's mail
// program instead.
#pragma once

#include "contacts/NumberSet.h"
#include "core/NameCodeString.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"
#include "platform/gui/FormView.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/ToolTipCtrl.h"
#include "ui/KovRichEditCtrl.h"
#include "ui/RightPaneView.h"

#include <string>
#include <unordered_set>
#include <vector>

class CDlgEditNameCode;
class CQuillmarBaseDoc;
class _CGroup;
class _CPerson;
class _CSender;
class _CSms;
class _CSmsBox;

class CEditSmsForm : public CFormView,
                     public CIRightPaneView,
                     public CIComposeView,
                     public CINumberPicker,
                     public CIRecordDropTarget {
    DECLARE_DYNCREATE(CEditSmsForm)
public:
    enum { IDD = 105 };
    // Modes the right pane sets before starting: a new message or the document's current one,
    // and mail mode.
    enum { ModeNew = 0, ModeEditExisting = 1, ModeMail = 2 };
    // Commands.
    enum : UINT {
        ID_SEND = 32813,
        ID_SAVE_PENDING = 32823,
        ID_SAVE_DRAFT = 32824,
        ID_EXPORT_RECIPIENTS = 1540,
        ID_IMPORT_RECIPIENTS = 1541,
        ID_CONFIRM = 32821,
        ID_DISCARD = 32822,
        ID_SEND_MAIL = 345,
        ID_RELOAD = 32793
    };
    // Controls.
    enum : UINT {
        IDC_SINGLE = 1028,
        IDC_SINGLE_BUTTON = 1076,
        IDC_MAIL_INFO = 1144,
        IDC_GENERATOR = 1021,
        IDC_ROW_COUNT = 1072,
        IDC_BATCH = 1069,
        IDC_SENDER = 1025,
        IDC_SUBJECT = 1074,
        IDC_TYPE = 1088,
        IDC_RADIO_SINGLE = 1070,
        IDC_RADIO_BATCH = 1071,
        IDC_DATE = 1006,
        IDC_LIMIT = 1137,
        IDC_MESSAGES = 1007,
        IDC_MESSAGES_SPIN = 1142,
        IDC_CODING_CHINESE = 1138,
        IDC_CODING_ENGLISH = 1139,
        IDC_OPTIONS = 1203,
        IDC_TEXT = 1027,
        IDC_PHRASES = 1106,
        IDC_HANDS_FREE = 1173,
        IDC_CURRENT = 1075,
        IDC_ALLOWED = 1077,
        IDC_PARTS = 1078,
        IDC_OVER_LIMIT = 1079,
        IDC_PARTS_LEAD = 1080,
        IDC_PARTS_TAIL = 1081,
        IDC_OPT_DUPLICATES = 1024,
        IDC_OPT_ILLEGAL = 1029,
        IDC_OPT_EMPTY = 1030,
        IDC_OPT_EMAIL = 1026
    };
    // Messages: insert a text into the message (lParam the text), the document changed, writing
    // ended; the picking of the address-book tree begins and ends.
    static constexpr UINT WM_INSERT_TEXT = 0x446, WM_DOC_CHANGED = 0x434;
    static constexpr UINT WM_WRITING_ENDED = 0x400 + 81, WM_PICK_BEGIN = 0x450, WM_PICK_END = 0x451;
    // Results of AddRecipient.
    enum { AddEmpty = -1, AddDuplicate = -2, AddIllegal = -3 };

    CEditSmsForm();
    ~CEditSmsForm() override;

    // ---- Joining the right pane.
    void SetNotifyWnd(CWnd* pWnd) override { m_pNotifyWnd = pWnd; }
    BOOL TakeDocument(CDocument* pDoc) override;
    void SetComposeMode(int nMode) override;
    // lStart: a CObList of contacts for the batch list, or 0.
    void StartCompose(LPARAM lStart, int nOption) override;
    void SetReturnWnd(CWnd* pWnd) override { m_pReturnWnd = pWnd; }
    // ---- The generator's numbers: each becomes a row without a name.
    void OnNumbersPicked(LPCTSTR lpszNumber) override;

    // Starts writing: the document's current message when editing one, else a new message; the
    // contacts join the batch list.
    void StartEdit(const CObList* pContacts, BOOL bMailMode);
    // Turns the form just started into an answer to messages of a list: loaded from pLoad (a
    // message sent again), or with the recipients (one name and number each), the kind and, when
    // given, the text (a reply, a forward). Saving makes a new message either way.
    void StartAnswer(const _CSms* pLoad, const CStringArray& names, const CStringArray& codes,
                     int nKind, LPCTSTR lpszText);
    CQuillmarBaseDoc* GetDoc() const { return m_pDoc; }
    BOOL IsMailMode() const { return m_bMailMode; }
    BOOL IsWriting() const { return m_bPicking; }

    // ---- The batch list.
    // Appends a row after the enabled checks (empty, illegal, duplicate number); answers the row
    // or the negative reason, with the reason shown when bShowMessages.
    int AddRecipient(LPCTSTR lpszName, LPCTSTR lpszNumber, BOOL bShowMessages);
    // A contact (a link as its source): its number for the message type, picture and e-mail.
    int AddPersonRecipient(_CPerson* pPerson, BOOL bShowMessages);
    // Every contact of the group (and its sub-groups when recursive); the refused ones are
    // appended to the list as "name<number>".
    void AddGroupRecipients(_CGroup* pGroup, BOOL bRecursive, CStringList& refused);
    // A contact or group dropped at the point (client coordinates): on the single recipient it
    // becomes the recipient (a group joins the list), on the list it joins it; bAdd takes a
    // group's sub-groups too. FALSE when the point lies elsewhere (with bTest nothing is added).
    // Refused contacts are reported in one message.
    BOOL DropRecord(CObject* pRecord, CPoint point, BOOL bAdd, BOOL bTest = FALSE) override;
    CListCtrl& GetBatchList() { return m_batchList; }
    // The tips of the recipient controls (the single recipient, its button, the generator and
    // the batch list).
    CToolTipCtrl& GetToolTips() { return m_tips; }
    int GetRowCount() const { return m_batchList.GetItemCount(); }
    // The e-mail addresses of the rows, each "\"name\"<address>" when names go with them, joined
    // by ";", encoded for a mail link.
    CString GetMailAddressList();

    // ---- Options (0 off, 1 on).
    enum { OptDuplicates = 0, OptIllegal = 1, OptEmpty = 2, OptEmail = 3, OptNames = 4 };
    void SetOption(int nOption, BOOL bOn);
    BOOL GetOption(int nOption) const;

    // ---- Counting and saving.
    void UpdateCounts();
    // The lines of the failed checks (empty when all pass).
    CString CheckInput();
    // Builds the message from the form and files it; null (with the reason shown) when the input
    // fails its checks or no box can take it.
    _CSms* BuildSms(int nState, BOOL bSetState);
    static int GetSmsType() { return s_nSmsType; }
    // What the count static and the type combo show, and their colours.
    COLORREF GetCountColor() const { return m_bTooLong ? RGB(255, 0, 0) : (COLORREF)-1; }

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC*) override {}

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Load (FALSE) or store (TRUE) the message and the form.
    void ExchangeSms(_CSms* pSms, BOOL bStore);
    void OnSmsTypeChanged();
    void OnLimitChanged();
    void UpdateRowCount();
    void EndWriting();
    void BeginPicking();
    CString PersonNumber(_CPerson* pPerson) const;
    CString PersonEmail(_CPerson* pPerson) const;
    void ShowEmailColumn(BOOL bShow);
    _CSender* CurrentSender() const;
    void ShowNameCodeDialog(int nTarget, int nRow, int nFocusField);
    void RefreshNameCodeDialog();

    void OnSend();
    void OnSavePending();
    void OnSaveDraft();
    void OnConfirm();
    void OnDiscard();
    void OnExportRecipients();
    void OnImportRecipients();
    void OnSendMail();
    void OnMailInfo();
    void OnGenerator();
    void OnPhrases();
    void OnSingleButton();
    void OnUpdateCommand(CCmdUI* pCmdUI);
    void OnTextChange();
    void OnCountInputChange();
    void OnSingleChange();
    void OnSingleFocus();
    void OnTypeChange();
    void OnLimitChange();
    void OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBatchFocus(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBatchDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBatchKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBatchItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnOptionChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnOptionChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnNameCodeApply();
    void OnNameCodeAdd();
    LRESULT OnInsertText(WPARAM wParam, LPARAM lParam);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CQuillmarBaseDoc* m_pDoc = nullptr;
    CWnd* m_pNotifyWnd = nullptr;
    CWnd* m_pReturnWnd = nullptr;
    BOOL m_bEditExisting = FALSE;
    BOOL m_bPendingMail = FALSE;
    BOOL m_bInitialised = FALSE;
    BOOL m_bPicking = FALSE;
    BOOL m_bShowingWriting = FALSE; // the main window's title says a message is written
    void ShowWriting(BOOL bWriting);
    HWND m_hPickTree = nullptr;

    int m_nCoding = 0;
    int m_nLimit = 1;
    UINT m_nMessages = 1;
    int m_nParts = 0;
    CString m_strAllowed;
    int m_nAllowed = 0;
    int m_nTextLength = 0;
    float m_fCurrent = 0;
    BOOL m_bTooLong = FALSE;
    int m_nWideSize = 70;
    int m_nAnsiSize = 160;

    CSpinButtonCtrl m_spin;
    CToolTipCtrl m_tips;
    CKovRichEditCtrl m_text;
    CListCtrl m_options;
    CListCtrl m_batchList;
    CFont m_editorFont;

    int m_nSelectedRow = -1;
    BOOL m_bMailMode = FALSE;
    CDlgEditNameCode* m_pNameCode = nullptr;
    int m_nNameCodeTarget = IDC_SINGLE; // IDC_SINGLE or IDC_BATCH
    int m_nNameCodeRow = -1;
    int m_nRememberedLimit = 1;
    int m_options_[5] = {0, 0, 0, 1, 0};

    CString m_strText;
    CString m_strSingle;
    CNameCodeString m_sender;
    CString m_strSubject;
    int m_nBatch = -1;

    // The numbers of the batch list's rows, for the duplicate check of long lists; valid while
    // the list has m_nIndexedRows rows (changes made elsewhere drop it).
    std::unordered_multiset<std::string> m_numbers;
    int m_nIndexedRows = -1;
    BOOL HasNumber(const CString& number);
    void ForgetNumbers() { m_nIndexedRows = -1; }

    // Where the controls stand in the template, for the layout of a larger form.
    struct SPlace {
        HWND hWnd;
        CRect rect;
    };
    std::vector<SPlace> m_places;
    int m_nRightColumn = 0;
    int m_nCountsTop = 0;

    // The message type, one setting for every compose form.
    static int s_nSmsType;
};
