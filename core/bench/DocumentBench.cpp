// Saving and loading a document of 100 000 small leaves in 1 000 groups: prints the time of
// each, the throughput in MB/s and the peak memory of the process.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "core/Group.h"
#include "core/KovDocument.h"
#include "platform/base/Archive.h"

namespace {

class CBenchLeaf : public CContent {
    DECLARE_SERIAL(CBenchLeaf)
public:
    CString m_strNumber;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << GetName() << m_strNumber;
        else
            ar >> GetName() >> m_strNumber;
    }
};
IMPLEMENT_SERIAL(CBenchLeaf, CContent, 1)

class CBenchGroup : public CGroup {
    DECLARE_SERIAL(CBenchGroup)
public:
    CRuntimeClass* GetContentClass() const override { return RUNTIME_CLASS(CBenchLeaf); }
    void SerializeExtra(CArchive& ar) override {
        if (ar.IsStoring())
            ar << GetName() << m_dwFlags;
        else
            ar >> GetName() >> m_dwFlags;
    }
};
IMPLEMENT_SERIAL(CBenchGroup, CGroup, 1)

class CBenchDoc : public CKovDocument {
public:
    CBenchGroup m_root;
    void Serialize(CArchive& ar) override {
        CKovDocument::Serialize(ar);
        m_root.Serialize(ar);
    }
    void DeleteContents() override { m_root.RemoveAll(); }
};

int ShowNothing(LPCTSTR text, UINT) {
    std::fprintf(stderr, "message: %s\n", text);
    return 1;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main() {
    constexpr int kGroups = 1000;
    constexpr int kLeavesPerGroup = 100;
    CDocument::SetMessageHook(&ShowNothing);

    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillmar-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::filesystem::path dir = pattern;
    CString path((dir / "bench.sms").string().c_str());

    CBenchDoc doc;
    for (int g = 0; g < kGroups; ++g) {
        auto* group = new CBenchGroup;
        CString name;
        name.Format("分组%04d", g);
        group->SetName(name);
        doc.m_root.AddSubgroup(group, FALSE);
        for (int i = 0; i < kLeavesPerGroup; ++i) {
            auto* leaf = new CBenchLeaf;
            name.Format("联系人%06d", g * kLeavesPerGroup + i);
            leaf->SetName(name);
            leaf->m_strNumber.Format("138%08d", g * kLeavesPerGroup + i);
            group->AddContent(leaf, FALSE);
        }
    }

    auto start = std::chrono::steady_clock::now();
    if (!doc.OnSaveDocument(path))
        return 1;
    double saveSeconds = Seconds(start);
    double megabytes = (double)std::filesystem::file_size(dir / "bench.sms") / (1024.0 * 1024.0);

    CBenchDoc loaded;
    start = std::chrono::steady_clock::now();
    if (!loaded.OnOpenDocument(path))
        return 1;
    double loadSeconds = Seconds(start);

    int leaves = loaded.m_root.GetContentCount(TRUE, TRUE);
    std::printf("document: %d groups, %d leaves, %.2f MB\n", kGroups, leaves, megabytes);
    std::printf("save: %.3f s, %.1f MB/s\n", saveSeconds, megabytes / saveSeconds);
    std::printf("load: %.3f s, %.1f MB/s\n", loadSeconds, megabytes / loadSeconds);
    std::printf("peak memory: %.1f MB\n", (double)PeakKiB() / 1024.0);

    std::filesystem::remove_all(dir);
    return leaves == kGroups * kLeavesPerGroup ? 0 : 1;
}
