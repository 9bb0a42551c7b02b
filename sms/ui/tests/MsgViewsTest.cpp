// The message list, its split view and the content pane over a sender file: rows, sorting, the
// read delay, deleting in and out of the recycle box, the focused row, drops, and the panes.
#include "platform/gui/tests/GuiTestSupport.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "sms/SenderDoc.h"
#include "sms/ui/SmsView.h"
#include "links/CommDevice.h"
#include "links/ServiceAddress.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "links/ui/MainWndCommHost.h"
#include "platform/base/Profile.h"
#include "ui/tests/CmdUIProbe.h"
#include "ui/tests/SortArrowPixels.h"
#include "sms/ui/tests/ComposeTestSupport.h"
#include "testsupport/NetTestEnv.h"

#include <QColor>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include <string>
#include <vector>

namespace {

_CSms* MakeSms(int nState, const char* sender, const char* recipient, const char* text,
               int nYear = 2024, int nSize = -1) {
    auto* p = new _CSms;
    p->SetState(nState);
    p->m_sender.Set(sender, "13800000001");
    p->m_recipient.Set(recipient, "13900000002");
    p->m_strContent = text;
    p->m_nSize = nSize >= 0 ? nSize : (int)strlen(text);
    p->SetTime(CTime(nYear, 5, 6, 7, 8, 9));
    return p;
}

std::string Str(const CString& s) {
    return std::string(s.GetString());
}

} // namespace

class MsgViewsTest : public ScriptedUserTest {
protected:
    CWnd host;
    CSenderDoc doc;
    CSplitterView* view = nullptr; // deletes itself with its window
    CSmsView* list = nullptr;

    void SetUp() override {
        InstallScriptedUser(IDNO);
        // The document is the test's: the views going away must not delete it.
        doc.m_bAutoDelete = FALSE;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 900, 600), nullptr, 0));
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        view = new CSplitterView;
        ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 900, 600),
                                 &host, AFX_IDW_PANE_FIRST, &context));
        view->OnInitialUpdate();
        list = view->GetSmsList();
        ASSERT_NE(list, nullptr);
        list->SetOwner(&host);
        Pump();
    }
    void TearDown() override {
        host.DestroyWindow();
        RemoveScriptedUser();
    }

    _CSmsBox& Box(int nType) {
        return *static_cast<_CSmsBox*>(doc.GetRootBox().FindSubBoxByType(nType));
    }
    void Show(_CSmsBox& box) {
        SetDocCurrentBox(&doc, &box);
        doc.UpdateAllViews(nullptr);
        Pump();
    }
    CListCtrl& L() { return list->List(); }
    std::vector<std::string> Column(int c) {
        std::vector<std::string> v;
        for (int i = 0; i < L().GetItemCount(); ++i)
            v.push_back(Str(L().GetItemText(i, c)));
        return v;
    }
    void Focus(int row) {
        L().SetItemState(-1, 0, LVIS_SELECTED);
        L().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Pump();
    }
    BOOL Enabled(UINT id) { return UpdateOf(list, id).enabled; }
    void Command(UINT id) {
        list->SendMessage(WM_COMMAND, id, 0);
        Pump();
    }
    void FillOutbox() {
        Box(1).AddSms(MakeSms(_CSms::STATE_DRAFT, "甲", "乙", "ccc", 2022));
        Box(1).AddSms(MakeSms(_CSms::STATE_PENDING, "丙", "丁", "a", 2024));
        Box(1).AddSms(MakeSms(_CSms::STATE_DRAFT, "戊", "己", "bbbbb", 2023));
    }
};

TEST_F(MsgViewsTest, RowsShowEachMessageWithItsPictureTextsAndInsertionKey) {
    _CSms* unread = MakeSms(_CSms::STATE_UNREAD, "张三", "我", "你好");
    unread->m_strSubject = "问候";
    Box(0).AddSms(unread);
    _CSms* batch = MakeSms(_CSms::STATE_READ, "李四", "我", "第二条");
    batch->m_bBatch = TRUE;
    Box(0).AddSms(batch);
    Show(Box(0));

    ASSERT_EQ(L().GetItemCount(), 2);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"张三<13800000001>", "李四<13800000001>"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"手机短信", "手机短信"}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"单发", "群发"}));
    // The subject when there is one, else the text.
    EXPECT_EQ(Column(5), (std::vector<std::string>{"问候", "第二条"}));
    EXPECT_EQ(Column(6)[0], "2024-05-06 07:08:09");
    EXPECT_EQ(Column(7), (std::vector<std::string>{"4", "6"}));
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    L().GetItem(&item);
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(unread->GetKey(), 0);
    EXPECT_EQ(batch->GetKey(), 1);
    // Outside a recycle box no row carries the recycle mark.
    EXPECT_EQ(L().GetItemState(0, LVIS_OVERLAYMASK), 0u);

    // The state pictures, by state.
    const int kImages[][2] = {{0, 3}, {1, -1}, {2, 2}, {3, 4}, {4, 0}, {5, 1}, {6, -1}, {7, -1}};
    for (auto& c : kImages)
        EXPECT_EQ(CSmsView::GetStateImageIndex(c[0]), c[1]) << "state " << c[0];
}

TEST_F(MsgViewsTest, RowsOfARecycleBoxCarryTheRecycleMark) {
    Box(3).AddSms(MakeSms(_CSms::STATE_SENT, "甲", "乙", "x"));
    Show(Box(3));
    ASSERT_EQ(L().GetItemCount(), 1);
    EXPECT_EQ(L().GetItemState(0, LVIS_OVERLAYMASK), (UINT)INDEXTOOVERLAYMASK(1));
}

TEST_F(MsgViewsTest, HeaderClicksSortDescendingThenAscendingAndNoneRestoresInsertionOrder) {
    FillOutbox();
    Show(Box(1));
    list->SortByColumn(7);
    EXPECT_EQ(Column(7), (std::vector<std::string>{"5", "3", "1"}));
    EXPECT_EQ(Str(L().GetHeaderCtrl() != nullptr ? [&] {
                  LVCOLUMN c{};
                  char buf[64] = {};
                  c.mask = LVCF_TEXT;
                  c.pszText = buf;
                  c.cchTextMax = sizeof buf;
                  L().GetColumn(7, &c);
                  return CString(buf);
              }()
                                                 : CString()),
              "大小  ");
    EXPECT_FALSE(list->IsSortAscending());
    // The arrow points down while descending, up while ascending, as in the contact list.
    CHeaderCtrl& header = *L().GetHeaderCtrl();
    EXPECT_EQ(HeaderArrowDirection(header, 7), -1);
    list->SortByColumn(7);
    EXPECT_TRUE(list->IsSortAscending());
    EXPECT_EQ(HeaderArrowDirection(header, 7), 1);
    EXPECT_EQ(Column(7), (std::vector<std::string>{"1", "3", "5"}));
    // Another column starts descending again, and the old title loses its blanks.
    list->SortByColumn(6);
    EXPECT_EQ(Column(6)[0].substr(0, 4), "2024");
    LVCOLUMN c{};
    char buf[64] = {};
    c.mask = LVCF_TEXT;
    c.pszText = buf;
    c.cchTextMax = sizeof buf;
    L().GetColumn(7, &c);
    EXPECT_STREQ(buf, "大小");
    EXPECT_EQ(HeaderArrowDirection(header, 7), 0);

    Command(CSmsView::ID_SORT_NONE);
    EXPECT_EQ(list->GetSortColumn(), -1);
    EXPECT_EQ(Column(7), (std::vector<std::string>{"3", "1", "5"}));
    EXPECT_FALSE(Enabled(CSmsView::ID_SORT_ASCENDING));

    // A refill keeps the sort.
    list->SortByColumn(2);
    doc.UpdateAllViews(nullptr);
    // Descending by the recipients' names in pinyin: yi, ji, ding.
    EXPECT_EQ(Column(2), (std::vector<std::string>{"乙<13900000002>", "己<13900000002>",
                                                   "丁<13900000002>"}));
}

TEST_F(MsgViewsTest, AnUnreadMessageIsMarkedReadAfterADelayThatGrowsWithItsLength) {
    const struct {
        int nLength;
        UINT nDelay;
    } kCases[] = {{0, 2000}, {160, 2000}, {161, 2012}, {320, 4000}, {2000, 25000}};
    for (auto& c : kCases) {
        _CSms sms;
        sms.m_strContent = CString('x', c.nLength);
        EXPECT_EQ(CMsgListView::GetReadDelay(&sms), c.nDelay) << c.nLength;
    }

    Box(0).AddSms(MakeSms(_CSms::STATE_READ, "甲", "我", "old"));
    _CSms* longOne = MakeSms(_CSms::STATE_UNREAD, "乙", "我", "");
    longOne->m_strContent = CString('y', 2000);
    Box(0).AddSms(longOne);
    Show(Box(0));
    Focus(0);
    EXPECT_FALSE(list->IsReadTimerRunning());
    Focus(1);
    ASSERT_TRUE(list->IsReadTimerRunning());
    EXPECT_EQ(list->GetReadTimerDelay(), 25000u);
    EXPECT_EQ(doc.GetCurrentMessageObject(), longOne);
    EXPECT_FALSE(doc.IsModified());
    // Moving on stops the timer: the message stays unread.
    Focus(0);
    EXPECT_FALSE(list->IsReadTimerRunning());
    EXPECT_EQ(longOne->GetState(), _CSms::STATE_UNREAD);
    Focus(1);
    list->OnReadTimer();
    EXPECT_EQ(longOne->GetState(), _CSms::STATE_READ);
    EXPECT_FALSE(list->IsReadTimerRunning());
    EXPECT_TRUE(doc.IsModified());
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    L().GetItem(&item);
    EXPECT_EQ(item.iImage, 0);
}

TEST_F(MsgViewsTest, APlainDeleteMovesToTheRecycleBoxAndTheNextRowBecomesCurrent) {
    FillOutbox();
    Show(Box(1));
    _CSms* second = static_cast<_CSms*>(list->GetMessageAt(1));
    _CSms* third = static_cast<_CSms*>(list->GetMessageAt(2));
    Focus(1);
    ASSERT_TRUE(Enabled(CMsgListView::ID_DELETE));
    Command(CMsgListView::ID_DELETE);
    EXPECT_TRUE(shown.empty()) << "a move into the recycle box asks nothing";
    EXPECT_EQ(Box(1).GetSmsCount(), 2);
    EXPECT_EQ(Box(3).GetSmsCount(), 1);
    EXPECT_TRUE(Box(3).Contains(second, FALSE));
    ASSERT_EQ(L().GetItemCount(), 2);
    // The row that followed keeps the focus, selected, and is the current message.
    EXPECT_EQ(list->GetCurRow(), 1);
    EXPECT_EQ(L().GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_TRUE(L().GetItemState(1, LVIS_SELECTED));
    EXPECT_EQ(doc.GetCurrentMessageObject(), third);
    EXPECT_TRUE(doc.IsModified());

    // In the recycle box the plain delete is refused and the permanent one asks first.
    Show(Box(3));
    Focus(0);
    EXPECT_FALSE(Enabled(CMsgListView::ID_DELETE));
    answers = {IDNO};
    Command(CMsgListView::ID_DELETE_PERMANENT);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Str(shown[0].text), "您确实要删除这些短信吗？(将无法恢复)");
    EXPECT_EQ(Box(3).GetSmsCount(), 1);
    answers = {IDYES};
    Command(CMsgListView::ID_DELETE_PERMANENT2);
    EXPECT_EQ(Box(3).GetSmsCount(), 0);
    EXPECT_EQ(L().GetItemCount(), 0);
    EXPECT_EQ(list->GetCurRow(), -1);
    EXPECT_EQ(doc.GetCurrentMessageObject(), nullptr);
}

TEST_F(MsgViewsTest, DeletingManyRowsKeepsTheirOrderInTheRecycleBoxAndMovesTheFocusDown) {
    // Eight messages whose sizes put the rows in another order than the box's; the recycle box
    // already holds one, which stays first.
    _CSms* old = MakeSms(_CSms::STATE_SENT, "甲", "乙", "old");
    Box(3).AddSms(old);
    const char* texts[] = {"aaaa", "a", "aaaaaaa", "aa", "aaaaaaaa", "aaa", "aaaaa", "aaaaaa"};
    for (const char* text : texts)
        Box(1).AddSms(MakeSms(_CSms::STATE_DRAFT, "甲", "乙", text));
    Show(Box(1));
    list->SortByColumn(7);
    ASSERT_EQ(Column(7), (std::vector<std::string>{"8", "7", "6", "5", "4", "3", "2", "1"}));
    std::vector<CMessageBase*> rows;
    for (int i = 0; i < L().GetItemCount(); ++i)
        rows.push_back(list->GetMessageAt(i));
    // Every other row, the focus on the fifth.
    Focus(4);
    for (int i : {0, 2, 6})
        L().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    Command(CMsgListView::ID_DELETE);

    std::vector<CContent*> recycled;
    for (POSITION pos = Box(3).GetFirstMessagePosition(); pos != nullptr;)
        recycled.push_back(Box(3).GetNextMessage(pos));
    EXPECT_EQ(recycled, (std::vector<CContent*>{old, rows[0], rows[2], rows[4], rows[6]}));
    EXPECT_EQ(Column(7), (std::vector<std::string>{"7", "5", "3", "1"}));
    EXPECT_EQ(Box(1).GetSmsCount(), 4);
    // The row that took the focused one's place is focused, selected alone and current.
    EXPECT_EQ(L().GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(L().GetSelectedCount(), 1u);
    EXPECT_TRUE(L().GetItemState(2, LVIS_SELECTED));
    EXPECT_EQ(list->GetCurRow(), 2);
    EXPECT_EQ(doc.GetCurrentMessageObject(), rows[5]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list->GetMessageAt(i), rows[(size_t)(2 * i + 1)]);
}

TEST_F(MsgViewsTest, RemovingInsideTheRecycleTreeDeletesForGood) {
    _CSmsBox* inner = Box(3).AddSubBox("旧的", CMsgBoxBase::BOX_USER);
    inner->AddSms(MakeSms(_CSms::STATE_SENT, "甲", "乙", "x"));
    inner->AddSms(MakeSms(_CSms::STATE_SENT, "甲", "乙", "y"));
    Show(*inner);
    L().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    list->RemoveSelected(FALSE, nullptr);
    EXPECT_EQ(inner->GetSmsCount(), 0);
    EXPECT_EQ(Box(3).GetSmsCount(), 0);
    EXPECT_EQ(doc.GetCurrentMessageObject(), nullptr);
}

TEST_F(MsgViewsTest, APlainDeleteWithoutARecycleBoxAsksBeforeDeletingForGood) {
    // A root that lost its recycle box (an old file): the plain delete would destroy.
    _CSmsBox root("根");
    _CSmsBox* out = root.AddSubBox("发件箱", CMsgBoxBase::BOX_OUTBOX);
    out->AddSms(MakeSms(_CSms::STATE_DRAFT, "甲", "乙", "keep"));
    Show(*out);
    Focus(0);
    answers = {IDNO};
    Command(CMsgListView::ID_DELETE2);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Str(shown[0].text), "您确实要删除这些短信吗？(将无法恢复)");
    EXPECT_EQ(out->GetSmsCount(), 1);
    EXPECT_EQ(L().GetItemCount(), 1);
    answers = {IDYES};
    Command(CMsgListView::ID_DELETE);
    EXPECT_EQ(out->GetSmsCount(), 0);
    SetDocCurrentBox(&doc, nullptr);
}

TEST_F(MsgViewsTest, ClicksOnTheKindAndTimeCellsSelectTheRowAndLeaveTheFlagsAlone) {
    FillOutbox();
    Show(Box(1));
    for (int column : {4, 6}) {
        L().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        CRect cell;
        ASSERT_TRUE(L().GetSubItemRect(2, column, LVIR_BOUNDS, cell));
        CMessageBase* message = list->GetMessageAt(2);
        const DWORD flags = message->GetFlags();
        const LPARAM at = MAKELPARAM(cell.left + 5, cell.CenterPoint().y);
        L().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        L().SendMessage(WM_LBUTTONUP, 0, at);
        Pump();
        EXPECT_EQ(message->GetFlags(), flags) << "column " << column;
        EXPECT_TRUE(L().GetItemState(2, LVIS_SELECTED)) << "column " << column;
        EXPECT_EQ(doc.GetCurrentMessageObject(), message) << "column " << column;
    }
}

TEST_F(MsgViewsTest, ACopyDropIntoAnOutboxDuplicatesTheMessageDatedNow) {
    FillOutbox();
    Show(Box(1));
    const CTime before = CTime::GetCurrentTime();
    EXPECT_FALSE(list->DropInList(0, 0, TRUE, FALSE));
    EXPECT_FALSE(list->DropInList(0, 0, FALSE, FALSE));
    EXPECT_EQ(Box(1).GetSmsCount(), 3);
    EXPECT_TRUE(list->DropInList(0, DRAG_KEY_CTRL, TRUE, FALSE));
    EXPECT_EQ(Box(1).GetSmsCount(), 3) << "a query changes nothing";
    EXPECT_TRUE(list->DropInList(0, DRAG_KEY_CTRL, FALSE, FALSE));
    ASSERT_EQ(Box(1).GetSmsCount(), 4);
    ASSERT_EQ(L().GetItemCount(), 4);
    int copies = 0;
    for (POSITION pos = Box(1).GetFirstSmsPosition(); pos != nullptr;) {
        _CSms* p = Box(1).GetNextSms(pos);
        if (p->m_strContent == "ccc" && p->GetTime() >= before)
            ++copies;
    }
    EXPECT_EQ(copies, 1);
    EXPECT_TRUE(doc.IsModified());

    // Outside the outbox tree even the copy key is refused.
    Box(2).AddSms(MakeSms(_CSms::STATE_SENT, "甲", "乙", "s"));
    Show(Box(2));
    EXPECT_FALSE(list->DropInList(0, DRAG_KEY_CTRL, FALSE, FALSE));
    EXPECT_EQ(Box(2).GetSmsCount(), 1);
}

TEST_F(MsgViewsTest, RestoreSendsEachMessageBackToTheBoxItsStateBelongsIn) {
    Box(3).AddSms(MakeSms(_CSms::STATE_UNREAD, "甲", "我", "in"));
    Box(3).AddSms(MakeSms(_CSms::STATE_SENT, "我", "乙", "sent"));
    Box(3).AddSms(MakeSms(_CSms::STATE_DRAFT, "我", "丙", "draft"));
    Show(Box(3));
    EXPECT_FALSE(Enabled(CSmsView::ID_RESTORE));
    L().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(Enabled(CSmsView::ID_RESTORE));
    Command(CSmsView::ID_RESTORE);
    EXPECT_EQ(Box(3).GetSmsCount(), 0);
    EXPECT_EQ(Box(0).GetSmsCount(), 1);
    EXPECT_EQ(Box(2).GetSmsCount(), 1);
    EXPECT_EQ(Box(1).GetSmsCount(), 1);
    EXPECT_EQ(L().GetItemCount(), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(MsgViewsTest, TheSplitViewGivesTheContentAQuarterOfTheHeightAndCaptionsTheMessage) {
    const struct {
        int cy;
        int lower;
    } kCases[] = {{400, 100}, {403, 100}, {60, 20}};
    for (auto& c : kCases) {
        view->MoveWindow(0, 0, 600, c.cy);
        Pump();
        int cur = 0, min = 0;
        view->GetSplitter().GetRowInfo(1, cur, min);
        int upper = 0;
        view->GetSplitter().GetRowInfo(0, upper, min);
        CRect rc;
        view->GetContentPane()->GetWindowRect(&rc);
        CRect whole;
        view->GetSplitter().GetWindowRect(&whole);
        EXPECT_EQ(rc.Height(), c.lower) << c.cy << " upper " << upper << " lower " << cur
                                        << " splitter " << whole.Height();
    }

    _CSms* sms = MakeSms(_CSms::STATE_UNREAD, "张三", "李四", "今晚见");
    Box(0).AddSms(sms);
    view->MoveWindow(0, 0, 900, 600);
    Show(Box(0));
    EXPECT_EQ(Str(view->GetSplitter().GetCaption()), "");
    Focus(0);
    EXPECT_EQ(Str(view->GetSplitter().GetCaption()),
              "张三<13800000001> -> 李四<13900000002> [未读 2024-05-06 07:08:09]");
    // The content pane shows the text of the focused message.
    auto* content = dynamic_cast<CViewSmsContent*>(view->GetContentPane());
    ASSERT_NE(content, nullptr);
    CString text;
    content->GetRichEditCtrl().GetWindowText(text);
    EXPECT_EQ(Str(text), "今晚见");
}

TEST_F(MsgViewsTest, ABoxThatChangesRefillsTheListSoNoRowOutlivesItsMessage) {
    FillOutbox();
    Show(Box(1));
    ASSERT_EQ(L().GetItemCount(), 3);
    Box(1).DeleteAllSms();
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(L().GetItemCount(), 0);
    SetDocCurrentBox(&doc, nullptr);
    Box(2).AddSms(MakeSms(_CSms::STATE_SENT, "甲", "乙", "s"));
    Show(Box(2));
    EXPECT_EQ(L().GetItemCount(), 1);
    SetDocCurrentBox(&doc, nullptr);
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(L().GetItemCount(), 0);
}

TEST_F(MsgViewsTest, PicturesOfTheListInEveryStateAndOfTheRecycleBox) {
    _CSmsBox& in = Box(0);
    in.AddSms(MakeSms(_CSms::STATE_READ, "张三", "我", "已经读过的短信"));
    in.AddSms(MakeSms(_CSms::STATE_UNREAD, "李四", "我", "还没有读的短信，显示为粗体蓝字"));
    in.AddSms(MakeSms(_CSms::STATE_PENDING, "我", "王五", "等待发送"));
    in.AddSms(MakeSms(_CSms::STATE_DRAFT, "我", "赵六", "草稿"));
    in.AddSms(MakeSms(_CSms::STATE_SENT, "我", "钱七", "已经发出"));
    Show(in);
    list->SortByColumn(6);
    Focus(1);
    Pump();
    host.SaveScreenshot(ScreenPath("sms-list-states").c_str());
    // Every state in its row with its picture; the unread one selected, its text below it.
    ASSERT_EQ(L().GetItemCount(), 5);
    EXPECT_EQ(Column(5), (std::vector<std::string>{"已经读过的短信", "还没有读的短信，显示为粗体蓝字",
                                                   "等待发送", "草稿", "已经发出"}));
    const int kStates[] = {_CSms::STATE_READ, _CSms::STATE_UNREAD, _CSms::STATE_PENDING,
                           _CSms::STATE_DRAFT, _CSms::STATE_SENT};
    for (int row = 0; row < 5; ++row) {
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        L().GetItem(&item);
        EXPECT_EQ(item.iImage, CSmsView::GetStateImageIndex(kStates[row])) << row;
    }
    EXPECT_EQ(L().GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(L().GetSelectedCount(), 1u);
    EXPECT_EQ(Str(view->GetSplitter().GetCaption()),
              "李四<13800000001> -> 我<13900000002> [未读 2024-05-06 07:08:09]");
    auto* content = dynamic_cast<CViewSmsContent*>(view->GetContentPane());
    ASSERT_NE(content, nullptr);
    CString text;
    content->GetRichEditCtrl().GetWindowText(text);
    EXPECT_EQ(Str(text), "还没有读的短信，显示为粗体蓝字");
    // Only the unread row is written in blue.
    const QImage picture = L().GetWidget()->grab().toImage();
    auto bluePixels = [&](int row) {
        CRect rc;
        L().GetItemRect(row, &rc, LVIR_BOUNDS);
        int n = 0;
        for (int y = std::max(0, (int)rc.top); y < std::min((int)rc.bottom, picture.height()); ++y)
            for (int x = std::max(0, (int)rc.left); x < std::min((int)rc.right, picture.width()); ++x)
                n += picture.pixelColor(x, y) == QColor(0, 0, 255);
        return n;
    };
    EXPECT_GT(bluePixels(1), 20);
    for (int row : {0, 2, 3, 4})
        EXPECT_EQ(bluePixels(row), 0) << row;

    Box(3).AddSms(MakeSms(_CSms::STATE_SENT, "我", "孙八", "删除的短信"));
    Box(3).AddSms(MakeSms(_CSms::STATE_READ, "周九", "我", "也删除了"));
    Show(Box(3));
    Focus(0);
    host.SaveScreenshot(ScreenPath("sms-list-recycle").c_str());
    // The recycle box: its two rows, each with the recycle mark; the first one's text below.
    ASSERT_EQ(L().GetItemCount(), 2);
    std::vector<std::string> subjects = Column(5);
    std::vector<std::string> deleted{"删除的短信", "也删除了"};
    std::sort(subjects.begin(), subjects.end());
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(subjects, deleted);
    for (int row = 0; row < 2; ++row)
        EXPECT_NE(L().GetItemState(row, LVIS_OVERLAYMASK), 0u) << row;
    EXPECT_EQ(L().GetNextItem(-1, LVNI_SELECTED), 0);
    content->GetRichEditCtrl().GetWindowText(text);
    EXPECT_EQ(Str(text), Str(L().GetItemText(0, 5)));
    EXPECT_NE(Str(view->GetSplitter().GetCaption()).find(Str(L().GetItemText(0, 1))), std::string::npos);
}

// ---- Sending the selected rows through the manager, its progress window and the stand-in for
// the service's gateway.

class SendRunTest : public MsgViewsTest {
protected:
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    test_folders::TempDir config;
    test_folders::ScopedEnv configEnv{"QUILLMAR_CONFIG", config.str()};
    test_folders::TempDir home;
    test_folders::ScopedEnv homeEnv{"QUILLMAR_HOME", home.str()};
    FakeComposeHost composeHost;
    CMainWndCommHost commHost;
    CCommDevice device;

    void SetUp() override {
        MsgViewsTest::SetUp();
        ASSERT_TRUE(server.IsListening());
        CProfileStore::ReloadForTesting();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
        doc.GetSender().GetRecord().m_remote.m_strUserId = "13800138000";
        doc.GetSender().GetRecord().m_remote.m_strPassword = "pw";
        commHost.SetMainWnd(&host);
        commHost.SetActiveSender(&doc.GetSender());
        device.SetHost(&commHost);
        composeHost.device = &device;
        SetSmsComposeHost(&composeHost);
    }
    void TearDown() override {
        SetSmsComposeHost(nullptr);
        MsgViewsTest::TearDown();
        CProfileStore::ReloadForTesting();
    }
    // The gateway's answer to each part: made from the number and the part's text.
    void Gateway(std::function<const char*(const std::string& phone, const std::string& text)> f) {
        server.SetHandler([f](const test_net::RecordedRequest& r, test_net::Reply& reply) {
            if (r.page != SMS_GATEWAY_SEND_PAGE)
                return false;
            reply = test_net::Reply::Text(f(FormField(r.body, "Phone"), FormField(r.body, "Content")));
            return true;
        });
    }
    static std::string FormField(const std::string& body, const std::string& name) {
        for (size_t at = 0; at < body.size();) {
            size_t end = body.find('&', at);
            if (end == std::string::npos)
                end = body.size();
            const std::string field = body.substr(at, end - at);
            if (field.compare(0, name.size() + 1, name + "=") == 0)
                return field.substr(name.size() + 1);
            at = end + 1;
        }
        return std::string();
    }
    void SelectAll() {
        for (int i = 0; i < L().GetItemCount(); ++i)
            L().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    }
    CDlgSendSmsProgress* Progress() {
        return dynamic_cast<CDlgSendSmsProgress*>(device.GetProgress());
    }
    int AsSmsState(int row) {
        auto* p = dynamic_cast<_CSms*>(list->GetMessageAt(row));
        return p != nullptr ? p->GetState() : -1;
    }
    std::vector<std::string> Contents(_CSmsBox& box) {
        std::vector<std::string> v;
        for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;)
            v.push_back(Str(box.GetNextSms(pos)->m_strContent));
        return v;
    }
};

// A message to two people in two parts: the first gets one part, the second none. The row keeps
// the message (now to the second person only) and a new selected row below it holds the part
// the first person still lacks; a message that went whole leaves the list; a row not selected
// stays as it was.
TEST_F(SendRunTest, APartlySentMessageLeavesTheQueuedMessagesInItsPlaceAndASentOneLeaves) {
    const std::string first(160, 'a');
    Gateway([](const std::string& phone, const std::string& text) {
        if (phone == "13900000001" && text[0] == 'a')
            return "0";
        if (phone == "13900000003")
            return "0";
        return "30#失败";
    });
    auto* batch = MakeSms(_CSms::STATE_PENDING, "我", "", (first + "bbb").c_str());
    batch->m_bBatch = TRUE;
    batch->m_batchList.AddTail(CString("张三\n13900000001"));
    batch->m_batchList.AddTail(CString("李四\n13900000002"));
    Box(1).AddSms(batch);
    auto* whole = MakeSms(_CSms::STATE_DRAFT, "我", "王五", "整条发出");
    whole->m_recipient = CNameCodeString("王五\n13900000003");
    Box(1).AddSms(whole);
    Box(1).AddSms(MakeSms(_CSms::STATE_DRAFT, "我", "赵六", "不发"));
    Show(Box(1));
    ASSERT_EQ(L().GetItemCount(), 3);
    L().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    L().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(Enabled(CSmsView::ID_SEND_SMS));

    Command(CSmsView::ID_SEND_SMS);

    // Part one to 张三, part one to 李四 (refused), 王五's message.
    EXPECT_EQ(server.Requests().size(), 4u);
    ASSERT_EQ(L().GetItemCount(), 3);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"李四<13900000002>,共1人", "张三<13900000001>",
                                                  "赵六<13900000002>"}));
    EXPECT_EQ(Column(5)[1], "bbb");
    EXPECT_EQ(list->GetMessageAt(0), batch);
    EXPECT_EQ(L().GetItemState(1, LVIS_SELECTED), (UINT)LVIS_SELECTED);
    EXPECT_EQ(L().GetItemState(2, LVIS_SELECTED), 0u);
    // The box holds what the rows show (the manager files the part still owed just before the
    // message it came from).
    EXPECT_EQ(Contents(Box(1)), (std::vector<std::string>{"bbb", first + "bbb", "不发"}));
    EXPECT_EQ(Contents(Box(2)), (std::vector<std::string>{first, "整条发出"}));
    EXPECT_TRUE(doc.IsModified());
    // The progress window shows each recipient's row.
    CDlgSendSmsProgress* dlg = Progress();
    ASSERT_NE(dlg, nullptr);
    CListCtrl& rows = dlg->GetList();
    ASSERT_EQ(rows.GetItemCount(), 3);
    EXPECT_EQ(Str(rows.GetItemText(0, CDlgSendSmsProgress::COL_SENT)), "1");
    EXPECT_EQ(Str(rows.GetItemText(1, CDlgSendSmsProgress::COL_SENT)), "0");
    EXPECT_EQ(Str(rows.GetItemText(2, CDlgSendSmsProgress::COL_NOTE)), "全部成功发送 :)");
}

// Cancel in the progress window while the first message is on its way: that message still counts
// and leaves the list; the rows after it are not sent and stay, unchanged.
TEST_F(SendRunTest, CancelDuringTheFirstMessageLeavesTheOtherRowsUnsent) {
    test_net::Reply slow = test_net::Reply::Text("0");
    slow.delayMs = 300;
    server.SetReply(SMS_GATEWAY_SEND_PAGE, slow);
    const char* texts[] = {"第一条", "第二条", "第三条"};
    for (const char* text : texts) {
        auto* sms = MakeSms(_CSms::STATE_PENDING, "我", "某人", text);
        sms->m_recipient = CNameCodeString("某人\n13900000009");
        Box(1).AddSms(sms);
    }
    Show(Box(1));
    SelectAll();
    bool cancelled = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (server.Requests().empty() || Progress() == nullptr)
            return;
        watch.stop();
        QTest::mouseClick(Progress()->GetDlgItem(IDCANCEL)->GetWidget(), Qt::LeftButton);
        cancelled = Progress()->IsCancelled();
    });
    watch.start();

    Command(CSmsView::ID_SEND_SMS);

    EXPECT_TRUE(cancelled);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Column(5), (std::vector<std::string>{"第二条", "第三条"}));
    EXPECT_EQ(Contents(Box(1)), (std::vector<std::string>{"第二条", "第三条"}));
    EXPECT_EQ(Contents(Box(2)), (std::vector<std::string>{"第一条"}));
    for (int i = 0; i < L().GetItemCount(); ++i)
        EXPECT_EQ(AsSmsState(i), _CSms::STATE_PENDING);
    EXPECT_FALSE(device.IsSending());
}
