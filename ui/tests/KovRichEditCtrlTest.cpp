#include "platform/base/tests/TempFolder.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovRichEditCtrl.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

class RichEditStreamTest : public GuiTest {
protected:
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE;
    CWnd parent;
    CKovRichEditCtrl edit, other;
    test_folders::TempDir dir;

    void SetUp() override {
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, "rich", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(edit.Create(kStyle, CRect(0, 0, 300, 100), &parent, 101));
        ASSERT_TRUE(other.Create(kStyle, CRect(0, 100, 300, 200), &parent, 102));
        // Two lines, the first word bold: what a note looks like.
        edit.SetWindowText("墨川记事\r\n第二行 text");
        CHARFORMAT2 bold{};
        bold.cbSize = sizeof bold;
        bold.dwMask = CFM_BOLD;
        bold.dwEffects = CFE_BOLD;
        edit.SetSel(0, 2);
        edit.SetSelectionCharFormat(bold);
        edit.SetSel(0, 0);
    }
    std::string Path(const char* name) { return (dir.path() / name).string(); }
    static std::string Rtf(CRichEditCtrl& ctrl) {
        CByteArrayWrapper buffer;
        StreamWithByteBuffer(ctrl, buffer, SF_RTF);
        return std::string((const char*)buffer.GetData(), (size_t)buffer.GetWritePos());
    }
    static std::string FileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(RichEditStreamTest, FileRoundTripKeepsTextAndFormats) {
    for (UINT format : {(UINT)SF_RTF, (UINT)SF_TEXT}) {
        std::string path = Path("note.rtf");
        ASSERT_TRUE(StreamOutToFile(edit, path.c_str(), format));
        EXPECT_EQ((long)FileBytes(path).size(), GetStreamOutLength(edit, format)) << format;
        ASSERT_TRUE(StreamInFromFile(other, path.c_str(), format));
        CString a, b;
        edit.GetWindowText(a);
        other.GetWindowText(b);
        EXPECT_EQ(a, b) << format;
        if (format == SF_RTF) {
            EXPECT_EQ(Rtf(other), Rtf(edit)) << "the bold word survives";
        }
    }
}

TEST_F(RichEditStreamTest, AFileThatCannotBeOpenedChangesNothing) {
    other.SetWindowText("原来的");
    EXPECT_FALSE(StreamInFromFile(other, Path("missing.rtf").c_str(), SF_RTF));
    EXPECT_FALSE(StreamInFromFile(other, dir.str().c_str(), SF_RTF)) << "a folder";
    CString text;
    other.GetWindowText(text);
    EXPECT_EQ(text, "原来的");
    EXPECT_FALSE(StreamOutToFile(edit, Path("no/such/folder.rtf").c_str(), SF_RTF));
}

// A full disk: every write fails. The export must not be reported as done.
TEST_F(RichEditStreamTest, AFailedWriteMakesTheExportFail) {
    std::ifstream probe("/dev/full");
    if (!probe)
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(StreamOutToFile(edit, "/dev/full", SF_RTF));
    EXPECT_FALSE(StreamOutToFile(edit, "/dev/full", SF_TEXT));
}

TEST_F(RichEditStreamTest, ByteBufferWritesAppendAndReadsCanRepeat) {
    CByteArrayWrapper buffer;
    buffer.Write("xy", 2);
    long n = StreamWithByteBuffer(edit, buffer, SF_RTF);
    EXPECT_EQ(n, GetStreamOutLength(edit, SF_RTF));
    EXPECT_EQ(buffer.GetWritePos(), 2 + n) << "appended at the write position";

    buffer.SetWriteMode(FALSE);
    buffer.SetReadPos(2);
    EXPECT_EQ(StreamWithByteBuffer(other, buffer, SF_RTF), n);
    EXPECT_EQ(buffer.GetReadPos(), 2) << "put back for the next read";
    EXPECT_EQ(Rtf(other), Rtf(edit));

    other.SetWindowText("");
    EXPECT_EQ(StreamWithByteBuffer(other, buffer, SF_RTF), n);
    EXPECT_EQ(Rtf(other), Rtf(edit)) << "the same bytes read again";
}

} // namespace
