#include "contacts/GroupExport.h"

#include "core/TextFileWriter.h"
#include "platform/base/Time.h"

const char* const kExportWriteFailedMessage =
    "对不起，写入文件时出错（磁盘可能已满），导出没有完成。\n"
    "原有的文件没有改动，也没有留下写了一半的文件。";

void GetAllPersonFields(CArray<int, int>& fields) {
    fields.RemoveAll();
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        fields.Add(i);
}

CString BuildGroupExportHeader(_CGroup& group, const CArray<int, int>& fields, int nFormat,
                               DWORD dwFlags) {
    CString header;
    if (nFormat == _CGroup::EXPORT_CSV) {
        for (int k = 0; k < fields.GetSize(); ++k) {
            CString name;
            GetPersonFieldName(fields[k], name);
            if (k > 0)
                header += ",";
            header += name;
        }
        header += "\n";
        return header;
    }
    const CString stars('*', 47);
    const int nCount =
        group.GetContentCount((dwFlags & _CGroup::EXPORT_SUBGROUPS) != 0, FALSE);
    header.Format("%s\n卡片式联系人记录文件\n组名:\t%s\n总人数:\t%d人\n"
                  "制作者:\t墨川(Quillmar)，超越无限,完美体验！\n时间:\t%s\n%s\n\n",
                  (LPCTSTR)stars, (LPCTSTR)group.GetName(), nCount,
                  (LPCTSTR)CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M:%S"), (LPCTSTR)stars);
    return header;
}

GroupExportResult ExportGroupToPath(_CGroup& group, LPCTSTR lpszPath,
                                    const CArray<int, int>& fields, int nFormat, DWORD dwFlags) {
    switch (WriteTextFile(lpszPath, [&](CStdioFile& file) {
        file.WriteString(BuildGroupExportHeader(group, fields, nFormat, dwFlags));
        group.ExportPersons(file, fields, nFormat, dwFlags);
    })) {
    case TEXT_FILE_WRITTEN:
        return GROUP_EXPORT_OK;
    case TEXT_FILE_CANNOT_CREATE:
        return GROUP_EXPORT_CANNOT_CREATE;
    default:
        return GROUP_EXPORT_WRITE_FAILED;
    }
}
