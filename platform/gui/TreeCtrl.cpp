#include "platform/gui/TreeCtrl.h"

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ItemCtrlCommon.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPointer>
#include <algorithm>
#include <cassert>
#include <cstring>
#include <unordered_set>
#include <vector>

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

// Dialog templates name the control by its window class.
static const bool s_registered = (AfxRegisterControlClass<CTreeCtrl>("SysTreeView32"), true);

struct TreeItemData {
    CString text;
    int image = 0;
    int selImage = 0;
    UINT state = 0;
    LPARAM data = 0;
    int children = 0; // the children flag the program set; real children count too
    TreeItemData* parent = nullptr;
    std::vector<TreeItemData*> kids;
    // The item's index in the visible rows, while rowStamp is the stamp of the rows listed last.
    int row = 0;
    unsigned rowStamp = 0;
};

namespace {
constexpr UINT_PTR kEditTimer = 0x7E01; // a click on the selected label starts editing later
constexpr int kStateIconWidth = 16;
} // namespace

struct TreeCtrlState {
    CTreeCtrl* self;
    TreeItemData root;
    std::unordered_set<TreeItemData*> live;
    TreeItemData* caret = nullptr;
    TreeItemData* dropHilite = nullptr;
    TreeItemData* hot = nullptr;
    CImageList* normal = nullptr;
    CImageList* stateImages = nullptr;
    int indent = 19;
    int itemHeight = -1; // -1: from the font
    COLORREF bk = CLR_NONE;
    COLORREF text = CLR_NONE;
    int top = 0; // index of the first visible row
    bool hasVScroll = false;
    CItemLabelEdit edit;
    TreeItemData* editItem = nullptr;
    TreeItemData* pendingEdit = nullptr;
    TreeItemData* pressItem = nullptr;
    CPoint pressPt;
    bool dragSent = false;

    explicit TreeCtrlState(CTreeCtrl* s) : self(s) {}

    DWORD Style() const { return self->m_hWnd ? self->GetStyle() : 0; }
    TreeItemData* Valid(HTREEITEM h) const { return h && live.count(h) ? h : nullptr; }
    TreeItemData* ParentOf(HTREEITEM h) const {
        if (h == nullptr || h == TVI_ROOT)
            return const_cast<TreeItemData*>(&root);
        return Valid(h);
    }
    int Level(const TreeItemData* it) const {
        int n = 0;
        for (auto* p = it->parent; p && p != &root; p = p->parent)
            ++n;
        return n;
    }
    bool Expanded(const TreeItemData* it) const { return (it->state & TVIS_EXPANDED) != 0; }
    bool HasKids(const TreeItemData* it) const { return !it->kids.empty() || it->children > 0; }

    // The visible rows are listed once and kept until the tree's shape changes (an item shown
    // or hidden by an insert, a delete, an expand or a collapse, or a sort), so that stepping
    // through them, scrolling and painting do not walk the whole tree each time. Their number
    // is counted as the shape changes, so that an insert does not list them either.
    mutable std::vector<TreeItemData*> rows;
    mutable bool rowsValid = false;
    mutable unsigned rowStamp = 0;
    int shownCount = 0;

    void RowsChanged() { rowsValid = false; }
    // Whether the item is a row: every item above it is expanded.
    bool Shown(const TreeItemData* it) const {
        for (auto* p = it->parent; p && p != &root; p = p->parent)
            if (!Expanded(p))
                return false;
        return true;
    }
    // The rows below the item while it is expanded and shown.
    int RowsBelow(const TreeItemData* it) const {
        int n = 0;
        std::vector<const TreeItemData*> stack{it};
        while (!stack.empty()) {
            const TreeItemData* p = stack.back();
            stack.pop_back();
            n += (int)p->kids.size();
            for (const TreeItemData* k : p->kids)
                if (Expanded(k))
                    stack.push_back(k);
        }
        return n;
    }
    // Every change of an item's state goes through here: opening or closing a shown item shows
    // or hides the rows below it.
    void SetState(TreeItemData* it, UINT state) {
        const bool was = Expanded(it), now = (state & TVIS_EXPANDED) != 0;
        if (was != now && Shown(it)) {
            const int below = RowsBelow(it);
            shownCount += now ? below : -below;
            RowsChanged();
        }
        it->state = state;
    }

    // Rows in visible order: roots and the children of expanded items.
    const std::vector<TreeItemData*>& Rows() const {
        if (rowsValid)
            return rows;
        rows.clear();
        ++rowStamp;
        std::vector<TreeItemData*> stack(root.kids.rbegin(), root.kids.rend());
        while (!stack.empty()) {
            TreeItemData* it = stack.back();
            stack.pop_back();
            it->row = (int)rows.size();
            it->rowStamp = rowStamp;
            rows.push_back(it);
            if (Expanded(it))
                stack.insert(stack.end(), it->kids.rbegin(), it->kids.rend());
        }
        rowsValid = true;
        assert((int)rows.size() == shownCount);
        return rows;
    }
    int RowOf(const TreeItemData* it) const {
        Rows();
        return it->rowStamp == rowStamp ? it->row : -1;
    }

    QFont Font() const { return AfxQFont((HFONT)*AfxControlFont(self)); }
    int TextWidth(const CString& s) const {
        return QFontMetrics(Font()).horizontalAdvance(AfxToQt(s));
    }
    int RowHeight() const {
        if (itemHeight > 0)
            return itemHeight;
        int h = QFontMetrics(Font()).height() + 3;
        if (normal && normal->GetSafeHandle()) {
            IMAGEINFO ii;
            if (normal->GetImageInfo(0, &ii))
                h = std::max(h, (int)(ii.rcImage.bottom - ii.rcImage.top));
        }
        return std::max(h, 16);
    }
    // With WS_VSCROLL the window layer keeps the bar outside the client area; we draw it there.
    CRect Client() const {
        CRect r;
        if (self->m_hWnd)
            self->GetClientRect(&r);
        return r;
    }

    // The parts of a row, in client coordinates.
    struct Parts {
        CRect row, button, stateIcon, icon, label;
    };
    Parts Layout(const TreeItemData* it, int rowIndex) const {
        Parts p;
        int h = RowHeight();
        CRect c = Client();
        int y = (rowIndex - top) * h;
        p.row = CRect(c.left, y, c.right, y + h);
        DWORD st = Style();
        int level = Level(it);
        if ((st & TVS_LINESATROOT) && (st & (TVS_HASLINES | TVS_HASBUTTONS)))
            ++level;
        int x = level * indent;
        p.button = CRect(x - indent, y, x, y + h);
        if (stateImages || (st & TVS_CHECKBOXES)) {
            p.stateIcon = CRect(x, y, x + kStateIconWidth, y + h);
            x += kStateIconWidth;
        } else {
            p.stateIcon = CRect(x, y, x, y + h);
        }
        int iw = AfxItemImageSize(normal).cx;
        p.icon = CRect(x, y, x + iw, y + h);
        x += iw ? iw + 3 : 0;
        p.label = CRect(x, y, x + TextWidth(it->text) + 6, y + h);
        return p;
    }

    void UpdateScroll() {
        if (!self->m_hWnd)
            return;
        CRect r;
        self->GetClientRect(&r);
        int h = RowHeight();
        int n = shownCount;
        bool need = !(Style() & TVS_NOSCROLL) && n * h > r.Height();
        if (need != hasVScroll) {
            hasVScroll = need;
            self->ModifyStyle(need ? 0 : WS_VSCROLL, need ? WS_VSCROLL : 0);
        }
        int perPage = std::max(1, (int)r.Height() / h);
        top = std::clamp(top, 0, std::max(0, n - perPage));
    }
    void Repaint() {
        if (destroying)
            return; // image lists and fonts the owner lent may already be gone
        UpdateScroll();
        if (self->m_hWnd)
            self->Invalidate(FALSE);
    }

    void Fill(TVITEM& tv, TreeItemData* it) const {
        tv.hItem = it;
        tv.state = it->state;
        tv.lParam = it->data;
        tv.iImage = it->image;
        tv.iSelectedImage = it->selImage;
        tv.cChildren = HasKids(it) ? 1 : 0;
        tv.pszText = const_cast<LPSTR>(it->text.GetString());
        tv.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE |
                  TVIF_TEXT | TVIF_CHILDREN;
        tv.stateMask = 0xFFFF;
    }

    LRESULT NotifyTree(UINT code, UINT action, TreeItemData* oldItem, TreeItemData* newItem,
                       POINT pt = POINT{0, 0}) {
        NMTREEVIEW nm{};
        nm.action = action;
        if (oldItem)
            Fill(nm.itemOld, oldItem);
        if (newItem)
            Fill(nm.itemNew, newItem);
        nm.ptDrag = pt;
        return AfxSendNotify(self, &nm.hdr, code);
    }
    LRESULT NotifySimple(UINT code) {
        NMHDR h{};
        return AfxSendNotify(self, &h, code);
    }

    // Moves the caret; the parent may refuse with TVN_SELCHANGING.
    bool SetCaret(TreeItemData* it, UINT action) {
        if (it == caret)
            return true;
        HWND hwnd = self->m_hWnd;
        if (NotifyTree(TVN_SELCHANGING, action, caret, it))
            return false;
        if (!IsWindow(hwnd))
            return false;
        TreeItemData* old = caret;
        if (old && live.count(old))
            old->state &= ~TVIS_SELECTED;
        caret = it;
        if (it) {
            it->state |= TVIS_SELECTED;
            for (auto* p = it->parent; p && p != &root; p = p->parent)
                ExpandItem(p, TVE_EXPAND, action, false);
            MakeVisible(it);
        }
        Repaint();
        NotifyTree(TVN_SELCHANGED, action, old && live.count(old) ? old : nullptr, it);
        return true;
    }

    // Expands or collapses; user actions always notify, program requests only until the item
    // was expanded once (the program clears TVIS_EXPANDEDONCE to be told again).
    bool ExpandItem(TreeItemData* it, UINT code, UINT action, bool byUser) {
        UINT op = code & 3;
        bool expanded = Expanded(it);
        if (op == TVE_TOGGLE)
            op = expanded ? TVE_COLLAPSE : TVE_EXPAND;
        if (op == TVE_EXPAND && expanded)
            return false;
        if (op == TVE_COLLAPSE && !expanded && !(code & TVE_COLLAPSERESET))
            return false;
        bool notify = byUser || op == TVE_COLLAPSE || !(it->state & TVIS_EXPANDEDONCE);
        if (op == TVE_EXPAND && !HasKids(it) && !byUser)
            notify = notify && it->children > 0;
        if (notify) {
            HWND hwnd = self->m_hWnd;
            NMTREEVIEW nm{};
            nm.action = op;
            Fill(nm.itemNew, it);
            if (AfxSendNotify(self, &nm.hdr, TVN_ITEMEXPANDING))
                return false;
            if (!IsWindow(hwnd) || !live.count(it))
                return false;
        }
        if (op == TVE_EXPAND) {
            SetState(it, it->state | TVIS_EXPANDED | TVIS_EXPANDEDONCE);
        } else {
            SetState(it, it->state & ~TVIS_EXPANDED);
            if (code & TVE_COLLAPSERESET) {
                it->state &= ~TVIS_EXPANDEDONCE;
                DeleteKids(it);
            }
            // A hidden caret moves up to the collapsed item.
            for (auto* p = caret ? caret->parent : nullptr; p && p != &root; p = p->parent)
                if (p == it) {
                    SetCaret(it, action);
                    break;
                }
        }
        Repaint();
        if (notify) {
            NMTREEVIEW nm{};
            nm.action = op;
            Fill(nm.itemNew, it);
            AfxSendNotify(self, &nm.hdr, TVN_ITEMEXPANDED);
        }
        return true;
    }

    void MakeVisible(TreeItemData* it) {
        int row = RowOf(it);
        if (row < 0 || !self->m_hWnd)
            return;
        UpdateScroll();
        CRect r;
        self->GetClientRect(&r);
        int perPage = std::max(1, (int)r.Height() / RowHeight());
        if (row < top)
            top = row;
        else if (row >= top + perPage)
            top = row - perPage + 1;
    }

    void DeleteKids(TreeItemData* it) {
        while (!it->kids.empty())
            DeleteOne(it->kids.back());
    }
    void DeleteOne(TreeItemData* it) {
        DeleteKids(it);
        if (editItem == it)
            EndEdit(true);
        NotifyTree(TVN_DELETEITEM, 0, it, nullptr);
        TreeItemData* parent = it->parent;
        if (Shown(it)) {
            --shownCount;
            RowsChanged();
        }
        auto& sib = parent->kids;
        auto pos = std::find(sib.begin(), sib.end(), it);
        size_t idx = (size_t)(pos - sib.begin());
        sib.erase(pos);
        live.erase(it);
        if (dropHilite == it)
            dropHilite = nullptr;
        if (hot == it)
            hot = nullptr;
        if (pressItem == it)
            pressItem = nullptr;
        if (caret == it) {
            // The selection moves to a neighbour, as a person expects after a delete.
            caret = nullptr;
            TreeItemData* next = idx < sib.size()  ? sib[idx]
                                 : idx > 0         ? sib[idx - 1]
                                 : parent != &root ? parent
                                                   : nullptr;
            if (next && !destroying) {
                next->state |= TVIS_SELECTED;
                caret = next;
                NotifyTree(TVN_SELCHANGED, TVC_UNKNOWN, nullptr, next);
            }
        }
        delete it;
    }
    bool destroying = false;

    // ---- Label editing ----
    CEdit* BeginEdit(TreeItemData* it) {
        if (!it || !self->m_hWnd)
            return nullptr;
        if (!AfxEndItemEdit(self, edit, [&] { EndEdit(false); }))
            return nullptr;
        MakeVisible(it);
        NMTVDISPINFO di{};
        Fill(di.item, it);
        if (AfxSendNotify(self, &di.hdr, TVN_BEGINLABELEDIT))
            return nullptr;
        if (!live.count(it))
            return nullptr;
        Parts p = Layout(it, RowOf(it));
        CRect r = p.label;
        r.right = std::max(r.right + 20, r.left + 60);
        r.right = std::min(r.right, Client().right);
        editItem = it;
        CEdit* e = edit.Open(
            self, r, it->text,
            [](void* t, bool cancel) { static_cast<TreeCtrlState*>(t)->EndEdit(cancel); }, this);
        if (!e)
            editItem = nullptr;
        return e;
    }
    bool EndEdit(bool cancel) {
        CString text;
        if (!edit.Take(text))
            return false;
        TreeItemData* it = editItem;
        NMTVDISPINFO di{};
        Fill(di.item, it);
        di.item.pszText = cancel ? nullptr : const_cast<LPSTR>(text.GetString());
        di.item.cchTextMax = text.GetLength();
        HWND hwnd = self->m_hWnd;
        LRESULT accepted = AfxSendNotify(self, &di.hdr, TVN_ENDLABELEDIT);
        // A parent that closed the tree took its edit along (and maybe this state).
        if (!IsWindow(hwnd))
            return true;
        if (!cancel && accepted && live.count(it)) {
            it->text = text;
            Repaint();
        }
        edit.Close();
        editItem = nullptr;
        return true;
    }

    void Paint(CDC* dc);
    bool PaintItems(CDC* dc, const CRect& client, LRESULT pre, COLORREF bkColor,
                    COLORREF textColor);
    void PaintItem(CDC* dc, TreeItemData* it, const Parts& p, COLORREF fg, COLORREF back,
                   COLORREF bkColor, bool focused, const CRect& c);
};

void TreeCtrlState::Paint(CDC* dc) {
    CRect client;
    self->GetClientRect(&client);
    COLORREF bkColor = AfxColourOr(bk, COLOR_WINDOW);
    COLORREF textColor = AfxColourOr(text, COLOR_WINDOWTEXT);
    dc->FillSolidRect(&client, bkColor);
    AfxPaintItemCtrl<NMTVCUSTOMDRAW>(self, dc, client, [&](LRESULT pre) {
        return PaintItems(dc, client, pre, bkColor, textColor);
    });
}

bool TreeCtrlState::PaintItems(CDC* dc, const CRect& client, LRESULT pre, COLORREF bkColor,
                               COLORREF textColor) {
    CRect c = Client();
    DWORD st = Style();
    bool focused = CWnd::GetFocus() == self;
    bool enabled = self->IsWindowEnabled();
    HWND hwnd = self->m_hWnd;
    int h = RowHeight();
    // The rows of this page, copied: the parent's custom drawing may change the tree.
    const int rowCount = (int)Rows().size();
    const int first = std::min(top, rowCount);
    const int last = std::min(rowCount, first + client.Height() / h + 2);
    const std::vector<TreeItemData*> page(Rows().begin() + first, Rows().begin() + last);
    for (int i = first; i < last; ++i) {
        TreeItemData* it = page[(size_t)(i - first)];
        Parts p = Layout(it, i);
        if (p.row.top >= client.bottom)
            break;
        bool selected = (it->state & (TVIS_SELECTED | TVIS_DROPHILITED)) != 0;
        UINT cdis = 0;
        if (it->state & TVIS_SELECTED)
            cdis |= CDIS_SELECTED;
        if (it == caret && focused)
            cdis |= CDIS_FOCUS;
        if (it == hot)
            cdis |= CDIS_HOT;
        if (!enabled)
            cdis |= CDIS_DISABLED;
        bool highlight =
            selected && (focused || (st & TVS_SHOWSELALWAYS) || (it->state & TVIS_DROPHILITED));
        COLORREF fg = highlight && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor;
        COLORREF back =
            highlight ? (focused || (it->state & TVIS_DROPHILITED) ? GetSysColor(COLOR_HIGHLIGHT)
                                                                   : GetSysColor(COLOR_BTNFACE))
                      : bkColor;
        if (!enabled)
            fg = GetSysColor(COLOR_GRAYTEXT);
        NMTVCUSTOMDRAW ic{};
        ic.nmcd.hdc = dc->GetSafeHdc();
        ic.nmcd.rc = p.row;
        ic.nmcd.dwItemSpec = (DWORD_PTR)it;
        ic.nmcd.uItemState = cdis;
        ic.nmcd.lItemlParam = it->data;
        ic.clrText = fg;
        ic.clrTextBk = back;
        ic.iLevel = Level(it);
        bool alive = AfxCustomDrawItem(
            self, dc, pre, ic,
            [&](COLORREF itemFg, COLORREF itemBack, LRESULT) {
                PaintItem(dc, it, p, itemFg, itemBack, bkColor, focused, c);
            },
            [&] { return IsWindow(hwnd) && live.count(it) != 0; });
        if (!alive)
            return false;
    }
    if (hasVScroll) {
        int perPage = std::max(1, (int)client.Height() / h);
        AfxDrawScrollBar(
            dc, CRect(c.right, client.top, c.right + GetSystemMetrics(SM_CXVSCROLL), client.bottom),
            true, top, perPage, rowCount);
    }
    return true;
}

// The default look of one row: lines, button, state image, image and label.
void TreeCtrlState::PaintItem(CDC* dc, TreeItemData* it, const Parts& p, COLORREF fg, COLORREF back,
                              COLORREF bkColor, bool focused, const CRect& c) {
    DWORD st = Style();
    int h = RowHeight();
    // Lines and buttons.
    if (st & TVS_HASLINES) {
        CPen pen(PS_DOT, 1, GetSysColor(COLOR_GRAYTEXT));
        CPen* oldPen = dc->SelectObject(&pen);
        int cx = (p.button.left + p.button.right) / 2;
        int cy = (p.row.top + p.row.bottom) / 2;
        if (p.button.right > 0) {
            dc->MoveTo(cx, cy);
            dc->LineTo(p.button.right, cy);
            dc->MoveTo(cx, p.row.top);
            bool last = it->parent->kids.back() == it;
            dc->LineTo(cx, last ? cy : p.row.bottom);
        }
        dc->SelectObject(oldPen);
    }
    if ((st & TVS_HASBUTTONS) && HasKids(it) && p.button.right > 0) {
        int cx = (p.button.left + p.button.right) / 2;
        int cy = (p.row.top + p.row.bottom) / 2;
        CRect b(cx - 4, cy - 4, cx + 5, cy + 5);
        dc->FillSolidRect(&b, GetSysColor(COLOR_WINDOW));
        CBrush frame(GetSysColor(COLOR_BTNSHADOW));
        dc->FrameRect(&b, &frame);
        CPen pen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
        CPen* oldPen = dc->SelectObject(&pen);
        dc->MoveTo(cx - 2, cy);
        dc->LineTo(cx + 3, cy);
        if (!Expanded(it)) {
            dc->MoveTo(cx, cy - 2);
            dc->LineTo(cx, cy + 3);
        }
        dc->SelectObject(oldPen);
    }
    UINT stateImage = (it->state & TVIS_STATEIMAGEMASK) >> 12;
    if (stateImages && stateImage > 0) {
        stateImages->Draw(dc, (int)stateImage, CPoint(p.stateIcon.left, p.row.top + (h - 16) / 2),
                          ILD_TRANSPARENT);
    } else if (!stateImages && stateImage > 0 && (Style() & TVS_CHECKBOXES)) {
        // A check-box tree without its own state images draws the system's check boxes: state 1
        // clear, state 2 ticked.
        CRect box(p.stateIcon.left + 2, p.row.top + (h - 13) / 2, p.stateIcon.left + 15,
                  p.row.top + (h - 13) / 2 + 13);
        dc->DrawFrameControl(&box, DFC_BUTTON,
                             DFCS_BUTTONCHECK | (stateImage == 2 ? DFCS_CHECKED : 0));
    }
    if (normal && normal->GetSafeHandle()) {
        int img = (it->state & TVIS_SELECTED) ? it->selImage : it->image;
        IMAGEINFO ii{};
        int ih = normal->GetImageInfo(0, &ii) ? ii.rcImage.bottom - ii.rcImage.top : 16;
        normal->Draw(dc, img, CPoint(p.icon.left, p.row.top + (h - ih) / 2),
                     ILD_TRANSPARENT | (it->state & TVIS_OVERLAYMASK));
    }
    CRect label = p.label;
    if (st & TVS_FULLROWSELECT)
        label.right = c.right;
    if (back != bkColor)
        dc->FillSolidRect(&label, back);
    // The selection a tree keeps while another window has the focus is framed as well: its
    // pale fill alone is lost on a light background.
    if (!focused && (it->state & TVIS_SELECTED) && (st & TVS_SHOWSELALWAYS) &&
        !(it->state & TVIS_DROPHILITED)) {
        CBrush frame(GetSysColor(COLOR_BTNSHADOW));
        dc->FrameRect(&label, &frame);
    }
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(fg);
    CFont styled;
    CFont* before = AfxSelectStyledFont(dc, styled, (it->state & TVIS_BOLD) != 0,
                                        (st & TVS_TRACKSELECT) && it == hot);
    CRect tr = p.label;
    tr.DeflateRect(3, 0);
    dc->DrawText(it->text, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    if (before)
        dc->SelectObject(before);
    if (it == caret && focused)
        dc->DrawFocusRect(&label);
}

// ---- CTreeCtrl --------------------------------------------------------------------------

CTreeCtrl::CTreeCtrl() : m_t(std::make_unique<TreeCtrlState>(this)) {}

CTreeCtrl::~CTreeCtrl() {
    if (m_hWnd)
        DestroyWindow();
    m_t->destroying = true;
    m_t->edit.Drop();
    while (!m_t->root.kids.empty()) {
        TreeItemData* it = m_t->root.kids.back();
        std::vector<TreeItemData*> all{it};
        for (size_t i = 0; i < all.size(); ++i)
            all.insert(all.end(), all[i]->kids.begin(), all[i]->kids.end());
        for (auto* d : all)
            delete d;
        m_t->root.kids.pop_back();
    }
}

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SysTreeView32", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CTreeCtrl::OnWidgetCreated() {
    if (QWidget* w = GetWidget()) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->setMouseTracking(true);
    }
}

HTREEITEM CTreeCtrl::InsertItem(LPTVINSERTSTRUCT s) {
    if (!s)
        return nullptr;
    TreeItemData* parent = m_t->ParentOf(s->hParent);
    if (!parent)
        return nullptr;
    auto* it = new TreeItemData;
    it->parent = parent;
    const TVITEM& tv = s->item;
    if ((tv.mask & TVIF_TEXT) && tv.pszText)
        it->text = tv.pszText;
    if (tv.mask & TVIF_IMAGE)
        it->image = tv.iImage;
    if (tv.mask & TVIF_SELECTEDIMAGE)
        it->selImage = tv.iSelectedImage;
    if (tv.mask & TVIF_PARAM)
        it->data = tv.lParam;
    if (tv.mask & TVIF_STATE)
        it->state = (tv.state & tv.stateMask) & ~(UINT)TVIS_SELECTED;
    if (tv.mask & TVIF_CHILDREN)
        it->children = tv.cChildren;
    auto& kids = parent->kids;
    HTREEITEM after = s->hInsertAfter;
    if (after == TVI_FIRST) {
        kids.insert(kids.begin(), it);
    } else if (after == TVI_SORT) {
        auto pos = std::find_if(kids.begin(), kids.end(), [&](TreeItemData* k) {
            return GbkCollateNoCase(k->text, it->text) > 0;
        });
        kids.insert(pos, it);
    } else {
        // The last place is taken without looking for it: lists are filled that way.
        auto pos = after == TVI_LAST ? kids.end() : std::find(kids.begin(), kids.end(), after);
        if (pos == kids.end())
            kids.push_back(it);
        else
            kids.insert(pos + 1, it);
    }
    m_t->live.insert(it);
    if (m_t->Shown(it)) {
        ++m_t->shownCount;
        m_t->RowsChanged();
    }
    m_t->Repaint();
    return it;
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage,
                                UINT nState, UINT nStateMask, LPARAM lParam, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) {
    TVINSERTSTRUCT s{};
    s.hParent = hParent;
    s.hInsertAfter = hInsertAfter;
    s.item.mask = nMask;
    s.item.pszText = const_cast<LPSTR>(lpszItem);
    s.item.iImage = nImage;
    s.item.iSelectedImage = nSelectedImage;
    s.item.state = nState;
    s.item.stateMask = nStateMask;
    s.item.lParam = lParam;
    return InsertItem(&s);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter) {
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) {
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage,
                      0, 0, 0, hParent, hInsertAfter);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM hItem) {
    if (hItem == TVI_ROOT || hItem == nullptr)
        return DeleteAllItems();
    if (!m_t->Valid(hItem))
        return FALSE;
    m_t->DeleteOne(hItem);
    m_t->Repaint();
    return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
    m_t->DeleteKids(&m_t->root);
    m_t->top = 0;
    m_t->Repaint();
    return TRUE;
}

BOOL CTreeCtrl::IsValidItem(HTREEITEM hItem) const {
    return m_t->Valid(hItem) != nullptr;
}

BOOL CTreeCtrl::GetItem(TVITEM* pItem) const {
    if (!pItem)
        return FALSE;
    TreeItemData* it = m_t->Valid(pItem->hItem);
    if (!it)
        return FALSE;
    if (pItem->mask & TVIF_TEXT) {
        if (pItem->pszText && pItem->cchTextMax > 0)
            AfxCopyTextOut(it->text, pItem->pszText, (size_t)pItem->cchTextMax);
    }
    if (pItem->mask & TVIF_IMAGE)
        pItem->iImage = it->image;
    if (pItem->mask & TVIF_SELECTEDIMAGE)
        pItem->iSelectedImage = it->selImage;
    if (pItem->mask & TVIF_PARAM)
        pItem->lParam = it->data;
    if (pItem->mask & TVIF_STATE)
        pItem->state = it->state & pItem->stateMask;
    if (pItem->mask & TVIF_CHILDREN)
        pItem->cChildren = m_t->HasKids(it) ? 1 : 0;
    return TRUE;
}

BOOL CTreeCtrl::SetItem(TVITEM* pItem) {
    if (!pItem)
        return FALSE;
    TreeItemData* it = m_t->Valid(pItem->hItem);
    if (!it)
        return FALSE;
    if (pItem->mask & TVIF_TEXT)
        it->text = pItem->pszText ? pItem->pszText : "";
    if (pItem->mask & TVIF_IMAGE)
        it->image = pItem->iImage;
    if (pItem->mask & TVIF_SELECTEDIMAGE)
        it->selImage = pItem->iSelectedImage;
    if (pItem->mask & TVIF_PARAM)
        it->data = pItem->lParam;
    if (pItem->mask & TVIF_CHILDREN)
        it->children = pItem->cChildren;
    if (pItem->mask & TVIF_STATE) {
        // Expanding through the state bits shows the children without notifications.
        UINT mask = pItem->stateMask;
        m_t->SetState(it, (it->state & ~mask) | (pItem->state & mask));
    }
    m_t->Repaint();
    return TRUE;
}

BOOL CTreeCtrl::SetItem(HTREEITEM hItem, UINT nMask, LPCTSTR lpszItem, int nImage,
                        int nSelectedImage, UINT nState, UINT nStateMask, LPARAM lParam) {
    TVITEM tv{nMask, hItem,  nState,         nStateMask, const_cast<LPSTR>(lpszItem),
              0,     nImage, nSelectedImage, 0,          lParam};
    return SetItem(&tv);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
    TreeItemData* it = m_t->Valid(hItem);
    return it ? it->text : CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCTSTR lpszItem) {
    return SetItem(hItem, TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const {
    TreeItemData* it = m_t->Valid(hItem);
    if (!it)
        return FALSE;
    nImage = it->image;
    nSelectedImage = it->selImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage) {
    return SetItem(hItem, TVIF_IMAGE | TVIF_SELECTEDIMAGE, nullptr, nImage, nSelectedImage, 0, 0,
                   0);
}

UINT CTreeCtrl::GetItemState(HTREEITEM hItem, UINT nStateMask) const {
    TreeItemData* it = m_t->Valid(hItem);
    return it ? it->state & nStateMask : 0;
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask) {
    return SetItem(hItem, TVIF_STATE, nullptr, 0, 0, nState, nStateMask, 0);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const {
    TreeItemData* it = m_t->Valid(hItem);
    return it ? (DWORD_PTR)it->data : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData) {
    return SetItem(hItem, TVIF_PARAM, nullptr, 0, 0, 0, 0, (LPARAM)dwData);
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const {
    TreeItemData* it = m_t->Valid(hItem);
    return it && m_t->HasKids(it);
}

UINT CTreeCtrl::GetCount() const {
    return (UINT)m_t->live.size();
}

UINT CTreeCtrl::GetVisibleCount() const {
    CRect r;
    GetClientRect(&r);
    return (UINT)(r.Height() / m_t->RowHeight());
}

BOOL CTreeCtrl::GetCheck(HTREEITEM hItem) const {
    return (GetItemState(hItem, TVIS_STATEIMAGEMASK) >> 12) == 2;
}

BOOL CTreeCtrl::SetCheck(HTREEITEM hItem, BOOL fCheck) {
    return SetItemState(hItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), TVIS_STATEIMAGEMASK);
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const {
    TreeCtrlState& t = *m_t;
    switch (nCode) {
    case TVGN_ROOT:
        return t.root.kids.empty() ? nullptr : t.root.kids.front();
    case TVGN_CARET:
        return t.caret;
    case TVGN_DROPHILITE:
        return t.dropHilite;
    case TVGN_FIRSTVISIBLE: {
        const auto& rows = t.Rows();
        return t.top < (int)rows.size() ? rows[(size_t)t.top] : nullptr;
    }
    case TVGN_LASTVISIBLE: {
        const auto& rows = t.Rows();
        return rows.empty() ? nullptr : rows.back();
    }
    case TVGN_CHILD: {
        TreeItemData* it = t.ParentOf(hItem);
        return it && !it->kids.empty() ? it->kids.front() : nullptr;
    }
    default:
        break;
    }
    TreeItemData* it = t.Valid(hItem);
    if (!it)
        return nullptr;
    switch (nCode) {
    case TVGN_PARENT:
        return it->parent == &t.root ? nullptr : it->parent;
    case TVGN_NEXT:
    case TVGN_PREVIOUS: {
        auto& sib = it->parent->kids;
        auto pos = std::find(sib.begin(), sib.end(), it) - sib.begin();
        pos += nCode == TVGN_NEXT ? 1 : -1;
        return pos >= 0 && pos < (long)sib.size() ? sib[(size_t)pos] : nullptr;
    }
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        const auto& rows = t.Rows();
        const int row = t.RowOf(it);
        if (row < 0)
            return nullptr;
        long i = row + (nCode == TVGN_NEXTVISIBLE ? 1 : -1);
        return i >= 0 && i < (long)rows.size() ? rows[(size_t)i] : nullptr;
    }
    default:
        return nullptr;
    }
}

BOOL CTreeCtrl::Select(HTREEITEM hItem, UINT nCode) {
    TreeCtrlState& t = *m_t;
    TreeItemData* it = hItem ? t.Valid(hItem) : nullptr;
    if (hItem && !it)
        return FALSE;
    switch (nCode) {
    case TVGN_CARET:
        return t.SetCaret(it, TVC_UNKNOWN);
    case TVGN_DROPHILITE:
        if (t.dropHilite && t.live.count(t.dropHilite))
            t.dropHilite->state &= ~TVIS_DROPHILITED;
        t.dropHilite = it;
        if (it)
            it->state |= TVIS_DROPHILITED;
        t.Repaint();
        return TRUE;
    case TVGN_FIRSTVISIBLE:
        if (it) {
            EnsureVisible(it);
            t.top = t.RowOf(it);
            t.Repaint();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode) {
    TreeItemData* it = m_t->Valid(hItem);
    return it && m_t->ExpandItem(it, nCode, TVC_UNKNOWN, false);
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM hItem) {
    TreeItemData* it = m_t->Valid(hItem);
    if (!it)
        return FALSE;
    std::vector<TreeItemData*> chain;
    for (auto* p = it->parent; p && p != &m_t->root; p = p->parent)
        chain.push_back(p);
    for (auto p = chain.rbegin(); p != chain.rend(); ++p)
        m_t->ExpandItem(*p, TVE_EXPAND, TVC_UNKNOWN, false);
    if (m_t->RowOf(it) < 0)
        return FALSE;
    m_t->MakeVisible(it);
    m_t->Repaint();
    return TRUE;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const {
    TreeItemData* it = m_t->Valid(hItem);
    int row = it ? m_t->RowOf(it) : -1;
    if (row < 0 || !lpRect)
        return FALSE;
    auto p = m_t->Layout(it, row);
    *lpRect = bTextOnly ? p.label : p.row;
    return TRUE;
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    TVHITTESTINFO hi{pt, 0, nullptr};
    HTREEITEM h = HitTest(&hi);
    if (pFlags)
        *pFlags = hi.flags;
    return h;
}

HTREEITEM CTreeCtrl::HitTest(TVHITTESTINFO* hi) const {
    if (!hi)
        return nullptr;
    TreeCtrlState& t = *m_t;
    CRect c = t.Client();
    hi->hItem = nullptr;
    hi->flags = 0;
    if (hi->pt.y < c.top)
        hi->flags |= TVHT_ABOVE;
    if (hi->pt.y >= c.bottom)
        hi->flags |= TVHT_BELOW;
    if (hi->pt.x < c.left)
        hi->flags |= TVHT_TOLEFT;
    if (hi->pt.x >= c.right)
        hi->flags |= TVHT_TORIGHT;
    if (hi->flags)
        return nullptr;
    const auto& rows = t.Rows();
    int row = t.top + hi->pt.y / t.RowHeight();
    if (row < 0 || row >= (int)rows.size()) {
        hi->flags = TVHT_NOWHERE;
        return nullptr;
    }
    TreeItemData* it = rows[(size_t)row];
    auto p = t.Layout(it, row);
    hi->hItem = it;
    int x = hi->pt.x;
    if (x >= p.label.right)
        hi->flags = TVHT_ONITEMRIGHT;
    else if (x >= p.label.left)
        hi->flags = TVHT_ONITEMLABEL;
    else if (x >= p.icon.left && p.icon.Width() > 0)
        hi->flags = TVHT_ONITEMICON;
    else if (x >= p.stateIcon.left && p.stateIcon.Width() > 0)
        hi->flags = TVHT_ONITEMSTATEICON;
    else if (x >= p.button.left && x < p.button.right && t.HasKids(it) &&
             (t.Style() & TVS_HASBUTTONS))
        hi->flags = TVHT_ONITEMBUTTON;
    else
        hi->flags = TVHT_ONITEMINDENT;
    return it;
}

namespace {
template <class Less> void SortKids(TreeItemData* parent, bool recurse, Less less) {
    std::stable_sort(parent->kids.begin(), parent->kids.end(), less);
    if (recurse)
        for (auto* k : parent->kids)
            SortKids(k, true, less);
}
} // namespace

BOOL CTreeCtrl::SortChildren(HTREEITEM hItem, BOOL bRecurse) {
    TreeItemData* parent = m_t->ParentOf(hItem);
    if (!parent)
        return FALSE;
    SortKids(parent, bRecurse != FALSE, [](TreeItemData* a, TreeItemData* b) {
        return GbkCollateNoCase(a->text, b->text) < 0;
    });
    m_t->RowsChanged();
    m_t->Repaint();
    return TRUE;
}

BOOL CTreeCtrl::SortChildrenCB(LPTVSORTCB pSort) {
    if (!pSort || !pSort->lpfnCompare)
        return FALSE;
    TreeItemData* parent = m_t->ParentOf(pSort->hParent);
    if (!parent)
        return FALSE;
    SortKids(parent, false, [&](TreeItemData* a, TreeItemData* b) {
        return pSort->lpfnCompare(a->data, b->data, pSort->lParam) < 0;
    });
    m_t->RowsChanged();
    m_t->Repaint();
    return TRUE;
}

CEdit* CTreeCtrl::EditLabel(HTREEITEM hItem) {
    TreeItemData* it = m_t->Valid(hItem);
    if (!it)
        return nullptr;
    if (m_t->caret != it && !m_t->SetCaret(it, TVC_UNKNOWN))
        return nullptr;
    return m_t->BeginEdit(it);
}

CEdit* CTreeCtrl::GetEditControl() const {
    return m_t->edit.Get();
}

BOOL CTreeCtrl::EndEditLabelNow(BOOL fCancelWithoutSave) {
    return m_t->EndEdit(fCancelWithoutSave != FALSE);
}

CImageList* CTreeCtrl::GetImageList(int nImageListType) const {
    return nImageListType == TVSIL_STATE ? m_t->stateImages : m_t->normal;
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    CImageList*& slot = nImageListType == TVSIL_STATE ? m_t->stateImages : m_t->normal;
    CImageList* old = slot;
    slot = pImageList;
    m_t->Repaint();
    return old;
}

UINT CTreeCtrl::GetIndent() const {
    return (UINT)m_t->indent;
}

void CTreeCtrl::SetIndent(UINT nIndent) {
    m_t->indent = std::max(4, (int)nIndent);
    m_t->Repaint();
}

SHORT CTreeCtrl::GetItemHeight() const {
    return (SHORT)m_t->RowHeight();
}

SHORT CTreeCtrl::SetItemHeight(SHORT cyHeight) {
    SHORT old = GetItemHeight();
    m_t->itemHeight = cyHeight > 0 ? cyHeight : -1;
    m_t->Repaint();
    return old;
}

// -1 (CLR_NONE) stands for the system colours.
COLORREF CTreeCtrl::GetBkColor() const {
    return m_t->bk;
}

COLORREF CTreeCtrl::SetBkColor(COLORREF clr) {
    std::swap(m_t->bk, clr);
    m_t->Repaint();
    return clr;
}

COLORREF CTreeCtrl::GetTextColor() const {
    return m_t->text;
}

COLORREF CTreeCtrl::SetTextColor(COLORREF clr) {
    std::swap(m_t->text, clr);
    m_t->Repaint();
    return clr;
}

CImageList* CTreeCtrl::CreateDragImage(HTREEITEM hItem) {
    TreeItemData* it = m_t->Valid(hItem);
    int row = it ? m_t->RowOf(it) : -1;
    if (row < 0)
        return nullptr;
    // The icon and the label as they are drawn, on a transparent ground.
    auto p = m_t->Layout(it, row);
    CRect r(p.icon.left, p.row.top, p.label.right, p.row.bottom);
    return AfxRenderDragImage(this, r, [&](CDC* dc) {
        if (m_t->normal && m_t->normal->GetSafeHandle())
            m_t->normal->Draw(dc, it->image, CPoint(p.icon.left, p.icon.top), ILD_TRANSPARENT);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        CRect tr = p.label;
        tr.DeflateRect(3, 0);
        dc->DrawText(it->text, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    });
}

LRESULT CTreeCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    TreeCtrlState& t = *m_t;
    switch (message) {
    case TVM_INSERTITEM:
        return (LRESULT)InsertItem(reinterpret_cast<LPTVINSERTSTRUCT>(lParam));
    case TVM_DELETEITEM:
        return DeleteItem((HTREEITEM)lParam);
    case TVM_EXPAND:
        return Expand((HTREEITEM)lParam, (UINT)wParam);
    case TVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        return r ? GetItemRect(*reinterpret_cast<HTREEITEM*>(lParam), r, (BOOL)wParam) : FALSE;
    }
    case TVM_GETCOUNT:
        return GetCount();
    case TVM_GETINDENT:
        return GetIndent();
    case TVM_SETINDENT:
        SetIndent((UINT)wParam);
        return 0;
    case TVM_GETIMAGELIST:
        return AfxImageListResult(GetImageList((int)wParam));
    case TVM_SETIMAGELIST:
        return AfxImageListResult(
            SetImageList(CImageList::FromHandle((HIMAGELIST)lParam), (int)wParam));
    case TVM_GETNEXTITEM:
        return (LRESULT)GetNextItem((HTREEITEM)lParam, (UINT)wParam);
    case TVM_SELECTITEM:
        return Select((HTREEITEM)lParam, (UINT)wParam);
    case TVM_GETITEM:
        return GetItem(reinterpret_cast<TVITEM*>(lParam));
    case TVM_SETITEM:
        return SetItem(reinterpret_cast<TVITEM*>(lParam));
    case TVM_EDITLABEL: {
        CEdit* e = EditLabel((HTREEITEM)lParam);
        return (LRESULT)(e ? e->m_hWnd : nullptr);
    }
    case TVM_GETEDITCONTROL:
        return (LRESULT)(t.edit ? t.edit.Get()->m_hWnd : nullptr);
    case TVM_GETVISIBLECOUNT:
        return GetVisibleCount();
    case TVM_HITTEST:
        return (LRESULT)HitTest(reinterpret_cast<TVHITTESTINFO*>(lParam));
    case TVM_CREATEDRAGIMAGE:
        return AfxDragImageResult(CreateDragImage((HTREEITEM)lParam));
    case TVM_SORTCHILDREN:
        return SortChildren((HTREEITEM)lParam, (BOOL)wParam);
    case TVM_SORTCHILDRENCB:
        return SortChildrenCB(reinterpret_cast<LPTVSORTCB>(lParam));
    case TVM_ENSUREVISIBLE:
        return EnsureVisible((HTREEITEM)lParam);
    case TVM_ENDEDITLABELNOW:
        return EndEditLabelNow((BOOL)wParam);
    case TVM_SETITEMHEIGHT:
        return SetItemHeight((SHORT)wParam);
    case TVM_GETITEMHEIGHT:
        return GetItemHeight();
    case TVM_SETBKCOLOR:
        return (LRESULT)SetBkColor((COLORREF)lParam);
    case TVM_GETBKCOLOR:
        return (LRESULT)GetBkColor();
    case TVM_SETTEXTCOLOR:
        return (LRESULT)SetTextColor((COLORREF)lParam);
    case TVM_GETTEXTCOLOR:
        return (LRESULT)GetTextColor();
    case TVM_SETITEMSTATE: {
        auto* tv = reinterpret_cast<TVITEM*>(lParam);
        return tv ? SetItemState((HTREEITEM)wParam, tv->state, tv->stateMask) : FALSE;
    }

    case WM_PAINT:
        return AfxPaintControl(this, wParam, [&](CDC* dc) { t.Paint(dc); });
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
    case WM_SETFONT: {
        LRESULT r = message == WM_SETFONT ? CWnd::DefWindowProc(message, wParam, lParam) : 0;
        t.Repaint();
        return r;
    }
    case WM_DESTROY:
        t.EndEdit(true);
        t.destroying = true;
        DeleteAllItems();
        t.destroying = false;
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        AfxItemFocusChanged(this, message);
        // Taking the focus with nothing selected, the tree selects its first visible item (the
        // parent may refuse), so the keys have a place to start and the parent shows that item.
        if (message == WM_SETFOCUS && t.caret == nullptr && t.editItem == nullptr) {
            const auto& rows = t.Rows();
            if (!rows.empty())
                t.SetCaret(rows[(size_t)std::clamp(t.top, 0, (int)rows.size() - 1)], TVC_UNKNOWN);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_VSCROLL: {
        CRect r;
        GetClientRect(&r);
        int perPage = std::max(1, (int)r.Height() / t.RowHeight());
        int n = t.shownCount;
        t.top = AfxScrollRequestPos(wParam, t.top, 1, perPage, n);
        t.Repaint();
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
        t.top += lines;
        t.Repaint();
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        HWND self = m_hWnd;
        if (!AfxItemCtrlPressed(this, t.edit, [&] { t.EndEdit(false); }))
            return 0;
        CPoint pt(lParam);
        UINT flags = 0;
        TreeItemData* it = HitTest(pt, &flags);
        if (message == WM_RBUTTONDOWN) {
            if (!t.NotifySimple(NM_RCLICK) && IsWindow(self))
                CWnd::DefWindowProc(WM_CONTEXTMENU, (WPARAM)self, 0);
            return 0;
        }
        KillTimer(kEditTimer);
        t.pendingEdit = nullptr;
        if (!it)
            return 0;
        if (flags & TVHT_ONITEMBUTTON) {
            t.ExpandItem(it, TVE_TOGGLE, TVC_BYMOUSE, true);
            return 0;
        }
        bool onItem = (flags & TVHT_ONITEM) || (GetStyle() & TVS_FULLROWSELECT);
        if (!onItem)
            return 0;
        if ((flags & TVHT_ONITEMSTATEICON) && (GetStyle() & TVS_CHECKBOXES)) {
            UINT s = (it->state & TVIS_STATEIMAGEMASK) >> 12;
            SetCheck(it, s != 2);
        }
        t.pressItem = it;
        t.pressPt = pt;
        t.dragSent = false;
        if (it == t.caret && (flags & TVHT_ONITEMLABEL) && (GetStyle() & TVS_EDITLABELS)) {
            t.pendingEdit = it;
            SetTimer(kEditTimer, (UINT)QApplication::doubleClickInterval(), nullptr);
        } else {
            t.SetCaret(it, TVC_BYMOUSE);
        }
        return 0;
    }
    case WM_MOUSEMOVE: {
        CPoint pt(lParam);
        if ((wParam & MK_LBUTTON) && t.pressItem && !t.dragSent &&
            !(GetStyle() & TVS_DISABLEDRAGDROP) && AfxBeyondDragThreshold(t.pressPt, pt)) {
            t.dragSent = true;
            KillTimer(kEditTimer);
            t.pendingEdit = nullptr;
            t.NotifyTree(TVN_BEGINDRAG, 0, nullptr, t.pressItem, t.pressPt);
            return 0;
        }
        if (GetStyle() & TVS_TRACKSELECT) {
            UINT flags = 0;
            TreeItemData* it = HitTest(pt, &flags);
            if (!(flags & TVHT_ONITEM))
                it = nullptr;
            if (it != t.hot) {
                t.hot = it;
                Invalidate(FALSE);
            }
        }
        return 0;
    }
    case WM_LBUTTONUP:
        t.pressItem = nullptr;
        t.NotifySimple(NM_CLICK);
        return 0;
    case WM_LBUTTONDBLCLK: {
        KillTimer(kEditTimer);
        t.pendingEdit = nullptr;
        HWND self = m_hWnd;
        UINT flags = 0;
        TreeItemData* it = HitTest(CPoint(lParam), &flags);
        if (!t.NotifySimple(NM_DBLCLK) && IsWindow(self) && it && (flags & TVHT_ONITEM))
            t.ExpandItem(it, TVE_TOGGLE, TVC_BYMOUSE, true);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kEditTimer) {
            KillTimer(kEditTimer);
            TreeItemData* it = t.pendingEdit;
            t.pendingEdit = nullptr;
            if (it && t.live.count(it) && it == t.caret)
                t.BeginEdit(it);
            return 0;
        }
        return CWnd::DefWindowProc(message, wParam, lParam);
    case WM_KEYDOWN: {
        HWND self = m_hWnd;
        if (AfxNotifyKeyDown<NMTVKEYDOWN>(this, TVN_KEYDOWN, wParam, lParam) || !IsWindow(self))
            return 0;
        TreeItemData* c = t.caret;
        const auto& rows = t.Rows();
        switch (wParam) {
        case VK_RETURN:
            t.NotifySimple(NM_RETURN);
            return 0;
        case VK_F2:
            if (c && (GetStyle() & TVS_EDITLABELS))
                t.BeginEdit(c);
            return 0;
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END: {
            if (rows.empty())
                return 0;
            int i = c ? t.RowOf(c) : -1;
            if (wParam == VK_UP)
                i = std::max(0, i - 1);
            else if (wParam == VK_DOWN)
                i = std::min((int)rows.size() - 1, i + 1);
            else
                i = wParam == VK_HOME ? 0 : (int)rows.size() - 1;
            t.SetCaret(rows[(size_t)i], TVC_BYKEYBOARD);
            return 0;
        }
        case VK_LEFT:
            if (c && t.Expanded(c))
                t.ExpandItem(c, TVE_COLLAPSE, TVC_BYKEYBOARD, true);
            else if (c && c->parent != &t.root)
                t.SetCaret(c->parent, TVC_BYKEYBOARD);
            return 0;
        case VK_RIGHT:
            if (c && t.HasKids(c)) {
                if (!t.Expanded(c))
                    t.ExpandItem(c, TVE_EXPAND, TVC_BYKEYBOARD, true);
                else if (!c->kids.empty())
                    t.SetCaret(c->kids.front(), TVC_BYKEYBOARD);
            }
            return 0;
        case VK_ADD:
        case VK_SUBTRACT:
            if (c)
                t.ExpandItem(c, wParam == VK_ADD ? TVE_EXPAND : TVE_COLLAPSE, TVC_BYKEYBOARD, true);
            return 0;
        default:
            return 0;
        }
    }
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
