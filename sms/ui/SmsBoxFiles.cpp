#include "sms/ui/SmsBoxFiles.h"

#include "contacts/CsvSource.h"
#include "core/TextFileWriter.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "sms/ui/DlgCodeInfo.h"

namespace {

CString LoadText(UINT nId) {
    CString text;
    text.LoadString(nId);
    return text;
}

CString Filter(UINT nName, LPCTSTR lpszPattern) {
    CString filter;
    filter.Format("%s (%s)|%s||", LoadText(nName).GetString(), lpszPattern, lpszPattern);
    return filter;
}

} // namespace

CString FormatSmsCard(const _CSms& sms) {
    CString card;
    card.Format(LoadText(341), sms.GetSenderText().GetString(),
                sms.GetRecipientsText().GetString(), sms.GetTimeText().GetString(),
                sms.m_strContent.GetString());
    return card;
}

SmsCardExportResult WriteBoxCards(_CSmsBox& box, LPCTSTR lpszPath) {
    switch (WriteTextFile(lpszPath, [&](CStdioFile& file) {
        for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;)
            if (_CSms* pSms = box.GetNextSms(pos))
                file.WriteString(FormatSmsCard(*pSms));
    })) {
    case TEXT_FILE_WRITTEN:
        return SMS_CARDS_WRITTEN;
    case TEXT_FILE_CANNOT_CREATE:
        return SMS_CARDS_CANNOT_CREATE;
    default:
        return SMS_CARDS_WRITE_FAILED;
    }
}

BOOL ExportBoxAsCards(_CSmsBox* pBox, CWnd* pParent) {
    if (pBox == nullptr)
        return FALSE;
    CFileDialog dialog(FALSE, "txt", pBox->GetName(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       Filter(340, "*.txt"), pParent);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    const CString path = dialog.GetPathName();
    CString text;
    switch (WriteBoxCards(*pBox, path)) {
    case SMS_CARDS_WRITTEN:
        AfxMessageBox(LoadText(342), MB_OK | MB_ICONINFORMATION);
        return TRUE;
    case SMS_CARDS_CANNOT_CREATE:
        text.Format(LoadText(376), path.GetString());
        break;
    default:
        text.Format(LoadText(377), path.GetString());
        break;
    }
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

CMsgBoxBase* GetSmsImportTarget(CMsgBoxBase* pBox) {
    if (pBox == nullptr)
        return nullptr;
    if (pBox->IsInBoxOfType(CMsgBoxBase::BOX_OUTBOX) || pBox->IsInBoxOfType(CMsgBoxBase::BOX_USER))
        return pBox;
    CMsgBoxBase* pRoot = pBox;
    while (auto* pParent = dynamic_cast<CMsgBoxBase*>(pRoot->GetParent()))
        pRoot = pParent;
    return pRoot->FindSubBoxByType(CMsgBoxBase::BOX_OUTBOX);
}

int ImportSmsFromCsvFile(CMsgBoxBase* pBox, LPCTSTR lpszSenderName, LPCTSTR lpszPath,
                         CString& strError) {
    strError.Empty();
    auto* pTarget = dynamic_cast<_CSmsBox*>(GetSmsImportTarget(pBox));
    if (pTarget == nullptr) {
        strError = LoadText(212);
        return -1;
    }
    CCsvSource csv;
    const CCsvSource::Status status = csv.Load(lpszPath);
    if (status != CCsvSource::CSV_OK) {
        strError = CCsvSource::GetStatusMessage(status);
        return -1;
    }
    CStringList fields;
    // The first record names the columns.
    if (csv.ReadRecord(fields) < 0) {
        strError = LoadText(378);
        return 0;
    }
    int nAdded = 0;
    for (;;) {
        fields.RemoveAll();
        if (csv.ReadRecord(fields) <= 0)
            break;
        // Absent fields are empty: a row may hold only a name, or a name and a number.
        CString values[3];
        int i = 0;
        for (POSITION pos = fields.GetHeadPosition(); pos != nullptr && i < 3; ++i)
            values[i] = fields.GetNext(pos);
        auto* pSms = new _CSms;
        pSms->m_recipient.Set(values[0], values[1]);
        pSms->m_strContent = values[2];
        pSms->m_sender.Set(lpszSenderName != nullptr ? lpszSenderName : "", "");
        pSms->SetTime(CTime::GetCurrentTime());
        pSms->m_nSize = values[2].GetLength();
        pSms->SetState(_CSms::STATE_PENDING);
        pTarget->AddSms(pSms);
        ++nAdded;
    }
    if (nAdded == 0)
        strError = LoadText(378);
    return nAdded;
}

int ImportSmsFromCsv(CMsgBoxBase* pBox, LPCTSTR lpszSenderName, CWnd* pParent) {
    CFileDialog dialog(TRUE, "csv", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       Filter(291, "*.csv"), pParent);
    if (dialog.DoModal() != IDOK)
        return -1;
    CString strError;
    const int nAdded = ImportSmsFromCsvFile(pBox, lpszSenderName, dialog.GetPathName(), strError);
    if (!strError.IsEmpty())
        AfxMessageBox(strError, MB_OK | MB_ICONEXCLAMATION);
    return nAdded;
}

void ShowNumberInformation(_CSms* pSms, CWnd* pParent) {
    if (pSms == nullptr)
        return;
    CDlgCodeInfo dialog(pSms, pParent);
    dialog.DoModal();
}
