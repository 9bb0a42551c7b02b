#include "contacts/ui/tests/KeepingView.h"

#include "contacts/ui/LeftView.h"

BEGIN_MESSAGE_MAP(CKeepingView, CView)
ON_MESSAGE(CLeftView::WM_QUERY_KEEP_VIEW, &CKeepingView::OnQueryKeep)
END_MESSAGE_MAP()
