// Times the list views on large contents: a folder of 10 000 cards listed by the group list view
// (target: under 300 ms per fill), and a content view of 10 000 items painted (target: under
// 16 ms a paint) and scrolled row by row. Prints each step. An optional argument replaces the
// 10 000. The figures of a sanitized debug build are several times those of a release build.
#include "core/tests/GroupTestRecords.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WndPrivate.h"
#include "ui/ContentView.h"
#include "ui/GroupListView.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double Millis(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

// Lists one folder, with no tree beside it.
class CFolderListView : public CGroupListView {
public:
    CGroup* m_pFolder = nullptr;
    CGroup* GetGroup() override { return m_pFolder; }
    void InitView() override {
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(QColor(220, 140, 40));
        CBitmap big, small;
        big.AttachImageData(picture);
        small.AttachImageData(picture.scaled(16, 16));
        m_normalImages.Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
        m_normalImages.Add(&big, RGB(255, 0, 255));
        m_smallImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
        m_smallImages.Add(&small, RGB(255, 0, 255));
        GetListCtrl().InsertColumn(0, "名称", LVCFMT_LEFT, 200);
    }
};

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    AfxEnsureGuiApp();
    auto* frame = new CFrameWnd;
    frame->Create(nullptr, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 640, 480));
    frame->ShowWindow(SW_SHOW);

    CTestFolder folder("大文件夹");
    CString name;
    for (int i = 0; i < count; ++i) {
        name.Format("卡片%05d", i);
        folder.AddContent(new CTestCard(name), FALSE);
    }
    auto* list = new CFolderListView;
    list->m_nContentImage = 0;
    list->GetBkManager().SetSection("Bkground\\BenchList");
    list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 460), frame,
                 AFX_IDW_PANE_FIRST, nullptr);
    list->OnInitialUpdate();
    list->m_pFolder = &folder;
    struct Mode {
        UINT id;
        const char* name;
    } modes[] = {{CGroupListView::ID_VIEW_LARGEICON, "large icons"},
                 {CGroupListView::ID_VIEW_SMALLICON, "small icons"},
                 {CGroupListView::ID_VIEW_LIST, "list"},
                 {CGroupListView::ID_VIEW_DETAILS, "details"}};
    for (const Mode& m : modes) {
        list->OnCmdMsg(m.id, CN_COMMAND, nullptr, nullptr);
        auto t = std::chrono::steady_clock::now();
        list->OnUpdate(nullptr, 0, nullptr);
        double fill = Millis(t);
        std::printf("list 10 000 cards, %-11s %7.1f ms (target < 300 ms), %d rows\n", m.name,
                    fill, list->GetListCtrl().GetItemCount());
    }
    list->DestroyWindow();

    CImageList icons, rows;
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(QColor(120, 200, 120));
    CBitmap big, small;
    big.AttachImageData(picture);
    small.AttachImageData(picture.scaled(16, 16));
    icons.Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
    icons.Add(&big, RGB(255, 0, 255));
    rows.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
    rows.Add(&small, RGB(255, 0, 255));
    auto* view = new CContentView; // deletes itself with its window
    view->Create(WS_CHILD | WS_VISIBLE, CRect(400, 0, 560, 460), frame, 2);
    view->SetImageList(&rows, 0);
    view->SetImageList(&icons, 1);
    auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        name.Format("联系人%05d", i);
        view->AddItem(0, 0, name, nullptr);
    }
    std::printf("content view: 10 000 items added in %.1f ms\n", Millis(t));
    QCoreApplication::processEvents();
    for (BOOL icon : {TRUE, FALSE}) {
        view->SetIconLayout(icon);
        view->UpdateWindow();
        const int paints = 50;
        t = std::chrono::steady_clock::now();
        // repaint() paints at once, as the screen would ask for it.
        for (int i = 0; i < paints; ++i) {
            view->Invalidate(FALSE);
            view->GetWidget()->repaint();
        }
        std::printf("content view, %s layout: a paint %.2f ms (target < 16 ms)\n",
                    icon ? "icon" : "row ", Millis(t) / paints);
        const int steps = 500;
        t = std::chrono::steady_clock::now();
        for (int i = 0; i < steps; ++i) {
            view->ScrollLines(1, TRUE, TRUE);
            view->GetWidget()->repaint();
        }
        std::printf("content view, %s layout: a row scrolled and painted %.2f ms, first "
                    "visible %d\n",
                    icon ? "icon" : "row ", Millis(t) / steps, view->GetFirstVisible());
        view->ScrollLines(steps, FALSE, FALSE);
    }
    frame->DestroyWindow();
    return 0;
}
