#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/HyperLink.h"

#include "platform/base/Profile.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class HyperLinkTest : public GuiTest {
protected:
    CWnd parent;
    std::vector<std::string> opened, started;
    std::vector<std::string> boxes;
    std::vector<UINT> boxTypes;
    bool openAnswer = true;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "about", WS_OVERLAPPEDWINDOW, 0, 0, 300, 120,
                                    nullptr, nullptr));
        AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return openAnswer;
        });
        AfxSetShellExecHook([this](const std::string& program, const std::vector<std::string>& a) {
            std::string line = program;
            for (const std::string& s : a)
                line += "|" + s;
            started.push_back(line);
            return true;
        });
        AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            boxes.push_back((LPCTSTR)call.text);
            boxTypes.push_back(call.type);
            return IDOK;
        });
    }
    void TearDown() override {
        AfxSetShellOpenHook(nullptr);
        AfxSetShellExecHook(nullptr);
        AfxSetMessageBoxHook(nullptr);
        parent.DestroyWindow();
    }
    // A static of a dialog taken over by the link.
    void Attach(CHyperLink& link, LPCTSTR text, DWORD style, CRect rc, UINT id = 100) {
        auto* placeholder = new CStatic; // goes once the link takes its window over
        placeholder->m_bTemplateItem = true;
        ASSERT_TRUE(placeholder->Create(text, WS_CHILD | WS_VISIBLE | style, rc, &parent, id));
        ASSERT_TRUE(link.SubclassDlgItem(id, &parent));
    }
    CRect RectInParent(CWnd& w) {
        CRect r;
        w.GetWindowRect(&r);
        parent.ScreenToClient(&r);
        return r;
    }
};

TEST_F(HyperLinkTest, TextWithoutAddressBecomesTheAddressAndItsTip) {
    CHyperLink link;
    Attach(link, "http://example.com/", SS_LEFT, CRect(10, 10, 250, 40));
    EXPECT_STREQ("http://example.com/", (LPCTSTR)link.GetLinkUrl());
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    CRect r = RectInParent(link);
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(10, r.top);
    // Fitted to the text in the link font, which still shows it on one line.
    CSize extent;
    {
        CClientDC dc(&link);
        CFont* old = dc.SelectObject(link.GetFont());
        extent = dc.GetTextExtent("http://example.com/");
        dc.SelectObject(old);
    }
    EXPECT_EQ(extent.cy, r.Height());
    EXPECT_GE(r.Width(), extent.cx);
    EXPECT_LE(r.Width(), extent.cx + 3);
    auto* label = qobject_cast<QLabel*>(link.GetWidget());
    ASSERT_NE(label, nullptr);
    EXPECT_LT(label->heightForWidth(r.Width()), 2 * r.Height()) << "the text is not wrapped";
    link.SetLinkUrl("https://example.org/");
    EXPECT_STREQ("https://example.org/", (LPCTSTR)link.GetLinkUrl());
}

TEST_F(HyperLinkTest, RightAlignedTextKeepsItsRightEdge) {
    CHyperLink link;
    Attach(link, "mailto:a@example.com", SS_RIGHT, CRect(10, 10, 250, 40));
    CRect r = RectInParent(link);
    EXPECT_EQ(250, r.right);
    EXPECT_GT(r.left, 10);
}

TEST_F(HyperLinkTest, ClickOpensAndMarksVisitedOrTellsWhyNot) {
    CHyperLink link;
    Attach(link, "http://example.com/", SS_LEFT, CRect(10, 10, 250, 40));
    EXPECT_EQ(link.m_crLinkColour, link.CurrentColour());
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(100, STN_CLICKED), (LPARAM)link.m_hWnd);
    EXPECT_EQ(std::vector<std::string>{"http://example.com/"}, opened);
    EXPECT_TRUE(link.GetVisited());
    EXPECT_EQ(link.m_crVisitedColour, link.CurrentColour());
    EXPECT_TRUE(boxes.empty());

    CHyperLink bad;
    bad.SetLinkUrl("javascript:alert(1)");
    Attach(bad, "点这里", SS_LEFT, CRect(10, 50, 250, 80), 101);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(101, STN_CLICKED), (LPARAM)bad.m_hWnd);
    EXPECT_FALSE(bad.GetVisited());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.",
              boxes[0]);
    EXPECT_TRUE(started.empty()); // a refused address never reaches a program
    EXPECT_TRUE(boxTypes[0] & MB_ICONEXCLAMATION);
}

TEST_F(HyperLinkTest, OpenErrorBoxNamesTheCode) {
    const std::pair<INT_PTR, const char*> rows[] = {
        {0, "The operating system is out\nof memory or resources."},
        {26, "A sharing violation occurred. "},
        {32, "The specified dynamic-link library was not found."},
        {99, "Unknown Error (99) occurred."},
    };
    for (auto [code, text] : rows) {
        boxes.clear();
        CHyperLink::ShowOpenError(code);
        ASSERT_EQ(1u, boxes.size()) << code;
        EXPECT_EQ(std::string("Unable to open hyperlink:\n\n") + text, boxes[0]);
        EXPECT_TRUE(boxTypes.back() & MB_ICONEXCLAMATION);
    }
}

TEST_F(HyperLinkTest, FallsBackToTheRegisteredPageProgramWithTheAddressQuoted) {
    RegSetValue(HKEY_CLASSES_ROOT, ".htm", REG_SZ, "htmlfile", 8);
    const char* cmd = "\"/opt/browser\" -nohome \"%1\"";
    RegSetValue(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", REG_SZ, cmd,
                (DWORD)strlen(cmd));
    openAnswer = false;
    EXPECT_GT(CHyperLink::OpenLink("http://example.com/a b\"c", SW_SHOW), 32);
    EXPECT_EQ(std::vector<std::string>{"/opt/browser|-nohome|http://example.com/a b%22c"}, started);
    RegDeleteTree(HKEY_CLASSES_ROOT, "htmlfile");
    RegDeleteTree(HKEY_CLASSES_ROOT, ".htm");
}

TEST_F(HyperLinkTest, HoverColourFollowsThePointerThroughTheCapture) {
    CHyperLink link;
    Attach(link, "http://example.com/", SS_LEFT, CRect(10, 10, 250, 40));
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(link.IsOver());
    EXPECT_EQ(&link, CWnd::GetCapture());
    EXPECT_EQ(link.m_crHoverColour, link.CurrentColour());
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(500, 2));
    EXPECT_FALSE(link.IsOver());
    EXPECT_NE(&link, CWnd::GetCapture());
    parent.ShowWindow(SW_SHOW);
    Pump();
    EXPECT_TRUE(parent.SaveScreenshot(ScreenPath("hyperlink").c_str()));
}

} // namespace
