// Finding contacts and groups below a group: by a text in ticked fields, by the pinyin initials
// of the name, or by birthday. Each item found is listed with the fields the text was found in;
// the owner hears of it (WM_USER + 101, wParam 105, lParam the result) when "自动打开" is ticked
// and when the user double-clicks a row.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "contacts/ContactFinder.h"
#include "contacts/ui/FieldTree.h"
#include "platform/gui/Controls.h"
#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/TabCtrl.h"
#include "platform/gui/TreeCtrl.h"

// What the find dialogs remember for the whole run: the ticked fields (one mask per group of the
// dialog's field table; the address book's table has five groups), the group fields,
// "自动打开" and the tab.
struct SFindSettings {
    DWORD personMasks[kFindMaskCount] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                         0xFFFFFFFF, 0xFFFFFFFF, 0};
    DWORD dwGroupMask = 0xFFFFFFFF;
    BOOL bAutoOpen = FALSE;
    int nTab = 0;
    static SFindSettings& Get();
};

class CDlgFindPerson : public CDialog {
public:
    enum { IDD = 303 };
    enum {
        IDC_TEXT = 1006,
        IDC_DATE_MODE = 1008,
        IDC_FROM = 1009,
        IDC_TO = 1010,
        IDC_IGNORE_YEAR = 1024,
        IDC_FIND_NEXT = 1145,
        IDC_TABS = 1146,
        IDC_FIELD_TREE = 1147,
        IDC_FIND_ALL = 1148,
        IDC_CLEAR = 1149,
        IDC_RESULTS = 1150,
        IDC_CLEAR_ALL = 1153,
        IDC_INITIALS = 1156,
        IDC_AUTO_OPEN = 1223,
        IDC_MATCH_CASE = 1239,
    };
    enum { TAB_TEXT, TAB_FIELDS, TAB_INITIALS, TAB_BIRTHDAY };
    enum { WM_FOUND_ITEM = WM_USER + 101, FOUND_ITEM_CODE = 105 };

    CDlgFindPerson(_CGroup* pGroup, CWnd* pOwner, CString* pLastText = nullptr);
    ~CDlgFindPerson() override;

    // The images of the result rows: the contacts tree's image list and the image of an item
    // (a contact's face, a group's folder). Without them the rows show no image.
    void SetItemImages(CImageList* pImages, std::function<int(CObject*)> imageOf) {
        m_pImages = pImages;
        m_imageOf = std::move(imageOf);
    }
    // The text of a result row's first column; without it, the contact's or group's name.
    void SetItemLabels(std::function<CString(CObject*)> labelOf) { m_labelOf = std::move(labelOf); }
    // The overlay image a link contact's row carries.
    static constexpr int kLinkOverlay = 5;

    void ShowTab(int nTab);
    int GetTab() const { return m_nTab; }
    // The buttons' work.
    void FindNext() { Find(FALSE); }
    void FindAll() { Find(TRUE); }
    void ClearSelected();
    void ClearAll();
    int GetResultCount() const { return (int)m_results.size(); }
    CListCtrl& GetResultList() { return m_wndResults; }
    CFieldTree& GetFieldTree() { return m_fieldTree; }

    CString m_strText, m_strInitials;
    BOOL m_bMatchCase = FALSE;
    int m_nDateMode = 0; // 0 today, 1 the range of the pickers
    BOOL m_bIgnoreYear = TRUE;
    BOOL m_bAutoOpen = FALSE;

protected:
    // What a kind of contact book changes. The field groups the field tree offers (the store's
    // masks follow their order) and whether it offers the group fields too.
    virtual SFieldTable GetFieldTable() const { return GetPersonFieldTable(TRUE); }
    // The field number of a field bit within a group (-1 when none) and a field's name.
    virtual int GetFieldNumber(int nGroupBit, int nFieldBit) const;
    virtual BOOL GetFieldName(int nField, CString& out) const;
    // Whether the store chooses any field of a contact.
    virtual BOOL HasPersonCriteria(const SFindSettings& settings) const;
    // Where the choices live between openings.
    virtual SFindSettings& GetSettings() const { return SFindSettings::Get(); }

    // The names of the fields of a result's hits, joined by ",".
    CString GetHitFieldNames(const SFindResult& result) const;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnTabChange(NMHDR*, LRESULT* pResult);
    void OnTreeClick(NMHDR*, LRESULT* pResult);
    void OnResultDblClk(NMHDR*, LRESULT* pResult);
    void OnResultChanged(NMHDR*, LRESULT* pResult);
    void OnDateMode();
    DECLARE_MESSAGE_MAP()

private:
    CString FieldNameAt(int nGroupBit, int nFieldBit) const;
    void Find(BOOL bAll);
    void AddRow(std::unique_ptr<SFindResult> result);
    void EnableButtons();
    void SaveTicks();

    _CGroup* m_pGroup;
    CWnd* m_pOwner;
    CString* m_pLastText;
    CContactFinder m_finder;
    std::vector<std::unique_ptr<SFindResult>> m_results;
    int m_nTab = 0;
    CTabCtrl m_wndTabs;
    CTreeCtrl m_wndTree;
    CListCtrl m_wndResults;
    CFieldTree m_fieldTree{m_wndTree};
    CImageList* m_pImages = nullptr;
    std::function<int(CObject*)> m_imageOf;
    std::function<CString(CObject*)> m_labelOf;
};
