#include "contacts/ui/PSheetNamebook.h"

#include "platform/gui/Icon.h"
#include "platform/gui/TabCtrl.h"

#include <iterator>
#include <vector>

namespace {
const UINT kTabIcons[] = {163, 157, 161, 162, 165, 504};
} // namespace

BEGIN_MESSAGE_MAP(CPSheetNamebook, CPropertySheet)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CPSheetNamebook::OnPageChanged)
END_MESSAGE_MAP()

CPSheetNamebook::CPSheetNamebook() : CPropertySheet("") {
    AddPage(&m_pagePerson);
    AddPage(&m_pageHome);
    AddPage(&m_pageUnit);
    AddPage(&m_pageCommaddr);
    AddPage(&m_pageOther);
    AddPage(&m_pagePhotoes);
}

CPSheetNamebook::~CPSheetNamebook() {
    // The pages' windows go while the sheet and every page still exist.
    if (m_hWnd)
        DestroyWindow();
}

CContactPropertyPage* CPSheetNamebook::Page(int nIndex) {
    CContactPropertyPage* pages[] = {&m_pagePerson,   &m_pageHome,  &m_pageUnit,
                                     &m_pageCommaddr, &m_pageOther, &m_pagePhotoes};
    return nIndex >= 0 && nIndex < 6 ? pages[nIndex] : nullptr;
}

BOOL CPSheetNamebook::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    SetSheetTabIcons(*this, m_pTabImages, kTabIcons, (int)std::size(kTabIcons));
    return TRUE;
}

void SetSheetTabIcons(CPropertySheet& sheet, std::unique_ptr<CImageList>& images,
                      const UINT* iconIds, int count) {
    CTabCtrl* pTab = sheet.GetTabControl();
    if (!pTab)
        return;
    images = std::make_unique<CImageList>();
    if (!images->Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 3)) {
        images.reset();
        return;
    }
    std::vector<int> indexes((size_t)count);
    for (int i = 0; i < count; ++i) {
        HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(iconIds[i]));
        indexes[(size_t)i] = hIcon ? images->Add(hIcon) : -1;
    }
    pTab->SetImageList(images.get());
    for (int i = 0; i < pTab->GetItemCount() && i < count; ++i) {
        TCITEM item{};
        item.mask = TCIF_IMAGE;
        item.iImage = indexes[(size_t)i];
        pTab->SetItem(i, &item);
    }
}

void CPSheetNamebook::ExchangeContact(_CPersonInfo& info, BOOL bToPages, BOOL bSameContact) {
    if (bToPages)
        for (CMultiValuePage* page : {(CMultiValuePage*)&m_pagePerson,
                                      (CMultiValuePage*)&m_pageHome, (CMultiValuePage*)&m_pageUnit})
            page->SetReloadingSameContact(bSameContact);
    m_pagePerson.ExchangePersonal(info.m_personal, bToPages);
    m_pageHome.ExchangeHome(info.m_home, bToPages);
    m_pageUnit.ExchangeWork(info.m_work, bToPages);
    m_pageCommaddr.ExchangeCurrentAddress(info.m_address, bToPages);
    m_pageOther.ExchangeOther(info.m_other, bToPages);
    m_pagePhotoes.ExchangePhotos(info.m_extra, bToPages);
}

void CPSheetNamebook::ShowActiveListEditor(BOOL bShow) {
    CPropertyPage* pActive = GetActivePage();
    for (CMultiValuePage* page : {(CMultiValuePage*)&m_pagePerson, (CMultiValuePage*)&m_pageHome,
                                  (CMultiValuePage*)&m_pageUnit})
        if (page == pActive) {
            page->ShowListEditor(bShow, TRUE);
            return;
        }
    if (!bShow && pActive == &m_pageOther && m_pageOther.m_hWnd)
        m_pageOther.OnKillActive();
}

BOOL CPSheetNamebook::IsAnyPageChanged() {
    for (int i : {PAGE_COMMADDR, PAGE_HOME, PAGE_OTHER, PAGE_PERSON, PAGE_UNIT, PAGE_PHOTOS})
        if (Page(i)->IsChanged())
            return TRUE;
    return FALSE;
}

LRESULT CPSheetNamebook::SetAllPagesChanged(BOOL bChanged) {
    LRESULT r = 0;
    for (int i = 0; i < 6; ++i)
        r = Page(i)->SetChanged(bChanged);
    return r;
}

int CPSheetNamebook::GetFieldPage(int nField) {
    if (nField >= 0 && nField <= 14)
        return PAGE_PERSON;
    if ((nField >= 15 && nField <= 24) || nField == 48)
        return PAGE_HOME;
    if ((nField >= 25 && nField <= 39) || nField == 49)
        return PAGE_UNIT;
    if (nField >= 40 && nField <= 42)
        return PAGE_COMMADDR;
    if (nField == 43 || nField == 44)
        return PAGE_OTHER;
    return -1;
}

BOOL CPSheetNamebook::ShowField(int nField) {
    const int nTarget = GetFieldPage(nField);
    if (nTarget < 0 || !m_hWnd)
        return FALSE;
    for (int nActive = GetActiveIndex(); nActive != nTarget;) {
        SendMessage(PSM_PRESSBUTTON, nActive < nTarget ? PSBTN_NEXT : PSBTN_BACK, 0);
        const int nNow = GetActiveIndex();
        if (nNow == nActive)
            return FALSE; // a page refused to be left
        nActive = nNow;
    }
    return Page(nTarget)->FocusField(nField);
}

LRESULT CPSheetNamebook::OnPageChanged(WPARAM wParam, LPARAM lParam) {
    // The pages' change report shares its number with the sheet's own page selection: only the
    // report's wParam 100 is taken here, everything else selects pages as usual.
    if (wParam != 100)
        return Default();
    m_changed = TRUE;
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_PAGEEXT_CHANGED, 100, lParam);
    return 0;
}
