// The base of the contact sheet's pages: a changed flag reported to the sheet, Enter and Escape
// that move through the fields, tool tips from the string table, context menus handed to the
// sheet, and a layout that spreads icon, label and field rows evenly over the page in one or two
// columns.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"

// A page tells its sheet that its data changed: wParam 100, lParam 0.
#define WM_PAGEEXT_CHANGED (WM_USER + 101)

// How a row's field control gets its width.
enum : int { FIELD_WIDTH_TO_MIDDLE = 0, FIELD_WIDTH_TO_RIGHT = 1, FIELD_WIDTH_KEEP = 2 };

struct SFieldItem {
    UINT id;
    int widthMode;
};

class CPropertyPageExt : public CPropertyPage {
    DECLARE_DYNAMIC(CPropertyPageExt)
public:
    CPropertyPageExt();
    CPropertyPageExt(UINT nIDTemplate, UINT nIDCaption);
    ~CPropertyPageExt() override;

    virtual LRESULT SetChanged(BOOL bChanged);
    virtual BOOL IsChanged() const { return m_changed; }
    // Derived pages show their own menu; the base only says it has none.
    virtual void ShowContextMenu(CWnd* pWnd, CPoint point);
    virtual void FocusPrevItem();
    virtual void FocusNextItem();
    // The area the field rows spread over.
    virtual void GetLayoutRect(RECT* pRect);
    virtual LRESULT NotifyParentChanged();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // A child control's window rectangle in the page's client coordinates.
    BOOL GetItemRect(UINT nID, RECT* pRect) const;
    // The free vertical space between two rows.
    float CalcRowGap();
    void LayoutFieldRows();
    // Enter (unless the edit wants it) and Escape in these edits move to the next and previous
    // field instead of acting on the sheet.
    BOOL HookEnterEscape(UINT nID);
    int HookEnterEscapeItems(const UINT* pIDs, int count);
    // The same for the child combo box nID (see HookComboEnterEscape).
    BOOL HookComboItem(UINT nID);

    BOOL IsActive() const { return m_active; }

protected:
    void OnContextMenu(CWnd* pWnd, CPoint point) { ShowContextMenu(pWnd, point); }
    void OnEnterCommand() { FocusNextItem(); }
    void OnEscapeCommand() { FocusPrevItem(); }
    int FieldHeight(UINT nID) const;

    BOOL m_changed = FALSE;
    BOOL m_initialized = FALSE;
    BOOL m_active = FALSE;
    UINT m_layoutTopItem = 0;
    int m_sideMargin = 5;
    int m_rowCount = 0;
    const UINT* m_labelIds = nullptr;
    const UINT* m_iconIds = nullptr;
    const SFieldItem* m_fieldItems = nullptr;
    const UINT* m_labelIds2 = nullptr;
    const UINT* m_iconIds2 = nullptr;
    const SFieldItem* m_fieldItems2 = nullptr;

private:
    DECLARE_MESSAGE_MAP()
};

// Enter and Escape in a combo box become IDOK and IDCANCEL commands for its parent: in its edit
// (through the edit's hook, which tells the combo box) and, for a drop-down list, on the combo
// box itself. An Enter that picks an item in the dropped list stays with the list.
BOOL HookComboEnterEscape(CComboBox* pCombo);
