// A contact: the leaf record of an address book. Every value is reached through the numbered
// field table (PersonFields.h); the values live in the detail record, and each contact owns the
// SMS box of the messages exchanged with it.
#pragma once

#include <memory>
#include <string>

#include "calendar/Birthday.h"
#include "contacts/PackedBytes.h"
#include "contacts/PersonFields.h"
#include "contacts/PersonInfo.h"
#include "core/Content.h"
#include "platform/base/Time.h"
#include "sms/SmsBox.h"

class _CPerson : public CContent {
    DECLARE_SERIAL(_CPerson)
public:
    // Modes of ApplyFieldValue and MergeFields.
    enum { MODE_APPEND = 1, MODE_REPLACE = 2, MODE_CLEAR = 3 };
    // Flag of SetFieldText, ApplyFieldValue and MergeFields: values already there are not added.
    enum { FLAG_SKIP_PRESENT = 2 };
    // The link marker value of a contact that stands for another one.
    static constexpr int kLinkMarker = 100;

    // The name, an unnamed SMS box and, with bMakeBoxes, its four standard sub-boxes; modified
    // now. The class factory makes a contact with an empty name and the four sub-boxes.
    explicit _CPerson(LPCTSTR lpszName = nullptr, BOOL bMakeBoxes = TRUE);
    ~_CPerson() override;
    _CPerson(const _CPerson&) = delete;
    _CPerson& operator=(const _CPerson&) = delete;

    // A book brings its contacts by the hundred thousand: their memory comes from the blocks
    // their kept details are read into (PackedBytes.h), except in builds that check memory, whose
    // checker has to see every contact as an allocation of its own.
    static void* operator new(size_t n);
    static void operator delete(void* p);

    // Details, SMS box, then the modification time as 8 bytes.
    void Serialize(CArchive& ar) override;

    // Copies details, SMS box contents and modification time; the copy shows no tree item and
    // no boxes. Its place in a group is left alone.
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;
    CContent* CreateInstance(LPCTSTR lpszName) const override;
    // Storage and kind of field 0..46 (45 the time, kind 5); null and kind 0 for others.
    void* GetFieldData(int nField, int& nKind) override;
    // Copies the field into the holder member the value points at, when the kinds agree.
    BOOL GetFieldValue(int nField, FieldValue& value) override;
    // The non-empty field texts joined by "\n".
    CString GetText() override;
    BOOL IsVirtual() const override;
    // A link keeps its source's path in the nickname.
    void GetVirtualPath(CString& strPath) const override;
    void SetVirtualLink(LPCTSTR lpszPath, CContent* pSource) override;

    // Searches fields of its own beyond the table; none for a contact.
    virtual BOOL SearchExtra(LPCTSTR lpszText, int nReserved, CSearchItemArray& hits);
    // Searches the fields selected by one mask per group (kPersonGroupOrder); hits replace the
    // list's contents. TRUE when anything matched.
    virtual BOOL Search(LPCTSTR lpszText, const DWORD* pMasks, CSearchItemArray& hits,
                        BOOL bMatchCase);
    // The hover text: labelled non-empty fields, addresses as the two location pseudo-fields.
    virtual void GetSummaryText(CString& out);
    // Every non-empty field as "name:value" lines (CR LF between them).
    virtual void GetAllFieldsText(CString& out);
    virtual void GetFieldsText(CString& out, const CArray<int, int>& fields);
    virtual int GetFieldAt(int nGroupBit, int nFieldBit) const;
    virtual BOOL GetFieldName(int nField, CString& out) const;
    // The text of a field. Multi-value fields join their values by the separator (padded under
    // the label when labelled) and the parts of a value by the part separator; bCurrentOnly
    // gives only the current value. pLength receives the value's byte length.
    virtual void GetFieldText(CString& out, int nField, BOOL bWithLabel = FALSE,
                              int* pLength = nullptr, LPCTSTR lpszSeparator = "\n",
                              LPCTSTR lpszPartSeparator = "-", BOOL bCurrentOnly = FALSE);
    // Asks the processor to fetch the details' own memory ahead of a walk that reads them all.
    void PrefetchDetails() const;
    // GetFieldText's unlabelled text appended to out, without a string of its own on the way:
    // the form a writer of many records builds its lines from.
    virtual void AppendFieldText(std::string& out, int nField, LPCTSTR lpszSeparator,
                                 LPCTSTR lpszPartSeparator, BOOL bCurrentOnly);
    // Files the contact's name under its birthday's solar and/or lunar day.
    virtual void AddBirthdayTo(CBirthdayMap& solarMap, CBirthdayMap& lunarMap);
    // The number another service knows the contact by; a plain contact has none.
    virtual int GetIdentifier() const { return 0; }

    // The unlabelled text of one field.
    void GetText(CString& out, int nField) { GetFieldText(out, nField); }

    // Sets a field from text. FALSE for a field without storage, or a text that is not a number
    // (sex excepted) or a date where one is needed.
    BOOL SetFieldText(int nField, LPCTSTR lpszText, BOOL bClearFirst, DWORD dwFlags,
                      LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator);
    // Appends, replaces or clears one field from a typed value (kind kFieldKindPlainText: text
    // to parse). FALSE when nothing could be applied.
    BOOL ApplyFieldValue(int nField, const void* pValue, int nValueKind, int nMode, DWORD dwFlags);
    // Applies the fields selected by the masks (one per group) from the source; TRUE and a new
    // modification time when anything was applied.
    BOOL MergeFields(_CPerson* pSource, const DWORD* pMasks, int nMode, DWORD dwFlags);
    // Whether the birthday lies within the dates (with bIgnoreYear, in the birthday's year); a hit
    // {0, 1, 8, -1, -1, -1} is appended when it does.
    BOOL IsBirthdayInRange(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                           CSearchItemArray& hits);
    // Position of the text, ignoring case, in the pinyin initials of the name; -1 when absent.
    int MatchNameInitials(LPCTSTR lpszText);
    // For a text field: whether the text occurs in the initials of its value.
    BOOL MatchPinyinInitials(LPCTSTR lpszText, void* pStorage, int nKind, int* pPos, int* pLength);

    // Sub-box i (0 inbox, 1 outbox, 2 sent, 3 trash); null outside the sub-boxes.
    _CSmsBox* GetSmsBox(int i);
    _CSmsBox& GetSmsBox() { return SmsBox(); }
    // Messages in the state (any when negative) in the SMS box and all its sub-boxes.
    int CountSmsByState(int nState) const;

    // Whether the SMS boxes are shown under the contact; such contacts are also kept in one
    // program-wide set.
    void SetBoxesShown(BOOL b);
    BOOL AreBoxesShown() const { return m_bBoxesShown; }
    static BOOL IsInBoxesShownSet(const _CPerson* pPerson);

    // Keeps the details in the compact stored form a contact read from a file has, until
    // something asks for them again; FALSE when they stay as they are (a form a save would not
    // write back unchanged).
    BOOL PackDetails();

    _CPersonInfo& GetInfo() { return Info(); }
    const _CPersonInfo& GetInfo() const { return Info(); }
    CBirthday& GetBirthday() { return Info().m_personal.birthday; }
    const CBirthday& GetBirthday() const;
    // Whether one of the mobile numbers is the text, byte for byte.
    BOOL HasMobile(LPCTSTR lpszNumber) const;
    CTime GetModifiedTime() const { return m_timeModified; }
    void SetModifiedTime(const CTime& t) { m_timeModified = t; }

private:
    // The SMS box, made when first asked for: most contacts never exchange a message, and a
    // large book would otherwise hold five empty boxes for each of them.
    _CSmsBox& SmsBox() const;
    // The details. A contact read from a file keeps them as the bytes they were stored in (less
    // the name, which lives in the node) until something asks for them: opening, saving and
    // searching a large book then cost little more than those bytes. Unread and never stored,
    // the details are the empty ones of a new contact.
    _CPersonInfo& Info() const;
    // Takes the stored details as they are when they are in the form a save writes back
    // unchanged; FALSE, with nothing read, otherwise.
    BOOL LoadPacked(CArchive& ar);
    void StorePacked(CArchive& ar) const;
    // Reads the kept bytes into the record (whose name is its own or bound).
    void DecodePacked(_CPersonInfo& info) const;
    // FALSE only when no field of the kept bytes can hold the text, by any search rule.
    BOOL PackedMayContain(LPCTSTR lpszText) const;
    BOOL IsPacked() const { return m_pInfo == nullptr && !m_packed.IsNull(); }
    // The field walk of Search over a record.
    static BOOL SearchDetails(_CPersonInfo& info, LPCTSTR lpszText, const DWORD* pMasks,
                              CSearchItemArray& hits, BOOL bMatchCase);

    // What the box not made yet will start with.
    enum PendingBox : BYTE { BOX_EMPTY, BOX_STANDARD };

    mutable std::unique_ptr<_CPersonInfo> m_pInfo;
    // Dropped once the details are made; shared by copies. The next member may take its padding.
    [[no_unique_address]] mutable CPackedBytes m_packed;
    UINT m_nPackedNameAt = 0; // where the name's stored form goes back in
    DWORD m_dwPackedSexPicture = 0;
    int m_nPackedLink = -1;
    CBirthday m_packedBirthday;
    mutable std::unique_ptr<_CSmsBox> m_pSmsBox;
    CTime m_timeModified;
    BOOL m_bBoxesShown = FALSE;
    BYTE m_nPendingBox = BOX_EMPTY;
};
