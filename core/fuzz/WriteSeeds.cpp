// Writes the valid files the corpus folders of the core fuzz targets start from, each made by the
// code that writes such files: `core_fuzz_seeds <source folder>/core/fuzz`.
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <string>

#include "core/Date.h"
#include "core/DateTime.h"
#include "core/StringListCertificate.h"
#include "core/StringListEx.h"
#include "core/StringListXString.h"
#include "core/fuzz/SeedFiles.h"
#include "core/tests/GroupTestRecords.h"
#include "platform/base/OsPath.h"

namespace {

namespace fs = std::filesystem;
using seed_files::Bytes;
using seed_files::Stored;
using seed_files::WriteFile;

// Folders two levels deep, the inner one locked, full cards in each and a link at the root.
void FillBook(CTestBookDoc& doc) {
    auto* friends = new CTestFolder("朋友");
    doc.m_root.AddSubgroup(friends);
    friends->AddContent(MakeFullCard("王五", 7));
    auto* classmates = new CTestFolder("老同学");
    friends->AddSubgroup(classmates);
    classmates->AddContent(MakeFullCard("赵六", 8));
    classmates->SetPassword("pw");
    classmates->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    POSITION pos = friends->GetFirstContentPosition();
    doc.m_root.AddContent(friends->GetNextContent(pos)->CreateVirtualCopy());
    doc.m_root.SetName("通讯录");
}

void WriteDocumentSeeds(const fs::path& folder) {
    fs::create_directories(folder);
    CTestBookDoc full;
    FillBook(full);
    full.OnSaveDocument(ProgramPathFromOsPath((folder / "book.kov").string()));
    CTestBookDoc empty;
    empty.OnSaveDocument(ProgramPathFromOsPath((folder / "empty.kov").string()));
    // The older plain form: the same archive unscrambled, under the plain version word.
    Bytes plain = Stored([&](CArchive& ar) {
        ar.m_pDocument = &full;
        full.Serialize(ar);
    });
    const DWORD plainVersion = CKovDocumentBase::kPlainVersion;
    std::copy_n(reinterpret_cast<const char*>(&plainVersion), 4, plain.begin());
    WriteFile(folder / "plain.kov", plain);
}

void WriteStringListSeeds(const fs::path& folder) {
    CStringListEx names;
    names.AddTail("张三");
    names.AddTail("Li Si");
    names.SetCurrentIndex(1);
    CXStringList phones(2);
    CXString phone(2);
    phone.SetAt(0, "13800000000");
    phone.SetAt(1, "手机");
    phone.SetNote("晚上");
    phones.AddTail(phone);
    phones.AddTail(CXString(2));
    phones.SetCurrentIndex(0);
    CCertificateList certificates;
    certificates.AddTail(SCertificate{"身份证", "110101", "摘要"});
    certificates.AddTail(SCertificate{"护照", "", ""});
    // The kind byte before each list: 0 names, 1 + 3 * n a list of n-string values, 2 certificates.
    auto kind = [](CArchive& ar, BYTE k) { ar << k; };
    WriteFile(folder / "names.bin", Stored([&](CArchive& ar) {
                  kind(ar, 0);
                  names.Serialize(ar);
              }));
    WriteFile(folder / "phones.bin", Stored([&](CArchive& ar) {
                  kind(ar, 1 + 3 * 2);
                  phones.Serialize(ar);
              }));
    WriteFile(folder / "mixed.bin", Stored([&](CArchive& ar) {
                  kind(ar, 2);
                  certificates.Serialize(ar);
                  kind(ar, 1 + 3 * 2);
                  phones.Serialize(ar);
                  kind(ar, 0);
                  names.Serialize(ar);
              }));
}

void WriteDateSeeds(const fs::path& folder) {
    auto stored = [](CDate date, CDateTime dateTime, CTimeOfDay amount) {
        return Stored([&](CArchive& ar) {
            date.Serialize(ar);
            dateTime.Serialize(ar);
            amount.Serialize(ar);
        });
    };
    WriteFile(
        folder / "leap-day.bin",
        stored(CDate(2024, 2, 29), CDateTime(1999, 12, 31, 23, 59, 30), CTimeOfDay(0, 1, 45)));
    WriteFile(folder / "null-date.bin", stored(CDate(), CDateTime(), CTimeOfDay(-1, 30, 0)));
    auto text = [](const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); };
    WriteFile(folder / "stamp.txt", text("2005-02-28 13:45:07"));
    WriteFile(folder / "chinese.txt", text("1980年1月2日"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <core/fuzz folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder(argv[1]);
    WriteDocumentSeeds(folder / "corpus-document");
    WriteStringListSeeds(folder / "corpus-stringlist");
    WriteDateSeeds(folder / "corpus-date");
    return 0;
}
