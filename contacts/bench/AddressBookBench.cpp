// Address-book figures: 50 000 contacts in 500 groups with Chinese names, numbers and
// addresses; save, load, find by pinyin initials, find by text and list the birthdays of the
// next 30 days. Prints the time of each step.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "contacts/ContactGroup.h"
#include "contacts/SmsDoc.h"

namespace {

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const char* const kGiven[] = {"伟", "芳",   "娜",   "敏", "静", "丽", "强",   "磊",   "军",   "洋",
                              "勇", "艳",   "杰",   "娟", "涛", "明", "超",   "秀英", "霞",   "平",
                              "刚", "桂英", "建华", "文", "华", "红", "志强", "玉兰", "海燕", "鹏"};
const char* const kCities[] = {"北京市", "上海市", "广州市", "深圳市", "成都市",
                               "杭州市", "武汉市", "西安市", "南京市", "重庆市"};
const char* const kStreets[] = {"人民路", "解放路", "中山路", "建设路", "和平路", "长江路"};

template <size_t N> const char* Pick(const char* const (&list)[N], std::mt19937& rng) {
    return list[rng() % N];
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Fill(_CGroup& root, std::mt19937& rng) {
    for (int g = 0; g < 500; ++g) {
        CString groupName;
        groupName.Format("%s%d组", Pick(kCities, rng), g);
        auto* pGroup = new _CGroup(groupName);
        root.AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
        for (int i = 0; i < 100; ++i) {
            CString name = CString(Pick(kSurnames, rng)) + Pick(kGiven, rng);
            auto* pPerson = new _CPerson(name, TRUE);
            CString text;
            text.Format("1%02u%08u", 30 + (unsigned)(rng() % 60), (unsigned)(rng() % 100000000));
            pPerson->SetFieldText(PF_MOBILE, text, FALSE, 0, "\n", "-");
            text.Format("0%u-%08u", 10 + (unsigned)(rng() % 900), (unsigned)(rng() % 100000000));
            pPerson->SetFieldText(PF_OFFICE_PHONE, text, FALSE, 0, "\n", "-");
            text.Format("%s%s%u号", Pick(kCities, rng), Pick(kStreets, rng),
                        1 + (unsigned)(rng() % 300));
            pPerson->SetFieldText(PF_HOME_ADDRESS, text, FALSE, 0, "\n", "-");
            pPerson->GetBirthday().SetBirthday(1950 + (int)(rng() % 60), 1 + (int)(rng() % 12),
                                               1 + (int)(rng() % 28), FALSE, TRUE);
            if (rng() % 4 == 0)
                pPerson->GetBirthday().SetRemindLunar(TRUE);
            pGroup->AddContent(pPerson, FALSE, nullptr, TRUE, TRUE);
        }
    }
}

int CountFinds(_CGroup& root, LPCTSTR text, BOOL bInitials) {
    const DWORD masks[kPersonGroupCount] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                            0xFFFFFFFF};
    CSearchItemArray hits;
    _CGroup::CPositionStack stack;
    BOOL bReported = FALSE;
    int n = 0;
    while (root.FindNext(text, stack, bReported, masks, 0, hits, _CGroup::FIND_CONTACTS, bInitials,
                         FALSE) != nullptr) {
        ++n;
        // Step past the hit: the walk resumes at the contact it found last.
        stack.GetTail() += 1;
    }
    return n;
}

void CountBirthday(void* pContext, _CPerson*, const CBirthday&, int, int) {
    ++*static_cast<int*>(pContext);
}

} // namespace

int main() {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "quillmar-bench-XXXXXX";
    std::string pattern = dir.string();
    if (mkdtemp(pattern.data()) == nullptr)
        return 1;
    setenv("QUILLMAR_HOME", pattern.c_str(), 1);
    setenv("QUILLMAR_CONFIG", pattern.c_str(), 1);
    const CString path((pattern + "/bench.sms").c_str());

    std::mt19937 rng(20240601);
    CSmsDoc doc;
    auto t = std::chrono::steady_clock::now();
    Fill(doc.GetRootGroup(), rng);
    std::printf("build     50000 contacts in 500 groups: %.3f s\n", Seconds(t));

    t = std::chrono::steady_clock::now();
    BOOL saved = doc.OnSaveDocument(path);
    std::printf("save      %s, %ju bytes: %.3f s\n", saved ? "ok" : "FAILED",
                (uintmax_t)std::filesystem::file_size(pattern + "/bench.sms"), Seconds(t));

    CSmsDoc loaded;
    t = std::chrono::steady_clock::now();
    BOOL ok = loaded.OnOpenDocument(path);
    std::printf("load      %s, %d contacts: %.3f s\n", ok ? "ok" : "FAILED",
                loaded.GetRootGroup().GetContentCount(TRUE, TRUE), Seconds(t));

    t = std::chrono::steady_clock::now();
    int n = CountFinds(loaded.GetRootGroup(), "ZW", TRUE);
    std::printf("find      pinyin initials \"ZW\": %d hits: %.3f s\n", n, Seconds(t));

    t = std::chrono::steady_clock::now();
    n = CountFinds(loaded.GetRootGroup(), "人民路1", FALSE);
    std::printf("find      text (a street and digit): %d hits: %.3f s\n", n, Seconds(t));

    t = std::chrono::steady_clock::now();
    int calls = 0;
    n = loaded.GetRootGroup().EnumUpcomingBirthdays(
        CDate(2024, 6, 1), 30, _CGroup::BIRTHDAY_AS_REMINDED, &calls, CountBirthday);
    std::printf("birthdays next 30 days: %d: %.3f s\n", n, Seconds(t));

    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    return saved && ok ? 0 : 1;
}
