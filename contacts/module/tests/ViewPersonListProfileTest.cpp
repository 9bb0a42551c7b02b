// The contact list's columns in the running program: read from damaged profile values when the
// list first shows, and written back to the profile when the program ends.
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/module/ContactsModule.h"
#include "contacts/module/tests/ProgramTest.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

class ViewPersonListProfileTest : public ContactsProgramTest {
protected:
    ViewPersonListProfileTest() : ContactsProgramTest(IDNO) {}

    // Values of 32 bits, and extra bytes that are no whole value.
    static void StoreInts(const char* entry, const std::vector<int>& values, int extraBytes) {
        std::vector<BYTE> bytes(values.size() * 4 + (size_t)extraBytes, 0xAB);
        if (!values.empty())
            std::memcpy(bytes.data(), values.data(), values.size() * 4);
        CProfileStore().WriteProfileBinary("Namebook", entry, bytes.data(), (UINT)bytes.size());
    }
    static std::vector<int> StoredInts(const char* entry) {
        CProfileStore::ReloadForTesting();
        BYTE* raw = nullptr;
        UINT bytes = 0;
        std::vector<int> out;
        if (!CProfileStore().GetProfileBinary("Namebook", entry, &raw, &bytes))
            return out;
        out.resize(bytes / 4);
        std::memcpy(out.data(), raw, out.size() * 4);
        delete[] raw;
        return out;
    }
};

} // namespace

TEST_F(ViewPersonListProfileTest, DamagedStoredColumnsGiveTheRestByDefaultAndTheLayoutIsWrittenBack) {
    // Fields out of the table and a broken tail; widths short, one of them absurd.
    StoreInts("FieldList", {99, PF_MOBILE, -1, PF_BIRTHDAY, PF_MOBILE}, 2);
    StoreInts("FieldWidthList", {150, -1, 1 << 30, -5}, 3);
    CProfileStore::ReloadForTesting();
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CLeftView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    CSmsDoc book;
    book.GetRootGroup().SetName("通讯录");
    book.GetRootGroup().AddContent(new _CPerson("王芳"));
    CString path = (dir.str() + "/book.sms").c_str();
    ASSERT_TRUE(book.OnSaveDocument(path));
    ASSERT_NE(frame->OpenFileByExtension(path), nullptr);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    auto* list = dynamic_cast<CViewPersonList*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(list, nullptr);
    const CArray<int, int>& fields = list->GetColumnFields();
    ASSERT_EQ(fields.GetSize(), 3);
    EXPECT_EQ(fields[0], PF_NAME);
    EXPECT_EQ(fields[1], PF_MOBILE);
    EXPECT_EQ(fields[2], PF_BIRTHDAY);
    CListCtrl& ctrl = list->GetListCtrl();
    EXPECT_EQ(ctrl.GetColumnWidth(0), 150);
    EXPECT_EQ(ctrl.GetColumnWidth(1), 100);
    // The damaged birthday width gives way to the default, which fits a birthday's full text.
    const int birthdayWidth = ctrl.GetColumnWidth(2);
    EXPECT_GT(birthdayWidth, 98);

    ctrl.SetColumnWidth(1, 130);
    ASSERT_TRUE(Exit(*app));
    EXPECT_EQ(StoredInts("FieldList"), (std::vector<int>{PF_NAME, PF_MOBILE, PF_BIRTHDAY}));
    std::vector<int> widths = StoredInts("FieldWidthList");
    ASSERT_GT(widths.size(), (size_t)PF_MODIFIED);
    EXPECT_EQ(widths[PF_NAME], 150);
    EXPECT_EQ(widths[PF_MOBILE], 130);
    EXPECT_EQ(widths[PF_BIRTHDAY], birthdayWidth);
}
