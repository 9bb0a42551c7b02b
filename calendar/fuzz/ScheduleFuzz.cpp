// libFuzzer entry for the schedule file: the input is a ".sch" file on disk. Opening must succeed
// or fail with its message, and a schedule that loads must index and answer the calendar's and
// the reminder's questions without running away.
#include <cstdint>
#include <string>

#include "calendar/ScheduleDoc.h"
#include "core/fuzz/FuzzInput.h"
#include "platform/base/OsPath.h"

namespace {

int IgnoreMessage(LPCTSTR, UINT) {
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CDocument::SetMessageHook(&IgnoreMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz_input::WriteScratchFile("schfuzz", data, size);
    CScheduleDoc doc;
    if (!doc.OnOpenDocument(ProgramPathFromOsPath(path)))
        return 0;
    doc.IndexGroup(&doc.GetRootGroup(), TRUE, TRUE);
    CKovCalendarCellItemList items;
    for (CDate d(2024, 2, 25); d <= CDate(2024, 4, 6); d.NextDay())
        doc.GetDayInfo(d, &items, FALSE);
    CReminder::CPromptList prompts;
    doc.CollectDuePrompts(prompts, CDateTime(2024, 3, 15, 12, 0, 0));
    doc.OnSaveDocument(ProgramPathFromOsPath(path));
    return 0;
}
