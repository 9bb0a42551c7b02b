// Every writer of a file the user names or owns replaces it in one step, as a document is saved:
// a write that fails part-way (a file-size limit stands in for a full disk) leaves the old file
// whole, and a link another user planted in a shared sticky folder is not followed.
#include "contacts/ContactGroup.h"
#include "contacts/GroupExport.h"
#include "contacts/Person.h"
#include "platform/base/tests/FileSizeLimit.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "sms/SentenceSet.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "sms/ui/SmsBoxFiles.h"
#include "ui/KovRichEditCtrl.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class UserFileWritersTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "rich", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(m_edit.Create(WS_CHILD | ES_MULTILINE, CRect(0, 0, 300, 200), &m_parent, 101));
        CString text;
        for (int i = 0; i < 2000; ++i)
            text += "墨川记事的一行文字\r\n";
        m_edit.SetWindowText(text);

        for (int i = 0; i < 300; ++i) {
            CString name;
            name.Format("联系人%04d", i);
            m_group.AddContent(new _CPerson(name), FALSE, nullptr, TRUE, TRUE);

            auto* pSms = new _CSms;
            pSms->SetState(_CSms::STATE_PENDING);
            pSms->m_sender.Set("张三", "13800000001");
            pSms->m_recipient.Set("李四", "13900000002");
            pSms->m_strContent = "一条不算太短的短信内容，用来把文件写大一些。";
            pSms->SetTime(CTime(2024, 1, 2, 3, 4, 5));
            m_box.AddSms(pSms);

            m_phrases.m_phrases.AddTail("常用语：" + name + "，您好，稍后回电。");
        }
        GetAllPersonFields(m_fields);
    }

    struct Writer {
        const char* name;
        std::function<bool(const CString& path)> write;
    };
    std::vector<Writer> Writers() {
        return {
            {"phrase set",
             [this](const CString& path) {
                 m_phrases.SetPath(path);
                 return m_phrases.Save() == 1;
             }},
            {"contacts export",
             [this](const CString& path) {
                 return ExportGroupToPath(m_group, path, m_fields, _CGroup::EXPORT_CSV, 0) ==
                        GROUP_EXPORT_OK;
             }},
            {"SMS box export",
             [this](const CString& path) {
                 return WriteBoxCards(m_box, path) == SMS_CARDS_WRITTEN;
             }},
            {"note export",
             [this](const CString& path) {
                 return StreamOutToFile(m_edit, path.GetString(), SF_TEXT) == TRUE;
             }},
        };
    }

    CWnd m_parent;
    CKovRichEditCtrl m_edit;
    _CGroup m_group{"同学"};
    CArray<int, int> m_fields;
    _CSmsBox m_box{"收件箱"};
    CSentenceSet m_phrases{"问候"};
    test_folders::TempDir m_dir;
};

TEST_F(UserFileWritersTest, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.name);
        const fs::path folder = m_dir.path() / w.name;
        fs::create_directory(folder);
        const fs::path target = folder / "out.txt";
        const CString path = target.string().c_str();
        ASSERT_TRUE(w.write(path)) << "the writer works at all";
        const std::string full = Read(target);
        ASSERT_GT(full.size(), 8192u);
        std::ofstream(target, std::ios::binary) << "the old file\r\n";

        EXPECT_FALSE(test_folders::WithFileSizeLimit(4096, [&] { return w.write(path); }));
        EXPECT_EQ("the old file\r\n", Read(target));
        // Nothing half-written is left beside it either.
        EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));

        ASSERT_TRUE(w.write(path));
        EXPECT_EQ(full, Read(target));
    }
}

TEST_F(UserFileWritersTest, ALinkAnotherUserPlantedInASharedStickyFolderIsNotFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link another owner needs root";
    const fs::path shared = m_dir.path() / "tmp";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    ASSERT_EQ(0, ::chown(shared.c_str(), 4343, 4343));
    int n = 0;
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.name);
        const fs::path precious = m_dir.path() / ("precious" + std::to_string(++n));
        std::ofstream(precious, std::ios::binary) << "precious";
        const fs::path link = shared / ("export" + std::to_string(n) + ".txt");
        fs::create_symlink(precious, link);
        ASSERT_EQ(0, ::lchown(link.c_str(), 4242, 4242));

        EXPECT_FALSE(w.write(link.string().c_str()));
        EXPECT_EQ("precious", Read(precious));
        EXPECT_TRUE(fs::is_symlink(link));
        // The user's own link there is followed, as everywhere else.
        ASSERT_EQ(0, ::lchown(link.c_str(), ::geteuid(), ::getegid()));
        EXPECT_TRUE(w.write(link.string().c_str()));
        EXPECT_NE("precious", Read(precious));
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

} // namespace
