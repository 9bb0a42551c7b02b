// CSV import, group export and find-all figures: `bench_contacts_csv [rows] [contacts]` (20 000
// CSV rows and 50 000 contacts unless told). Prints wall time of each step:
//   import of the rows from GBK and from UTF-8: plain, sorted by name, and merged into a group
//   that already holds every contact of the file;
//   export of the contacts as CSV and as card text (all 47 fields);
//   "find all" by pinyin initials over the contacts, with the hits' field names as a result list
//   shows them;
//   the peak memory of importing 100 000 rows (target: the file is never held whole, and each
//   contact stays near the size of one read from a book);
//   import of the GBK file and CSV export of the contacts beside Python's csv module reading the
//   same file and writing the same records (Debian's /usr/bin/python3, median of 5 runs each, as
//   CPU time of the process on both sides, which a machine busy with other work disturbs less
//   than wall time; target: no slower than Python, with Python's output byte-identical to ours).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "contacts/ContactFinder.h"
#include "contacts/ContactGroup.h"
#include "contacts/GroupExport.h"
#include "platform/base/Gbk.h"

namespace {

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋",
                              "勇", "艳", "杰", "娟", "涛", "明", "超", "秀", "霞", "平"};

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Name(int i, std::mt19937& rng) {
    return std::string(kSurnames[rng() % 20]) + kGiven[rng() % 20] + kGiven[rng() % 20] +
           std::to_string(i);
}

std::string MakeCsv(int rows) {
    std::mt19937 rng(7);
    std::string csv = "姓名,手机,E-mail,家庭地址,单位名称,附注\r\n";
    for (int i = 0; i < rows; ++i)
        csv += Name(i, rng) + ",1380013" + std::to_string(1000 + i % 9000) + ",u" +
               std::to_string(i) + "@example.com,\"北京市海淀区中关村大街" + std::to_string(i) +
               "号\",墨川公司,\"第一行\r\n第二行\"\r\n";
    return csv;
}

void Write(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// Peak resident memory a plain import adds, in KB, measured in a child process of its own so that
// nothing done before counts; -1 when it cannot be measured.
long PeakImportKb(const CString& path, const CArray<int, int>& map, int& nImported) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        _CGroup group("");
        long result[2] = {0, group.ImportCsv(path, map, 0, -1)};
        getrusage(RUSAGE_SELF, &after);
        result[0] = after.ru_maxrss - before.ru_maxrss;
        (void)!write(fds[1], result, sizeof result);
        _exit(0);
    }
    close(fds[1]);
    long result[2] = {-1, 0};
    if (pid < 0 || read(fds[0], result, sizeof result) != (ssize_t)sizeof result)
        result[0] = -1;
    close(fds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    nImported = (int)result[1];
    return result[0];
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double MedianMs(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? 0 : ms[ms.size() / 2];
}

// The line the Python script prints for the arguments; empty when it could not be run.
std::string RunPython(const std::string& args) {
    const std::string command = "/usr/bin/python3 '" CSV_PYTHON_SCRIPT "' " + args;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::string();
    char line[256] = {};
    const bool ok = fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return ok ? std::string(line) : std::string();
}

void PrintBeside(const char* what, double oursMs, const std::string& python) {
    const double pythonMs = python.empty() ? 0 : atof(python.c_str());
    printf("  %-34s ours %9.1f ms, Python %9.1f ms", what, oursMs, pythonMs);
    if (pythonMs > 0)
        printf(", ratio %.2f (%s)", oursMs / pythonMs, oursMs <= pythonMs ? "met" : "NOT MET");
    else
        printf(" (Python not run)");
    const size_t space = python.find(' ');
    if (space != std::string::npos)
        printf(", Python's output %s", python.substr(space + 1, python.find('\n') - space - 1).c_str());
    printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const int nRows = argc > 1 ? atoi(argv[1]) : 20000;
    const int nContacts = argc > 2 ? atoi(argv[2]) : 50000;
    char dirTemplate[] = "/tmp/quillmar-csvbench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string gbk = MakeCsv(nRows);
    Write(dir + "/gbk.csv", gbk);
    Write(dir + "/utf8.csv", GbkToUtf8(gbk));
    CArray<int, int> map;
    for (int f : {PF_NAME, PF_MOBILE, PF_EMAIL, PF_HOME_ADDRESS, PF_COMPANY, PF_NOTE})
        map.Add(f);

    printf("import of %d rows (target: under 5 s each)\n", nRows);
    for (const char* file : {"gbk.csv", "utf8.csv"}) {
        const CString path = (dir + "/" + file).c_str();
        {
            _CGroup group("");
            auto t = std::chrono::steady_clock::now();
            group.ImportCsv(path, map, 0, -1);
            printf("  %-9s plain   %6.3f s\n", file, Seconds(t));
        }
        _CGroup group("");
        auto t = std::chrono::steady_clock::now();
        group.ImportCsv(path, map, _CGroup::IMPORT_SORTED, -1);
        printf("  %-9s sorted  %6.3f s\n", file, Seconds(t));
        t = std::chrono::steady_clock::now();
        group.ImportCsv(path, map, _CGroup::IMPORT_SORTED | _CGroup::IMPORT_MERGE, -1);
        printf("  %-9s merged  %6.3f s (%d contacts after)\n", file, Seconds(t),
               group.GetContentCount(TRUE, TRUE));
    }

    _CGroup book("通讯录");
    std::mt19937 rng(11);
    for (int i = 0; i < nContacts; ++i) {
        // One contact in 25 is a 钱晓..., whose initials the find below looks for.
        const std::string name =
            i % 25 == 0 ? std::string("钱晓") + kGiven[rng() % 20] + std::to_string(i) : Name(i, rng);
        auto* p = new _CPerson(name.c_str());
        CString mobile;
        mobile.Format("139%08d", i);
        p->SetFieldText(PF_MOBILE, mobile, FALSE, 0, "\r\n", "-");
        p->SetFieldText(PF_EMAIL, "someone@example.com", FALSE, 0, "\r\n", "-");
        p->SetFieldText(PF_HOME_ADDRESS, "上海市徐汇区漕溪北路88号", FALSE, 0, "\r\n", "-");
        p->SetFieldText(PF_NOTE, "大学同学,\"老张\"介绍", FALSE, 0, "\r\n", "-");
        book.AddContent(p, FALSE, nullptr, TRUE, TRUE);
    }
    CArray<int, int> all;
    GetAllPersonFields(all);
    printf("export of %d contacts (target: under 2 s each)\n", nContacts);
    for (int format : {(int)_CGroup::EXPORT_CSV, (int)_CGroup::EXPORT_CARD_TEXT}) {
        auto t = std::chrono::steady_clock::now();
        ExportGroupToPath(book, (dir + "/out.txt").c_str(), all, format, _CGroup::EXPORT_SUBGROUPS);
        printf("  %-9s %6.3f s (%ju bytes)\n", format == _CGroup::EXPORT_CSV ? "CSV" : "card text",
               Seconds(t), (uintmax_t)std::filesystem::file_size(dir + "/out.txt"));
    }

    const int kRuns = 5;
    printf("beside Python's csv module (CPU time, median of %d runs; target: ratio at most 1)\n",
           kRuns);
    {
        const std::string file = dir + "/gbk.csv";
        std::vector<double> ms;
        for (int r = 0; r < kRuns; ++r) {
            _CGroup group("");
            const double t = CpuSeconds();
            group.ImportCsv(file.c_str(), map, 0, -1);
            ms.push_back((CpuSeconds() - t) * 1e3);
        }
        char what[64];
        snprintf(what, sizeof what, "import of %d rows", nRows);
        PrintBeside(what, MedianMs(ms), RunPython("read '" + file + "' " + std::to_string(kRuns)));
    }
    {
        const std::string ours = dir + "/ours.csv";
        std::vector<double> ms;
        for (int r = 0; r < kRuns; ++r) {
            const double t = CpuSeconds();
            ExportGroupToPath(book, ours.c_str(), all, _CGroup::EXPORT_CSV, _CGroup::EXPORT_SUBGROUPS);
            ms.push_back((CpuSeconds() - t) * 1e3);
        }
        char what[64];
        snprintf(what, sizeof what, "CSV export of %d contacts", nContacts);
        PrintBeside(what, MedianMs(ms),
                    RunPython("write '" + ours + "' '" + dir + "/python.csv' " +
                              std::to_string(kRuns)));
    }

    SFindCriteria criteria;
    criteria.nMode = SFindCriteria::MODE_INITIALS;
    criteria.strText = "QX";
    CContactFinder finder(&book);
    int nHits = 0;
    CString names;
    auto t = std::chrono::steady_clock::now();
    finder.Find(criteria, TRUE, TRUE, [&](std::unique_ptr<SFindResult> r) {
        ++nHits;
        names = GetFindResultFieldNames(*r);
    });
    printf("find all by initials over %d contacts (target: 2 000 hits under 2 s)\n", nContacts);
    printf("  \"%s\": %d hits in %6.3f s\n", (LPCTSTR)criteria.strText, nHits, Seconds(t));

    const int nMemoryRows = 100000;
    const std::string big = MakeCsv(nMemoryRows);
    Write(dir + "/big.csv", big);
    int nImported = 0;
    const long kb = PeakImportKb((dir + "/big.csv").c_str(), map, nImported);
    printf("peak memory of importing %d rows (%ju bytes of file; target: under 0.8 KB a row)\n",
           nMemoryRows, (uintmax_t)big.size());
    if (kb < 0)
        printf("  not measured\n");
    else
        printf("  %ld KB in all, %.2f KB a row (%d imported)\n", kb, (double)kb / nMemoryRows,
               nImported);
    std::filesystem::remove_all(dir);
    return 0;
}
