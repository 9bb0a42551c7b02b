// The base of the contact sheet's pages: a read-only mode that keeps the page unchanged, the jump
// from a contact field number to the control that shows it, and the change report of the data
// controls (edits and combo boxes) to the sheet.
#pragma once

#include "ui/PropertyPageExt.h"

#include "platform/gui/Controls.h"

class CMultiComboBox;

// Asks a page (or the form for its pages) whether a list editor holds uncommitted rows.
#define WM_QUERY_UNSAVED_LIST_EDITS (WM_USER + 82)

// One row of a page's field-jump table.
struct SFieldJump {
    int nField;
    UINT nControlId;
    int nKind;
};

enum : int {
    FIELD_JUMP_LIST_BUTTON = 1, // the button that opens the field's list editor
    FIELD_JUMP_EDIT = 2,
    FIELD_JUMP_COMBO = 3,
    FIELD_JUMP_DATE = 4,
    FIELD_JUMP_LIST = 5,
};

class CContactPropertyPage : public CPropertyPageExt {
    DECLARE_DYNAMIC(CContactPropertyPage)
public:
    CContactPropertyPage(UINT nIDTemplate, UINT nIDCaption);
    ~CContactPropertyPage() override;

    // The combo box a control belongs to (the combo itself or its list button); null here.
    virtual CMultiComboBox* GetMultiValueCombo(UINT nID);
    virtual void SetReadOnly(BOOL bReadOnly);
    virtual BOOL IsReadOnly() const { return m_readOnly; }
    // Focuses the control of a contact field; FALSE when the field is not on this page.
    virtual BOOL FocusField(int nField);
    // A page whose list editor holds rows not yet written back.
    virtual BOOL HasUnsavedListEdits() const { return FALSE; }

    // A read-only page is never marked changed and tells nobody.
    LRESULT SetChanged(BOOL bChanged) override;

    void SetEditsReadOnly(const UINT* pIDs, BOOL bReadOnly);
    void SetCombosReadOnly(const UINT* pIDs, BOOL bReadOnly);

protected:
    // Edits and combo boxes report their changes here, except while the page fills them.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    virtual void OnDataChanged() { SetChanged(TRUE); }

    CString m_strDocumentPath;
    BOOL m_readOnly = FALSE;
    const SFieldJump* m_pFieldJumps = nullptr;
    int m_nFieldJumps = 0;
    // Set while the page writes into its own controls.
    BOOL m_loading = FALSE;
};
