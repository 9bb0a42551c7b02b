// The address pages of the contact sheet: home (address, phones, faxes, spouse, family), work
// (employer, address, phones, department, position, office, mail, home page) and the current
// postal address. The home and work pages fill the city list and the post code from the
// province files (CAddressAutoFill).
#pragma once

#include "contacts/PersonInfo.h"
#include "contacts/ui/AddressAutoFill.h"
#include "contacts/ui/ContactPropertyPage.h"
#include "contacts/ui/DlgEditstrlist.h"
#include "ui/KovComboBox.h"
#include "ui/MultiComboBox.h"

#include <memory>
#include <vector>

// A tall edit of an address page: its starting height is nNum / nDen of the page's height + 5.
struct STallEdit {
    UINT nID;
    int nNum, nDen;
};

// What the pages with value lists share: tall edits that shrink until the rows fit, and value
// lists shown in column combo boxes (one row per value, the current value selected; Enter in a
// box's edit adds its text as a value).
class CMultiValuePage : public CContactPropertyPage {
    DECLARE_DYNAMIC(CMultiValuePage)
public:
    CMultiValuePage(UINT nIDTemplate, UINT nIDCaption);

    BOOL OnInitDialog() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The combo box of a value list, found by the combo's or its list button's id.
    CMultiComboBox* GetMultiValueCombo(UINT nID) override;

    // Places the rows for the page's present size.
    virtual void LayoutPage();

    // Shows or hides the list editor; with bOnlyIfOpen it is shown only when the user had it open.
    void ShowListEditor(BOOL bShow, BOOL bOnlyIfOpen);
    BOOL HasUnsavedListEdits() const override;
    void SetReadOnly(BOOL bReadOnly) override;
    // The next load of the lists is the contact already shown (its uncommitted editor rows are
    // offered for saving) rather than another one (they are dropped).
    void SetReloadingSameContact(BOOL bSame) { m_bSameContact = bSame; }
    CDlgEditstrlist* GetListEditor() const { return m_pEditor.get(); }
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;

protected:
    // A value list, its combo box and the button that opens it in the list editor with the
    // editor's caption, column headers (a second one for two-string values) and link kind.
    struct SValueCombo {
        UINT nComboId, nButtonId;
        CXStringList* pList;
        const char* pszCaption;
        const char* pszHeader;
        const char* pszHeader2;
        int nLink;
    };
    void AddValueCombo(UINT nComboId, UINT nButtonId, CXStringList* pList, const char* pszCaption,
                       const char* pszHeader, const char* pszHeader2 = nullptr,
                       int nLink = CDlgEditstrlist::LINK_NONE);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OpenListEditor(size_t nCombo);
    // A value entered in a combo box (Enter in its edit) joins its list; when the editor shows
    // that list, it goes in as the editor's ticked row.
    void OnMultiValueAdded(UINT nComboId);
    // The lists into their combo boxes, and the combo boxes' choice or new text back.
    void ShowValueLists();
    void CommitValueLists();
    // One list into its box again.
    void RefreshValueCombo(size_t nCombo);
    CString GetText(UINT nID) const;
    void SetText(UINT nID, const CString& text);

    std::vector<SValueCombo> m_valueCombos;
    std::vector<std::unique_ptr<CMultiComboBox>> m_comboWnds;
    std::vector<STallEdit> m_tallEdits;
    std::vector<UINT> m_enterEscapeEdits;
    std::unique_ptr<CDlgEditstrlist> m_pEditor;
    UINT m_nEditorButton = 0;
    BOOL m_bEditorOpen = FALSE;
    BOOL m_bSameContact = FALSE;
};

// Country, province, city and post code of the home and work pages.
class CLocationPage : public CMultiValuePage {
    DECLARE_DYNAMIC(CLocationPage)
public:
    CLocationPage(UINT nIDTemplate, UINT nIDCaption);
    // The window goes while the auto-fill and the boxes its notices reach still exist.
    ~CLocationPage() override;

    enum {
        IDC_COUNTRY = 1043,
        IDC_PROVINCE = 1045,
        IDC_CITY = 1044,
        IDC_POSTCODE = 1046,
        IDC_ADDRESS = 1052,
    };
    BOOL OnInitDialog() override;
    CAddressAutoFill& GetAutoFill() { return m_autoFill; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void LoadLocation(const SPersonLocation& location);
    void SaveLocation(SPersonLocation& location);

    CAddressAutoFill m_autoFill;
    CComboBox m_wndCountry;
    CKovComboBox m_wndProvince, m_wndCity;
    SPersonLocation m_location;
};

class CPageHome : public CLocationPage {
public:
    enum { IDD = 144 };
    enum {
        IDC_PHONES = 1047,
        IDC_PHONES_BUTTON = 1063,
        IDC_FAXES = 1061,
        IDC_FAXES_BUTTON = 1062,
        IDC_SPOUSE = 1049,
        IDC_CUSTOM = 1050,
        IDC_MEMBERS = 1051,
    };
    CPageHome();
    BOOL OnInitDialog() override;
    void ExchangeHome(SPersonHomeBlock& home, BOOL bToPage);

private:
    SPersonHomeBlock m_home;
};

class CPageUnit : public CLocationPage {
public:
    enum { IDD = 145 };
    enum {
        IDC_COMPANY = 1021,
        IDC_PHONES = 1014,
        IDC_PHONES_BUTTON = 1063,
        IDC_DORM_PHONES = 1015,
        IDC_DORM_PHONES_BUTTON = 1064,
        IDC_FAXES = 1061,
        IDC_FAXES_BUTTON = 1062,
        IDC_DEPARTMENT = 1055,
        IDC_TITLE = 1053,
        IDC_OFFICE = 1056,
        IDC_CUSTOM = 1050,
        IDC_EMAIL = 1054,
        IDC_EMAIL_BUTTON = 1024,
        IDC_HOMEPAGE = 1017,
        IDC_HOMEPAGE_BUTTON = 1025,
    };
    CPageUnit();
    BOOL OnInitDialog() override;
    void ExchangeWork(SPersonWorkBlock& work, BOOL bToPage);

private:
    SPersonWorkBlock m_work;
};

class CPageCommaddr : public CMultiValuePage {
public:
    enum { IDD = 146 };
    enum { IDC_POSTCODE = 1046, IDC_ADDRESS = 1006, IDC_NOTE = 1037, IDC_IMPORT = 1021 };
    CPageCommaddr();
    BOOL OnInitDialog() override;
    void LayoutPage() override;
    void ExchangeCurrentAddress(SPersonAddressBlock& address, BOOL bToPage);

private:
    SPersonAddressBlock m_address;
};
