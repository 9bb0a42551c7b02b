#include "platform/gui/Resource.h"

#include "platform/gui/Dc.h"

#include <QFontMetrics>
#include <QImage>
#include <cstring>
#include <vector>

namespace {

std::vector<const ResModule*>& Modules() {
    static std::vector<const ResModule*> modules;
    return modules;
}

// Searches the modules newest first.
template <class T, class Pred>
const T* Find(const T* ResModule::*table, int ResModule::*count, Pred pred) {
    auto& mods = Modules();
    for (auto it = mods.rbegin(); it != mods.rend(); ++it) {
        const T* t = (*it)->*table;
        for (int i = 0; i < (*it)->*count; ++i)
            if (pred(t[i]))
                return &t[i];
    }
    return nullptr;
}

BOOL LoadFromTables(UINT nID, CString& text) {
    const char* s = AfxFindString(nID);
    if (!s)
        return FALSE;
    text = s;
    return TRUE;
}

} // namespace

void AfxRegisterResources(const ResModule* module) {
    if (!module)
        return;
    Modules().push_back(module);
    CString::SetResourceLoader(&LoadFromTables);
}

const char* AfxFindString(UINT id) {
    const ResString* s = Find(&ResModule::strings, &ResModule::stringCount,
                              [id](const ResString& r) { return r.id == id; });
    return s ? s->text : nullptr;
}

const ResDialog* AfxFindDialog(UINT id) {
    return Find(&ResModule::dialogs, &ResModule::dialogCount,
                [id](const ResDialog& r) { return r.id == id; });
}

const ResMenu* AfxFindMenu(UINT id) {
    return Find(&ResModule::menus, &ResModule::menuCount,
                [id](const ResMenu& r) { return r.id == id; });
}

const ResAccelTable* AfxFindAccelerators(UINT id) {
    return Find(&ResModule::accels, &ResModule::accelCount,
                [id](const ResAccelTable& r) { return r.id == id; });
}

const ResToolBar* AfxFindToolBar(UINT id) {
    return Find(&ResModule::toolbars, &ResModule::toolbarCount,
                [id](const ResToolBar& r) { return r.id == id; });
}

namespace {
std::vector<std::pair<const ResDlgInit*, int>>& DlgInitTables() {
    static std::vector<std::pair<const ResDlgInit*, int>> tables;
    return tables;
}
} // namespace

void AfxRegisterDlgInits(const ResDlgInit* table, int count) {
    if (table && count > 0)
        DlgInitTables().emplace_back(table, count);
}

const ResDlgInit* AfxFindDlgInit(UINT dialogId) {
    auto& tables = DlgInitTables();
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        for (int i = 0; i < it->second; ++i)
            if (it->first[i].id == dialogId)
                return &it->first[i];
    return nullptr;
}

const ResImage* AfxFindImage(UINT kind, UINT id) {
    return Find(&ResModule::images, &ResModule::imageCount,
                [=](const ResImage& r) { return r.kind == kind && !r.name && r.id == id; });
}

const ResImage* AfxFindImage(UINT kind, LPCTSTR name) {
    if (IS_INTRESOURCE(name))
        return AfxFindImage(kind, (UINT)(ULONG_PTR)name);
    return Find(&ResModule::images, &ResModule::imageCount, [=](const ResImage& r) {
        return r.kind == kind && r.name && std::strcmp(r.name, name) == 0;
    });
}

DialogUnits AfxDialogUnits(HFONT hFont) {
    // The average width of the 52 letters, rounded, and the height of the font's cell.
    QFontMetrics fm(AfxQFont(hFont));
    int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits{(width / 26 + 1) / 2, fm.height()};
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return LoadBitmap(MAKEINTRESOURCE(nIDResource));
}

BOOL CBitmap::LoadBitmap(LPCTSTR lpszResourceName) {
    const ResImage* img = AfxFindImage(RT_BITMAP, lpszResourceName);
    if (!img)
        return FALSE;
    QImage q = QImage::fromData(img->data, (int)img->size);
    if (q.isNull())
        return FALSE;
    return AttachImageData(q);
}
