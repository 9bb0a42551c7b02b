// Speed of the mail store and the encoders: messages of 2 to 20 KB of Chinese text (some with a
// 1 MB attachment) appended, loaded by id in random order, 10 % rewritten and 10 % deleted;
// Base64 of a 50 MB file and quoted-printable of 1 MB.
//
//   bench_maildb [messages] [folder]
//
// The store flushes every write step to the disk, so on a disk its speed is that of the disk's
// flushes; the main run therefore uses a memory file system (/dev/shm) when there is one, and a
// shorter run on the given folder (default: the temporary folder) shows the flushed figure.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "mail/EmailMessage.h"
#include "mail/MimeCodec.h"
#include "mail/MiniDB.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// GBK text of about n bytes, in lines.
CString ChineseText(size_t n, std::mt19937& rng) {
    static const char* const kWords[] = {"会议", "报告", "季度",     "客户",  "邮件", "附件",
                                         "明天", "下午", "项目",     "进度",  "谢谢", "，",
                                         "。",   "\r\n", "Quillmar", " 2026 "};
    CString text;
    while (static_cast<size_t>(text.GetLength()) < n)
        text += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
    return text;
}

struct Figures {
    double appendsPerSecond = 0, loadsPerSecond = 0, rewritesPerSecond = 0, deletesPerSecond = 0;
    double attachedPerSecond = 0; // messages with a 1 MB attachment formatted for sending
};

Figures RunStore(const std::filesystem::path& folder, int count, const CString& attachment) {
    std::filesystem::create_directories(folder);
    const std::string data = (folder / "bench.dat").string(),
                      index = (folder / "bench.idx").string();
    std::filesystem::remove(data);
    std::filesystem::remove(index);
    std::mt19937 rng(42);
    std::vector<CEmailMessage*> messages;
    for (int i = 0; i < count; ++i) {
        auto* m = new CEmailMessage;
        m->m_sender.Set("张三", "zhang@example.com");
        m->AddRecipients("李四 <li@example.com>; wang@example.com", CEmailMessage::KIND_TO);
        m->m_strSubject.Format("第%d封邮件", i);
        m->SetText(ChineseText(2048 + rng() % (18 * 1024), rng));
        if (i % 50 == 0)
            m->AddAttachment(attachment);
        messages.push_back(m);
    }
    Figures f;
    CMiniDB db;
    if (!db.Open(data.c_str(), index.c_str())) {
        std::fprintf(stderr, "cannot open the store in %s\n", folder.c_str());
        std::exit(1);
    }
    auto start = Clock::now();
    for (CEmailMessage* m : messages)
        if (db.Append(m) < 0)
            std::exit(1);
    f.appendsPerSecond = count / Seconds(start);

    std::vector<DWORD> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<size_t>(i)] = static_cast<DWORD>(i);
    std::shuffle(order.begin(), order.end(), rng);
    start = Clock::now();
    for (DWORD id : order) {
        CEmailMessage m;
        if (!db.Load(id, &m))
            std::exit(1);
    }
    f.loadsPerSecond = count / Seconds(start);

    int attached = 0;
    start = Clock::now();
    for (int i = 0; i < count; i += 50, ++attached) {
        CEmailMessage m;
        CString text;
        if (!db.Load(static_cast<DWORD>(i), &m) || !m.FormatMessage(text) ||
            text.GetLength() < 1024 * 1024)
            std::exit(1);
    }
    f.attachedPerSecond = attached / Seconds(start);

    const int tenth = std::max(count / 10, 1);
    start = Clock::now();
    for (int i = 0; i < tenth; ++i) {
        CEmailMessage* m = messages[order[static_cast<size_t>(i)]];
        m->m_strSubject += "（已改）";
        if (!db.Rewrite(m))
            std::exit(1);
    }
    f.rewritesPerSecond = tenth / Seconds(start);
    start = Clock::now();
    for (int i = 0; i < tenth; ++i)
        db.Delete(order[static_cast<size_t>(count - 1 - i)]);
    f.deletesPerSecond = tenth / Seconds(start);
    db.Close();
    for (CEmailMessage* m : messages)
        delete m;
    std::filesystem::remove(data);
    std::filesystem::remove(index);
    return f;
}

void Print(const char* where, int count, const Figures& f) {
    std::printf("%s, %d messages:\n", where, count);
    std::printf("  append   %10.0f /s   (target 2000 /s)\n", f.appendsPerSecond);
    std::printf("  load     %10.0f /s   (target 10000 /s)\n", f.loadsPerSecond);
    std::printf("  rewrite  %10.0f /s\n", f.rewritesPerSecond);
    std::printf("  delete   %10.0f /s\n", f.deletesPerSecond);
    std::printf("  format   %10.0f /s   (messages with a 1 MB attachment)\n", f.attachedPerSecond);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::filesystem::path disk =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    const std::filesystem::path work = disk / "quillmar-bench-maildb";
    std::filesystem::create_directories(work);

    // A 50 MB file for Base64; its first megabyte is the messages' attachment.
    const std::string big = (work / "big.bin").string(), small = (work / "one-mb.bin").string();
    {
        std::mt19937 rng(7);
        std::string bytes(50u * 1024 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        std::ofstream(big, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
        std::ofstream(small, std::ios::binary).write(bytes.data(), 1024 * 1024);
    }

    const std::filesystem::path memory = "/dev/shm";
    if (std::filesystem::is_directory(memory)) {
        const std::filesystem::path folder =
            memory / ("quillmar-bench-" + std::to_string(getpid()));
        Print("store in memory (/dev/shm)", count, RunStore(folder, count, small.c_str()));
        std::filesystem::remove_all(folder);
    }
    const int flushed = std::min(count, 300);
    Print(("store on disk (" + work.string() + ")").c_str(), flushed,
          RunStore(work / "store", flushed, small.c_str()));

    CString out;
    auto start = Clock::now();
    if (!EncodeBase64File(big.c_str(), &out, 0, MAIL_ATTACHMENT_LIMIT, FALSE, 0))
        return 1;
    std::printf("Base64 of a 50 MB file: %.0f MB/s (target 200 MB/s)\n", 50 / Seconds(start));
    std::mt19937 rng(3);
    const CString text = ChineseText(1024 * 1024, rng);
    start = Clock::now();
    const int rounds = 20;
    for (int i = 0; i < rounds; ++i)
        EncodeQuotedPrintable(&text, &out, FALSE, 0);
    std::printf("quoted-printable of 1 MB: %.1f ms\n", Seconds(start) * 1000 / rounds);

    std::filesystem::remove_all(work);
    return 0;
}
