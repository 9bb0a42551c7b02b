#include "contacts/TextFileWriter.h"

#include "platform/base/Exception.h"

TextFileWriteResult WriteTextFile(LPCTSTR lpszPath, const std::function<void(CStdioFile&)>& write) {
    CStdioFile file;
    if (!file.Open(lpszPath, CFile::modeCreate | CFile::modeWrite | CFile::typeText))
        return TEXT_FILE_CANNOT_CREATE;
    try {
        write(file);
        file.Close(); // what is still buffered goes out here: a full disk shows up too
    } catch (CException* e) {
        e->Delete();
        file.Abort();
        try {
            CFile::Remove(lpszPath);
        } catch (CException* e2) {
            e2->Delete();
        }
        return TEXT_FILE_WRITE_FAILED;
    }
    return TEXT_FILE_WRITTEN;
}
