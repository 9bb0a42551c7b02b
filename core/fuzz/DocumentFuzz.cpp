// libFuzzer entry for the document file loader: the input is a document file on disk, opened by a
// document holding one folder tree of the small test records (every field kind a record stores).
// Opening must succeed or fail with its message, and a tree that loads must answer what the views
// ask of it: paths, counts, texts and the links it names.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/fuzz/FuzzInput.h"
#include "core/tests/GroupTestRecords.h"
#include "platform/base/OsPath.h"

namespace {

int IgnoreMessage(LPCTSTR, UINT) {
    return 1;
}

void WalkCard(CGroup& root, CTestCard& card) {
    CString text = card.GetText();
    text += card.m_phones.GetCurrentValue();
    text += card.m_phones.JoinValues(",");
    CString date;
    card.m_birthday.GetDateText(date);
    card.m_birthday.GetDateText(date, TRUE);
    card.m_birthday.GetFullText(date);
    text += card.m_certificates.ToXStringList().JoinValues(",");
    text += card.m_created.Format("%Y-%m-%d %H:%M:%S %A");
    if (card.IsVirtual()) {
        CString path;
        card.GetVirtualPath(path);
        root.FindItemByPath(path, TRUE);
    }
}

void WalkGroup(CGroup& root, CGroup& group) {
    CString path;
    group.GetPath(path);
    group.GetNameInitials();
    group.GetContentCount(TRUE, TRUE);
    for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
        WalkGroup(root, *group.GetNextSubgroup(pos));
    for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;) {
        if (auto* card = dynamic_cast<CTestCard*>(group.GetNextContent(pos)))
            WalkCard(root, *card);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CDocument::SetMessageHook(&IgnoreMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz_input::WriteScratchFile("docfuzz", data, size);
    CTestBookDoc doc;
    if (doc.OnOpenDocument(ProgramPathFromOsPath(path)))
        WalkGroup(doc.m_root, doc.m_root);
    doc.DeleteContents();
    return 0;
}
