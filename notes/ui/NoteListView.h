// The list of a notebook group's pages and sub-groups, beside the notebook tree.
#pragma once

#include "ui/GroupListView.h"

class CNoteListView : public CGroupListView {
    DECLARE_DYNCREATE(CNoteListView)
public:
    CNoteListView();

    void InitView() override;
    CGroup* GetGroup() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
};
