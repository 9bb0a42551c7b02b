#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mail/MimeCodec.h"
#include "mail/tests/MailTestSupport.h"
#include "platform/base/tests/TempFolder.h"

using namespace mailtest;

namespace {

const char* const kCases[] = {"abc",    "empty",     "line-57",    "line-58",
                              "binary", "a-blank-b", "gbk-letter", "trailing-blank"};

// Each case is an input file and one expected file per encoding, written beside it.
TEST(MimeCodec, EncodingsMatchTheGoldenFiles) {
    for (const char* name : kCases) {
        SCOPED_TRACE(name);
        const std::string base = TestData(std::string("codec/") + name);
        const CString input = Bytes(ReadBytes(base + ".in"));
        CString out;
        ASSERT_TRUE(EncodeBase64(&input, &out, FALSE, 0));
        EXPECT_EQ(ReadBytes(base + ".b64"), S(out));
        ASSERT_TRUE(EncodeBase64(&input, &out, FALSE, BASE64_NO_LINES));
        EXPECT_EQ(ReadBytes(base + ".b64-nolines"), S(out));
        ASSERT_TRUE(EncodeBase64(&input, &out, FALSE, BASE64_NO_LINES | BASE64_NO_PADDING));
        EXPECT_EQ(ReadBytes(base + ".b64-nopad"), S(out));
        ASSERT_TRUE(EncodeQuotedPrintable(&input, &out, FALSE, 0));
        EXPECT_EQ(ReadBytes(base + ".qp"), S(out));
        ASSERT_TRUE(EncodeWordB(&input, &out, "gb2312"));
        EXPECT_EQ(ReadBytes(base + ".bword"), S(out));
        ASSERT_TRUE(EncodeWordQ(&input, &out, "gb2312"));
        EXPECT_EQ(ReadBytes(base + ".qword"), S(out));

        // The file encoder gives the string encoder's text, with or without a limit.
        ASSERT_TRUE(EncodeBase64File((base + ".in").c_str(), &out, 0, 0, FALSE, 0));
        EXPECT_EQ(ReadBytes(base + ".b64"), S(out));
        ASSERT_TRUE(
            EncodeBase64File((base + ".in").c_str(), &out, 0, MAIL_ATTACHMENT_LIMIT, FALSE, 0));
        EXPECT_EQ(ReadBytes(base + ".b64"), S(out));

        // Decoding the lined text gives the input back.
        const CString lined = Bytes(ReadBytes(base + ".b64"));
        ASSERT_TRUE(DecodeBase64(&lined, &out));
        EXPECT_EQ(S(input), S(out));
    }
}

TEST(MimeCodec, AppendKeepsWhatTheOutputHeld) {
    const CString abc = "abc";
    CString out = "x:";
    ASSERT_TRUE(EncodeBase64(&abc, &out, TRUE, 0));
    ASSERT_TRUE(EncodeQuotedPrintable(&abc, &out, TRUE, 0));
    EXPECT_EQ("x:YWJjabc", S(out));
    ASSERT_TRUE(EncodeBase64(&out, &out, FALSE, 0)); // source and output may be the same string
    EXPECT_EQ("eDpZV0pqYWJj", S(out));
}

TEST(MimeCodec, DecodingSkipsWhatIsNotInTheAlphabet) {
    const struct {
        const char* text;
        std::string bytes;
    } cases[] = {
        {"YW Jj", "abc"},
        {"YWJj\r\nYWJj", "abcabc"},
        {"YQ==", "a"},
        {"YWI=", "ab"},
        {"YWI", "ab"}, // a last group of three characters gives two bytes
        {"Y", ""},     // one character holds no whole byte
        {"=Y=W=J=j=", "abc"},
        {"", ""},
        {"!!!", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CString text = c.text;
        CString out = "old";
        ASSERT_TRUE(DecodeBase64(&text, &out));
        EXPECT_EQ(c.bytes, S(out));
    }
    const CString withNul = Bytes(std::string("YWJj\0YWJj", 9));
    CString out;
    ASSERT_TRUE(DecodeBase64(&withNul, &out));
    EXPECT_EQ("abc", S(out)); // a NUL ends the text
}

TEST(MimeCodec, MissingSourceOrOutputFailsAndLeavesTheOutput) {
    const CString abc = "abc";
    CString out = "kept";
    EXPECT_FALSE(EncodeBase64(nullptr, &out, FALSE, 0));
    EXPECT_FALSE(EncodeBase64(&abc, nullptr, FALSE, 0));
    EXPECT_FALSE(EncodeQuotedPrintable(nullptr, &out, FALSE, 0));
    EXPECT_FALSE(EncodeWordB(nullptr, &out, "gb2312"));
    EXPECT_FALSE(EncodeWordQ(&abc, nullptr, "gb2312"));
    EXPECT_FALSE(DecodeBase64(nullptr, &out));
    EXPECT_FALSE(EncodeBase64File(nullptr, &out, 0, 0, TRUE, 0));
    EXPECT_EQ("kept", S(out));
}

TEST(MimeCodec, FileOverTheLimitOrMissingAppendsNothing) {
    test_folders::TempDir dir;
    const std::string path = dir.str() + "/a.bin";
    WriteBytes(path, std::string(1000, 'x'));
    CString out = "kept";
    EXPECT_FALSE(EncodeBase64File(path.c_str(), &out, 0, 999, TRUE, 0));
    EXPECT_FALSE(EncodeBase64File((dir.str() + "/none.bin").c_str(), &out, 0, 0, TRUE, 0));
    EXPECT_EQ("kept", S(out));
    // The limit is 64 bits wide: a high word alone lets the file through; exactly the limit too.
    EXPECT_TRUE(EncodeBase64File(path.c_str(), &out, 1, 0, FALSE, BASE64_NO_LINES));
    EXPECT_EQ(1336, out.GetLength());
    EXPECT_TRUE(EncodeBase64File(path.c_str(), &out, 0, 1000, TRUE, BASE64_NO_LINES));
    EXPECT_EQ(2672, out.GetLength());
}

// A file larger than the encoder's read piece keeps its line layout across pieces.
TEST(MimeCodec, LargeFileEncodesLikeTheSameBytesInMemory) {
    test_folders::TempDir dir;
    const std::string path = dir.str() + "/big.bin";
    std::string bytes(57 * 4096 * 2 + 100, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 3);
    WriteBytes(path, bytes);
    const CString source = Bytes(bytes);
    CString fromMemory, fromFile;
    ASSERT_TRUE(EncodeBase64(&source, &fromMemory, FALSE, 0));
    ASSERT_TRUE(EncodeBase64File(path.c_str(), &fromFile, 0, MAIL_ATTACHMENT_LIMIT, FALSE, 0));
    EXPECT_TRUE(fromMemory == fromFile);
    CString back;
    ASSERT_TRUE(DecodeBase64(&fromFile, &back));
    EXPECT_EQ(bytes, S(back));
}

} // namespace

// The bytes of a Q-encoded word's text ("=XX" and the characters that stand as they are).
CString DecodeWordQ(const CString& text) {
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] == '=') {
            out += static_cast<char>(std::stoi(S(text.Mid(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Header texts: the label follows what the text holds, words stay within 75 characters and end
// on whole characters (each decodes alone to a piece of the text), long lines fold at blanks.
TEST(MimeCodec, HeaderWordsAreLabelledAndSplitOnWholeCharacters) {
    const struct {
        std::string text;
        const char* charset;
    } cases[] = {
        {"", "gb2312"},
        {"plain", "gb2312"},
        {"各位好", "gb2312"},
        {std::string(150, 'x'), "gb2312"},
        {"\xE9\x46\x88\xD2\x86\xB4", "gb18030"}, // 镕堃喆, outside GB2312
        {"price \x80 100", "gb18030"},                 // the euro sign of code page 936
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        for (int i = 0; i < 5 && !text.empty(); ++i)
            text += text; // long enough for several words
        SCOPED_TRACE(c.charset + (" " + text.substr(0, 12)));
        EXPECT_EQ(c.charset, S(MailCharsetOf(Bytes(text))));
        for (char kind : {'B', 'Q'}) {
            const std::string words = S(EncodeHeaderWords(Bytes(text), kind));
            std::string decoded;
            size_t pos = 0;
            do {
                const size_t end = std::min(words.find(' ', pos), words.size());
                const std::string word = words.substr(pos, end - pos);
                EXPECT_LE(word.size(), 75u);
                const std::string head = std::string("=?") + c.charset + "?" + kind + "?";
                ASSERT_EQ(head, word.substr(0, head.size()));
                const CString payload = Bytes(word.substr(head.size(), word.size() - head.size() - 2));
                CString piece;
                if (kind == 'B')
                    DecodeBase64(&payload, &piece);
                else
                    piece = DecodeWordQ(payload);
                // A piece never ends inside a double-byte character.
                const std::string bytes = S(piece);
                for (size_t i = 0; i < bytes.size(); ++i)
                    if (static_cast<unsigned char>(bytes[i]) >= 0x81 && bytes[i] != '\x80')
                        ASSERT_LT(++i, bytes.size()) << "split inside a character";
                decoded += bytes;
                pos = end + 1;
            } while (pos < words.size());
            std::string expected = text;
            if (std::string(c.charset) == "gb18030")
                for (size_t at; (at = expected.find('\x80')) != std::string::npos;)
                    expected.replace(at, 1, "\xA2\xE3");
            EXPECT_EQ(expected, decoded);
        }
    }
    // Folding: at the last blank before the 79th character, never right after the name; a line
    // without a blank to fold at stays long.
    const std::string line = "Subject: " + std::string(60, 'a') + " " + std::string(60, 'b') + " c";
    EXPECT_EQ("Subject: " + std::string(60, 'a') + "\r\n " + std::string(60, 'b') + " c",
              S(FoldHeaderLine(Bytes(line))));
    EXPECT_EQ("X: " + std::string(100, 'a'), S(FoldHeaderLine(Bytes("X: " + std::string(100, 'a')))));
    // A long file name goes in numbered pieces, each of whole characters.
    std::string name;
    for (int i = 0; i < 12; ++i)
        name += "\xB1\xA8\xBC\xDB"; // 报价
    const std::string parameter = S(EncodeRfc2231Parameter("filename", Bytes(name + ".txt")));
    const std::string first = ";\r\n\tfilename*0*=gb2312''%B1%A8";
    EXPECT_EQ(first, parameter.substr(0, first.size())) << parameter;
    EXPECT_NE(std::string::npos, parameter.find(";\r\n\tfilename*1*=%")) << parameter;
    EXPECT_EQ(";\r\n\tfilename*=gb2312''a%20b.txt", S(EncodeRfc2231Parameter("filename", "a b.txt")));
}
