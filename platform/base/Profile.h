// The profile: a small registry of our own. Hierarchical keys under three roots (current user,
// local machine, classes root) hold named string, DWORD and binary values; the registry calls the
// system makes and the application object's profile calls work on it.
//
// The whole store is one UTF-8 text file, "profile.reg" in the configuration folder
// (GetConfigFolderPath). It is read on first use and rewritten after every change through a
// temporary file and a rename, so a crash leaves the old or the new file, never half of one. A
// damaged line of the file is skipped; the rest still loads.
//
// Key and value names are GBK and compared without regard to ASCII case. Sub-keys enumerate in
// that case-blind name order; values enumerate in the order they were first set.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Sync.h"
#include "platform/base/Types.h"

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG* PLONG;
struct _FILETIME;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

// The registry calls return ERROR_SUCCESS or an error code: ERROR_FILE_NOT_FOUND for a missing
// key or value, ERROR_MORE_DATA when a buffer is too small (the size needed is stored),
// ERROR_NO_MORE_ITEMS at the end of an enumeration, ERROR_KEY_DELETED on a handle whose key was
// deleted, ERROR_INVALID_HANDLE for a closed handle, ERROR_WRITE_FAULT when the change was made
// but the file could not be written. Access rights are accepted and not enforced.
LONG RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                    REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                    LPDWORD lpdwDisposition);
LONG RegOpenKey(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG RegCreateKey(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG RegCloseKey(HKEY hKey);

LONG RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                   DWORD cbData);
LONG RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                     LPBYTE lpData, LPDWORD lpcbData);
// The default (unnamed) string value of a sub-key, which RegSetValue creates.
LONG RegSetValue(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData);
LONG RegQueryValue(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
LONG RegDeleteValue(HKEY hKey, LPCSTR lpValueName);
// Refuses (ERROR_ACCESS_DENIED) a key that still has sub-keys; RegDeleteTree removes them all.
LONG RegDeleteKey(HKEY hKey, LPCSTR lpSubKey);
LONG RegDeleteTree(HKEY hKey, LPCSTR lpSubKey);
LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                  LPSTR lpClass, LPDWORD lpcchClass, struct _FILETIME* lpftLastWriteTime);
LONG RegEnumValue(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                  LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// The application's profile calls: values under the key "Software\<company>\<app>\<section>" of
// HKEY_CURRENT_USER, where a section may name nested keys ("Bkground\ViewSms").
class CProfileStore {
public:
    explicit CProfileStore(LPCSTR appName = "Quillmar", LPCSTR company = "Quillmar");

    void SetRegistryKey(LPCSTR company) { m_company = company; }
    void SetProfileName(LPCSTR appName) { m_app = appName; }
    CString GetAppKeyPath() const; // "Software\<company>\<app>"

    // An integer written by WriteProfileInt; nDefault when absent or not a DWORD.
    UINT GetProfileInt(LPCSTR section, LPCSTR entry, int nDefault) const;
    BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int nValue);
    CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR lpszDefault = nullptr) const;
    // A null value deletes the entry; a null entry deletes the whole section.
    BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);
    // On success *ppData is a new[] array of *pBytes bytes that the caller deletes; otherwise it
    // is null and *pBytes 0.
    BOOL GetProfileBinary(LPCSTR section, LPCSTR entry, BYTE** ppData, UINT* pBytes) const;
    BOOL WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* pData, UINT nBytes);

    // Forgets what was read and closes every open key; the next call reads the file of the
    // current configuration folder again.
    static void ReloadForTesting();

private:
    CString SectionPath(LPCSTR section) const;

    CString m_company;
    CString m_app;
};

// Every change writes the whole file out (and waits for the disk). While a batch lives, changes
// stay in memory and the file is written once, when the last batch goes: for a run of many values
// written together (the options at exit). A change in a batch is never reported as failed.
class CProfileWriteBatch {
public:
    CProfileWriteBatch();
    ~CProfileWriteBatch();
    CProfileWriteBatch(const CProfileWriteBatch&) = delete;
    CProfileWriteBatch& operator=(const CProfileWriteBatch&) = delete;
};
