#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "links/SmsPdu.h"
#include "platform/base/Gbk.h"
#include "platform/base/tests/TempFolder.h"

extern char** environ;

namespace {

const char* U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

// What a program printed on its standard output; empty when it could not run.
std::string RunProgram(std::vector<std::string> args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while (rc == 0 && (n = read(pipeFds[0], buf, sizeof buf)) > 0)
        out.append(buf, n);
    close(pipeFds[0]);
    if (rc == 0)
        waitpid(pid, nullptr, 0);
    return out;
}

bool HaveProgram(const char* name) {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"})
        if (access((std::string(dir) + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

// An independent encoder: gammu's "Whole PDU" of a text message (its own dummy phone, in the
// test's folder).
class GammuEncoder {
public:
    GammuEncoder() {
        std::filesystem::create_directory(dir.path() / "dummy");
        std::ofstream(config) << "[gammu]\ndevice = " << (dir.path() / "dummy").string()
                              << "\nconnection = none\nmodel = dummy\n";
    }
    std::string Pdu(const std::string& utf8Text, const std::string& number,
                    const std::string& centre, bool unicode) {
        // gammu reads its arguments in the locale's encoding: the texts here are UTF-8, whatever
        // locale the suite was started in (LANG=C would make every Chinese text empty).
        std::vector<std::string> args = {"env",   "LC_ALL=C.UTF-8", "gammu",      "-c",
                                         config,  "displaysms",     "TEXT",       number,
                                         "-text", utf8Text,         "-smscnumber", centre};
        if (unicode)
            args.push_back("-unicode");
        std::string out = RunProgram(args);
        size_t at = out.find("Whole PDU");
        if (at == std::string::npos)
            return "(no PDU) " + out;
        at = out.find(':', at) + 1;
        while (out[at] == ' ')
            at++;
        return out.substr(at, out.find('\n', at) - at);
    }

private:
    test_folders::TempDir dir;
    std::string config = (dir.path() / "gammurc").string();
};

CString Encode(const char* centre, const char* number, BYTE dcs, const CString& text,
               CString* error = nullptr) {
    SM_PARAM p;
    p.serviceCentre = centre;
    p.destination = number;
    p.dcs = dcs;
    p.text = text;
    CString pdu;
    int n = EncodePdu(p, pdu, error);
    EXPECT_EQ(pdu.GetLength(), n);
    return pdu;
}

TEST(SmsPduTest, SevenBitTextPacksItsBytes) {
    CString pdu = Encode("8613800100500", "8613800138000", PDU_DCS_7BIT, "hello");
    EXPECT_STREQ("0891683108100005F011000D91683108108300F00000FF05E8329BFD06", pdu);
    // Eight characters fill exactly seven octets; the length counts characters.
    pdu = Encode("8613800100500", "8613800138000", PDU_DCS_7BIT, "abcdefgh");
    EXPECT_STREQ("FF0861F1985C369FD1", pdu.Right(18));
    // Bytes go as they are, without the GSM alphabet: "@" is its ASCII value 0x40.
    BYTE packed[8];
    ASSERT_EQ(1, PackSeptets((const BYTE*)"@", 1, packed));
    EXPECT_EQ(0x40, packed[0]);
}

TEST(SmsPduTest, AddressesAreSwappedSemiOctets) {
    EXPECT_STREQ("683108100005F0", EncodeSemiOctets("8613800100500"));
    EXPECT_STREQ("2143", EncodeSemiOctets("1234"));
    EXPECT_STREQ("", EncodeSemiOctets(""));
    // A 13-digit centre takes 7 octets plus its type: length octet 8; AT+CMGS leaves out nine.
    CString pdu = Encode("8613800100500", "10086", PDU_DCS_7BIT, "x");
    EXPECT_STREQ("0891", pdu.Left(4));
    EXPECT_EQ(9, PduServiceCentreOctets(pdu));
    // The phone's own centre when none is given; the "+" of a number is its international form.
    pdu = Encode("", "+8613800138000", PDU_DCS_7BIT, "x");
    EXPECT_STREQ("0011000D91683108108300F00000FF0178", pdu);
    EXPECT_EQ(1, PduServiceCentreOctets(pdu));
}

TEST(SmsPduTest, HexConversionsRoundTrip) {
    BYTE bytes[4];
    EXPECT_EQ(4, HexToBytes("00fFa5E8", bytes, 8));
    char hex[9];
    EXPECT_EQ(8, BytesToHex(bytes, hex, 4));
    EXPECT_STREQ("00FFA5E8", hex);
    EXPECT_TRUE(IsDoubleByteLead(0xC4));
    EXPECT_FALSE(IsDoubleByteLead('a'));
}

TEST(SmsPduTest, RefusesWhatDoesNotFitTheNetworksFields) {
    CString chinese70, chinese71;
    for (int i = 0; i < 70; i++)
        chinese70 += "好";
    chinese71 = chinese70 + "a";
    struct Case {
        const char* centre;
        const char* number;
        BYTE dcs;
        CString text;
        bool ok;
    } cases[] = {
        {"8613800100500", "8613800138000", PDU_DCS_UCS2, chinese70, true},
        {"8613800100500", "8613800138000", PDU_DCS_UCS2, chinese71, false},
        {"8613800100500", "8613800138000", PDU_DCS_7BIT, CString('a', 160), true},
        {"8613800100500", "8613800138000", PDU_DCS_7BIT, CString('a', 161), false},
        {"8613800100500", "8613800138000", PDU_DCS_8BIT, CString('a', 140), true},
        {"8613800100500", "8613800138000", PDU_DCS_8BIT, CString('a', 141), false},
        {"1234567890123456", "8613800138000", PDU_DCS_7BIT, "x", true},
        {"12345678901234567", "8613800138000", PDU_DCS_7BIT, "x", false},
        {"8613800100500", "12345678901234567890123456789012", PDU_DCS_7BIT, "x", true},
        {"8613800100500", "123456789012345678901234567890123", PDU_DCS_7BIT, "x", false},
        {"8613800100500", "", PDU_DCS_7BIT, "x", false},
        {"8613800100500", "+", PDU_DCS_7BIT, "x", false},
        {"8613800100500", "138-0013-8000", PDU_DCS_7BIT, "x", false},
        {"8613800100500", "86+8613800138000", PDU_DCS_7BIT, "x", false},
        {"86138abc", "8613800138000", PDU_DCS_7BIT, "x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.centre) + " " + c.number + " dcs " + std::to_string(c.dcs) +
                     " length " + std::to_string(c.text.GetLength()));
        CString error;
        CString pdu = Encode(c.centre, c.number, c.dcs, c.text, &error);
        EXPECT_EQ(c.ok, !pdu.IsEmpty());
        EXPECT_EQ(c.ok, error.IsEmpty()) << GbkToUtf8((LPCSTR)error);
    }
}

// Our PDUs equal those of an independent encoder over a table of texts and numbers.
TEST(SmsPduTest, MatchesAnIndependentEncoder) {
    if (!HaveProgram("gammu"))
        FAIL() << "gammu is not installed (scripts/install-deps.sh installs it)";
    GammuEncoder gammu;
    struct Case {
        const char* utf8;
        const char* number;
        const char* centre;
        bool unicode;
    } cases[] = {
        {"hello", "8613800138000", "8613800100500", false},
        {"abcdefgh", "8613800138000", "8613800100500", false},
        {"Meeting at 10, room 3", "10086", "8613800100500", false},
        {"0123456789012345678901234567890123456789012345678901234567890123456789012345678901234"
         "567890123456789012345678901234567890123456789012345678901234567890123456789",
         // (160 characters: the most one message holds)
         "8613912345678", "861380010050", false},
        {U8(u8"你好abc"), "8613800138000", "8613800100500", true},
        {U8(u8"明天下午三点在会议室开会，请准时参加。"), "13912345678", "8613800571500", true},
        {U8(u8"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一"
            u8"二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"),
         "8613800138000", "8613800100500", true},
        {"plain text as UCS-2", "8613800138000", "8613800100500", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        CString text = Utf8ToGbk(c.utf8);
        CString ours = Encode(c.centre, c.number, c.unicode ? PDU_DCS_UCS2 : PDU_DCS_7BIT, text);
        std::string theirs =
            gammu.Pdu(c.utf8, std::string("+") + c.number, std::string("+") + c.centre, c.unicode);
        EXPECT_EQ(theirs, std::string(ours));
    }
}

// Two independent parsers read each of our PDUs as the message we meant.
TEST(SmsPduTest, IndependentParsersReadOurMessages) {
    std::string script = PDU_DECODER_SCRIPT;
    std::string modules = script.substr(0, script.rfind('/')) + "/node/node_modules/node-pdu";
    if (!HaveProgram("node") || access(modules.c_str(), R_OK) != 0)
        FAIL() << "node or the PDU parsers are not installed (scripts/install-deps.sh installs it)";
    struct Case {
        const char* utf8;
        const char* number;
        const char* centre;
        BYTE dcs;
    } cases[] = {
        {"hello", "8613800138000", "8613800100500", PDU_DCS_7BIT},
        {"abcdefgh", "10086", "8613800100500", PDU_DCS_7BIT},
        {"Meeting at 10, room 3", "+8613912345678", "", PDU_DCS_7BIT},
        {U8(u8"你好abc"), "8613800138000", "8613800100500", PDU_DCS_UCS2},
        {U8(u8"明天下午三点在会议室开会，请准时参加。"), "13912345678", "+8613800571500",
         PDU_DCS_UCS2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        CString pdu = Encode(c.centre, c.number, c.dcs, Utf8ToGbk(c.utf8));
        ASSERT_FALSE(pdu.IsEmpty());
        std::string out = RunProgram({"node", script, std::string(pdu)});
        std::string number = c.number[0] == '+' ? c.number + 1 : c.number;
        std::string centre = c.centre[0] == '+' ? c.centre + 1 : c.centre;
        std::vector<std::string> expected = {
            "a.type=SMS-SUBMIT",
            "a.destination=+" + number,
            "a.smsc=" + (centre.empty() ? std::string("null") : "+" + centre),
            std::string("a.text=") + c.utf8,
            std::string("a.alphabet=") + (c.dcs == PDU_DCS_UCS2 ? "2" : "0"),
            "a.vp=63w",
            "b.phone=" + number,
            std::string("b.text=") + c.utf8,
        };
        for (const std::string& line : expected)
            EXPECT_NE(std::string::npos, out.find(line + "\n")) << line << "\n" << out;
    }
}

} // namespace
