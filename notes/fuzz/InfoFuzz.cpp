// libFuzzer entry for the information base's files: any text parses as a group block, and the
// rows of every item split as a data file's lines would.
#include <cstdint>

#include "notes/InfoGroup.h"

namespace {

void Walk(CGroup& g) {
    for (POSITION pos = g.GetFirstContentPosition(); pos != nullptr;) {
        auto* item = static_cast<CInfoContent*>(g.GetNextContent(pos));
        for (int c = -1; c <= item->GetFieldCount(); ++c)
            item->GetColumnFlags(c);
    }
    for (POSITION pos = g.GetFirstSubgroupPosition(); pos != nullptr;)
        Walk(*g.GetNextSubgroup(pos));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CInfoReader reader;
    reader.SetText(reinterpret_cast<const char*>(data), size);
    CInfoGroup root;
    root.Parse(reader);
    Walk(root);
    InfoSplitRow(CString(reinterpret_cast<const char*>(data), (int)size), ' ', TRUE);
    return 0;
}
