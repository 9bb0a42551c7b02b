// libFuzzer entry for the address-book (".sms") and contact-card (".psn") loaders: the input is
// opened as both. Opening must succeed or fail with its message, and whatever loads must answer
// what the views, the find dialog, the calendar and the export ask of it.
#include <cstdint>
#include <string>

#include "contacts/PersonDoc.h"
#include "contacts/SmsDoc.h"
#include "core/fuzz/FuzzInput.h"
#include "platform/base/OsPath.h"

namespace {

int IgnoreMessage(LPCTSTR, UINT) {
    return 1;
}

void CountBirthday(void* pContext, _CPerson*, const CBirthday&, int, int) {
    ++*static_cast<int*>(pContext);
}

void UsePerson(_CPerson& person) {
    CString text;
    person.GetSummaryText(text);
    person.GetAllFieldsText(text);
    for (int i = 0; i <= PF_WORK_LOCATION; ++i)
        person.GetFieldText(text, i, TRUE, nullptr, "\n", "-", i % 2);
    const DWORD masks[kPersonGroupCount] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                            0xFFFFFFFF};
    CSearchItemArray hits;
    person.Search("1", masks, hits, FALSE);
    person.MatchNameInitials("a");
    CBirthdayMap solar, lunar;
    person.AddBirthdayTo(solar, lunar);
    _CPerson copy(nullptr, FALSE);
    copy.CopyFrom(&person);
    copy.MergeFields(&person, masks, _CPerson::MODE_APPEND, _CPerson::FLAG_SKIP_PRESENT);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CDocument::SetMessageHook(&IgnoreMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz_input::WriteScratchFile("contactsfuzz", data, size);
    const CString programPath = ProgramPathFromOsPath(path);

    CSmsDoc book;
    if (book.OnOpenDocument(programPath)) {
        _CGroup& root = book.GetRootGroup();
        CString text;
        root.GetSummaryText(text);
        book.RebuildBirthdayMaps();
        CKovCalendarCellItemList items;
        book.GetCalendarItems(CDate(2024, 3, 5), items, FALSE);
        int calls = 0;
        root.EnumUpcomingBirthdays(CDate(2024, 1, 1), 366,
                                   _CGroup::BIRTHDAY_AS_SHOWN | _CGroup::BIRTHDAY_AS_REMINDED,
                                   &calls, CountBirthday);
        const DWORD masks[kPersonGroupCount] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                                0xFFFFFFFF};
        CSearchItemArray hits;
        _CGroup::CPositionStack stack;
        BOOL reported = FALSE;
        for (int n = 0; n < 64 && root.FindNext("1", stack, reported, masks, 0xFFFF, hits, 3, FALSE,
                                                FALSE) != nullptr;
             ++n)
            stack.GetTail() += 1;
        for (POSITION pos = root.GetFirstContentPosition(); pos != nullptr;)
            UsePerson(*root.GetNextPerson(pos));
    }
    book.DeleteContents();

    _CPerson person(nullptr, FALSE);
    CPersonDoc card;
    if (card.LoadPerson(&person, programPath))
        UsePerson(person);
    return 0;
}
