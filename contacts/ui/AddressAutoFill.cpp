#include "contacts/ui/AddressAutoFill.h"

#include "core/FileUtil.h"
#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"

namespace {
const char* const kProvinceFolder = "\\info\\邮编区号";
} // namespace

void CAddressAutoFill::Bind(CWnd* pForm, CComboBox* pCityBox, CComboBox* pProvinceBox,
                            UINT nPostCodeId) {
    m_pForm = pForm;
    m_pCityBox = pCityBox;
    m_pProvinceBox = pProvinceBox;
    m_nPostCodeId = nPostCodeId;
}

CString CAddressAutoFill::GetProvinceFilePath(const CString& strProvince) {
    // The text comes from the user or from a contact file: it may name a file in that folder,
    // never a path that leaves it.
    if (strProvince.IsEmpty() || strProvince == "." || strProvince == ".." ||
        !IsValidFileName(strProvince))
        return CString();
    return GetModuleDirectory() + kProvinceFolder + "\\" + strProvince + ".inf";
}

BOOL CAddressAutoFill::LoadProvinceFile(LPCTSTR lpszPath, CXStringList& cities) {
    CStdioFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    CString line;
    while (file.ReadString(line)) {
        const int nComment = line.Find("//");
        if (nComment >= 0)
            line = line.Left(nComment);
        line.Trim();
        if (line.IsEmpty())
            continue;
        CXString value(3);
        int nStart = 0;
        for (int i = 0; i < 3 && nStart <= line.GetLength(); ++i) {
            int nEnd = line.Find(',', nStart);
            if (nEnd < 0)
                nEnd = line.GetLength();
            CString part = line.Mid(nStart, nEnd - nStart);
            part.Trim();
            value.SetAt(i, part);
            nStart = nEnd + 1;
        }
        if (value.GetStringAt(0).IsEmpty())
            continue;
        cities.AddTail(value);
    }
    return TRUE;
}

void CAddressAutoFill::OnCityBoxFocus() {
    if (!m_pCityBox || !m_pProvinceBox)
        return;
    CString strProvince;
    m_pProvinceBox->GetWindowText(strProvince);
    if (strProvince == m_strProvince)
        return;
    m_strProvince = strProvince;
    // Emptying the list must not take the city the user typed with it.
    CString strCity;
    m_pCityBox->GetWindowText(strCity);
    m_pCityBox->ResetContent();
    m_pCityBox->SetWindowText(strCity);
    m_cities.RemoveAll();
    const CString strPath = GetProvinceFilePath(strProvince);
    if (strPath.IsEmpty() || !LoadProvinceFile(strPath, m_cities))
        return;
    for (POSITION pos = m_cities.GetHeadPosition(); pos;)
        m_pCityBox->AddString(m_cities.GetNext(pos).GetStringAt(0));
}

void CAddressAutoFill::OnPostCodeFocus() {
    if (!m_pForm || !m_pCityBox)
        return;
    CWnd* pEdit = m_pForm->GetDlgItem((int)m_nPostCodeId);
    if (!pEdit || pEdit->GetWindowTextLength() > 0)
        return;
    CString strCity;
    m_pCityBox->GetWindowText(strCity);
    if (strCity.IsEmpty())
        return;
    int nItem = 0, nString = 0, nPos = 0;
    if (!m_cities.Find(strCity, nItem, nString, nPos, TRUE))
        return;
    const CString strCode = m_cities.GetValue(nItem, 1);
    pEdit->SetWindowText(strCode);
    pEdit->SendMessage(EM_SETSEL, (WPARAM)std::max(0, strCode.GetLength() - 2),
                       (LPARAM)strCode.GetLength());
    pEdit->SendMessage(EM_SCROLLCARET, 0, 0);
}
