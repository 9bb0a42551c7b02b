// The base of pages that live in a property sheet or as a plain child of any window (a view or a
// dialog that shows one page at a time). The page keeps its own modified state, tells its host
// about the first change after a save, hands out its description file and exchanges data with the
// record its host gives it.
#pragma once

#include "platform/gui/PropertySheet.h"

// The page reports a change: wParam = page id, lParam = modified state.
#define WM_KOVPAGE_CHANGED (WM_USER + 102)
// The host asks for the description: wParam non-zero = the file's path, 0 = the file's text;
// lParam = CString* that receives it.
#define WM_KOVPAGE_DESCRIPTION (WM_USER + 104)

// Sends a page's report to its host. These numbers are also the sheet's own page messages (which
// switch or remove pages), so a property sheet is told only when its own class handles the
// message; a plain sheet is left alone. 0 when nothing was sent.
LRESULT SendPageReport(CWnd* pHost, UINT message, WPARAM wParam, LPARAM lParam);

class CKovPropertyPage : public CPropertyPage {
    DECLARE_DYNAMIC(CKovPropertyPage)
public:
    CKovPropertyPage();
    explicit CKovPropertyPage(UINT nIDTemplate);
    ~CKovPropertyPage() override;

    // Creates the page from its template; with a parent the page becomes that window's child
    // with the given id (whatever the template's popup, caption or disabled styles say).
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, void* pContext = nullptr) override;
    BOOL OnInitDialog() override;

    // Derived pages call this whenever one of their controls changes.
    virtual void OnPageChanged();
    // load TRUE: the record's values into the controls; FALSE: the controls into the record.
    virtual void ExchangeData(void* pRecord, BOOL bLoad);

    // Stores the state; with bNotify tells the owner (or the parent) and returns its answer.
    LRESULT SetPageModified(BOOL bModified, BOOL bNotify);
    BOOL IsPageModified() const { return m_modified; }
    int SetPageId(int id);
    int GetPageId() const { return m_pageId; }
    void SetDataObject(void* pRecord) { m_dataObject = pRecord; }
    void* GetDataObject() const { return m_dataObject; }
    void EnableDlgItems(const UINT* pIDs, BOOL bEnable);

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    LRESULT OnDescription(WPARAM wParam, LPARAM lParam);

    BOOL m_initialized = FALSE;
    BOOL m_modified = FALSE;
    UINT m_templateId = 0;
    int m_pageId = -1;
    CString m_descriptionFile;
    BOOL m_notifyFirstChange = TRUE;
    void* m_dataObject = nullptr;

private:
    bool m_creatingChild = false;
    DECLARE_MESSAGE_MAP()
};
