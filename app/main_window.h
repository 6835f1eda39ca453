#pragma once
// The main window: built once at start-up (invisible until start-up shows it), laid out
// again on every size event, and guarded by a filter that keeps the checks of rows
// steady during a download run.
//
// Thread safety: UI thread only.
#include <cstdint>

// Builds window 0 with its toolbar, toolbar gadgets, item list, status bar with the
// progress panel, keyboard shortcuts and the list's popup menu, and lays it out once.
// The window stays hidden.
void BuildMainWindow();

// Layout routine (bound to the size event): fits the folder field, the list, the
// progress panel and its two bars to the window's inner size. Returns 0.
int LayoutMainWindow();

// Sizes the number column to the widest row number (the last row's) after a fill, never
// below its initial width, so that five digits and more are not cut off.
void FitNumberColumn();

// Filter of window 0: while a run is active, refuses the user's checkbox toggles of rows
// that are neither selected nor focused; and at any time refuses toggling the row being
// downloaded, whose worker finds its row by that check.
int64_t MainWindowFilter(int64_t platformWindow, uint32_t message, uint64_t wParam,
                         int64_t lParam);
