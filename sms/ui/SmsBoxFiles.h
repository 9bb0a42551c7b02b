// A box's messages as a text file of cards, and messages read from a CSV file into a box. The
// dialog-free halves take a path so that they can be used (and checked) without a user.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CMsgBoxBase;
class CWnd;
class _CSms;
class _CSmsBox;

enum SmsCardExportResult {
    SMS_CARDS_WRITTEN,
    SMS_CARDS_CANNOT_CREATE,
    SMS_CARDS_WRITE_FAILED, // writing failed part-way; the old file is as it was
};

// One card per message directly in the box, in box order (string 341).
CString FormatSmsCard(const _CSms& sms);
SmsCardExportResult WriteBoxCards(_CSmsBox& box, LPCTSTR lpszPath);
// Asks for a file (the box's name proposed) and writes the cards; says whether it was written,
// and why not when it was not. TRUE only after a complete write.
BOOL ExportBoxAsCards(_CSmsBox* pBox, CWnd* pParent = nullptr);

// The box the imported messages go to: the box itself in an outbox tree or a user box's tree,
// else the first outbox of its root; null when there is none.
CMsgBoxBase* GetSmsImportTarget(CMsgBoxBase* pBox);
// Reads the CSV file (header row skipped; name, number, content) into the target as pending
// messages from the sender. Answers how many were added, -1 when the file cannot be read (the
// reason in strError) or there is no target.
int ImportSmsFromCsvFile(CMsgBoxBase* pBox, LPCTSTR lpszSenderName, LPCTSTR lpszPath,
                         CString& strError);
// Asks for the file, imports it and tells the user the outcome. -1 when the dialog was cancelled
// or the file could not be read.
int ImportSmsFromCsv(CMsgBoxBase* pBox, LPCTSTR lpszSenderName, CWnd* pParent = nullptr);

// The number information dialog for the message's recipients (modal).
void ShowNumberInformation(_CSms* pSms, CWnd* pParent);
