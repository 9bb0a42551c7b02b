#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/NonClientMetrics.h"
#include "platform/gui/Resource.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

namespace {

// Menu 7001: a bar with two pop-ups; the second holds a nested pop-up.
const ResMenuItem kMenuItems[] = {
    {0, MF_POPUP, 0, "文件(&F)"}, {1, 0, 101, "新建(&N)\tCtrl+N"},
    {1, MF_SEPARATOR, 0, ""},     {1, MF_GRAYED, 102, "打印(&P)"},
    {0, MF_POPUP, 0, "查看(&V)"}, {1, MF_CHECKED, 201, "工具栏"},
    {1, MF_POPUP, 0, "排列"},     {2, 0, 211, "按名称"},
    {2, 0, 212, "按日期"},        {1, 0, 202, "状态栏"},
};
const ResMenu kMenus[] = {{7001, kMenuItems, (int)(sizeof kMenuItems / sizeof kMenuItems[0])}};
const ResModule kModule = TestResources(nullptr, 0, kMenus, 1);

class MenuTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    void TearDown() override { AfxSetPopupMenuHook(nullptr); }
};

// Records the pop-ups it is asked to update and the commands it gets; disables 202.
class COwner : public CWnd {
public:
    std::vector<HMENU> initialised;
    std::vector<UINT> commands;
    std::vector<UINT> drawn;
    std::vector<LOGFONT> fonts; // the font of each item's DC
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM) {
        initialised.push_back((HMENU)wParam);
        CMenu::FromHandle((HMENU)wParam)->EnableMenuItem(202, MF_GRAYED);
        return 0;
    }
    BOOL OnAnyCommand(UINT id) {
        commands.push_back(id);
        return TRUE;
    }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) {
        mis->itemWidth = 120;
        mis->itemHeight = 30;
    }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
        drawn.push_back(dis->itemID);
        CDC* dc = CDC::FromHandle(dis->hDC);
        LOGFONT lf{};
        dc->GetCurrentFont()->GetLogFont(&lf);
        fonts.push_back(lf);
        dc->FillSolidRect(&dis->rcItem,
                          (dis->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 0, 255));
    }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pInfo) override {
        if (nCode == CN_COMMAND && !pExtra && !pInfo)
            return OnAnyCommand(nID);
        return CWnd::OnCmdMsg(nID, nCode, pExtra, pInfo);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwner, CWnd)
ON_MESSAGE(WM_INITMENUPOPUP, &COwner::OnInitMenuPopup)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

TEST_F(MenuTest, LoadsNestedResourceAndAnswersItemsByCommandAndPosition) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(7001));
    EXPECT_FALSE(menu.LoadMenu(7001)); // already holds a menu
    EXPECT_EQ(2u, menu.GetMenuItemCount());
    CMenu* view = menu.GetSubMenu(1);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(3u, view->GetMenuItemCount());
    EXPECT_EQ((UINT)-1, view->GetMenuItemID(1)); // a pop-up
    EXPECT_EQ(202u, view->GetMenuItemID(2));
    EXPECT_EQ(0u, menu.GetSubMenu(0)->GetMenuItemID(1)); // separator
    EXPECT_EQ(nullptr, view->GetSubMenu(0));

    CString text;
    menu.GetMenuString(211, text, MF_BYCOMMAND); // found in a nested pop-up
    EXPECT_STREQ("按名称", (LPCTSTR)text);
    EXPECT_EQ((UINT)MF_CHECKED, menu.GetMenuState(201, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ((UINT)MF_GRAYED, menu.GetMenuState(102, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ((UINT)-1, menu.GetMenuState(999, MF_BYCOMMAND));
    // A pop-up's state holds its item count in the high byte.
    EXPECT_EQ(2u, (view->GetMenuState(1, MF_BYPOSITION) >> 8) & 0xFF);

    EXPECT_EQ((UINT)MF_CHECKED, menu.CheckMenuItem(201, MF_UNCHECKED));
    EXPECT_EQ(0u, menu.GetMenuState(201, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ((UINT)MF_GRAYED, menu.EnableMenuItem(102, MF_ENABLED));
    EXPECT_EQ((UINT)-1, menu.EnableMenuItem(999, MF_GRAYED));
    EXPECT_TRUE(menu.CheckMenuRadioItem(211, 212, 212, MF_BYCOMMAND));
    EXPECT_EQ((UINT)MF_CHECKED, menu.GetMenuState(212, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ((UINT)MFT_RADIOCHECK, menu.GetMenuState(212, MF_BYCOMMAND) & MFT_RADIOCHECK);
}

TEST_F(MenuTest, EditsItemsAndDestroysSubMenusWithTheirMenu) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CMenu sub;
    ASSERT_TRUE(sub.CreatePopupMenu());
    sub.AppendMenu(MF_STRING, 11, "甲");
    HMENU hSub = sub.Detach();
    menu.AppendMenu(MF_STRING, 1, "一");
    menu.AppendMenu(MF_POPUP, (UINT_PTR)hSub, "子菜单");
    menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, 2, "二");
    menu.InsertMenu(1, MF_BYCOMMAND | MF_SEPARATOR);
    ASSERT_EQ(4u, menu.GetMenuItemCount());
    EXPECT_EQ(2u, menu.GetMenuItemID(0));
    EXPECT_EQ(0u, menu.GetMenuItemID(1));
    EXPECT_EQ(1u, menu.GetMenuItemID(2));
    menu.ModifyMenu(1, MF_BYCOMMAND | MF_STRING, 3, "三");
    EXPECT_EQ(3u, menu.GetMenuItemID(2));

    EXPECT_TRUE(menu.SetDefaultItem(0, TRUE));
    EXPECT_EQ(2u, menu.GetDefaultItem(0));
    EXPECT_FALSE(menu.SetDefaultItem(999));

    MENUITEMINFO mii{};
    char buf[3];
    mii.fMask = MIIM_TYPE | MIIM_DATA | MIIM_SUBMENU;
    mii.dwTypeData = buf;
    mii.cch = sizeof buf;
    ASSERT_TRUE(menu.GetMenuItemInfo(3, &mii, TRUE));
    EXPECT_EQ(hSub, mii.hSubMenu);
    EXPECT_EQ(6u, mii.cch);        // the full length of "子菜单"
    EXPECT_STREQ("\xD7\xD3", buf); // cut to what fits, terminated
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    mii.fType = MFT_OWNERDRAW;
    mii.dwItemData = (ULONG_PTR)menu.m_hMenu;
    ASSERT_TRUE(menu.SetMenuItemInfo(3, &mii, TRUE));
    EXPECT_EQ((UINT)MFT_OWNERDRAW, menu.GetMenuState(3, MF_BYPOSITION) & MFT_OWNERDRAW);

    EXPECT_TRUE(menu.RemoveMenu(0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(hSub));
    EXPECT_TRUE(menu.DeleteMenu(2, MF_BYPOSITION)); // the pop-up goes with its item
    EXPECT_FALSE(IsMenu(hSub));
    EXPECT_EQ(2u, menu.GetMenuItemCount());

    CMenu other;
    other.CreatePopupMenu();
    CMenu inner;
    inner.CreatePopupMenu();
    HMENU hInner = inner.Detach();
    other.AppendMenu(MF_POPUP, (UINT_PTR)hInner, "内");
    HMENU hOther = other.m_hMenu;
    EXPECT_TRUE(other.DestroyMenu());
    EXPECT_FALSE(IsMenu(hOther));
    EXPECT_FALSE(IsMenu(hInner));
    EXPECT_EQ(nullptr, CMenu::FromHandle(hOther));
}

TEST_F(MenuTest, TrackPopupUpdatesFirstThenReturnsOrPostsTheCommand) {
    COwner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(7001));
    CMenu* view = menu.GetSubMenu(1);
    UINT seenState = 0;
    AfxSetPopupMenuHook([&](HMENU h, CWnd* pOwner, POINT, UINT) -> UINT {
        EXPECT_EQ(&owner, pOwner);
        seenState = CMenu::FromHandle(h)->GetMenuState(202, MF_BYCOMMAND);
        return 201;
    });
    // TPM_RETURNCMD answers the command and sends nothing.
    EXPECT_EQ(201, view->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, &owner));
    ASSERT_EQ(1u, owner.initialised.size());
    EXPECT_EQ(view->m_hMenu, owner.initialised[0]);
    EXPECT_EQ((UINT)MF_GRAYED, seenState & MF_GRAYED); // the update ran before the choice
    Pump();
    EXPECT_TRUE(owner.commands.empty());

    EXPECT_TRUE(view->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner));
    EXPECT_TRUE(WaitFor([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(std::vector<UINT>{201}, owner.commands);

    // Dismissed: nothing chosen, nothing sent.
    AfxSetPopupMenuHook([](HMENU, CWnd*, POINT, UINT) -> UINT { return 0; });
    EXPECT_EQ(0, view->TrackPopupMenu(TPM_RETURNCMD, 0, 0, &owner));
    owner.DestroyWindow();
}

TEST_F(MenuTest, AnOwnerThatGoesWhileItsPopupIsOpenIsNotTouchedAfterwards) {
    // A window that deletes itself when destroyed, as frames and views do.
    struct CGoingOwner : COwner {
        bool* gone = nullptr;
        void PostNcDestroy() override {
            *gone = true;
            delete this;
        }
    };
    bool gone = false;
    auto* owner = new CGoingOwner;
    owner->gone = &gone;
    ASSERT_TRUE(owner->CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(7001));
    QObject context;
    // While the pop-up runs its own loop, the owner is destroyed and the pop-up dismissed.
    QTimer::singleShot(50, &context, [owner] {
        owner->DestroyWindow();
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTimer::singleShot(3000, &context, [] { // a pop-up left open must not hang the test
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    EXPECT_TRUE(menu.GetSubMenu(1)->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, owner));
    EXPECT_TRUE(gone);
}

TEST_F(MenuTest, OwnerDrawnItemsAreMeasuredAndDrawnByTheOwner) {
    COwner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_OWNERDRAW, 301, (LPCTSTR)(void*)menu.m_hMenu);
    menu.AppendMenu(MF_OWNERDRAW, 302, (LPCTSTR)(void*)menu.m_hMenu);
    QImage img = AfxRenderPopupMenu(menu, &owner, 1);
    EXPECT_EQ(QSize(120, 60), img.size());
    EXPECT_EQ((std::vector<UINT>{301, 302}), owner.drawn);
    EXPECT_EQ(QColor(0, 0, 255), img.pixelColor(5, 5));
    EXPECT_EQ(QColor(255, 0, 0), img.pixelColor(5, 35)); // the selected item
    // Each item's DC comes with the menu font of the desktop's metrics, whatever it is.
    QFont saved = QApplication::font("QMenu");
    QFont big = saved;
    big.setPixelSize(23);
    QApplication::setFont(big, "QMenu");
    NONCLIENTMETRICS ncm{};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    EXPECT_EQ(-23, ncm.lfMenuFont.lfHeight);
    owner.fonts.clear();
    AfxRenderPopupMenu(menu, &owner, 1);
    QApplication::setFont(saved, "QMenu");
    ASSERT_EQ(2u, owner.fonts.size());
    for (const LOGFONT& lf : owner.fonts) {
        EXPECT_EQ(-23, lf.lfHeight);
        EXPECT_STREQ(ncm.lfMenuFont.lfFaceName, lf.lfFaceName);
    }
    img.save(QString::fromStdString(ScreenPath("menu-owner-drawn")));
    owner.DestroyWindow();
}

// Answers the letters its menus do not underline: 'z' runs the last item, 'y' only selects the
// first; others are not known here.
class CLetterOwner : public COwner {
public:
    std::vector<std::pair<UINT, HMENU>> asked;
    LRESULT OnMenuChar(WPARAM wParam, LPARAM lParam) {
        asked.push_back({LOWORD(wParam), (HMENU)lParam});
        if (LOWORD(wParam) == 'z')
            return MAKELRESULT(4, MNC_EXECUTE);
        if (LOWORD(wParam) == 'y')
            return MAKELRESULT(0, MNC_SELECT);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLetterOwner, COwner)
ON_MESSAGE(WM_MENUCHAR, &CLetterOwner::OnMenuChar)
END_MESSAGE_MAP()

// Letters typed into an open pop-up of owner-drawn items (which show no text of their own).
TEST_F(MenuTest, LettersChooseOwnerDrawnItemsAndUnknownLettersAskTheOwner) {
    CLetterOwner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 301, "打开(&O)...");
    menu.AppendMenu(MF_STRING, 302, "关闭(&C)");
    menu.AppendMenu(MF_STRING, 303, "复制(&C)");
    menu.AppendMenu(MF_STRING, 304, "退出(&X)");
    menu.AppendMenu(MF_STRING, 305, "无字母");
    menu.AppendMenu(MF_STRING, 306, "新建页(&P)");
    menu.AppendMenu(MF_STRING | MF_GRAYED, 307, "粘贴(&P)");
    for (UINT i = 0; i < 5; ++i) { // owner-drawn as the program's menus are, keeping their texts
        MENUITEMINFO mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE;
        ASSERT_TRUE(menu.GetMenuItemInfo(i, &mii, TRUE));
        mii.fType |= MFT_OWNERDRAW;
        ASSERT_TRUE(menu.SetMenuItemInfo(i, &mii, TRUE));
    }
    struct Case {
        const char* keys; // typed in turn; '\r' is Enter
        UINT chosen;
    };
    const Case cases[] = {
        {"x", 304},     // a letter of one item runs it
        {"X", 304},     // in either case
        {"c\r", 302},   // a shared letter selects the first of its items ...
        {"cc\r", 303},  // ... and then the next
        {"ccc\r", 302}, // ... and round again
        {"z", 305},     // a letter no item has: the owner's answer runs an item
        {"y\r", 301},   // or selects one
        {"p", 306},     // a letter shared only with a greyed item runs the enabled one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        QObject context;
        std::string keys = c.keys;
        QTimer::singleShot(50, &context, [keys] {
            for (char k : keys) {
                QWidget* popup = QApplication::activePopupWidget();
                if (!popup)
                    return;
                if (k == '\r')
                    QTest::keyClick(popup, Qt::Key_Return);
                else
                    QTest::keyClicks(popup, QString(QChar(k)));
            }
        });
        QTimer::singleShot(2000, &context, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        EXPECT_EQ((BOOL)c.chosen, menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner));
    }
    // The owner was asked only about letters no item has, with the menu they were typed in.
    ASSERT_EQ(2u, owner.asked.size());
    EXPECT_EQ((UINT)'z', owner.asked[0].first);
    EXPECT_EQ(menu.m_hMenu, owner.asked[0].second);
    // A letter nobody knows leaves the menu open; Escape then closes it with no choice.
    QObject context;
    QTimer::singleShot(50, &context, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            QTest::keyClicks(popup, "q");
            if (QApplication::activePopupWidget() == popup)
                QTest::keyClick(popup, Qt::Key_Escape);
        }
    });
    EXPECT_EQ(0, menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner));
    EXPECT_EQ(3u, owner.asked.size());
    owner.DestroyWindow();
}

} // namespace

// A context menu opens on the button press under the pointer: the release of that press must not
// run the item it lands on; a click inside the menu does.
TEST_F(MenuTest, TheReleaseOfThePressThatOpenedAMenuRunsNoItem) {
    COwner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_OWNERDRAW, 301, (LPCTSTR)(void*)menu.m_hMenu);
    menu.AppendMenu(MF_OWNERDRAW, 302, (LPCTSTR)(void*)menu.m_hMenu);
    // The item widget under the centre of the menu's item at pos.
    auto item = [](QMenu* popup, int pos) -> QWidget* {
        if (!popup || pos >= popup->actions().size())
            return nullptr;
        return popup->childAt(popup->actionGeometry(popup->actions()[pos]).center());
    };
    struct Case {
        const char* name;
        bool press; // a press inside the menu before the release
        int pos;
        UINT chosen;
    };
    const Case cases[] = {
        {"release only", false, 0, 0},
        {"click on the first", true, 0, 301},
        {"click on the second", true, 1, 302},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QObject context;
        bool reached = false;
        QTimer::singleShot(50, &context, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QWidget* w = item(popup, c.pos);
            if (!w)
                return;
            reached = true;
            QPoint at = w->rect().center();
            if (c.press)
                QTest::mousePress(w, Qt::LeftButton, {}, at);
            QTest::mouseRelease(w, c.press ? Qt::LeftButton : Qt::RightButton, {}, at);
        });
        QTimer::singleShot(600, &context, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        EXPECT_EQ((BOOL)c.chosen, menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner));
        EXPECT_TRUE(reached);
    }
    owner.DestroyWindow();
}

namespace {

// A frame whose menu bar holds menu 7001 with owner-drawn items: it records each item drawn (and
// whether as the highlighted one) and the commands it gets.
class CMenuFrame : public CFrameWnd {
public:
    std::vector<std::pair<UINT, bool>> drawn;
    std::vector<UINT> commands;
    UINT enabled = 0; // the one command with a handler
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) {
        mis->itemWidth = 120;
        mis->itemHeight = 20;
    }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
        drawn.push_back({dis->itemID, (dis->itemState & ODS_SELECTED) != 0});
    }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pInfo) override {
        if (nCode == CN_COMMAND && !pExtra && !pInfo && nID >= 100 && nID < 300) {
            commands.push_back(nID);
            return TRUE;
        }
        if (nCode == CN_UPDATE_COMMAND_UI && pExtra && nID == enabled) {
            static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
            return TRUE;
        }
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pInfo);
    }
    // The last drawing of an item: whether it showed highlighted.
    bool LastDrawnSelected(UINT id) const {
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            if (it->first == id)
                return it->second;
        return false;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuFrame, CFrameWnd)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

void MakeOwnerDrawn(CMenu* menu) {
    for (UINT i = 0; i < menu->GetMenuItemCount(); ++i) {
        MENUITEMINFO mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        ASSERT_TRUE(menu->GetMenuItemInfo(i, &mii, TRUE));
        mii.fType |= MFT_OWNERDRAW;
        mii.fMask = MIIM_FTYPE;
        ASSERT_TRUE(menu->SetMenuItemInfo(i, &mii, TRUE));
        if (mii.hSubMenu)
            MakeOwnerDrawn(CMenu::FromHandle(mii.hSubMenu));
    }
}

} // namespace

// A person opens the File menu with Alt+F (or F10 and Down), lets go of the keys and works the
// menu from the keyboard: the first item that can run shows highlighted at once and Enter runs
// it (never a separator, which owner-drawn menus also build as items); afterwards Alt no longer
// counts as held, though its release went to the menu rather than to our window.
TEST_F(MenuTest, AMenuOpenedFromTheKeyboardShowsItsFirstItemAndIsWorkedThere) {
    struct Case {
        const char* name;
        bool f10;       // opened with F10 and Down instead of Alt+F
        UINT enabled;   // the command that has a handler (the others are greyed when shown)
        int current;    // the item current once the menu is open (-1 none)
        UINT command;   // what Enter then runs
    };
    const Case cases[] = {
        {"first item can run", false, 101, 0, 101},
        {"nothing can run: the separator is no item to choose", false, 0, -1, 0},
        {"F10 and Down, first item can run", true, 101, 0, 101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A frame deletes itself when it goes.
        auto* pFrame = new CMenuFrame;
        CMenuFrame& frame = *pFrame;
        ASSERT_TRUE(frame.Create(nullptr, "frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
        frame.enabled = c.enabled;
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(7001));
        MakeOwnerDrawn(&menu);
        ASSERT_TRUE(frame.SetMenu(&menu));
        frame.ShowWindow(SW_SHOW);
        QWidget* top = frame.GetWidget();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        frame.SetFocus();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : top;

        QMenu* popup = nullptr;
        if (c.f10) {
            QTest::keyClick(target, Qt::Key_F10);
            auto* bar = top->findChild<QMenuBar*>();
            ASSERT_NE(nullptr, bar);
            QTest::keyClick(bar, Qt::Key_Down);
            popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(nullptr, popup);
        } else {
            QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
            EXPECT_LT(GetKeyState(VK_MENU), 0); // held while it is down
            QTest::keyPress(target, Qt::Key_F, Qt::AltModifier);
            popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(nullptr, popup);
            QTest::keyRelease(popup, Qt::Key_F, Qt::AltModifier);
            QTest::keyRelease(popup, Qt::Key_Alt, Qt::NoModifier);
            EXPECT_GE(GetKeyState(VK_MENU), 0) << "Alt was let go in the menu";
        }

        Pump();
        ASSERT_EQ(3, popup->actions().size());
        EXPECT_EQ(c.current, popup->actions().indexOf(popup->activeAction()));
        if (c.command)
            EXPECT_TRUE(frame.LastDrawnSelected(c.command)) << "it shows as the current one";

        QTest::keyClick(popup, Qt::Key_Return);
        if (QApplication::activePopupWidget() == popup)
            QTest::keyClick(popup, Qt::Key_Escape);
        Pump();
        EXPECT_EQ(c.command ? std::vector<UINT>{c.command} : std::vector<UINT>{}, frame.commands);
        EXPECT_EQ(nullptr, QApplication::activePopupWidget());
        frame.DestroyWindow();
    }
}

TEST_F(MenuTest, AltPressedAndLetGoAloneWorksTheMenuBarFromTheKeyboard) {
    auto* pFrame = new CMenuFrame;
    CMenuFrame& frame = *pFrame;
    ASSERT_TRUE(frame.Create(nullptr, "frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    frame.enabled = 101;
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(7001));
    ASSERT_TRUE(frame.SetMenu(&menu));
    frame.ShowWindow(SW_SHOW);
    QWidget* top = frame.GetWidget();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    frame.SetFocus();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : top;
    auto* bar = top->findChild<QMenuBar*>();
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(2, bar->actions().size());
    const QRect first = bar->actionGeometry(bar->actions()[0]);
    const QImage before = bar->grab().toImage();

    QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::NoModifier);
    Pump();
    EXPECT_TRUE(bar->hasFocus());
    EXPECT_EQ(bar->actions()[0], bar->activeAction()) << "the first title is current";
    EXPECT_EQ(nullptr, QApplication::activePopupWidget()) << "no menu opens yet";
    // The current title shows: its face is no longer the one it had.
    const QImage current = bar->grab().toImage();
    const QPoint inside = first.topLeft() + QPoint(2, first.height() / 2);
    EXPECT_NE(before.pixel(inside), current.pixel(inside));

    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(bar->actions()[1], bar->activeAction());
    QTest::keyClick(bar, Qt::Key_Down);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(bar->actions()[1]->menu(), popup);
    QTest::keyClick(popup, Qt::Key_Escape);
    Pump();
    EXPECT_EQ(nullptr, QApplication::activePopupWidget());
    if (bar->hasFocus())
        QTest::keyClick(bar, Qt::Key_Escape);
    Pump();
    EXPECT_FALSE(bar->hasFocus()) << "Escape leaves the bar";
    EXPECT_EQ(nullptr, bar->activeAction());
    EXPECT_TRUE(frame.commands.empty());

    // A key pressed while Alt is down makes it no lone Alt: the bar stays as it was.
    frame.SetFocus();
    target = QApplication::focusWidget() ? QApplication::focusWidget() : top;
    QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyClick(target, Qt::Key_Q, Qt::AltModifier);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::NoModifier);
    Pump();
    EXPECT_FALSE(bar->hasFocus());
    EXPECT_EQ(nullptr, bar->activeAction());
    frame.DestroyWindow();
}

// A frame whose child records the context menus it is asked for.
class CContextChild : public CWnd {
public:
    std::vector<CPoint> asked;
    void OnContextMenu(CWnd*, CPoint point) { asked.push_back(point); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CContextChild, CWnd)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

TEST_F(MenuTest, F10WorksTheMenuBarAndShiftF10OrTheMenuKeyAsksForTheContextMenu) {
    auto* pFrame = new CMenuFrame;
    CMenuFrame& frame = *pFrame;
    ASSERT_TRUE(frame.Create(nullptr, "frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(7001));
    ASSERT_TRUE(frame.SetMenu(&menu));
    CContextChild child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                             CRect(10, 10, 200, 100), &frame, 1));
    frame.ShowWindow(SW_SHOW);
    QWidget* top = frame.GetWidget();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    child.SetFocus();
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(nullptr, target);
    auto* bar = top->findChild<QMenuBar*>();
    ASSERT_NE(nullptr, bar);

    // F10: the first title current, no menu open; the arrows and Enter work it, Escape leaves.
    QTest::keyClick(target, Qt::Key_F10);
    Pump();
    EXPECT_TRUE(bar->hasFocus());
    EXPECT_EQ(bar->actions()[0], bar->activeAction());
    EXPECT_EQ(nullptr, QApplication::activePopupWidget());
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(bar->actions()[1], bar->activeAction());
    QTest::keyClick(bar, Qt::Key_Return);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(bar->actions()[1]->menu(), popup);
    QTest::keyClick(popup, Qt::Key_Escape);
    Pump();
    if (bar->hasFocus())
        QTest::keyClick(bar, Qt::Key_Escape);
    Pump();
    EXPECT_FALSE(bar->hasFocus());
    EXPECT_EQ(nullptr, bar->activeAction());
    EXPECT_TRUE(child.asked.empty()) << "F10 alone asks for no context menu";

    // Shift+F10 and the menu key ask the focused window, once each, at (-1, -1): from the
    // keyboard, so that it places the menu itself. The bar stays as it was.
    child.SetFocus();
    target = child.GetWidget();
    QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_Menu);
    Pump();
    ASSERT_EQ(2u, child.asked.size());
    for (const CPoint& pt : child.asked)
        EXPECT_EQ(CPoint(-1, -1), pt);
    EXPECT_FALSE(bar->hasFocus());
    EXPECT_TRUE(frame.commands.empty());
    child.DestroyWindow();
    frame.DestroyWindow();
}
