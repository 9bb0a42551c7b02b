// The "信息大全" folder: the tree of the information base's groups and items. The base is read
// from "info\info.inf" in the program folder the first time the tree is shown; the list of the
// right pane shows what is selected.
#pragma once

#include "notes/InfoGroup.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"

class CInfoListView;
class CIRightPaneHost;

class CInfoView : public CTreeView {
    DECLARE_DYNCREATE(CInfoView)
public:
    // The fixed view of the right pane that shows the list.
    enum { ListViewNumber = 3 };

    CInfoView();
    ~CInfoView() override;

    // Reads the base and fills the tree, once.
    void LoadOnce();
    CInfoGroup& GetRoot() { return m_root; }
    // Selects the record's item (null: nothing).
    BOOL SelectObject(CObject* pObject);
    CObject* GetSelectedObject() const;
    CInfoListView* GetListView() const;

    CIRightPaneHost* m_pRightPane = nullptr;
    // A list used without a right pane (tests).
    CInfoListView* m_pListView = nullptr;

    void OnInitialUpdate() override;

protected:
    void Fill(CGroup* pGroup, HTREEITEM hParent);
    void UpdateTitle();
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    LRESULT OnFolderNews(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CInfoGroup m_root;
    CImageList m_images;
    BOOL m_bLoaded = FALSE;
};
