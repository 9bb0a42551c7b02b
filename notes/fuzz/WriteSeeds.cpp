// Writes the notebooks the notebook corpus starts from, each saved by the notebook document itself:
// `notes_fuzz_seeds <source folder>/notes/fuzz/corpus-notebook`. Next to the small notebook of two
// empty groups already there: a diary of pages of formatted rich text (fonts, colours, bold and
// italic, Chinese text, paragraphs and a table) in nested groups, with a group locked by its
// password, and a notebook of many pages whose text runs to tens of kilobytes.
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/fuzz/SeedFiles.h"
#include "notes/WordPadDoc.h"

namespace {

// A page body as the editor stores it: rich text in GBK with a font and a colour table.
CString RichText(const char* heading, const char* body, int paragraphs) {
    CString rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0"
                  "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
                  "{\\f1\\fswiss\\fcharset0 Arial;}}"
                  "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
                  "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs32\\b ";
    rtf += heading;
    rtf += "\\b0\\fs20\\par\n";
    for (int i = 0; i < paragraphs; ++i) {
        CString paragraph;
        paragraph.Format("\\pard\\fi420 %s{\\cf1\\i %d}{\\f1\\cf2\\ul note}\\ulnone "
                         "\\'b5\\'da%d\\'b6\\'ce\\par\n",
                         body, i, i + 1);
        rtf += paragraph;
    }
    rtf += "\\trowd\\cellx2000\\cellx4000 \\intbl A\\cell B\\cell\\row\n"
           "\\pard\\qc\\strike end\\strike0\\par\n}";
    return rtf;
}

CNoteContent* Page(const char* title, const char* heading, const char* body, int paragraphs,
                   __time64_t created) {
    auto* page = new CNoteContent(title);
    page->SetBodyText(RichText(heading, body, paragraphs));
    page->SetCreated(created);
    return page;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = seed_files::SeedFolder(argc, argv);
    if (folder.empty())
        return 2;
    const __time64_t created = 1704067200; // fixed, so the seeds come out the same each time
    bool ok = true;
    {
        CWordPadDoc doc;
        doc.OnNewDocument();
        doc.GetRootGroup().SetName("日记");
        auto* work = new CNoteGroup("工作");
        work->SetCreated(created);
        work->AddContent(Page("周一", "例会", "本周计划：整理报告，联系客户。", 3, created), FALSE);
        work->AddContent(Page("周二", "出差", "上午九点出发，下午到达。", 2, created), FALSE);
        auto* project = new CNoteGroup("项目");
        project->SetCreated(created);
        project->AddContent(Page("需求", "需求说明", "列表要能排序和查找。", 4, created), FALSE);
        work->AddSubgroup(project, FALSE);
        doc.GetRootGroup().AddSubgroup(work, FALSE);
        auto* locked = new CNoteGroup("私人");
        locked->SetCreated(created);
        locked->SetPassword("secret");
        locked->ModifyFlags(0, CGroup::FLAG_PASSWORD);
        locked->AddContent(Page("密码", "账号", "银行卡的开户行。", 1, created), FALSE);
        auto* inner = new CNoteGroup("旧事");
        inner->SetCreated(created);
        inner->AddContent(new CNoteContent("空白页"), FALSE);
        locked->AddSubgroup(inner, FALSE);
        doc.GetRootGroup().AddSubgroup(locked, FALSE);
        doc.GetRootGroup().AddContent(Page("随记", "今天", "天气晴，去公园散步。", 2, created),
                                      FALSE);
        ok = doc.OnSaveDocument(seed_files::SeedPath(folder, "diary.ntp")) && ok;
    }
    {
        CWordPadDoc doc;
        doc.OnNewDocument();
        doc.GetRootGroup().SetName("读书笔记");
        for (int g = 0; g < 3; ++g) {
            CString name;
            name.Format("第%d卷", g + 1);
            auto* group = new CNoteGroup(name);
            group->SetCreated(created);
            for (int p = 0; p < 4; ++p) {
                name.Format("第%d章", p + 1);
                group->AddContent(Page(name, "摘录", "书中的一段话，值得反复读。", 40, created),
                                  FALSE);
            }
            doc.GetRootGroup().AddSubgroup(group, FALSE);
        }
        ok = doc.OnSaveDocument(seed_files::SeedPath(folder, "long-pages.ntp")) && ok;
    }
    return ok ? 0 : 1;
}
