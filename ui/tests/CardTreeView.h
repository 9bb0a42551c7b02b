// The group tree of the view tests: a tree of card books over the record kinds of the core tests,
// a stand-in for the right-hand pane that keeps its calls, and the command-update probe.
#pragma once

#include "core/tests/GroupTestRecords.h"
#include "platform/gui/CmdTarget.h"
#include "ui/GroupTreeView.h"
#include "ui/tests/CmdUIProbe.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

enum { kTopImage, kFileImage, kFileOpenImage, kGroupImage, kGroupOpenImage, kCardImage,
       kCardSelImage, kLockImage, kKeyImage };

// A strip of plain pictures of side size (a multiple of 16): a book, files, folders, cards, then
// the lock and key overlays (overlay images 1 and 2).
inline void MakeCardImages(CImageList& list, int size) {
    const int f = size / 16;
    QImage strip(size * 9, size, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    const QColor colours[] = {QColor(40, 90, 200), QColor(230, 190, 60), QColor(240, 210, 90),
                              QColor(220, 140, 40), QColor(240, 170, 70), QColor(250, 250, 250),
                              QColor(180, 220, 250)};
    for (int i = 0; i < 7; ++i) {
        p.setPen(Qt::black);
        p.setBrush(colours[i]);
        p.drawRect(i * size + 2 * f, 3 * f, 11 * f, 10 * f);
    }
    p.setPen(QPen(QColor(200, 0, 0), 2 * f));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kLockImage * size + 8 * f, 9 * f, 6 * f, 5 * f);
    p.drawArc(kLockImage * size + 8 * f, 5 * f, 6 * f, 8 * f, 0, 180 * 16);
    p.setPen(QPen(QColor(0, 130, 0), 2 * f));
    p.drawEllipse(kKeyImage * size + 8 * f, 8 * f, 4 * f, 4 * f);
    p.drawLine(kKeyImage * size + 12 * f, 10 * f, kKeyImage * size + 15 * f, 10 * f);
    p.end();
    CBitmap bmp;
    bmp.AttachImageData(strip);
    list.Create(size, size, ILC_COLOR32 | ILC_MASK, 9, 0);
    list.Add(&bmp, RGB(255, 0, 255));
    list.SetOverlayImage(kLockImage, 1);
    list.SetOverlayImage(kKeyImage, 2);
}

// A tree of card books: the record kinds of the core tests.
class CCardTreeView : public CGroupTreeView {
    DECLARE_DYNCREATE(CCardTreeView)
public:
    CCardTreeView() {
        m_nViewNameId = 9001;
        m_nNewFileNameId = 9002;
        m_nNewGroupNameId = 9003;
        m_nNewContentNameId = 9004;
        m_nFileTypeId = 9005;
        m_nContextMenuId = 9100;
        m_nMenuPosContent = 0;
        m_nMenuPosGroup = 1;
        m_nMenuPosFile = 2;
        m_nMenuPosTop = 3;
        m_strExtension = "tcb";
        m_pGroupClass = RUNTIME_CLASS(CTestFolder);
        m_pContentClass = RUNTIME_CLASS(CTestCard);
        m_nTopImage = m_nTopSelImage = kTopImage;
        m_nFileImage = kFileImage;
        m_nFileExpandedImage = kFileOpenImage;
        m_nGroupImage = kGroupImage;
        m_nGroupExpandedImage = kGroupOpenImage;
        m_nContentImage = kCardImage;
        m_nContentSelImage = kCardSelImage;
        m_nGroupViewNumber = 2;
        m_nContentViewNumber = 3;
        m_nModuleKind = 7;
    }
    void InitView() override { MakeCardImages(m_imageList, 16); }
    CQuillmarBaseDoc* CreateDocument() override { return new CTestBookDoc; }
    CGroup* GetRootGroup(CQuillmarBaseDoc* pDoc) override {
        return pDoc != nullptr ? &static_cast<CTestBookDoc*>(pDoc)->m_root : nullptr;
    }
    CGroup* CreateGroupFor(CObject*) override { return new CTestFolder; }
    BOOL ShouldResortAfterEdit(CQuillmarBaseDoc*) override { return TRUE; }
};

// Stands in for the right-hand pane and keeps the calls.
class PaneRecorder : public CIRightPaneHost {
public:
    std::vector<std::string> calls;
    CView* current = nullptr;
    int CreateViews(DWORD_PTR key, CDocument*, int kind, CWnd*) override {
        return Add("create", (int)key, kind), 0;
    }
    BOOL DestroyViews(DWORD_PTR key, int kind, BOOL notify) override {
        return Add("destroy", (int)key, kind, notify), TRUE;
    }
    BOOL ShowView(int n, DWORD_PTR key, CDocument*, int kind, CWnd*) override {
        return Add("show", n, (int)key, kind), TRUE;
    }
    CWnd* GetView(int n, int kind) override { return Add("get", n, kind), nullptr; }
    CView* GetCurrentView() override { return current; }

private:
    void Add(const char* what, int a, int b, int c = -1) {
        std::string s = std::string(what) + " " + std::to_string(a) + " " + std::to_string(b);
        if (c >= 0)
            s += " " + std::to_string(c);
        calls.push_back(s);
    }
};
