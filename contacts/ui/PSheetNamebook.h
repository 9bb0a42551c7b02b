// The contact detail sheet: six pages (personal, home, work, current address, other, photos)
// that load one contact's details and store them back. A page's change report (WM_USER + 101,
// wParam 100) marks the sheet changed and goes on to the sheet's parent.
#pragma once

#include "contacts/ui/PageAddress.h"
#include "contacts/ui/PageOther.h"
#include "contacts/ui/PagePerson.h"
#include "contacts/ui/PagePhotoes.h"
#include "platform/gui/ImageList.h"

#include <memory>

class CPropertySheet;

// Gives a property sheet's tabs the icons of the given resource ids, in tab order, through an
// image list the caller keeps. An icon that cannot be had leaves its tab (and only its tab)
// without a picture.
void SetSheetTabIcons(CPropertySheet& sheet, std::unique_ptr<CImageList>& images,
                      const UINT* iconIds, int count);

class CPSheetNamebook : public CPropertySheet {
public:
    enum { PAGE_PERSON, PAGE_HOME, PAGE_UNIT, PAGE_COMMADDR, PAGE_OTHER, PAGE_PHOTOS };

    CPSheetNamebook();
    ~CPSheetNamebook() override;

    // TRUE loads the pages from the contact's details, FALSE stores them back. bSameContact: the
    // details are those of the contact already shown, so rows left uncommitted in a list editor
    // are offered for saving; for another contact they are dropped.
    void ExchangeContact(_CPersonInfo& info, BOOL bToPages, BOOL bSameContact = FALSE);
    BOOL IsAnyPageChanged();
    LRESULT SetAllPagesChanged(BOOL bChanged);
    BOOL IsChanged() const { return m_changed; }
    void SetChanged(BOOL bChanged) { m_changed = bChanged; }
    // Steps to the page of a contact field (Next and Back, one page at a time) and focuses it;
    // other numbers do nothing. FALSE when nothing was focused.
    BOOL ShowField(int nField);
    // The form was activated (TRUE) or left (FALSE): the active page's list editor comes back
    // when the user had it open, or hides; leaving the form while the other page is active runs
    // that page's leaving.
    void ShowActiveListEditor(BOOL bShow);
    // The page that shows a contact field, or -1.
    static int GetFieldPage(int nField);

    CPagePerson m_pagePerson;
    CPageHome m_pageHome;
    CPageUnit m_pageUnit;
    CPageCommaddr m_pageCommaddr;
    CPageOther m_pageOther;
    CPagePhotoes m_pagePhotoes;

    BOOL OnInitDialog() override;
    // Keys in the fields reach the main window's accelerators through the application, which
    // offers every key to the main window once (at the end of the walk up from the field); the
    // sheet does not offer them again, or the command of a key would run twice.

protected:
    LRESULT OnPageChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CContactPropertyPage* Page(int nIndex);

    BOOL m_changed = FALSE;
    std::unique_ptr<CImageList> m_pTabImages;
};
