// Writes the valid inputs the corpus folders of the mail fuzz targets start from, stored by the
// code itself: `mail_fuzz_seeds <source folder>/mail/fuzz`.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/fuzz/SeedFiles.h"
#include "mail/EmailMessage.h"
#include "mail/MiniDB.h"

namespace {

void MakeMessage(CEmailMessage& m) {
    m.m_sender.Set("张三", "zhang@example.com");
    m.AddRecipients("李四 <li@example.com>; wang@example.com", CEmailMessage::KIND_TO);
    m.AddRecipients("zhao@example.com", CEmailMessage::KIND_CC);
    m.m_strSubject = "季度报告";
    m.SetImportance(1);
    m.AddHeaderLine("X-Project: alpha");
    m.SetText("各位好：\r\n附件是报价单。");
    m.SetHtml("<p>各位好</p>", "http://example.com/");
    m.AddAttachment("report.doc");
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mail_fuzz_seeds <mail/fuzz folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    CEmailMessage message;
    MakeMessage(message);
    seed_files::WriteFile(folder / "corpus-mailrecord" / "message",
                          seed_files::Stored([&](CArchive& ar) { message.Serialize(ar); }));
    CEmailMessage plain;
    plain.SetText("plain");
    seed_files::WriteFile(folder / "corpus-mailrecord" / "plain",
                          seed_files::Stored([&](CArchive& ar) { plain.Serialize(ar); }));

    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "mail-seed";
    std::filesystem::create_directories(scratch);
    const std::string data = (scratch / "seed.dat").string(),
                      index = (scratch / "seed.idx").string();
    std::remove(data.c_str());
    std::remove(index.c_str());
    {
        CMiniDB db;
        if (!db.Open(data.c_str(), index.c_str()))
            return 1;
        CEmailMessage a, b, c;
        MakeMessage(a);
        b.SetText("second");
        db.Append(&a);
        db.Append(&b);
        db.Append(&c);
        b.m_strSubject = "rewritten";
        db.Rewrite(&b);
        db.Delete(2);
    }
    const std::string indexBytes = ReadAll(index), dataBytes = ReadAll(data);
    const uint32_t indexSize = static_cast<uint32_t>(indexBytes.size());
    seed_files::Bytes seed(4);
    std::memcpy(seed.data(), &indexSize, 4);
    seed.insert(seed.end(), indexBytes.begin(), indexBytes.end());
    seed.insert(seed.end(), dataBytes.begin(), dataBytes.end());
    seed_files::WriteFile(folder / "corpus-minidb" / "three-records", seed);
    std::filesystem::remove_all(scratch);
    return 0;
}
