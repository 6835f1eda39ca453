#pragma once
// Commands of a download run and of the size reports: download (menu 1), stop (menu 2),
// size of one entry (menu 9), total size of the selected rows (menu 10) and of all rows
// (menu 11). Each is a handler without arguments that returns 0.
//
// Thread safety: UI thread only (bound handlers). Menus 10 and 11 start worker threads
// and return at once; menu 9 blocks for one header request.
int CommandDownload();
int CommandStop();
int CommandSizeOfEntry();
int CommandSizeOfSelected();
int CommandSizeOfAll();
