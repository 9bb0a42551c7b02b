#include "platform/gui/Menu.h"

#include "platform/gui/Dc.h"
#include "platform/gui/NonClientMetrics.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QWidgetAction>

#include <cctype>
#include <map>
#include <memory>
#include <vector>

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    CString text;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    HBITMAP checkedBitmap = nullptr;
};

struct MenuData {
    std::vector<MenuItem> items;
    bool bar = false;
};

uintptr_t g_nextMenu = 0x10000;

std::map<HMENU, MenuData>& Menus() {
    static std::map<HMENU, MenuData> menus;
    return menus;
}
std::map<HMENU, CMenu*>& Permanent() {
    static std::map<HMENU, CMenu*> map;
    return map;
}
// Objects handed out by FromHandle for menus nobody attached; they go with their menu.
std::map<HMENU, std::unique_ptr<CMenu>>& Temporary() {
    static std::map<HMENU, std::unique_ptr<CMenu>> map;
    return map;
}

MenuData* Find(HMENU h) {
    auto it = Menus().find(h);
    return it == Menus().end() ? nullptr : &it->second;
}

HMENU NewMenu(bool bar) {
    HMENU h = (HMENU)(g_nextMenu += 4);
    Menus()[h].bar = bar;
    return h;
}

void Destroy(HMENU h) {
    MenuData* m = Find(h);
    if (!m)
        return;
    std::vector<HMENU> subs;
    for (const MenuItem& it : m->items)
        if (it.sub)
            subs.push_back(it.sub);
    Menus().erase(h);
    for (HMENU s : subs)
        Destroy(s);
    auto p = Permanent().find(h);
    if (p != Permanent().end()) {
        p->second->m_hMenu = nullptr;
        Permanent().erase(p);
    }
    auto t = Temporary().find(h);
    if (t != Temporary().end()) {
        std::unique_ptr<CMenu> obj = std::move(t->second);
        Temporary().erase(t);
        obj->m_hMenu = nullptr;
    }
}

// The index of an item by command id (searching pop-ups too) or by position; the menu that holds
// it comes back through *owner.
int Locate(HMENU h, UINT nItem, UINT nFlags, HMENU* owner) {
    MenuData* m = Find(h);
    if (!m)
        return -1;
    if (nFlags & MF_BYPOSITION) {
        *owner = h;
        return nItem < m->items.size() ? (int)nItem : -1;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        if (!it.sub && !(it.type & MFT_SEPARATOR) && it.id == nItem) {
            *owner = h;
            return (int)i;
        }
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        HMENU sub = m->items[i].sub;
        if (sub) {
            int pos = Locate(sub, nItem, nFlags, owner);
            if (pos >= 0)
                return pos;
        }
    }
    // A pop-up can be named by its own handle, as the system allows.
    for (size_t i = 0; i < m->items.size(); ++i)
        if (m->items[i].sub && (UINT)(UINT_PTR)m->items[i].sub == nItem) {
            *owner = h;
            return (int)i;
        }
    return -1;
}

MenuItem* Item(HMENU h, UINT nItem, UINT nFlags) {
    HMENU owner = nullptr;
    int pos = Locate(h, nItem, nFlags, &owner);
    return pos < 0 ? nullptr : &Find(owner)->items[pos];
}

MenuItem MakeItem(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    MenuItem it;
    it.type = nFlags & (MFT_OWNERDRAW | MFT_SEPARATOR | MFT_MENUBREAK | MFT_MENUBARBREAK |
                        MFT_BITMAP | MFT_RADIOCHECK);
    it.state = nFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT | MF_HILITE);
    if (nFlags & MF_POPUP)
        it.sub = (HMENU)nIDNewItem;
    else
        it.id = (UINT)nIDNewItem;
    if (nFlags & MF_OWNERDRAW)
        it.data = (ULONG_PTR)lpszNewItem;
    else if (lpszNewItem && !(nFlags & (MF_SEPARATOR | MF_BITMAP)))
        it.text = lpszNewItem;
    return it;
}

PopupMenuHook& Hook() {
    static PopupMenuHook hook;
    return hook;
}

// Whether a target's own message map answers a window message.
bool HandlesMessage(CCmdTarget* target, UINT message) {
    for (const AFX_MSGMAP* map = target ? target->GetMessageMap() : nullptr; map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
            if (e->nMessage == message && !e->pRegistered)
                return true;
    return false;
}

// Owner-drawn items are measured and drawn by the owner window, else by the menu object.
void MeasureOwnerDrawn(CWnd* owner, HMENU h, const MenuItem& it, MEASUREITEMSTRUCT& mis) {
    mis.CtlType = ODT_MENU;
    mis.CtlID = 0;
    mis.itemID = it.sub ? (UINT)(UINT_PTR)it.sub : it.id;
    mis.itemData = it.data;
    if (owner && HandlesMessage(owner, WM_MEASUREITEM))
        owner->SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mis);
    else
        CMenu::FromHandle(h)->MeasureItem(&mis);
}

void DrawOwnerDrawn(CWnd* owner, HMENU h, const MenuItem& it, CDC& dc, const QRect& r,
                    bool selected) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = it.sub ? (UINT)(UINT_PTR)it.sub : it.id;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (selected ? ODS_SELECTED : 0) | ((it.state & MF_GRAYED) ? ODS_GRAYED : 0) |
                    ((it.state & MF_DISABLED) ? ODS_DISABLED : 0) |
                    ((it.state & MF_CHECKED) ? ODS_CHECKED : 0);
    dis.hwndItem = (HWND)h;
    dis.hDC = dc.m_hDC;
    dis.rcItem = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    dis.itemData = it.data;
    // The item is drawn with the menu font selected, as the desktop draws its menus.
    NONCLIENTMETRICS ncm{};
    ncm.cbSize = sizeof ncm;
    CFont menuFont;
    CFont* oldFont = nullptr;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) &&
        menuFont.CreateFontIndirect(&ncm.lfMenuFont))
        oldFont = dc.SelectObject(&menuFont);
    if (owner && HandlesMessage(owner, WM_DRAWITEM))
        owner->SendMessage(WM_DRAWITEM, 0, (LPARAM)&dis);
    else
        CMenu::FromHandle(h)->DrawItem(&dis);
    if (oldFont)
        dc.SelectObject(oldFont);
}

QSize OwnerDrawnSize(CWnd* owner, HMENU h, const MenuItem& it) {
    MEASUREITEMSTRUCT mis{};
    MeasureOwnerDrawn(owner, h, it, mis);
    return QSize((int)mis.itemWidth, (int)mis.itemHeight);
}

// The widget of an owner-drawn item inside a Qt pop-up: sized and painted by the program.
class OwnerDrawnItem : public QWidget {
public:
    OwnerDrawnItem(CWnd* owner, HMENU h, int pos, QAction* action)
        : m_owner(owner), m_menu(h), m_pos(pos), m_action(action) {
        setMouseTracking(true);
        MenuData* m = Find(h);
        if (m && pos < (int)m->items.size()) {
            QSize s = OwnerDrawnSize(owner, h, m->items[pos]);
            setMinimumSize(s);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        MenuData* m = Find(m_menu);
        if (!m || m_pos >= (int)m->items.size())
            return;
        QPainter painter(this);
        CDC dc;
        dc.AttachPainter(&painter);
        // The highlight follows the menu's current item, which the keyboard moves as well.
        auto* menu = qobject_cast<QMenu*>(m_action->parent());
        QAction* active = menu ? menu->activeAction() : nullptr;
        bool selected = active ? active == m_action : underMouse();
        DrawOwnerDrawn(m_owner, m_menu, m->items[m_pos], dc, rect(), selected);
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }
    // An item runs on a click inside the menu. A pop-up opened on a button press comes up under
    // the pointer, so the release of that same press lands on an item and must not run it.
    void mousePressEvent(QMouseEvent* e) override {
        m_pressed = true;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        const bool pressed = m_pressed;
        m_pressed = false;
        if (pressed && m_action->isEnabled())
            m_action->trigger();
    }

private:
    bool m_pressed = false;
    CWnd* m_owner;
    HMENU m_menu;
    int m_pos;
    QAction* m_action;
};

void FillQMenu(QMenu* qm, HMENU h, CWnd* owner, UINT* pChosen);

// Tells the owner which item the highlight is on, so it can show the item's prompt.
void NotifySelect(QAction* a, QObject* context, CWnd* owner, UINT idOrPos, UINT flags, HMENU h) {
    HWND hOwner = owner ? owner->m_hWnd : nullptr;
    if (!hOwner)
        return;
    QObject::connect(a, &QAction::hovered, context, [hOwner, idOrPos, flags, h] {
        ::SendMessage(hOwner, WM_MENUSELECT, MAKEWPARAM(idOrPos, flags | MF_HILITE), (LPARAM)h);
    });
}

// The menu closed: the owner goes back to its idle prompt.
void NotifyClosed(HWND hOwner) {
    if (hOwner)
        ::SendMessage(hOwner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

QAction* AddItem(QMenu* qm, HMENU h, int pos, CWnd* owner, UINT* pChosen) {
    const MenuItem& it = Find(h)->items[pos];
    if (it.type & MFT_SEPARATOR) {
        if (!(it.type & MFT_OWNERDRAW))
            return qm->addSeparator();
    }
    bool enabled = !(it.state & (MF_GRAYED | MF_DISABLED));
    if (it.sub) {
        QMenu* sub = qm->addMenu(AfxToQt(it.text));
        sub->setEnabled(enabled);
        HMENU hs = it.sub;
        UINT index = (UINT)pos;
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, hs, owner, pChosen, index] {
            AfxSendInitMenuPopup(owner, hs, index);
            sub->clear();
            FillQMenu(sub, hs, owner, pChosen);
        });
        NotifySelect(sub->menuAction(), qm, owner, index,
                     MF_POPUP | (it.state & (MF_GRAYED | MF_DISABLED)), h);
        return sub->menuAction();
    }
    QAction* a;
    if (it.type & MFT_OWNERDRAW) {
        auto* wa = new QWidgetAction(qm);
        wa->setDefaultWidget(new OwnerDrawnItem(owner, h, pos, wa));
        qm->addAction(wa);
        a = wa;
    } else {
        a = qm->addAction(AfxToQt(it.text));
        a->setCheckable((it.state & MF_CHECKED) != 0);
        a->setChecked((it.state & MF_CHECKED) != 0);
        if (it.state & MF_DEFAULT) {
            QFont f = a->font();
            f.setBold(true);
            a->setFont(f);
        }
    }
    // An owner-drawn separator is drawn by the owner like any item, but the keyboard must never
    // make it current: Qt passes over items that are disabled.
    a->setEnabled(enabled && !(it.type & MFT_SEPARATOR));
    UINT id = it.id;
    NotifySelect(a, qm, owner, id,
                 (it.type & MFT_SEPARATOR ? MF_SEPARATOR : 0) |
                     (it.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)),
                 h);
    QObject::connect(a, &QAction::triggered, qm, [id, owner, pChosen] {
        if (pChosen)
            *pChosen = id;
        else if (owner)
            owner->PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    });
    return a;
}

// The underlined letter of an item's text (after a single '&'), upper case; 0 when none.
char MnemonicOf(const CString& text) {
    const unsigned char* p = (const unsigned char*)(LPCTSTR)text;
    for (; *p; ++p) {
        if (*p >= 0x80) { // a two-byte character holds no mnemonic marker
            if (!*++p)
                break;
            continue;
        }
        if (*p != '&')
            continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return p[1] && p[1] < 0x80 ? (char)toupper(p[1]) : 0;
    }
    return 0;
}

// Letters typed into an open pop-up choose items as the desktop's menus do: an item whose text
// underlines the letter runs (or opens its sub-menu); when several enabled items share the
// letter, each press moves the highlight to the next of them. A letter no item underlines goes to the owner
// as WM_MENUCHAR, whose answer runs, selects, closes or ignores. Owner-drawn items show no text
// of their own, so without this their letters would do nothing.
class MenuLetters : public QObject {
public:
    MenuLetters(QMenu* qm, HMENU h, CWnd* owner)
        : QObject(qm), m_menu(h), m_owner(owner ? owner->m_hWnd : nullptr) {}

    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            return false;
        QString text = ke->text();
        if (text.size() != 1 || !text[0].isPrint() || text[0].isSpace())
            return false;
        auto* qm = qobject_cast<QMenu*>(obj);
        MenuData* m = Find(m_menu);
        QList<QAction*> actions = qm ? qm->actions() : QList<QAction*>();
        if (!m || actions.size() != (int)m->items.size())
            return false;
        ushort typed = text[0].unicode();
        char letter = typed < 0x80 ? (char)toupper(typed) : 0;
        std::vector<int> hits;
        for (int i = 0; letter && i < (int)m->items.size(); ++i)
            if (!(m->items[i].type & MFT_SEPARATOR) && MnemonicOf(m->items[i].text) == letter)
                hits.push_back(i);
        int pick = -1;
        bool run = false;
        // Items that cannot be chosen do not compete for the letter: when only one of those
        // sharing it is enabled, the letter runs that one.
        std::vector<int> enabled;
        for (int i : hits)
            if (i < (int)actions.size() && actions[i]->isEnabled())
                enabled.push_back(i);
        if (hits.size() > 1 && enabled.size() == 1)
            hits = enabled;
        if (hits.size() == 1) {
            pick = hits[0];
            run = true;
        } else if (hits.size() > 1) {
            int current = (int)actions.indexOf(qm->activeAction());
            pick = hits[0];
            for (int i : hits)
                if (i > current) {
                    pick = i;
                    break;
                }
        } else {
            CWnd* owner = m_owner ? CWnd::FromHandlePermanent(m_owner) : nullptr;
            LRESULT r =
                owner ? owner->SendMessage(WM_MENUCHAR, MAKEWPARAM(typed, MF_POPUP), (LPARAM)m_menu)
                      : 0;
            switch (HIWORD(r)) {
            case MNC_EXECUTE:
                pick = LOWORD(r);
                run = true;
                break;
            case MNC_SELECT:
                pick = LOWORD(r);
                break;
            case MNC_CLOSE:
                qm->close();
                return true;
            default:
                return true;
            }
        }
        if (pick < 0 || pick >= (int)actions.size())
            return true;
        qm->setActiveAction(actions[pick]);
        if (run && actions[pick]->isEnabled()) {
            // Enter on the current item: the menu runs it (or opens it) and closes as usual.
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(qm, &enter);
        }
        return true;
    }

private:
    HMENU m_menu;
    HWND m_owner;
};

void WatchMenuLetters(QMenu* qm, HMENU h, CWnd* owner) {
    if (qm->property("quillmarMenuLetters").toBool())
        return;
    qm->setProperty("quillmarMenuLetters", true);
    qm->installEventFilter(new MenuLetters(qm, h, owner));
    QObject::connect(qm, &QMenu::hovered, qm, [qm] {
        for (QAction* a : qm->actions())
            if (auto* wa = qobject_cast<QWidgetAction*>(a); wa && wa->defaultWidget())
                wa->defaultWidget()->update();
    });
}

void FillQMenu(QMenu* qm, HMENU h, CWnd* owner, UINT* pChosen) {
    MenuData* m = Find(h);
    if (!m)
        return;
    WatchMenuLetters(qm, h, owner);
    for (int i = 0; i < (int)m->items.size(); ++i)
        AddItem(qm, h, i, owner, pChosen);
}

} // namespace

BOOL IsMenu(HMENU hMenu) {
    return Find(hMenu) != nullptr;
}

CMenu::~CMenu() {
    // Like the framework, an attached menu is destroyed with its object.
    if (m_hMenu && Permanent().count(m_hMenu) && Permanent()[m_hMenu] == this)
        DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (!Find(hMenu))
        return nullptr;
    if (CMenu* p = FromHandlePermanent(hMenu))
        return p;
    auto& slot = Temporary()[hMenu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) {
    auto it = Permanent().find(hMenu);
    return it == Permanent().end() ? nullptr : it->second;
}

BOOL CMenu::CreateMenu() {
    return !m_hMenu && Attach(NewMenu(true));
}

BOOL CMenu::CreatePopupMenu() {
    return !m_hMenu && Attach(NewMenu(false));
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
    const ResMenu* res = AfxFindMenu(nIDResource);
    if (!res || m_hMenu)
        return FALSE;
    HMENU top = NewMenu(true);
    // The menu at each depth being filled; a pop-up item opens the next depth.
    std::vector<HMENU> stack{top};
    for (int i = 0; i < res->itemCount; ++i) {
        const ResMenuItem& r = res->items[i];
        if (r.depth < 0 || r.depth >= (int)stack.size())
            continue;
        stack.resize(r.depth + 1);
        MenuItem it;
        it.type = r.flags & (MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK);
        it.state = r.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        it.text = r.text ? r.text : "";
        if (r.flags & MF_POPUP) {
            it.sub = NewMenu(false);
            stack.push_back(it.sub);
        } else {
            it.id = r.id;
        }
        Find(stack[r.depth])->items.push_back(it);
    }
    return Attach(top);
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (m_hMenu || !Find(hMenu))
        return FALSE;
    m_hMenu = hMenu;
    Permanent()[hMenu] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h && FromHandlePermanent(h) == this)
        Permanent().erase(h);
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu() {
    HMENU h = m_hMenu;
    if (!h || !Find(h))
        return FALSE;
    Detach();
    Destroy(h);
    return TRUE;
}

UINT CMenu::GetMenuItemCount() const {
    MenuData* m = Find(m_hMenu);
    return m ? (UINT)m->items.size() : (UINT)-1;
}

UINT CMenu::GetMenuItemID(int nPos) const {
    MenuData* m = Find(m_hMenu);
    if (!m || nPos < 0 || nPos >= (int)m->items.size())
        return (UINT)-1;
    const MenuItem& it = m->items[nPos];
    if (it.sub)
        return (UINT)-1;
    return (it.type & MFT_SEPARATOR) ? 0 : it.id;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    MenuData* m = Find(m_hMenu);
    if (!m || nPos < 0 || nPos >= (int)m->items.size() || !m->items[nPos].sub)
        return nullptr;
    return FromHandle(m->items[nPos].sub);
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
    MenuItem* it = Item(m_hMenu, nID, nFlags);
    if (!it)
        return (UINT)-1;
    UINT state = it->state | it->type;
    if (it->sub) {
        // A pop-up answers its item count in the high byte, as the system does.
        MenuData* sub = Find(it->sub);
        state |= MF_POPUP | ((sub ? (UINT)sub->items.size() : 0) << 8);
    }
    return state;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    MenuItem* it = Item(m_hMenu, nIDItem, nFlags);
    rString = it ? it->text : CString();
    return rString.GetLength();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    MenuData* m = Find(m_hMenu);
    if (!m)
        return FALSE;
    m->items.push_back(MakeItem(nFlags, nIDNewItem, lpszNewItem));
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    MenuData* m = Find(m_hMenu);
    if (!m)
        return FALSE;
    HMENU owner = m_hMenu;
    int pos;
    if (nFlags & MF_BYPOSITION) {
        // A position past the end appends, as (UINT)-1 does for the system.
        pos = nPosition >= m->items.size() ? (int)m->items.size() : (int)nPosition;
    } else {
        pos = Locate(m_hMenu, nPosition, nFlags, &owner);
        if (pos < 0)
            return FALSE;
    }
    auto& items = Find(owner)->items;
    items.insert(items.begin() + pos, MakeItem(nFlags & ~MF_BYPOSITION, nIDNewItem, lpszNewItem));
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
    MenuItem* it = Item(m_hMenu, nPosition, nFlags);
    if (!it)
        return FALSE;
    HMENU oldSub = it->sub;
    MenuItem repl = MakeItem(nFlags & ~MF_BYPOSITION, nIDNewItem, lpszNewItem);
    repl.checkedBitmap = it->checkedBitmap;
    *it = repl;
    // A pop-up replaced by something else goes away with it.
    if (oldSub && oldSub != repl.sub)
        Destroy(oldSub);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) {
    HMENU owner = nullptr;
    int pos = Locate(m_hMenu, nPosition, nFlags, &owner);
    if (pos < 0)
        return FALSE;
    auto& items = Find(owner)->items;
    items.erase(items.begin() + pos);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) {
    MenuItem* it = Item(m_hMenu, nPosition, nFlags);
    if (!it)
        return FALSE;
    HMENU sub = it->sub;
    if (!RemoveMenu(nPosition, nFlags))
        return FALSE;
    if (sub)
        Destroy(sub);
    return TRUE;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
    MenuItem* it = Item(m_hMenu, nIDCheckItem, nCheck);
    if (!it)
        return (UINT)-1;
    UINT old = it->state & MF_CHECKED;
    it->state = (it->state & ~MF_CHECKED) | (nCheck & MF_CHECKED);
    return old;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    MenuItem* it = Item(m_hMenu, nIDEnableItem, nEnable);
    if (!it)
        return (UINT)-1;
    UINT old = it->state & (MF_GRAYED | MF_DISABLED);
    it->state = (it->state & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
    return old;
}

BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags) {
    MenuData* m = Find(m_hMenu);
    if (!m)
        return FALSE;
    bool found = false;
    for (UINT n = nIDFirst; n <= nIDLast; ++n) {
        MenuItem* it = Item(m_hMenu, n, nFlags);
        if (!it)
            continue;
        if (n == nIDItem) {
            it->state |= MF_CHECKED;
            it->type |= MFT_RADIOCHECK;
            found = true;
        } else {
            it->state &= ~MF_CHECKED;
        }
    }
    return found;
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos) {
    MenuData* m = Find(m_hMenu);
    if (!m)
        return FALSE;
    MenuItem* target = nullptr;
    if (uItem != (UINT)-1) {
        HMENU owner = nullptr;
        int pos = Locate(m_hMenu, uItem, fByPos ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
        if (pos < 0 || owner != m_hMenu)
            return FALSE;
        target = &m->items[pos];
    }
    for (MenuItem& it : m->items)
        it.state &= ~MF_DEFAULT;
    if (target)
        target->state |= MF_DEFAULT;
    return TRUE;
}

UINT CMenu::GetDefaultItem(UINT, BOOL fByPos) const {
    MenuData* m = Find(m_hMenu);
    if (!m)
        return (UINT)-1;
    for (size_t i = 0; i < m->items.size(); ++i)
        if (m->items[i].state & MF_DEFAULT)
            return fByPos ? (UINT)i : m->items[i].id;
    return (UINT)-1;
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFO mii, BOOL fByPos) const {
    MenuItem* it = Item(m_hMenu, uItem, fByPos ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!it || !mii)
        return FALSE;
    if (mii->fMask & (MIIM_TYPE | MIIM_FTYPE))
        mii->fType = it->type;
    if (mii->fMask & MIIM_STATE)
        mii->fState = it->state;
    if (mii->fMask & MIIM_ID)
        mii->wID = it->id;
    if (mii->fMask & MIIM_SUBMENU)
        mii->hSubMenu = it->sub;
    if (mii->fMask & MIIM_DATA)
        mii->dwItemData = it->data;
    if (mii->fMask & MIIM_CHECKMARKS)
        mii->hbmpChecked = it->checkedBitmap;
    if (mii->fMask & (MIIM_TYPE | MIIM_STRING)) {
        // Copies what fits, always terminated; cch comes back as the text's full length.
        if (mii->dwTypeData && mii->cch > 0) {
            UINT n = std::min<UINT>(mii->cch - 1, (UINT)it->text.GetLength());
            memcpy(mii->dwTypeData, (LPCTSTR)it->text, n);
            mii->dwTypeData[n] = 0;
        }
        mii->cch = (UINT)it->text.GetLength();
    }
    return TRUE;
}

BOOL CMenu::SetMenuItemInfo(UINT uItem, LPMENUITEMINFO mii, BOOL fByPos) {
    MenuItem* it = Item(m_hMenu, uItem, fByPos ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!it || !mii)
        return FALSE;
    if (mii->fMask & (MIIM_TYPE | MIIM_FTYPE))
        it->type = mii->fType;
    if (mii->fMask & MIIM_STATE)
        it->state = mii->fState;
    if (mii->fMask & MIIM_ID)
        it->id = mii->wID;
    if (mii->fMask & MIIM_SUBMENU)
        it->sub = mii->hSubMenu;
    if (mii->fMask & MIIM_DATA)
        it->data = mii->dwItemData;
    if (mii->fMask & MIIM_CHECKMARKS)
        it->checkedBitmap = mii->hbmpChecked;
    if ((mii->fMask & MIIM_STRING) ||
        ((mii->fMask & MIIM_TYPE) && !(mii->fType & (MFT_SEPARATOR | MFT_BITMAP))))
        it->text = mii->dwTypeData ? mii->dwTypeData : "";
    return TRUE;
}

void AfxSendInitMenuPopup(CWnd* pOwner, HMENU hMenu, UINT nIndex, BOOL bSysMenu) {
    if (pOwner && pOwner->m_hWnd)
        pOwner->SendMessage(WM_INITMENUPOPUP, (WPARAM)hMenu, MAKELPARAM(nIndex, bSysMenu));
}

PopupMenuHook AfxSetPopupMenuHook(PopupMenuHook hook) {
    PopupMenuHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT) {
    if (!Find(m_hMenu))
        return FALSE;
    AfxSendInitMenuPopup(pWnd, m_hMenu, 0);
    UINT chosen = 0;
    // The owner may be destroyed (and deleted) while the menu runs its loop: it is reached by
    // its handle afterwards.
    HWND hOwner = pWnd ? pWnd->m_hWnd : nullptr;
    if (Hook()) {
        chosen = Hook()(m_hMenu, pWnd, POINT{x, y}, nFlags);
    } else {
        QMenu* qm = AfxBuildQMenu(m_hMenu, pWnd, nullptr, &chosen);
        qm->exec(QPoint(x, y));
        delete qm;
        if (hOwner && IsWindow(hOwner))
            NotifyClosed(hOwner);
    }
    if (nFlags & TPM_RETURNCMD)
        return (BOOL)chosen;
    if (chosen && hOwner && IsWindow(hOwner))
        ::PostMessage(hOwner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    // Something visible when neither the owner nor a derived menu measures the item.
    if (lpMeasureItemStruct->itemHeight == 0)
        lpMeasureItemStruct->itemHeight = (UINT)GetSystemMetrics(SM_CYMENU);
    if (lpMeasureItemStruct->itemWidth == 0)
        lpMeasureItemStruct->itemWidth = 80;
}

QMenu* AfxBuildQMenu(HMENU hMenu, CWnd* pOwner, QWidget* parent, UINT* pChosen) {
    auto* qm = new QMenu(parent);
    FillQMenu(qm, hMenu, pOwner, pChosen);
    return qm;
}

void AfxFillMenuBar(QMenuBar* bar, HMENU hMenu, CWnd* pOwner) {
    bar->clear();
    MenuData* m = Find(hMenu);
    if (!m)
        return;
    for (int i = 0; i < (int)m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        if (!it.sub) {
            UINT id = it.id;
            QAction* a = bar->addAction(AfxToQt(it.text));
            QObject::connect(a, &QAction::triggered, bar, [id, pOwner] {
                if (pOwner)
                    pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
            });
            continue;
        }
        QMenu* sub = bar->addMenu(AfxToQt(it.text));
        HMENU hs = it.sub;
        UINT index = (UINT)i;
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, hs, pOwner, index] {
            AfxSendInitMenuPopup(pOwner, hs, index);
            sub->clear();
            FillQMenu(sub, hs, pOwner, nullptr);
        });
        HWND hOwner = pOwner ? pOwner->m_hWnd : nullptr;
        QObject::connect(sub, &QMenu::aboutToHide, sub, [hOwner] { NotifyClosed(hOwner); });
    }
}

QImage AfxRenderPopupMenu(HMENU hMenu, CWnd* pOwner, int nSelected) {
    MenuData* m = Find(hMenu);
    if (!m)
        return QImage();
    // Plain items take the height of a menu line and the width of their text.
    QFont font = QApplication::font("QMenu");
    QFontMetrics fm(font);
    int lineH = std::max(GetSystemMetrics(SM_CYMENU), fm.height() + 4);
    std::vector<QSize> sizes;
    int width = 0, height = 0;
    for (const MenuItem& it : m->items) {
        QSize s;
        if (it.type & MFT_OWNERDRAW)
            s = OwnerDrawnSize(pOwner, hMenu, it);
        else if (it.type & MFT_SEPARATOR)
            s = QSize(0, 7);
        else
            s = QSize(fm.horizontalAdvance(AfxToQt(it.text)) + 40, lineH);
        sizes.push_back(s);
        width = std::max(width, s.width());
        height += s.height();
    }
    QImage img(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(240, 240, 240));
    QPainter painter(&img);
    painter.setFont(font);
    CDC dc;
    dc.AttachPainter(&painter);
    int y = 0;
    for (int i = 0; i < (int)m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        QRect r(0, y, width, sizes[i].height());
        if (it.type & MFT_OWNERDRAW) {
            painter.save();
            DrawOwnerDrawn(pOwner, hMenu, it, dc, r, i == nSelected);
            painter.restore();
        } else if (it.type & MFT_SEPARATOR) {
            painter.setPen(QColor(160, 160, 160));
            painter.drawLine(r.left() + 2, r.center().y(), r.right() - 2, r.center().y());
        } else {
            if (i == nSelected)
                painter.fillRect(r, QColor(51, 153, 255));
            painter.setPen((it.state & MF_GRAYED) ? QColor(128, 128, 128) : QColor(0, 0, 0));
            QString text = AfxToQt(it.text);
            painter.drawText(r.adjusted(24, 0, -4, 0), Qt::AlignVCenter | Qt::TextShowMnemonic,
                             text.section('\t', 0, 0));
            if (it.state & MF_CHECKED)
                painter.drawText(r.adjusted(6, 0, 0, 0), Qt::AlignVCenter,
                                 QStringLiteral("\u2713"));
        }
        // A pop-up item shows the arrow its menu opens towards, as the menus on screen do.
        if (it.sub) {
            const QColor c = (it.state & MF_GRAYED) ? QColor(128, 128, 128) : QColor(0, 0, 0);
            const int cy = r.center().y(), x = r.right() - 8;
            const QPoint arrow[] = {{x, cy - 4}, {x + 4, cy}, {x, cy + 4}};
            painter.save();
            painter.setPen(c);
            painter.setBrush(c);
            painter.drawPolygon(arrow, 3);
            painter.restore();
        }
        y += r.height();
    }
    return img;
}
