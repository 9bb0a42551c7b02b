// Writing a user's text file (GBK, CR LF line ends) as a whole: the new text takes the file's
// place in one step once it is complete, so a write that fails or is killed part-way leaves the
// old file as it was (and no cut-off file where there was none).
#pragma once

#include <functional>

#include "platform/base/File.h"

enum TextFileWriteResult {
    TEXT_FILE_WRITTEN,
    TEXT_FILE_CANNOT_CREATE, // the target cannot be written at all: nothing was written
    TEXT_FILE_WRITE_FAILED,  // writing failed part-way: the old file is as it was
};

TextFileWriteResult WriteTextFile(LPCTSTR lpszPath, const std::function<void(CStdioFile&)>& write);
