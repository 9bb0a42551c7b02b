// Times the owner-drawn list on a long list: 10 000 rows by 5 columns, a block of 1 000 rows moved
// down by 500 and a text found in the last cell. Prints each step; the target is the block moved
// in under one second (in an optimized build; a sanitized debug build is ten times slower).
#include "ui/bench/GuiBench.h"
#include "ui/KovListCtrl.h"

int main() {
    StartGuiBenchmark();
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP, CRect(0, 0, 600, 400), nullptr, 0);
    CKovListCtrl list;
    list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 0, 600, 400),
                &host, 1);
    const int kRows = 10000, kColumns = 5;
    for (int c = 0; c < kColumns; ++c) {
        CString head;
        head.Format("第%d列", c + 1);
        list.InsertColumn(c, head, LVCFMT_LEFT, 100);
    }
    auto t = std::chrono::steady_clock::now();
    CString text;
    for (int r = 0; r < kRows; ++r) {
        text.Format("联系人%05d", r);
        list.InsertItem(r, text);
        for (int c = 1; c < kColumns; ++c) {
            text.Format("字段%d-%05d", c, r);
            list.SetItemText(r, c, text);
        }
    }
    list.SetItemText(kRows - 1, kColumns - 1, "最后一格");
    std::printf("fill %d rows x %d columns: %.3f s\n", kRows, kColumns, Seconds(t));

    CList<UINT> block;
    for (int r = 2000; r < 3000; ++r)
        block.AddTail((UINT)r);
    t = std::chrono::steady_clock::now();
    list.MoveItemsBy(block, 500);
    std::printf("move 1000 rows by 500:    %.3f s (target < 1 s), first now at row %d\n",
                Seconds(t), list.FindItemByText("联系人02000", FALSE));

    int row = -1, column = 0;
    t = std::chrono::steady_clock::now();
    BOOL found = FindListText(list, "最后一格", row, column, TRUE, FALSE);
    std::printf("find in the last cell:    %.3f s, %s at row %d column %d\n", Seconds(t),
                found ? "found" : "not found", row, column);
    row = -1;
    t = std::chrono::steady_clock::now();
    found = FindListText(list, "最后一格", row, column, FALSE, FALSE);
    std::printf("find it searching back:   %.3f s, %s at row %d column %d\n", Seconds(t),
                found ? "found" : "not found", row, column);
    list.DestroyWindow();
    host.DestroyWindow();
    return 0;
}
