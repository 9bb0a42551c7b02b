#include "shell/SheetOption.h"

#include "links/ui/PageOptionProxy.h"
#include "shell/OptionPages.h"

// One picture per page in page order; the two after them belong to no page.
const OutbarSheetImage CSheetOption::kImages[] = {
    {431, FALSE, 0}, {111, FALSE, 0}, {122, FALSE, 0}, {578, FALSE, 0},
    {505, FALSE, 0}, {586, FALSE, 0}, {572, FALSE, 0}, {118, TRUE, RGB(255, 0, 255)},
    {256, FALSE, 0}, {259, FALSE, 0}, {0, FALSE, 0},
};

CRuntimeClass* const CSheetOption::kPages[] = {
    RUNTIME_CLASS(CPageOptionGeneral),
    RUNTIME_CLASS(CPageOptionNamebook),
    RUNTIME_CLASS(CPageOptionSender),
    RUNTIME_CLASS(CPageOptionSMS),
    RUNTIME_CLASS(CPageOptionNote),
    RUNTIME_CLASS(CPageOptionTask),
    RUNTIME_CLASS(CPageOptionCalendar),
    RUNTIME_CLASS(CPageOptionProxy),
    nullptr,
};

CSheetOption::CSheetOption(CWnd* pParent) : COutbarSheet(IDD, pParent) {
    m_pImages = kImages;
    m_pPageClasses = kPages;
}
