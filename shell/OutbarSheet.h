// A modal dialog that works like a property sheet: its pages are listed with their pictures in a
// list box on the left, and the chosen page shows on the right through a navigation bar in its
// single-window look. Pages report changes (WM_KOVPAGE_CHANGED); the caption line above the page
// says which page it is and whether it was changed; OK, enabled once something changed, lets
// every page apply itself in order.
#pragma once

#include "ui/KovListBox.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"

class COutbarWnd;
class CKovPropertyPage;

// One picture of the page list: a resource id, whether it is a bitmap (else an icon), and the
// bitmap's mask colour. A row with id 0 ends a table.
struct OutbarSheetImage {
    UINT nID;
    BOOL bBitmap;
    COLORREF crMask;
};

class COutbarSheet : public CDialog {
public:
    enum {
        IDC_PAGE_LIST = 1057,
        IDC_PAGE_AREA = 1211, // the placeholder the bar is laid over
        IDC_PAGE_CAPTION = 1212,
        IDC_BAR = 114,
        IDC_PAGE = 121,
    };

    // The window that has the focus now gets it back when the dialog is gone.
    COutbarSheet(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~COutbarSheet() override;

    int GetPageCount() const;
    CKovPropertyPage* GetPage(int i) const;
    int GetActivePage() const;
    // Shows page i as the list's choice does.
    void SelectPage(int i);
    // The caption line for a page: its caption in the pattern, and the mark of a changed page.
    static CString FormatCaptionLine(const CString& caption, BOOL bModified);
    // The last modified value a page reported, and the flags of the pages OK applied.
    int GetModifiedState() const { return m_nModified; }
    int GetAppliedFlags() const { return m_nAppliedFlags; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy();
    void OnSelChangePageList();
    LRESULT OnPageChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);
    void OnUpdateOK(CCmdUI* pCmdUI);
    // A page has been made and numbered: FALSE when it needs no initialisation message (pages
    // made from templates are initialised as they are made).
    virtual BOOL OnPageCreated(CKovPropertyPage* pPage);
    // The pictures and the page classes of the derived sheet (null-ended).
    const OutbarSheetImage* m_pImages = nullptr;
    CRuntimeClass* const* m_pPageClasses = nullptr;
    DECLARE_MESSAGE_MAP()

private:
    void ShowCaptionLine();
    void UpdateOKButton();

    CKovListBox m_pageList; // each page's picture and caption
    CImageList m_images;
    COutbarWnd* m_pBar = nullptr;
    int m_nModified = 0;
    int m_nAppliedFlags = 0;
    // What had the activation and the focus: given back only while they still exist.
    HWND m_hActiveView = nullptr;
    HWND m_hFocus = nullptr;
};
