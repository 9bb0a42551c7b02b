#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/FieldValueActions.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddFieldText;
using contacts_test::AddValue;

class FieldValueActionsTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldOpen = AfxSetShellOpenHook([this](const std::string& url) {
            opened.push_back(url);
            return desktopTakes;
        });
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            messages.push_back(call.text.GetString());
            return IDOK;
        });
    }
    void TearDown() override {
        AfxSetShellOpenHook(m_oldOpen);
        AfxSetMessageBoxHook(m_oldBox);
    }
    std::vector<std::string> opened, messages;
    bool desktopTakes = true;
    ShellOpenHook m_oldOpen;
    MessageBoxHook m_oldBox;
};

TEST_F(FieldValueActionsTest, ValuesReachTheDesktopOnlyAsSafeAddresses) {
    _CPerson person("张三");
    AddFieldText(person, PF_MOBILE, "138 0013 8000");
    AddFieldText(person, PF_EMAIL, "zhang@example.com?cc=x@y.cn");
    AddFieldText(person, PF_HOMEPAGE, "www.example.com");
    AddFieldText(person, PF_WORK_HOMEPAGE, "/usr/bin/xterm");

    EXPECT_TRUE(OpenFieldValue(person, PF_MOBILE, 0, FALSE));
    EXPECT_TRUE(OpenFieldValue(person, PF_EMAIL, -1, TRUE));
    EXPECT_TRUE(OpenFieldValue(person, PF_HOMEPAGE, 0, FALSE));
    EXPECT_FALSE(OpenFieldValue(person, PF_WORK_HOMEPAGE, 0, FALSE)) << "a program is no page";
    EXPECT_FALSE(OpenFieldValue(person, PF_MOBILE, 1, FALSE)) << "no second value";
    EXPECT_FALSE(OpenFieldValue(person, PF_NOTE, 0, FALSE)) << "a field without an action";
    const std::vector<std::string> want = {
        "tel:13800138000",
        "mailto:%22%E5%BC%A0%E4%B8%89%22%3Czhang@example.com%3Fcc%3Dx@y.cn%3E",
        "http://www.example.com"};
    EXPECT_EQ(want, opened);
    ASSERT_EQ(1u, messages.size());

    // No program on the desktop takes "tel:": the user is told instead of nothing happening.
    desktopTakes = false;
    messages.clear();
    EXPECT_FALSE(OpenFieldValue(person, PF_MOBILE, 0, FALSE));
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("拨打"));
}

TEST_F(FieldValueActionsTest, MenusListTheValuesWithTheCurrentOneChecked) {
    _CPerson person("张三");
    AddFieldText(person, PF_OFFICE_PHONE, "010-1111");
    AddFieldText(person, PF_OFFICE_PHONE, "010-2222");
    contacts_test::SetCurrentValue(person, PF_OFFICE_PHONE, 1);
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_EQ(2, FillFieldMenu(menu, person, PF_OFFICE_PHONE, 500, TRUE));
    EXPECT_EQ(0, FillFieldMenu(menu, person, PF_NOTE, 600, TRUE));
    CString text;
    menu.GetMenuString(500, text, MF_BYCOMMAND);
    EXPECT_STREQ("办公电话:010-1111", text);
    EXPECT_FALSE(menu.GetMenuState(500, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(501, MF_BYCOMMAND) & MF_CHECKED);

    _CGroup group("墨川公司");
    AddValue(group.GetInfo().homepage, "example.com");
    CMenu groupMenu;
    ASSERT_TRUE(groupMenu.CreatePopupMenu());
    EXPECT_EQ(1, FillFieldMenu(groupMenu, group, 10, 700, FALSE));
    groupMenu.GetMenuString(700, text, MF_BYCOMMAND);
    EXPECT_STREQ("example.com", text);
    EXPECT_TRUE(OpenPropertyValue(group, 10, -1, FALSE)) << "no current value: the first";
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ("http://example.com", opened[0]);
}

} // namespace
