// A box in words, on disk and from a CSV file, and a contact's messages in its record list and
// the content form.
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "platform/base/File.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/SmsBoxFiles.h"
#include "sms/ui/SmsRecordViews.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

_CSms* NewSms(int nState, const char* text, BOOL bBatch = FALSE, int nRecipients = 0) {
    auto* p = new _CSms;
    p->SetState(nState);
    p->m_sender.Set("张三", "13800000001");
    p->m_recipient.Set("李四", "13900000002");
    p->m_strContent = text;
    p->SetTime(CTime(2024, 1, 2, 3, 4, 5));
    p->m_bBatch = bBatch;
    for (int i = 0; i < nRecipients; ++i)
        p->m_batchList.AddTail(CNameCodeString("某人", "1390000000" + CString('0' + i)).m_str);
    return p;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string S(const CString& s) {
    return s.GetString();
}

} // namespace

class BoxViewsTest : public ScriptedUserTest {
protected:
    QTemporaryDir dir;
    std::string Path(const char* name) { return (dir.path() + "/" + name).toStdString(); }
    void SetUp() override { InstallScriptedUser(IDOK); }
    void TearDown() override { RemoveScriptedUser(); }
    // The file dialog is answered with the path.
    void AnswerFile(const std::string& path) {
        onDialog = [path](CDialog& d) {
            if (auto* f = dynamic_cast<CFileDialog*>(&d)) {
                f->Answer(path.c_str());
                return;
            }
            d.EndDialog(IDCANCEL);
        };
    }
};

TEST_F(BoxViewsTest, StatisticsDescribeSubBoxesTotalsAndStates) {
    _CSmsBox empty("空");
    EXPECT_EQ(S(CDlgSmsBoxInfo::BuildStatistics(empty)), "本信箱是空的！");

    _CSmsBox parent("上");
    _CSmsBox* child = parent.AddSubBox("下", CMsgBoxBase::BOX_USER);
    child->AddSms(NewSms(_CSms::STATE_DRAFT, "a"));
    child->AddSms(NewSms(_CSms::STATE_SENT, "b"));
    EXPECT_EQ(S(CDlgSmsBoxInfo::BuildStatistics(parent)),
              "本信箱中共有1个子信箱，在这些子信箱中共有2条短信。\r\n"
              "本信箱中共有短信2条，但没有直接属于本信箱的短信。");

    parent.AddSms(NewSms(_CSms::STATE_UNREAD, "c"));
    parent.AddSms(NewSms(_CSms::STATE_UNREAD, "d"));
    parent.AddSms(NewSms(_CSms::STATE_DRAFT, "e"));
    EXPECT_EQ(S(CDlgSmsBoxInfo::BuildStatistics(parent)),
              "本信箱中共有1个子信箱，在这些子信箱中共有2条短信。\r\n"
              "本信箱中共有短信5条，其中直接属于本信箱的有3条，如下所示:\r\n"
              "草稿:1条\r\n未读短信:2条\r\n");

    _CSmsBox own("自己");
    _CSmsBox* bare = own.AddSubBox("空子箱", CMsgBoxBase::BOX_USER);
    (void)bare;
    own.AddSms(NewSms(_CSms::STATE_SENT, "x"));
    EXPECT_EQ(S(CDlgSmsBoxInfo::BuildStatistics(own)),
              "本信箱中共有1个子信箱，所有子信箱中均不含有短信。\r\n"
              "本信箱中共有短信1条，且全部直接属于本信箱。如下所示:\r\n已发短信:1条\r\n");
}

TEST_F(BoxViewsTest, BasicMessagesCountEachRecipientOfABatch) {
    _CSmsBox box("发件箱");
    box.SetBoxType(CMsgBoxBase::BOX_OUTBOX);
    box.AddSms(NewSms(_CSms::STATE_PENDING, "群", TRUE, 3));
    EXPECT_EQ(S(CDlgSmsBoxInfoEx::BuildCaption(box)), "基本短信统计信息[3/3]");
    EXPECT_EQ(S(CDlgSmsBoxInfoEx::BuildStatistics(box)).substr(0, 50),
              std::string("共有基本短信3条，其中直接属于本信箱的基本短信3条。").substr(0, 50));

    // The dialog itself shows the name, the type and the caption.
    std::string caption, name, type;
    onDialog = [&](CDialog& d) {
        CString s;
        d.GetWindowText(s);
        caption = s.GetString();
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_NAME, s);
        name = s.GetString();
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_TYPE, s);
        type = s.GetString();
        d.EndDialog(IDOK);
    };
    CDlgSmsBoxInfoEx dialog(&box);
    dialog.DoModal();
    EXPECT_EQ(caption, "基本短信统计信息[3/3]");
    EXPECT_EQ(name, "发件箱");
    EXPECT_EQ(type, S(CMsgBoxBase::GetTypeName(CMsgBoxBase::BOX_OUTBOX)));
}

TEST_F(BoxViewsTest, CardExportWritesEveryMessageAndReportsAFileThatCannotBeMade) {
    _CSmsBox box("收件箱");
    box.AddSms(NewSms(_CSms::STATE_READ, "第一条"));
    box.AddSms(NewSms(_CSms::STATE_UNREAD, "第二条"));
    const std::string path = Path("cards.txt");
    AnswerFile(path);
    EXPECT_TRUE(ExportBoxAsCards(&box));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(S(shown[0].text), "恭喜，短信文件已成功制作并保存!");
    const std::string card = "发信人:张三<13800000001>  收信人:李四<13900000002>  时间:"
                             "2024-01-02 03:04:05\r\n";
    EXPECT_EQ(Read(path), card + "第一条\r\n\r\n" + card + "第二条\r\n\r\n");

    // A folder that does not exist: said so, nothing claimed, nothing left.
    shown.clear();
    const std::string bad = Path("missing/cards.txt");
    AnswerFile(bad);
    EXPECT_FALSE(ExportBoxAsCards(&box));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(S(shown[0].text).find("无法创建文件"), std::string::npos);
    EXPECT_FALSE(std::ifstream(bad).good());

    // A cancelled dialog writes and says nothing.
    shown.clear();
    onDialog = nullptr;
    EXPECT_FALSE(ExportBoxAsCards(&box));
    EXPECT_TRUE(shown.empty());
}

// The import files are written by Python's csv module in GBK and in UTF-8 with and without the
// mark: quoted commas, doubled quotes and a text over two lines come back as written, absent
// fields as empty texts.
TEST_F(BoxViewsTest, CsvRowsBecomePendingMessagesInTheOutboxWithAbsentFieldsEmpty) {
    _CSmsBox root("根");
    root.AddStandardSubBoxes();
    _CSmsBox* inbox = root.GetSubBoxAt(0);
    _CSmsBox* outbox = root.GetSubBoxAt(1);
    const std::string command =
        std::string(QUILLMAR_PYTHON3) + " " + CSV_PEER_SCRIPT + " '" + dir.path().toStdString() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* file : {"gbk.csv", "utf8.csv", "utf8-bom.csv"}) {
        SCOPED_TRACE(file);
        outbox->DeleteAllSms();
        CString error;
        // Imported into the inbox's account: the messages go to the outbox.
        ASSERT_EQ(ImportSmsFromCsvFile(inbox, "我", Path(file).c_str(), error), 5);
        EXPECT_TRUE(error.IsEmpty());
        EXPECT_EQ(inbox->GetSmsCount(), 0);
        ASSERT_EQ(outbox->GetSmsCount(), 5);
        std::vector<std::string> recipients, texts;
        for (POSITION pos = outbox->GetFirstSmsPosition(); pos != nullptr;) {
            _CSms* sms = outbox->GetNextSms(pos);
            recipients.push_back(S(sms->m_recipient.m_str));
            texts.push_back(S(sms->m_strContent));
            EXPECT_EQ(sms->GetState(), _CSms::STATE_PENDING);
            EXPECT_EQ(sms->m_nSize, sms->m_strContent.GetLength());
            EXPECT_EQ(S(sms->m_sender.m_str), "我");
        }
        // A name without a number is stored as the text alone.
        EXPECT_EQ(recipients,
                  (std::vector<std::string>{"王芳\n13912345678", "李四\n13800000002",
                                            "孙八\n13600000000", "只有名字", "赵六\n13700000000"}));
        EXPECT_EQ(texts, (std::vector<std::string>{"晚上好,明天见", "他说\"好\"",
                                                   "第一行\r\n第二行", "", ""}));
    }

    // Files that hold nothing to import say so and add nothing.
    CString error;
    const struct {
        const char* name;
        std::string bytes;
    } kBad[] = {{"nul.csv", std::string("a,b\0c\r\n1,2,3\r\n", 14)},
                {"empty.csv", ""},
                {"header.csv", "姓名,号码,内容\r\n"}};
    for (auto& c : kBad) {
        Write(Path(c.name), c.bytes);
        const int before = outbox->GetSmsCount();
        error.Empty();
        const int n = ImportSmsFromCsvFile(outbox, "我", Path(c.name).c_str(), error);
        EXPECT_LE(n, 0) << c.name;
        EXPECT_FALSE(error.IsEmpty()) << c.name;
        EXPECT_EQ(outbox->GetSmsCount(), before) << c.name;
    }
    // A box without an outbox to take them.
    _CSmsBox lone("孤");
    EXPECT_EQ(ImportSmsFromCsvFile(&lone, "我", Path("gbk.csv").c_str(), error), -1);
}

class RecordViewsTest : public ScriptedUserTest {
protected:
    CWnd host;
    CSmsDoc doc;
    CViewSmsRecord* records = nullptr;
    CFormContent* form = nullptr;
    _CPerson* person = nullptr;

    void SetUp() override {
        InstallScriptedUser(IDOK);
        // The document is the test's: the views going away must not delete it.
        doc.m_bAutoDelete = FALSE;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 800, 600), nullptr, 0));
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        records = new CViewSmsRecord;
        ASSERT_TRUE(records->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 300),
                                    &host, 1, &context));
        form = new CFormContent;
        ASSERT_TRUE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 300, 800, 600),
                                 &host, 2, nullptr));
        form->OnInitialUpdate();
        records->OnInitialUpdate();
        records->LinkContentPane(form);
        person = new _CPerson("王芳");
        doc.GetRootGroup().AddContent(person);
        person->GetSmsBox(0)->AddSms(NewSms(_CSms::STATE_UNREAD, "来信"));
        person->GetSmsBox(1)->AddSms(NewSms(_CSms::STATE_DRAFT, "草稿不列"));
        person->GetSmsBox(2)->AddSms(NewSms(_CSms::STATE_SENT, "去信"));
        Pump();
    }
    void TearDown() override {
        host.DestroyWindow();
        RemoveScriptedUser();
    }
    CString Item(UINT id) {
        CString s;
        form->GetDlgItemText(id, s);
        return s;
    }
};

TEST_F(RecordViewsTest, AContactsReceivedAndSentMessagesAreListedAndShownInTheForm) {
    doc.SetCurrentObject(person);
    doc.UpdateAllViews(nullptr);
    CListCtrl& list = records->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(S(list.GetItemText(0, 2)), "来信");
    EXPECT_EQ(S(list.GetItemText(1, 2)), "去信");
    EXPECT_EQ(S(list.GetItemText(0, 3)), "2024-01-02 03:04:05");
    EXPECT_EQ(form->GetMode(), (int)CFormContent::ModeMessage);
    EXPECT_EQ(S(Item(CFormContent::IDC_SENDER)), "");

    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    EXPECT_EQ(S(Item(CFormContent::IDC_SENDER)), "张三<13800000001>");
    EXPECT_EQ(S(Item(CFormContent::IDC_RECIPIENT)), "李四<13900000002>");
    EXPECT_EQ(S(Item(CFormContent::IDC_DATE)), "2024-01-02");
    EXPECT_EQ(S(Item(CFormContent::IDC_TIME)), "03:04:05");
    CString text;
    form->GetEditor().GetWindowText(text);
    EXPECT_EQ(S(text), "来信");

    // Another object current: no row, no message left that may be gone.
    doc.SetCurrentObject(&doc.GetRootGroup());
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(records->GetSelectedSms(), nullptr);
    EXPECT_EQ(S(Item(CFormContent::IDC_SENDER)), "");
    form->GetEditor().GetWindowText(text);
    EXPECT_EQ(S(text), "");

    // A contact without messages: an empty list and an empty form.
    auto* quiet = new _CPerson("李静");
    doc.GetRootGroup().AddContent(quiet);
    doc.SetCurrentObject(quiet);
    doc.UpdateAllViews(nullptr);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(RecordViewsTest, TheFormShowsARecordFieldInRecordModeAndTheDefaultFontTwiceIsTheSame) {
    form->ShowRecordContent(person, 0, "王芳", "姓名");
    EXPECT_EQ(form->GetMode(), (int)CFormContent::ModeRecord);
    EXPECT_EQ(S(Item(CFormContent::IDC_TITLE)), "姓名");
    EXPECT_TRUE(form->GetDlgItem(CFormContent::IDC_TITLE)->IsWindowVisible());
    EXPECT_FALSE(form->GetDlgItem(CFormContent::IDC_SENDER_LABEL)->IsWindowVisible());
    CString text;
    form->GetEditor().GetWindowText(text);
    EXPECT_EQ(S(text), "王芳");
    // A message is not shown in record mode.
    POSITION pos = person->GetSmsBox(0)->GetFirstSmsPosition();
    form->ShowMessage(person->GetSmsBox(0)->GetNextSms(pos));
    EXPECT_EQ(S(Item(CFormContent::IDC_SENDER)), "");

    form->SetMode(CFormContent::ModeMessage);
    EXPECT_FALSE(form->GetDlgItem(CFormContent::IDC_TITLE)->IsWindowVisible());
    EXPECT_TRUE(form->GetDlgItem(CFormContent::IDC_SENDER_LABEL)->IsWindowVisible());

    form->SendMessage(WM_COMMAND, CFormContent::ID_DEFAULT_FONT, 0);
    const LOGFONT once = form->GetEditorFont();
    form->SendMessage(WM_COMMAND, CFormContent::ID_DEFAULT_FONT, 0);
    EXPECT_EQ(form->GetEditorFont().lfHeight, once.lfHeight);
    EXPECT_STREQ(form->GetEditorFont().lfFaceName, "Fixedsys");
    LOGFONT base{};
    form->GetFont()->GetLogFont(&base);
    EXPECT_EQ(once.lfHeight, base.lfHeight * 3 / 2);
}

TEST_F(BoxViewsTest, PicturesOfBothStatisticsDialogs) {
    _CSmsBox box("发件箱");
    box.SetBoxType(CMsgBoxBase::BOX_OUTBOX);
    box.AddSubBox("子信箱", CMsgBoxBase::BOX_USER)->AddSms(NewSms(_CSms::STATE_DRAFT, "a"));
    box.AddSms(NewSms(_CSms::STATE_PENDING, "群", TRUE, 3));
    // What each dialog shows: its caption, the box's name and type, and the statistics whole
    // (the box needs no scrolling to show them).
    struct Seen {
        std::string caption, name, type, statistics;
        bool whole = false;
    };
    std::string shot;
    Seen seen;
    onDialog = [&](CDialog& d) {
        d.SaveScreenshot(ScreenPath(shot.c_str()).c_str());
        CString s;
        d.GetWindowText(s);
        seen.caption = S(s);
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_NAME, s);
        seen.name = S(s);
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_TYPE, s);
        seen.type = S(s);
        d.GetDlgItemText(CDlgSmsBoxInfo::IDC_STATISTICS, s);
        seen.statistics = S(s);
        auto* area = qobject_cast<QAbstractScrollArea*>(
            d.GetDlgItem(CDlgSmsBoxInfo::IDC_STATISTICS)->GetWidget());
        seen.whole = area != nullptr && area->verticalScrollBar()->maximum() == 0;
        d.EndDialog(IDOK);
    };
    const std::string outbox = S(CMsgBoxBase::GetTypeName(CMsgBoxBase::BOX_OUTBOX));
    shot = "sms-box-statistics";
    CDlgSmsBoxInfo(&box).DoModal();
    EXPECT_EQ(seen.caption, "信箱统计信息");
    EXPECT_EQ(seen.name, "发件箱");
    EXPECT_EQ(seen.type, outbox);
    EXPECT_EQ(seen.statistics,
              "本信箱中共有1个子信箱，在这些子信箱中共有1条短信。\r\n"
              "本信箱中共有短信2条，其中直接属于本信箱的有1条，如下所示:\r\n" +
                  S(_CSms::GetStateDescription(_CSms::STATE_PENDING)) + ":1条\r\n");
    EXPECT_TRUE(seen.whole);

    seen = Seen();
    shot = "sms-box-basic-statistics";
    CDlgSmsBoxInfoEx(&box).DoModal();
    EXPECT_EQ(seen.caption, "基本短信统计信息[3/4]");
    EXPECT_EQ(seen.name, "发件箱");
    EXPECT_EQ(seen.type, outbox);
    EXPECT_EQ(seen.statistics.rfind("共有基本短信4条，其中直接属于本信箱的基本短信3条。", 0), 0u)
        << seen.statistics;
    EXPECT_NE(seen.statistics.find("“基本短信”指的是给单个人发送的短信"), std::string::npos);
    EXPECT_TRUE(seen.whole);
}

TEST_F(RecordViewsTest, PicturesOfTheRecordsAndTheFormInBothModes) {
    doc.SetCurrentObject(person);
    doc.UpdateAllViews(nullptr);
    records->GetListCtrl().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED,
                                        LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    host.SaveScreenshot(ScreenPath("sms-records-message-mode").c_str());
    // The received and the sent message, the first selected and shown with its addresses.
    CListCtrl& list = records->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(S(list.GetItemText(0, 2)), "来信");
    EXPECT_EQ(S(list.GetItemText(1, 2)), "去信");
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(form->GetMode(), (int)CFormContent::ModeMessage);
    for (UINT id : {CFormContent::IDC_SENDER_LABEL, CFormContent::IDC_RECIPIENT_LABEL,
                    CFormContent::IDC_DATE_LABEL, CFormContent::IDC_TIME_LABEL})
        EXPECT_TRUE(form->GetDlgItem(id)->IsWindowVisible()) << id;
    EXPECT_FALSE(form->GetDlgItem(CFormContent::IDC_TITLE)->IsWindowVisible());
    EXPECT_EQ(S(Item(CFormContent::IDC_SENDER)), "张三<13800000001>");
    EXPECT_EQ(S(Item(CFormContent::IDC_RECIPIENT)), "李四<13900000002>");
    EXPECT_EQ(S(Item(CFormContent::IDC_DATE)), "2024-01-02");
    EXPECT_EQ(S(Item(CFormContent::IDC_TIME)), "03:04:05");
    CString text;
    form->GetEditor().GetWindowText(text);
    EXPECT_EQ(S(text), "来信");

    form->ShowRecordContent(person, 0, "王芳", "姓名");
    Pump();
    host.SaveScreenshot(ScreenPath("sms-records-record-mode").c_str());
    // The field's title over its value; the message's labels gone.
    EXPECT_EQ(form->GetMode(), (int)CFormContent::ModeRecord);
    EXPECT_TRUE(form->GetDlgItem(CFormContent::IDC_TITLE)->IsWindowVisible());
    EXPECT_EQ(S(Item(CFormContent::IDC_TITLE)), "姓名");
    for (UINT id : {CFormContent::IDC_SENDER_LABEL, CFormContent::IDC_RECIPIENT_LABEL,
                    CFormContent::IDC_DATE_LABEL, CFormContent::IDC_TIME_LABEL})
        EXPECT_FALSE(form->GetDlgItem(id)->IsWindowVisible()) << id;
    form->GetEditor().GetWindowText(text);
    EXPECT_EQ(S(text), "王芳");
}

// The senders tree shows a box of type n with image 5 + n of bitmap 237: the outbox's messages
// have not gone yet and carry the red cross, the sent box's have and carry the green tick.
TEST(BoxPicturesTest, TheOutboxCarriesTheRedCrossAndTheSentBoxTheGreenTick) {
    CImageList strip;
    ASSERT_TRUE(strip.Create(237, 16, 10, RGB(255, 255, 255)));
    auto count = [&](int image, bool red) {
        const QImage picture = strip.GetImage(image);
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb c = picture.pixel(x, y);
                if (qAlpha(c) < 128)
                    continue;
                const int r = qRed(c), g = qGreen(c), b = qBlue(c);
                n += red ? (r > g + 80 && r > b + 80) : (g > r + 60 && g > b + 40);
            }
        return n;
    };
    const int kOutbox = 5 + CMsgBoxBase::BOX_OUTBOX, kSent = 5 + CMsgBoxBase::BOX_SENT;
    EXPECT_GT(count(kOutbox, true), 10);
    EXPECT_EQ(count(kOutbox, false), 0);
    EXPECT_GT(count(kSent, false), 10);
    EXPECT_EQ(count(kSent, true), 0);
}
