// The address-book tree in a visible frame, for the tree tests, over books the records library
// writes into the test's own temporary folder.
#pragma once

#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/LeftView.h"
#include "platform/base/tests/TempFolder.h"
#include "ui/tests/TreeViewFixture.h"

#include <functional>
#include <string>

template <class Frame = CFrameWnd>
class ContactsTreeFixture : public TreeViewFixture<CLeftView, Frame> {
protected:
    test_folders::TempDir dir;

    CString Path(const std::string& name) { return CString((dir.str() + "/" + name).c_str()); }
    static _CGroup* Group(_CGroup* parent, const char* name) {
        auto* g = new _CGroup(name);
        parent->AddSubgroup(g);
        return g;
    }
    // sex: 0 female, 1 male, 2 unknown (a new contact's own).
    static _CPerson* Person(_CGroup* parent, const char* name, int sex = 2) {
        auto* p = new _CPerson(name);
        p->GetInfo().m_personal.nSex = sex;
        parent->AddContent(p);
        return p;
    }
    // Writes a book named name (the root group's name) to file, filled by fill.
    CString WriteBook(const std::string& file, const char* name,
                      const std::function<void(_CGroup&)>& fill = nullptr) {
        CSmsDoc doc;
        doc.GetRootGroup().SetName(name);
        if (fill)
            fill(doc.GetRootGroup());
        CString path = Path(file);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    // The family: 家人 {王芳, 王强, 表亲 {李明}}, 同事 {赵敏}, 自己.
    static void FillFamily(_CGroup& root) {
        _CGroup* family = Group(&root, "家人");
        Person(family, "王芳", 0);
        Person(family, "王强", 1);
        _CGroup* cousins = Group(family, "表亲");
        Person(cousins, "李明", 1);
        _CGroup* work = Group(&root, "同事");
        Person(work, "赵敏", 0);
        Person(&root, "自己");
    }
    static HTREEITEM ItemOf(CGroupItem* record) {
        return record != nullptr ? (HTREEITEM)record->GetTreeItem() : nullptr;
    }
};
