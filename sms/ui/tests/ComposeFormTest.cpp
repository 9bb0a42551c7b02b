#include "ComposeTestSupport.h"

#include "sms/SmsCounter.h"

#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/HeaderCtrl.h"

#include <QCoreApplication>
#include <QAbstractScrollArea>
#include <QImage>
#include <QMouseEvent>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <fstream>

namespace {

TEST_F(ComposeFormTest, TheBatchListChecksAreTheEnabledOnesInOrder) {
    struct Case {
        BOOL duplicates, illegal, empty;
        int type;
        const char* number;
        int result;
        const char* message;
    } cases[] = {
        {TRUE, TRUE, TRUE, 0, "", CEditSmsForm::AddEmpty, "不允许添加空号!"},
        {FALSE, FALSE, FALSE, 0, "", 1, nullptr},
        {FALSE, TRUE, FALSE, 0, "1391234567", CEditSmsForm::AddIllegal, "不允许添加非法号码!"},
        {FALSE, TRUE, FALSE, 0, "139123456789", CEditSmsForm::AddIllegal, "不允许添加非法号码!"},
        {FALSE, TRUE, FALSE, 0, "abc-defghij", 1, nullptr}, // eleven characters of any kind
        {FALSE, TRUE, FALSE, 1, "1391234567", 1, nullptr},  // instant messages: any address
        {TRUE, FALSE, FALSE, 0, "13900000000", CEditSmsForm::AddDuplicate,
         "具有\"13900000000\"号码的收信人已在列表中，不必再添加!"},
        {FALSE, FALSE, FALSE, 0, "13900000000", 1, nullptr},
    };
    for (const Case& r : cases) {
        form->GetBatchList().DeleteAllItems();
        form->AddRecipient("甲", "13900000000", FALSE);
        form->SetOption(CEditSmsForm::OptDuplicates, r.duplicates);
        form->SetOption(CEditSmsForm::OptIllegal, r.illegal);
        form->SetOption(CEditSmsForm::OptEmpty, r.empty);
        SelectCombo(CEditSmsForm::IDC_TYPE, r.type);
        shown.clear();
        EXPECT_EQ(r.result, form->AddRecipient("乙", r.number, TRUE)) << r.number;
        if (r.message != nullptr) {
            ASSERT_EQ(1u, shown.size()) << r.number;
            EXPECT_EQ(shown[0].text, r.message);
            EXPECT_EQ(1, form->GetRowCount());
        } else {
            EXPECT_TRUE(shown.empty()) << r.number;
            EXPECT_EQ(2, form->GetRowCount());
        }
    }
    EXPECT_EQ(Item(CEditSmsForm::IDC_ROW_COUNT), "2");
    SelectCombo(CEditSmsForm::IDC_TYPE, 0);
}

TEST_F(ComposeFormTest, CountsShowTheLimitAndTheTooLongCountInRed) {
    SetText("a中b");
    EXPECT_EQ(Item(CEditSmsForm::IDC_CURRENT), "3");
    EXPECT_EQ(Item(CEditSmsForm::IDC_ALLOWED), "70");
    EXPECT_EQ(Item(CEditSmsForm::IDC_PARTS), "1");
    EXPECT_TRUE(form->IsDlgButtonChecked(CEditSmsForm::IDC_CODING_CHINESE));

    CString longText;
    for (int i = 0; i < 71; ++i)
        longText += "字";
    SetText(longText);
    EXPECT_EQ(Item(CEditSmsForm::IDC_PARTS), "2");
    EXPECT_EQ(form->GetCountColor(), RGB(255, 0, 0));
    EXPECT_EQ(Item(CEditSmsForm::IDC_CURRENT), "71");

    // Two messages allowed: 140 characters fit.
    SelectCombo(CEditSmsForm::IDC_LIMIT, SmsLimitParts);
    EXPECT_TRUE(form->GetDlgItem(CEditSmsForm::IDC_MESSAGES)->IsWindowEnabled());
    form->SetDlgItemInt(CEditSmsForm::IDC_MESSAGES, 2);
    EXPECT_EQ(Item(CEditSmsForm::IDC_ALLOWED), "140");
    EXPECT_EQ(form->GetCountColor(), (COLORREF)-1);

    // No limit: "无限", and the length check never fails.
    SelectCombo(CEditSmsForm::IDC_LIMIT, SmsLimitNone);
    EXPECT_EQ(Item(CEditSmsForm::IDC_ALLOWED), "无限");
    EXPECT_FALSE(form->GetDlgItem(CEditSmsForm::IDC_MESSAGES)->IsWindowEnabled());
    EXPECT_EQ(form->CheckInput().Find("超出"), -1);

    // An instant message: no limit, coding by choice, the type in blue; back to mobile messages
    // brings the earlier limit back.
    SelectCombo(CEditSmsForm::IDC_LIMIT, SmsLimitOnePart);
    SelectCombo(CEditSmsForm::IDC_TYPE, 1);
    auto* limit = static_cast<CComboBox*>(form->GetDlgItem(CEditSmsForm::IDC_LIMIT));
    EXPECT_EQ(limit->GetCurSel(), SmsLimitNone);
    EXPECT_FALSE(limit->IsWindowEnabled());
    EXPECT_TRUE(form->GetDlgItem(CEditSmsForm::IDC_SUBJECT)->IsWindowEnabled());
    EXPECT_FALSE(form->GetDlgItem(CEditSmsForm::IDC_HANDS_FREE)->IsWindowVisible());
    EXPECT_EQ(form->GetDlgItem(CEditSmsForm::IDC_TYPE)->GetWidget()->palette().color(QPalette::ButtonText),
              QColor(0, 0, 255));
    LVCOLUMN col{};
    char title[64] = {};
    col.mask = LVCF_TEXT;
    col.pszText = title;
    col.cchTextMax = sizeof title;
    form->GetBatchList().GetColumn(1, &col);
    EXPECT_STREQ(title, "网络地址");
    Pump();
    form->SaveScreenshot(ScreenPath("sms-compose-instant").c_str());
    SelectCombo(CEditSmsForm::IDC_TYPE, 0);
    EXPECT_EQ(limit->GetCurSel(), SmsLimitOnePart);
    EXPECT_EQ(form->GetDlgItem(CEditSmsForm::IDC_TYPE)->GetWidget()->palette().color(QPalette::ButtonText),
              QColor(255, 0, 0));
}

// Red pixels in the window as it is drawn.
int RedPixels(CWnd* pWnd) {
    const QImage image = pWnd->GetWidget()->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 160 && c.green() < 100 && c.blue() < 100;
        }
    return n;
}

// Chinese characters as an input method hands them to the focused editor, one at a time.
void TypeChinese(QWidget* editor, const QString& text) {
    for (QChar ch : text) {
        QInputMethodEvent e;
        e.setCommitString(QString(ch));
        QCoreApplication::sendEvent(editor, &e);
    }
}

// The user types past the default limit of one message: the counter line stops promising more
// parts and says, in red, that the text is over the limit the "字数限制" box sets.
TEST_F(ComposeFormTest, TypingPastTheLimitSaysSoInRedInsteadOfCountingParts) {
    CWnd* note = form->GetDlgItem(CEditSmsForm::IDC_OVER_LIMIT);
    ASSERT_NE(note, nullptr);
    QWidget* editor = form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget();
    editor->setFocus();
    TypeChinese(editor, QString(70, QChar(0x5B57)));
    EXPECT_EQ(Item(CEditSmsForm::IDC_CURRENT), "70");
    EXPECT_FALSE(note->IsWindowVisible());
    EXPECT_TRUE(form->GetDlgItem(CEditSmsForm::IDC_PARTS)->IsWindowVisible());
    EXPECT_EQ(Item(CEditSmsForm::IDC_PARTS_LEAD), "字，将分为");

    TypeChinese(editor, QString(QChar(0x5B57)));
    Pump();
    EXPECT_EQ(Item(CEditSmsForm::IDC_CURRENT), "71");
    EXPECT_TRUE(note->IsWindowVisible());
    EXPECT_EQ(Item(CEditSmsForm::IDC_OVER_LIMIT), "字，超出了“字数限制”");
    for (UINT id : {CEditSmsForm::IDC_PARTS_LEAD, CEditSmsForm::IDC_PARTS,
                    CEditSmsForm::IDC_PARTS_TAIL})
        EXPECT_FALSE(form->GetDlgItem(id)->IsWindowVisible()) << id;
    EXPECT_GT(RedPixels(note), 10) << "the note is red";
    form->SaveScreenshot(ScreenPath("sms-compose-too-long").c_str());

    // One character less, or a wider limit, and the parts come back.
    QTest::keyClick(editor, Qt::Key_Backspace);
    Pump();
    EXPECT_FALSE(note->IsWindowVisible());
    EXPECT_EQ(Item(CEditSmsForm::IDC_PARTS), "1");
    TypeChinese(editor, QString(QChar(0x5B57)));
    EXPECT_TRUE(note->IsWindowVisible());
    SelectCombo(CEditSmsForm::IDC_LIMIT, SmsLimitNone);
    EXPECT_FALSE(note->IsWindowVisible());
    EXPECT_EQ(Item(CEditSmsForm::IDC_PARTS), "2");
}

// Resting the pointer on each recipient control shows what it is for.
TEST_F(ComposeFormTest, TheRecipientControlsExplainThemselvesWhenThePointerRests) {
    const struct {
        UINT id;
        const char* tip;
    } cases[] = {
        {CEditSmsForm::IDC_SINGLE_BUTTON, "编辑单发短信时的收信人信息"},
        {CEditSmsForm::IDC_SINGLE,
         "在此直接编写单发短信时的收信人信息，格式为：收信人姓名<手机号>，或直接填写手机号。"},
        {CEditSmsForm::IDC_GENERATOR, "批量产生收信人号码"},
        {CEditSmsForm::IDC_BATCH,
         "群发收信人可直接从通讯录中拖动过来，也可用“批量生成器”生成。按Del键删除选择。"},
    };
    CToolTipCtrl& tips = form->GetToolTips();
    ASSERT_EQ(tips.GetToolCount(), 4);
    tips.SetDelayTime(TTDT_INITIAL, 5);
    for (const auto& c : cases) {
        QWidget* w = form->GetDlgItem(c.id)->GetWidget();
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
            w = area->viewport();
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
        ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); })) << c.tip;
        EXPECT_EQ(tips.GetShownText(), CString(c.tip));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
        EXPECT_FALSE(tips.IsTipShown());
    }
}

TEST_F(ComposeFormTest, FailedChecksAreReportedTogetherAndBuildNothing) {
    form->SetDlgItemText(CEditSmsForm::IDC_SINGLE, "");
    shown.clear();
    EXPECT_EQ(form->BuildSms(_CSms::STATE_PENDING, TRUE), nullptr);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(shown[0].text, "对不起，保存短信时遇到了下列错误:\n\n·短信内容为空。\n"
                             "·单发短信但没有指明收信人。\n\n请修改正确后重新保存!");
    ChooseBatch();
    CString longText;
    for (int i = 0; i < 71; ++i)
        longText += "字";
    SetText(longText);
    EXPECT_EQ(form->CheckInput(), "·短信内容超出了允许的长度。\n·群发短信但收信人列表为空。\n");
    EXPECT_TRUE(Outbox().IsSmsListEmpty());
}

TEST_F(ComposeFormTest, WithoutABoxForTheMessageTheFormSaysSoAndKeepsEverything) {
    SetText("你好");
    // No current box.
    doc.SetCurrentBox(nullptr);
    shown.clear();
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_PENDING);
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(shown[0].text.Find("没有可以存放"), -1);
    EXPECT_EQ(Item(CEditSmsForm::IDC_TEXT), "你好");
    EXPECT_EQ(Item(CEditSmsForm::IDC_SINGLE), "王芳<13912345678>");
    EXPECT_FALSE(doc.IsModified());

    // A root without an outbox.
    _CSmsBox bare("bare");
    doc.SetCurrentBox(&bare);
    shown.clear();
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_DRAFT);
    EXPECT_EQ(1u, shown.size());
    EXPECT_TRUE(bare.IsSmsListEmpty());
    EXPECT_EQ(Item(CEditSmsForm::IDC_TEXT), "你好");

    // The contact's own box: into its outbox.
    doc.SetCurrentBox(&person->GetSmsBox());
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_DRAFT);
    ASSERT_EQ(1, Outbox().GetSmsCount());
    POSITION pos = Outbox().GetFirstSmsPosition();
    _CSms* sms = Outbox().GetNextSms(pos);
    EXPECT_EQ(sms->GetState(), _CSms::STATE_DRAFT);
    EXPECT_EQ(sms->m_recipient.GetCode(), "13912345678");
    EXPECT_EQ(sms->m_strContent, "你好");
    EXPECT_EQ(sms->m_nSize, 4);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ComposeFormTest, ABatchOfOneRowIsSavedAsASingleMessage) {
    ChooseBatch();
    SetText("hi");
    form->AddRecipient("张三", "13700000000", TRUE);
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SAVE_PENDING);
    ASSERT_EQ(1, Outbox().GetSmsCount());
    POSITION pos = Outbox().GetFirstSmsPosition();
    _CSms* sms = Outbox().GetNextSms(pos);
    EXPECT_FALSE(sms->m_bBatch);
    EXPECT_EQ(sms->m_recipient.m_str, "张三\n13700000000");
    EXPECT_TRUE(sms->m_batchList.IsEmpty());
    EXPECT_EQ(sms->GetState(), _CSms::STATE_PENDING);
}

TEST_F(ComposeFormTest, AGroupDroppedWithCtrlBringsItsSubgroupsAndReportsRefusalsOnce) {
    _CGroup family("家人");
    family.AddContent(MakePerson("甲", "13711111111", "a@example.com"));
    family.AddContent(MakePerson("乙", "123"));
    auto* sub = new _CGroup("远亲");
    sub->AddContent(MakePerson("丙", "13722222222"));
    sub->AddContent(MakePerson("丁", nullptr));
    family.AddSubgroup(sub);
    form->SetOption(CEditSmsForm::OptIllegal, TRUE);
    form->SetOption(CEditSmsForm::OptEmpty, TRUE);
    CRect list;
    form->GetBatchList().GetWindowRect(&list);
    form->ScreenToClient(&list);

    shown.clear();
    ASSERT_TRUE(form->DropRecord(&family, list.CenterPoint(), FALSE));
    EXPECT_EQ(1, form->GetRowCount());
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(shown[0].text, "以下手机号码由于输入限制而未被添加(共1个):\n乙<123>");

    form->GetBatchList().DeleteAllItems();
    shown.clear();
    ASSERT_TRUE(form->DropRecord(&family, list.CenterPoint(), TRUE));
    EXPECT_EQ(2, form->GetRowCount());
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(shown[0].text, "以下手机号码由于输入限制而未被添加(共2个):\n乙<123>,丁");
    EXPECT_EQ(Row(0), (std::vector<std::string>{"甲", "13711111111", "a@example.com"}));

    // On the single recipient a contact becomes the recipient; elsewhere nothing is dropped.
    CRect single;
    form->GetDlgItem(CEditSmsForm::IDC_SINGLE)->GetWindowRect(&single);
    form->ScreenToClient(&single);
    POSITION pos = sub->GetFirstContentPosition();
    ASSERT_TRUE(form->DropRecord(sub->GetNextContent(pos), single.CenterPoint(), FALSE));
    EXPECT_EQ(Item(CEditSmsForm::IDC_SINGLE), "丙<13722222222>");
    EXPECT_FALSE(form->DropRecord(&family, CPoint(1, 1000), TRUE));
    form->GetBatchList().DeleteAllItems(); // the rows point at the group's contacts
}

TEST_F(ComposeFormTest, RecipientsExportAsColumnsJoinedByCommasAndImportUnchecked) {
    test_folders::TempDir dir;
    const CString path = (dir.str() + "/list.txt").c_str();
    form->AddPersonRecipient(person, TRUE);
    form->AddRecipient("", "13700000000", TRUE);
    onDialog = [&](CDialog& d) {
        static_cast<CFileDialog&>(d).Answer(path);
        d.EndDialog(IDOK);
    };
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_EXPORT_RECIPIENTS);
    std::ifstream in(path.GetString(), std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(written, std::string("王芳,13912345678,wf@example.com\r\n,13700000000,"));

    // Without the e-mail column: two fields a line.
    form->SetOption(CEditSmsForm::OptEmail, FALSE);
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_EXPORT_RECIPIENTS);
    std::ifstream in2(path.GetString(), std::ios::binary);
    written.assign(std::istreambuf_iterator<char>(in2), {});
    EXPECT_EQ(written, std::string("王芳,13912345678\r\n,13700000000"));

    // Imported lines pass none of the checks.
    std::ofstream(path.GetString(), std::ios::binary) << "甲,123\n\n乙\n丙,13712345678,x@y,extra\n";
    form->SetOption(CEditSmsForm::OptIllegal, TRUE);
    form->GetBatchList().DeleteAllItems();
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_IMPORT_RECIPIENTS);
    ASSERT_EQ(3, form->GetRowCount());
    EXPECT_EQ(Row(0), (std::vector<std::string>{"甲", "123"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"乙", ""}));
    EXPECT_EQ(Row(2), (std::vector<std::string>{"丙", "13712345678"}));
    EXPECT_EQ(Item(CEditSmsForm::IDC_ROW_COUNT), "3");
}

TEST_F(ComposeFormTest, TheMailListIsEncodedSoThatNoDataAddsMailFields) {
    _CPerson* tricky = MakePerson("A&B?", "13700000000", "x#y@example.com");
    doc.GetRootGroup().AddContent(tricky);
    form->AddPersonRecipient(person, TRUE);
    form->AddPersonRecipient(tricky, TRUE);
    form->SetOption(CEditSmsForm::OptNames, TRUE);
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SEND_MAIL);
    ASSERT_EQ(1u, opened.size());
    const std::string& url = opened[0];
    EXPECT_EQ(url.find('?'), std::string::npos) << url;
    EXPECT_EQ(url.find('&'), std::string::npos) << url;
    EXPECT_EQ(url.find('#'), std::string::npos) << url;

    // An independent decoder reads back the two addresses with their names.
    test_folders::TempDir dir;
    const std::string file = dir.str() + "/url.txt";
    std::ofstream(file, std::ios::binary) << url;
    const std::string script =
        "import sys, urllib.parse; u = open(sys.argv[1]).read(); p = urllib.parse.urlsplit(u); "
        "sys.stdout.write(p.scheme + '|' + urllib.parse.unquote(p.path) + '|' + p.query + '|' + "
        "p.fragment)";
    FILE* pipe = popen(("python3 -c \"" + script + "\" " + file + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        GTEST_SKIP() << "no python3";
    std::string decoded;
    char buf[512];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        decoded.append(buf, n);
    if (pclose(pipe) != 0)
        GTEST_SKIP() << "python3 could not run";
    const char8_t expected[] =
        u8"mailto|\"王芳\"<wf@example.com>;\"A&B?\"<x#y@example.com>||";
    EXPECT_EQ(decoded, std::string(reinterpret_cast<const char*>(expected)));
}

TEST_F(ComposeFormTest, WithoutAMailProgramSendingMailNamesTheMissingProgram) {
    AfxSetShellOpenHook([](const std::string&) { return false; });
    form->AddPersonRecipient(person, TRUE);
    shown.clear();
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_SEND_MAIL);
    ASSERT_EQ(1u, shown.size());
    const std::string text = shown[0].text.GetString();
    EXPECT_EQ(0u, text.find("操作失败!错误号为：31。")) << text;
    EXPECT_NE(std::string::npos, text.find("本机没有设置写邮件的程序")) << text;
}

TEST_F(ComposeFormTest, MailModeTakesTheGivenContactsWithTheirAddresses) {
    CObList contacts;
    contacts.AddTail(person);
    form->SetComposeMode(CEditSmsForm::ModeMail);
    form->StartCompose((LPARAM)&contacts, 0);
    EXPECT_TRUE(form->IsMailMode());
    EXPECT_EQ(Item(CEditSmsForm::IDC_SINGLE), "");
    ASSERT_EQ(1, form->GetRowCount());
    EXPECT_EQ(Row(0), (std::vector<std::string>{"王芳", "13912345678", "wf@example.com"}));
    Pump();
    form->SaveScreenshot(ScreenPath("sms-compose-mail").c_str());
}

TEST_F(ComposeFormTest, TheGeneratorFillsTheListAndItsLimitsAreKept) {
    form->SetOption(CEditSmsForm::OptDuplicates, TRUE);
    struct Case {
        const char* pattern;
        int rows;
        const char* message;
    } cases[] = {
        {"136****0000", 10000, nullptr},
        {"1a*", 0, "不能包含除数字与通配符以外的其他字符！"},
        {"1*****", 0, "通配符不能多于4个！"},
        {"13612345678", 0, nullptr},
        {"", 0, nullptr},
    };
    for (const Case& r : cases) {
        form->GetBatchList().DeleteAllItems();
        shown.clear();
        int result = -1;
        onDialog = [&](CDialog& d) {
            d.SetDlgItemText(1006, r.pattern);
            CString length;
            d.GetDlgItemText(1111, length);
            EXPECT_EQ(atoi(length), (int)strlen(r.pattern));
            d.SendMessage(WM_COMMAND, IDOK);
            result = d.IsWindowVisible() ? -2 : 0;
            if (r.message != nullptr)
                d.EndDialog(IDCANCEL);
        };
        form->SendMessage(WM_COMMAND, MAKEWPARAM(CEditSmsForm::IDC_GENERATOR, BN_CLICKED));
        EXPECT_EQ(r.rows, form->GetRowCount()) << r.pattern;
        if (r.message != nullptr) {
            ASSERT_EQ(1u, shown.size()) << r.pattern;
            EXPECT_EQ(shown[0].text, r.message);
        } else {
            EXPECT_TRUE(shown.empty()) << r.pattern;
        }
    }
    // The last run: first and last numbers.
    form->GetBatchList().DeleteAllItems();
    onDialog = [](CDialog& d) {
        d.SetDlgItemText(1006, "136****0000");
        d.SaveScreenshot(ScreenPath("sms-number-generator").c_str());
        d.SendMessage(WM_COMMAND, IDOK);
    };
    form->SendMessage(WM_COMMAND, MAKEWPARAM(CEditSmsForm::IDC_GENERATOR, BN_CLICKED));
    ASSERT_EQ(10000, form->GetRowCount());
    EXPECT_EQ(Row(0)[1], "13600000000");
    EXPECT_EQ(Row(9999)[1], "13699990000");
    EXPECT_EQ(Item(CEditSmsForm::IDC_ROW_COUNT), "10000");
}

TEST_F(ComposeFormTest, TheFormTellsTheTreeWhenWritingBeginsAndEnds) {
    // The tree stand-in records the picking messages.
    struct CRecorder : CWnd {
        std::vector<UINT> got;
        LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
            if (message == 0x450 || message == 0x451)
                got.push_back(message);
            return CWnd::WindowProc(message, w, l);
        }
    } tree;
    ASSERT_TRUE(tree.CreateEx(0, nullptr, "tree", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    composeHost.tree = &tree;
    form->StartCompose(0, 0);
    EXPECT_EQ(tree.got, (std::vector<UINT>{0x450}));
    EXPECT_TRUE(form->IsWriting());
    answers = {IDNO};
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
    EXPECT_EQ(tree.got.size(), 1u) << "No keeps writing";
    answers = {IDYES};
    form->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
    EXPECT_EQ(tree.got, (std::vector<UINT>{0x450, 0x451}));
    EXPECT_FALSE(form->IsWriting());
    composeHost.tree = nullptr;
    tree.DestroyWindow();
}

} // namespace
