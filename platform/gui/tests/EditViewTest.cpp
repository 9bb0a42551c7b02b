#include "GuiTestSupport.h"

#include "platform/gui/EditView.h"
#include "platform/gui/Frame.h"

#include <QInputMethodEvent>
#include <QTest>

namespace {

class EditViewTest : public GuiTest {};

struct Framed {
    CDocument doc;
    CFrameWnd* frame = new CFrameWnd;
    CEditView* view = nullptr;
    Framed() {
        doc.m_bAutoDelete = FALSE;
        CCreateContext ctx;
        ctx.m_pCurrentDoc = &doc;
        ctx.m_pNewViewClass = RUNTIME_CLASS(CEditView);
        if (frame->Create(nullptr, "正文", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr,
                          nullptr, 0, &ctx)) {
            view = dynamic_cast<CEditView*>(frame->GetDlgItem(AFX_IDW_PANE_FIRST));
            frame->InitialUpdateFrame(&doc, TRUE);
        }
    }
    ~Framed() {
        if (frame->GetSafeHwnd())
            frame->DestroyWindow();
    }
    BOOL Enabled(UINT nID) {
        struct Probe : CCmdUI {
            BOOL on = FALSE;
            void Enable(BOOL b) override { on = b; }
        } probe;
        probe.m_nID = nID;
        probe.DoUpdate(frame, FALSE);
        return probe.on;
    }
};

TEST_F(EditViewTest, TypedTextIsTheViewsAndTheEditCommandsWorkOnIt) {
    Framed f;
    ASSERT_NE(nullptr, f.view);
    CEdit& edit = f.view->GetEditCtrl();
    EXPECT_TRUE(edit.GetStyle() & ES_MULTILINE);
    f.frame->SetActiveView(f.view);
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &edit; }));
    QInputMethodEvent commit; // Chinese comes from the input method
    commit.setCommitString(QString::fromUtf8(u8"第一行"));
    QApplication::sendEvent(edit.GetWidget(), &commit);
    QTest::keyClick(edit.GetWidget(), Qt::Key_Return);
    QTest::keyClicks(edit.GetWidget(), "ab");
    CString text;
    f.view->GetWindowText(text);
    EXPECT_STREQ("第一行\r\nab", (LPCTSTR)text);
    // The length counts the stored bytes: two per Chinese character, two for the line break.
    EXPECT_EQ(6u + 2u + 2u, f.view->GetBufferLength());

    EXPECT_TRUE(f.Enabled(ID_EDIT_SELECT_ALL));
    EXPECT_FALSE(f.Enabled(ID_EDIT_CUT));
    f.frame->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
    EXPECT_TRUE(f.Enabled(ID_EDIT_CUT));
    f.frame->SendMessage(WM_COMMAND, ID_EDIT_CUT, 0);
    EXPECT_EQ(0u, f.view->GetBufferLength());
    EXPECT_FALSE(f.Enabled(ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(f.Enabled(ID_EDIT_PASTE));
    f.frame->SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
    f.frame->SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
    f.view->GetWindowText(text);
    EXPECT_STREQ("第一行\r\nab第一行\r\nab", (LPCTSTR)text);
    EXPECT_TRUE(f.Enabled(ID_EDIT_UNDO));
}

TEST_F(EditViewTest, TextSetByCodeIsShownAndTheViewFillsTheFrame) {
    Framed f;
    ASSERT_NE(nullptr, f.view);
    f.view->SetWindowText("主题\r\n正文");
    CString text;
    f.view->GetEditCtrl().GetWindowText(text);
    EXPECT_STREQ("主题\r\n正文", (LPCTSTR)text);
    CRect frameClient, viewRect;
    f.frame->GetClientRect(&frameClient);
    f.view->GetEditCtrl().GetWindowRect(&viewRect);
    f.frame->ScreenToClient(&viewRect);
    EXPECT_GE(viewRect.Width(), frameClient.Width() - 4);
}

} // namespace
