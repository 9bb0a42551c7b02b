#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"
#include "sms/SenderDoc.h"

namespace {

TEST(SenderDoc, FileSavedAndOpenedAgainHoldsTheSameAccountBoxesAndMessages) {
    test_folders::TempDir dir;
    const CString path = ProgramPathFromOsPath((dir.path() / "account.sdr").string());
    {
        CSenderDoc doc;
        doc.GetSender().GetName() = "张三";
        doc.GetSender().GetRecord().m_remote.m_strUserId = "13800138000";
        auto* sms = new _CSms("问候");
        sms->m_strContent = "晚上见";
        sms->SetState(_CSms::STATE_UNREAD);
        doc.GetRootBox().GetSubBoxAt(0)->AddSms(sms);
        doc.GetRootBox().AddSubBox("我的箱", _CSmsBox::BOX_USER);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    std::ifstream file(dir.path() / "account.sdr", std::ios::binary);
    char version[4] = {};
    file.read(version, 4);
    EXPECT_EQ(std::string("\x3c\x00\x01\x00", 4), std::string(version, 4));

    CSenderDoc loaded(FALSE);
    ASSERT_TRUE(loaded.OnOpenDocument(path));
    EXPECT_STREQ("张三", loaded.GetSender().GetName());
    EXPECT_STREQ("13800138000", loaded.GetSender().GetRecord().m_remote.m_strUserId);
    _CSmsBox& root = loaded.GetRootBox();
    ASSERT_EQ(5, root.GetSubBoxCount());
    EXPECT_STREQ("我的箱", root.GetSubBoxAt(4)->GetName());
    ASSERT_EQ(1, root.GetSubBoxAt(0)->GetSmsCount());
    POSITION pos = root.GetSubBoxAt(0)->GetFirstSmsPosition();
    _CSms* sms = root.GetSubBoxAt(0)->GetNextSms(pos);
    EXPECT_STREQ("晚上见", sms->m_strContent);
    EXPECT_EQ(_CSms::STATE_UNREAD, sms->GetState());
}

} // namespace
