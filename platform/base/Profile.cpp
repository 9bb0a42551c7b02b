#include "platform/base/Profile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/Gbk.h"
#include "platform/base/ModuleDir.h"

namespace fs = std::filesystem;

namespace {

struct Value {
    std::string name;
    DWORD type;
    std::string data;
};

struct Key {
    std::string name;
    std::vector<Value> values;
    std::map<std::string, std::shared_ptr<Key>> children; // by folded name
    bool deleted = false;
};

const char* const kRootNames[3] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};
const char* const kFileName = "profile.reg";

std::mutex g_lock;
bool g_loaded = false;
std::shared_ptr<Key> g_roots[3];
std::unordered_map<uintptr_t, std::shared_ptr<Key>> g_open;
uintptr_t g_nextKey = 0x1000;

// ASCII letters folded; the second byte of a double-byte character is never touched.
std::string Fold(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < out.size();) {
        int n = GbkCharSize(out.data() + i, out.size() - i);
        if (n == 1 && out[i] >= 'A' && out[i] <= 'Z')
            out[i] = (char)(out[i] - 'A' + 'a');
        i += n;
    }
    return out;
}

// Splits a key path at `\` separators (never a trail byte); empty components are dropped.
std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    std::string cur;
    size_t len = path ? std::strlen(path) : 0;
    for (size_t i = 0; i < len;) {
        int n = GbkCharSize(path + i, len - i);
        if (n == 1 && path[i] == '\\') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur.append(path + i, n);
        }
        i += n;
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

bool IsValidKeyName(const std::string& name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

// --- the file ---

// Names and strings are written as UTF-8 with %HH escapes for '%', '"', '\' and control bytes, so
// a line never holds a bare quote or backslash of its own text. Text that does not survive the
// trip through Unicode (broken GBK) keeps its bytes: every non-ASCII byte is escaped instead.
std::string Encode(const std::string& gbk) {
    static const char hex[] = "0123456789ABCDEF";
    std::string utf8 = GbkToUtf8(gbk);
    bool raw = std::string((const char*)Utf8ToGbk(utf8)) != gbk;
    const std::string& src = raw ? gbk : utf8;
    std::string out;
    for (unsigned char c : src) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '"' || c == '\\' || (raw && c >= 0x80)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += (char)c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Decode(const std::string& text, std::string& gbk) {
    gbk.clear();
    std::string pending; // UTF-8 not converted yet
    auto flush = [&] {
        gbk += (const char*)Utf8ToGbk(pending);
        pending.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            pending += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        flush();
        gbk += (char)(hi * 16 + lo);
        i += 2;
    }
    flush();
    return true;
}

std::string HexBytes(const std::string& data) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", (unsigned char)data[i]);
        out += buf;
    }
    return out;
}

bool ParseHexBytes(const std::string& text, std::string& data) {
    data.clear();
    size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i < 2)
            return false;
        int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        data += (char)(hi * 16 + lo);
        i += 2;
        if (i < text.size() && text[i++] != ',')
            return false;
    }
    return true;
}

std::string ValueLine(const Value& v) {
    std::string line = v.name.empty() ? "@=" : "\"" + Encode(v.name) + "\"=";
    const std::string& d = v.data;
    if (v.type == REG_DWORD && d.size() == 4) {
        DWORD x;
        std::memcpy(&x, d.data(), 4);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", (unsigned)x);
        return line + buf;
    }
    if (v.type == REG_SZ && !d.empty() && d.find('\0') == d.size() - 1)
        return line + "\"" + Encode(d.substr(0, d.size() - 1)) + "\"";
    if (v.type == REG_BINARY)
        return line + "hex:" + HexBytes(d);
    return line + "hex(" + std::to_string(v.type) + "):" + HexBytes(d);
}

bool ParseValueLine(const std::string& line, Value& v) {
    size_t eq;
    if (line.rfind("@=", 0) == 0) {
        v.name.clear();
        eq = 1;
    } else {
        size_t close = line.find('"', 1);
        if (line[0] != '"' || close == std::string::npos || close + 1 >= line.size() ||
            line[close + 1] != '=' || !Decode(line.substr(1, close - 1), v.name))
            return false;
        eq = close + 1;
    }
    std::string rest = line.substr(eq + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"' &&
        rest.find('"', 1) == rest.size() - 1) {
        v.type = REG_SZ;
        if (!Decode(rest.substr(1, rest.size() - 2), v.data))
            return false;
        v.data += '\0';
        return true;
    }
    if (rest.rfind("dword:", 0) == 0) {
        std::string digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        DWORD x = (DWORD)std::stoul(digits, nullptr, 16);
        v.type = REG_DWORD;
        v.data.assign((const char*)&x, 4);
        return true;
    }
    if (rest.rfind("hex:", 0) == 0) {
        v.type = REG_BINARY;
        return ParseHexBytes(rest.substr(4), v.data);
    }
    if (rest.rfind("hex(", 0) == 0) {
        size_t close = rest.find("):");
        if (close == std::string::npos || close == 4 ||
            rest.find_first_not_of("0123456789", 4) != close || close > 12)
            return false;
        v.type = (DWORD)std::stoul(rest.substr(4, close - 4));
        return ParseHexBytes(rest.substr(close + 2), v.data);
    }
    return false;
}

void SetValue(Key& key, Value v) {
    std::string folded = Fold(v.name);
    for (Value& old : key.values) {
        if (Fold(old.name) == folded) {
            old.type = v.type;
            old.data = std::move(v.data);
            return;
        }
    }
    key.values.push_back(std::move(v));
}

std::shared_ptr<Key> Child(Key& parent, const std::string& name, bool create, bool* created) {
    std::string folded = Fold(name);
    auto it = parent.children.find(folded);
    if (it != parent.children.end())
        return it->second;
    if (!create)
        return nullptr;
    auto key = std::make_shared<Key>();
    key->name = name;
    parent.children[folded] = key;
    if (created)
        *created = true;
    return key;
}

// A header line "[ROOT\a\b]": the key it names, created as needed; null when it is not one.
std::shared_ptr<Key> ParseHeader(const std::string& line) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']')
        return nullptr;
    std::vector<std::string> parts = SplitPath(line.substr(1, line.size() - 2).c_str());
    if (parts.empty())
        return nullptr;
    std::shared_ptr<Key> key;
    for (int r = 0; r < 3; ++r)
        if (parts[0] == kRootNames[r])
            key = g_roots[r];
    for (size_t i = 1; key && i < parts.size(); ++i) {
        std::string name;
        if (!Decode(parts[i], name) || name.empty() || !IsValidKeyName(name))
            return nullptr;
        key = Child(*key, name, true, nullptr);
    }
    return key;
}

fs::path StoreFile() {
    return GetConfigFolderPath() / kFileName;
}

void LoadLocked() {
    if (g_loaded)
        return;
    g_loaded = true;
    for (auto& root : g_roots)
        root = std::make_shared<Key>();
    std::ifstream in(StoreFile(), std::ios::binary);
    std::string line;
    std::shared_ptr<Key> current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            current = ParseHeader(line);
            continue;
        }
        Value v;
        if (current && ParseValueLine(line, v))
            SetValue(*current, std::move(v));
    }
}

void WriteKey(std::string& out, const Key& key, const std::string& path) {
    out += "\n[" + path + "]\n";
    for (const Value& v : key.values)
        out += ValueLine(v) + "\n";
    for (const auto& [folded, child] : key.children)
        WriteKey(out, *child, path + "\\" + Encode(child->name));
}

bool SaveLocked() {
    std::string out = "; Quillmar profile (UTF-8)\n";
    for (int r = 0; r < 3; ++r)
        if (!g_roots[r]->values.empty() || !g_roots[r]->children.empty())
            WriteKey(out, *g_roots[r], kRootNames[r]);
    // The whole text takes the file's place in one step, through a temporary name of this
    // process's own: a save killed part-way, or two copies of the program saving at once, never
    // leave a profile cut short or mixed, and a profile linked in from elsewhere stays linked.
    try {
        CDocument::ReplaceOsFileContents(StoreFile().string(),
                                         reinterpret_cast<const BYTE*>(out.data()), out.size());
    } catch (CException* e) {
        e->Delete();
        return false;
    }
    return true;
}

int g_batchDepth = 0;      // live CProfileWriteBatch objects
bool g_batchDirty = false; // a change waits for the batch to end

LONG Saved() {
    if (g_batchDepth > 0) {
        g_batchDirty = true;
        return ERROR_SUCCESS;
    }
    return SaveLocked() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

// The key behind a handle: a root or an open key.
LONG Resolve(HKEY hKey, std::shared_ptr<Key>& key) {
    LoadLocked();
    uintptr_t id = (uintptr_t)hKey;
    if (id >= 0x80000000u && id <= 0x80000002u) {
        key = g_roots[id - 0x80000000u];
        return ERROR_SUCCESS;
    }
    auto it = g_open.find(id);
    if (it == g_open.end())
        return ERROR_INVALID_HANDLE;
    key = it->second;
    return key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

// The sub-key of hKey named by a path; created along the way when `create`.
LONG Walk(HKEY hKey, LPCSTR subKey, bool create, std::shared_ptr<Key>& key, bool* created) {
    LONG rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    for (const std::string& part : SplitPath(subKey)) {
        if (create && !IsValidKeyName(part))
            return ERROR_INVALID_PARAMETER;
        key = Child(*key, part, create, created);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

HKEY OpenHandle(std::shared_ptr<Key> key) {
    uintptr_t id = g_nextKey;
    g_nextKey += 4;
    g_open[id] = std::move(key);
    return (HKEY)id;
}

const Value* FindValue(const Key& key, LPCSTR name) {
    std::string folded = Fold(name ? name : "");
    for (const Value& v : key.values)
        if (Fold(v.name) == folded)
            return &v;
    return nullptr;
}

// The key behind a handle and its value of that name.
LONG ResolveValue(HKEY hKey, LPCSTR name, std::shared_ptr<Key>& key, const Value*& value) {
    LONG rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    value = FindValue(*key, name);
    return value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Copies `size` bytes out the way the registry does: the size is always reported, the data only
// when it fits.
LONG CopyOut(const void* src, DWORD size, LPBYTE dst, LPDWORD capacity) {
    if (!capacity)
        return dst ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    DWORD room = *capacity;
    *capacity = size;
    if (!dst)
        return ERROR_SUCCESS;
    if (room < size)
        return ERROR_MORE_DATA;
    std::memcpy(dst, src, size);
    return ERROR_SUCCESS;
}

// Copies a name with its terminator; *cch is in characters without the terminator on success.
LONG CopyName(const std::string& name, LPSTR dst, LPDWORD cch) {
    if (!dst || !cch)
        return ERROR_INVALID_PARAMETER;
    if (*cch < name.size() + 1)
        return ERROR_MORE_DATA;
    std::memcpy(dst, name.c_str(), name.size() + 1);
    *cch = (DWORD)name.size();
    return ERROR_SUCCESS;
}

LONG DeleteKeyLocked(HKEY hKey, LPCSTR lpSubKey, bool tree) {
    std::vector<std::string> parts = SplitPath(lpSubKey);
    if (parts.empty())
        return ERROR_INVALID_PARAMETER; // a key cannot delete itself through an empty path
    std::string last = parts.back();
    parts.pop_back();
    std::shared_ptr<Key> parent;
    LONG rc = Resolve(hKey, parent);
    for (size_t i = 0; rc == ERROR_SUCCESS && i < parts.size(); ++i) {
        parent = Child(*parent, parts[i], false, nullptr);
        if (!parent)
            rc = ERROR_FILE_NOT_FOUND;
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    auto it = parent->children.find(Fold(last));
    if (it == parent->children.end())
        return ERROR_FILE_NOT_FOUND;
    if (!tree && !it->second->children.empty())
        return ERROR_ACCESS_DENIED;
    // Handles still open on the key or below it now fail with ERROR_KEY_DELETED.
    std::vector<Key*> pending = {it->second.get()};
    while (!pending.empty()) {
        Key* k = pending.back();
        pending.pop_back();
        k->deleted = true;
        for (auto& [folded, child] : k->children)
            pending.push_back(child.get());
    }
    parent->children.erase(it);
    return Saved();
}

} // namespace

LONG RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    LONG rc = Walk(hKey, lpSubKey, false, key, nullptr);
    *phkResult = rc == ERROR_SUCCESS ? OpenHandle(key) : nullptr;
    return rc;
}

LONG RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                    PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    bool created = false;
    LONG rc = Walk(hKey, lpSubKey, true, key, &created);
    if (rc == ERROR_SUCCESS && created)
        rc = Saved();
    *phkResult = key && rc != ERROR_INVALID_PARAMETER && rc != ERROR_INVALID_HANDLE &&
                         rc != ERROR_KEY_DELETED
                     ? OpenHandle(key)
                     : nullptr;
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return rc;
}

LONG RegOpenKey(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegOpenKeyEx(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

LONG RegCreateKey(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyEx(hKey, lpSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, phkResult,
                          nullptr);
}

LONG RegCloseKey(HKEY hKey) {
    std::lock_guard<std::mutex> lock(g_lock);
    uintptr_t id = (uintptr_t)hKey;
    if (id >= 0x80000000u && id <= 0x80000002u)
        return ERROR_SUCCESS;
    return g_open.erase(id) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                   DWORD cbData) {
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    LONG rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    SetValue(*key, Value{lpValueName ? lpValueName : "", dwType,
                         std::string((const char*)lpData, cbData)});
    return Saved();
}

LONG RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                     LPDWORD lpcbData) {
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    const Value* v;
    LONG rc = ResolveValue(hKey, lpValueName, key, v);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType)
        *lpType = v->type;
    return CopyOut(v->data.data(), (DWORD)v->data.size(), lpData, lpcbData);
}

LONG RegSetValue(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD) {
    if (dwType != REG_SZ || !lpData)
        return ERROR_INVALID_PARAMETER;
    HKEY sub;
    LONG rc = RegCreateKey(hKey, lpSubKey, &sub);
    if (rc != ERROR_SUCCESS && rc != ERROR_WRITE_FAULT)
        return rc;
    rc = RegSetValueEx(sub, "", 0, REG_SZ, (const BYTE*)lpData, (DWORD)std::strlen(lpData) + 1);
    RegCloseKey(sub);
    return rc;
}

LONG RegQueryValue(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
    HKEY sub;
    LONG rc = RegOpenKey(hKey, lpSubKey, &sub);
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD type = REG_SZ, size = lpcbData ? (DWORD)*lpcbData : 0;
    rc = RegQueryValueEx(sub, "", nullptr, &type, (LPBYTE)lpData, lpcbData ? &size : nullptr);
    RegCloseKey(sub);
    if (rc == ERROR_FILE_NOT_FOUND) { // a key without a default value reads as empty text
        static const char empty = 0;
        size = lpcbData ? (DWORD)*lpcbData : 0;
        rc = CopyOut(&empty, 1, (LPBYTE)lpData, lpcbData ? &size : nullptr);
    }
    if (lpcbData)
        *lpcbData = (LONG)size;
    return rc;
}

LONG RegDeleteValue(HKEY hKey, LPCSTR lpValueName) {
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    const Value* v;
    LONG rc = ResolveValue(hKey, lpValueName, key, v);
    if (rc != ERROR_SUCCESS)
        return rc;
    key->values.erase(key->values.begin() + (v - key->values.data()));
    return Saved();
}

LONG RegDeleteKey(HKEY hKey, LPCSTR lpSubKey) {
    std::lock_guard<std::mutex> lock(g_lock);
    return DeleteKeyLocked(hKey, lpSubKey, false);
}

LONG RegDeleteTree(HKEY hKey, LPCSTR lpSubKey) {
    std::lock_guard<std::mutex> lock(g_lock);
    return DeleteKeyLocked(hKey, lpSubKey, true);
}

LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                  LPDWORD lpcchClass, struct _FILETIME*) {
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    LONG rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (dwIndex >= key->children.size())
        return ERROR_NO_MORE_ITEMS;
    auto it = key->children.begin();
    std::advance(it, dwIndex);
    if (lpClass && lpcchClass && *lpcchClass) {
        lpClass[0] = 0;
        *lpcchClass = 0;
    }
    return CopyName(it->second->name, lpName, lpcchName);
}

LONG RegEnumValue(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                  LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    std::lock_guard<std::mutex> lock(g_lock);
    std::shared_ptr<Key> key;
    LONG rc = Resolve(hKey, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (dwIndex >= key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value& v = key->values[dwIndex];
    rc = CopyName(v.name, lpValueName, lpcchValueName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType)
        *lpType = v.type;
    return CopyOut(v.data.data(), (DWORD)v.data.size(), lpData, lpcbData);
}

// --- the application's profile calls ---

CProfileStore::CProfileStore(LPCSTR appName, LPCSTR company) : m_company(company), m_app(appName) {}

CString CProfileStore::GetAppKeyPath() const {
    return CString("Software\\") + m_company + "\\" + m_app;
}

CString CProfileStore::SectionPath(LPCSTR section) const {
    return GetAppKeyPath() + "\\" + (section ? section : "");
}

namespace {
// Reads a value of the section; false when the section or the value is missing.
bool ReadEntry(const CString& sectionPath, LPCSTR entry, DWORD& type, std::string& data) {
    HKEY key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, sectionPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueEx(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data.assign(size, '\0');
        ok = RegQueryValueEx(key, entry, nullptr, &type, (LPBYTE)data.data(), &size) ==
             ERROR_SUCCESS;
        data.resize(size);
    }
    RegCloseKey(key);
    return ok;
}

BOOL WriteEntry(const CString& sectionPath, LPCSTR entry, DWORD type, const void* data,
                DWORD size) {
    HKEY key;
    LONG rc = RegCreateKeyEx(HKEY_CURRENT_USER, sectionPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                             &key, nullptr);
    if (!key)
        return FALSE;
    LONG set = RegSetValueEx(key, entry, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && set == ERROR_SUCCESS;
}
} // namespace

UINT CProfileStore::GetProfileInt(LPCSTR section, LPCSTR entry, int nDefault) const {
    DWORD type;
    std::string data;
    if (!ReadEntry(SectionPath(section), entry, type, data) || type != REG_DWORD ||
        data.size() != 4)
        return (UINT)nDefault;
    DWORD value;
    std::memcpy(&value, data.data(), 4);
    return value;
}

BOOL CProfileStore::WriteProfileInt(LPCSTR section, LPCSTR entry, int nValue) {
    DWORD value = (DWORD)nValue;
    return WriteEntry(SectionPath(section), entry, REG_DWORD, &value, 4);
}

CString CProfileStore::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR lpszDefault) const {
    DWORD type;
    std::string data;
    if (!ReadEntry(SectionPath(section), entry, type, data) ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return CString(lpszDefault ? lpszDefault : "");
    return CString(data.c_str()); // up to the terminator
}

BOOL CProfileStore::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) {
    if (!entry) {
        LONG rc = RegDeleteTree(HKEY_CURRENT_USER, SectionPath(section));
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    if (!value) {
        HKEY key;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, SectionPath(section), 0, KEY_WRITE, &key) !=
            ERROR_SUCCESS)
            return TRUE; // nothing to delete
        LONG rc = RegDeleteValue(key, entry);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    return WriteEntry(SectionPath(section), entry, REG_SZ, value, (DWORD)std::strlen(value) + 1);
}

BOOL CProfileStore::GetProfileBinary(LPCSTR section, LPCSTR entry, BYTE** ppData,
                                     UINT* pBytes) const {
    if (!ppData || !pBytes)
        return FALSE;
    *ppData = nullptr;
    *pBytes = 0;
    DWORD type;
    std::string data;
    if (!ReadEntry(SectionPath(section), entry, type, data) || type != REG_BINARY)
        return FALSE;
    *ppData = new BYTE[data.size()];
    std::memcpy(*ppData, data.data(), data.size());
    *pBytes = (UINT)data.size();
    return TRUE;
}

BOOL CProfileStore::WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* pData,
                                       UINT nBytes) {
    return WriteEntry(SectionPath(section), entry, REG_BINARY, pData, nBytes);
}

CProfileWriteBatch::CProfileWriteBatch() {
    std::lock_guard<std::mutex> lock(g_lock);
    ++g_batchDepth;
}

CProfileWriteBatch::~CProfileWriteBatch() {
    std::lock_guard<std::mutex> lock(g_lock);
    if (--g_batchDepth == 0 && g_batchDirty) {
        g_batchDirty = false;
        SaveLocked();
    }
}

void CProfileStore::ReloadForTesting() {
    std::lock_guard<std::mutex> lock(g_lock);
    g_loaded = false;
    g_open.clear();
}
