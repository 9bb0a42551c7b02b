// The desktop's common dialogs: choosing files to open or save, a colour and a font. Each keeps
// the classic structure the program reads its answer from. A test answers them through the modal
// dialog hook: the hook gets the dialog and calls its Answer function; without an answer the
// dialog counts as cancelled.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Dialog.h"

#include <utility>
#include <vector>

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
#define OFN_ENABLESIZING 0x00800000

#define FNERR_BUFFERTOOSMALL 0x3003
#define CDERR_GENERALCODES 0x0000

#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
#define CC_ANYCOLOR 0x00000100

#define CF_SCREENFONTS 0x00000001
#define CF_EFFECTS 0x00000100
#define CF_INITTOLOGFONTSTRUCT 0x00000040

struct OPENFILENAME {
    DWORD lStructSize;
    HWND hwndOwner;
    LPCSTR lpstrFilter; // "name\0pattern\0...\0\0"
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // 1-based
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
};

struct CHOOSECOLOR {
    DWORD lStructSize;
    HWND hwndOwner;
    COLORREF rgbResult;
    COLORREF* lpCustColors;
    DWORD Flags;
};

struct CHOOSEFONT {
    DWORD lStructSize;
    HWND hwndOwner;
    LOGFONT* lpLogFont;
    INT iPointSize; // tenths of a point
    DWORD Flags;
    COLORREF rgbColors;
};

// The error of the last common dialog that failed (FNERR_BUFFERTOOSMALL), 0 after a success or a
// cancel.
DWORD CommDlgExtendedError();

class CCommonDialog : public CDialog {
    DECLARE_DYNAMIC(CCommonDialog)
public:
    explicit CCommonDialog(CWnd* pParentWnd) : CDialog(0, pParentWnd) {}
    INT_PTR DoModal() override;

protected:
    // Shows the desktop's dialog and fills the answer; IDOK or IDCANCEL.
    virtual INT_PTR RunQtDialog() = 0;
    INT_PTR m_nAnswer = IDCANCEL;
};

class CFileDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszFilter: "name|pattern|name|pattern||", patterns separated by ';'.
    CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

    OPENFILENAME m_ofn{};

    // The chosen files as the dialog would give them: one full path, or with OFN_ALLOWMULTISELECT
    // the folder followed by the names. A save gets the default extension when the name has
    // none. A buffer too small for the answer fails the dialog with FNERR_BUFFERTOOSMALL and the
    // size needed in its first two bytes.
    void Answer(const CStringArray& paths, DWORD nFilterIndex = 0);
    void Answer(LPCTSTR lpszPath) {
        CStringArray a;
        a.Add(lpszPath);
        Answer(a);
    }

    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;
    BOOL IsOpenDialog() const { return m_bOpenFileDialog; }

protected:
    INT_PTR RunQtDialog() override;

    BOOL m_bOpenFileDialog;
    CString m_strFilter; // the filter with its '|' turned into terminators
    CString m_strDefExt;
    CString m_strTitle;
    char m_szFileName[260]{};
    // The filter pairs, for the Qt dialog and the default extension of a filter.
    std::vector<std::pair<CString, CString>> m_filters;
};

class CColorDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CColorDialog)
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    CHOOSECOLOR m_cc{};
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void Answer(COLORREF clr);

protected:
    INT_PTR RunQtDialog() override;
};

class CFontDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFontDialog)
public:
    explicit CFontDialog(LPLOGFONT lplfInitial = nullptr,
                         DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS, CDC* pdcPrinter = nullptr,
                         CWnd* pParentWnd = nullptr);
    CHOOSEFONT m_cf{};
    LOGFONT m_lf{};

    void GetCurrentFont(LPLOGFONT lplf) const { *lplf = m_lf; }
    CString GetFaceName() const { return m_lf.lfFaceName; }
    int GetSize() const { return m_cf.iPointSize; }
    COLORREF GetColor() const { return m_cf.rgbColors; }
    BOOL IsBold() const { return m_lf.lfWeight >= 700; }
    BOOL IsItalic() const { return m_lf.lfItalic != 0; }
    BOOL IsUnderline() const { return m_lf.lfUnderline != 0; }
    BOOL IsStrikeOut() const { return m_lf.lfStrikeOut != 0; }
    // The chosen font; its size comes from the height (pixels at 96 per inch).
    void Answer(const LOGFONT& lf, COLORREF clr = 0);

protected:
    INT_PTR RunQtDialog() override;
};
