// Wave files and PlaySound: the RIFF reader on good and damaged files, and playback into ALSA's
// file plugin, whose output must be the file's own samples.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/tests/TempFolder.h"
#include "platform/sys/Sound.h"
#include "platform/sys/WaveFile.h"

namespace {

std::string Le16(unsigned v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)};
}
std::string Le32(unsigned v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A wave file: the format chunk (plain or extensible), optional chunks before the data.
std::string Wave(unsigned tag, unsigned channels, unsigned rate, unsigned bits,
                 const std::string& data, bool extensible = false,
                 const std::string& before = std::string()) {
    unsigned align = channels * bits / 8;
    std::string fmt = Le16(extensible ? 0xFFFE : tag) + Le16(channels) + Le32(rate) +
                      Le32(rate * align) + Le16(align) + Le16(bits);
    if (extensible)
        fmt += Le16(22) + Le16(bits) + Le32(0) + Le16(tag) +
               std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    std::string body = "WAVE" + std::string("fmt ") + Le32((unsigned)fmt.size()) + fmt + before +
                       "data" + Le32((unsigned)data.size()) + data;
    return "RIFF" + Le32((unsigned)body.size()) + body;
}

std::string Samples(size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char((i * 37 + seed * 11 + (i >> 7)) & 0xFF);
    return s;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_out = m_dir.str() + "/out.raw";
        SetSoundDeviceForTesting(("file:'" + m_out + "',raw").c_str());
    }
    void TearDown() override {
        PlaySound(nullptr, nullptr, 0);
        EXPECT_TRUE(WaitForSoundIdleForTesting(10000));
        SetSoundDeviceForTesting(nullptr);
    }
    std::string File(const char* name, const std::string& bytes) {
        std::string path = m_dir.str() + "/" + name;
        WriteAll(path, bytes);
        return path;
    }

    test_folders::TempDir m_dir;
    std::string m_out;
};

} // namespace

TEST(WaveFileTest, ReadsEveryEncodingItPlays) {
    struct Row {
        unsigned tag, channels, rate, bits;
        bool extensible;
        int encoding;
    } rows[] = {
        {1, 1, 8000, 8, false, SWaveData::PCM},      {1, 2, 44100, 16, false, SWaveData::PCM},
        {1, 2, 48000, 24, false, SWaveData::PCM},    {1, 1, 22050, 32, false, SWaveData::PCM},
        {3, 2, 44100, 32, false, SWaveData::FLOAT},  {3, 1, 96000, 64, false, SWaveData::FLOAT},
        {1, 6, 48000, 24, true, SWaveData::PCM},     {3, 2, 44100, 32, true, SWaveData::FLOAT},
    };
    for (const Row& r : rows) {
        std::string data = Samples(r.channels * r.bits / 8 * 100);
        // A list chunk of odd size (padded) before the data is stepped over.
        std::string list = "LIST" + Le32(5) + "INFOx" + std::string(1, '\0');
        std::string file = Wave(r.tag, r.channels, r.rate, r.bits, data, r.extensible, list);
        SWaveData wave;
        ASSERT_TRUE(ParseWaveFile(file.data(), file.size(), wave)) << r.bits << " " << r.tag;
        EXPECT_EQ(wave.nEncoding, r.encoding);
        EXPECT_EQ(wave.nChannels, (int)r.channels);
        EXPECT_EQ(wave.dwSampleRate, r.rate);
        EXPECT_EQ(wave.nBitsPerSample, (int)r.bits);
        EXPECT_EQ(wave.GetFrameCount(), 100u);
        EXPECT_TRUE(wave.samples == data);
    }
}

TEST(WaveFileTest, RefusesWhatItCannotPlayAndPlaysWhatACutFileHolds) {
    std::string good = Wave(1, 2, 44100, 16, Samples(400));
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"not RIFF", "RIFX" + good.substr(4)},
        {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12)},
        {"ADPCM", Wave(2, 1, 8000, 4, Samples(40))},
        {"12-bit PCM", Wave(1, 1, 8000, 12, Samples(40))},
        {"16-bit float", Wave(3, 1, 8000, 16, Samples(40))},
        {"no channels", Wave(1, 0, 8000, 16, Samples(40))},
        {"absurd rate", Wave(1, 1, 4000000, 16, Samples(40))},
        {"no data chunk", good.substr(0, 36)},
        {"no samples", Wave(1, 1, 8000, 16, "")},
        {"data before format",
         "RIFF" + Le32(4 + 8 + 4) + "WAVE" + "data" + Le32(4) + Samples(4)},
        {"format chunk longer than the file", good.substr(0, 20) + Le32(0x7FFFFFF0)},
        {"huge chunk before the data", "RIFF" + Le32(0xFFFFFFF0) + "WAVEjunk" + Le32(0xFFFFFF00)},
    };
    for (const Row& row : rows) {
        SWaveData wave;
        EXPECT_FALSE(ParseWaveFile(row.bytes.data(), row.bytes.size(), wave)) << row.what;
    }
    // Cut inside the data: the whole frames that are there.
    std::string cut = good.substr(0, good.size() - 401 + 10);
    SWaveData wave;
    ASSERT_TRUE(ParseWaveFile(cut.data(), cut.size(), wave));
    EXPECT_EQ(wave.samples.size(), 8u);
}

TEST_F(SoundTest, PlaysTheSamplesIntoTheDevice) {
    struct Row {
        unsigned tag, channels, rate, bits;
    } rows[] = {{1, 1, 8000, 8}, {1, 2, 44100, 16}, {1, 2, 48000, 24}, {3, 1, 22050, 32}};
    for (const Row& r : rows) {
        std::string data = Samples(r.channels * r.bits / 8 * 2205, r.bits);
        std::string path = File("a.wav", Wave(r.tag, r.channels, r.rate, r.bits, data));
        ASSERT_TRUE(PlaySound(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
        ASSERT_TRUE(WaitForSoundIdleForTesting(10000));
        EXPECT_TRUE(ReadAll(m_out) == data) << r.bits << " bits: " << ReadAll(m_out).size()
                                            << " bytes of " << data.size();
    }
}

TEST_F(SoundTest, TheCallerDoesNotWaitAndANewSoundCutsTheOld) {
    // Ten seconds of sound, written slowly: an asynchronous call answers at once.
    std::string longData = Samples(2 * 8000 * 10);
    std::string longPath = File("long.wav", Wave(1, 1, 8000, 16, longData));
    std::string shortData = Samples(2 * 800, 5);
    std::string shortPath = File("short.wav", Wave(1, 1, 8000, 16, shortData));
    std::remove(m_out.c_str());
    TakeSoundsPlayedForTesting();
    SetSoundBlockPauseForTesting(5);
    ASSERT_TRUE(PlaySound(longPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    // Once some of it is in the device, the next sound replaces it.
    for (int i = 0; i < 1000 && ReadAll(m_out).size() < 4 * 161; ++i)
        usleep(2000);
    ASSERT_TRUE(PlaySound(shortPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    ASSERT_TRUE(WaitForSoundIdleForTesting(20000));
    SetSoundBlockPauseForTesting(0);
    std::vector<SSoundPlayedForTesting> played = TakeSoundsPlayedForTesting();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_LT(played[0].nWritten, played[0].nFrames); // cut short
    EXPECT_EQ(played[0].nFrames, 80000u);
    EXPECT_EQ(played[1].nWritten, played[1].nFrames);
    // The device was opened again for the new sound, which is all it holds now.
    EXPECT_TRUE(ReadAll(m_out) == shortData) << ReadAll(m_out).size();
    // A synchronous call answers once the sound has played.
    ASSERT_TRUE(PlaySound(shortPath.c_str(), nullptr, SND_FILENAME | SND_SYNC));
    EXPECT_TRUE(ReadAll(m_out) == shortData);
    // Stopping cuts a sound as well.
    std::remove(m_out.c_str());
    TakeSoundsPlayedForTesting();
    SetSoundBlockPauseForTesting(5);
    ASSERT_TRUE(PlaySound(longPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC));
    for (int i = 0; i < 1000 && ReadAll(m_out).size() < 4 * 161; ++i)
        usleep(2000);
    ASSERT_TRUE(PlaySound(nullptr, nullptr, 0));
    ASSERT_TRUE(WaitForSoundIdleForTesting(20000));
    SetSoundBlockPauseForTesting(0);
    played = TakeSoundsPlayedForTesting();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_LT(played[0].nWritten, played[0].nFrames);
}

TEST_F(SoundTest, MissingOrUnplayableFilesGiveFalseAndStopNeedsNoFile) {
    std::string text = File("note.wav", "这不是声音文件");
    EXPECT_FALSE(PlaySound((m_dir.str() + "/missing.wav").c_str(), nullptr,
                           SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    EXPECT_FALSE(PlaySound(text.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    EXPECT_FALSE(PlaySound(m_dir.str().c_str(), nullptr, SND_FILENAME | SND_ASYNC));
    EXPECT_FALSE(PlaySound("SystemAsterisk", nullptr, SND_ASYNC)); // no sound aliases
    EXPECT_TRUE(PlaySound(nullptr, nullptr, 0));
    EXPECT_TRUE(WaitForSoundIdleForTesting(10000));
    EXPECT_FALSE(std::ifstream(m_out).good()); // nothing was opened
}

// A sound named by a sender or a reminder may be a pipe or a device: the caller is answered at
// once, as for any file that is not a sound. A call still waiting after two seconds is set free
// by a writer that opens and closes the pipe, so that the failure shows instead of a hang.
TEST_F(SoundTest, APipeOrADeviceIsRefusedWithoutWaiting) {
    const std::string fifo = m_dir.str() + "/bell.wav";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        for (int viaPlaySound = 0; viaPlaySound < 2; ++viaPlaySound) {
            auto answer = std::async(std::launch::async, [&] {
                SWaveData wave;
                return viaPlaySound ? PlaySound(path.c_str(), nullptr,
                                                SND_FILENAME | SND_ASYNC | SND_NODEFAULT)
                                    : ReadWaveFile(path.c_str(), wave);
            });
            const bool prompt =
                answer.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
            if (!prompt)
                close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
            EXPECT_TRUE(prompt) << "the caller waited on the file";
            EXPECT_FALSE(answer.get());
        }
    }
}

TEST_F(SoundTest, ADeviceThatDoesNotOpenIsSilentOnStderr) {
    SetSoundDeviceForTesting("hw:97,0");
    std::string path = File("a.wav", Wave(1, 1, 8000, 16, Samples(1600)));
    std::string errPath = m_dir.str() + "/stderr.txt";
    fflush(stderr);
    int saved = dup(2);
    int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 2);
    close(fd);
    BOOL played = PlaySound(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    bool idle = WaitForSoundIdleForTesting(10000);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    EXPECT_TRUE(played); // the file is fine; there is only nothing to hear it on
    EXPECT_TRUE(idle);
    EXPECT_EQ(ReadAll(errPath), "");
}
