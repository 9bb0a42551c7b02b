// One line shown in a calendar day cell (a birthday, an event), with the members the grid draws from.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CKovCalendarCellItem;

// Acts when an item is activated; answers non-zero when it did something.
class CKovCalendarCellItemHandler {
public:
    virtual ~CKovCalendarCellItemHandler() = default;
    virtual int Activate(CKovCalendarCellItem* pItem) = 0;
};

class CKovCalendarCellItem {
public:
    enum { KIND_BIRTHDAY = 2, KIND_EVENT = 3 };

    CKovCalendarCellItem() = default;
    // Copies take everything but the state flags.
    CKovCalendarCellItem(const CKovCalendarCellItem& o)
        : m_rect(o.m_rect), m_nKind(o.m_nKind), m_nAltIcon(o.m_nAltIcon), m_strText(o.m_strText),
          m_nColour(o.m_nColour), m_dwData(o.m_dwData), m_dwOwner(o.m_dwOwner),
          m_pHandler(o.m_pHandler) {}
    CKovCalendarCellItem& operator=(const CKovCalendarCellItem& o) {
        m_rect = o.m_rect;
        m_nKind = o.m_nKind;
        m_nAltIcon = o.m_nAltIcon;
        m_strText = o.m_strText;
        m_nColour = o.m_nColour;
        m_dwData = o.m_dwData;
        m_dwOwner = o.m_dwOwner;
        m_pHandler = o.m_pHandler;
        return *this;
    }
    virtual ~CKovCalendarCellItem() = default;

    virtual int Activate() { return m_pHandler != nullptr ? m_pHandler->Activate(this) : 0; }

    RECT m_rect{};
    int m_nKind = 0;
    // Events: 1 when the event is done (已完成), which the grid shows with its own icon.
    int m_nAltIcon = 0;
    CString m_strText;
    // Birthdays: 1 for a solar birthday, 0 for a lunar one.
    int m_nColour = 1;
    int m_nState = 0;
    // Events: the schedule element, and the document that filed it.
    DWORD_PTR m_dwData = 0;
    DWORD_PTR m_dwOwner = 0;
    CKovCalendarCellItemHandler* m_pHandler = nullptr;
};

typedef CList<CKovCalendarCellItem, const CKovCalendarCellItem&> CKovCalendarCellItemList;
