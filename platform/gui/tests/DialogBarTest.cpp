#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/gui/DialogBar.h"

#include <QTest>
#include <vector>

namespace {

enum { IDD_HEADER = 7410, IDC_TO = 7411, IDC_CC, IDC_SUBJECT };

// A frame with a header bar built from a template on the edge it is told, and a pane.
class CMailFrame : public CFrameWnd {
public:
    static UINT s_edge;
    CDialogBar bar;
    CWnd pane;
    std::vector<UINT> commands;
    BOOL ccEnabled = FALSE;

    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        if (!bar.Create(this, IDD_HEADER, WS_VISIBLE | s_edge, AFX_IDW_DIALOGBAR))
            return -1;
        if (!pane.CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this,
                           AFX_IDW_PANE_FIRST))
            return -1;
        return 0;
    }
    void OnTo() { commands.push_back(IDC_TO); }
    void OnUpdateCc(CCmdUI* ui) { ui->Enable(ccEnabled); }
    DECLARE_MESSAGE_MAP()
};
UINT CMailFrame::s_edge = CBRS_TOP;
BEGIN_MESSAGE_MAP(CMailFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(IDC_TO, &CMailFrame::OnTo)
ON_UPDATE_COMMAND_UI(IDC_CC, &CMailFrame::OnUpdateCc)
END_MESSAGE_MAP()

class DialogBarTest : public GuiTest {
protected:
    CMailFrame* frame = nullptr;
    void Open(UINT edge) {
        CMailFrame::s_edge = edge;
        frame = new CMailFrame;
        ASSERT_TRUE(frame->Create(nullptr, "邮件", WS_OVERLAPPEDWINDOW, CRect(0, 0, 600, 400)));
        frame->ShowWindow(SW_SHOW);
        frame->MoveWindow(0, 0, 600, 400);
        frame->RecalcLayout();
    }
    void TearDown() override {
        if (frame && IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
    }
};

TEST_F(DialogBarTest, TheBarKeepsTheTemplatesDepthOnTheEdgeItIsGiven) {
    struct Case {
        UINT edge;
        const char* name;
    };
    const Case cases[] = {
        {CBRS_TOP, "top"}, {CBRS_BOTTOM, "bottom"}, {CBRS_LEFT, "left"}, {CBRS_RIGHT, "right"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.edge);
        CSize size = frame->bar.m_sizeDefault;
        EXPECT_GT(size.cx, 0);
        EXPECT_GT(size.cy, 0);
        CRect client;
        frame->GetLayoutRect(&client);
        CRect want = client, rest = client;
        switch (c.edge) {
        case CBRS_TOP:
            want.bottom = rest.top = client.top + size.cy;
            break;
        case CBRS_BOTTOM:
            want.top = rest.bottom = client.bottom - size.cy;
            break;
        case CBRS_LEFT:
            want.right = rest.left = client.left + size.cx;
            break;
        default:
            want.left = rest.right = client.right - size.cx;
            break;
        }
        EXPECT_EQ(RectIn(&frame->bar, frame), want);
        EXPECT_EQ(RectIn(&frame->pane, frame), rest);
        if (c.edge == CBRS_TOP) {
            Pump();
            ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("dialog-bar-top").c_str()));
        }
        frame->DestroyWindow(); // the frame deletes itself
        frame = nullptr;
    }
}

TEST_F(DialogBarTest, ButtonsCommandTheFrameAndFollowItsUpdates) {
    Open(CBRS_TOP);
    CWnd* to = frame->bar.GetDlgItem(IDC_TO);
    ASSERT_NE(to, nullptr);
    QTest::mouseClick(to->GetWidget(), Qt::LeftButton);
    EXPECT_EQ(frame->commands, std::vector<UINT>{IDC_TO});

    frame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(to->IsWindowEnabled()) << "the frame handles it";
    EXPECT_FALSE(frame->bar.GetDlgItem(IDC_CC)->IsWindowEnabled()) << "its update says so";
    EXPECT_TRUE(frame->bar.GetDlgItem(IDC_SUBJECT)->IsWindowEnabled())
        << "a field stays usable without a command";
    frame->ccEnabled = TRUE;
    frame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(frame->bar.GetDlgItem(IDC_CC)->IsWindowEnabled());
}

TEST_F(DialogBarTest, AMissingTemplateMakesNoBar) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    CDialogBar bar;
    EXPECT_FALSE(bar.Create(&parent, 7499, CBRS_TOP, AFX_IDW_DIALOGBAR));
    EXPECT_EQ(bar.m_hWnd, nullptr);
    EXPECT_FALSE(bar.Create(nullptr, IDD_HEADER, CBRS_TOP, AFX_IDW_DIALOGBAR));
}

} // namespace
