// The birthday reminder: the contacts of the open books whose birthdays fall within a number of
// days from today, in the calendar form the user picks. The program opens it at start-up when
// the option asks for it, and on demand; a double-click on a row shows that contact.
#pragma once

#include "contacts/ContactGroup.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"

#include <functional>

class CDlgBirthdayRemind : public CDialog {
public:
    enum {
        IDD = 477,
        IDC_DAYS = 1006,
        IDC_SPIN = 1142,
        IDC_LIST = 1057,
        IDC_MODE_FIRST = 1256, // 按生日显示设置 .. 按生日提醒设置
        IDC_AUTO_REMIND = 1024,
        IDC_REMEMBER = 1207,
    };
    enum { ModeAsShown = 0, ModeSolar = 1, ModeLunar = 2, ModeBoth = 3, ModeAsReminded = 4 };
    enum { MaxDays = 365 };
    // What the owner is sent for a double-clicked row (lParam: an SFindResult naming the contact).
    enum { WM_OPEN_CONTACT = WM_USER + 101, OPEN_CONTACT_CODE = 105 };

    // Where the dialog keeps its settings between runs: the days, the start-up choice and the
    // mode; save writes them back. Without settings it starts with 5 days, mode 0.
    struct CSettings {
        int* pDays = nullptr;
        int* pAutoRemind = nullptr;
        int* pMode = nullptr;
        std::function<void()> save;
    };
    static void SetSharedSettings(const CSettings& settings);
    static const CSettings& GetSharedSettings();
    // Whether "记住本次的日期范围" starts ticked (kept for the run of the program).
    static BOOL& RememberRange();

    CDlgBirthdayRemind(_CGroup* pRoot, CWnd* pParent = nullptr, BOOL bAutoOpened = FALSE);
    ~CDlgBirthdayRemind() override;

    // Fills the list again from today; answers the number of rows.
    int Refresh();
    CListCtrl& GetList() { return m_list; }

    int m_nDays = 5;
    int m_bAutoRemind = 1;
    int m_nMode = ModeAsShown;
    int m_bRemember = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy();
    void OnDblClkList(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    static void OnBirthday(void* pContext, _CPerson* pPerson, const CBirthday& birthday,
                           int bLunar, int nDays);

    _CGroup* m_pRoot;
    CWnd* m_pOwnerWnd; // told of a double-clicked row
    BOOL m_bAutoOpened;
    CListCtrl m_list;
    CSpinButtonCtrl m_spin;
    CImageList m_images;
};
