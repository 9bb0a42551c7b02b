#include "contacts/ui/ValueListCombo.h"

namespace {
const char* const kProvinces[] = {
    "北京", "上海", "天津", "重庆", "河北", "山西", "河南", "辽宁", "吉林", "黑龙江", "内蒙古",
    "江苏", "山东", "安徽", "浙江", "福建", "湖北", "湖南", "广东", "广西", "江西", "四川",
    "海南", "贵州", "云南", "西藏", "陕西", "甘肃", "青海", "宁夏", "新疆", "台湾"};

// A value reads as the text when its display form or one of its strings (note left out) does.
bool Reads(const CXString& value, const CString& text) {
    if (value.JoinStrings(" ") == text)
        return true;
    for (int i = 0; i < value.GetCount(); ++i)
        if (value.GetValue(i) == text)
            return true;
    return false;
}

} // namespace

void ShowValueList(CComboBox& box, const CXStringList& list) {
    box.ResetContent();
    for (POSITION pos = list.GetHeadPosition(); pos;)
        box.AddString(list.GetNext(pos).JoinStrings(" "));
    box.SetCurSel(list.GetCurrentIndex());
    if (list.GetCurrentIndex() < 0)
        box.SetWindowText("");
}

void CommitValueList(CComboBox& box, CXStringList& list) {
    const int nSel = box.GetCurSel();
    CString text;
    box.GetWindowText(text);
    if (nSel >= 0 && nSel < (int)list.GetCount()) {
        CString shown;
        box.GetLBText(nSel, shown);
        if (shown == text) {
            list.SetCurrentIndex(nSel);
            return;
        }
    }
    // A typed text becomes a new value, the current one, unless it is one already.
    if (text.IsEmpty())
        return;
    int nItem = 0;
    for (POSITION pos = list.GetHeadPosition(); pos; ++nItem) {
        if (Reads(list.GetNext(pos), text)) {
            list.SetCurrentIndex(nItem);
            return;
        }
    }
    CXString value(list.GetItemSize());
    value.SetAt(0, text);
    list.AddTail(value);
    list.SetCurrentIndex((int)list.GetCount() - 1);
}

void SetComboText(CComboBox& box, const CString& text) {
    const int nFound = text.IsEmpty() ? CB_ERR : box.FindString(-1, text);
    if (nFound != CB_ERR) {
        box.SetCurSel(nFound);
        return;
    }
    box.SetCurSel(-1);
    box.SetWindowText(text);
}

void FillProvinceList(CComboBox& box) {
    for (const char* province : kProvinces)
        box.AddString(province);
}
