// Scroll-bar sizes as the program lays its views out.
#pragma once

// The system's vertical scroll-bar width and horizontal scroll-bar height, each one pixel larger
// when the platform facts taken at start-up ask for the correction.
int GetVScrollBarWidth();
int GetHScrollBarHeight();
