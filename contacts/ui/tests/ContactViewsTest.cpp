// The views beside the address-book tree that show a contact or a group's contacts: the message
// box counts with their total row, a contact's information list with its switches, the person
// view around it and the view of a link whose source is gone.
#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/FormNamebook.h"
#include "contacts/ui/ViewInvalidVirtualItem.h"
#include "contacts/ui/ViewPerson.h"
#include "contacts/ui/ViewPersonsBox.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Frame.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "ui/TabWnd.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ContactViewsTest : public GuiTest {
protected:
    std::unique_ptr<CSmsDoc> doc;
    CFrameWnd* frame = nullptr;
    UINT nextId = AFX_IDW_PANE_FIRST;

    void SetUp() override {
        AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDOK; });
        doc = std::make_unique<CSmsDoc>();
        doc->m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CRect(0, 0, 900, 420)));
    }
    void TearDown() override {
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        doc.reset();
        AfxSetMessageBoxHook(nullptr);
    }
    // A view of the class over the document, filling the frame, told it is ready.
    template <class T> T* MakeView(CRuntimeClass* pClass) {
        CCreateContext context;
        context.m_pNewViewClass = pClass;
        context.m_pCurrentDoc = doc.get();
        CRect rc;
        frame->GetClientRect(&rc);
        auto* view = dynamic_cast<T*>(
            CView::CreateFromContext(&context, frame, nextId++, WS_CHILD | WS_VISIBLE, rc));
        if (view != nullptr) {
            view->SetNotifyWnd(nullptr);
            view->OnInitialUpdate();
        }
        return view;
    }
    void Show(CObject* pObject) {
        doc->SetCurrentObject(pObject);
        doc->UpdateAllViews(nullptr);
    }
    _CPerson* Person(_CGroup& g, const char* name) {
        auto* p = new _CPerson(name);
        g.AddContent(p);
        return p;
    }
    static void AddMessages(_CPerson* p, int box, std::vector<int> states) {
        for (int state : states) {
            auto* sms = new _CSms("你好");
            sms->SetState(state);
            p->GetSmsBox(box)->AddSms(sms);
        }
    }
    static std::vector<std::string> Row(CListCtrl& list, int row) {
        std::vector<std::string> out;
        for (int col = 0; col < 5; ++col)
            out.push_back(list.GetItemText(row, col).GetString());
        return out;
    }
    void Grab(CWnd* w, const char* name) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        Pump();
        EXPECT_TRUE(w->SaveScreenshot(ScreenPath(name).c_str()));
    }
};

TEST_F(ContactViewsTest, TheBoxListCountsEachContactsBoxesAndTotalsSeveralContacts) {
    CViewPersonsBox* box = MakeView<CViewPersonsBox>(RUNTIME_CLASS(CViewPersonsBox));
    ASSERT_NE(box, nullptr);
    CListCtrl& list = box->GetListCtrl();
    ASSERT_EQ(list.GetHeaderCtrl()->GetItemCount(), 5);

    // One contact: its counts, empty cells for empty boxes, no total row.
    _CGroup& root = doc->GetRootGroup();
    auto* one = new _CGroup("同学");
    root.AddSubgroup(one);
    _CPerson* zhang = Person(*one, "张三");
    AddMessages(zhang, 0, {_CSms::STATE_READ, _CSms::STATE_UNREAD, _CSms::STATE_READ});
    AddMessages(zhang, 3, {_CSms::STATE_READ});
    Show(one);
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"张三", "3条(已读2条，未读1条)", "", "",
                                                      "1条"}));

    // Two contacts: a total row in bold blue, its count two characters wide, every count summed.
    _CPerson* li = Person(*one, "李四");
    AddMessages(li, 0, {_CSms::STATE_UNREAD});
    AddMessages(li, 1, {_CSms::STATE_PENDING, _CSms::STATE_DRAFT, _CSms::STATE_PENDING});
    AddMessages(li, 2, {_CSms::STATE_SENT, _CSms::STATE_SENT});
    Show(one);
    // The group keeps its contacts in name order: 李四 before 张三.
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"李四", "1条(已读0条，未读1条)",
                                                      "3条(待发2条，草稿1条)", "2条", ""}));
    EXPECT_EQ(list.GetItemData(1), (DWORD_PTR) static_cast<CObject*>(zhang));
    EXPECT_EQ(Row(list, 2),
              (std::vector<std::string>{"总计: 2人", "4条(已读2条，未读2条)",
                                        "3条(待发2条，草稿1条)", "2条", "1条"}));
    EXPECT_EQ(list.GetItemData(2), (DWORD_PTR)CViewPersonsBox::kTotalRowData);

    // A row chosen from outside takes the selection from the one before.
    box->SelectRow(1);
    box->SelectRow(0);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 0);

    // A contact as current object leaves the rows alone.
    Show(li);
    EXPECT_EQ(list.GetItemCount(), 3);
    Grab(frame, "contacts-persons-box");
}

class PsnInfoTest : public ContactViewsTest {
protected:
    _CPerson* person = nullptr;
    CViewPsnInfo* info = nullptr;

    void SetUp() override {
        ContactViewsTest::SetUp();
        person = Person(doc->GetRootGroup(), "王芳");
        person->GetInfo().m_personal.strNickname = "芳芳";
        for (const char* m : {"13900000001", "13900000002", "13900000003"})
            contacts_test::AddValue(person->GetInfo().m_personal.mobiles, m);
        contacts_test::SetCurrentValue(*person, PF_MOBILE, 1);
        contacts_test::AddFieldText(*person, PF_NOTE, "老同学");
        info = MakeView<CViewPsnInfo>(RUNTIME_CLASS(CViewPsnInfo));
        ASSERT_NE(info, nullptr);
        Show(person);
    }
    CListCtrl& List() { return info->GetListCtrl(); }
    int RowOf(const char* label) {
        for (int i = 0; i < List().GetItemCount(); ++i)
            if (List().GetItemText(i, 0).Find(label) == 0)
                return i;
        return -1;
    }
    std::string Text(const char* label) {
        int row = RowOf(label);
        return row < 0 ? "<none>" : List().GetItemText(row, 1).GetString();
    }
    void Command(UINT id) { info->SendMessage(WM_COMMAND, id, 0); }
};

TEST_F(PsnInfoTest, RowsFollowTheFieldOrderAndTheTwoSwitches) {
    // Only filled fields, in the list's order, the field number as item data.
    ASSERT_GE(List().GetItemCount(), 4);
    EXPECT_EQ(List().GetItemText(0, 0), "姓名");
    EXPECT_EQ(List().GetItemText(1, 0), "昵称");
    EXPECT_EQ((int)List().GetItemData(1), PF_NICKNAME);
    EXPECT_EQ(Text("手机"), "13900000001; 13900000002; 13900000003");
    EXPECT_EQ(RowOf("家庭地址"), -1);
    EXPECT_LT(RowOf("手机"), RowOf("附注"));

    // Every field: the empty ones show "-".
    Command(CViewPsnInfo::ID_SHOW_ALL_FIELDS);
    EXPECT_TRUE(info->IsShowAllFields());
    EXPECT_EQ(List().GetItemCount(), CViewPsnInfo::kFieldOrderCount);
    EXPECT_EQ(Text("家庭地址"), "-");
    Command(CViewPsnInfo::ID_SHOW_ALL_FIELDS);
    EXPECT_EQ(RowOf("家庭地址"), -1);

    // Default values only: the default's place among the values after the field's name.
    Command(CViewPsnInfo::ID_DEFAULT_VALUES_ONLY);
    int row = RowOf("手机");
    ASSERT_GE(row, 0);
    EXPECT_EQ(List().GetItemText(row, 0), "手机(2/3)");
    EXPECT_EQ(List().GetItemText(row, 1), "13900000002");
    EXPECT_EQ(List().GetItemText(0, 0), "姓名");
}

TEST_F(PsnInfoTest, TheSelectedFieldIsKeptCopiedAndOpenedInTheForm) {
    EXPECT_EQ(info->GetSelectedField(), -1);
    EXPECT_EQ(info->GetSelectedLabel(), "目前没有被选择的条目与内容");
    EXPECT_EQ(info->GetSelectedValue(), "");

    int row = RowOf("附注");
    ASSERT_GE(row, 0);
    List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(info->GetSelectedField(), PF_NOTE);
    EXPECT_EQ(info->GetSelectedValue(), "老同学");

    // A rebuild selects the same field again.
    Command(CViewPsnInfo::ID_SHOW_ALL_FIELDS);
    EXPECT_EQ(List().GetNextItem(-1, LVNI_SELECTED), RowOf("附注"));
    EXPECT_EQ(info->GetSelectedField(), PF_NOTE);

    Command(CViewPsnInfo::ID_COPY);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL h = GetClipboardData(CF_TEXT);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(std::string((const char*)GlobalLock(h)).find("老同学"), std::string::npos);
    GlobalUnlock(h);
    CloseClipboard();

    // The form of the same document shows the field's page.
    auto* form = MakeView<CFormNamebook>(RUNTIME_CLASS(CFormNamebook));
    ASSERT_NE(form, nullptr);
    Show(person);
    ASSERT_NE(form->GetSheet().GetSafeHwnd(), nullptr);
    ASSERT_EQ(form->GetSheet().GetActiveIndex(), (int)CPSheetNamebook::PAGE_PERSON);
    Command(CViewPsnInfo::ID_GO_TO_FIELD);
    EXPECT_EQ(form->GetSheet().GetActiveIndex(), (int)CPSheetNamebook::PAGE_OTHER);
}

TEST_F(ContactViewsTest, TheFormsSheetIsNeverLaidOutBelowItsMinimum) {
    auto* form = MakeView<CFormNamebook>(RUNTIME_CLASS(CFormNamebook));
    ASSERT_NE(form, nullptr);
    Show(Person(doc->GetRootGroup(), "王芳"));
    struct Case {
        int cx, cy, wantCx, wantCy;
    } cases[] = {{150, 80, 200, 100}, {640, 90, 640, 100}, {520, 360, 520, 360}};
    for (const Case& c : cases) {
        form->SetWindowPos(nullptr, 0, 0, c.cx, c.cy, SWP_NOZORDER | SWP_NOMOVE);
        CRect rc;
        form->GetSheet().GetWindowRect(&rc);
        EXPECT_EQ(rc.Width(), c.wantCx) << c.cx << "x" << c.cy;
        EXPECT_EQ(rc.Height(), c.wantCy) << c.cx << "x" << c.cy;
    }
}

TEST_F(ContactViewsTest, ThePersonViewShowsTheInformationTabAndEmptyRecordPanes) {
    _CPerson* p = Person(doc->GetRootGroup(), "王芳");
    contacts_test::AddFieldText(*p, PF_MOBILE, "13900000001");
    contacts_test::AddFieldText(*p, PF_EMAIL, "wang@example.com");
    CViewPerson* view = MakeView<CViewPerson>(RUNTIME_CLASS(CViewPerson));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetTabs(), nullptr);
    ASSERT_NE(view->GetInfoList(), nullptr);
    CTabCtrl* tabs = view->GetTabs()->GetTabCtrl();
    ASSERT_EQ(tabs->GetItemCount(), 2);
    auto tab = [tabs](int i) {
        char text[64] = {};
        TCITEM item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        tabs->GetItem(i, &item);
        return std::make_pair(std::string(text), item.iImage);
    };
    EXPECT_EQ(tab(0), std::make_pair(std::string("个人基本资料"), 1));
    EXPECT_EQ(tab(1), std::make_pair(std::string("短信收发记录"), 0));
    EXPECT_EQ(view->GetTabs()->GetCurrentPageIndex(), 0);

    // The inner list reads the view's document, though it joined none itself.
    Show(p);
    CListCtrl& list = view->GetInfoList()->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 4); // with the time of the last change
    EXPECT_EQ(list.GetItemText(2, 1), "wang@example.com");
    EXPECT_EQ(view->GetInfoList()->GetDocument(), nullptr);

    // A new height gives the tabs three quarters of it.
    view->SetWindowPos(nullptr, 0, 0, 880, 400, SWP_NOZORDER | SWP_NOMOVE);
    int cy = 0, cyMin = 0;
    view->GetSplitter().GetRowInfo(0, cy, cyMin);
    EXPECT_NEAR(cy, 3 * 396 / 4, 12);
    Grab(frame, "contacts-person-view");
}

TEST_F(ContactViewsTest, TheInvalidLinkViewSaysSoInRedOnTheWorkspace) {
    EXPECT_EQ(CViewInvalidVirtualItem::GetText(), "无效的虚拟联系人!");
    auto* view = MakeView<CViewInvalidVirtualItem>(RUNTIME_CLASS(CViewInvalidVirtualItem));
    ASSERT_NE(view, nullptr);
    Pump();
    QImage shot = view->GetWidget()->grab().toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) {
                ++red;
                EXPECT_NEAR(y, shot.height() / 2, 20);
            }
        }
    EXPECT_GT(red, 20);
    Grab(frame, "contacts-invalid-link");
}

} // namespace

TEST_F(ContactViewsTest, ThePhotoTheUserStepsToIsStoredInTheContactAtOnceWithoutAChange) {
    auto* form = MakeView<CFormNamebook>(RUNTIME_CLASS(CFormNamebook));
    ASSERT_NE(form, nullptr);
    auto photosOf = [&](const char* name, int stored) {
        _CPerson* p = Person(doc->GetRootGroup(), name);
        for (const char* photo : {"a.png", "b.png", "c.png"})
            p->GetInfo().m_extra.AddTail(photo);
        p->GetInfo().m_extra.SetCurrentIndex(stored);
        return p;
    };
    _CPerson* fang = photosOf("王芳", 1);
    _CPerson* qiang = photosOf("王强", -1);
    doc->SetModifiedFlag(FALSE);
    Show(fang);
    CPSheetNamebook& sheet = form->GetSheet();
    ASSERT_TRUE(sheet.SetActivePage(CPSheetNamebook::PAGE_PHOTOS));
    CPagePhotoes& page = sheet.m_pagePhotoes;
    ASSERT_NE(page.GetSafeHwnd(), nullptr);
    ASSERT_EQ(page.GetCurrent(), 1);

    auto step = [&](UINT id) { form->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); };
    step(CPagePhotoes::ID_PHOTO_NEXT);
    EXPECT_EQ(fang->GetInfo().m_extra.GetCurrentIndex(), 2);
    step(CPagePhotoes::ID_PHOTO_PREVIOUS);
    step(CPagePhotoes::ID_PHOTO_PREVIOUS);
    EXPECT_EQ(fang->GetInfo().m_extra.GetCurrentIndex(), 0);
    // Nothing counts as an edit: neither the form nor the book is changed.
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_FALSE(doc->IsModified());

    // Showing a contact stores nothing: its unset index stays unset though its first photo shows.
    Show(qiang);
    EXPECT_EQ(page.GetCurrent(), 0);
    EXPECT_EQ(qiang->GetInfo().m_extra.GetCurrentIndex(), -1);
    EXPECT_EQ(fang->GetInfo().m_extra.GetCurrentIndex(), 0);
    step(CPagePhotoes::ID_PHOTO_NEXT);
    EXPECT_EQ(qiang->GetInfo().m_extra.GetCurrentIndex(), 1);
    EXPECT_EQ(fang->GetInfo().m_extra.GetCurrentIndex(), 0);
}
