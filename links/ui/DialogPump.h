// Serving one window while the program is busy on its behalf: its pending messages are handled
// and it repaints, while the input meant for any other window is dropped, so nothing else of the
// program can start while the work goes on.
#pragma once

class CWnd;

// Handles what is pending now; input reaches only the window and its children.
void PumpWindowMessages(CWnd* pWnd);
