// A box of short messages with nested sub-boxes. Every sender account and every contact owns one
// root box holding the four standard boxes; user boxes may sit anywhere below them.
#pragma once

#include "core/MsgBoxBase.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "sms/Sms.h"

class _CSmsBox : public CMsgBoxBase {
    DECLARE_SERIAL(_CSmsBox)
public:
    // Deepest nesting of boxes a file may hold; deeper files are refused as damaged.
    static constexpr int kMaxLoadDepth = CGroup::kMaxLoadDepth;

    // An untyped box of that name with no parent.
    explicit _CSmsBox(LPCTSTR lpszName = "");
    // Name, type and a copy of every sub-box and message.
    _CSmsBox(const _CSmsBox& src);
    _CSmsBox& operator=(const _CSmsBox&) = delete;
    // Deletes the box's messages and sub-boxes. Messages it only lists (shared, see CopySmsFrom)
    // stay with their own box.
    ~_CSmsBox() override;

    // Name, number of sub-boxes, number of messages, type, each sub-box, each message. Loading
    // replaces what the box held.
    void Serialize(CArchive& ar) override;
    CRuntimeClass* GetContentClass() const override;
    // Name and type, then the copies of the sub-boxes and messages.
    void CopyFrom(const CGroup* pSource) override;
    // A box added below this one belongs to this box's account.
    POSITION AddSubgroup(CGroup* pGroup, BOOL bSorted = TRUE, POSITION posRef = nullptr,
                         BOOL bAfter = TRUE, BOOL bSetParent = TRUE) override;
    // Deletes the messages this box owns, unlists the shared ones, then deletes the sub-boxes.
    void RemoveAll() override;
    // A shared message is only unlisted, never deleted, by the box that borrowed it.
    BOOL RemoveMessage(CContent* pMessage, BOOL bDelete) override;

    // This box and every box below it belong to the account.
    void SetOwner(CMsgAccountBase* pOwner);

    // The name a standard box (types 0 to 3) is given; empty for other types.
    static CString GetStandardBoxName(int nType);
    // Inbox, outbox, sent box and recycle box, appended in that order.
    void AddStandardSubBoxes();
    // A new box of that name and type, placed like CGroup::AddSubgroup (appended by default).
    _CSmsBox* AddSubBox(LPCTSTR lpszName, int nType, BOOL bSorted = FALSE,
                        POSITION posRef = nullptr, BOOL bAfter = TRUE);
    // Files the message at the given place (appended by default) and makes this box its parent.
    POSITION AddSms(_CSms* pSms, BOOL bSorted = FALSE, POSITION posRef = nullptr,
                    BOOL bAfter = TRUE);
    // Takes the message at the position out of the list and inserts it again at the new place.
    POSITION ReinsertSms(POSITION pos, BOOL bSorted, POSITION posRef, BOOL bAfter);

    int GetSubBoxCount() const { return GetSubgroupCount(); }
    int GetSmsCount() const { return (int)m_contents.GetCount(); }
    BOOL IsSmsListEmpty() const { return m_contents.IsEmpty(); }
    POSITION GetFirstSubBoxPosition() const { return GetFirstSubgroupPosition(); }
    POSITION GetFirstSmsPosition() const { return GetFirstContentPosition(); }
    _CSmsBox* GetNextSubBox(POSITION& pos) const;
    _CSms* GetNextSms(POSITION& pos) const;
    // Null for a negative or too large index.
    _CSmsBox* GetSubBoxAt(int nIndex) const;
    // Null for a box that is not inside another SMS box.
    _CSmsBox* GetParentBox() const;
    // The next sub-box of the type, from pos on (start with GetFirstSubBoxPosition); pos moves
    // past it. Null, with pos null, when none is left.
    _CSmsBox* FindNextSubBoxByType(int nType, POSITION& pos) const;

    // Messages in the state (any state when negative), here and, when recursive, in every
    // sub-box.
    int CountSmsByState(int nState = -1, BOOL bRecursive = TRUE) const;
    // The recipients of the messages in the state, counted the same way.
    int CountRecipientsByState(int nState, BOOL bRecursive) const;
    int TotalRecipientCount(BOOL bRecursive) const;
    // Appends the messages in the state from this box and its sub-boxes, except from recycle
    // boxes below it. Answers how many were added.
    int CollectSmsByState(CObList& list, int nState) const;
    // With bViaParents: this box holds the message or lies above the box that does. Without:
    // the message is directly in this box.
    BOOL Contains(const _CSms* pSms, BOOL bViaParents) const;
    // A message directly in this box goes to the first box of the type just below the root.
    BOOL MoveSmsToBoxOfType(_CSms* pSms, int nType);
    // Adds every message of the source at the given place, in the source's order: moved (this
    // box becomes their owner), shared (the source stays their owner and this box only lists
    // them, so it must not outlive the source's messages) or, by default, copied.
    void CopySmsFrom(_CSmsBox* pSource, BOOL bSorted = FALSE, POSITION posRef = nullptr,
                     BOOL bAfter = TRUE, BOOL bMove = FALSE, BOOL bShare = FALSE);
    // Deletes every message of this box; the sub-boxes keep theirs.
    void DeleteAllSms();
    // The names from the root down to this box, joined by "\".
    CString GetBoxPath() const;

private:
    void SerializeBox(CArchive& ar, int nDepth);
    // Unlists, without deleting, the messages another box owns.
    void DropSharedSms();
};
