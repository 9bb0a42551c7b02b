#include "../RcScript.h"

#include <gtest/gtest.h>

namespace {

const std::string kDir = RC_TESTDATA;

rc::Script Sample() {
    rc::Script s;
    rc::ParseFile(kDir + "/sample.rc", s);
    return s;
}

} // namespace

TEST(RcScript, StringsBecomeGbkWithEscapesResolved) {
    rc::Script s = Sample();
    ASSERT_EQ(s.strings.size(), 3u);
    EXPECT_EQ(s.strings.at(110), "墨川"); // literals here are GBK too
    EXPECT_EQ(s.strings.at(111), "第一行\n第二行 \"引号\" \\ 反斜杠");
    EXPECT_EQ(s.strings.at(1001), "姓名\n提示");
}

TEST(RcScript, DialogKeepsUnitsStylesAndControls) {
    rc::Script s = Sample();
    ASSERT_EQ(s.dialogs.size(), 1u);
    const rc::Dialog& d = s.dialogs[0];
    EXPECT_EQ(d.id, 300);
    EXPECT_EQ(d.caption, "样例");
    EXPECT_EQ(d.face, "宋体");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.x, 10);
    EXPECT_EQ(d.cy, 100);
    ASSERT_EQ(d.items.size(), 6u);
    struct Row {
        const char* cls;
        long id;
        uint32_t mustHave, mustNotHave;
    } rows[] = {
        {"STATIC", -1, 0x50000000u, 0},
        {"EDIT", 1001, 0x50010080u, 0x00800000u}, // NOT WS_BORDER took the default border away
        {"COMBOBOX", 1002, 0x50210003u, 0},       // the id came from an expression in the header
        {"BUTTON", 1003, 0x50020009u, 0},
        {"msctls_updown32", 1004, 0x50000002u, 0},
        {"BUTTON", 1, 0x50010001u, 0},
    };
    for (size_t i = 0; i < d.items.size(); ++i) {
        EXPECT_EQ(d.items[i].className, rows[i].cls) << i;
        EXPECT_EQ(d.items[i].id, rows[i].id) << i;
        EXPECT_EQ(d.items[i].style & rows[i].mustHave, rows[i].mustHave)
            << i << std::hex << " " << d.items[i].style;
        EXPECT_EQ(d.items[i].style & rows[i].mustNotHave, 0u) << i;
    }
    EXPECT_EQ(d.items[0].text, "姓名(&N):");
}

TEST(RcScript, MenusAcceleratorsToolbarsAndImages) {
    rc::Script s = Sample();
    ASSERT_EQ(s.menus.size(), 1u);
    const auto& items = s.menus[0].items;
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].flags & 0x10, 0x10u); // pop-up
    EXPECT_EQ(items[1].depth, 1);
    EXPECT_EQ(items[1].text, "新建(&N)\tCtrl+N");
    EXPECT_EQ(items[2].flags, 0x800u); // separator
    EXPECT_EQ(items[3].flags, 0x1u);   // grayed
    EXPECT_EQ(items[4].depth, 0);
    ASSERT_EQ(s.accels.size(), 1u);
    const auto& acc = s.accels[0].entries;
    ASSERT_EQ(acc.size(), 3u);
    EXPECT_EQ(acc[0].fVirt, 0x09);
    EXPECT_EQ(acc[0].key, 'N');
    EXPECT_EQ(acc[1].key, 0x70);
    EXPECT_EQ(acc[2].key, 3); // ^C is the control character
    ASSERT_EQ(s.toolbars.size(), 1u);
    EXPECT_EQ(s.toolbars[0].buttons, (std::vector<long>{57600, 0, 57634}));
    ASSERT_EQ(s.images.size(), 2u);
    EXPECT_EQ(s.images[0].name, "app");
    EXPECT_EQ(s.images[1].id, 118);
    EXPECT_EQ(s.images[1].data.size(), 69u);
}

TEST(RcScript, DialogInitialDataAsTextOrAsWords) {
    rc::Script s;
    // "红" is GBK BA EC; the classic form spells the bytes as words and counts the zero.
    // The script is UTF-8 text, as the files are.
    const char* script = reinterpret_cast<const char*>(
        u8"5 DLGINIT\nBEGIN\n  7, 0x403, \"绿色\"\n"
        "  7, 0x403, 5, 0\n  0xecba, 0x4241, 0x0000,\n  8, 0x401, 3, 0\n"
        "  0x4241, 0x0000,\n  0\nEND\n");
    rc::ParseScript(script, kDir + "/init.rc", s);
    ASSERT_EQ(s.dlgInits.size(), 1u);
    const auto& e = s.dlgInits[0].entries;
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].control, 7);
    EXPECT_EQ(e[0].message, 0x403);
    EXPECT_EQ(e[0].text, "绿色");
    EXPECT_EQ(e[1].text, "红AB");
    EXPECT_EQ(e[2].control, 8);
    EXPECT_EQ(e[2].text, "AB");
    std::string cpp = rc::EmitCpp(s);
    EXPECT_NE(cpp.find("kDlgInitRegistrar(kDlgInits, 1)"), std::string::npos);
}

// A combo box's kind is a number in its two low bits: a kind given replaces the default simple
// box instead of being or-ed into it (drop-down | simple would make a drop list).
TEST(RcScript, ComboBoxKindGivenReplacesTheDefaultKind) {
    rc::Script s;
    rc::ParseScript("9 DIALOGEX 0, 0, 100, 100\nBEGIN\n"
                    "  COMBOBOX 1, 0, 0, 50, 50\n"
                    "  COMBOBOX 2, 0, 0, 50, 50, CBS_DROPDOWN | WS_VSCROLL\n"
                    "  COMBOBOX 3, 0, 0, 50, 50, CBS_DROPDOWNLIST\n"
                    "  COMBOBOX 4, 0, 0, 50, 50, WS_VSCROLL | CBS_SORT\n"
                    "  LISTBOX 5, 0, 0, 50, 50, LBS_SORT\nEND\n",
                    kDir + "/combo.rc", s);
    ASSERT_EQ(s.dialogs.size(), 1u);
    const auto& items = s.dialogs[0].items;
    ASSERT_EQ(items.size(), 5u);
    const uint32_t kinds[] = {1, 2, 3, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(items[i].style & 3u, kinds[i]) << "combo " << i + 1;
    EXPECT_NE(items[1].style & 0x00200000u, 0u) << "the other styles still count";
    EXPECT_EQ(items[4].style & 0x3u, 0x3u) << "a list box's style bits are flags: or-ed";
}

TEST(RcScript, MalformedScriptsAreRejectedWithFileAndLine) {
    struct Row {
        const char* text;
        int line;
        const char* message;
    } rows[] = {
        {"STRINGTABLE\nBEGIN\n  1 \"open\nEND\n", 3, "unterminated string"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n", 4, "missing END"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", 4, "defined twice"},
        {"100 DIALOGEX 0, 0, 10\nBEGIN\nEND\n", 2, "expected ','"},
        {"100 DIALOGEX 0,0,10,10\nBEGIN\n  WIDGET \"x\", 1, 0,0,1,1\nEND\n", 3, "unknown control"},
        {"100 DIALOGEX 0,0,10,10\nBEGIN\n  EDITTEXT 5, 0,0,1,1, ES_BOGUS\nEND\n", 3,
         "unknown name 'ES_BOGUS'"},
        {"\n\n100 THING\n", 3, "unknown resource kind"},
        {"#define X 12abc\n", 1, "bad number"},
        {"#if 0\n", 1, "unsupported directive"},
        {"7 ICON \"missing.png\"\n", 1, "cannot read"},
        {"/* never closed\n", 1, "unterminated comment"},
        {"5 DLGINIT\nBEGIN\n  7, 0x403, 9, 0\n  0x4241\nEND\n", 5, "expected ','"},
        {"5 DLGINIT\nBEGIN\n  7, 0x403, -1, 0\nEND\n", 3, "bad initial data length"},
        {"5 DLGINIT\nBEGIN\n  0\n  7, 0x403, \"a\"\nEND\n", 4, "expected END"},
    };
    for (const Row& r : rows) {
        rc::Script s;
        try {
            rc::ParseScript(r.text, kDir + "/bad.rc", s);
            ADD_FAILURE() << "accepted: " << r.text;
        } catch (const rc::RcError& e) {
            EXPECT_EQ(e.file, kDir + "/bad.rc");
            EXPECT_EQ(e.line, r.line) << r.text << " -> " << e.what();
            EXPECT_NE(e.message.find(r.message), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(
                          kDir + "/bad.rc:" + std::to_string(r.line) + ": error: ", 0),
                      0u);
        }
    }
}

TEST(RcScript, GeneratedTablesCarryTheExactBytes) {
    rc::Script s = Sample();
    std::string cpp = rc::EmitCpp(s);
    // "墨川" in GBK is C4 AB B4 A8, written as octal escapes that no compiler re-encodes.
    EXPECT_NE(cpp.find("{110u, \"\\304\\253\\264\\250\"}"), std::string::npos);
    EXPECT_NE(cpp.find("AfxResourceRegistrar"), std::string::npos);
    // Nothing outside plain ASCII reaches the generated source.
    for (unsigned char c : cpp)
        ASSERT_LT(c, 0x80);
}
