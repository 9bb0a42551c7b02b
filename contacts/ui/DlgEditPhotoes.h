// The photo list editor: every photo of a contact as a thumbnail, in an order the user arranges,
// with its path absolute or relative to the address book's file. Also the path and picture-file
// helpers the photo page shares with it.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"
#include "ui/KovListBox.h"

// The photo path in the asked form against the address book's file: relative to it (bRelative)
// or absolute. A path that has that form already, or cannot take it (another drive, no book
// file), comes back as it is.
CString ConvertPhotoPath(const CString& path, const CString& documentPath, BOOL bRelative);
// The filter of the picture file dialogs: all pictures first, then one entry per type.
CString GetPictureFilter();
// Whether the file is a picture of the filter's types: a stored path may name any file, and only
// pictures are handed to the desktop.
BOOL IsPictureFile(LPCTSTR lpszPath);
// The picture file dialog, started on nFilterIndex (remembered again on OK). TRUE and the
// chosen path when the user picked an existing file.
BOOL ChoosePictureFile(CWnd* pParent, int& nFilterIndex, CString& path);

class CDlgEditPhotoes : public CDialog {
public:
    enum { IDD = 473 };
    enum {
        IDC_LIST = 1057,
        IDC_PATH = 1219,
        IDC_STORED = 1221,
        IDC_ABSOLUTE = 1213,
        IDC_RELATIVE = 1214,
        IDC_OPEN_FOLDER = 469,
        IDC_CHOOSE = 1220,
        IDC_UP = 1106,
        IDC_DOWN = 1107,
        IDC_INSERT_BEFORE = 1222,
        IDC_INSERT_AFTER = 1223,
        IDC_MODIFY = 1031,
        IDC_DELETE = 1032,
        IDC_DELETE_ALL = 1024,
        IDC_ALL_ABSOLUTE = 1247,
        IDC_ALL_RELATIVE = 1248,
    };
    // The editor works on a copy of the list; nSelected outside it selects nothing.
    CDlgEditPhotoes(const CStringList& photos, int nSelected, LPCTSTR lpszDocumentPath,
                    CWnd* pParent = nullptr);
    ~CDlgEditPhotoes() override;

    const CStringList& GetPhotos() const { return m_photos; }
    int GetSelected() const { return m_nSelected; }
    BOOL IsChanged() const { return m_bChanged; }
    CImageListBox& GetListBox() { return m_list; }
    // Whether the stored path of the selection is relative (it is then shown in blue).
    BOOL IsStoredRelative() const { return m_bStoredRelative; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void ShowSelection();
    void Select(int nIndex);
    void SetPathForm(int nForm);
    void Insert(BOOL bAfter);
    void Modify();
    void Delete();
    void DeleteAll();
    void Move(BOOL bDown);
    void ConvertAll(BOOL bRelative);
    void OpenFolder();
    void UpdateControls();
    CString Absolute(const CString& path) const;
    CString EnteredPath() const;

    CStringList m_photos;
    int m_nSelected = -1;
    BOOL m_bStoredRelative = FALSE;
    CString m_strDocumentPath;
    BOOL m_bChanged = FALSE;
    CImageListBox m_list;
    int m_nPathForm = 0; // 0 absolute, 1 relative
};
