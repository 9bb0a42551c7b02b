// The base of every message record (a short message, an e-mail): a state, a flags word, an
// ordering key and a time on top of the storable leaf. Boxes and accounts reach a message through
// the CIMessage side it implements.
#pragma once

#include "core/Content.h"
#include "core/MsgBoxBase.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

class CGroup;

class CMessageBase : public CContent, public CIMessage {
    DECLARE_SERIAL(CMessageBase)
public:
    enum : DWORD {
        FLAG_UNREAD = 0x100, // the base's read mark: set while the message is unread
    };

    // State 0, no flags, key -1, dated now, in no box.
    CMessageBase();
    ~CMessageBase() override = default;

    // Field 0 is the state (an integer), field 9 the flags word.
    void* GetFieldData(int nField, int& nKind) override;
    virtual BOOL IsRead() const;
    virtual void SetRead(BOOL bRead);
    virtual int GetImportance() const;
    virtual void SetImportance(int nImportance);
    // When the box is the message's parent the link is cleared and the old parent answered;
    // otherwise the current parent is answered and nothing changes.
    virtual CGroup* DetachFromBox(CGroup* pBox);
    // The order of two messages in a list column: <0, 0 or >0. The base orders by key.
    virtual int CompareTo(const CMessageBase* pOther, int nColumn) const;
    virtual int GetAttachmentCount() const;
    virtual BOOL IsValid() const;
    // In no box.
    virtual BOOL IsDetached() const;
    // Takes the message out of its current box and files it in the destination. FALSE, with the
    // message left where it was, when there is no destination or the destination refuses it.
    virtual BOOL MoveToBox(CMsgBoxBase* pDest);
    // The standard box the state belongs in: states 0 and 1 the outbox, 2 the sent box, 3 the
    // inbox, any other BOX_ANY.
    int GetStateImage() const override;
    // The box that holds the message; null when it is in none.
    virtual CMsgBoxBase* GetBox() const;
    virtual int GetTextLength() const;

    void SetMessageTime(const CTime& time) override { m_time = time; }

    void ToggleFlags(DWORD dwMask) { m_dwFlags ^= dwMask; }
    int GetState() const { return m_nState; }
    void SetState(int nState) { m_nState = nState; }
    DWORD GetFlags() const { return m_dwFlags; }
    void SetFlags(DWORD dwFlags) { m_dwFlags = dwFlags; }
    int GetKey() const { return m_nKey; }
    void SetKey(int nKey) { m_nKey = nKey; }
    const CTime& GetTime() const { return m_time; }
    void SetTime(const CTime& time) { m_time = time; }

protected:
    int m_nState = 0;
    DWORD m_dwFlags = 0;
    int m_nKey = -1;
    CTime m_time;
};

// -1, 0 or 1 by the sign of a - b.
template <class T> int CompareSign(const T& a, const T& b) {
    return (b < a) - (a < b);
}
