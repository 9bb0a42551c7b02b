#include "platform/gui/Dialog.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovListCtrl.h"

#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kDialog = 8250;
constexpr UINT kList = 8251;

// A list whose column buffer can be made to run out of memory on a chosen move.
class ShortOfMemoryList : public CKovListCtrl {
public:
    int allocations = 0;
    int failAt = -1; // the allocation (counted from 0) that fails
protected:
    BOOL AllocateColumns(std::vector<LVITEM>& items, int columns) override {
        if (allocations++ == failAt)
            return FALSE;
        return CKovListCtrl::AllocateColumns(items, columns);
    }
};

// The dialog of an option page: takes the template's list over and keeps what it is told.
class ListDialog : public CDialog {
public:
    explicit ListDialog(CKovListCtrl& list) : CDialog(kDialog), m_list(list) {}
    CKovListCtrl& m_list;
    std::vector<std::pair<WPARAM, LPARAM>> moved;
    int cancels = 0;

    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, kList, m_list);
    }
    void OnCancel() override { ++cancels; }
    LRESULT OnRowMoved(WPARAM wParam, LPARAM lParam) {
        moved.push_back({wParam, lParam});
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ListDialog, CDialog)
ON_MESSAGE(WM_LIST_ROW_MOVED, &ListDialog::OnRowMoved)
END_MESSAGE_MAP()

const char* const kNames[] = {"张三", "李四", "王五", "赵六", "钱七", "孙八"};

class KovListCtrlTest : public GuiTest {
protected:
    std::unique_ptr<ShortOfMemoryList> list;
    std::unique_ptr<ListDialog> dlg;
    std::vector<std::string> boxes;

    void SetUp() override {
        AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            boxes.push_back((LPCTSTR)call.text);
            return IDOK;
        });
        Build();
    }
    // A fresh dialog and list with six people.
    void Build() {
        if (dlg)
            dlg->DestroyWindow();
        dlg.reset();
        list = std::make_unique<ShortOfMemoryList>();
        dlg = std::make_unique<ListDialog>(*list);
        ASSERT_TRUE(dlg->Create(kDialog));
        ASSERT_EQ(CWnd::FromHandlePermanent(list->m_hWnd), list.get());
        list->InsertColumn(0, "姓名", LVCFMT_LEFT, 120);
        list->InsertColumn(1, "电话", LVCFMT_LEFT, 120);
        list->InsertColumn(2, "备注", LVCFMT_LEFT, 100);
        for (int i = 0; i < 6; ++i) {
            list->InsertItem(LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE, i, kNames[i], 0, 0, i % 3,
                             100 + i);
            CString phone;
            phone.Format("1390000%04d", i);
            list->SetItemText(i, 1, phone);
            list->SetItemText(i, 2, i % 2 ? "同事" : "朋友");
        }
        dlg->moved.clear();
    }
    void TearDown() override {
        ReleaseCapture();
        dlg->DestroyWindow();
        dlg.reset();
        list.reset();
        AfxSetMessageBoxHook(nullptr);
    }

    std::string Names() {
        std::string out;
        for (int i = 0; i < list->GetItemCount(); ++i)
            out += std::string(out.empty() ? "" : " ") + (LPCTSTR)list->GetItemText(i, 0);
        return out;
    }
    // Every row still carries its own phone, note, data and image.
    void ExpectRowsWhole() {
        for (int i = 0; i < list->GetItemCount(); ++i) {
            int n = (int)list->GetItemData(i) - 100;
            ASSERT_GE(n, 0);
            ASSERT_LT(n, 6);
            EXPECT_EQ(list->GetItemText(i, 0), CString(kNames[n]));
            CString phone;
            phone.Format("1390000%04d", n);
            EXPECT_EQ(list->GetItemText(i, 1), phone);
            EXPECT_EQ(list->GetItemText(i, 2), CString(n % 2 ? "同事" : "朋友"));
            LVITEM it{};
            it.mask = LVIF_IMAGE;
            it.iItem = i;
            list->GetItem(&it);
            EXPECT_EQ(it.iImage, n % 3) << i;
        }
    }
    void Select(std::initializer_list<int> rows) {
        list->SetItemState(-1, 0, LVIS_SELECTED);
        for (int r : rows)
            list->SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    CPoint RowPoint(int row) {
        CRect r;
        list->GetItemRect(row, &r, LVIR_BOUNDS);
        return CPoint(r.left + 30, r.CenterPoint().y);
    }
    // Mouse input through the window layer, as a user's reaches the list->
    void Mouse(QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
        QWidget* w = list->GetWidget();
        QPointF local(pt.x, pt.y);
        QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    void BeginDrag(int row) {
        Mouse(QEvent::MouseButtonPress, RowPoint(row), Qt::LeftButton);
        Mouse(QEvent::MouseMove, RowPoint(row) + CPoint(0, 8), Qt::LeftButton);
    }
    QImage Render() {
        CRect client;
        list->GetClientRect(&client);
        QImage img(client.Width(), client.Height(), QImage::Format_RGB32);
        CDC dc;
        dc.AttachImage(&img);
        list->SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
        return img;
    }
};

TEST_F(KovListCtrlTest, MovingOneRowCarriesEveryColumnAndStopsAtTheEnds) {
    struct Case {
        int from, to;
        BOOL remove;
        int result;
        const char* names;
    } cases[] = {
        {1, 1, TRUE, -1, "张三 李四 王五 赵六 钱七 孙八"},       // onto itself
        {0, 2, TRUE, 2, "李四 王五 张三 赵六 钱七 孙八"},        // down
        {4, 1, TRUE, 1, "张三 钱七 李四 王五 赵六 孙八"},        // up
        {1, 99, TRUE, 5, "张三 王五 赵六 钱七 孙八 李四"},       // past the end: last row
        {3, -7, TRUE, 0, "赵六 张三 李四 王五 钱七 孙八"},       // before the start: first row
        {1, 99, FALSE, 6, "张三 李四 王五 赵六 钱七 孙八 李四"}, // a copy past the end: appended
        {2, 0, FALSE, 0, "王五 张三 李四 王五 赵六 钱七 孙八"},  // a copy at the top
        {9, 0, TRUE, -1, "张三 李四 王五 赵六 钱七 孙八"},       // no such row
    };
    for (const Case& c : cases) {
        Build();
        list->SetItemState(c.from, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(list->MoveListItem(c.from, c.to, c.remove), c.result) << c.from << "->" << c.to;
        EXPECT_EQ(Names(), c.names) << c.from << "->" << c.to;
        ExpectRowsWhole();
        if (c.result >= 0) {
            // The row keeps its selection and the dialog hears of the move.
            EXPECT_TRUE(list->GetItemState(c.result, LVIS_SELECTED));
            ASSERT_EQ(dlg->moved.size(), 1u);
            EXPECT_EQ(dlg->moved[0], std::make_pair((WPARAM)kList, (LPARAM)1));
        } else {
            EXPECT_TRUE(dlg->moved.empty());
        }
    }
}

TEST_F(KovListCtrlTest, AListWithoutColumnsMovesNothing) {
    while (list->DeleteColumn(0)) {
    }
    EXPECT_EQ(list->MoveListItem(0, 2, TRUE), -1);
    EXPECT_TRUE(dlg->moved.empty());
}

TEST_F(KovListCtrlTest, MovingABlockKeepsItsOrderAndStopsTogether) {
    struct Case {
        std::vector<UINT> rows;
        int offset;
        const char* names;
    } cases[] = {
        {{1, 2}, -1, "李四 王五 张三 赵六 钱七 孙八"},
        {{2, 3, 4}, -10, "王五 赵六 钱七 张三 李四 孙八"},
        {{1, 3}, 10, "张三 王五 钱七 李四 孙八 赵六"}, // the gap between them stays
        {{0, 1}, -1, "张三 李四 王五 赵六 钱七 孙八"}, // already at the top
        {{4, 5}, 3, "张三 李四 王五 赵六 钱七 孙八"},  // already at the bottom
        {{1, 2}, 0, "张三 李四 王五 赵六 钱七 孙八"},
        {{}, 2, "张三 李四 王五 赵六 钱七 孙八"},
    };
    for (const Case& c : cases) {
        Build();
        CList<UINT> rows;
        for (UINT r : c.rows)
            rows.AddTail(r);
        list->MoveItemsBy(rows, c.offset);
        EXPECT_EQ(Names(), c.names) << c.offset;
        ExpectRowsWhole();
    }
    Build();
    int moved = 0;
    EXPECT_TRUE(list->MoveItemBy(4, -2, &moved));
    EXPECT_EQ(moved, -2);
    EXPECT_TRUE(list->MoveItemBy(1, 20, &moved));
    EXPECT_EQ(moved, 4);
    EXPECT_FALSE(list->MoveItemBy(2, 0, &moved));
    EXPECT_EQ(moved, 4);
}

TEST_F(KovListCtrlTest, AMoveWithoutMemoryTellsTheUserAndLeavesTheRestOfTheBlock) {
    list->failAt = 0;
    EXPECT_EQ(list->MoveListItem(3, 1, TRUE), -1);
    EXPECT_EQ(boxes, std::vector<std::string>{"系统内存不足，调用失败!"});
    EXPECT_EQ(Names(), "张三 李四 王五 赵六 钱七 孙八");
    EXPECT_TRUE(dlg->moved.empty());
    int moved = 7;
    list->allocations = 0;
    EXPECT_FALSE(list->MoveItemBy(3, -1, &moved));
    EXPECT_EQ(moved, 7);

    // The second row of the block fails: the first has moved, the others stay where they are
    // instead of jumping by a made-up offset.
    list->allocations = 0;
    list->failAt = 1;
    CList<UINT> rows;
    for (UINT r : {3u, 4u, 5u})
        rows.AddTail(r);
    list->MoveItemsBy(rows, -1);
    EXPECT_EQ(Names(), "张三 李四 赵六 王五 钱七 孙八");
    ExpectRowsWhole();
}

TEST_F(KovListCtrlTest, ColumnsFitTheirTexts) {
    const char* longest = "这是一段比较长的备注文字";
    int width = list->GetStringWidth(longest) + 8;
    // Widening only.
    EXPECT_EQ(list->FitColumnToText(2, "短"), 100);
    EXPECT_EQ(list->GetColumnWidth(2), 100);
    EXPECT_EQ(list->FitColumnToText(2, longest), width);
    EXPECT_EQ(list->GetColumnWidth(2), width);

    // Fitting to the cells also narrows.
    int phone = list->GetStringWidth("13900000000") + 8;
    EXPECT_EQ(list->AutoFitColumn(1), phone);
    EXPECT_EQ(list->GetColumnWidth(1), phone);

    CStringList more;
    more.AddTail("欧阳修");
    more.AddTail(longest);
    EXPECT_EQ(list->AppendStrings(more, TRUE), 2);
    EXPECT_EQ(list->GetItemCount(), 8);
    EXPECT_EQ(list->GetItemText(7, 0), CString(longest));
    EXPECT_EQ(list->GetColumnWidth(0), width);
    // A list that is already wider keeps its width.
    list->SetColumnWidth(0, 400);
    CStringList one;
    one.AddTail("周九");
    EXPECT_EQ(list->AppendStrings(one, TRUE), 1);
    EXPECT_EQ(list->GetColumnWidth(0), 400);

    list->DeleteAllItems();
    EXPECT_EQ(list->AutoFitColumn(0), 7);
    EXPECT_EQ(list->GetColumnWidth(0), 400);
}

TEST_F(KovListCtrlTest, FindsARowByItsFirstColumn) {
    list->SetItemText(2, 0, "Wang 王五");
    struct Case {
        const char* text;
        BOOL ignoreCase;
        int row;
    } cases[] = {
        {"李四", FALSE, 1}, {"wang 王五", FALSE, -1},  {"wang 王五", TRUE, 2},
        {"李", TRUE, -1},   {"13900000001", TRUE, -1}, {"", TRUE, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list->FindItemByText(c.text, c.ignoreCase), c.row) << c.text;
    list->DeleteAllItems();
    EXPECT_EQ(list->FindItemByText("李四", FALSE), -1);
}

TEST_F(KovListCtrlTest, SearchesTheCellsBothWays) {
    // "\x81\x41" is a double-byte character whose second byte is the letter A: neither a search
    // for "a" nor lower-casing may take that byte for a letter.
    list->SetItemText(1, 2, "Beijing 北京");
    list->SetItemText(4, 1, "\x81\x41");
    list->SetItemText(5, 2, "beijing");
    struct Case {
        const char* text;
        int row, column;
        BOOL forward, matchCase, found;
        int hitRow, hitColumn;
    } cases[] = {
        {"beijing", -1, 0, TRUE, FALSE, TRUE, 1, 2},  {"beijing", -1, 0, TRUE, TRUE, TRUE, 5, 2},
        {"beijing", -1, 0, FALSE, FALSE, TRUE, 5, 2}, // backward from the last cell
        {"beijing", 5, 1, FALSE, FALSE, TRUE, 1, 2},  // backward from the middle of a row
        {"beijing", 1, 3, TRUE, FALSE, TRUE, 5, 2},   // the column stepped past the row's end
        {"同事", 3, 3, FALSE, FALSE, TRUE, 3, 2},     {"0003", 2, 0, TRUE, FALSE, TRUE, 3, 1},
        {"北京", -1, 0, FALSE, FALSE, TRUE, 1, 2},    {"a", -1, 0, TRUE, FALSE, FALSE, 0, 0},
        {"\x81\x41", -1, 0, TRUE, FALSE, TRUE, 4, 1}, {"\x81\x61", -1, 0, TRUE, FALSE, FALSE, 0, 0},
        {"", -1, 0, TRUE, FALSE, FALSE, 0, 0},        {"上海", -1, 0, TRUE, FALSE, FALSE, 0, 0},
    };
    for (const Case& c : cases) {
        int row = c.row, column = c.column;
        EXPECT_EQ(FindListText(*list, c.text, row, column, c.forward, c.matchCase), c.found)
            << c.text << " from " << c.row;
        if (c.found) {
            EXPECT_EQ(row, c.hitRow) << c.text << " from " << c.row;
            EXPECT_EQ(column, c.hitColumn) << c.text << " from " << c.row;
        }
    }
    EXPECT_EQ(list->GetItemText(4, 1), CString("\x81\x41"));

    // Stepping on from each hit visits every cell that holds the text once.
    std::vector<std::pair<int, int>> hits;
    for (int row = -1, column = 0; FindListText(*list, "朋友", row, column, TRUE, FALSE);)
        hits.push_back({row, column++});
    EXPECT_EQ(hits, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}, {4, 2}}));

    while (list->DeleteColumn(0)) {
    }
    int row = -1, column = 0;
    EXPECT_FALSE(FindListText(*list, "张三", row, column, TRUE, FALSE));
}

TEST_F(KovListCtrlTest, SelectionHelpersWorkOnAnyList) {
    Select({1, 3, 4});
    CList<UINT> rows;
    EXPECT_EQ(GetSelectedRows(*list, rows), 3);
    EXPECT_EQ(rows.GetHead(), 1u);
    EXPECT_EQ(rows.GetTail(), 4u);
    CArray<DWORD_PTR, DWORD_PTR> data;
    ASSERT_EQ(GetSelectedItemData(*list, data), 3);
    EXPECT_EQ(data[1], (DWORD_PTR)103);
    // Item data as objects, pointers kept whole.
    CObList a, b;
    list->SetItemData(3, (DWORD_PTR)&a);
    list->SetItemData(4, (DWORD_PTR)&b);
    CObList objects;
    ASSERT_EQ(GetSelectedItemObjects(*list, objects), 3);
    EXPECT_EQ(objects.GetTail(), &b);

    int sub = -1;
    CRect cell;
    list->GetSubItemRect(2, 1, LVIR_BOUNDS, cell);
    EXPECT_EQ(SubItemHitTest(*list, cell.CenterPoint(), &sub), 2);
    EXPECT_EQ(sub, 1);
    EXPECT_EQ(SubItemHitTest(*list, CPoint(5, 1000), nullptr), -1);

    EXPECT_TRUE(SetListColumnText(*list, 2, "关系"));
    LVCOLUMN col{};
    char buf[32] = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = buf;
    col.cchTextMax = sizeof buf;
    list->GetColumn(2, &col);
    EXPECT_STREQ(buf, "关系");
    EXPECT_EQ(col.cx, 100);

    // The selected rows' indexes, in the order they were collected, delete those rows.
    DeleteListItemsByIndex(*list, rows, TRUE);
    EXPECT_EQ(Names(), "张三 王五 孙八");
    Select({0, 2});
    DeleteSelectedListItems(*list, FALSE);
    EXPECT_EQ(Names(), "王五");
}

TEST_F(KovListCtrlTest, DraggingABlockMovesItAndRefusesDropsInsideIt) {
    struct Case {
        int target;
        bool allowed;
        const char* names;
    } cases[] = {
        {0, true, "李四 王五 张三 赵六 钱七 孙八"},
        {5, true, "张三 赵六 钱七 孙八 李四 王五"},
        {3, true, "张三 赵六 李四 王五 钱七 孙八"},
        {2, false, "张三 李四 王五 赵六 钱七 孙八"}, // inside the block
        {1, false, "张三 李四 王五 赵六 钱七 孙八"}, // on the dragged row
    };
    for (const Case& c : cases) {
        Build();
        list->SetFocus();
        Select({1, 2});
        BeginDrag(1);
        ASSERT_TRUE(list->IsDragging());
        Mouse(QEvent::MouseMove, RowPoint(c.target), Qt::LeftButton);
        EXPECT_TRUE(list->GetItemState(c.target, LVIS_DROPHILITED)) << c.target;
        Mouse(QEvent::MouseMove, RowPoint(c.target) + CPoint(3, 0), Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, RowPoint(c.target), Qt::NoButton);
        EXPECT_FALSE(list->IsDragging());
        EXPECT_EQ(Names(), c.names) << c.target;
        EXPECT_EQ(list->HaveRowsMoved(), c.allowed) << c.target;
        EXPECT_FALSE(list->GetItemState(c.target, LVIS_DROPHILITED)) << c.target;
        ExpectRowsWhole();
        if (c.allowed) {
            // The block stays selected where it landed.
            CList<UINT> rows;
            GetSelectedRows(*list, rows);
            EXPECT_EQ(rows.GetCount(), 2);
            EXPECT_EQ(list->GetItemText((int)rows.GetHead(), 0), CString("李四"));
        }
    }
}

TEST_F(KovListCtrlTest, WithoutTheDragOptionNothingIsDropped) {
    list->ModifyOptions(CKovListCtrl::OPTION_DRAG_ROWS, 0);
    list->SetFocus();
    Select({3});
    BeginDrag(3);
    EXPECT_FALSE(list->IsDragging());
    Mouse(QEvent::MouseMove, RowPoint(0), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, RowPoint(0), Qt::NoButton);
    EXPECT_EQ(Names(), "张三 李四 王五 赵六 钱七 孙八");
    EXPECT_FALSE(list->HaveRowsMoved());
}

TEST_F(KovListCtrlTest, EscapeEndsTheDragWithoutClosingTheDialog) {
    list->SetFocus();
    Select({4});
    BeginDrag(4);
    ASSERT_TRUE(list->IsDragging());
    QWidget* w = list->GetWidget();
    QTest::keyPress(w, Qt::Key_Escape);
    EXPECT_FALSE(list->IsDragging());
    QTest::keyRelease(w, Qt::Key_Escape);
    EXPECT_EQ(dlg->cancels, 0);
    Mouse(QEvent::MouseButtonRelease, RowPoint(0), Qt::NoButton);
    EXPECT_EQ(Names(), "张三 李四 王五 赵六 钱七 孙八");
    // Outside a drag Escape is the dialog's again.
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_EQ(dlg->cancels, 1);
}

TEST_F(KovListCtrlTest, OwnerDrawnRowsShowTheirState) {
    list->SetRowHeight(36);
    CRect r0, r1, r2;
    list->GetItemRect(0, &r0, LVIR_BOUNDS);
    list->GetItemRect(1, &r1, LVIR_BOUNDS);
    list->GetItemRect(2, &r2, LVIR_BOUNDS);
    EXPECT_EQ(r0.Height(), 36);
    CRect r3;
    list->GetItemRect(3, &r3, LVIR_BOUNDS);
    list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list->SetHotItem(1);
    dlg->ShowWindow(SW_SHOW);
    list->SetFocus();
    Pump();
    ASSERT_EQ(CWnd::GetFocus(), list.get());
    list->SetItemState(3, LVIS_FOCUSED, LVIS_FOCUSED);
    QImage img = Render();
    auto at = [&](int x, int y) { return QColor(img.pixel(x, y)); };
    COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(at(r0.right - 5, r0.top + 3), QColor(GetRValue(hl), GetGValue(hl), GetBValue(hl)));
    EXPECT_EQ(at(r1.right - 5, r1.top + 3), QColor(193, 210, 237));
    EXPECT_EQ(at(r1.right - 5, r1.top), QColor(49, 106, 197)); // the hot frame
    EXPECT_EQ(at(r2.right - 5, r2.top + 3), QColor(255, 255, 255));
    // The line under each row.
    EXPECT_EQ(at(r2.right - 5, r2.bottom - 2), QColor(100, 100, 100));
    EXPECT_EQ(at(r2.right - 5, r2.bottom - 3), QColor(255, 255, 255));
    // The focused row's dotted frame.
    EXPECT_EQ(at(r3.left, r3.top), QColor(0, 0, 0));
    EXPECT_EQ(at(r3.left + 1, r3.top), QColor(255, 255, 255));

    // A height given later still holds.
    list->SetRowHeight(50);
    list->GetItemRect(0, &r0, LVIR_BOUNDS);
    EXPECT_EQ(r0.Height(), 50);
}

TEST_F(KovListCtrlTest, ScreenshotOfTheOwnerDrawnRows) {
    // One column as wide as the list, as the pages that order a list of names use it.
    list->DeleteColumn(2);
    list->DeleteColumn(1);
    CRect client;
    list->GetClientRect(&client);
    list->SetColumnWidth(0, client.Width());
    list->SetRowHeight(34);
    list->SetItemText(3, 0,
                      "赵六：北京市海淀区中关村大街一号，电话与传真号码都写在备注里，请注意查收");
    list->SetItemText(5, 0, "孙八（已调往上海分公司）");
    dlg->ShowWindow(SW_SHOW);
    list->SetFocus();
    list->SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
    list->SetHotItem(1);
    Pump();
    EXPECT_TRUE(dlg->SaveScreenshot(ScreenPath("kov-list-rows").c_str()));
}

} // namespace
