// The page that chooses which contact fields appear, and in which order: for the custom field set
// of a group export and for the columns of the contact list. The owner gives it a field source and
// the chosen list before it opens and reads the chosen list afterwards.
#pragma once

#include "contacts/FieldChoice.h"
#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"

class CPageCfgPsnFields : public CPropertyPage {
public:
    enum { IDD = 295 };
    enum {
        IDC_ADD = 1021,
        IDC_ADD_ALL = 1022,
        IDC_REMOVE = 1023,
        IDC_REMOVE_ALL = 1024,
        IDC_MOVE_UP = 1106,
        IDC_MOVE_DOWN = 1107,
        IDC_INSERT_BEFORE = 1138,
        IDC_INSERT_AFTER = 1139,
        IDC_AVAILABLE = 1141,
        IDC_CHOSEN = 1142,
    };

    CPageCfgPsnFields();

    void SetFieldSource(CIFieldSource* pSource, int nPositions) {
        m_pSource = pSource;
        m_nPositions = nPositions;
    }
    // The ordered field numbers; set before the page opens, read after it.
    CArray<int, int>& GetChosenList() { return m_chosen; }
    int m_nInsertMode = CFieldChoice::INSERT_AFTER;

    // The buttons' work, also for tests and double clicks.
    void AddSelected();
    void AddAll();
    void RemoveSelected();
    void RemoveAll();
    void MoveSelected(BOOL bUp);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnSelChange();
    void OnMoveUp() { MoveSelected(TRUE); }
    void OnMoveDown() { MoveSelected(FALSE); }
    DECLARE_MESSAGE_MAP()

private:
    void FillLists(const std::vector<int>& selectedChosen);
    std::vector<int> SelectedChosen() const; // indices of fields, never the end marker
    void Changed();
    void EnableButtons();

    CIFieldSource* m_pSource = nullptr;
    int m_nPositions = 0;
    CArray<int, int> m_chosen;
    CFieldChoice m_choice;
    CListBox m_wndChosen, m_wndAvailable;
};

// A sheet of the field page alone: the columns of the contact list. Apply tells the parent
// (WM_USER + 20, lParam the sheet) so that the list takes the new columns at once.
class CPSheetPersonList : public CPropertySheet {
public:
    enum { WM_PERSON_LIST_APPLIED = WM_USER + 20 };
    explicit CPSheetPersonList(CWnd* pParent = nullptr);
    CPageCfgPsnFields m_pageFields;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
