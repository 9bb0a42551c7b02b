#include "platform/gui/ListCtrl.h"
#include "platform/gui/ListCtrlItems.h"

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ItemCtrlCommon.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

// Dialog templates name the control by its window class.
static const bool s_registered = (AfxRegisterControlClass<CListCtrl>("SysListView32"), true);

namespace {
constexpr UINT kHeaderId = 0;
constexpr UINT_PTR kEditTimer = 0x7E02; // a click on the focused label starts editing later
constexpr int kStateIconWidth = 16;
constexpr int kLabelMargin = 2;
constexpr int kCellMargin = 6;
constexpr int kIconCellWidth = 76;
constexpr int kLineStep = 15;     // pixels a horizontal line scroll moves
constexpr int kDispTextMax = 260; // the buffer a parent writes an asked-for text into

// The window layer reports no leaving of a window: without this a hot row would stay lit after
// the pointer has left the list.
class ListLeaveFilter : public QObject {
public:
    ListLeaveFilter(HWND hList, QObject* parent) : QObject(parent), m_hList(hList) {
        setObjectName(kName);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Leave)
            if (auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandlePermanent(m_hList)))
                if (list->GetHotItem() >= 0)
                    list->SetHotItem(-1);
        return false;
    }
    static constexpr const char* kName = "listLeaveFilter";

private:
    HWND m_hList;
};

LVITEM MakeItem(UINT mask, int item, int subItem, LPCTSTR text, int image, UINT state,
                UINT stateMask, LPARAM lParam) {
    LVITEM lv{};
    lv.mask = mask;
    lv.iItem = item;
    lv.iSubItem = subItem;
    lv.pszText = const_cast<LPSTR>(text);
    lv.iImage = image;
    lv.state = state;
    lv.stateMask = stateMask;
    lv.lParam = lParam;
    return lv;
}

int StateImageOf(UINT state) {
    return (int)((state & LVIS_STATEIMAGEMASK) >> 12);
}
} // namespace

struct ListItemData {
    std::vector<CString> texts; // by column
    std::vector<int> images;    // by column, for sub-item images; [0] is the item's image
    // By column: the parent gives the text or the image when asked (LVN_GETDISPINFO).
    std::vector<char> textAsked, imageAsked;
    UINT state = 0;
    LPARAM data = 0;
    int indent = 0;
    int groupId = 0;
    bool placed = false; // pos was given (icon views); content coordinates of the cell
    CPoint pos;
    bool doomed = false; // notified of its deletion by DeleteListItems, erased when it compacts

    void SetColumns(size_t n) {
        texts.assign(n, CString());
        images.assign(n, -1);
        textAsked.assign(n, 0);
        imageAsked.assign(n, 0);
    }
    void InsertColumn(size_t at) {
        texts.insert(texts.begin() + (long)at, CString());
        images.insert(images.begin() + (long)at, -1);
        textAsked.insert(textAsked.begin() + (long)at, 0);
        imageAsked.insert(imageAsked.begin() + (long)at, 0);
    }
    void EraseColumn(size_t at) {
        texts.erase(texts.begin() + (long)at);
        images.erase(images.begin() + (long)at);
        textAsked.erase(textAsked.begin() + (long)at);
        imageAsked.erase(imageAsked.begin() + (long)at);
    }
    void SetText(size_t col, LPCTSTR text) {
        textAsked[col] = text == LPSTR_TEXTCALLBACK;
        texts[col] = text && text != LPSTR_TEXTCALLBACK ? text : "";
    }
    void SetImage(size_t col, int image) {
        imageAsked[col] = image == I_IMAGECALLBACK;
        images[col] = image;
    }
};

struct ListCtrlState {
    static ListCtrlState& Of(CListCtrl& list) { return *list.m_l; }
    static int Selected(UINT state) { return (state & LVIS_SELECTED) ? 1 : 0; }
    CListCtrl* self;
    std::vector<ListItemData> items;
    // How many items are selected, kept as items change (counting them on every change made a
    // selection or deletion of many rows quadratic).
    int selectedCount = 0;
    std::vector<int> columnSubItem; // the sub-item number each column reports
    CHeaderCtrl header;
    CImageList* normal = nullptr;
    CImageList* small = nullptr;
    CImageList* stateImages = nullptr;
    CImageList checkBoxes; // the state images of LVS_EX_CHECKBOXES when the program gave none
    DWORD exStyle = 0;
    COLORREF bk = CLR_NONE; // CLR_NONE: the system window colour
    COLORREF text = CLR_NONE;
    COLORREF textBk = CLR_DEFAULT; // CLR_DEFAULT: the background colour; CLR_NONE: transparent
    CBitmap bkImage;
    bool bkTile = false;
    int bkX = 0, bkY = 0;
    int listColumnWidth = 0; // LVS_LIST; 0: from the widest label
    CPoint scroll;           // pixels the content is scrolled by
    bool hasVBar = false, hasHBar = false;
    int hot = -1;
    int anchor = -1;
    int measuredHeight = -1; // row height the owner gave for LVS_OWNERDRAWFIXED
    CItemLabelEdit edit;
    int editItem = -1;
    int pendingEdit = -1;
    int pressItem = -1;
    int pressSub = 0;
    int pressButton = 0;
    int placedMode = -1; // the view mode the items' given positions belong to
    CPoint pressPt;
    bool dragSent = false;

    explicit ListCtrlState(CListCtrl* s) : self(s) {}

    DWORD Style() const { return self->m_hWnd ? self->GetStyle() : 0; }
    int Mode() const { return (int)(Style() & LVS_TYPEMASK); }
    bool Report() const { return Mode() == LVS_REPORT; }
    bool IconView() const { return Mode() == LVS_ICON; }
    bool Valid(int i) const { return i >= 0 && i < (int)items.size(); }
    int Columns() const { return header.m_hWnd ? header.GetItemCount() : 0; }

    QFont Font() const { return AfxQFont((HFONT)*AfxControlFont(self)); }
    int TextWidth(const CString& s) const {
        return QFontMetrics(Font()).horizontalAdvance(AfxToQt(s));
    }
    CImageList* StateList() const {
        if (stateImages)
            return stateImages;
        return (exStyle & LVS_EX_CHECKBOXES) && checkBoxes.GetSafeHandle()
                   ? const_cast<CImageList*>(&checkBoxes)
                   : nullptr;
    }
    int StateWidth() const { return StateList() ? kStateIconWidth : 0; }

    const CString& Text(const ListItemData& it, int col) const {
        static const CString empty;
        return col >= 0 && col < (int)it.texts.size() ? it.texts[(size_t)col] : empty;
    }
    // What an item shows in a column: the stored text and image, or what the parent gives for
    // those it keeps itself (LPSTR_TEXTCALLBACK, I_IMAGECALLBACK), asked each time.
    static bool Asked(const std::vector<char>& flags, int col) {
        return col >= 0 && col < (int)flags.size() && flags[(size_t)col];
    }
    CString ShownText(int i, int col) const {
        const ListItemData& it = items[(size_t)i];
        if (!Asked(it.textAsked, col))
            return Text(it, col);
        CString text;
        AskParent(i, col, LVIF_TEXT, &text, nullptr);
        return text;
    }
    int ShownImage(int i, int col) const {
        const ListItemData& it = items[(size_t)i];
        if (col < 0 || col >= (int)it.images.size())
            return -1;
        if (!Asked(it.imageAsked, col))
            return it.images[(size_t)col];
        int image = -1;
        AskParent(i, col, LVIF_IMAGE, nullptr, &image);
        return image;
    }
    void AskParent(int i, int col, UINT mask, CString* text, int* image) const;

    // ---- Geometry ----
    // The header says how tall it is in its answer to HDM_LAYOUT, so that a procedure put in
    // front of it can ask for another height.
    int HeaderHeight() const {
        if (!Report() || (Style() & LVS_NOCOLUMNHEADER) || !header.m_hWnd || !self->m_hWnd)
            return 0;
        CRect client;
        self->GetClientRect(&client);
        RECT rc = client;
        WINDOWPOS pos{};
        HDLAYOUT layout{&rc, &pos};
        if (!::SendMessage(header.m_hWnd, HDM_LAYOUT, 0, (LPARAM)&layout))
            return header.GetPreferredHeight();
        return std::max(0, pos.cy);
    }
    void MeasureOwnerRows() {
        if (measuredHeight > 0 || !(Style() & LVS_OWNERDRAWFIXED) || !self->m_hWnd)
            return;
        MEASUREITEMSTRUCT mis{};
        mis.CtlType = ODT_LISTVIEW;
        mis.CtlID = (UINT)self->GetDlgCtrlID();
        mis.itemHeight = (UINT)DefaultRowHeight();
        if (CWnd* parent = self->GetParent())
            parent->SendMessage(WM_MEASUREITEM, mis.CtlID, (LPARAM)&mis);
        measuredHeight = std::max(1, (int)mis.itemHeight);
    }
    int DefaultRowHeight() const {
        int h = QFontMetrics(Font()).height() + 3;
        h = std::max(h, (int)AfxItemImageSize(small).cy + 1);
        if (StateList())
            h = std::max(h, 17);
        return h;
    }
    int RowHeight() const {
        if (Report() && (Style() & LVS_OWNERDRAWFIXED)) {
            const_cast<ListCtrlState*>(this)->MeasureOwnerRows();
            return measuredHeight;
        }
        return DefaultRowHeight();
    }
    CSize IconCell() const {
        CSize icon = AfxItemImageSize(normal);
        int h = std::max(32, (int)icon.cy) + 6 + 2 * QFontMetrics(Font()).height() + 4;
        return CSize(std::max(kIconCellWidth, (int)icon.cx + 16), h);
    }
    int SmallCellWidth() const {
        // Every cell of the small-icon and list views is as wide as the widest text: measured
        // once per change of the list (each change repaints), not once per cell.
        if (smallWidthStamp == changeStamp && smallWidth >= 0)
            return smallWidth;
        int widest = 0;
        for (int i = 0; i < (int)items.size(); ++i)
            widest = std::max(widest, TextWidth(ShownText(i, 0)));
        smallWidth = StateWidth() + AfxItemImageSize(small).cx + widest + 2 * kCellMargin;
        smallWidthStamp = changeStamp;
        return smallWidth;
    }
    unsigned changeStamp = 0;
    mutable unsigned smallWidthStamp = 0;
    mutable int smallWidth = -1;
    int ListColumnWidth() const { return listColumnWidth > 0 ? listColumnWidth : SmallCellWidth(); }
    int TotalColumnWidth() const {
        int w = 0;
        for (int c = 0; c < Columns(); ++c)
            w += self->GetColumnWidth(c);
        return w;
    }
    // The client area where items go: below the header, inside the bars.
    CRect View() const {
        CRect r;
        if (self->m_hWnd)
            self->GetClientRect(&r);
        r.top += HeaderHeight();
        if (hasVBar)
            r.right = std::max(r.left, r.right - GetSystemMetrics(SM_CXVSCROLL));
        if (hasHBar)
            r.bottom = std::max(r.top, r.bottom - GetSystemMetrics(SM_CYHSCROLL));
        return r;
    }
    // Items per line of the flowing views: per row for the icon views, per column for the list.
    int PerLine() const {
        CRect v = View();
        switch (Mode()) {
        case LVS_ICON:
            return std::max(1, (int)v.Width() / IconCell().cx);
        case LVS_SMALLICON:
            return std::max(1, (int)v.Width() / SmallCellWidth());
        case LVS_LIST:
            return std::max(1, (int)v.Height() / RowHeight());
        default:
            return 1;
        }
    }
    // An item's cell in content coordinates (before scrolling, origin at the view's top left).
    CRect Cell(int i) const {
        int n = PerLine();
        switch (Mode()) {
        case LVS_REPORT: {
            int h = RowHeight();
            return CRect(0, i * h, std::max(TotalColumnWidth(), 1), (i + 1) * h);
        }
        case LVS_ICON: {
            CSize c = IconCell();
            if (Placed(i))
                return CRect(items[(size_t)i].pos, c);
            return CRect(CPoint((i % n) * c.cx, (i / n) * c.cy), c);
        }
        case LVS_SMALLICON: {
            int w = SmallCellWidth(), h = RowHeight();
            if (Placed(i))
                return CRect(items[(size_t)i].pos, CSize(w, h));
            return CRect(CPoint((i % n) * w, (i / n) * h), CSize(w, h));
        }
        default: {
            int w = ListColumnWidth(), h = RowHeight();
            return CRect(CPoint((i / n) * w, (i % n) * h), CSize(w, h));
        }
        }
    }
    CSize ContentSize() const {
        if (items.empty())
            return Report() ? CSize(TotalColumnWidth(), 0) : CSize(0, 0);
        CRect last = Cell((int)items.size() - 1);
        if (Report())
            return CSize(TotalColumnWidth(), last.bottom);
        if (Mode() == LVS_LIST)
            return CSize(last.right, PerLine() * RowHeight());
        if (placedMode != Mode())
            return CSize(PerLine() * Cell(0).Width(), last.bottom);
        // Placed items reach as far as their cells do.
        CSize size(0, 0);
        for (int i = 0; i < (int)items.size(); ++i) {
            CRect c = Cell(i);
            size.cx = std::max(size.cx, c.right);
            size.cy = std::max(size.cy, c.bottom);
        }
        return size;
    }
    // Whether an item stands where it was put rather than in the flow of the icon views.
    bool Placed(int i) const {
        return placedMode == Mode() && items[(size_t)i].placed && !(Style() & LVS_AUTOARRANGE);
    }
    void ForgetPlaces() {
        placedMode = -1;
        for (auto& it : items)
            it.placed = false;
    }
    // Client coordinates of content coordinates.
    CPoint Origin() const {
        CRect v = View();
        return CPoint(v.left - scroll.x, v.top - scroll.y);
    }
    CRect Bounds(int i) const {
        CRect r = Cell(i);
        r.OffsetRect(Origin());
        return r;
    }
    // The left and right ends of a column in client coordinates (report view).
    CRect ColumnSpan(int col, const CRect& row) const {
        CRect hr;
        header.GetItemRect(col, &hr);
        return CRect(row.left + hr.left, row.top, row.left + hr.right, row.bottom);
    }

    struct Parts {
        CRect bounds, stateIcon, icon, label;
    };
    Parts Layout(int i) const {
        Parts p;
        const ListItemData& it = items[(size_t)i];
        p.bounds = Bounds(i);
        if (IconView()) {
            CSize icon = AfxItemImageSize(normal);
            CSize cell = IconCell();
            int iconH = std::max(32, (int)icon.cy);
            int x = p.bounds.left + (cell.cx - icon.cx) / 2;
            p.icon = CRect(x, p.bounds.top + 2, x + icon.cx, p.bounds.top + 2 + iconH);
            p.stateIcon = CRect(p.icon.left - StateWidth(), p.icon.top, p.icon.left,
                                p.icon.top + kStateIconWidth);
            int tw = std::min(TextWidth(ShownText(i, 0)) + 2 * kLabelMargin, (int)cell.cx - 2);
            int lx = p.bounds.left + (cell.cx - tw) / 2;
            p.label = CRect(lx, p.icon.bottom + 2, lx + tw, p.bounds.bottom - 2);
            return p;
        }
        CRect first = p.bounds;
        if (Report() && Columns() > 0)
            first = ColumnSpan(0, p.bounds);
        int x = first.left + it.indent * std::max(16, (int)AfxItemImageSize(small).cx);
        p.stateIcon = CRect(x, p.bounds.top, x + StateWidth(), p.bounds.bottom);
        x = p.stateIcon.right;
        p.icon = CRect(x, p.bounds.top, x + AfxItemImageSize(small).cx, p.bounds.bottom);
        x = p.icon.right;
        int right = Report() ? first.right
                             : std::min((int)p.bounds.right,
                                        x + TextWidth(ShownText(i, 0)) + 2 * kLabelMargin + 2);
        p.label = CRect(x, p.bounds.top, std::max(x, right), p.bounds.bottom);
        return p;
    }

    void UpdateScroll() {
        if (!self->m_hWnd)
            return;
        bool noScroll = (Style() & LVS_NOSCROLL) != 0;
        hasVBar = hasHBar = false;
        for (int pass = 0; pass < 2 && !noScroll; ++pass) {
            CSize content = ContentSize();
            CRect v = View();
            bool flowsDown = Mode() != LVS_LIST;
            hasVBar = flowsDown && content.cy > v.Height();
            hasHBar = (Report() || Mode() == LVS_LIST) && content.cx > View().Width();
        }
        CSize content = ContentSize();
        CRect v = View();
        scroll.x = std::clamp((int)scroll.x, 0, std::max(0, (int)(content.cx - v.Width())));
        scroll.y = std::clamp((int)scroll.y, 0, std::max(0, (int)(content.cy - v.Height())));
        if (Report()) {
            // Whole rows in report view.
            int h = RowHeight();
            scroll.y = (scroll.y + h - 1) / h * h;
            scroll.y = std::min((int)scroll.y,
                                std::max(0, (int)((items.size()) * h) - (int)(v.Height() / h) * h));
            scroll.y = std::max(0, (int)scroll.y);
        }
        PlaceHeader();
    }
    void PlaceHeader() {
        if (!header.m_hWnd)
            return;
        int h = HeaderHeight();
        if (h == 0) {
            header.ShowWindow(SW_HIDE);
            return;
        }
        CRect c;
        self->GetClientRect(&c);
        int width = std::max((int)c.Width() + (int)scroll.x, TotalColumnWidth());
        header.MoveWindow(-scroll.x, 0, width, h, FALSE);
        header.ShowWindow(SW_SHOWNA);
    }
    void Repaint() {
        ++changeStamp;
        if (destroying)
            return;
        // With redrawing off (a caller filling many items) the scroll range waits for redrawing
        // to come back: measuring every item on each change would make a fill quadratic.
        if (self->m_hWnd && !self->m_p->redraw) {
            scrollPending = true;
            return;
        }
        scrollPending = false;
        UpdateScroll();
        if (self->m_hWnd)
            self->Invalidate(FALSE);
    }
    bool destroying = false;
    bool scrollPending = false;

    // ---- Notifications ----
    LRESULT NotifyList(UINT code, int item, int sub = 0, UINT newState = 0, UINT oldState = 0,
                       UINT changed = 0, POINT pt = POINT{0, 0}) {
        NMLISTVIEW nm{};
        nm.iItem = item;
        nm.iSubItem = sub;
        nm.uNewState = newState;
        nm.uOldState = oldState;
        nm.uChanged = changed;
        nm.ptAction = pt;
        nm.lParam = Valid(item) ? items[(size_t)item].data : 0;
        return AfxSendNotify(self, &nm.hdr, code);
    }
    LRESULT NotifyActivate(UINT code, int item, int sub, POINT pt) {
        NMITEMACTIVATE nm{};
        nm.iItem = item;
        nm.iSubItem = sub;
        nm.ptAction = pt;
        if (Valid(item)) {
            nm.lParam = items[(size_t)item].data;
            nm.uNewState = nm.uOldState = items[(size_t)item].state;
        }
        if (GetKeyState(VK_SHIFT) < 0)
            nm.uKeyFlags |= LVKF_SHIFT;
        if (GetKeyState(VK_CONTROL) < 0)
            nm.uKeyFlags |= LVKF_CONTROL;
        if (GetKeyState(VK_MENU) < 0)
            nm.uKeyFlags |= LVKF_ALT;
        return AfxSendNotify(self, &nm.hdr, code);
    }

    // One item's change of state, image or data, asked for first. Answers false when the
    // parent refused (or the item went away while it was asked).
    bool Change(int i, UINT mask, UINT state, UINT stateMask, int image, LPARAM data) {
        if (!Valid(i))
            return false;
        ListItemData& it = items[(size_t)i];
        UINT newState =
            (mask & LVIF_STATE) ? (it.state & ~stateMask) | (state & stateMask) : it.state;
        UINT changed = 0;
        if (newState != it.state)
            changed |= LVIF_STATE;
        if ((mask & LVIF_IMAGE) && image != it.images[0])
            changed |= LVIF_IMAGE;
        if ((mask & LVIF_PARAM) && data != it.data)
            changed |= LVIF_PARAM;
        if (!changed)
            return true;
        // One focused item, and one selected item under LVS_SINGLESEL: the others let go first,
        // each in one change.
        UINT exclusive = (newState & ~it.state) &
                         (LVIS_FOCUSED | ((Style() & LVS_SINGLESEL) ? LVIS_SELECTED : 0));
        for (int j = 0; exclusive && j < (int)items.size(); ++j) {
            UINT drop = items[(size_t)j].state & exclusive;
            if (j != i && drop && !Change(j, LVIF_STATE, 0, drop, 0, 0))
                return false;
        }
        HWND hwnd = self->m_hWnd;
        UINT oldState = it.state;
        if (NotifyList(LVN_ITEMCHANGING, i, 0, newState, oldState, changed))
            return false;
        if (!IsWindow(hwnd) || !Valid(i))
            return false;
        ListItemData& now = items[(size_t)i];
        selectedCount += Selected(newState) - Selected(now.state);
        now.state = newState;
        if (changed & LVIF_IMAGE)
            now.SetImage(0, image);
        if (changed & LVIF_PARAM)
            now.data = data;
        if ((changed & LVIF_STATE) && (newState & LVIS_SELECTED) && !(oldState & LVIS_SELECTED))
            anchor = anchor < 0 ? i : anchor;
        Repaint();
        NotifyList(LVN_ITEMCHANGED, i, 0, newState, oldState, changed);
        return true;
    }

    int Focused() const {
        for (int i = 0; i < (int)items.size(); ++i)
            if (items[(size_t)i].state & LVIS_FOCUSED)
                return i;
        return -1;
    }
    // A person's selection: only the items from..to (or just one) end selected, the focus goes
    // to focusItem.
    void SelectOnly(int from, int to, int focusItem) {
        if (from > to)
            std::swap(from, to);
        HWND hwnd = self->m_hWnd;
        for (int j = 0; j < (int)items.size() && IsWindow(hwnd); ++j)
            if ((j < from || j > to) && (items[(size_t)j].state & LVIS_SELECTED))
                Change(j, LVIF_STATE, 0, LVIS_SELECTED, 0, 0);
        for (int j = from; j <= to && Valid(j) && IsWindow(hwnd); ++j) {
            UINT bits = j == focusItem ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
            Change(j, LVIF_STATE, bits, bits, 0, 0);
        }
    }
    // Moves the focus and selection as the arrow keys and clicks do.
    void MoveTo(int i, bool shift, bool ctrl) {
        if (!Valid(i))
            return;
        bool single = (Style() & LVS_SINGLESEL) != 0;
        if (ctrl && !single) {
            Change(i, LVIF_STATE, LVIS_FOCUSED, LVIS_FOCUSED, 0, 0);
        } else if (shift && !single && Valid(anchor)) {
            int a = anchor;
            SelectOnly(a, i, i);
            anchor = a;
        } else {
            SelectOnly(i, i, i);
            anchor = i;
        }
        MakeVisible(i, false);
        Repaint();
    }

    void MakeVisible(int i, bool partialOk) {
        if (!Valid(i) || !self->m_hWnd)
            return;
        UpdateScroll();
        CRect cell = Cell(i);
        CRect v = View();
        auto fit = [&](LONG& pos, int lo, int hi, int page) {
            bool outside =
                partialOk ? (hi <= pos || lo >= pos + page) : (lo < pos || hi > pos + page);
            if (!outside)
                return;
            if (lo < pos || hi - lo > page)
                pos = lo;
            else
                pos = hi - page;
        };
        if (Mode() == LVS_LIST)
            fit(scroll.x, cell.left, cell.right, v.Width());
        else
            fit(scroll.y, cell.top, cell.bottom, v.Height());
        UpdateScroll();
    }

    // ---- Item neighbours by geometry ----
    int Neighbour(int i, UINT dir) const {
        if (!Valid(i))
            return -1;
        int n = PerLine();
        int step = 1;
        switch (Mode()) {
        case LVS_REPORT:
            step = dir == LVNI_ABOVE ? -1 : dir == LVNI_BELOW ? 1 : 0;
            break;
        case LVS_LIST:
            step = dir == LVNI_ABOVE ? -1 : dir == LVNI_BELOW ? 1 : dir == LVNI_TOLEFT ? -n : n;
            break;
        default:
            step = dir == LVNI_ABOVE ? -n : dir == LVNI_BELOW ? n : dir == LVNI_TOLEFT ? -1 : 1;
            break;
        }
        int j = i + step;
        return step != 0 && Valid(j) ? j : -1;
    }

    // ---- Label editing ----
    CEdit* BeginEdit(int i) {
        if (!Valid(i) || !self->m_hWnd)
            return nullptr;
        if (!AfxEndItemEdit(self, edit, [&] { EndEdit(false); }))
            return nullptr;
        MakeVisible(i, false);
        NMLVDISPINFO di{};
        FillDisp(di.item, i);
        if (AfxSendNotify(self, &di.hdr, LVN_BEGINLABELEDIT) || !Valid(i))
            return nullptr;
        CRect r = Layout(i).label;
        if (!IconView())
            r.right = std::max(r.right, r.left + std::max(60, TextWidth(ShownText(i, 0)) + 20));
        else
            r.bottom = r.top + QFontMetrics(Font()).height() + 6;
        editItem = i;
        CEdit* e = edit.Open(
            self, r, ShownText(i, 0),
            [](void* l, bool cancel) { static_cast<ListCtrlState*>(l)->EndEdit(cancel); }, this);
        if (!e)
            editItem = -1;
        return e;
    }
    void FillDisp(LVITEM& lv, int i) const {
        const ListItemData& it = items[(size_t)i];
        lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
        lv.iItem = i;
        lv.state = it.state;
        lv.stateMask = 0xFFFF;
        lv.pszText = const_cast<LPSTR>(Text(it, 0).GetString());
        lv.cchTextMax = Text(it, 0).GetLength() + 1;
        lv.iImage = it.images[0];
        lv.lParam = it.data;
        lv.iIndent = it.indent;
    }
    bool EndEdit(bool cancel) {
        CString newText;
        if (!edit.Take(newText))
            return false;
        int i = editItem;
        HWND hwnd = self->m_hWnd;
        if (Valid(i)) {
            NMLVDISPINFO di{};
            FillDisp(di.item, i);
            di.item.pszText = cancel ? nullptr : const_cast<LPSTR>(newText.GetString());
            di.item.cchTextMax = newText.GetLength();
            LRESULT accepted = AfxSendNotify(self, &di.hdr, LVN_ENDLABELEDIT);
            // A parent that closed the list took its edit along (and maybe this state).
            if (!IsWindow(hwnd))
                return true;
            if (!cancel && accepted && Valid(i)) {
                // The parent keeps the texts it gives itself.
                if (!items[(size_t)i].textAsked[0])
                    items[(size_t)i].texts[0] = newText;
                Repaint();
            }
        }
        edit.Close();
        editItem = -1;
        return true;
    }

    void EnsureCheckBoxes() {
        if (checkBoxes.GetSafeHandle())
            return;
        // Unticked and ticked boxes, the images of state 1 and 2.
        QImage strip(32, 16, QImage::Format_ARGB32);
        strip.fill(Qt::transparent);
        {
            CDC dc;
            dc.AttachImage(&strip);
            for (int k = 0; k < 2; ++k) {
                CRect box(k * 16 + 2, 2, k * 16 + 15, 15);
                dc.FillSolidRect(&box, RGB(255, 255, 255));
                CBrush frame(GetSysColor(COLOR_BTNSHADOW));
                dc.FrameRect(&box, &frame);
                if (k == 1) {
                    CPen pen(PS_SOLID, 2, GetSysColor(COLOR_WINDOWTEXT));
                    CPen* old = dc.SelectObject(&pen);
                    dc.MoveTo(box.left + 3, box.top + 6);
                    dc.LineTo(box.left + 5, box.top + 9);
                    dc.LineTo(box.left + 10, box.top + 3);
                    dc.SelectObject(old);
                }
            }
        }
        checkBoxes.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
        CBitmap bmp;
        bmp.AttachImageData(strip);
        checkBoxes.Add(&bmp, (CBitmap*)nullptr);
    }

    BOOL SetColour(COLORREF& slot, COLORREF c);
    void Paint(CDC* dc);
    bool PaintItems(CDC* dc, const CRect& client, LRESULT pre, COLORREF textColor);
    void PaintBackground(CDC* dc, const CRect& client, COLORREF bkColor);
    void PaintItem(CDC* dc, int i, const Parts& p, COLORREF fg, COLORREF back, LRESULT itemRes,
                   bool highlightRow);
};

// ---- Painting -------------------------------------------------------------------------------

void ListCtrlState::PaintBackground(CDC* dc, const CRect& client, COLORREF bkColor) {
    dc->FillSolidRect(&client, bkColor);
    QImage* img = bkImage.GetSafeHandle() ? bkImage.GetImage() : nullptr;
    if (!img || img->isNull())
        return;
    QPainter* p = dc->GetPainter();
    CRect v = View();
    p->save();
    p->setClipRect(v.left, v.top, v.Width(), v.Height());
    if (bkTile) {
        // Tiles scroll with the items.
        QPixmap tile = QPixmap::fromImage(*img);
        p->drawTiledPixmap(v.left, v.top, v.Width(), v.Height(), tile,
                           (int)(scroll.x % std::max(1, img->width())),
                           (int)(scroll.y % std::max(1, img->height())));
    } else {
        int x = v.left + (v.Width() - img->width()) * bkX / 100;
        int y = v.top + (v.Height() - img->height()) * bkY / 100;
        p->drawImage(x, y, *img);
    }
    p->restore();
}

void ListCtrlState::PaintItem(CDC* dc, int i, const Parts& p, COLORREF fg, COLORREF back,
                              LRESULT itemRes, bool highlightRow) {
    const ListItemData& it = items[(size_t)i];
    bool focusedWnd = CWnd::GetFocus() == self;
    int oldMode = dc->SetBkMode(TRANSPARENT);
    if (CImageList* sl = StateList()) {
        int s = StateImageOf(it.state);
        if (s > 0)
            sl->Draw(dc, s - 1,
                     CPoint(p.stateIcon.left, p.stateIcon.top + (p.stateIcon.Height() - 16) / 2),
                     ILD_TRANSPARENT);
    }
    CImageList* il = IconView() ? normal : small;
    if (il && il->GetSafeHandle() && p.icon.Width() > 0) {
        CSize sz = AfxItemImageSize(il);
        UINT flags = ILD_TRANSPARENT | (it.state & LVIS_OVERLAYMASK);
        if ((it.state & LVIS_SELECTED) && focusedWnd)
            flags |= ILD_BLEND25;
        il->Draw(dc, ShownImage(i, 0),
                 CPoint(p.icon.left, p.icon.top + (IconView() ? 0 : (p.icon.Height() - sz.cy) / 2)),
                 flags);
    }
    auto cellBack = [&](const CRect& r, COLORREF c) {
        if (c != CLR_NONE)
            dc->FillSolidRect(&r, c);
    };
    CFont underline;
    CFont* before =
        AfxSelectStyledFont(dc, underline, false, (exStyle & LVS_EX_UNDERLINEHOT) && i == hot);
    if (!Report()) {
        CRect label = p.label;
        cellBack(label, back);
        dc->SetTextColor(fg);
        CRect tr = label;
        tr.DeflateRect(kLabelMargin, 0);
        UINT fmt = IconView()
                       ? DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX
                       : DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
        dc->DrawText(ShownText(i, 0), &tr, fmt);
        if ((it.state & LVIS_FOCUSED) && focusedWnd)
            dc->DrawFocusRect(&label);
    } else {
        int cols = std::max(1, Columns());
        std::vector<int> order((size_t)cols);
        if (Columns() > 0)
            header.GetOrderArray(order.data(), cols);
        HWND hwnd = self->m_hWnd;
        CRect focusRect = p.label;
        for (int col : order) {
            CRect cell = Columns() > 0 ? ColumnSpan(col, p.bounds) : p.bounds;
            COLORREF cfg = fg, cbk = back;
            bool highlight = highlightRow && (col == 0 || (exStyle & LVS_EX_FULLROWSELECT));
            if (!highlight && highlightRow) {
                // A selected row's other cells (no full-row selection) keep the list's colours.
                cfg = text == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : text;
                cbk = textBk == CLR_DEFAULT ? CLR_NONE : textBk;
            } else if (!highlight) {
                // The row's colours as the item's custom drawing left them.
                cfg = fg == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : fg;
                cbk = back == CLR_DEFAULT ? CLR_NONE : back;
            }
            int saved = 0;
            if (itemRes & CDRF_NOTIFYSUBITEMDRAW) {
                NMLVCUSTOMDRAW sc{};
                sc.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
                sc.nmcd.hdc = dc->GetSafeHdc();
                sc.nmcd.rc = cell;
                sc.nmcd.dwItemSpec = (DWORD_PTR)i;
                sc.nmcd.lItemlParam = it.data;
                sc.clrText = cfg;
                sc.clrTextBk = cbk;
                sc.iSubItem = col;
                saved = dc->SaveDC();
                LRESULT r = AfxSendNotify(self, &sc.nmcd.hdr, NM_CUSTOMDRAW);
                if (!IsWindow(hwnd) || !Valid(i))
                    return;
                cfg = sc.clrText;
                cbk = sc.clrTextBk;
                if (r & CDRF_SKIPDEFAULT) {
                    dc->RestoreDC(saved);
                    continue;
                }
            }
            CRect area = col == 0 ? CRect(p.label.left, cell.top, cell.right, cell.bottom) : cell;
            cellBack(area, cbk);
            CRect tr = area;
            tr.DeflateRect(col == 0 ? kLabelMargin : kCellMargin, 0);
            int subImage =
                col > 0 && (exStyle & LVS_EX_SUBITEMIMAGES) && small && small->GetSafeHandle()
                    ? ShownImage(i, col)
                    : -1;
            if (subImage >= 0) {
                CSize sz = AfxItemImageSize(small);
                small->Draw(dc, subImage,
                            CPoint(cell.left + 2, cell.top + (cell.Height() - sz.cy) / 2),
                            ILD_TRANSPARENT);
                tr.left = cell.left + 2 + sz.cx + 2;
            }
            LVCOLUMN lc{};
            lc.mask = LVCF_FMT;
            self->GetColumn(col, &lc);
            UINT align = (lc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? DT_RIGHT
                         : (lc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? DT_CENTER
                                                                          : DT_LEFT;
            if (col == 0)
                align = DT_LEFT;
            dc->SetTextColor(cfg);
            dc->DrawText(ShownText(i, col), &tr,
                         align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            if (saved)
                dc->RestoreDC(saved);
            if (highlight && col != 0)
                focusRect.UnionRect(&focusRect, &cell);
        }
        if ((it.state & LVIS_FOCUSED) && focusedWnd)
            dc->DrawFocusRect(&focusRect);
    }
    if (before)
        dc->SelectObject(before);
    dc->SetBkMode(oldMode);
}

void ListCtrlState::Paint(CDC* dc) {
    CRect client;
    self->GetClientRect(&client);
    COLORREF bkColor = AfxColourOr(bk, COLOR_WINDOW);
    COLORREF textColor = AfxColourOr(text, COLOR_WINDOWTEXT);
    PaintBackground(dc, client, bkColor);
    AfxPaintItemCtrl<NMLVCUSTOMDRAW>(
        self, dc, client, [&](LRESULT pre) { return PaintItems(dc, client, pre, textColor); });
}

bool ListCtrlState::PaintItems(CDC* dc, const CRect& client, LRESULT pre, COLORREF textColor) {
    DWORD st = Style();
    bool focused = CWnd::GetFocus() == self;
    bool enabled = self->IsWindowEnabled();
    HWND hwnd = self->m_hWnd;
    CRect view = View();
    int saveClip = dc->SaveDC();
    dc->IntersectClipRect(&view);
    // Report rows are stacked at one height: only those across the view are laid out, so that
    // a paint costs the rows shown, not the rows held.
    int first = 0, end = (int)items.size();
    if (Report()) {
        const int h = RowHeight();
        const int top = Origin().y;
        if (h > 0) {
            first = std::clamp((int)(view.top - top) / h, 0, end);
            end = std::clamp((int)(view.bottom - top) / h + 1, first, end);
        }
    }
    for (int i = first; i < end; ++i) {
        Parts p = Layout(i);
        CRect vis;
        if (!vis.IntersectRect(&p.bounds, &view))
            continue;
        const ListItemData& it = items[(size_t)i];
        bool selected = (it.state & (LVIS_SELECTED | LVIS_DROPHILITED)) != 0;
        bool highlight =
            selected && (focused || (st & LVS_SHOWSELALWAYS) || (it.state & LVIS_DROPHILITED));
        bool strong = focused || (it.state & LVIS_DROPHILITED);
        COLORREF fg = highlight && strong ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor;
        COLORREF back = highlight ? GetSysColor(strong ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                        : textBk == CLR_DEFAULT ? CLR_NONE
                                                : textBk;
        if (!enabled)
            fg = GetSysColor(COLOR_GRAYTEXT);
        UINT cdis = 0;
        if (it.state & LVIS_SELECTED)
            cdis |= CDIS_SELECTED;
        if ((it.state & LVIS_FOCUSED) && focused)
            cdis |= CDIS_FOCUS;
        if (i == hot)
            cdis |= CDIS_HOT;
        if (!enabled)
            cdis |= CDIS_DISABLED;
        if (Report() && (st & LVS_OWNERDRAWFIXED)) {
            // The owner draws the whole row.
            UINT state = ((it.state & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                         ((it.state & LVIS_FOCUSED) && focused ? ODS_FOCUS : 0) |
                         (i == hot ? ODS_HOTLIGHT : 0) | (enabled ? 0 : ODS_DISABLED);
            int saved = dc->SaveDC();
            AfxSendDrawItem(self, ODT_LISTVIEW, (UINT)i, state, dc, p.bounds, (ULONG_PTR)it.data);
            if (!IsWindow(hwnd))
                return false;
            dc->RestoreDC(saved);
            continue;
        }
        NMLVCUSTOMDRAW ic{};
        ic.nmcd.hdc = dc->GetSafeHdc();
        ic.nmcd.rc = p.bounds;
        ic.nmcd.dwItemSpec = (DWORD_PTR)i;
        ic.nmcd.uItemState = cdis;
        ic.nmcd.lItemlParam = it.data;
        ic.clrText = fg;
        ic.clrTextBk = back;
        bool alive = AfxCustomDrawItem(
            self, dc, pre, ic,
            [&](COLORREF itemFg, COLORREF itemBack, LRESULT itemRes) {
                PaintItem(dc, i, p, itemFg, itemBack, itemRes, highlight);
            },
            [&] { return IsWindow(hwnd) && Valid(i); });
        if (!alive)
            return false;
    }
    if (Report() && (exStyle & LVS_EX_GRIDLINES)) {
        // Lines under every row the view can hold and at every column's right end.
        CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
        CPen* old = dc->SelectObject(&pen);
        int h = RowHeight();
        CPoint o = Origin();
        int right = std::min((int)view.right, (int)o.x + TotalColumnWidth());
        for (int y = o.y + h - 1 + (int)(scroll.y / h) * h; y < view.bottom; y += h) {
            dc->MoveTo(view.left, y);
            dc->LineTo(right, y);
        }
        for (int c = 0; c < Columns(); ++c) {
            CRect hr;
            header.GetItemRect(c, &hr);
            dc->MoveTo(o.x + hr.right - 1, view.top);
            dc->LineTo(o.x + hr.right - 1, view.bottom);
        }
        dc->SelectObject(old);
    }
    dc->RestoreDC(saveClip);
    CSize content = ContentSize();
    if (hasVBar)
        AfxDrawScrollBar(dc, CRect(view.right, view.top, client.right, view.bottom), true, scroll.y,
                         view.Height(), content.cy);
    if (hasHBar)
        AfxDrawScrollBar(dc, CRect(client.left, view.bottom, view.right, client.bottom), false,
                         scroll.x, view.Width(), content.cx);
    return true;
}

// ---- CListCtrl ------------------------------------------------------------------------------

CListCtrl::CListCtrl() : m_l(std::make_unique<ListCtrlState>(this)) {}

CListCtrl::~CListCtrl() {
    if (m_hWnd)
        DestroyWindow();
    m_l->destroying = true;
    m_l->edit.Drop();
}

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SysListView32", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CListCtrl::OnWidgetCreated() {
    if (QWidget* w = GetWidget()) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->setMouseTracking(true);
        // A list that takes over a dialog's window finds the filter there already.
        if (!w->findChild<QObject*>(ListLeaveFilter::kName, Qt::FindDirectChildrenOnly))
            w->installEventFilter(new ListLeaveFilter(m_hWnd, w));
    }
    DWORD hs = WS_CHILD | HDS_HORZ | HDS_FULLDRAG;
    if (!(GetStyle() & LVS_NOSORTHEADER))
        hs |= HDS_BUTTONS;
    m_l->header.Create(hs, CRect(0, 0, 0, 0), this, kHeaderId);
    m_l->Repaint();
}

int CListCtrl::GetItemCount() const {
    return (int)m_l->items.size();
}

int CListCtrl::InsertItem(const LVITEM* pItem) {
    ListCtrlState& l = *m_l;
    if (!pItem || pItem->iSubItem != 0 || pItem->iItem < 0)
        return -1;
    ListItemData it;
    it.SetColumns((size_t)std::max(1, l.Columns()));
    it.images[0] = 0;
    if ((pItem->mask & LVIF_TEXT) && pItem->pszText)
        it.SetText(0, pItem->pszText);
    if (pItem->mask & LVIF_IMAGE)
        it.SetImage(0, pItem->iImage);
    if (pItem->mask & LVIF_PARAM)
        it.data = pItem->lParam;
    if (pItem->mask & LVIF_STATE)
        it.state = pItem->state & pItem->stateMask;
    if (pItem->mask & LVIF_INDENT)
        it.indent = std::max(0, pItem->iIndent);
    if (pItem->mask & LVIF_GROUPID)
        it.groupId = pItem->iGroupId;
    if ((l.exStyle & LVS_EX_CHECKBOXES) && StateImageOf(it.state) == 0)
        it.state |= INDEXTOSTATEIMAGEMASK(1);
    int at = std::min(pItem->iItem, (int)l.items.size());
    DWORD st = GetStyle();
    if (st & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        bool down = (st & LVS_SORTDESCENDING) != 0;
        at = 0;
        while (at < (int)l.items.size()) {
            int c = GbkCollateNoCase(l.Text(l.items[(size_t)at], 0), it.texts[0]);
            if (down ? c < 0 : c > 0)
                break;
            ++at;
        }
    }
    // Focus and selection state a new item brings are the only ones: the others give it up.
    UINT exclusive = it.state & (LVIS_FOCUSED | ((st & LVS_SINGLESEL) ? LVIS_SELECTED : 0));
    l.selectedCount += ListCtrlState::Selected(it.state);
    l.items.insert(l.items.begin() + at, std::move(it));
    for (int* idx : {&l.hot, &l.anchor, &l.editItem, &l.pressItem, &l.pendingEdit})
        if (*idx >= at)
            ++*idx;
    if (exclusive)
        for (int j = 0; j < (int)l.items.size(); ++j)
            if (j != at) {
                UINT& state = l.items[(size_t)j].state;
                l.selectedCount -= ListCtrlState::Selected(state & exclusive);
                state &= ~exclusive;
            }
    l.Repaint();
    l.NotifyList(LVN_INSERTITEM, at);
    return at;
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) {
    return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask,
                          int nImage, LPARAM lParam) {
    LVITEM lv = MakeItem(nMask, nItem, 0, lpszItem, nImage, nState, nStateMask, lParam);
    return InsertItem(&lv);
}

BOOL CListCtrl::DeleteItem(int nItem) {
    ListCtrlState& l = *m_l;
    if (!l.Valid(nItem))
        return FALSE;
    if (l.editItem == nItem)
        l.EndEdit(true);
    HWND hwnd = m_hWnd;
    l.NotifyList(LVN_DELETEITEM, nItem);
    if ((hwnd && !IsWindow(hwnd)) || !l.Valid(nItem))
        return FALSE;
    l.selectedCount -= ListCtrlState::Selected(l.items[(size_t)nItem].state);
    l.items.erase(l.items.begin() + nItem);
    // The selection does not move to a neighbour: a caller deleting "the first selected item"
    // until none is left must not eat the whole list.
    for (int* idx : {&l.hot, &l.anchor, &l.editItem, &l.pressItem, &l.pendingEdit}) {
        if (*idx == nItem)
            *idx = -1;
        else if (*idx > nItem)
            --*idx;
    }
    l.Repaint();
    return TRUE;
}

int DeleteListItems(CListCtrl& list, const int* pItems, int nCount) {
    ListCtrlState& l = ListCtrlState::Of(list);
    if (pItems == nullptr || nCount <= 0)
        return 0;
    std::vector<int> rows(pItems, pItems + nCount);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    HWND hwnd = list.m_hWnd;
    // Highest first, as single deletions go, so each notification names the index the item would
    // have then. The items stay in place, marked, while the parent hears of them (so a handler
    // counting the items still sees the marked ones above); erasing each at once would move the
    // rest of the list for every item.
    const size_t count = l.items.size();
    int notified = 0;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int nItem = *it;
        if (nItem < 0 || nItem >= (int)count)
            continue;
        if (l.items.size() != count) // the parent changed the list: the indices no longer hold
            break;
        if (l.editItem == nItem)
            l.EndEdit(true);
        l.NotifyList(LVN_DELETEITEM, nItem);
        if (hwnd && !IsWindow(hwnd))
            return 0;
        if (l.items.size() != count)
            break;
        l.items[(size_t)nItem].doomed = true;
        ++notified;
    }
    if (notified == 0)
        return 0;
    // One pass: each kept item moves down once, and each index the control remembers moves down
    // by the number of deleted items below it (or is forgotten with its item).
    std::vector<int> newIndex(l.items.size(), -1);
    size_t kept = 0;
    for (size_t i = 0; i < l.items.size(); ++i) {
        if (l.items[i].doomed) {
            l.selectedCount -= ListCtrlState::Selected(l.items[i].state);
            continue;
        }
        newIndex[i] = (int)kept;
        if (kept != i)
            l.items[kept] = std::move(l.items[i]);
        ++kept;
    }
    const int erased = (int)(l.items.size() - kept);
    l.items.erase(l.items.begin() + (long)kept, l.items.end());
    for (int* idx : {&l.hot, &l.anchor, &l.editItem, &l.pressItem, &l.pendingEdit})
        if (*idx >= 0)
            *idx = *idx < (int)newIndex.size() ? newIndex[(size_t)*idx] : *idx - erased;
    l.Repaint();
    return erased;
}

BOOL CListCtrl::DeleteAllItems() {
    ListCtrlState& l = *m_l;
    if (l.edit)
        l.EndEdit(true);
    HWND hwnd = m_hWnd;
    // A parent answering TRUE does without the per-item notifications.
    bool quiet = l.destroying || l.NotifyList(LVN_DELETEALLITEMS, -1) != 0;
    if (hwnd && !IsWindow(hwnd))
        return FALSE;
    while (!l.items.empty()) {
        int last = (int)l.items.size() - 1;
        if (!quiet) {
            l.NotifyList(LVN_DELETEITEM, last);
            if (hwnd && !IsWindow(hwnd))
                return FALSE;
            last = std::min(last, (int)l.items.size() - 1);
            if (last < 0)
                break;
        }
        l.selectedCount -= ListCtrlState::Selected(l.items[(size_t)last].state);
        l.items.erase(l.items.begin() + last);
    }
    l.hot = l.anchor = l.pressItem = l.pendingEdit = -1;
    l.scroll = CPoint(0, 0);
    l.Repaint();
    return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* p) const {
    ListCtrlState& l = *m_l;
    if (!p || !l.Valid(p->iItem) || p->iSubItem < 0)
        return FALSE;
    // Texts and images the parent keeps are asked for first: the parent may change the item.
    if ((p->mask & LVIF_TEXT) && p->pszText && p->cchTextMax > 0) {
        AfxCopyTextOut(l.ShownText(p->iItem, p->iSubItem), p->pszText, (size_t)p->cchTextMax);
    }
    if (p->mask & LVIF_IMAGE)
        p->iImage = l.Valid(p->iItem) ? l.ShownImage(p->iItem, p->iSubItem) : -1;
    if (!l.Valid(p->iItem))
        return FALSE;
    const ListItemData& it = l.items[(size_t)p->iItem];
    if (p->mask & LVIF_PARAM)
        p->lParam = it.data;
    if (p->mask & LVIF_STATE)
        p->state = it.state & p->stateMask;
    if (p->mask & LVIF_INDENT)
        p->iIndent = it.indent;
    if (p->mask & LVIF_GROUPID)
        p->iGroupId = it.groupId;
    if (p->mask & LVIF_COLUMNS)
        p->cColumns = 0;
    return TRUE;
}

BOOL CListCtrl::SetItem(const LVITEM* p) {
    ListCtrlState& l = *m_l;
    if (!p || !l.Valid(p->iItem) || p->iSubItem < 0)
        return FALSE;
    int i = p->iItem;
    if (p->iSubItem > 0) {
        if (p->iSubItem >= std::max(1, l.Columns()))
            return FALSE;
        ListItemData& it = l.items[(size_t)i];
        if (p->mask & LVIF_TEXT)
            it.SetText((size_t)p->iSubItem, p->pszText);
        if (p->mask & LVIF_IMAGE)
            it.SetImage((size_t)p->iSubItem, p->iImage);
        l.Repaint();
        return TRUE;
    }
    if (p->mask & LVIF_TEXT) {
        l.items[(size_t)i].SetText(0, p->pszText);
        l.Repaint();
    }
    // The image number of an item the parent gives its image is -1 too: mark it before the
    // change compares numbers.
    if ((p->mask & LVIF_IMAGE) && p->iImage == I_IMAGECALLBACK)
        l.items[(size_t)i].imageAsked[0] = 1;
    if (p->mask & LVIF_INDENT)
        l.items[(size_t)i].indent = std::max(0, p->iIndent);
    if (p->mask & LVIF_GROUPID)
        l.items[(size_t)i].groupId = p->iGroupId;
    if (p->mask & (LVIF_STATE | LVIF_IMAGE | LVIF_PARAM))
        return l.Change(i, p->mask, p->state, p->stateMask, p->iImage, p->lParam);
    l.Repaint();
    return TRUE;
}

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCTSTR lpszItem, int nImage,
                        UINT nState, UINT nStateMask, LPARAM lParam) {
    LVITEM lv = MakeItem(nMask, nItem, nSubItem, lpszItem, nImage, nState, nStateMask, lParam);
    return SetItem(&lv);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    return m_l->Valid(nItem) ? m_l->ShownText(nItem, nSubItem) : CString();
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const {
    LVITEM lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = nItem;
    lv.iSubItem = nSubItem;
    lv.pszText = lpszText;
    lv.cchTextMax = nLen;
    if (!GetItem(&lv))
        return 0;
    return lpszText && nLen > 0 ? (int)std::strlen(lpszText) : 0;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText) {
    return SetItem(nItem, nSubItem, LVIF_TEXT, lpszText, 0, 0, 0, 0);
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
    return m_l->Valid(nItem) ? m_l->items[(size_t)nItem].state & nMask : 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    ListCtrlState& l = *m_l;
    if (nItem == -1) {
        BOOL all = TRUE;
        HWND hwnd = m_hWnd;
        for (int i = 0; i < (int)l.items.size() && IsWindow(hwnd); ++i)
            all &= l.Change(i, LVIF_STATE, nState, nMask, 0, 0) ? TRUE : FALSE;
        return all;
    }
    return l.Change(nItem, LVIF_STATE, nState, nMask, 0, 0);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    return m_l->Valid(nItem) ? (DWORD_PTR)m_l->items[(size_t)nItem].data : 0;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    return m_l->Change(nItem, LVIF_PARAM, 0, 0, 0, (LPARAM)dwData);
}

UINT CListCtrl::GetSelectedCount() const {
    return (UINT)m_l->selectedCount;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    ListCtrlState& l = *m_l;
    UINT geometry = (UINT)nFlags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    UINT want = (UINT)nFlags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    if (geometry) {
        for (int j = l.Neighbour(nItem, geometry); j >= 0; j = l.Neighbour(j, geometry))
            if ((l.items[(size_t)j].state & want) == want)
                return j;
        return -1;
    }
    for (int j = std::max(0, nItem + 1); j < (int)l.items.size(); ++j)
        if ((l.items[(size_t)j].state & want) == want)
            return j;
    return -1;
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    int i = GetNextItem(-1, LVNI_SELECTED);
    return i < 0 ? nullptr : reinterpret_cast<POSITION>((intptr_t)i + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
    int i = (int)reinterpret_cast<intptr_t>(pos) - 1;
    int next = GetNextItem(i, LVNI_SELECTED);
    pos = next < 0 ? nullptr : reinterpret_cast<POSITION>((intptr_t)next + 1);
    return i;
}

BOOL CListCtrl::GetCheck(int nItem) const {
    return StateImageOf(GetItemState(nItem, LVIS_STATEIMAGEMASK)) == 2;
}

BOOL CListCtrl::SetCheck(int nItem, BOOL fCheck) {
    return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
}

int CListCtrl::GetHotItem() const {
    return m_l->hot;
}

int CListCtrl::SetHotItem(int iIndex) {
    int old = m_l->hot;
    m_l->hot = m_l->Valid(iIndex) ? iIndex : -1;
    Invalidate(FALSE);
    return old;
}

// ---- Columns --------------------------------------------------------------------------------

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* p) {
    ListCtrlState& l = *m_l;
    if (!p || nCol < 0 || !l.header.m_hWnd)
        return -1;
    HDITEM hd{};
    hd.mask = HDI_FORMAT | HDI_WIDTH | HDI_TEXT;
    hd.fmt = HDF_STRING | ((p->mask & LVCF_FMT) ? (p->fmt & LVCFMT_JUSTIFYMASK) : HDF_LEFT);
    hd.cxy = (p->mask & LVCF_WIDTH) ? std::max(0, p->cx) : 0;
    hd.pszText = (p->mask & LVCF_TEXT) ? p->pszText : const_cast<LPSTR>("");
    if (p->mask & LVCF_IMAGE) {
        hd.mask |= HDI_IMAGE;
        hd.iImage = p->iImage;
        if (p->mask & LVCF_FMT && (p->fmt & LVCFMT_IMAGE))
            hd.fmt |= HDF_IMAGE;
    }
    if (p->mask & LVCF_ORDER) {
        hd.mask |= HDI_ORDER;
        hd.iOrder = p->iOrder;
    }
    int at = l.header.InsertItem(nCol, &hd);
    if (at < 0)
        return -1;
    l.columnSubItem.insert(l.columnSubItem.begin() + at,
                           (p->mask & LVCF_SUBITEM) ? p->iSubItem : at);
    // Item texts are kept by column; the first column ever inserted is the items' own text.
    if (l.Columns() > 1)
        for (auto& it : l.items)
            it.InsertColumn((size_t)at);
    l.Repaint();
    return at;
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth,
                            int nSubItem) {
    LVCOLUMN lc{};
    lc.mask = LVCF_TEXT | LVCF_FMT;
    lc.pszText = const_cast<LPSTR>(lpszColumnHeading);
    lc.fmt = nFormat;
    if (nWidth != -1) {
        lc.mask |= LVCF_WIDTH;
        lc.cx = nWidth;
    }
    if (nSubItem != -1) {
        lc.mask |= LVCF_SUBITEM;
        lc.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &lc);
}

BOOL CListCtrl::DeleteColumn(int nCol) {
    ListCtrlState& l = *m_l;
    if (nCol < 0 || nCol >= l.Columns())
        return FALSE;
    l.header.DeleteItem(nCol);
    l.columnSubItem.erase(l.columnSubItem.begin() + nCol);
    for (auto& it : l.items)
        if (it.texts.size() > 1 && nCol < (int)it.texts.size()) {
            it.EraseColumn((size_t)nCol);
            if (nCol == 0)
                it.images[0] = std::max(0, it.images[0]);
        }
    l.Repaint();
    return TRUE;
}

BOOL CListCtrl::GetColumn(int nCol, LVCOLUMN* p) const {
    ListCtrlState& l = *m_l;
    if (!p || nCol < 0 || nCol >= l.Columns())
        return FALSE;
    HDITEM hd{};
    hd.mask = HDI_FORMAT | HDI_WIDTH | HDI_TEXT | HDI_IMAGE | HDI_ORDER;
    hd.pszText = p->pszText;
    hd.cchTextMax = (p->mask & LVCF_TEXT) ? p->cchTextMax : 0;
    l.header.GetItem(nCol, &hd);
    if (p->mask & LVCF_FMT)
        p->fmt = (hd.fmt & HDF_JUSTIFYMASK) | ((hd.fmt & HDF_IMAGE) ? LVCFMT_IMAGE : 0);
    if (p->mask & LVCF_WIDTH)
        p->cx = hd.cxy;
    if (p->mask & LVCF_SUBITEM)
        p->iSubItem = l.columnSubItem[(size_t)nCol];
    if (p->mask & LVCF_IMAGE)
        p->iImage = hd.iImage;
    if (p->mask & LVCF_ORDER)
        p->iOrder = hd.iOrder;
    return TRUE;
}

BOOL CListCtrl::SetColumn(int nCol, const LVCOLUMN* p) {
    ListCtrlState& l = *m_l;
    if (!p || nCol < 0 || nCol >= l.Columns())
        return FALSE;
    HDITEM hd{};
    if (p->mask & LVCF_TEXT) {
        hd.mask |= HDI_TEXT;
        hd.pszText = p->pszText;
    }
    if (p->mask & LVCF_WIDTH) {
        hd.mask |= HDI_WIDTH;
        hd.cxy = p->cx;
    }
    if (p->mask & LVCF_FMT) {
        hd.mask |= HDI_FORMAT;
        hd.fmt = HDF_STRING | (p->fmt & LVCFMT_JUSTIFYMASK) |
                 ((p->fmt & LVCFMT_IMAGE) ? HDF_IMAGE : 0) |
                 ((p->fmt & LVCFMT_BITMAP_ON_RIGHT) ? HDF_BITMAP_ON_RIGHT : 0);
    }
    if (p->mask & LVCF_IMAGE) {
        hd.mask |= HDI_IMAGE;
        hd.iImage = p->iImage;
    }
    if (p->mask & LVCF_ORDER) {
        hd.mask |= HDI_ORDER;
        hd.iOrder = p->iOrder;
    }
    if (p->mask & LVCF_SUBITEM)
        l.columnSubItem[(size_t)nCol] = p->iSubItem;
    BOOL ok = hd.mask ? l.header.SetItem(nCol, &hd) : TRUE;
    l.Repaint();
    return ok;
}

int CListCtrl::GetColumnWidth(int nCol) const {
    ListCtrlState& l = *m_l;
    if (l.Mode() == LVS_LIST)
        return l.ListColumnWidth();
    HDITEM hd{};
    hd.mask = HDI_WIDTH;
    return l.header.m_hWnd && l.header.GetItem(nCol, &hd) ? hd.cxy : 0;
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    ListCtrlState& l = *m_l;
    if (l.Mode() == LVS_LIST) {
        if (nCol != 0)
            return FALSE;
        l.listColumnWidth = std::max(0, cx);
        l.Repaint();
        return TRUE;
    }
    if (nCol < 0 || nCol >= l.Columns())
        return FALSE;
    if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) {
        int widest = 0;
        for (int i = 0; i < (int)l.items.size(); ++i)
            widest = std::max(widest, l.TextWidth(l.ShownText(i, nCol)));
        int w = widest + 2 * (nCol == 0 ? kLabelMargin : kCellMargin);
        if (nCol == 0)
            w += l.StateWidth() + (int)AfxItemImageSize(l.small).cx;
        if (cx == LVSCW_AUTOSIZE_USEHEADER) {
            char buf[260] = {};
            HDITEM hd{};
            hd.mask = HDI_TEXT;
            hd.pszText = buf;
            hd.cchTextMax = sizeof buf;
            l.header.GetItem(nCol, &hd);
            w = std::max(w, l.TextWidth(buf) + 2 * kCellMargin + 4);
            // The last column takes what is left of the view.
            if (nCol == l.Columns() - 1) {
                int others = l.TotalColumnWidth() - GetColumnWidth(nCol);
                w = std::max(w, (int)l.View().Width() - others);
            }
        }
        cx = w;
    }
    HDITEM hd{};
    hd.mask = HDI_WIDTH;
    hd.cxy = std::max(0, cx);
    BOOL ok = l.header.SetItem(nCol, &hd);
    l.Repaint();
    return ok;
}

BOOL CListCtrl::GetColumnOrderArray(LPINT piArray, int iCount) const {
    return m_l->header.m_hWnd && m_l->header.GetOrderArray(piArray, iCount);
}

BOOL CListCtrl::SetColumnOrderArray(int iCount, LPINT piArray) {
    BOOL ok = m_l->header.m_hWnd && m_l->header.SetOrderArray(iCount, piArray);
    m_l->Repaint();
    return ok;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
    return m_l->header.m_hWnd ? &m_l->header : nullptr;
}

// The header's notifications go on to our parent; some also change the list.
BOOL CListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    ListCtrlState& l = *m_l;
    if (!nm || !l.header.m_hWnd || nm->hwndFrom != l.header.m_hWnd)
        return CWnd::OnNotify(wParam, lParam, pResult);
    HWND hwnd = m_hWnd;
    bool reorder = (l.exStyle & LVS_EX_HEADERDRAGDROP) != 0;
    LRESULT r = 0;
    if (CWnd* parent = GetParent())
        r = parent->SendMessage(WM_NOTIFY, wParam, lParam);
    if (!IsWindow(hwnd))
        return TRUE;
    auto* hn = reinterpret_cast<NMHEADER*>(lParam);
    switch (nm->code) {
    case HDN_BEGINDRAG:
        r = r || !reorder;
        break;
    case HDN_ENDDRAG:
        r = r || !reorder;
        if (!r)
            Invalidate(FALSE);
        break;
    case HDN_ITEMCHANGED:
        l.Repaint();
        break;
    case HDN_ITEMCLICK:
        l.NotifyList(LVN_COLUMNCLICK, -1, hn->iItem);
        break;
    case HDN_DIVIDERDBLCLICK:
        if (!r)
            SetColumnWidth(hn->iItem, LVSCW_AUTOSIZE);
        break;
    default:
        break;
    }
    *pResult = r;
    return TRUE;
}

// ---- Geometry and hit tests -----------------------------------------------------------------

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
    ListCtrlState& l = *m_l;
    if (!lpRect || !l.Valid(nItem))
        return FALSE;
    auto p = l.Layout(nItem);
    switch (nCode) {
    case LVIR_BOUNDS:
        *lpRect = l.IconView() ? CRect(p.bounds.left, p.bounds.top, p.bounds.right, p.label.bottom)
                               : p.bounds;
        return TRUE;
    case LVIR_ICON:
        *lpRect = p.icon;
        return TRUE;
    case LVIR_LABEL:
        *lpRect = p.label;
        return TRUE;
    case LVIR_SELECTBOUNDS: {
        CRect r;
        r.UnionRect(&p.icon, &p.label);
        if (l.Report() && (l.exStyle & LVS_EX_FULLROWSELECT))
            r = p.bounds;
        *lpRect = r;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CListCtrl::GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const {
    ListCtrlState& l = *m_l;
    if (!l.Valid(iItem) || !l.Report() || iSubItem < 0 || iSubItem >= std::max(1, l.Columns()))
        return FALSE;
    if (iSubItem == 0)
        return GetItemRect(iItem, &ref, (UINT)nArea);
    auto p = l.Layout(iItem);
    CRect cell = l.ColumnSpan(iSubItem, p.bounds);
    if (nArea == LVIR_ICON)
        cell.right =
            cell.left + ((l.exStyle & LVS_EX_SUBITEMIMAGES) ? AfxItemImageSize(l.small).cx : 0);
    ref = cell;
    return TRUE;
}

int CListCtrl::HitTest(LVHITTESTINFO* hi) const {
    ListCtrlState& l = *m_l;
    if (!hi)
        return -1;
    hi->iItem = -1;
    hi->iSubItem = 0;
    hi->flags = 0;
    CRect v = l.View();
    CPoint pt = hi->pt;
    if (pt.y < v.top)
        hi->flags |= LVHT_ABOVE;
    if (pt.y >= v.bottom)
        hi->flags |= LVHT_BELOW;
    if (pt.x < v.left)
        hi->flags |= LVHT_TOLEFT;
    if (pt.x >= v.right)
        hi->flags |= LVHT_TORIGHT;
    if (hi->flags)
        return -1;
    // From the last item, the one painted on top where placed icons overlap.
    for (int i = (int)l.items.size() - 1; i >= 0; --i) {
        auto p = l.Layout(i);
        if (!p.bounds.PtInRect(pt))
            continue;
        if (p.stateIcon.Width() > 0 && p.stateIcon.PtInRect(pt))
            hi->flags = LVHT_ONITEMSTATEICON;
        else if (p.icon.Width() > 0 && p.icon.PtInRect(pt))
            hi->flags = LVHT_ONITEMICON;
        else if (p.label.PtInRect(pt))
            hi->flags = LVHT_ONITEMLABEL;
        else if (l.Report() && (l.exStyle & LVS_EX_FULLROWSELECT))
            hi->flags = LVHT_ONITEMLABEL;
        else
            continue;
        hi->iItem = i;
        return i;
    }
    hi->flags = LVHT_NOWHERE;
    return -1;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    LVHITTESTINFO hi{pt, 0, -1, 0};
    int i = HitTest(&hi);
    if (pFlags)
        *pFlags = hi.flags;
    return i;
}

// In report view any cell of a row answers its item and column, wherever the label ends.
int CListCtrl::SubItemHitTest(LPLVHITTESTINFO pInfo) const {
    ListCtrlState& l = *m_l;
    if (!pInfo)
        return -1;
    int i = HitTest(pInfo);
    if (!l.Report())
        return i;
    CRect v = l.View();
    if (!v.PtInRect(pInfo->pt))
        return i;
    int row = (int)((pInfo->pt.y - v.top + l.scroll.y) / l.RowHeight());
    if (!l.Valid(row))
        return i;
    CRect bounds = l.Bounds(row);
    for (int c = 0; c < l.Columns(); ++c) {
        CRect cell = l.ColumnSpan(c, bounds);
        if (pInfo->pt.x >= cell.left && pInfo->pt.x < cell.right) {
            pInfo->iItem = row;
            pInfo->iSubItem = c;
            if (c > 0 || !(pInfo->flags & LVHT_ONITEM))
                pInfo->flags = LVHT_ONITEMLABEL;
            return row;
        }
    }
    return i;
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) {
    if (!m_l->Valid(nItem))
        return FALSE;
    m_l->MakeVisible(nItem, bPartialOK != FALSE);
    m_l->Repaint();
    return TRUE;
}

int CListCtrl::GetTopIndex() const {
    ListCtrlState& l = *m_l;
    for (int i = 0; i < (int)l.items.size(); ++i) {
        CRect r = l.Bounds(i), v = l.View(), both;
        if (both.IntersectRect(&r, &v))
            return i;
    }
    return 0;
}

int CListCtrl::GetCountPerPage() const {
    ListCtrlState& l = *m_l;
    CRect v = l.View();
    switch (l.Mode()) {
    case LVS_REPORT:
        return std::max(0, (int)v.Height() / l.RowHeight());
    case LVS_LIST:
        return l.PerLine() * std::max(1, (int)v.Width() / std::max(1, l.ListColumnWidth()));
    default: {
        int h = l.Mode() == LVS_ICON ? l.IconCell().cy : l.RowHeight();
        return l.PerLine() * std::max(1, (int)v.Height() / h);
    }
    }
}

BOOL CListCtrl::Scroll(CSize size) {
    ListCtrlState& l = *m_l;
    l.scroll.x += size.cx;
    if (l.Report()) {
        // Whole rows, rounding away from zero as a wheel turn does.
        int h = l.RowHeight();
        int rows = size.cy >= 0 ? (size.cy + h - 1) / h : -((-size.cy + h - 1) / h);
        l.scroll.y += rows * h;
    } else {
        l.scroll.y += size.cy;
    }
    if (l.scroll.x < 0)
        l.scroll.x = 0;
    if (l.scroll.y < 0)
        l.scroll.y = 0;
    l.Repaint();
    return TRUE;
}

BOOL CListCtrl::RedrawItems(int nFirst, int nLast) {
    if (nFirst > nLast)
        return FALSE;
    Invalidate(FALSE);
    return TRUE;
}

BOOL CListCtrl::Update(int nItem) {
    if (!m_l->Valid(nItem))
        return FALSE;
    m_l->Repaint();
    return TRUE;
}

// The icon views flow their items in order: arranging lets go of the positions given.
BOOL CListCtrl::Arrange(UINT) {
    m_l->ForgetPlaces();
    m_l->Repaint();
    return TRUE;
}

BOOL CListCtrl::SetItemPosition(int nItem, POINT pt) {
    ListCtrlState& l = *m_l;
    if (!l.Valid(nItem) || (l.Mode() != LVS_ICON && l.Mode() != LVS_SMALLICON))
        return FALSE;
    if (l.placedMode != l.Mode())
        l.ForgetPlaces();
    l.placedMode = l.Mode();
    ListItemData& it = l.items[(size_t)nItem];
    it.pos = CPoint(pt) - l.Origin();
    it.placed = true;
    l.Repaint();
    return TRUE;
}

BOOL CListCtrl::GetItemPosition(int nItem, LPPOINT lpPoint) const {
    if (!lpPoint || !m_l->Valid(nItem))
        return FALSE;
    *lpPoint = m_l->Bounds(nItem).TopLeft();
    return TRUE;
}

int CListCtrl::FindItem(LVFINDINFO* pFindInfo, int nStart) const {
    ListCtrlState& l = *m_l;
    if (!pFindInfo)
        return -1;
    UINT flags = pFindInfo->flags;
    bool byData = (flags & LVFI_PARAM) != 0;
    bool byText = !byData && (flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_SUBSTRING));
    if (!byData && (!byText || !pFindInfo->psz))
        return -1;
    CString key(pFindInfo->psz ? pFindInfo->psz : "");
    key.MakeLower();
    bool prefix = (flags & (LVFI_PARTIAL | LVFI_SUBSTRING)) != 0;
    auto matches = [&](int i) {
        if (byData)
            return l.items[(size_t)i].data == pFindInfo->lParam;
        CString text = l.ShownText(i, 0);
        text.MakeLower();
        return prefix ? text.Left(key.GetLength()) == key : text == key;
    };
    int start = std::max(-1, nStart);
    for (int i = start + 1; i < (int)l.items.size(); ++i)
        if (matches(i))
            return i;
    if (flags & LVFI_WRAP)
        for (int i = 0; i <= start && i < (int)l.items.size(); ++i)
            if (matches(i))
                return i;
    return -1;
}

int CListCtrl::GetStringWidth(LPCTSTR lpsz) const {
    return lpsz ? m_l->TextWidth(CString(lpsz)) : 0;
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    ListCtrlState& l = *m_l;
    if (!pfnCompare)
        return FALSE;
    if (l.edit)
        l.EndEdit(true);
    // Indexes the control keeps follow their items.
    std::vector<size_t> perm(l.items.size());
    for (size_t k = 0; k < perm.size(); ++k)
        perm[k] = k;
    std::stable_sort(perm.begin(), perm.end(), [&](size_t a, size_t b) {
        return pfnCompare(l.items[a].data, l.items[b].data, (LPARAM)dwData) < 0;
    });
    std::vector<ListItemData> sorted;
    sorted.reserve(perm.size());
    std::vector<int> newIndex(perm.size());
    for (size_t k = 0; k < perm.size(); ++k) {
        sorted.push_back(std::move(l.items[perm[k]]));
        newIndex[perm[k]] = (int)k;
    }
    l.items = std::move(sorted);
    for (int* idx : {&l.hot, &l.anchor, &l.pressItem, &l.pendingEdit})
        if (*idx >= 0 && *idx < (int)newIndex.size())
            *idx = newIndex[(size_t)*idx];
    l.Repaint();
    return TRUE;
}

// ---- Label editing --------------------------------------------------------------------------

CEdit* CListCtrl::EditLabel(int nItem) {
    if (!m_l->Valid(nItem))
        return nullptr;
    // Taking the focus ends an edit in progress, whose parent may close the list.
    HWND hwnd = m_hWnd;
    if (GetFocus() != this)
        SetFocus();
    if (!IsWindow(hwnd))
        return nullptr;
    return m_l->BeginEdit(nItem);
}

CEdit* CListCtrl::GetEditControl() const {
    return m_l->edit.Get();
}

void CListCtrl::CancelEditLabel() {
    m_l->EndEdit(true);
}

// ---- Look -----------------------------------------------------------------------------------

CImageList* CListCtrl::GetImageList(int nImageList) const {
    switch (nImageList) {
    case LVSIL_NORMAL:
        return m_l->normal;
    case LVSIL_SMALL:
        return m_l->small;
    case LVSIL_STATE:
        return m_l->stateImages;
    default:
        return nullptr;
    }
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    ListCtrlState& l = *m_l;
    CImageList** slot = nImageListType == LVSIL_NORMAL  ? &l.normal
                        : nImageListType == LVSIL_SMALL ? &l.small
                        : nImageListType == LVSIL_STATE ? &l.stateImages
                                                        : nullptr;
    if (!slot)
        return nullptr;
    std::swap(*slot, pImageList);
    l.measuredHeight = -1;
    l.Repaint();
    return pImageList;
}

DWORD CListCtrl::GetExtendedStyle() const {
    return m_l->exStyle;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    return SetExtendedStyleMasked(0, dwNewStyle);
}

DWORD CListCtrl::SetExtendedStyleMasked(DWORD dwExMask, DWORD dwExStyle) {
    ListCtrlState& l = *m_l;
    DWORD old = l.exStyle;
    DWORD mask = dwExMask ? dwExMask : 0xFFFFFFFF;
    l.exStyle = (old & ~mask) | (dwExStyle & mask);
    if ((l.exStyle & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES)) {
        // Every item starts unticked.
        l.EnsureCheckBoxes();
        for (auto& it : l.items)
            if (StateImageOf(it.state) == 0)
                it.state |= INDEXTOSTATEIMAGEMASK(1);
    }
    if (l.header.m_hWnd) {
        bool drag = (l.exStyle & LVS_EX_HEADERDRAGDROP) != 0;
        l.header.ModifyStyle(drag ? 0 : HDS_DRAGDROP, drag ? HDS_DRAGDROP : 0);
    }
    l.measuredHeight = -1;
    l.Repaint();
    return old;
}

void ListCtrlState::AskParent(int i, int col, UINT mask, CString* text, int* image) const {
    char buf[kDispTextMax] = {};
    NMLVDISPINFO di{};
    di.item.mask = mask;
    di.item.iItem = i;
    di.item.iSubItem = col;
    di.item.state = items[(size_t)i].state;
    di.item.lParam = items[(size_t)i].data;
    di.item.pszText = buf;
    di.item.cchTextMax = (int)sizeof buf;
    di.item.iImage = -1;
    HWND hwnd = self->m_hWnd;
    AfxSendNotify(self, &di.hdr, LVN_GETDISPINFO);
    buf[sizeof buf - 1] = 0;
    // The parent may write into our buffer or point at a text of its own.
    LPCSTR given = di.item.pszText == LPSTR_TEXTCALLBACK ? nullptr : di.item.pszText;
    if (text)
        *text = given ? CString(given) : CString();
    if (image)
        *image = di.item.iImage;
    // LVIF_DI_SETITEM: from now on the control keeps what the parent gave.
    if ((di.item.mask & LVIF_DI_SETITEM) && IsWindow(hwnd) && Valid(i)) {
        auto& it = const_cast<ListItemData&>(items[(size_t)i]);
        if (text && col < (int)it.texts.size())
            it.SetText((size_t)col, *text);
        if (image && col < (int)it.images.size()) {
            it.images[(size_t)col] = *image;
            it.imageAsked[(size_t)col] = 0;
        }
    }
}

BOOL ListCtrlState::SetColour(COLORREF& slot, COLORREF c) {
    slot = c;
    Repaint();
    return TRUE;
}

COLORREF CListCtrl::GetBkColor() const {
    return m_l->bk == CLR_NONE ? GetSysColor(COLOR_WINDOW) : m_l->bk;
}

BOOL CListCtrl::SetBkColor(COLORREF cr) {
    return m_l->SetColour(m_l->bk, cr);
}

COLORREF CListCtrl::GetTextColor() const {
    return m_l->text == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : m_l->text;
}

BOOL CListCtrl::SetTextColor(COLORREF cr) {
    return m_l->SetColour(m_l->text, cr);
}

COLORREF CListCtrl::GetTextBkColor() const {
    return m_l->textBk == CLR_DEFAULT ? GetBkColor() : m_l->textBk;
}

BOOL CListCtrl::SetTextBkColor(COLORREF cr) {
    return m_l->SetColour(m_l->textBk, cr);
}

BOOL CListCtrl::SetBkImage(LVBKIMAGE* p) {
    ListCtrlState& l = *m_l;
    if (!p)
        return FALSE;
    CBitmap next;
    switch (p->ulFlags & LVBKIF_SOURCE_MASK) {
    case LVBKIF_SOURCE_NONE:
        break;
    case LVBKIF_SOURCE_HBITMAP: {
        QImage* img = p->hbm ? CBitmap::FromHandle(p->hbm)->GetImage() : nullptr;
        if (!img || !next.AttachImageData(*img))
            return FALSE;
        break;
    }
    case LVBKIF_SOURCE_URL:
        if (!p->pszImage || !next.LoadFromFile(p->pszImage))
            return FALSE;
        break;
    default:
        return FALSE;
    }
    l.bkImage.DeleteObject();
    if (next.GetSafeHandle())
        l.bkImage.Attach(next.Detach());
    l.bkTile = (p->ulFlags & LVBKIF_STYLE_MASK) == LVBKIF_STYLE_TILE;
    l.bkX = std::clamp(p->xOffsetPercent, 0, 100);
    l.bkY = std::clamp(p->yOffsetPercent, 0, 100);
    l.Repaint();
    return TRUE;
}

namespace {
LVBKIMAGE BkImage(ULONG source, HBITMAP hbm, LPTSTR url, BOOL tile, int x, int y) {
    LVBKIMAGE bi{};
    bi.ulFlags = source | (ULONG)(tile ? LVBKIF_STYLE_TILE : LVBKIF_STYLE_NORMAL);
    bi.hbm = hbm;
    bi.pszImage = url;
    bi.xOffsetPercent = x;
    bi.yOffsetPercent = y;
    return bi;
}
} // namespace

BOOL CListCtrl::SetBkImage(HBITMAP hbm, BOOL fTile, int xOffsetPercent, int yOffsetPercent) {
    LVBKIMAGE bi = BkImage(hbm ? LVBKIF_SOURCE_HBITMAP : LVBKIF_SOURCE_NONE, hbm, nullptr, fTile,
                           xOffsetPercent, yOffsetPercent);
    return SetBkImage(&bi);
}

BOOL CListCtrl::SetBkImage(LPTSTR pszUrl, BOOL fTile, int xOffsetPercent, int yOffsetPercent) {
    LVBKIMAGE bi = BkImage(pszUrl ? LVBKIF_SOURCE_URL : LVBKIF_SOURCE_NONE, nullptr, pszUrl, fTile,
                           xOffsetPercent, yOffsetPercent);
    return SetBkImage(&bi);
}

BOOL CListCtrl::GetBkImage(LVBKIMAGE* p) const {
    if (!p)
        return FALSE;
    ListCtrlState& l = *m_l;
    p->ulFlags = (ULONG)((l.bkImage.GetSafeHandle() ? LVBKIF_SOURCE_HBITMAP : LVBKIF_SOURCE_NONE) |
                         (l.bkTile ? LVBKIF_STYLE_TILE : LVBKIF_STYLE_NORMAL));
    p->hbm = (HBITMAP)l.bkImage.GetSafeHandle();
    p->xOffsetPercent = l.bkX;
    p->yOffsetPercent = l.bkY;
    return TRUE;
}

CImageList* CListCtrl::CreateDragImage(int nItem, LPPOINT lpPoint) {
    ListCtrlState& l = *m_l;
    if (!l.Valid(nItem))
        return nullptr;
    // The icon and the label as they are drawn, on a transparent ground.
    auto p = l.Layout(nItem);
    CRect r;
    r.UnionRect(&p.icon, &p.label);
    if (lpPoint)
        *lpPoint = CPoint(r.left, r.top);
    return AfxRenderDragImage(this, r, [&](CDC* dc) {
        ListCtrlState::Parts only = p;
        only.stateIcon =
            CRect(p.stateIcon.left, p.stateIcon.top, p.stateIcon.left, p.stateIcon.bottom);
        // Without full-row select only the first column's label goes with the drag.
        DWORD ex = l.exStyle;
        l.exStyle &= ~(DWORD)LVS_EX_FULLROWSELECT;
        dc->IntersectClipRect(&r);
        l.PaintItem(dc, nItem, only, GetSysColor(COLOR_WINDOWTEXT), CLR_NONE, 0, false);
        l.exStyle = ex;
    });
}

// ---- Messages -------------------------------------------------------------------------------

LRESULT CListCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    ListCtrlState& l = *m_l;
    // Positions given in one icon view do not carry over into another view.
    if (l.placedMode >= 0 && l.placedMode != l.Mode())
        l.ForgetPlaces();
    switch (message) {
    case LVM_GETBKCOLOR:
        return (LRESULT)GetBkColor();
    case LVM_SETBKCOLOR:
        return SetBkColor((COLORREF)lParam);
    case LVM_GETIMAGELIST:
        return AfxImageListResult(GetImageList((int)wParam));
    case LVM_SETIMAGELIST:
        return AfxImageListResult(
            SetImageList(CImageList::FromHandle((HIMAGELIST)lParam), (int)wParam));
    case LVM_GETITEMCOUNT:
        return GetItemCount();
    case LVM_GETITEM:
        return GetItem(reinterpret_cast<LVITEM*>(lParam));
    case LVM_SETITEM:
        return SetItem(reinterpret_cast<LVITEM*>(lParam));
    case LVM_INSERTITEM:
        return InsertItem(reinterpret_cast<LVITEM*>(lParam));
    case LVM_DELETEITEM:
        return DeleteItem((int)wParam);
    case LVM_DELETEALLITEMS:
        return DeleteAllItems();
    case LVM_GETNEXTITEM:
        return GetNextItem((int)wParam, (int)LOWORD(lParam));
    case LVM_FINDITEM:
        return FindItem(reinterpret_cast<LVFINDINFO*>(lParam), (int)wParam);
    case LVM_SETITEMPOSITION:
        return SetItemPosition((int)wParam, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    case LVM_SETITEMPOSITION32: {
        auto* pt = reinterpret_cast<POINT*>(lParam);
        return pt ? SetItemPosition((int)wParam, *pt) : FALSE;
    }
    case LVM_GETITEMPOSITION:
        return GetItemPosition((int)wParam, reinterpret_cast<LPPOINT>(lParam));
    case LVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        return r ? GetItemRect((int)wParam, r, (UINT)r->left) : FALSE;
    }
    case LVM_GETSUBITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r)
            return FALSE;
        CRect out;
        if (!GetSubItemRect((int)wParam, (int)r->top, (int)r->left, out))
            return FALSE;
        *r = out;
        return TRUE;
    }
    case LVM_GETSTRINGWIDTH:
        return GetStringWidth(reinterpret_cast<LPCTSTR>(lParam));
    case LVM_HITTEST:
        return HitTest(reinterpret_cast<LVHITTESTINFO*>(lParam));
    case LVM_SUBITEMHITTEST:
        return SubItemHitTest(reinterpret_cast<LVHITTESTINFO*>(lParam));
    case LVM_ENSUREVISIBLE:
        return EnsureVisible((int)wParam, (BOOL)lParam);
    case LVM_SCROLL:
        return Scroll(CSize((int)wParam, (int)lParam));
    case LVM_REDRAWITEMS:
        return RedrawItems((int)wParam, (int)lParam);
    case LVM_ARRANGE:
        return Arrange((UINT)wParam);
    case LVM_EDITLABEL: {
        CEdit* e = EditLabel((int)wParam);
        return (LRESULT)(e ? e->m_hWnd : nullptr);
    }
    case LVM_GETEDITCONTROL:
        return (LRESULT)(l.edit ? l.edit.Get()->m_hWnd : nullptr);
    case LVM_CANCELEDITLABEL:
        CancelEditLabel();
        return 0;
    case LVM_GETCOLUMN:
        return GetColumn((int)wParam, reinterpret_cast<LVCOLUMN*>(lParam));
    case LVM_SETCOLUMN:
        return SetColumn((int)wParam, reinterpret_cast<LVCOLUMN*>(lParam));
    case LVM_INSERTCOLUMN:
        return InsertColumn((int)wParam, reinterpret_cast<LVCOLUMN*>(lParam));
    case LVM_DELETECOLUMN:
        return DeleteColumn((int)wParam);
    case LVM_GETCOLUMNWIDTH:
        return GetColumnWidth((int)wParam);
    case LVM_SETCOLUMNWIDTH:
        return SetColumnWidth((int)wParam, (short)LOWORD(lParam));
    case LVM_GETHEADER:
        return (LRESULT)l.header.m_hWnd;
    case LVM_CREATEDRAGIMAGE:
        return AfxDragImageResult(CreateDragImage((int)wParam, reinterpret_cast<LPPOINT>(lParam)));
    case LVM_GETTEXTCOLOR:
        return (LRESULT)GetTextColor();
    case LVM_SETTEXTCOLOR:
        return SetTextColor((COLORREF)lParam);
    case LVM_GETTEXTBKCOLOR:
        return (LRESULT)GetTextBkColor();
    case LVM_SETTEXTBKCOLOR:
        return SetTextBkColor((COLORREF)lParam);
    case LVM_GETTOPINDEX:
        return GetTopIndex();
    case LVM_GETCOUNTPERPAGE:
        return GetCountPerPage();
    case LVM_UPDATE:
        return Update((int)wParam);
    case LVM_SETITEMSTATE: {
        auto* lv = reinterpret_cast<LVITEM*>(lParam);
        return lv ? SetItemState((int)wParam, lv->state, lv->stateMask) : FALSE;
    }
    case LVM_GETITEMSTATE:
        return (LRESULT)GetItemState((int)wParam, (UINT)lParam);
    case LVM_GETITEMTEXT: {
        auto* lv = reinterpret_cast<LVITEM*>(lParam);
        return lv ? GetItemText((int)wParam, lv->iSubItem, lv->pszText, lv->cchTextMax) : 0;
    }
    case LVM_SETITEMTEXT: {
        auto* lv = reinterpret_cast<LVITEM*>(lParam);
        return lv ? SetItemText((int)wParam, lv->iSubItem, lv->pszText) : FALSE;
    }
    case LVM_SORTITEMS:
        return SortItems(reinterpret_cast<PFNLVCOMPARE>(lParam), (DWORD_PTR)wParam);
    case LVM_GETSELECTEDCOUNT:
        return (LRESULT)GetSelectedCount();
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        return (LRESULT)SetExtendedStyleMasked((DWORD)wParam, (DWORD)lParam);
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return (LRESULT)GetExtendedStyle();
    case LVM_SETCOLUMNORDERARRAY:
        return SetColumnOrderArray((int)wParam, reinterpret_cast<LPINT>(lParam));
    case LVM_GETCOLUMNORDERARRAY:
        return GetColumnOrderArray(reinterpret_cast<LPINT>(lParam), (int)wParam);
    case LVM_SETHOTITEM:
        return SetHotItem((int)wParam);
    case LVM_GETHOTITEM:
        return GetHotItem();
    case LVM_SETBKIMAGE:
        return SetBkImage(reinterpret_cast<LVBKIMAGE*>(lParam));
    case LVM_GETBKIMAGE:
        return GetBkImage(reinterpret_cast<LVBKIMAGE*>(lParam));

    case WM_PAINT:
        return AfxPaintControl(this, wParam, [&](CDC* dc) { l.Paint(dc); });
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        l.Repaint();
        return 0;
    case WM_STYLECHANGED: {
        // Another view (or scroll or sort style) lays the items out anew.
        LRESULT r = CWnd::DefWindowProc(message, wParam, lParam);
        if (wParam == (WPARAM)GWL_STYLE)
            l.Repaint();
        return r;
    }
    case WM_SETREDRAW: {
        LRESULT r = CWnd::DefWindowProc(message, wParam, lParam);
        if (wParam != 0 && l.scrollPending)
            l.Repaint();
        return r;
    }
    case WM_SETFONT: {
        LRESULT r = CWnd::DefWindowProc(message, wParam, lParam);
        if (l.header.m_hWnd)
            l.header.SetFont(AfxControlFont(this), FALSE);
        l.measuredHeight = -1;
        l.Repaint();
        return r;
    }
    case WM_DESTROY:
        l.EndEdit(true);
        l.destroying = true;
        DeleteAllItems();
        l.destroying = false;
        l.columnSubItem.clear();
        l.measuredHeight = -1;
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        AfxItemFocusChanged(this, message);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_VSCROLL:
    case WM_HSCROLL: {
        bool vert = message == WM_VSCROLL;
        CRect v = l.View();
        int line = vert ? l.RowHeight() : (l.Mode() == LVS_LIST ? l.ListColumnWidth() : kLineStep);
        int page = vert ? v.Height() : v.Width();
        LONG& pos = vert ? l.scroll.y : l.scroll.x;
        CSize content = l.ContentSize();
        pos = AfxScrollRequestPos(wParam, pos, line, page, vert ? content.cy : content.cx);
        if (pos < 0)
            pos = 0;
        // Report rows scroll whole; round down so a line up really moves up.
        if (vert && l.Report())
            pos = pos / l.RowHeight() * l.RowHeight();
        l.Repaint();
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
        if (l.Mode() == LVS_LIST)
            Scroll(CSize(lines / 3 * l.ListColumnWidth(), 0));
        else
            Scroll(CSize(0, lines * l.RowHeight()));
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        HWND self = m_hWnd;
        if (!AfxItemCtrlPressed(this, l.edit, [&] { l.EndEdit(false); }))
            return 0;
        KillTimer(kEditTimer);
        l.pendingEdit = -1;
        CPoint pt(lParam);
        UINT flags = 0;
        int i = HitTest(pt, &flags);
        bool ctrl = (wParam & MK_CONTROL) != 0, shift = (wParam & MK_SHIFT) != 0;
        if (i < 0) {
            // A click on nothing lets go of the selection (unless the user adds to it).
            if (!ctrl && !shift)
                l.SelectOnly(-1, -1, -1);
            return 0;
        }
        if ((flags & LVHT_ONITEMSTATEICON) && (l.exStyle & LVS_EX_CHECKBOXES) &&
            message == WM_LBUTTONDOWN) {
            SetCheck(i, !GetCheck(i));
            return 0;
        }
        bool wasFocused = (l.items[(size_t)i].state & (LVIS_FOCUSED | LVIS_SELECTED)) ==
                          (LVIS_FOCUSED | LVIS_SELECTED);
        if (message == WM_RBUTTONDOWN) {
            if (!(l.items[(size_t)i].state & LVIS_SELECTED))
                l.MoveTo(i, false, false);
        } else if (ctrl && !(GetStyle() & LVS_SINGLESEL)) {
            bool sel = (l.items[(size_t)i].state & LVIS_SELECTED) != 0;
            l.Change(i, LVIF_STATE, (sel ? 0 : LVIS_SELECTED) | LVIS_FOCUSED,
                     LVIS_SELECTED | LVIS_FOCUSED, 0, 0);
            l.anchor = i;
        } else if (!(l.items[(size_t)i].state & LVIS_SELECTED) || shift) {
            l.MoveTo(i, shift, false);
        } else {
            // A press on a selected item keeps a multiple selection for a drag; the release
            // narrows it.
            l.Change(i, LVIF_STATE, LVIS_FOCUSED, LVIS_FOCUSED, 0, 0);
        }
        if (!IsWindow(self) || !l.Valid(i))
            return 0;
        LVHITTESTINFO sub{pt, 0, -1, 0};
        SubItemHitTest(&sub);
        l.pressItem = i;
        l.pressSub = sub.iItem == i ? sub.iSubItem : 0;
        l.pressButton = message == WM_LBUTTONDOWN ? 1 : 2;
        l.pressPt = pt;
        l.dragSent = false;
        if (message == WM_LBUTTONDOWN && wasFocused && !ctrl && !shift &&
            (flags & LVHT_ONITEMLABEL) && (GetStyle() & LVS_EDITLABELS)) {
            l.pendingEdit = i;
            SetTimer(kEditTimer, (UINT)QApplication::doubleClickInterval(), nullptr);
        }
        return 0;
    }
    case WM_MOUSEMOVE: {
        CPoint pt(lParam);
        bool down = (wParam & (MK_LBUTTON | MK_RBUTTON)) != 0;
        if (down && l.Valid(l.pressItem) && !l.dragSent && AfxBeyondDragThreshold(l.pressPt, pt)) {
            l.dragSent = true;
            KillTimer(kEditTimer);
            l.pendingEdit = -1;
            l.NotifyList(l.pressButton == 1 ? LVN_BEGINDRAG : LVN_BEGINRDRAG, l.pressItem,
                         l.pressSub, 0, 0, 0, l.pressPt);
            return 0;
        }
        if (l.exStyle & (LVS_EX_TRACKSELECT | LVS_EX_UNDERLINEHOT | LVS_EX_ONECLICKACTIVATE) ||
            (GetStyle() & LVS_OWNERDRAWFIXED)) {
            UINT flags = 0;
            int i = HitTest(pt, &flags);
            if (i != l.hot) {
                l.hot = i;
                Invalidate(FALSE);
            }
        }
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        HWND self = m_hWnd;
        CPoint pt(lParam);
        int pressed = l.pressItem;
        bool dragged = l.dragSent;
        l.pressItem = -1;
        LVHITTESTINFO hi{pt, 0, -1, 0};
        SubItemHitTest(&hi);
        if (message == WM_LBUTTONUP && !dragged && pressed >= 0 && pressed == hi.iItem &&
            !(wParam & (MK_CONTROL | MK_SHIFT)) && GetSelectedCount() > 1 && l.pendingEdit < 0)
            l.MoveTo(pressed, false, false);
        if (!IsWindow(self))
            return 0;
        if (message == WM_LBUTTONUP) {
            l.NotifyActivate(NM_CLICK, hi.iItem, hi.iSubItem, pt);
            if (IsWindow(self) && hi.iItem >= 0 && (l.exStyle & LVS_EX_ONECLICKACTIVATE))
                l.NotifyActivate(LVN_ITEMACTIVATE, hi.iItem, hi.iSubItem, pt);
        } else if (!l.NotifyActivate(NM_RCLICK, hi.iItem, hi.iSubItem, pt) && IsWindow(self)) {
            CPoint screen = pt;
            ClientToScreen(&screen);
            CWnd::DefWindowProc(WM_CONTEXTMENU, (WPARAM)self, MAKELPARAM(screen.x, screen.y));
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
        KillTimer(kEditTimer);
        l.pendingEdit = -1;
        HWND self = m_hWnd;
        CPoint pt(lParam);
        LVHITTESTINFO hi{pt, 0, -1, 0};
        SubItemHitTest(&hi);
        if (message == WM_RBUTTONDBLCLK) {
            l.NotifyActivate(NM_RDBLCLK, hi.iItem, hi.iSubItem, pt);
            return 0;
        }
        if (!l.NotifyActivate(NM_DBLCLK, hi.iItem, hi.iSubItem, pt) && IsWindow(self) &&
            hi.iItem >= 0 && (hi.flags & LVHT_ONITEM))
            l.NotifyActivate(LVN_ITEMACTIVATE, hi.iItem, hi.iSubItem, pt);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kEditTimer) {
            KillTimer(kEditTimer);
            int i = l.pendingEdit;
            l.pendingEdit = -1;
            if (l.Valid(i) && (l.items[(size_t)i].state & LVIS_FOCUSED))
                l.BeginEdit(i);
            return 0;
        }
        return CWnd::DefWindowProc(message, wParam, lParam);
    case WM_KEYDOWN: {
        HWND self = m_hWnd;
        AfxNotifyKeyDown<NMLVKEYDOWN>(this, LVN_KEYDOWN, wParam, lParam);
        if (!IsWindow(self))
            return 0;
        int f = l.Focused();
        bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
        int n = (int)l.items.size();
        switch (wParam) {
        case VK_RETURN: {
            NMHDR nm{};
            if (!AfxSendNotify(this, &nm, NM_RETURN) && IsWindow(self) && f >= 0)
                l.NotifyActivate(LVN_ITEMACTIVATE, f, 0, POINT{0, 0});
            return 0;
        }
        case VK_F2:
            if (f >= 0 && (GetStyle() & LVS_EDITLABELS))
                l.BeginEdit(f);
            return 0;
        case VK_SPACE:
            if (f >= 0 && (l.exStyle & LVS_EX_CHECKBOXES))
                SetCheck(f, !GetCheck(f));
            else if (f >= 0 && ctrl)
                l.Change(f, LVIF_STATE, (l.items[(size_t)f].state & LVIS_SELECTED) ^ LVIS_SELECTED,
                         LVIS_SELECTED, 0, 0);
            return 0;
        case VK_HOME:
        case VK_END:
            if (n > 0)
                l.MoveTo(wParam == VK_HOME ? 0 : n - 1, shift, ctrl);
            return 0;
        case VK_PRIOR:
        case VK_NEXT: {
            if (n == 0)
                return 0;
            int per = std::max(1, GetCountPerPage());
            int from = f < 0 ? 0 : f;
            l.MoveTo(std::clamp(from + (wParam == VK_NEXT ? per : -per), 0, n - 1), shift, ctrl);
            return 0;
        }
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT: {
            if (n == 0)
                return 0;
            if (f < 0) {
                l.MoveTo(0, shift, ctrl);
                return 0;
            }
            if (l.Report() && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
                Scroll(CSize(wParam == VK_LEFT ? -kLineStep : kLineStep, 0));
                return 0;
            }
            UINT dir = wParam == VK_UP     ? LVNI_ABOVE
                       : wParam == VK_DOWN ? LVNI_BELOW
                       : wParam == VK_LEFT ? LVNI_TOLEFT
                                           : LVNI_TORIGHT;
            int j = l.Neighbour(f, dir);
            if (j >= 0)
                l.MoveTo(j, shift, ctrl);
            return 0;
        }
        default:
            return 0;
        }
    }
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
