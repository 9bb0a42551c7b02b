// The find dialog of the information list: the text, the case and the direction. Each
// "查找下一个" searches the list from where the last hit left off (it is offered only while there
// is a text to find); the dialog stays open until it is closed.
#pragma once

#include "platform/gui/Dialog.h"

class CInfoListView;

class CDlgFindText : public CDialog {
public:
    enum { IDD = 448, IDC_TEXT = 1006, IDC_CASE = 1239, IDC_UP = 1213, IDC_DOWN = 1214 };
    explicit CDlgFindText(CWnd* pParent = nullptr);

    CString m_strText;
    int m_bMatchCase = 0;
    int m_nDirection = 1; // 0 up, 1 down

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnTextChange();
    // One search; the derived dialog searches its list.
    virtual void FindNext() {}
    DECLARE_MESSAGE_MAP()
};

class CDlgFindInformation : public CDlgFindText {
public:
    CDlgFindInformation(CInfoListView* pList, CWnd* pParent = nullptr);

protected:
    void FindNext() override;
    CInfoListView* m_pList;
};
