#include "contacts/ui/PersonFileDialogs.h"

#include <vector>

#include "contacts/PersonDoc.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"

namespace {
const char* const kPersonFilter = "联系人文件 (*.psn)|*.psn||";
}

BOOL SavePersonAs(_CPerson* pPerson, LPCTSTR lpszPath, CWnd* pParent) {
    if (pPerson == nullptr)
        return FALSE;
    CString path = lpszPath != nullptr ? lpszPath : "";
    if (path.IsEmpty()) {
        CFileDialog dlg(FALSE, "psn", CPersonDoc::MakeFileName(pPerson->GetName()),
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kPersonFilter, pParent);
        if (dlg.DoModal() != IDOK)
            return FALSE;
        path = dlg.GetPathName();
    }
    return CPersonDoc::SavePersonAs(pPerson, path);
}

int ImportPersonFiles(_CGroup* pGroup, CWnd* pParent) {
    if (pGroup == nullptr)
        return 0;
    std::vector<char> buffer(520, '\0');
    for (;;) {
        CFileDialog dlg(TRUE, "psn", nullptr,
                        OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT, kPersonFilter,
                        pParent);
        std::fill(buffer.begin(), buffer.end(), '\0');
        dlg.m_ofn.lpstrFile = buffer.data();
        dlg.m_ofn.nMaxFile = (DWORD)buffer.size();
        if (dlg.DoModal() == IDOK) {
            CStringList paths;
            for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;)
                paths.AddTail(dlg.GetNextPathName(pos));
            return CPersonDoc::ImportPersonFiles(pGroup, paths);
        }
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)
            return 0;
        AfxMessageBox("由于选择的文件较多，缓存不够，请重新选择!", MB_OK | MB_ICONEXCLAMATION);
        buffer.resize(buffer.size() * 2);
    }
}
