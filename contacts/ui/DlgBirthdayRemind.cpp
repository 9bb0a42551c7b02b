#include "contacts/ui/DlgBirthdayRemind.h"

#include "contacts/ContactFinder.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/ui/DlgFindPerson.h"
#include "contacts/ui/LeftView.h"

BEGIN_MESSAGE_MAP(CDlgBirthdayRemind, CDialog)
ON_WM_DESTROY()
ON_NOTIFY(NM_DBLCLK, CDlgBirthdayRemind::IDC_LIST, &CDlgBirthdayRemind::OnDblClkList)
END_MESSAGE_MAP()

namespace {
// The birthday column's width before any row is in it.
constexpr int BirthdayColumnWidth = 140;

CDlgBirthdayRemind::CSettings& Shared() {
    static CDlgBirthdayRemind::CSettings s_settings;
    return s_settings;
}
} // namespace

void CDlgBirthdayRemind::SetSharedSettings(const CSettings& settings) {
    Shared() = settings;
}

const CDlgBirthdayRemind::CSettings& CDlgBirthdayRemind::GetSharedSettings() {
    return Shared();
}

BOOL& CDlgBirthdayRemind::RememberRange() {
    static BOOL s_bRemember = FALSE;
    return s_bRemember;
}

CDlgBirthdayRemind::CDlgBirthdayRemind(_CGroup* pRoot, CWnd* pParent, BOOL bAutoOpened)
    : CDialog(IDD, pParent), m_pRoot(pRoot), m_pOwnerWnd(pParent), m_bAutoOpened(bAutoOpened) {
    const CSettings& s = Shared();
    if (s.pDays)
        m_nDays = *s.pDays;
    if (s.pAutoRemind)
        m_bAutoRemind = *s.pAutoRemind;
    if (s.pMode && *s.pMode >= ModeAsShown && *s.pMode <= ModeAsReminded)
        m_nMode = *s.pMode;
    // A stored range outside what the dialog accepts starts as the default.
    if (m_nDays < 0 || m_nDays > MaxDays)
        m_nDays = 5;
    m_bRemember = RememberRange();
}

CDlgBirthdayRemind::~CDlgBirthdayRemind() = default;

void CDlgBirthdayRemind::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_DAYS, m_nDays);
    DDV_MinMaxInt(pDX, m_nDays, 0, MaxDays);
    DDX_Radio(pDX, IDC_MODE_FIRST, m_nMode);
    DDX_Check(pDX, IDC_AUTO_REMIND, m_bAutoRemind);
    DDX_Check(pDX, IDC_REMEMBER, m_bRemember);
}

BOOL CDlgBirthdayRemind::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWnd* pList = GetDlgItem(IDC_LIST))
        m_list.SubclassWindow(pList->GetSafeHwnd());
    if (CWnd* pSpin = GetDlgItem(IDC_SPIN)) {
        m_spin.SubclassWindow(pSpin->GetSafeHwnd());
        m_spin.SetRange(0, MaxDays);
    }
    CString field;
    _CPerson().GetFieldName(PF_BIRTHDAY, field);
    if (field.IsEmpty())
        field = "生日";
    m_list.InsertColumn(0, "姓名", LVCFMT_LEFT, 90);
    m_list.InsertColumn(1, field, LVCFMT_LEFT, BirthdayColumnWidth);
    m_list.InsertColumn(2, "距今", LVCFMT_LEFT, 48);
    m_list.InsertColumn(3, "历法", LVCFMT_LEFT, 48);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    MakeContactImages(m_images, 16);
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    if (Refresh() == 0 && m_bAutoOpened)
        PostMessage(WM_CLOSE); // nobody to remind of: the start-up reminder does not stay
    return TRUE;
}

struct BirthdayRow {
    CListCtrl* pList;
    int nCount;
};

void CDlgBirthdayRemind::OnBirthday(void* pContext, _CPerson* pPerson, const CBirthday& birthday,
                                    int bLunar, int nDays) {
    auto* row = static_cast<BirthdayRow*>(pContext);
    int image = 0, selImage = 0;
    _CPerson* pSource = pPerson;
    const BOOL bLink = pPerson->IsVirtual();
    CLeftView::ContactImages(pSource->GetInfo().m_personal.nSex, image, selImage);
    const int index = row->pList->InsertItem(
        LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM, row->pList->GetItemCount(),
        pPerson->GetName(), bLink ? INDEXTOOVERLAYMASK(CDlgFindPerson::kLinkOverlay) : 0,
        LVIS_OVERLAYMASK, image, (LPARAM)pPerson);
    CString text;
    birthday.GetText(text, bLunar ? TRUE : FALSE);
    row->pList->SetItemText(index, 1, text);
    text.Format("%d%s", nDays, "天");
    row->pList->SetItemText(index, 2, text);
    row->pList->SetItemText(index, 3, bLunar ? "阴历" : "阳历");
    ++row->nCount;
}

int CDlgBirthdayRemind::Refresh() {
    if (!m_list.GetSafeHwnd())
        return 0;
    m_list.DeleteAllItems();
    if (m_pRoot == nullptr)
        return 0;
    int flags = 0;
    switch (m_nMode) {
    case ModeAsShown: flags = _CGroup::BIRTHDAY_AS_SHOWN; break;
    case ModeAsReminded: flags = _CGroup::BIRTHDAY_AS_REMINDED; break;
    case ModeSolar: flags = _CGroup::BIRTHDAY_SOLAR; break;
    case ModeLunar: flags = _CGroup::BIRTHDAY_LUNAR; break;
    default: flags = _CGroup::BIRTHDAY_SOLAR | _CGroup::BIRTHDAY_LUNAR; break;
    }
    BirthdayRow row{&m_list, 0};
    m_pRoot->EnumUpcomingBirthdays(CDate::GetToday(TRUE), m_nDays, flags, &row, &OnBirthday);
    // The birthday's text (a lunar one is long) is shown whole: the column widens to its
    // longest text, never narrower than it was made.
    m_list.SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
    if (m_list.GetColumnWidth(1) < BirthdayColumnWidth)
        m_list.SetColumnWidth(1, BirthdayColumnWidth);
    return row.nCount;
}

void CDlgBirthdayRemind::OnOK() {
    // 刷新: the dialog stays; days outside 0..365 get the validation message.
    if (UpdateData(TRUE))
        Refresh();
}

void CDlgBirthdayRemind::OnDblClkList(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int sel = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (sel < 0)
        return;
    SFindResult request;
    request.pItem = reinterpret_cast<CObject*>(m_list.GetItemData(sel));
    request.bPerson = TRUE;
    if (m_pOwnerWnd != nullptr && m_pOwnerWnd->GetSafeHwnd())
        m_pOwnerWnd->SendMessage(WM_OPEN_CONTACT, OPEN_CONTACT_CODE, (LPARAM)&request);
}

void CDlgBirthdayRemind::OnDestroy() {
    // The check boxes count as they are left, whether or not the range was applied.
    if (CWnd* p = GetDlgItem(IDC_REMEMBER))
        m_bRemember = ((CButton*)p)->GetCheck() == BST_CHECKED;
    if (CWnd* p = GetDlgItem(IDC_AUTO_REMIND))
        m_bAutoRemind = ((CButton*)p)->GetCheck() == BST_CHECKED;
    for (int i = 0; i <= ModeAsReminded; ++i)
        if (CWnd* p = GetDlgItem(IDC_MODE_FIRST + i); p && ((CButton*)p)->GetCheck() == BST_CHECKED)
            m_nMode = i;
    RememberRange() = m_bRemember;
    CSettings& s = Shared();
    if (m_bRemember && m_nDays >= 0 && m_nDays <= MaxDays && s.pDays)
        *s.pDays = m_nDays;
    if (s.pAutoRemind)
        *s.pAutoRemind = m_bAutoRemind ? 1 : 0;
    if (s.pMode)
        *s.pMode = m_nMode;
    if (s.save)
        s.save();
    CDialog::OnDestroy();
}
