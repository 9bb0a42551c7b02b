#include "sms/ui/ComposeControls.h"

#include "core/FileUtil.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/Controls.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

void FillSmsSubjects(CComboBox* pCombo) {
    CStdioFile file;
    if (!file.Open(GetAppFilePath("Profiles\\SmsSubjects.inf"), CFile::modeRead | CFile::shareDenyWrite))
        return;
    try {
        CString line;
        while (file.ReadString(line))
            if (!line.IsEmpty())
                pCombo->AddString(line);
    } catch (CException* e) {
        e->Delete();
    }
}

void ColourSmsType(CWnd* pCombo, BOOL bMobile) {
    QWidget* w = pCombo != nullptr ? pCombo->GetWidget() : nullptr;
    if (w == nullptr)
        return;
    QPalette pal = w->palette();
    const QColor colour = bMobile ? QColor(255, 0, 0) : QColor(0, 0, 255);
    pal.setColor(QPalette::ButtonText, colour);
    pal.setColor(QPalette::Text, colour);
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

void ApplySpinDelta(CWnd* pParent, NMHDR* pNMHDR, UINT nEdit) {
    auto* pUD = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    const int n = pUD->iPos + pUD->iDelta;
    if (n >= 1 && n <= 100)
        pParent->SetDlgItemInt((int)nEdit, (UINT)n);
}

SSmsCount CountAndShow(CWnd* pParent, const CString& text, int nKind, int& nCoding, UINT nLimit,
                       UINT nMessages, int nWideSize, int nAnsiSize, const SCountControls& ids) {
    int nLimitSel = static_cast<CComboBox*>(pParent->GetDlgItem((int)nLimit))->GetCurSel();
    if (nLimitSel < 0)
        nLimitSel = 0;
    const int n = (int)pParent->GetDlgItemInt((int)nMessages);
    if (nKind != 0)
        nCoding = pParent->IsDlgButtonChecked((int)ids.nEnglish) ? 1 : 0;
    const SSmsCount c = CountSms(text, nKind, nCoding, nLimitSel, n, nWideSize, nAnsiSize);
    nCoding = c.nCoding;
    CString allowed, current;
    if (c.nAllowed < 0)
        allowed.LoadString(137);
    else
        allowed.Format("%d", c.nAllowed);
    current.Format("%g", (double)c.fCurrent);
    pParent->SetDlgItemText((int)ids.nCurrent, current);
    pParent->SetDlgItemText((int)ids.nAllowed, allowed);
    pParent->SetDlgItemInt((int)ids.nParts, (UINT)c.nParts);
    pParent->CheckRadioButton((int)ids.nChinese, (int)ids.nEnglish,
                              (int)(c.nCoding == 0 ? ids.nChinese : ids.nEnglish));
    if (CWnd* pCount = pParent->GetDlgItem((int)ids.nCurrent))
        pCount->Invalidate();
    return c;
}
