// Times the group tree on a large card book: 50 000 cards in 500 folders, one folder holding
// 5 000 of them. Prints each step; the target is every item built in under one second.
#include "core/tests/GroupTestRecords.h"
#include "ui/bench/GuiBench.h"
#include "ui/GroupHelper.h"

int main() {
    StartGuiBenchmark();
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP, CRect(0, 0, 300, 600), nullptr, 0);
    CTreeCtrl tree;
    tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS, CRect(0, 0, 300, 600), &host,
                1);
    CGroupHelper helper;
    helper.Attach(&tree);
    helper.SetRuntimeClasses(RUNTIME_CLASS(CTestFolder), RUNTIME_CLASS(CTestCard));

    auto* root = new CTestFolder("大卡片簿");
    CTestFolder* big = nullptr;
    CString name;
    for (int f = 0; f < 500; ++f) {
        name.Format("文件夹%03d", f);
        auto* folder = new CTestFolder(name);
        root->AddSubgroup(folder, FALSE);
        int cards = f == 0 ? 5000 : 45000 / 499 + (f <= 45000 % 499 ? 1 : 0);
        for (int c = 0; c < cards; ++c) {
            // The big folder's cards come in reverse order, so a re-sort has work to do.
            name.Format("卡片%05d", f == 0 ? cards - c : c);
            folder->AddContent(new CTestCard(name), FALSE);
        }
        if (f == 0)
            big = folder;
    }
    std::printf("cards: %d in %d folders\n", root->GetContentCount(TRUE, TRUE),
                root->GetSubgroupCount());

    auto t = std::chrono::steady_clock::now();
    HTREEITEM hRoot = helper.InsertGroupItem(TVI_ROOT, root, TVI_LAST, 3);
    std::printf("build every item:        %.3f s (target < 1 s), %u items\n", Seconds(t),
                tree.GetCount());

    tree.Expand(hRoot, TVE_EXPAND);
    tree.Expand((HTREEITEM)big->GetTreeItem(), TVE_EXPAND);
    t = std::chrono::steady_clock::now();
    int moved = helper.ResortContents(big);
    std::printf("re-sort 5 000 cards:     %.3f s, %d put back\n", Seconds(t), moved);

    t = std::chrono::steady_clock::now();
    helper.CollapseAll(hRoot);
    std::printf("collapse all:            %.3f s\n", Seconds(t));

    t = std::chrono::steady_clock::now();
    helper.RemoveItemOnly(hRoot);
    delete root;
    std::printf("close the file:          %.3f s\n", Seconds(t));
    tree.DestroyWindow();
    host.DestroyWindow();
    return 0;
}
