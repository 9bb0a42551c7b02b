// The background of a list-style view: none, a colour or an image, and its text colour, chosen
// through the View menu and kept per view in a profile section of its own. CBkManager holds and
// persists the choice for one window; CListCtrlBkManager applies it to a list view and adds the
// grid-lines switch.
#pragma once

#include "platform/gui/Wnd.h"

class CCmdUI;

// The colour value that stands for "the control's own default colour".
#define BK_DEFAULT_COLOR ((COLORREF)0xFF000000)

// One background setting.
struct CBkInfo {
    enum { MethodNone = 0, MethodColor = 1, MethodImage = 2 };
    int nMethod = MethodNone;
    COLORREF crColor = (COLORREF)-1;
    CString strImagePath;
    BOOL bTile = TRUE;
    // Offsets of the image in percent of the width and the height.
    int nXOffset = 0;
    int nYOffset = 0;
};

class CBkManager {
public:
    // The View menu commands a view hands to its manager.
    enum {
        IdChooseBkColor = 441,
        IdChooseBkImage = 443,
        IdDefaultBk = 444,
        IdNoBk = 445,
        IdChooseTextColor = 446,
        IdDefaultTextColor = 447,
    };

    CBkManager() = default;
    virtual ~CBkManager() = default;

    // The window it manages and a code its owner gives with it (the list views pass 2).
    void SetWindow(CWnd* pWnd, int nKind);
    CWnd* GetWindow() const { return m_pWnd; }
    int GetKind() const { return m_nKind; }
    // The profile section of the window ("Bkground\ViewPersonList", ...).
    void SetSection(LPCTSTR lpszSection) { m_strSection = lpszSection; }
    const CString& GetSection() const { return m_strSection; }

    // The window's own operations; the base manages no real window and answers FALSE for the
    // background, TRUE for the text colour.
    virtual BOOL SetTextColor(COLORREF crText);
    virtual BOOL SetBkColor(COLORREF crBk);
    // A null path removes the image.
    virtual BOOL SetBkImage(LPCTSTR lpszPath, BOOL bTile, int nXOffset, int nYOffset);

    void SetDefaultBkInfo(const CBkInfo& info) { m_defaults = info; }
    // Applies a setting (null: no background) and answers whether the window took it; only a
    // setting the window took becomes the current one.
    BOOL ApplyBkInfo(const CBkInfo* pInfo);
    BOOL ApplyDefaultBk();

    // The colour and file dialogs; a cancelled dialog changes nothing. The focus returns to the
    // window afterwards.
    void ChooseBkColor();
    void ChooseBkImage();
    void ChooseTextColor();

    virtual void LoadFromProfile();
    virtual void SaveToProfile();

    // The View menu commands: TRUE when nID is one of them and it was carried out. They are
    // enabled only while the managed window (or a child of it) has the focus.
    BOOL OnCommand(UINT nID);
    static BOOL IsBkCommand(UINT nID);
    void OnUpdateCommand(CCmdUI* pCmdUI) const;

    // The filter of the image dialog: an all-images entry, then one per format the decoders
    // read (icons and metafiles left out).
    static CString ImageFileFilter();

    const CBkInfo& GetCurrent() const { return m_current; }
    const CBkInfo& GetDefaults() const { return m_defaults; }
    BOOL IsDefaultBk() const { return m_bDefaultBk; }
    COLORREF GetTextColor() const { return m_crText; }
    BOOL IsDefTextColor() const { return m_bDefTextClr; }

protected:
    CWnd* m_pWnd = nullptr;
    int m_nKind = 0;
    COLORREF m_crText = BK_DEFAULT_COLOR;
    COLORREF m_crDefaultText = BK_DEFAULT_COLOR;
    CBkInfo m_current;
    CBkInfo m_defaults;
    BOOL m_bDefaultBk = FALSE;
    CString m_strSection;
    BOOL m_bDefTextClr = TRUE;
};

class CListCtrlBkManager : public CBkManager {
public:
    BOOL SetTextColor(COLORREF crText) override;
    BOOL SetBkColor(COLORREF crBk) override;
    BOOL SetBkImage(LPCTSTR lpszPath, BOOL bTile, int nXOffset, int nYOffset) override;
    void LoadFromProfile() override;
    void SaveToProfile() override;
    BOOL IsShowGrid() const { return m_bShowGrid; }
    // Takes the list, the default (a tiled image of the program folder, "Images\x.gif") and the
    // settings stored in the section (null keeps the section set before).
    void AttachList(CWnd* pList, LPCTSTR lpszSection, LPCTSTR lpszDefaultImage);

protected:
    BOOL m_bShowGrid = FALSE;
};
