// A group tree view in a visible frame, for the tree tests: the frame, the view joined to a
// stand-in right pane, the stand-in user of ScriptedUserTest, and the few reads and commands every
// tree test uses. Frame may be a frame of the test's own that stands in for the main window.
#pragma once

#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Frame.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/GroupTreeView.h"
#include "ui/tests/CmdUIProbe.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>

#include <functional>
#include <string>
#include <vector>

// A visible frame of width by height at the screen's corner; null when it could not be made.
template <class Frame = CFrameWnd>
Frame* NewTestFrame(int width, int height, const char* title = "frame") {
    auto* frame = new Frame;
    if (!frame->Create(nullptr, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                       CRect(0, 0, width, height)))
        return nullptr;
    return frame;
}

// A group tree view as frame's first pane in rc, telling pane (may be null) what to show, its
// initial update done; null when it could not be made.
template <class View> View* NewTestTree(CFrameWnd* frame, CIRightPaneHost* pane, const CRect& rc) {
    auto* view = new View;
    view->m_pRightPane = pane;
    if (!view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, frame, AFX_IDW_PANE_FIRST, nullptr))
        return nullptr;
    view->OnInitialUpdate();
    return view;
}

template <class View, class Frame = CFrameWnd>
class TreeViewFixture : public ScriptedUserTest {
protected:
    Frame* frame = nullptr;
    View* view = nullptr;

    // A visible frame of width by height at the screen's corner.
    void OpenFrame(int width, int height) {
        ASSERT_NE(frame = NewTestFrame<Frame>(width, height), nullptr);
    }
    // The tree as the frame's pane, width by height, telling pane (may be null) what to show.
    void OpenTree(CIRightPaneHost* pane, int width, int height) {
        ASSERT_NE(view = NewTestTree<View>(frame, pane, CRect(0, 0, width, height)), nullptr);
    }
    // The stand-in user answering IDNO, the frame, then the tree 20 pixels shorter than it.
    void OpenFrameAndTree(CIRightPaneHost* pane, int width, int height) {
        InstallScriptedUser(IDNO);
        ASSERT_NO_FATAL_FAILURE(OpenFrame(width, height));
        ASSERT_NO_FATAL_FAILURE(OpenTree(pane, width, height - 20));
    }
    void TearDown() override {
        ForgetScript();
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        RemoveScriptedUser();
    }

    CTreeCtrl& Tree() { return view->GetTreeCtrl(); }
    BOOL Run(UINT id) { return view->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
    TestCmdUI Update(UINT id) { return UpdateOf(view, id); }
    void FocusTree() {
        frame->SetForegroundWindow();
        Tree().SetFocus();
        ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &Tree(); }));
    }
    // The texts of parent's children, in the tree's order.
    std::vector<std::string> Texts(HTREEITEM parent) {
        std::vector<std::string> out;
        for (HTREEITEM h = Tree().GetChildItem(parent); h; h = Tree().GetNextSiblingItem(h))
            out.push_back(Tree().GetItemText(h).GetString());
        return out;
    }
    CString FrameTitle() {
        CString s;
        frame->GetWindowText(s);
        return s;
    }
    // Saves build/screens/<name>.png: the frame's client area under a drawn caption that shows the
    // frame's title, with popup (when given) drawn over it at the point at of the client area.
    void Screenshot(const char* name, const QImage* popup = nullptr, QPoint at = QPoint()) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        Pump();
        QImage body = frame->GetWidget()->grab().toImage();
        QImage img(body.width(), body.height() + 22, QImage::Format_ARGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        QRect caption(0, 0, img.width(), 22);
        p.fillRect(caption, QColor(40, 80, 150));
        p.setPen(Qt::white);
        p.drawText(caption.adjusted(8, 0, 0, 0), Qt::AlignVCenter, AfxToQt(FrameTitle()));
        p.drawImage(0, 22, body);
        if (popup != nullptr) {
            QPoint where = at + QPoint(0, 22);
            p.setPen(QColor(90, 90, 90));
            p.drawRect(QRect(where - QPoint(1, 1), popup->size() + QSize(1, 1)));
            p.drawImage(where, *popup);
        }
        p.end();
        EXPECT_TRUE(img.save(QString::fromStdString(ScreenPath(name)), "PNG"));
    }
    // A file dialog answers with the paths; any other dialog goes to next (or is cancelled).
    void AnswerFiles(std::vector<CString> paths, std::function<void(CDialog&)> next = nullptr) {
        onDialog = [paths, next](CDialog& d) {
            if (auto* f = dynamic_cast<CFileDialog*>(&d)) {
                CStringArray a;
                for (const CString& p : paths)
                    a.Add(p);
                f->Answer(a);
                f->EndDialog(IDOK);
            } else if (next) {
                next(d);
            } else {
                d.EndDialog(IDCANCEL);
            }
        };
    }
};
