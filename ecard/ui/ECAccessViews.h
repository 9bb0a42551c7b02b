// Who may read which field of the own card: the access dialog (a colour button per field, the
// friends it applies to in a check-box tree) and the right pane's access table (one row per
// contact, one readable/hidden icon per field under a two-level header).
#pragma once

#include "ecard/ECAccess.h"
#include "platform/gui/Controls.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"
#include "ui/TreeViewDrawHelper.h"

#include <map>
#include <memory>
#include <vector>

class CECContact;
class CECContactsTreeView;
class CECGroup;
class CECUser;
class CECUserDoc;
class CHeaderCtrl;

// One field of the card as the access dialog and table show it.
struct SECAccessField {
    UINT nButtonId;
    const char* pszLabel;
    int nGroup; // 0 personal, 1 family, 2 work, 3 communication, 4 other, 5 state
    DWORD dwBit;
};
constexpr int EC_ACCESS_FIELD_COUNT = 49;
const SECAccessField& GetECAccessField(int nIndex);
// The card field of an access field (its group and bit); -1 when none.
int GetECAccessFieldNumber(const SECAccessField& field);

// A field's button: four states, each with its colour, clicked from green to red and from any
// other state to green, reset by the right button.
class CAccessItemButton : public CButton {
public:
    enum { StateKeep = 0, StateAll = 1, StateNone = 2, StateSome = 3 };
    static const DWORD kColours[4]; // ARGB

    explicit CAccessItemButton(BOOL bChangeable = TRUE) : m_bChangeable(bChangeable) {}
    int GetState() const { return m_nState; }
    void SetState(int nState);
    BOOL IsChangeable() const { return m_bChangeable; }
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

protected:
    BOOL OnClicked();
    void OnRButtonDown(UINT nFlags, CPoint point);
    int m_nState = StateKeep;
    BOOL m_bChangeable;
    DECLARE_MESSAGE_MAP()
};

// The friends the dialog applies to: a check box on each item, a click on one giving its state to
// everything below it.
class CECTreeModifyAccess : public CTreeCtrl {
public:
    // The root, then each object (a contact, or a group with its contents three levels deep),
    // everything checked.
    void Fill(const std::vector<CObject*>& objects, BOOL bDefault);
    HTREEITEM FindItemOf(const CObject* pObject) const;
    // The item's check and that of every item below it.
    void SetCheckDeep(HTREEITEM hItem, BOOL bCheck);
    // Whether a contact is chosen: its own item's check, or (not shown) that of its nearest
    // shown group.
    BOOL IsChosen(const CECContact* pContact) const;

protected:
    void InsertObject(HTREEITEM hParent, CObject* pObject, int nDepth);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    std::map<const CObject*, HTREEITEM> m_items;
    CTreeViewDrawHelper m_drawHelper;
    CImageList m_images;
    DECLARE_MESSAGE_MAP()
};

class CECDlgModifyAccess : public CDialog {
public:
    enum { IDD = 485, IDC_TREE = 1250 };
    // objects empty: the default access (of strangers) is edited.
    CECDlgModifyAccess(CECUser* pUser, const std::vector<CObject*>& objects, CWnd* pParent);
    ~CECDlgModifyAccess() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    CAccessItemButton& GetButton(int nIndex) { return *m_buttons[(size_t)nIndex]; }
    CAccessItemButton* FindButton(UINT nID);
    CECTreeModifyAccess& GetTree() { return m_tree; }
    const SECAccess& GetCommon() const { return m_common; }
    // After OK: the values and the change marks to send.
    SECAccess m_values, m_changes;
    // After OK: the objects whose contacts were chosen.
    std::vector<CObject*> m_chosen;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void SetGroupState(int nGroup, int nState);
    void MergeObject(CObject* pObject, BOOL& bFirst);
    void MarkObject(CObject* pObject);

    CECUser* m_pUser;
    std::vector<CObject*> m_objects;
    SECAccess m_common;
    std::vector<std::unique_ptr<CAccessItemButton>> m_buttons;
    CAccessItemButton m_legends[4] = {CAccessItemButton(FALSE), CAccessItemButton(FALSE),
                                      CAccessItemButton(FALSE), CAccessItemButton(FALSE)};
    CECTreeModifyAccess m_tree;
};

// The right pane's access table of a group.
class CViewECContactAccessList : public CListView {
    DECLARE_DYNCREATE(CViewECContactAccessList)
public:
    enum { kHeaderHeight = 115, kBandHeight = 25, kColumnCount = 48 };
    enum { IDI_READABLE = 536, IDI_HIDDEN = 537 };

    CViewECContactAccessList();
    ~CViewECContactAccessList() override;

    CECUserDoc* GetUserDoc() const;
    CECContactsTreeView* GetTree() const;
    // The field of a column (column 0: -1).
    int GetColumnField(int nColumn) const;
    // Whether the row's reader may read the column's field: a friend by its own access, anyone
    // else by the default access.
    BOOL IsReadable(const CECContact* pContact, int nColumn) const;
    // The column label: the field name cut at "(" with "-" taken out, a character a line.
    static CString GetColumnLabel(const char* pszName);

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void SetAccessOfSelected();

protected:
    void Fill();
    void DrawHeaderItem(LPDRAWITEMSTRUCT lpDIS);
    void DrawBands(CDC* pDC);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCmdSetAccess() { SetAccessOfSelected(); }
    void OnUpdateSetAccess(CCmdUI* pCmdUI);

    BOOL m_bFirstUpdate = FALSE;
    CImageList m_contactImages;
    CImageList m_icons;
    COLORREF m_textColour, m_backColour;
    std::vector<int> m_fields; // per column
    DECLARE_MESSAGE_MAP()
};
