// The address book: one ".sms" file holding one tree of contact groups and contacts under a
// root group, plus the two birthday indexes the calendar asks for the entries of a day.
#pragma once

#include "calendar/Birthday.h"
#include "calendar/CalendarCellItem.h"
#include "contacts/ContactGroup.h"
#include "core/QuillmarBaseDoc.h"

class CSmsDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CSmsDoc)
public:
    enum { KIND_NONE = -1, KIND_GROUP = 1, KIND_PERSON = 2 };

    CSmsDoc();
    ~CSmsDoc() override;

    // The version word, then the root group. The birthday maps are not stored.
    void Serialize(CArchive& ar) override;
    // Empties the root group and the birthday maps.
    void DeleteContents() override;
    // Writes the file; once written, the birthday maps follow the birthdays entered since the
    // book was opened, so that the calendar shows them.
    BOOL OnSaveDocument(LPCTSTR lpszPathName) override;

    // Refills both maps from the tree; call before asking for calendar items.
    virtual void RebuildBirthdayMaps();
    // Appends a birthday item per name filed under the day (solar names first); with bTestOnly
    // answers 1 as soon as the day has any and adds nothing. Answers the number added.
    virtual int GetCalendarItems(const CDate& date, CKovCalendarCellItemList& items,
                                 BOOL bTestOnly);

    // 2 for a contact, 1 for a group, -1 for anything else.
    static int GetObjectKind(CObject* pObject);
    // The SMS box of the current object when it is a contact.
    _CSmsBox* GetSelectedPersonBox() const;
    // The current object when it is a group.
    _CGroup* GetSelectedGroup() const;
    // The message box the tree shows (a contact's box or one of its sub-boxes), or null.
    void SetCurrentBox(_CSmsBox* pBox) { m_pCurrentBox = pBox; }
    _CSmsBox* GetCurrentBox() const { return static_cast<_CSmsBox*>(m_pCurrentBox); }

    _CGroup& GetRootGroup() { return m_root; }
    const CBirthdayMap& GetSolarBirthdays() const { return m_solarBirthdays; }
    const CBirthdayMap& GetLunarBirthdays() const { return m_lunarBirthdays; }

private:
    CBirthdayMap m_solarBirthdays{10};
    CBirthdayMap m_lunarBirthdays{10};
    _CGroup m_root{""};
};
