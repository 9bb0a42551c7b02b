#include "ui/tests/CardTreeView.h"

IMPLEMENT_DYNCREATE(CCardTreeView, CGroupTreeView)
