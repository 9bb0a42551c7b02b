#include "NotifyRecorder.h"

#include "platform/gui/TreeCtrl.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

class TreeCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CTreeCtrl tree;
    HTREEITEM a = nullptr, a1 = nullptr, a2 = nullptr, b = nullptr;

    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(240, 200));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                                CRect(0, 0, 240, 200), &parent, 7));
        for (UINT c : {TVN_SELCHANGING, TVN_SELCHANGED, TVN_ITEMEXPANDING, TVN_ITEMEXPANDED,
                       TVN_DELETEITEM, TVN_BEGINDRAG})
            parent.sizes[c] = sizeof(NMTREEVIEW);
        for (UINT c : {TVN_BEGINLABELEDIT, TVN_ENDLABELEDIT})
            parent.sizes[c] = sizeof(NMTVDISPINFO);
        parent.sizes[NM_CUSTOMDRAW] = sizeof(NMTVCUSTOMDRAW);
        a = tree.InsertItem("联系人");
        a1 = tree.InsertItem("张三", a);
        a2 = tree.InsertItem("李四", a);
        b = tree.InsertItem("日程");
        tree.SetItemData(a1, 11);
        tree.SetItemData(a2, 22);
        parent.notes.clear();
    }
    CPoint LabelCentre(HTREEITEM h) {
        CRect r;
        EXPECT_TRUE(tree.GetItemRect(h, &r, TRUE));
        return r.CenterPoint();
    }
};

TEST_F(TreeCtrlTest, SelectionAsksFirstAndCanBeRefused) {
    ASSERT_TRUE(tree.SelectItem(b));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED}));
    auto& changed = parent.notes.back().As<NMTREEVIEW>();
    EXPECT_EQ(changed.itemNew.hItem, b);
    EXPECT_EQ(changed.itemOld.hItem, nullptr);
    EXPECT_EQ(changed.hdr.idFrom, 7u);
    EXPECT_EQ(tree.GetItemState(b, TVIS_SELECTED), (UINT)TVIS_SELECTED);

    parent.notes.clear();
    parent.answers[TVN_SELCHANGING] = TRUE;
    EXPECT_FALSE(tree.SelectItem(a1));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_SELCHANGING}));
    EXPECT_EQ(tree.GetSelectedItem(), b);
    EXPECT_FALSE(tree.IsWindowVisible() && tree.GetItemState(a, TVIS_EXPANDED));

    // A click is the same request, marked as coming from the mouse.
    parent.answers.clear();
    parent.notes.clear();
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(LabelCentre(a).x, LabelCentre(a).y));
    ASSERT_FALSE(parent.notes.empty());
    EXPECT_EQ(parent.notes.front().As<NMTREEVIEW>().action, (UINT)TVC_BYMOUSE);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    EXPECT_EQ(tree.GetItemState(b, TVIS_SELECTED), 0u);
}

TEST_F(TreeCtrlTest, ProgramExpandNotifiesUntilExpandedOnceUnlessRearmed) {
    ASSERT_TRUE(tree.Expand(a, TVE_EXPAND));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_EQ(parent.notes[0].As<NMTREEVIEW>().action, (UINT)TVE_EXPAND);
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED | TVIS_EXPANDEDONCE),
              (UINT)(TVIS_EXPANDED | TVIS_EXPANDEDONCE));
    ASSERT_TRUE(tree.Expand(a, TVE_COLLAPSE));
    parent.notes.clear();
    ASSERT_TRUE(tree.Expand(a, TVE_EXPAND));
    EXPECT_TRUE(parent.Codes().empty()) << "already expanded once: no questions";
    tree.Expand(a, TVE_COLLAPSE);
    tree.SetItemState(a, 0, TVIS_EXPANDEDONCE);
    parent.notes.clear();
    parent.answers[TVN_ITEMEXPANDING] = TRUE;
    EXPECT_FALSE(tree.Expand(a, TVE_EXPAND));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING}));
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED), 0u);
    EXPECT_EQ(tree.GetNextVisibleItem(a), b);

    // The button always asks, and its refusal holds too.
    parent.notes.clear();
    UINT flags = 0;
    CRect row;
    tree.GetItemRect(a, &row, FALSE);
    CPoint button(tree.GetIndent() / 2, row.CenterPoint().y);
    ASSERT_EQ(tree.HitTest(button, &flags), a);
    ASSERT_EQ(flags, (UINT)TVHT_ONITEMBUTTON);
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED), 0u);
    parent.answers.clear();
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
    EXPECT_EQ(tree.GetItemState(a, TVIS_EXPANDED), (UINT)TVIS_EXPANDED);
    EXPECT_EQ(tree.GetNextVisibleItem(a), a1);
}

TEST_F(TreeCtrlTest, LabelEditingIsTwoPhaseAndTheParentDecides) {
    struct Case {
        LRESULT beginAnswer;
        const char* typed;
        bool cancel;
        LRESULT endAnswer;
        const char* expectText;
    };
    const Case cases[] = {
        {TRUE, "x", false, TRUE, "日程"},         // refused before it starts
        {FALSE, "日程表", false, TRUE, "日程表"}, // accepted
        {FALSE, "行程", false, FALSE, "日程"},    // parent rejects the text
        {FALSE, "行程", true, TRUE, "日程"},      // cancelled: the text is not offered
    };
    for (const Case& c : cases) {
        tree.SetItemText(b, "日程");
        parent.notes.clear();
        parent.answers = {{TVN_BEGINLABELEDIT, c.beginAnswer}, {TVN_ENDLABELEDIT, c.endAnswer}};
        CEdit* edit = tree.EditLabel(b);
        auto begin = std::find_if(parent.notes.begin(), parent.notes.end(),
                                  [](auto& n) { return n.code == TVN_BEGINLABELEDIT; });
        ASSERT_NE(begin, parent.notes.end());
        EXPECT_EQ(begin->As<NMTVDISPINFO>().item.hItem, b);
        if (c.beginAnswer) {
            EXPECT_EQ(edit, nullptr);
            EXPECT_EQ(tree.GetEditControl(), nullptr);
            EXPECT_EQ(tree.GetItemText(b), CString(c.expectText));
            continue;
        }
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(tree.GetEditControl(), edit);
        CString shown;
        edit->GetWindowText(shown);
        EXPECT_EQ(shown, CString("日程"));
        edit->SetWindowText(c.typed);
        CString offered = "(none)";
        bool offeredNull = false;
        parent.handler = [&](NMHDR* nm) -> LRESULT {
            if (nm->code == TVN_ENDLABELEDIT) {
                auto* di = reinterpret_cast<NMTVDISPINFO*>(nm);
                offeredNull = di->item.pszText == nullptr;
                if (di->item.pszText)
                    offered = di->item.pszText;
            }
            return 0;
        };
        EXPECT_TRUE(tree.EndEditLabelNow(c.cancel));
        parent.handler = nullptr;
        EXPECT_EQ(offeredNull, c.cancel);
        if (!c.cancel) {
            EXPECT_EQ(offered, CString(c.typed));
        }
        EXPECT_EQ(tree.GetItemText(b), CString(c.expectText));
        EXPECT_EQ(tree.GetEditControl(), nullptr);
        Pump();
    }
}

TEST_F(TreeCtrlTest, EnterInTheEditorEndsTheEditAndEscapeCancelsIt) {
    parent.answers[TVN_ENDLABELEDIT] = TRUE;
    for (auto [key, expect] :
         {std::pair{Qt::Key_Return, "新名"}, std::pair{Qt::Key_Escape, "新名"}}) {
        CEdit* edit = tree.EditLabel(b);
        ASSERT_NE(edit, nullptr);
        auto* line = qobject_cast<QLineEdit*>(edit->GetWidget());
        ASSERT_NE(line, nullptr);
        line->setText(QString::fromUtf8(key == Qt::Key_Return ? u8"新名" : u8"别的"));
        QTest::keyClick(line, key);
        EXPECT_EQ(tree.GetEditControl(), nullptr);
        EXPECT_EQ(tree.GetItemText(b), CString(expect));
        Pump();
    }
}

TEST_F(TreeCtrlTest, SortingByCallbackAndByPinyin) {
    HTREEITEM c = tree.InsertItem("王五", a);
    tree.SetItemData(c, 5);
    // Descending by item data, with the sort parameter handed through.
    static LPARAM seenParam;
    TVSORTCB sort{a,
                  [](LPARAM l, LPARAM r, LPARAM p) -> int {
                      seenParam = p;
                      return (int)(r - l);
                  },
                  42};
    ASSERT_TRUE(tree.SortChildrenCB(&sort));
    EXPECT_EQ(seenParam, 42);
    std::vector<HTREEITEM> order;
    for (HTREEITEM h = tree.GetChildItem(a); h; h = tree.GetNextSiblingItem(h))
        order.push_back(h);
    EXPECT_EQ(order, (std::vector<HTREEITEM>{a2, a1, c}));

    ASSERT_TRUE(tree.SendMessage(TVM_SORTCHILDREN, 0, (LPARAM)a));
    std::vector<CString> names;
    for (HTREEITEM h = tree.GetChildItem(a); h; h = tree.GetNextSiblingItem(h))
        names.push_back(tree.GetItemText(h));
    EXPECT_EQ(names, (std::vector<CString>{"李四", "王五", "张三"}));
}

TEST_F(TreeCtrlTest, NavigationAndHitTestParts) {
    EXPECT_EQ(tree.GetRootItem(), a);
    EXPECT_EQ(tree.GetNextSiblingItem(a), b);
    EXPECT_EQ(tree.GetPrevSiblingItem(b), a);
    EXPECT_EQ(tree.GetParentItem(a2), a);
    EXPECT_EQ(tree.GetParentItem(a), nullptr);
    EXPECT_EQ(tree.GetChildItem(a), a1);
    EXPECT_EQ(tree.GetNextVisibleItem(a), b) << "collapsed children are not visible";
    tree.Expand(a, TVE_EXPAND);
    EXPECT_EQ(tree.GetNextVisibleItem(a), a1);
    EXPECT_EQ(tree.GetPrevVisibleItem(b), a2);
    EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_LASTVISIBLE), b);
    EXPECT_EQ(tree.GetCount(), 4u);
    EXPECT_TRUE(tree.ItemHasChildren(a));
    EXPECT_FALSE(tree.ItemHasChildren(b));
    EXPECT_EQ((HTREEITEM)tree.SendMessage(TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)a), a1);

    CRect label, row;
    ASSERT_TRUE(tree.GetItemRect(a1, &label, TRUE));
    ASSERT_TRUE(tree.GetItemRect(a1, &row, FALSE));
    EXPECT_EQ(row.top, label.top);
    EXPECT_GT(label.left, (int)tree.GetIndent()) << "a child is indented";
    struct Probe {
        int x;
        UINT flags;
    };
    const Probe probes[] = {{label.left + 2, TVHT_ONITEMLABEL},
                            {label.right + 5, TVHT_ONITEMRIGHT},
                            {2, TVHT_ONITEMINDENT}};
    for (const Probe& p : probes) {
        TVHITTESTINFO hi{CPoint(p.x, label.CenterPoint().y), 0, nullptr};
        EXPECT_EQ((HTREEITEM)tree.SendMessage(TVM_HITTEST, 0, (LPARAM)&hi), a1) << p.x;
        EXPECT_EQ(hi.flags, p.flags) << p.x;
    }
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(CPoint(10, 190), &flags), nullptr);
    EXPECT_EQ(flags, (UINT)TVHT_NOWHERE);
    EXPECT_EQ(tree.HitTest(CPoint(10, 500), &flags), nullptr);
    EXPECT_EQ(flags, (UINT)TVHT_BELOW);
}

TEST_F(TreeCtrlTest, DeletingTellsAboutEveryItemAndMovesTheSelection) {
    tree.SelectItem(a1);
    parent.notes.clear();
    ASSERT_TRUE(tree.DeleteItem(a));
    std::vector<HTREEITEM> deleted;
    for (auto& n : parent.notes)
        if (n.code == TVN_DELETEITEM)
            deleted.push_back(n.As<NMTREEVIEW>().itemOld.hItem);
    EXPECT_EQ(deleted.size(), 3u);
    EXPECT_EQ(deleted.back(), a) << "children go before their parent";
    EXPECT_FALSE(tree.IsValidItem(a1));
    EXPECT_FALSE(tree.IsValidItem(a));
    EXPECT_EQ(tree.GetItemText(a1), CString()) << "a stale handle is refused, not followed";
    EXPECT_EQ(tree.GetSelectedItem(), b);
    EXPECT_EQ(tree.GetCount(), 1u);
}

// A tree that deletes itself with its window, as a view's control goes with its view.
class CSelfDeletingTree : public CTreeCtrl {
    void PostNcDestroy() override { delete this; }
};

// Ending the edit in progress, by a press or by editing another label, the parent closes the tree.
TEST_F(TreeCtrlTest, AnEndOfEditThatClosesTheTreeStopsThere) {
    for (bool press : {true, false}) {
        auto* gone = new CSelfDeletingTree;
        ASSERT_TRUE(gone->Create(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, CRect(0, 0, 240, 200),
                                 &parent, 8));
        HWND h = gone->m_hWnd;
        HTREEITEM other = gone->InsertItem("备忘");
        ASSERT_NE(gone->EditLabel(gone->InsertItem("日程")), nullptr);
        parent.handler = [&](NMHDR* nm) -> LRESULT {
            if (nm->code != TVN_ENDLABELEDIT || nm->hwndFrom != h)
                return 0;
            CWnd::FromHandlePermanent(h)->DestroyWindow();
            return TRUE;
        };
        if (press)
            gone->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 150));
        else
            EXPECT_EQ(gone->EditLabel(other), nullptr);
        parent.handler = nullptr;
        EXPECT_FALSE(IsWindow(h)) << press;
        Pump();
    }
}

TEST_F(TreeCtrlTest, AShortBufferTakesWholeCharactersOfTheText) {
    char buf[8] = {};
    TVITEM tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = a;
    tv.pszText = buf;
    for (auto [room, want] : {std::pair{7, "联系人"}, {6, "联系"}, {4, "联"}, {2, ""}}) {
        tv.cchTextMax = room;
        ASSERT_TRUE(tree.GetItem(&tv));
        EXPECT_STREQ(buf, want) << room;
    }
}

TEST_F(TreeCtrlTest, DraggingAnItemBeginsADragOnce) {
    CPoint p = LabelCentre(b);
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    parent.notes.clear();
    tree.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 2, p.y));
    EXPECT_TRUE(parent.Codes().empty()) << "a small wobble is not a drag";
    tree.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 20, p.y + 8));
    tree.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 30, p.y + 8));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{TVN_BEGINDRAG}));
    EXPECT_EQ(parent.notes[0].As<NMTREEVIEW>().itemNew.hItem, b);
    EXPECT_EQ(parent.notes[0].As<NMTREEVIEW>().ptDrag.x, p.x);
    std::unique_ptr<CImageList> drag(tree.CreateDragImage(b));
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->GetImageCount(), 1);
    // Through the message the caller owns the list the handle names, and nothing else.
    CImageList byMessage;
    ASSERT_TRUE(byMessage.Attach((HIMAGELIST)tree.SendMessage(TVM_CREATEDRAGIMAGE, 0, (LPARAM)b)));
    EXPECT_EQ(byMessage.GetImageCount(), 1);
    EXPECT_EQ(tree.SendMessage(TVM_CREATEDRAGIMAGE, 0, 0), 0);
}

TEST_F(TreeCtrlTest, CustomDrawStagesCarryTheRowAndPostPaintDrawsOverTheLabel) {
    tree.Expand(a, TVE_EXPAND);
    tree.SelectItem(a2);
    parent.notes.clear();
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != NM_CUSTOMDRAW)
            return 0;
        auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(nm);
        switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            if ((HTREEITEM)cd->nmcd.dwItemSpec == a1)
                cd->clrText = RGB(255, 0, 0);
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT:
            if ((HTREEITEM)cd->nmcd.dwItemSpec == b) {
                // Text after the label, as the group trees show their counts.
                CRect label;
                tree.GetItemRect(b, &label, TRUE);
                CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
                dc->FillSolidRect(label.right + 4, label.top + 2, 10, 10, RGB(0, 0, 255));
            }
            return 0;
        default:
            return 0;
        }
    };
    QImage img(240, 200, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    parent.handler = nullptr;
    std::vector<DWORD> stages;
    std::vector<HTREEITEM> items;
    for (auto& n : parent.notes) {
        stages.push_back(n.As<NMTVCUSTOMDRAW>().nmcd.dwDrawStage);
        if (n.As<NMTVCUSTOMDRAW>().nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            items.push_back((HTREEITEM)n.As<NMTVCUSTOMDRAW>().nmcd.dwItemSpec);
    }
    std::vector<DWORD> expect{CDDS_PREPAINT};
    for (int i = 0; i < 4; ++i) {
        expect.push_back(CDDS_ITEMPREPAINT);
        expect.push_back(CDDS_ITEMPOSTPAINT);
    }
    expect.push_back(CDDS_POSTPAINT);
    EXPECT_EQ(stages, expect);
    EXPECT_EQ(items, (std::vector<HTREEITEM>{a, a1, a2, b}));
    auto& selectedPre = parent.notes[5].As<NMTVCUSTOMDRAW>();
    EXPECT_EQ((HTREEITEM)selectedPre.nmcd.dwItemSpec, a2);
    EXPECT_TRUE(selectedPre.nmcd.uItemState & CDIS_SELECTED);
    EXPECT_EQ(selectedPre.iLevel, 1);

    CRect label;
    tree.GetItemRect(b, &label, TRUE);
    EXPECT_EQ(QColor(img.pixel(label.right + 8, label.top + 6)), QColor(0, 0, 255));
    // The first child's text came out red.
    CRect l1;
    tree.GetItemRect(a1, &l1, TRUE);
    bool red = false;
    for (int y = l1.top; y < l1.bottom && !red; ++y)
        for (int x = l1.left; x < l1.right && !red; ++x)
            red = qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 80;
    EXPECT_TRUE(red);
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("tree-control").c_str()));
}

// While the focus is elsewhere, the tree still shows which item is current, on its own light
// background too.
TEST_F(TreeCtrlTest, TheSelectionShowsWhileTheTreeHasNoFocus) {
    tree.SetBkColor(RGB(255, 255, 225));
    tree.SelectItem(b);
    CEdit other;
    ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(0, 180, 100, 198), &parent, 8));
    other.SetFocus();
    ASSERT_NE(&tree, CWnd::GetFocus());
    QImage img(240, 200, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    CRect label;
    ASSERT_TRUE(tree.GetItemRect(b, &label, TRUE));
    // The label's edge stands out from the background by more than a shade.
    auto distance = [](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
    };
    QRgb ground = qRgb(255, 255, 225);
    int marked = 0;
    for (int x = label.left; x < label.right; ++x)
        if (distance(img.pixel(x, label.top), ground) > 60)
            ++marked;
    EXPECT_GT(marked, label.Width() / 2);
    other.DestroyWindow();
}

// A tree that takes the focus with nothing selected selects its first visible item, as a click
// on the empty area below the rows shows: the parent hears of it (and may refuse). A selection
// already there stays.
TEST_F(TreeCtrlTest, TakingTheFocusWithNothingSelectedSelectsTheFirstVisibleItem) {
    CEdit other;
    ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(0, 180, 100, 198), &parent, 8));
    tree.MoveWindow(0, 0, 240, 170);
    parent.ShowWindow(SW_SHOW);
    QWidget* top = parent.GetWidget();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    struct Case {
        const char* name;
        HTREEITEM selectedBefore;
        BOOL refuse;
        HTREEITEM selectedAfter;
        std::vector<UINT> codes;
    };
    const Case cases[] = {
        {"nothing selected", nullptr, FALSE, a, {TVN_SELCHANGING, TVN_SELCHANGED}},
        {"the parent refuses", nullptr, TRUE, nullptr, {TVN_SELCHANGING}},
        {"a selection is kept", b, FALSE, b, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        other.SetFocus();
        ASSERT_NE(&tree, CWnd::GetFocus());
        parent.answers.clear();
        if (c.selectedBefore)
            tree.SelectItem(c.selectedBefore);
        else
            tree.SelectItem(nullptr);
        ASSERT_EQ(c.selectedBefore, tree.GetSelectedItem());
        parent.notes.clear();
        if (c.refuse)
            parent.answers[TVN_SELCHANGING] = TRUE;
        QTest::mouseClick(tree.GetWidget(), Qt::LeftButton, {}, QPoint(120, 160));
        EXPECT_EQ(&tree, CWnd::GetFocus());
        EXPECT_EQ(c.selectedAfter, tree.GetSelectedItem());
        std::vector<UINT> codes;
        for (const auto& note : parent.notes) {
            if (note.code != TVN_SELCHANGING && note.code != TVN_SELCHANGED)
                continue;
            codes.push_back(note.code);
            EXPECT_EQ((UINT)TVC_UNKNOWN, note.As<NMTREEVIEW>().action);
        }
        EXPECT_EQ(c.codes, codes);
    }
    other.DestroyWindow();
}

TEST_F(TreeCtrlTest, ImagesOverlaysAndCheckBoxes) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1));
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    for (int i = 0; i < 3; ++i)
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                strip.setPixel(i * 16 + x, y,
                               qRgb(i == 0 ? 200 : 0, i == 1 ? 200 : 0, i == 2 ? 200 : 0));
    CBitmap bmp;
    bmp.AttachImageData(strip);
    ASSERT_EQ(images.Add(&bmp, RGB(255, 0, 255)), 0);
    ASSERT_TRUE(images.SetOverlayImage(2, 1));
    tree.SetImageList(&images, TVSIL_NORMAL);
    tree.SetItemImage(b, 0, 1);
    tree.SetItemState(b, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
    UINT flags = 0;
    CRect row;
    tree.GetItemRect(b, &row, FALSE);
    CRect label;
    tree.GetItemRect(b, &label, TRUE);
    EXPECT_EQ(tree.HitTest(CPoint(label.left - 10, row.CenterPoint().y), &flags), b);
    EXPECT_EQ(flags, (UINT)TVHT_ONITEMICON);

    QImage img(240, 200, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    // The overlay (blue) covers the item's own image (red) at the same place.
    int ix = label.left - 3 - 16;
    EXPECT_EQ(QColor(img.pixel(ix + 8, row.top + (row.Height() - 16) / 2 + 8)), QColor(0, 0, 200));
    tree.SetImageList(nullptr, TVSIL_NORMAL);

    tree.ModifyStyle(0, TVS_CHECKBOXES);
    tree.SetCheck(b, TRUE);
    EXPECT_TRUE(tree.GetCheck(b));
    EXPECT_EQ(tree.GetItemState(b, TVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    tree.GetItemRect(b, &label, TRUE);
    CPoint box(label.left - 8, label.CenterPoint().y);
    ASSERT_EQ(tree.HitTest(box, &flags), b);
    ASSERT_EQ(flags, (UINT)TVHT_ONITEMSTATEICON);
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
    EXPECT_FALSE(tree.GetCheck(b));
}

} // namespace

namespace {

TEST_F(TreeCtrlTest, ManyRowsBringABarBesideTheClientArea) {
    for (int i = 0; i < 30; ++i)
        tree.InsertItem("行");
    EXPECT_TRUE(tree.GetStyle() & WS_VSCROLL);
    CRect client;
    tree.GetClientRect(&client);
    int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(client.right, 240 - bar);
    // Rows end at the client area's edge; the bar is painted beyond it.
    CRect row;
    ASSERT_TRUE(tree.GetItemRect(a, &row, FALSE));
    EXPECT_EQ(row.right, client.right);
    QImage img(240, 200, QImage::Format_RGB32);
    img.fill(Qt::black);
    CDC dc;
    dc.AttachImage(&img);
    tree.SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    EXPECT_EQ(QColor(img.pixel(240 - bar / 2, 199)), AfxQColor(GetSysColor(COLOR_SCROLLBAR)));
    EXPECT_EQ(QColor(img.pixel(client.right - 2, 199)), AfxQColor(GetSysColor(COLOR_WINDOW)));
}

// The visible rows follow every change of the tree's shape: after each step the rows stepped
// through one way and the other, the rows hit by position and the scroll bar agree with the rows
// worked out from the items' children and expanded states.
TEST_F(TreeCtrlTest, VisibleRowsFollowEveryChangeOfShape) {
    std::vector<HTREEITEM> nested;
    HTREEITEM c = nullptr;
    auto expected = [&] {
        std::vector<HTREEITEM> rows;
        std::function<void(HTREEITEM)> walk = [&](HTREEITEM h) {
            for (; h != nullptr; h = tree.GetNextSiblingItem(h)) {
                rows.push_back(h);
                if (tree.GetItemState(h, TVIS_EXPANDED) & TVIS_EXPANDED)
                    walk(tree.GetChildItem(h));
            }
        };
        walk(tree.GetRootItem());
        return rows;
    };
    auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        const std::vector<HTREEITEM> rows = expected();
        std::vector<HTREEITEM> forward, backward;
        for (HTREEITEM h = tree.GetFirstVisibleItem(); h != nullptr; h = tree.GetNextVisibleItem(h))
            forward.push_back(h);
        EXPECT_EQ(forward, rows);
        for (HTREEITEM h = tree.GetNextItem(nullptr, TVGN_LASTVISIBLE); h != nullptr;
             h = tree.GetPrevVisibleItem(h))
            backward.insert(backward.begin(), h);
        EXPECT_EQ(backward, rows);
        const int height = tree.GetItemHeight();
        for (size_t i = 0; i < rows.size() && (int)(i + 1) * height < 200; ++i)
            EXPECT_EQ(tree.HitTest(CPoint(60, (int)i * height + height / 2)), rows[i]) << i;
        EXPECT_EQ((tree.GetStyle() & WS_VSCROLL) != 0, (int)rows.size() * height > 200);
    };
    check("the fixture's tree");
    tree.Expand(a, TVE_EXPAND);
    check("expanded");
    for (int i = 0; i < 3; ++i)
        nested.push_back(tree.InsertItem("下级", a1));
    check("children under a collapsed item");
    tree.Expand(a1, TVE_EXPAND);
    check("a nested item expanded");
    tree.Expand(a, TVE_COLLAPSE);
    check("its parent collapsed");
    c = tree.InsertItem("孙", nested[1]);
    tree.Expand(nested[1], TVE_EXPAND);
    check("expanded while hidden");
    tree.Expand(a, TVE_EXPAND);
    check("shown again with what opened meanwhile");
    tree.InsertItem("首", a, TVI_FIRST);
    for (int i = 0; i < 12; ++i)
        tree.InsertItem("行", b);
    check("inserted first, and under a collapsed item");
    tree.SetItemState(b, TVIS_EXPANDED, TVIS_EXPANDED);
    check("expanded through the state bits");
    tree.SortChildren(a, TRUE);
    check("sorted");
    tree.DeleteItem(nested[1]);
    check("a shown item deleted with its shown child");
    EXPECT_FALSE(tree.IsValidItem(c));
    tree.Expand(a, TVE_COLLAPSE);
    tree.DeleteItem(nested[0]);
    check("a hidden item deleted");
    tree.Expand(b, TVE_COLLAPSE | TVE_COLLAPSERESET);
    check("collapsed with its children dropped");
    tree.SetItemState(a, TVIS_EXPANDED, TVIS_EXPANDED);
    tree.SetItemState(a, 0, TVIS_EXPANDED);
    check("collapsed through the state bits");
    tree.DeleteAllItems();
    check("emptied");
}

} // namespace
