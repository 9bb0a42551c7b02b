// The rich edit control over a Qt text edit: text and selection in character positions (a
// paragraph end counts as one character), character and paragraph formats, streaming its content
// in and out as plain GBK text or as RTF through the caller's callback, automatic link detection
// with EN_LINK, undo and redo, the clipboard, a text limit and the modified flag. Every member
// works through the control's messages, so code that sends EM_ messages and code that calls the
// members see the same control; the state lives with the window, so an object that subclasses the
// control (or a view whose window is the control) finds it there.
#pragma once

#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

class QWidget;

// ---- Messages ----------------------------------------------------------------------------------

#ifndef EM_GETRECT
#define EM_GETRECT 0x00B2
#endif
#ifndef EM_SETRECT
#define EM_SETRECT 0x00B3
#endif
#ifndef EM_SETRECTNP
#define EM_SETRECTNP 0x00B4
#endif
#ifndef EM_LINESCROLL
#define EM_LINESCROLL 0x00B6
#endif
#ifndef EM_LINEINDEX
#define EM_LINEINDEX 0x00BB
#endif
#ifndef EM_LINELENGTH
#define EM_LINELENGTH 0x00C1
#endif
#ifndef EM_GETLINE
#define EM_GETLINE 0x00C4
#endif
#ifndef EM_LINEFROMCHAR
#define EM_LINEFROMCHAR 0x00C9
#endif
#ifndef EM_EMPTYUNDOBUFFER
#define EM_EMPTYUNDOBUFFER 0x00CD
#endif
#ifndef EM_GETFIRSTVISIBLELINE
#define EM_GETFIRSTVISIBLELINE 0x00CE
#endif
#ifndef EM_SETWORDBREAKPROC
#define EM_SETWORDBREAKPROC 0x00D0
#endif
#ifndef EM_GETWORDBREAKPROC
#define EM_GETWORDBREAKPROC 0x00D1
#endif
#ifndef EM_POSFROMCHAR
#define EM_POSFROMCHAR 0x00D6
#endif
#ifndef EM_CHARFROMPOS
#define EM_CHARFROMPOS 0x00D7
#endif
#ifndef WM_CUT
#define WM_CUT 0x0300
#endif
#ifndef WM_COPY
#define WM_COPY 0x0301
#endif
#ifndef WM_PASTE
#define WM_PASTE 0x0302
#endif
#ifndef WM_CLEAR
#define WM_CLEAR 0x0303
#endif
#ifndef WM_UNDO
#define WM_UNDO 0x0304
#endif

#define EM_CANPASTE (WM_USER + 50)
#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXLINEFROMCHAR (WM_USER + 54)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_FINDTEXT (WM_USER + 56)
#define EM_GETCHARFORMAT (WM_USER + 58)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_GETPARAFORMAT (WM_USER + 61)
#define EM_GETSELTEXT (WM_USER + 62)
#define EM_HIDESELECTION (WM_USER + 63)
#define EM_SELECTIONTYPE (WM_USER + 66)
#define EM_SETBKGNDCOLOR (WM_USER + 67)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETPARAFORMAT (WM_USER + 71)
#define EM_SETTARGETDEVICE (WM_USER + 72)
#define EM_STREAMIN (WM_USER + 73)
#define EM_STREAMOUT (WM_USER + 74)
#define EM_GETTEXTRANGE (WM_USER + 75)
#define EM_SETOPTIONS (WM_USER + 77)
#define EM_GETOPTIONS (WM_USER + 78)
#define EM_FINDTEXTEX (WM_USER + 79)
#define EM_SETUNDOLIMIT (WM_USER + 82)
#define EM_REDO (WM_USER + 84)
#define EM_CANREDO (WM_USER + 85)
#define EM_AUTOURLDETECT (WM_USER + 91)
#define EM_GETAUTOURLDETECT (WM_USER + 92)
#define EM_GETTEXTLENGTHEX (WM_USER + 95)
#define EM_SETLANGOPTIONS (WM_USER + 120)
#define EM_GETLANGOPTIONS (WM_USER + 121)

// Notifications: EN_CHANGE comes as WM_COMMAND, the others as WM_NOTIFY.
#ifndef EN_UPDATE
#define EN_UPDATE 0x0400
#endif
#define EN_SELCHANGE 0x0702
#define EN_LINK 0x070B

#define ENM_NONE 0x00000000
#define ENM_CHANGE 0x00000001
#define ENM_UPDATE 0x00000002
#define ENM_SCROLL 0x00000004
#define ENM_KEYEVENTS 0x00010000
#define ENM_MOUSEEVENTS 0x00020000
#define ENM_SELCHANGE 0x00080000
#define ENM_LINK 0x04000000

#define ES_SAVESEL 0x00008000
#define ES_SUNKEN 0x00004000
#define ES_DISABLENOSCROLL 0x00002000
#define ES_SELECTIONBAR 0x01000000

#define ECOOP_SET 0x0001
#define ECOOP_OR 0x0002
#define ECOOP_AND 0x0003
#define ECOOP_XOR 0x0004
#define ECO_AUTOWORDSELECTION 0x00000001
#define ECO_AUTOVSCROLL 0x00000040
#define ECO_AUTOHSCROLL 0x00000080
#define ECO_NOHIDESEL 0x00000100
#define ECO_READONLY 0x00000800
#define ECO_WANTRETURN 0x00001000
#define ECO_SAVESEL 0x00008000
#define ECO_SELECTIONBAR 0x01000000

#define IMF_AUTOKEYBOARD 0x0001
#define IMF_AUTOFONT 0x0002
#define IMF_DUALFONT 0x0080

// Character formats.
#define CFM_BOLD 0x00000001
#define CFM_ITALIC 0x00000002
#define CFM_UNDERLINE 0x00000004
#define CFM_STRIKEOUT 0x00000008
#define CFM_PROTECTED 0x00000010
#define CFM_LINK 0x00000020
#define CFM_SIZE 0x80000000
#define CFM_COLOR 0x40000000
#define CFM_FACE 0x20000000
#define CFM_OFFSET 0x10000000
#define CFM_CHARSET 0x08000000
#define CFM_BACKCOLOR 0x04000000
#define CFM_SUBSCRIPT 0x00030000
#define CFM_SUPERSCRIPT CFM_SUBSCRIPT
#define CFM_EFFECTS                                                                                \
    (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_STRIKEOUT | CFM_PROTECTED | CFM_LINK)
#define CFM_ALL (CFM_EFFECTS | CFM_SIZE | CFM_FACE | CFM_OFFSET | CFM_CHARSET)

#define CFE_BOLD 0x00000001
#define CFE_ITALIC 0x00000002
#define CFE_UNDERLINE 0x00000004
#define CFE_STRIKEOUT 0x00000008
#define CFE_PROTECTED 0x00000010
#define CFE_LINK 0x00000020
#define CFE_AUTOCOLOR 0x40000000
#define CFE_AUTOBACKCOLOR CFM_BACKCOLOR
#define CFE_SUBSCRIPT 0x00010000
#define CFE_SUPERSCRIPT 0x00020000

#define SCF_DEFAULT 0x0000
#define SCF_SELECTION 0x0001
#define SCF_WORD 0x0002
#define SCF_ALL 0x0004

#define yHeightCharPtsMost 1638

struct CHARFORMAT {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight; // twips
    LONG yOffset; // twips, positive raises the text
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    char szFaceName[LF_FACESIZE];
};
// Laid out as the classic 84-byte structure (not derived, so no padding comes in between).
struct CHARFORMAT2 {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    char szFaceName[LF_FACESIZE];
    WORD wWeight;
    SHORT sSpacing;
    COLORREF crBackColor;
    DWORD lcid;
    DWORD dwReserved;
    SHORT sStyle;
    WORD wKerning;
    BYTE bUnderlineType;
    BYTE bAnimation;
    BYTE bRevAuthor;
    BYTE bReserved1;
};
static_assert(sizeof(CHARFORMAT) == 60 && sizeof(CHARFORMAT2) == 84);
typedef CHARFORMAT CHARFORMATA;
typedef CHARFORMAT2 CHARFORMAT2A;

// Paragraph formats.
#define PFM_STARTINDENT 0x00000001
#define PFM_RIGHTINDENT 0x00000002
#define PFM_OFFSET 0x00000004
#define PFM_ALIGNMENT 0x00000008
#define PFM_TABSTOPS 0x00000010
#define PFM_NUMBERING 0x00000020
#define PFM_OFFSETINDENT 0x80000000
#define PFN_BULLET 0x0001
#define PFA_LEFT 0x0001
#define PFA_RIGHT 0x0002
#define PFA_CENTER 0x0003
#define PFA_JUSTIFY 0x0004
#define MAX_TAB_STOPS 32

struct PARAFORMAT {
    UINT cbSize;
    DWORD dwMask;
    WORD wNumbering;
    WORD wReserved;
    LONG dxStartIndent; // the first line, from the left edge
    LONG dxRightIndent;
    LONG dxOffset; // the other lines, from the first line
    WORD wAlignment;
    SHORT cTabCount;
    LONG rgxTabs[MAX_TAB_STOPS];
};

struct CHARRANGE {
    LONG cpMin;
    LONG cpMax;
};
struct TEXTRANGE {
    CHARRANGE chrg;
    LPSTR lpstrText;
};
typedef TEXTRANGE TEXTRANGEA;
struct FINDTEXTEX {
    CHARRANGE chrg;
    LPCSTR lpstrText;
    CHARRANGE chrgText;
};
struct GETTEXTLENGTHEX {
    DWORD flags;
    UINT codepage;
};
#define GTL_DEFAULT 0
#define GTL_USECRLF 1
#define GTL_PRECISE 2
#define GTL_CLOSE 4
#define GTL_NUMCHARS 8
#define GTL_NUMBYTES 16

#define FR_DOWN 0x00000001
#define FR_WHOLEWORD 0x00000002
#define FR_MATCHCASE 0x00000004

struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp;
};
#define SEL_EMPTY 0x0000
#define SEL_TEXT 0x0001
#define SEL_MULTICHAR 0x0004

struct ENLINK {
    NMHDR nmhdr;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    CHARRANGE chrg;
};

// Streaming: the callback moves up to cb bytes and tells how many it moved; non-zero stops.
typedef DWORD (*EDITSTREAMCALLBACK)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
struct EDITSTREAM {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};
#define SF_TEXT 0x0001
#define SF_RTF 0x0002
#define SF_RTFNOOBJS 0x0003
#define SFF_PLAINRTF 0x4000
#define SFF_SELECTION 0x8000

typedef int (*EDITWORDBREAKPROC)(LPSTR lpch, int ichCurrent, int cch, int code);

// Told how far a long read into a rich edit has come. A whole content read with one is built
// apart and shown only once it is complete, so a read that is stopped leaves the control as it was.
class CIRichEditReadProgress {
public:
    virtual ~CIRichEditReadProgress() = default;
    // nDone of nTotal paragraphs are in; FALSE stops the read.
    virtual BOOL OnReadProgress(ULONGLONG nDone, ULONGLONG nTotal) = 0;
};

// The error a read stopped by its progress ends with.
constexpr DWORD kRichEditReadStopped = 1223;

// Makes the Qt widget of a rich edit window and gives the window the control's behaviour; the
// control classes and the views whose window is a rich edit call it from CreateWidget.
QWidget* AfxCreateRichEditWidget(CWnd* pWnd, const CREATESTRUCT& cs, QWidget* parent);

class CRichEditCtrl : public CWnd {
    DECLARE_DYNAMIC(CRichEditCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // ---- Text and selection (character positions) ----
    void GetSel(CHARRANGE& cr) const;
    void GetSel(long& nStartChar, long& nEndChar) const;
    // (0, -1) selects everything; a start of -1 removes the selection.
    void SetSel(long nStartChar, long nEndChar);
    void SetSel(CHARRANGE& cr);
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
    CString GetSelText() const;
    WORD GetSelectionType() const;
    int GetTextRange(int nFirst, int nLast, CString& refString) const;
    long GetTextLength() const;
    long GetTextLengthEx(DWORD dwFlags, UINT uCodePage = 0) const;
    void HideSelection(BOOL bHide, BOOL bPerm);

    // ---- Lines (as the text is laid out) ----
    int GetLineCount() const;
    int LineIndex(int nLine = -1) const;
    int LineFromChar(long nIndex) const;
    int LineLength(int nLine = -1) const;
    int GetLine(int nIndex, LPTSTR lpszBuffer, int nMaxLength) const;
    int GetFirstVisibleLine() const;
    void LineScroll(int nLines, int nChars = 0);
    CPoint GetCharPos(long lChar) const;
    int CharFromPos(CPoint pt) const;

    // ---- Formats ----
    DWORD GetDefaultCharFormat(CHARFORMAT& cf) const;
    DWORD GetDefaultCharFormat(CHARFORMAT2& cf) const;
    DWORD GetSelectionCharFormat(CHARFORMAT& cf) const;
    DWORD GetSelectionCharFormat(CHARFORMAT2& cf) const;
    BOOL SetDefaultCharFormat(CHARFORMAT& cf);
    BOOL SetDefaultCharFormat(CHARFORMAT2& cf);
    BOOL SetSelectionCharFormat(CHARFORMAT& cf);
    BOOL SetSelectionCharFormat(CHARFORMAT2& cf);
    BOOL SetWordCharFormat(CHARFORMAT& cf);
    BOOL SetWordCharFormat(CHARFORMAT2& cf);
    DWORD GetParaFormat(PARAFORMAT& pf) const;
    BOOL SetParaFormat(PARAFORMAT& pf);

    // ---- Behaviour ----
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    DWORD GetEventMask() const;
    DWORD SetEventMask(DWORD dwEventMask);
    // The previous background colour.
    COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr);
    // Line width in twips; (null, 0) wraps to the window, (null, 1) does not wrap.
    BOOL SetTargetDevice(HDC hDC, long lLineWidth);
    UINT SetOptions(WORD wOp, DWORD dwFlags);
    UINT GetOptions() const;
    void GetRect(LPRECT lpRect) const;
    void SetRect(LPCRECT lpRect);
    void LimitText(long nChars = 0);
    long GetLimitText() const;
    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    long FindText(DWORD dwFlags, FINDTEXTEX* pFindText) const;

    // ---- Editing ----
    BOOL CanUndo() const;
    BOOL CanRedo() const;
    BOOL Undo();
    BOOL Redo();
    void EmptyUndoBuffer();
    BOOL CanPaste(UINT nFormat = 0) const;
    void Clear();
    void Copy();
    void Cut();
    void Paste();

    // ---- Streaming: the number of bytes read or written ----
    long StreamIn(int nFormat, EDITSTREAM& es);
    // The same read, telling the progress how it goes; a stopped read returns 0 with
    // es.dwError set to kRichEditReadStopped and the content unchanged. Only a read of the whole
    // content (no SFF_SELECTION) is told.
    long StreamIn(int nFormat, EDITSTREAM& es, CIRichEditReadProgress* pProgress);
    long StreamOut(int nFormat, EDITSTREAM& es);

protected:
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* parent) override;

private:
    // Messages go to the window of the handle, so an object standing for another window's
    // control (a view's) reaches that window's behaviour.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};
