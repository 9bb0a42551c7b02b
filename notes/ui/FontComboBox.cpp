#include "notes/ui/FontComboBox.h"

#include "notes/FormatRules.h"
#include "platform/gui/FontEnum.h"

#include <algorithm>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CLocalComboBox, CComboBox)
IMPLEMENT_DYNAMIC(CFontComboBox, CLocalComboBox)
IMPLEMENT_DYNAMIC(CSizeComboBox, CLocalComboBox)

const int CSizeComboBox::kStandardSizes[16] = {8, 9, 10, 11, 12, 14, 16, 18,
                                               20, 22, 24, 26, 28, 36, 48, 72};

namespace {

constexpr UINT kMarksBitmap = 1400;

int GuiFontHeight() {
    CFont* font = CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(font);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    dc.SelectObject(old);
    return tm.tmHeight;
}

// The screen's faces as the font box lists them: no bitmap faces (they scale badly on screen).
int CollectFace(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX*, DWORD type, LPARAM lParam) {
    if ((type & RASTER_FONTTYPE) || elf->elfLogFont.lfCharSet == MAC_CHARSET ||
        elf->elfLogFont.lfFaceName[0] == '@')
        return 1;
    CFontItem item;
    item.face = CutFaceName(elf->elfLogFont.lfFaceName);
    item.script = elf->elfScript;
    item.charSet = elf->elfLogFont.lfCharSet;
    item.pitchAndFamily = elf->elfLogFont.lfPitchAndFamily;
    item.type = (type & TRUETYPE_FONTTYPE) ? CFontItem::TrueType
                : (type & DEVICE_FONTTYPE) ? CFontItem::Device
                                           : 0;
    reinterpret_cast<std::vector<CFontItem>*>(lParam)->push_back(item);
    return 1;
}

struct SizeScan {
    bool scalable = false;
    std::vector<int> twips; // of a bitmap face, as found
    int logVert = kScreenLogPixels;
};

// The first outline answer makes it a scalable face; a bitmap face gives its sizes.
int CollectSize(const ENUMLOGFONTEX*, const NEWTEXTMETRICEX* tm, DWORD type, LPARAM lParam) {
    auto* scan = reinterpret_cast<SizeScan*>(lParam);
    if (!(type & RASTER_FONTTYPE)) {
        scan->scalable = true;
        return 0;
    }
    const int height = tm->ntmTm.tmHeight - tm->ntmTm.tmInternalLeading;
    scan->twips.push_back(height * 1440 / scan->logVert);
    return 1;
}

// The entry of exactly that text, else the text alone (never an entry it only begins, and
// nothing at all rather than the first entry).
void ShowText(CComboBox& box, const CString& text) {
    int n = text.IsEmpty() ? -1 : box.FindStringExact(-1, text);
    box.SetCurSel(n);
    if (n < 0)
        box.SetWindowText(text);
}

} // namespace

BOOL CLocalComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CComboBox::Create(dwStyle, rect, pParentWnd, nID))
        return FALSE;
    SetFont(CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT)));
    return TRUE;
}

BOOL CFontComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CLocalComboBox::Create(dwStyle | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, rect, pParentWnd,
                                nID))
        return FALSE;
    m_bmMarks.LoadBitmap(kMarksBitmap);
    SetRowHeight(*this, ItemHeight());
    return TRUE;
}

int CFontComboBox::ItemHeight() {
    return std::max(GuiFontHeight(), (int)kMarkHeight);
}

std::vector<std::pair<CString, CFontItem>>
CFontComboBox::ListFaces(const std::vector<CFontItem>& all) {
    std::map<CString, int> count;
    for (const CFontItem& f : all)
        ++count[f.face];
    std::vector<std::pair<CString, CFontItem>> shown;
    for (const CFontItem& f : all) {
        CString text = f.face;
        if (count[f.face] > 1 && !f.script.IsEmpty())
            text += " (" + f.script + ")";
        shown.emplace_back(text, f);
    }
    return shown;
}

void CFontComboBox::Fill() {
    CString current;
    GetWindowText(current);
    ResetContent();
    m_records.clear();
    m_items.clear();
    LOGFONT lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    CClientDC dc(nullptr);
    EnumFontFamiliesEx(dc.m_hDC, &lf, &CollectFace, (LPARAM)&m_items);
    for (auto& [text, item] : ListFaces(m_items)) {
        m_records.push_back(std::make_unique<CFontItem>(item));
        int n = AddString(text);
        if (n >= 0)
            SetItemData(n, (DWORD_PTR)m_records.back().get());
    }
    ShowText(*this, current);
}

const CFontItem* CFontComboBox::FindItem(const CString& text) const {
    int n = text.IsEmpty() ? -1 : FindStringExact(-1, text);
    return n >= 0 ? reinterpret_cast<const CFontItem*>(GetItemData(n)) : nullptr;
}

void CFontComboBox::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect rc(lpDIS->rcItem);
    const bool selected = (lpDIS->itemState & ODS_SELECTED) != 0;
    if ((int)lpDIS->itemID < 0 || (int)lpDIS->itemID >= GetCount()) {
        if (lpDIS->itemState & ODS_FOCUS)
            pDC->DrawFocusRect(rc);
        return;
    }
    pDC->FillSolidRect(rc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto* item = reinterpret_cast<const CFontItem*>(lpDIS->itemData);
    if (item != nullptr && (item->type & (CFontItem::TrueType | CFontItem::Device)) &&
        m_bmMarks.m_hObject != nullptr) {
        // The mark is white where it shows nothing: blended in, the row's colour stays there.
        CDC marks;
        marks.CreateCompatibleDC(pDC);
        CBitmap* old = marks.SelectObject(&m_bmMarks);
        const int x = (item->type & CFontItem::TrueType) ? kMarkWidth : 0;
        pDC->BitBlt(rc.left, rc.top + (rc.Height() - kMarkHeight) / 2, kMarkWidth, kMarkHeight,
                    &marks, x, 0, SRCAND);
        marks.SelectObject(old);
    }
    CString text;
    GetLBText((int)lpDIS->itemID, text);
    CFont* oldFont = pDC->SelectObject(GetFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    CRect textRect(rc.left + kTextIndent, rc.top, rc.right, rc.bottom);
    pDC->DrawText(text, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pDC->SelectObject(oldFont);
    if (lpDIS->itemState & ODS_FOCUS)
        pDC->DrawFocusRect(rc);
}

void CSizeComboBox::FillSizes(const CString& face) {
    SizeScan scan;
    if (!face.IsEmpty()) {
        LOGFONT lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(lf.lfFaceName, CutFaceName(face).GetString(), LF_FACESIZE - 1);
        CClientDC dc(nullptr);
        EnumFontFamiliesEx(dc.m_hDC, &lf, &CollectSize, (LPARAM)&scan);
    }
    m_nLogVert = scan.logVert;
    CString shown;
    GetWindowText(shown);
    ResetContent();
    // A face no font has is drawn in a stand-in outline font: the standard sizes serve.
    if (scan.scalable || scan.twips.empty()) {
        for (int pt : kStandardSizes) {
            CString s;
            s.Format("%d", pt);
            SetItemData(AddString(s), (DWORD_PTR)(pt * 20));
        }
    } else {
        std::sort(scan.twips.begin(), scan.twips.end());
        for (int twips : scan.twips) {
            CString s = FormatSizeText(twips);
            if (FindStringExact(-1, s) >= 0)
                continue;
            SetItemData(AddString(s), (DWORD_PTR)twips);
        }
    }
    ShowText(*this, shown);
}

void CSizeComboBox::SetTwips(long lTwips) {
    CString text = FormatSizeText(lTwips);
    CString shown;
    GetWindowText(shown);
    if (shown != text)
        ShowText(*this, text);
    m_nTwipsLast = (int)lTwips;
}
