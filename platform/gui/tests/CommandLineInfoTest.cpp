#include "platform/gui/CommandLineInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineInfoTest, ParsesFlagsFilesAndQuotedPaths) {
    struct Row {
        const char* line;
        int command;
        const char* file;
        const char* printer;
    } rows[] = {
        {"", CCommandLineInfo::FileNew, "", ""},
        {"\"/home/u/我的 通讯录.psn\"", CCommandLineInfo::FileOpen, "/home/u/我的 通讯录.psn", ""},
        {"/home/u/a.psn", CCommandLineInfo::FileOpen, "/home/u/a.psn", ""},
        {"/dde", CCommandLineInfo::FileDDE, "", ""},
        {"-p a.psn", CCommandLineInfo::FilePrint, "a.psn", ""},
        {"/pt a.psn 打印机 drv port", CCommandLineInfo::FilePrintTo, "a.psn", "打印机"},
        {"/Register", CCommandLineInfo::AppRegister, "", ""},
        {"/unregserver", CCommandLineInfo::AppUnregister, "", ""},
        {"/unknown b.psn", CCommandLineInfo::FileOpen, "b.psn", ""},
    };
    for (const Row& r : rows) {
        CCommandLineInfo info;
        AfxParseCommandLine(info, r.line);
        EXPECT_EQ(r.command, (int)info.m_nShellCommand) << r.line;
        EXPECT_STREQ(r.file, (LPCTSTR)info.m_strFileName) << r.line;
        EXPECT_STREQ(r.printer, (LPCTSTR)info.m_strPrinterName) << r.line;
    }
    CCommandLineInfo embedded;
    const char* argv[] = {"quillmar", "-Embedding"};
    AfxParseCommandLine(embedded, 2, argv);
    EXPECT_TRUE(embedded.m_bRunEmbedded);
    EXPECT_FALSE(embedded.m_bShowSplash);
}

} // namespace
