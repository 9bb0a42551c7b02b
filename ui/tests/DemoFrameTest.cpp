// A main window put together from the pieces the program builds on: a frame with an owner-drawn
// menu, a tool bar, a status bar, a splitter of two views, and a property sheet over it. The
// picture it leaves shows them working together.
#include "platform/gui/tests/FrameTestSupport.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovMenu.h"

#include "platform/gui/ControlBar.h"
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

// Lines of text on a coloured ground, one of them highlighted (-1: none).
void DrawLines(CWnd* view, CDC* pDC, COLORREF ground, const char* const* lines, int count,
               int selected) {
    CRect rc;
    view->GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ground);
    pDC->SetBkMode(TRANSPARENT);
    for (int i = 0; i < count; ++i) {
        CRect row(rc.left, 6 + i * 22, rc.right, 6 + (i + 1) * 22);
        if (i == selected)
            pDC->FillSolidRect(&row, RGB(200, 220, 255));
        pDC->TextOut(row.left + 10, row.top + 4, lines[i]);
    }
}

// The left pane: the contacts, the second one selected.
class CNamesView : public CView {
    DECLARE_DYNCREATE(CNamesView)
public:
    void OnDraw(CDC* pDC) override {
        static const char* const names[] = {"张三", "李四", "王五", "赵六", "钱七"};
        DrawLines(this, pDC, RGB(255, 255, 255), names, 5, 1);
    }
};
IMPLEMENT_DYNCREATE(CNamesView, CView)

// The right pane: the details of the selected contact.
class CDetailView : public CView {
    DECLARE_DYNCREATE(CDetailView)
public:
    void OnDraw(CDC* pDC) override {
        static const char* const lines[] = {"姓名: 李四", "手机: 13900000000", "单位: 墨川公司",
                                            "生日: 1980年5月1日"};
        DrawLines(this, pDC, RGB(255, 252, 235), lines, 4, -1);
    }
};
IMPLEMENT_DYNCREATE(CDetailView, CView)

class CDemoFrame : public CFrameWnd {
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    CSplitterWnd split;
    CImageList toolImages;

    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return split.CreateStatic(this, 1, 2) &&
               split.CreateView(0, 0, RUNTIME_CLASS(CNamesView), CSize(160, 0), pContext) &&
               split.CreateView(0, 1, RUNTIME_CLASS(CDetailView), CSize(0, 0), pContext);
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
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) {
        int pos;
        BOOL bar, sub;
        if (HMENU h = LocateMenuItem(mis->itemID, (HMENU)mis->itemData, &pos, &bar, &sub, this))
            MeasureMenuItem(CMenu::FromHandle(h), pos, bar, mis);
    }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
        int pos;
        BOOL bar, sub;
        if (HMENU h = LocateMenuItem(dis->itemID, (HMENU)dis->itemData, &pos, &bar, &sub, this))
            DrawMenuItem(CMenu::FromHandle(h), pos, bar, sub, dis);
    }
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
