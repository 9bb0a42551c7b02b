// The information of a contact group in a modeless dialog owned by the contacts tree: name, type,
// address, phone, fax, e-mail and home-page lists, note and modification time. It never stores by
// itself: OK, Apply and closing are reported to the owner (WM_USER + 101 with wParam 1, 12321 or
// 2), which then asks it to store into the group.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/ui/AddressAutoFill.h"
#include "contacts/ui/DlgEditstrlist.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"

#include <memory>

#define WM_GROUP_PROPERTY_NOTIFY (WM_USER + 101)

class CDlgGroupProperty : public CDialog {
public:
    enum { IDD = 296 };
    enum {
        IDC_NAME = 1006,
        IDC_MODIFIED = 1007,
        IDC_PHONES = 1011,
        IDC_EMAIL = 1016,
        IDC_HOMEPAGE = 1017,
        IDC_NOTE = 1037,
        IDC_COUNTRY = 1043,
        IDC_CITY = 1044,
        IDC_PROVINCE = 1045,
        IDC_POSTCODE = 1046,
        IDC_ADDRESS = 1052,
        IDC_FAXES = 1061,
        IDC_FAXES_BUTTON = 1062,
        IDC_PHONES_BUTTON = 1063,
        IDC_HOMEPAGE_BUTTON = 1025,
        IDC_TYPE = 1143,
        IDC_EMAIL_BUTTON = 1144,
        IDC_APPLY = 12321,
    };
    enum { NOTIFY_OK = 1, NOTIFY_CLOSED = 2, NOTIFY_APPLY = IDC_APPLY };

    CDlgGroupProperty();
    ~CDlgGroupProperty() override;

    BOOL Create(CWnd* pOwner);
    // bLoad TRUE shows the group (null: the group shown last); FALSE stores into it and tells
    // whether the name changed. Without any group nothing happens (FALSE).
    BOOL Exchange(_CGroup* pGroup, BOOL bLoad, BOOL* pNameChanged = nullptr);
    // The owner lets go of a group that is about to go: the dialog no longer reaches it.
    void ForgetGroup(const _CGroup* pGroup);
    _CGroup* GetGroup() const { return m_pGroup; }
    BOOL IsModified() const { return m_modified; }
    CAddressAutoFill& GetAutoFill() { return m_autoFill; }
    // The editor of the value lists; null when it could not be made.
    CDlgEditstrlist* GetListEditor() const { return m_pEditor.get(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenListEditor(UINT nButtonId);
    void ShowLists();
    void SetModified(BOOL bModified);
    void Notify(WPARAM wParam);
    CComboBox* ValueCombo(HWND hWnd);

    CWnd* m_pOwner = nullptr;
    BOOL m_modified = FALSE;
    BOOL m_loading = FALSE;
    _CGroup* m_pGroup = nullptr;
    CString m_strLoadedName;
    CAddressAutoFill m_autoFill;
    CComboBox m_wndHomepage, m_wndPhones, m_wndFaxes, m_wndEmail;
    CComboBox m_wndCountry, m_wndType, m_wndProvince, m_wndCity;
    SGroupInfo m_info;
    std::unique_ptr<CDlgEditstrlist> m_pEditor;
    UINT m_nEditorButton = 0;
    BOOL m_bEditorShown = FALSE;
};
