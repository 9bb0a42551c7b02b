// Which fields a contact takes from the contacts dropped on it, and how: values added, replaced
// or deleted. The dialog only collects the choice; the caller runs the merge.
#pragma once

#include "contacts/ui/FieldTree.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/TreeCtrl.h"

class CDlgModifyPerson : public CDialog {
public:
    enum { IDD = 475 };
    enum { IDC_FIELD_TREE = 1147, IDC_ADD = 1213, IDC_IGNORE_NAME = 1024 };

    explicit CDlgModifyPerson(CWnd* pParent = nullptr);

    // One mask per person field group (in kPersonGroupOrder); filled before, read after.
    DWORD m_masks[5] = {};
    BOOL m_bIgnoreName = TRUE;
    // The merge modes: 1 add, 2 replace, 3 delete.
    int GetScheme() const { return m_nScheme + 1; }
    void SetScheme(int nScheme) { m_nScheme = nScheme - 1; }
    CFieldTree& GetFieldTree() { return m_fieldTree; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnTreeClick(NMHDR*, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    int m_nScheme = 0;
    CTreeCtrl m_wndTree;
    CFieldTree m_fieldTree{m_wndTree};
};
