#pragma once
// The list's commands: clear (toolbar button 0), the check commands and the queue
// commands of the popup menu, select all (Control+A), the folder chooser (folder button)
// and the list's clicks (right click opens the popup menu). Each is a handler without
// arguments that returns 0.
//
// Thread safety: UI thread only (bound handlers).
int CommandClear();          // menu 0
int CommandCheckSelected();  // menu 5: the checks become a copy of the selection
int CommandCheckAll();       // menu 6
int CommandUncheckAll();     // menu 7
int CommandInvertChecks();   // menu 8
int CommandRequeueFailed();  // menu 12: failed rows become queued and checked
int CommandResetAll();       // menu 13: every row queued and unchecked
int CommandSelectAll();      // menu 14: in the list or in the search field
int CommandChooseFolder();   // gadget 3
int CommandListClick();      // gadget 0
