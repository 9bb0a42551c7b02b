// The date-time picker over a Qt date-time editor. Formats are the classic picker formats
// (yyyy-M-d, HH:mm, MMMM, dddd, quoted literal text such as '不详'); a change by the user is told
// with DTN_DATETIMECHANGE, and with DTS_APPCANPARSE the user may type free text (F2) that the
// parent turns into a time through DTN_USERSTRING.
#pragma once

#include "platform/base/Time.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"

#include <memory>

class QString;

#define DTS_SHORTDATEFORMAT 0x0000
#define DTS_UPDOWN 0x0001
#define DTS_SHOWNONE 0x0002
#define DTS_LONGDATEFORMAT 0x0004
#define DTS_TIMEFORMAT 0x0009
#define DTS_APPCANPARSE 0x0010
#define DTS_RIGHTALIGN 0x0020

#define GDT_ERROR (-1)
#define GDT_VALID 0
#define GDT_NONE 1

#define GDTR_MIN 0x0001
#define GDTR_MAX 0x0002

#define DTM_FIRST 0x1000
#define DTM_GETSYSTEMTIME (DTM_FIRST + 1)
#define DTM_SETSYSTEMTIME (DTM_FIRST + 2)
#define DTM_GETRANGE (DTM_FIRST + 3)
#define DTM_SETRANGE (DTM_FIRST + 4)
#define DTM_SETFORMAT (DTM_FIRST + 5)

#define DTN_FIRST2 (0U - 753U)
#define DTN_CLOSEUP (DTN_FIRST2 - 0)
#define DTN_DROPDOWN (DTN_FIRST2 - 1)
#define DTN_USERSTRING (DTN_FIRST2 - 5)
#define DTN_DATETIMECHANGE (DTN_FIRST2 - 6)

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags;
    SYSTEMTIME st;
};
typedef NMDATETIMECHANGE* LPNMDATETIMECHANGE;

struct NMDATETIMESTRING {
    NMHDR nmhdr;
    LPCSTR pszUserString;
    SYSTEMTIME st;
    DWORD dwFlags;
};
typedef NMDATETIMESTRING* LPNMDATETIMESTRING;

// A classic picker format in the editor's own notation: fields map one to one, every other
// character is kept as literal text.
// pLiteral, when given, receives the whole text of a format that has no fields at all.
QString AfxPickerFormatToQt(const QString& format, QString* pLiteral = nullptr);

struct DateTimeCtrlState;

class CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    CDateTimeCtrl();
    ~CDateTimeCtrl() override;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // GDT_VALID with the time, GDT_NONE when "no date" is shown.
    DWORD GetTime(LPSYSTEMTIME pTimeDest) const;
    DWORD GetTime(CTime& timeDest) const;
    // Null shows "no date" (DTS_SHOWNONE); FALSE for a time outside the range.
    BOOL SetTime(const SYSTEMTIME* pTimeNew);
    BOOL SetTime(const CTime* pTimeNew);
    // Null goes back to the style's own format.
    BOOL SetFormat(LPCTSTR pstrFormat);
    // The text the control shows.
    CString GetText() const;
    DWORD GetRange(LPSYSTEMTIME pMinRange, LPSYSTEMTIME pMaxRange) const;
    BOOL SetRange(const SYSTEMTIME* pMinRange, const SYSTEMTIME* pMaxRange);
    // Starts the free-text edit of DTS_APPCANPARSE (what F2 does).
    BOOL EditUserString();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* parent) override;
    void OnWidgetCreated() override;
    std::unique_ptr<DateTimeCtrlState> m_dt;
    friend struct DateTimeCtrlState;
};
