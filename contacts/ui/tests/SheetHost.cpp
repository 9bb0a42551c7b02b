#include "contacts/ui/tests/SheetHost.h"

BEGIN_MESSAGE_MAP(CHostSheet, CPropertySheet)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CHostSheet::OnPageChanged)
END_MESSAGE_MAP()
