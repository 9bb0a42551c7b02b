// The contact sheet's photo page: the contact's pictures one at a time, stepped through, added,
// changed and deleted from a small tool bar or the page's context menu, and the whole list edited
// in the photo list editor. Stored paths may be relative to the address book's own file.
#pragma once

#include "contacts/ui/ContactPropertyPage.h"
#include "core/StringListEx.h"
#include "platform/gui/ImageList.h"
#include "ui/ImageWnd.h"
#include "ui/KovToolBar.h"

// The page's tool bar: its buttons follow the page's update handlers.
class CPhotoToolBar : public CKovToolBar {
public:
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
};

// The picture window of the page: it hands double clicks and right-button releases to the page.
class CPhotoImageWnd : public CImageWnd {
protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CPagePhotoes : public CContactPropertyPage {
public:
    enum { IDD = 434 };
    enum {
        IDC_IMAGE = 1111,
        IDC_POSITION = 1117,
        IDC_ZOOM = 1119,
        IDC_TOOLBAR = 1120,
        ID_PHOTO_ADD = 436,
        ID_PHOTO_CHANGE = 437,
        ID_PHOTO_DELETE = 438,
        ID_PHOTO_PREVIOUS = 439,
        ID_PHOTO_NEXT = 440,
        ID_PHOTO_ACTUAL_SIZE = 482,
        ID_PHOTO_EDIT = 483,
    };
    CPagePhotoes();
    ~CPagePhotoes() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The menu of this page opens on a right-button release; the sheet's context menu has none.
    void ShowContextMenu(CWnd* pWnd, CPoint point) override;
    void ExchangePhotos(CStringListEx& photos, BOOL bToPage);
    // The address book's file: the base of relative photo paths. Loading photos takes it afresh
    // from the document of the view that holds the sheet, when there is one.
    void SetDocumentPath(LPCTSTR lpszPath) { m_strDocumentPath = lpszPath ? lpszPath : ""; }
    // Shows photo nIndex (outside the list: none). TRUE when the picture loaded.
    BOOL ShowPhoto(int nIndex);
    void StepPhoto(BOOL bForward);
    // Adds (or, with bChange, replaces the current photo by) a picture file.
    void AddPhoto(LPCTSTR lpszPath, BOOL bChange);
    void DeletePhoto();
    int GetCurrent() const { return m_nCurrent; }
    int GetCount() const { return (int)m_photos.GetCount(); }
    CString GetAbsolutePath(int nIndex) const;
    CPhotoToolBar& GetToolBar() { return m_toolBar; }
    CImageWnd& GetImageWnd() { return m_wndImage; }
    // The tool bar's buttons brought up to date.
    void UpdateToolBar();

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnPrevious() { StepPhoto(FALSE); }
    void OnNext() { StepPhoto(TRUE); }
    void OnAdd() { ChoosePhoto(FALSE); }
    void OnChange() { ChoosePhoto(TRUE); }
    void OnDelete() { DeletePhoto(); }
    void OnActualSize();
    void OnEdit();
    void OnUpdateNeedsPhoto(CCmdUI* pCmdUI);
    void OnUpdatePrevious(CCmdUI* pCmdUI);
    void OnUpdateNext(CCmdUI* pCmdUI);
    void OnUpdateActualSize(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    void ChoosePhoto(BOOL bChange);
    void UpdateTexts();
    void LayoutPage();
    void CreateToolBar();
    void RefreshDocumentPath();
    // Writes the current index into the contact the contacts form holding the page shows.
    void StoreCurrentIndex();

    CPhotoImageWnd m_wndImage;
    CPhotoToolBar m_toolBar;
    CImageList m_toolImages;
    CStringList m_photos;
    int m_nCurrent = -1;
    int m_nLoadedCurrent = -1;
    int m_nStoredCurrent = -1;
    int m_nFilterIndex = -1;
    BOOL m_bLoading = FALSE;
};
