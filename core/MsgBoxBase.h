// The base of every message box (SMS boxes, e-mail boxes): a group whose contents are messages and
// whose sub-groups are boxes. A box has a type; the standard boxes an account creates (inbox,
// outbox, sent box, recycle box) never move, and boxes and messages move only within their own
// account and only into boxes whose type fits them.
#pragma once

#include "core/Content.h"
#include "core/Group.h"
#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

class CMsgAccountBase;
class CMsgBoxBase;

// What boxes and accounts ask of a message beyond its CContent part. The message record base
// derives from CContent and from this interface; boxes hold messages in their content list and
// find this side of them by a cross-cast, so this layer needs nothing of the message records.
class CIMessage {
public:
    virtual ~CIMessage() = default;

    // The type of standard box the message's current state belongs in (also its image index):
    // BOX_INBOX, BOX_OUTBOX, BOX_SENT, or BOX_ANY when the state belongs nowhere in particular.
    virtual int GetStateImage() const = 0;
    // Sets the message time (a copy made for another box is dated now).
    virtual void SetMessageTime(const CTime& time) = 0;

    // The message side of a content; null when the content is not a message.
    static CIMessage* FromContent(CContent* pContent);
    static const CIMessage* FromContent(const CContent* pContent);
    // The box that holds the message: its parent group when that is a box, else null.
    static CMsgBoxBase* GetBox(const CContent* pMessage);
};

class CMsgBoxBase : public CGroup {
    DECLARE_DYNCREATE(CMsgBoxBase)
public:
    // Box types.
    enum : int {
        BOX_UNTYPED = -1, // such as an account's top box
        BOX_INBOX = 0,
        BOX_OUTBOX = 1,
        BOX_SENT = 2,
        BOX_RECYCLE = 3,
        BOX_USER = 4, // made by the user
        BOX_ANY = 5,  // may hold any kind of message or box
    };

    // An unnamed box, untyped, without owner.
    CMsgBoxBase();

    // Whether this box may be moved under the destination: never the standard boxes, never into
    // another account, into itself or below itself, and only where the destination's governing
    // type takes boxes of this one's.
    virtual BOOL CanMoveTo(const CMsgBoxBase* pDest) const;
    // Files the message (sorted by name, parent link set). FALSE for a null message and for one
    // that another group, or this box, already holds: a message has one owner.
    virtual BOOL AddMessage(CContent* pMessage);
    virtual POSITION GetFirstMessagePosition() const;
    // The message at the position; the position moves on to the next one.
    virtual CContent* GetNextMessage(POSITION& pos) const;
    virtual CMsgAccountBase* GetOwner() const { return m_pOwner; }
    // FALSE when the message is not in this box; with bDelete it is deleted, else detached.
    virtual BOOL RemoveMessage(CContent* pMessage, BOOL bDelete);
    // Whether the message may be dropped into this box (see the rules in the source).
    virtual BOOL CanAcceptMessage(const CContent* pMessage) const;

    int GetBoxType() const { return m_nBoxType; }
    void SetBoxType(int nType) { m_nBoxType = nType; }
    // The type that governs this box: the type of the topmost box of the unbroken chain of boxes
    // typed 0 to 4 that starts here; an untyped box or one of type BOX_ANY governs itself.
    int GetTopLevelType() const;
    // Whether this box or any box above it has the type.
    BOOL IsInBoxOfType(int nType) const;
    // The first direct sub-box of the type, or null.
    CMsgBoxBase* FindSubBoxByType(int nType) const;

    // The type's name; empty outside 0 to 5.
    static CString GetTypeName(int nType);
    // Inbox, outbox, sent box and recycle box: made by the account, never moved.
    static BOOL IsStandardBoxType(int nType);

protected:
    int m_nBoxType = BOX_UNTYPED;
    // The account the box belongs to; derived boxes set it. Not owning.
    CMsgAccountBase* m_pOwner = nullptr;
};
