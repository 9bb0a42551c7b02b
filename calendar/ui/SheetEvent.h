// The event sheet: a modal dialog with a tab per block of an event (basic information, reminder,
// recurrence, display). It edits copies of the four blocks and writes them into the event only
// when asked after OK. Its pages are child dialogs; the recurrence page holds one sub-page per
// kind of period, each with the tree of days to tick.
#pragma once

#include "calendar/Event.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/TabCtrl.h"
#include "platform/gui/TreeCtrl.h"

#include <memory>

class CDateTimeCtrl;

// Binds a date-time to a date picker and a time picker of a page.
class CDateTimeBinder {
public:
    void Init(UINT nDateId, UINT nTimeId) {
        m_nDateId = nDateId;
        m_nTimeId = nTimeId;
        m_nShowMask = 3;
        m_bEnabled = TRUE;
    }
    void SetOwner(CWnd* pOwner) { m_pOwner = pOwner; }
    // On: shows the pickers the mask names and hides the other; off: hides both.
    void Enable(BOOL bOn);
    void SetShowMask(int nMask, BOOL bApply);
    void SetShowMaskBits(int nMask, int nBits, BOOL bApply);
    int GetShowMask() const { return m_nShowMask; }
    // Loading fills both pickers and answers in bHasValue whether the value is set; saving takes
    // the date of the date picker and the time of the time picker, or makes the value null.
    void Exchange(CDateTime& value, BOOL& bHasValue, BOOL bSaving);

private:
    CDateTimeCtrl* Picker(UINT nId) const;
    CWnd* m_pOwner = nullptr;
    UINT m_nDateId = 0, m_nTimeId = 0;
    int m_nShowMask = 3;
    BOOL m_bEnabled = TRUE;
};

// A tree of days with check boxes: a flat tree stores one value word, a two-level tree one word
// per top item (its children's bits).
class CTreeEventSelectDays : public CTreeCtrl {
public:
    // Fills the items of the kind (CEventPeriodInfo::BY_WEEK..BY_YEAR).
    void Fill(int nKind);
    void Load(const DWORD* pValues);
    void Store(DWORD* pValues) const;
    void CheckAll(BOOL bCheck);
    void Invert();
    // A parent's box sets its children to its state.
    void OnParentToggled(HTREEITEM hParent);
    BOOL IsTwoLevel() const { return m_bTwoLevel; }
    // The top item (index) and, on a two-level tree, its child.
    HTREEITEM ItemAt(int nTop, int nChild = -1) const;

protected:
    void DeriveParents();
    BOOL m_bTwoLevel = FALSE;
};

class CSheetEvent;

class CPageEventBase : public CDialog {
public:
    CPageEventBase(UINT nId, CSheetEvent* pSheet) : CDialog(nId, nullptr), m_pSheet(pSheet) {}
    // Stores the controls into the sheet's blocks; FALSE (with a message shown) when one is bad.
    virtual BOOL StoreControls() { return TRUE; }
    virtual void LoadControls() {}
    void OnOK() override {}
    void OnCancel() override {}
    // Enter and Escape belong to the sheet's 确定 and 取消, which see the key after the page.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CSheetEvent* m_pSheet;
};

class CPageEventGeneral : public CPageEventBase {
public:
    enum : UINT {
        IDD = 4007, IDC_TITLE = 1006, IDC_CONTENT = 1007, IDC_PLACE = 1012, IDC_PEOPLE = 1013,
        IDC_STATE = 1016, IDC_IMPORTANCE = 1018, IDC_URGENCY = 1019, IDC_PERCENT = 1017,
        IDC_RECURRING = 1216, IDC_ALLDAY = 1024, IDC_SINGLEDAY = 1207, IDC_HAS_START = 1274,
        IDC_START_DATE = 1009, IDC_START_TIME = 1010, IDC_HAS_END = 1275, IDC_END_DATE = 1258,
        IDC_END_TIME = 1011, IDC_PERIOD_BUTTON = 1021,
    };
    explicit CPageEventGeneral(CSheetEvent* pSheet) : CPageEventBase(IDD, pSheet) {}
    BOOL OnInitDialog() override;
    void LoadControls() override;
    BOOL StoreControls() override;
    // Shows, hides, enables and checks the controls from the three boxes.
    void UpdateLayout();
    // "执行时间为指定日..." from the controls.
    CString GetSummary();
    BOOL StartShowsTime() const { return m_start.GetShowMask() & 2; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    CDateTimeBinder m_start, m_end;
};

class CPageEventRemind : public CPageEventBase {
public:
    enum : UINT {
        IDD = 4008, IDC_ENABLED = 1024, IDC_ADVANCE = 1250, IDC_FIXED = 1251, IDC_HOURS = 1008,
        IDC_MINUTES = 1011, IDC_WHEN = 1009, IDC_POPUP = 1207, IDC_SOUND = 1216,
        IDC_SYSTEM_SOUND = 1256, IDC_FILE_SOUND = 1257, IDC_SOUND_LIST = 1010, IDC_SOUND_FILE = 1007,
        IDC_BROWSE = 1022, IDC_LISTEN = 1021, IDC_EXTRA = 1203,
    };
    explicit CPageEventRemind(CSheetEvent* pSheet) : CPageEventBase(IDD, pSheet) {}
    BOOL OnInitDialog() override;
    void LoadControls() override;
    BOOL StoreControls() override;
    void UpdateLayout();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// One sub-page of the recurrence page: "每" N units and the days of the period.
class CPageEventPeriodModeBase : public CPageEventBase {
public:
    enum : UINT {
        IDD_DAY = 4010, IDD_TREE = 4011, IDC_EVERY = 1006, IDC_UNIT = 1137, IDC_INCLUDE = 1009,
        IDC_TREE = 1250, IDC_ALL = 1021, IDC_NONE = 1023, IDC_INVERT = 1022, IDC_FROM_END = 1024,
    };
    CPageEventPeriodModeBase(int nKind, CSheetEvent* pSheet)
        : CPageEventBase(nKind == CEventPeriodInfo::BY_DAY ? IDD_DAY : IDD_TREE, pSheet),
          m_nKind(nKind) {}
    BOOL OnInitDialog() override;
    void LoadControls() override;
    BOOL StoreControls() override;
    int GetKind() const { return m_nKind; }
    CTreeEventSelectDays& GetTree() { return m_tree; }
    static CString UnitOf(int nKind);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    int m_nKind;
    CTreeEventSelectDays m_tree;
};

class CPageEventPeriod : public CPageEventBase {
public:
    enum : UINT {
        IDD = 4009, IDC_KIND_FIRST = 1256, IDC_AREA = 1111, IDC_HAS_FIRST = 1024,
        IDC_FIRST = 1009, IDC_HAS_LAST = 1207, IDC_LAST = 1010, IDC_ANCHOR = 1011,
        IDC_UNIT = 1137, IDC_SUMMARY = 1243,
    };
    explicit CPageEventPeriod(CSheetEvent* pSheet);
    ~CPageEventPeriod() override;
    BOOL OnInitDialog() override;
    void LoadControls() override;
    BOOL StoreControls() override;
    void SelectKind(int nKind);
    int GetKind() const { return m_nKind; }
    CPageEventPeriodModeBase* GetModePage(int nKind) { return m_modes[nKind].get(); }
    void SetSummary(const CString& text);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    std::unique_ptr<CPageEventPeriodModeBase> m_modes[6];
    int m_nKind = 0;
};

class CPageEventDisplay : public CPageEventBase {
public:
    enum : UINT { IDD = 512, IDC_SHOW = 1024, IDC_MODE = 1008, IDC_MODE_LABEL = 1111 };
    explicit CPageEventDisplay(CSheetEvent* pSheet) : CPageEventBase(IDD, pSheet) {}
    BOOL OnInitDialog() override;
    void LoadControls() override;
    BOOL StoreControls() override;
    void UpdateLayout();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CSheetEvent : public CDialog {
public:
    enum : UINT { IDD = 4006, IDC_TAB = 1146, IDC_CONTAINER = 114 };
    enum { PageGeneral = 0, PageRemind = 1, PagePeriod = 2, PageDisplay = 3 };

    explicit CSheetEvent(CWnd* pParent = nullptr);
    ~CSheetEvent() override;

    void SetEvent(_CEvent* pEvent) { m_pEvent = pEvent; }
    // The start and end dates, the day kind's included date, and what the rule's bounds show.
    void PresetDates(const CDate& date, const CDate* pLastDate);
    void SaveTo(_CEvent* pEvent, BOOL bApply);

    void SelectPage(int nPage);
    int GetPageIndex() const { return m_nPage; }
    CPageEventGeneral& GetGeneralPage() { return m_general; }
    CPageEventRemind& GetRemindPage() { return m_remind; }
    CPageEventPeriod& GetPeriodPage() { return m_period; }
    CPageEventDisplay& GetDisplayPage() { return m_display; }
    CTabCtrl& GetTab() { return m_tab; }
    // Whether OK took every page (the sheet then closes).
    BOOL WasAccepted() const { return m_bAccepted; }

    CEventBaseInfo m_base;
    CEventPeriodInfo m_periodInfo;
    CEventRemindInfo m_remindInfo;
    CEventDisplayInfo m_displayInfo;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    CPageEventBase* Page(int n);

    CWnd m_container;
    CPageEventGeneral m_general{this};
    CPageEventRemind m_remind{this};
    CPageEventPeriod m_period{this};
    CPageEventDisplay m_display{this};
    CTabCtrl m_tab;
    _CEvent* m_pEvent = nullptr;
    int m_nPage = -1;
    BOOL m_bAccepted = FALSE;
};
