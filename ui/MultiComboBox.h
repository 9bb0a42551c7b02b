// The values of a multi-valued field (several telephone numbers, addresses, ...) in one
// owner-drawn combo box: each value's strings are the columns of its row, drawn side by side
// with grid lines. A text typed in the edit and committed with Enter becomes a new value, and
// the parent learns of it through NM_RETURN followed by a selection change.
#pragma once

#include "core/StringListXString.h"
#include "platform/gui/Controls.h"

class CMultiComboBox : public CComboBox {
    DECLARE_DYNAMIC(CMultiComboBox)
public:
    explicit CMultiComboBox(int columns = 1);
    ~CMultiComboBox() override;

    void AddValue(LPCTSTR text);
    void ResetValues();
    // An index outside the list selects nothing.
    void SelectValue(int index);
    // Fills the box again from the values and selects the current one.
    void RefreshList();
    void SetValueList(const CXStringList& list);
    CXStringList& GetValueList() { return m_values; }
    // Adds the edit's text as a value unless it is empty, unchanged (onlyIfChanged) or already
    // a value (rejectDuplicate); the added value is selected.
    BOOL AddEditText(BOOL onlyIfChanged, BOOL rejectDuplicate);
    BOOL IsSelChanged() const { return m_selChanged; }
    BOOL IsEditChanged() const { return m_editChanged; }

    // Enter and Escape key-ups in the combo box's edit become IDOK and IDCANCEL commands posted
    // to the combo box.
    static BOOL HookEditKeys(CComboBox* pCombo);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    BOOL OnSelChange();
    BOOL OnEditChange();
    void OnEditChanged();
    void OnCancelCommand();
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);

    CXStringList m_values;
    BOOL m_selChanged = FALSE;
    BOOL m_editChanged = FALSE;

    DECLARE_MESSAGE_MAP()
};
