// The editable drop-down combo box of the address pages (province, city, ...): while the user
// types it completes the text from the list, and when no item starts with the typed text it
// matches the text against the pinyin initials of the items and drops the list down at the
// first match. Enter and Escape in its edit become IDOK and IDCANCEL commands for the dialog,
// except while the list is down (Enter then picks the item).
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

// The combo box's drop-down list: while a pinyin match is shown it keeps the matched row
// selected and at the top, whatever the combo box moves.
class CKovComboEmbededListBox : public CListBox {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL m_created = TRUE;
    int m_forcedIndex = -1;
};

// The combo box's edit: Enter and Escape key-ups become commands for the combo box.
class CKovComboEmbededEdit : public CEdit {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL m_keysToParent = TRUE;
    UINT m_lastKey = 0;
};

class CKovComboBox : public CComboBox {
    DECLARE_DYNAMIC(CKovComboBox)
public:
    CKovComboBox();
    ~CKovComboBox() override;

    // Takes over the combo box's edit (its first child window) once; FALSE without one.
    BOOL SubclassEdit();
    // Empties the list and keeps the text (and its selection when it can be read).
    void ResetContentKeepText();
    // The edit's selection; FALSE when the combo box has no edit.
    BOOL GetEditSel(int& nStart, int& nEnd);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CKovComboEmbededListBox& GetList() { return m_list; }
    CKovComboEmbededEdit& GetEdit() { return m_edit; }

    // The brush of every such combo box's list: RGB(150, 210, 242).
    static CBrush& ListBrush();

protected:
    BOOL OnEditUpdate();
    BOOL OnEditChange() { return FALSE; }
    BOOL OnDropDown();
    BOOL OnCloseUp();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnChar(UINT, UINT, UINT) {}
    void OnDestroy() { Default(); }
    void Complete();

    BOOL m_completeAllowed = FALSE;
    BOOL m_listSubclassed = FALSE;
    BOOL m_editSubclassed = FALSE;
    UINT m_lastKey = 0;
    CKovComboEmbededListBox m_list;
    CKovComboEmbededEdit m_edit;

    DECLARE_MESSAGE_MAP()
};

// Adds every string of the list in order; answers the number added.
int FillComboBoxFromList(CComboBox& combo, const CStringList& list);
