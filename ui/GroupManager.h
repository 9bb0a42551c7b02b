// The listener of a group helper: a tree's owner hears about the items the helper builds, moves
// and deletes, and may keep a group out of the tree. Every operation has a default, so an owner
// overrides only what it needs.
#pragma once

#include "platform/base/Types.h"

class CContent;
class CGroup;
struct TreeItemData;
typedef TreeItemData* HTREEITEM;

class CIGroupManager {
public:
    virtual ~CIGroupManager() = default;

    // The tree item of a content was built.
    virtual void OnContentItemBuilt(HTREEITEM /*hItem*/, CContent* /*pContent*/) {}
    // A new content was created and named by a label edit; it is not in its group yet.
    virtual void OnContentCreated(CContent* /*pContent*/) {}
    // The tree item of a group was built (its children are not yet).
    virtual void OnGroupItemBuilt(HTREEITEM /*hItem*/, CGroup* /*pGroup*/) {}
    // A group or content is about to move from hSource to below hTarget.
    virtual void OnBeforeMove(HTREEITEM /*hSource*/, HTREEITEM /*hTarget*/) {}
    // A group or content is about to be deleted.
    virtual void OnBeforeDelete(HTREEITEM /*hItem*/) {}
    // Whether the group gets a tree item at all; FALSE leaves it and its children out.
    virtual BOOL CanShowGroup(CGroup* /*pGroup*/) { return TRUE; }
};
