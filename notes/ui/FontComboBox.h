// The format bar's two boxes. The font box lists the screen's faces, once per script a face
// covers, and draws each entry itself with a mark for an outline (or device) font; the size box
// offers the sizes of the face chosen, refilled each time its list drops down.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

#include <memory>

#ifndef CB_SETITEMHEIGHT
#define CB_SETITEMHEIGHT 0x0153
#define CB_GETITEMHEIGHT 0x0154
#endif
#include <utility>
#include <vector>

// One face of the font box.
struct CFontItem {
    enum : int { FromPrinter = 0x100, TrueType = 0x200, Device = 0x400 };
    CString face;
    CString script; // empty when the system names none
    BYTE charSet = 1;
    BYTE pitchAndFamily = 0;
    int type = 0;
};

// A combo box in the default interface font, with the marks bitmap its entries may draw.
class CLocalComboBox : public CComboBox {
    DECLARE_DYNAMIC(CLocalComboBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

protected:
    CBitmap m_bmMarks;
};

class CFontComboBox : public CLocalComboBox {
    DECLARE_DYNAMIC(CFontComboBox)
public:
    enum { kMarkWidth = 16, kMarkHeight = 15, kTextIndent = 22 };

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Lists the screen's faces again, keeping the text shown.
    void Fill();
    // The texts shown for the faces: a face listed in several scripts shows each with its script.
    static std::vector<std::pair<CString, CFontItem>> ListFaces(const std::vector<CFontItem>& all);
    const std::vector<CFontItem>& GetItems() const { return m_items; }
    // The face of the entry of exactly that text; null for a text that names none.
    const CFontItem* FindItem(const CString& text) const;
    // The row height: the interface font's, at least a mark's.
    static int ItemHeight();
    // The height of the list's rows, and of the size box's (CB_SETITEMHEIGHT).
    static void SetRowHeight(CComboBox& box, int cy) {
        box.SendMessage(CB_SETITEMHEIGHT, 0, (LPARAM)cy);
    }
    static int GetRowHeight(CComboBox& box) { return (int)box.SendMessage(CB_GETITEMHEIGHT); }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    std::vector<CFontItem> m_items;
    // Each entry's item data points at its shown face.
    std::vector<std::unique_ptr<CFontItem>> m_records;
};

class CSizeComboBox : public CLocalComboBox {
    DECLARE_DYNAMIC(CSizeComboBox)
public:
    static const int kStandardSizes[16];

    // Lists the sizes of the face: the standard sizes for an outline face (or a face no font
    // has), each size a bitmap face has otherwise, in twips order.
    void FillSizes(const CString& face);
    // Shows a size in twips (nothing for a negative one); the entry of exactly that text, else
    // the text alone.
    void SetTwips(long lTwips);
    int m_nTwipsLast = -1;
    int m_nLogVert = 96;
};
