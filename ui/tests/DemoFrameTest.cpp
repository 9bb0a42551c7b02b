// A main window put together from the pieces the program builds on: a frame with an owner-drawn
// menu, a tool bar, a status bar, a splitter of two views, and a property sheet over it. The
// picture it leaves shows them working together.
#include "platform/gui/tests/FrameTestSupport.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovMenu.h"

#include "platform/gui/ControlBar.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/TreeCtrl.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/ToolBar.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

enum {
    IDR_DEMO = 9600,
    ID_CONTACT_NEW = 9601,
    ID_CONTACT_EDIT,
    ID_CONTACT_DELETE,
    ID_VIEW_PHOTO,
    ID_SEND_SMS,
    ID_INDICATOR_COUNT = 9610,
    IDD_PAGE_GENERAL = 9620,
    IDD_PAGE_VIEW = 9621,
    IDC_OWNER = 9630,
    IDC_AUTOSAVE,
    IDC_STARTUP,
    IDC_SORT,
    IDC_PHOTO,
};

const ResString kStrings[] = {
    {ID_CONTACT_NEW, "新建一个联系人\n新建"},      {ID_CONTACT_EDIT, "修改选定的联系人\n修改"},
    {ID_CONTACT_DELETE, "删除选定的联系人\n删除"}, {ID_VIEW_PHOTO, "显示或隐藏照片\n照片"},
    {ID_SEND_SMS, "给选定的联系人发短信\n短信"},   {ID_INDICATOR_COUNT, "共 5 人"},
};

const ResMenuItem kMenuItems[] = {
    {0, MF_POPUP, 0, "联系人(&C)"},
    {1, 0, ID_CONTACT_NEW, "新建联系人(&N)\tCtrl+N"},
    {1, 0, ID_CONTACT_EDIT, "修改(&E)"},
    {1, MF_GRAYED, ID_CONTACT_DELETE, "删除(&D)\tDel"},
    {1, MF_SEPARATOR, 0, ""},
    {1, MF_CHECKED, ID_VIEW_PHOTO, "显示照片(&P)"},
    {1, MF_POPUP, 0, "发送(&S)"},
    {2, 0, ID_SEND_SMS, "短信(&M)"},
    {0, MF_POPUP, 0, "查看(&V)"},
    {1, MF_CHECKED, ID_VIEW_PHOTO, "照片(&P)"},
};
const ResMenu kMenus[] = {{IDR_DEMO, kMenuItems, 10}};

const DWORD kPage = DS_SETFONT | WS_CHILD | WS_CAPTION | WS_DISABLED;
const DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;
const DWORD kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const ResDialogItem kGeneralItems[] = {
    {"STATIC", "本人姓名:", IDC_STATIC, 7, 10, 40, 8, kLabel, 0},
    {"EDIT", "张三", IDC_OWNER, 52, 8, 120, 13,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0},
    {"BUTTON", "关闭时自动保存通讯录", IDC_AUTOSAVE, 7, 30, 150, 10, kCheck, 0},
    {"BUTTON", "启动后打开上次的文件", IDC_STARTUP, 7, 46, 150, 10, kCheck, 0},
};
const ResDialogItem kViewItems[] = {
    {"STATIC", "排序:", IDC_STATIC, 7, 10, 40, 8, kLabel, 0},
    {"COMBOBOX", "", IDC_SORT, 52, 8, 90, 60, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
     0},
    {"BUTTON", "显示照片", IDC_PHOTO, 7, 30, 100, 10, kCheck, 0},
};
const ResDialog kDialogs[] = {
    {IDD_PAGE_GENERAL, "常规", kPage, 0, 0, 0, 190, 80, 9, "宋体", kGeneralItems, 4},
    {IDD_PAGE_VIEW, "显示", kPage, 0, 0, 0, 190, 80, 9, "宋体", kViewItems, 3},
};

ResModule MakeModule() {
    ResModule m = TestResources(kStrings, 6, kMenus, 1);
    m.dialogs = kDialogs;
    m.dialogCount = 2;
    return m;
}
const ResModule kModule = MakeModule();

// The left pane: the groups of the address book.
class CGroupsView : public CTreeView {
    DECLARE_DYNCREATE(CGroupsView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        return CTreeView::PreCreateWindow(cs);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CTreeView::OnCreate(lpcs) == -1)
            return -1;
        CTreeCtrl& tree = GetTreeCtrl();
        HTREEITEM all = tree.InsertItem("全部联系人");
        for (const char* group : {"家人", "朋友", "同事"})
            tree.InsertItem(group, all);
        tree.Expand(all, TVE_EXPAND);
        tree.SelectItem(tree.GetChildItem(all));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CGroupsView, CTreeView)
BEGIN_MESSAGE_MAP(CGroupsView, CTreeView)
ON_WM_CREATE()
END_MESSAGE_MAP()

// The right pane: the contacts of the selected group, the second one selected.
class CContactsView : public CListView {
    DECLARE_DYNCREATE(CContactsView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
        return CListView::PreCreateWindow(cs);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CListView::OnCreate(lpcs) == -1)
            return -1;
        CListCtrl& list = GetListCtrl();
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        list.InsertColumn(0, "姓名", LVCFMT_LEFT, 80);
        list.InsertColumn(1, "手机", LVCFMT_LEFT, 120);
        list.InsertColumn(2, "单位", LVCFMT_LEFT, 140);
        static const char* const rows[][3] = {{"张三", "13900000001", "墨川公司"},
                                              {"李四", "13900000002", "墨川公司"},
                                              {"王五", "13700000003", "东城中学"},
                                              {"赵六", "13600000004", "西河医院"},
                                              {"钱七", "13500000005", ""}};
        for (int i = 0; i < 5; ++i) {
            list.InsertItem(i, rows[i][0]);
            list.SetItemText(i, 1, rows[i][1]);
            list.SetItemText(i, 2, rows[i][2]);
        }
        list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CContactsView, CListView)
BEGIN_MESSAGE_MAP(CContactsView, CListView)
ON_WM_CREATE()
END_MESSAGE_MAP()

class CDemoFrame : public CFrameWnd {
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    CSplitterWnd split;
    CImageList toolImages;

    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return split.CreateStatic(this, 1, 2) &&
               split.CreateView(0, 0, RUNTIME_CLASS(CGroupsView), CSize(160, 0), pContext) &&
               split.CreateView(0, 1, RUNTIME_CLASS(CContactsView), CSize(0, 0), pContext);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        static const UINT buttons[] = {ID_CONTACT_NEW, ID_CONTACT_EDIT, ID_CONTACT_DELETE,
                                       ID_SEPARATOR, ID_SEND_SMS};
        if (!toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) ||
            !toolBar.SetButtons(buttons, 5))
            return -1;
        toolBar.GetToolBarCtrl().SetImageList(&toolImages);
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_COUNT};
        if (!statusBar.Create(this) || !statusBar.SetIndicators(indicators, 2))
            return -1;
        statusBar.SetPaneText(0, "就绪");
        SetMenuOwnerDraw(GetMenu());
        RecalcLayout();
        return 0;
    }
    // Menu items are measured and drawn the program's way.
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) { MeasureOwnerDrawnMenuItem(this, mis); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) { DrawOwnerDrawnMenuItem(this, dis); }
    void OnNewContact() {}
    void OnUpdateEdit(CCmdUI* ui) { ui->Enable(TRUE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDemoFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_COMMAND(ID_CONTACT_NEW, &CDemoFrame::OnNewContact)
ON_COMMAND(ID_CONTACT_EDIT, &CDemoFrame::OnNewContact)
ON_COMMAND(ID_SEND_SMS, &CDemoFrame::OnNewContact)
END_MESSAGE_MAP()

class CGeneralPage : public CPropertyPage {
public:
    CGeneralPage() : CPropertyPage(IDD_PAGE_GENERAL) {}
    int m_autoSave = 1;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Check(pDX, IDC_AUTOSAVE, m_autoSave); }
};

class CViewPage : public CPropertyPage {
public:
    CViewPage() : CPropertyPage(IDD_PAGE_VIEW) {}
    BOOL OnInitDialog() override {
        auto* sort = static_cast<CComboBox*>(GetDlgItem(IDC_SORT));
        for (const char* s : {"按姓名", "按单位", "按生日"})
            sort->AddString(s);
        sort->SetCurSel(0);
        CheckDlgButton(IDC_PHOTO, 1);
        return CPropertyPage::OnInitDialog();
    }
};

const COLORREF kImageColours[] = {RGB(40, 150, 60), RGB(50, 100, 200), RGB(200, 60, 50),
                                  RGB(230, 160, 20)};

QImage Filled(COLORREF c) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    return img;
}

// Rounded squares of the image colours, one per command.
void FillImages(CImageList& list) {
    list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
    for (COLORREF c : kImageColours) {
        CBitmap bmp;
        bmp.AttachImageData(Filled(c));
        list.Add(&bmp, (CBitmap*)nullptr);
    }
}

class DemoFrameTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        GuiTest::SetUpTestSuite();
        AfxRegisterResources(&kModule);
    }
    CImageList menuImages;
    void SetUp() override {
        FillImages(menuImages);
        SetMenuImageList(&menuImages);
        const std::pair<UINT, int> images[] = {
            {ID_CONTACT_NEW, 0}, {ID_CONTACT_EDIT, 1}, {ID_CONTACT_DELETE, 2}, {ID_SEND_SMS, 3}};
        for (auto [id, index] : images)
            g_menuImageMap.SetAt(id, index);
    }
    void TearDown() override {
        SetMenuImageList(nullptr);
        g_menuImageMap.RemoveAll();
    }
};

} // namespace

TEST_F(DemoFrameTest, FrameWithBarsSplitterOwnerDrawnMenuAndASheet) {
    auto* frame = new CDemoFrame;
    FillImages(frame->toolImages);
    ASSERT_TRUE(frame->Create(nullptr, "墨川 - 通讯录", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 420),
                              nullptr, MAKEINTRESOURCE(IDR_DEMO)));
    frame->ShowWindow(SW_SHOW);
    frame->MoveWindow(0, 0, 640, 420);
    frame->RecalcLayout();
    Pump();

    // Bars take the edges, the two panes share what is left side by side.
    CRect client, bar = RectIn(&frame->toolBar, frame), status = RectIn(&frame->statusBar, frame);
    frame->GetClientRect(&client);
    CRect left = RectIn(frame->split.GetPane(0, 0), frame);
    CRect right = RectIn(frame->split.GetPane(0, 1), frame);
    EXPECT_EQ(client.bottom, status.bottom);
    CRect panes = RectIn(&frame->split, frame);
    EXPECT_EQ(bar.bottom, panes.top);
    EXPECT_EQ(status.top, panes.bottom);
    EXPECT_EQ(left.top, right.top);
    EXPECT_LT(left.right, right.left);

    // Every item of the menu is drawn by the program.
    CMenu* contacts = frame->GetMenu()->GetSubMenu(0);
    ASSERT_NE(nullptr, contacts);
    for (int pos = 0; pos < (int)contacts->GetMenuItemCount(); ++pos) {
        MENUITEMINFO mii{};
        mii.fMask = MIIM_FTYPE;
        ASSERT_TRUE(contacts->GetMenuItemInfo(pos, &mii, TRUE));
        EXPECT_TRUE(mii.fType & MFT_OWNERDRAW) << pos;
    }
    // The highlighted item's prompt shows in the status bar.
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_CONTACT_EDIT, MF_HILITE),
                       (LPARAM)contacts->m_hMenu);
    EXPECT_STREQ("修改选定的联系人", (LPCTSTR)frame->statusBar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0); // the menu closes
    QImage menu = AfxRenderPopupMenu(contacts->m_hMenu, frame, 1);
    ASSERT_FALSE(menu.isNull());
    EXPECT_EQ(QColor(40, 150, 60), menu.pixelColor(8, 10)); // the first item's image

    // The options sheet, modeless over the frame, on its second page.
    CGeneralPage general;
    CViewPage view;
    CPropertySheet sheet("选项", frame);
    sheet.m_psh.dwFlags &= ~PSH_HASHELP;
    sheet.AddPage(&general);
    sheet.AddPage(&view);
    ASSERT_TRUE(sheet.Create(frame));
    EXPECT_EQ(frame, sheet.GetOwner());
    ASSERT_TRUE(sheet.SetActivePage(1));
    general.SetModified();
    CRect sheetRect;
    sheet.GetWindowRect(&sheetRect);
    sheet.MoveWindow(client.right - sheetRect.Width() - 24, client.bottom - sheetRect.Height() - 40,
                     sheetRect.Width(), sheetRect.Height());
    Pump();

    // Two pictures: the frame with the sheet over it (with a caption strip, as pictures of
    // windows carry no frame of their own here), and the frame with its menu pulled down.
    QWidget* w = frame->GetWidget();
    QImage withSheet = w->grab().toImage();
    {
        QPainter p(&withSheet);
        QPoint origin = w->mapFromGlobal(sheet.GetWidget()->mapToGlobal(QPoint(0, 0)));
        QImage sheetImage = sheet.GetWidget()->grab().toImage();
        CString title;
        sheet.GetWindowText(title);
        QRect caption(origin.x(), origin.y() - 22, sheetImage.width(), 22);
        p.fillRect(caption, QColor(40, 80, 150));
        p.setPen(Qt::white);
        p.drawText(caption.adjusted(8, 0, 0, 0), Qt::AlignVCenter, AfxToQt(title));
        p.setPen(QColor(40, 80, 150));
        p.drawRect(caption.united(QRect(origin, sheetImage.size())).adjusted(-1, 0, 0, 0));
        p.drawImage(origin, sheetImage);
    }
    EXPECT_TRUE(withSheet.save(QString::fromStdString(ScreenPath("demo-frame")), "PNG"));
    sheet.ShowWindow(SW_HIDE);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_CONTACT_EDIT, MF_HILITE),
                       (LPARAM)contacts->m_hMenu);
    Pump();
    QImage withMenu = w->grab().toImage();
    {
        QPainter p(&withMenu);
        QPoint menuAt = frame->toolBar.GetWidget()->mapTo(w, QPoint(4, 0));
        p.setPen(QColor(90, 90, 90));
        p.drawRect(QRect(menuAt - QPoint(1, 1), menu.size() + QSize(1, 1)));
        p.drawImage(menuAt, menu);
    }
    EXPECT_TRUE(withMenu.save(QString::fromStdString(ScreenPath("demo-frame-menu")), "PNG"));

    sheet.DestroyWindow();
    frame->DestroyWindow();
}
