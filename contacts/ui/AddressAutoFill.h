// Cities and post codes for an address form: bound to a form's province box, city box and
// post-code edit, it offers the cities of the province shown when the user enters the city box
// and fills the city's post code when the user enters an empty post-code edit. The cities come
// from one text file per province in the program folder's "info\邮编区号" folder: a line is
// "city,post code,area code"; "//" starts a comment.
#pragma once

#include "core/StringListXString.h"
#include "platform/gui/Controls.h"

class CAddressAutoFill {
public:
    void Bind(CWnd* pForm, CComboBox* pCityBox, CComboBox* pProvinceBox, UINT nPostCodeId);

    // Entering the city box: the city list of the province now shown (kept when it is the same).
    void OnCityBoxFocus();
    // Entering the post-code edit: an empty edit gets the post code of the city shown.
    void OnPostCodeFocus();

    const CXStringList& GetCityTable() const { return m_cities; }

    // The file of a province; empty for a text that cannot name a file (a path, "." or "..").
    static CString GetProvinceFilePath(const CString& strProvince);
    // Reads a province file into three-part values (city, post code, area code). Blank and comment
    // lines add nothing; a line with missing parts keeps what it has. FALSE when it cannot open.
    static BOOL LoadProvinceFile(LPCTSTR lpszPath, CXStringList& cities);

private:
    CString m_strProvince;
    CWnd* m_pForm = nullptr;
    CComboBox* m_pCityBox = nullptr;
    CComboBox* m_pProvinceBox = nullptr;
    UINT m_nPostCodeId = 0;
    CXStringList m_cities{3};
};
