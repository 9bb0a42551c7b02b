#include "GuiTestSupport.h"

#include "platform/gui/FontEnum.h"

#include <QFontDatabase>

#include <algorithm>
#include <cstring>

#include <vector>

namespace {

struct Answer {
    CString face, script;
    BYTE charSet;
    DWORD type;
    LONG charHeight; // tmHeight - tmInternalLeading
};

int Collect(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX* tm, DWORD type, LPARAM lParam) {
    reinterpret_cast<std::vector<Answer>*>(lParam)->push_back(
        {elf->elfLogFont.lfFaceName, elf->elfScript, elf->elfLogFont.lfCharSet, type,
         tm->ntmTm.tmHeight - tm->ntmTm.tmInternalLeading});
    return 1;
}

std::vector<Answer> Enumerate(const char* face, BYTE charSet = DEFAULT_CHARSET) {
    LOGFONT lf{};
    lf.lfCharSet = charSet;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    std::vector<Answer> all;
    EnumFontFamiliesEx(nullptr, &lf, &Collect, (LPARAM)&all);
    return all;
}

class FontEnumTest : public GuiTest {};

TEST_F(FontEnumTest, AFaceIsListedOncePerScriptWithItsChineseName) {
    // The program's Chinese face covers Chinese and Latin text.
    const char* face = "WenQuanYi Micro Hei";
    if (!QFontDatabase::families().contains(QString::fromLatin1(face)))
        GTEST_SKIP() << face << " is not installed";
    std::vector<Answer> all = Enumerate(face);
    std::vector<CString> scripts;
    for (const Answer& a : all) {
        EXPECT_EQ(a.face, CString(face));
        EXPECT_EQ(a.type, (DWORD)TRUETYPE_FONTTYPE);
        scripts.push_back(a.script);
    }
    EXPECT_NE(std::find(scripts.begin(), scripts.end(), CString("中文 GB2312")), scripts.end());
    EXPECT_NE(std::find(scripts.begin(), scripts.end(), CString("西方")), scripts.end());

    // One character set asked for: only that one; a face no font has: nothing.
    std::vector<Answer> chinese = Enumerate(face, GB2312_CHARSET);
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(chinese[0].script, CString("中文 GB2312"));
    EXPECT_TRUE(Enumerate("No Such Face At All").empty());

    // Every face with an empty name; an answer of 0 stops at once.
    std::vector<Answer> every = Enumerate("");
    EXPECT_GT(every.size(), all.size());
    int calls = 0;
    LOGFONT lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EXPECT_EQ(EnumFontFamiliesEx(
                  nullptr, &lf,
                  [](const ENUMLOGFONTEX*, const NEWTEXTMETRICEX*, DWORD, LPARAM p) {
                      ++*reinterpret_cast<int*>(p);
                      return 0;
                  },
                  (LPARAM)&calls),
              0);
    EXPECT_EQ(calls, 1);
}

} // namespace
