// The contact sheet's photo page: the contact's pictures one at a time, stepped through, added,
// changed and deleted. Stored paths may be relative to the address book's own file.
#pragma once

#include "contacts/ui/ContactPropertyPage.h"
#include "core/StringListEx.h"
#include "ui/ImageWnd.h"

class CPagePhotoes : public CContactPropertyPage {
public:
    enum { IDD = 434 };
    enum {
        IDC_IMAGE = 1111,
        IDC_POSITION = 1117,
        IDC_ZOOM = 1119,
        ID_PHOTO_ADD = 436,
        ID_PHOTO_CHANGE = 437,
        ID_PHOTO_DELETE = 438,
        ID_PHOTO_PREVIOUS = 439,
        ID_PHOTO_NEXT = 440,
        ID_PHOTO_ACTUAL_SIZE = 482,
    };
    CPagePhotoes();
    ~CPagePhotoes() override;

    BOOL OnInitDialog() override;
    void ExchangePhotos(CStringListEx& photos, BOOL bToPage);
    // The address book's file: the base of relative photo paths.
    void SetDocumentPath(LPCTSTR lpszPath) { m_strDocumentPath = lpszPath ? lpszPath : ""; }
    // Shows photo nIndex (outside the list: none). TRUE when the picture loaded.
    BOOL ShowPhoto(int nIndex);
    void StepPhoto(BOOL bForward);
    // Adds (or, with bChange, replaces the current photo by) a picture file.
    void AddPhoto(LPCTSTR lpszPath, BOOL bChange);
    void DeletePhoto();
    int GetCurrent() const { return m_nCurrent; }
    CString GetAbsolutePath(int nIndex) const;
    // Whether a double click may hand the file to the desktop: picture files only.
    static BOOL IsPictureFile(LPCTSTR lpszPath);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void UpdateTexts();
    void LayoutPage();

    CImageWnd m_wndImage;
    CStringList m_photos;
    int m_nCurrent = -1;
    int m_nLoadedCurrent = -1;
    int m_nStoredCurrent = -1;
    int m_nFilterIndex = -1;
};
