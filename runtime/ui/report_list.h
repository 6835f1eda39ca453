#pragma once
// The report list: rows of text cells under column headers, with checkboxes, selection,
// per-cell colours and a 64-bit value attached to each row. Rows are 0-based. Row flags:
// 1 selected (with the focus mark), 2 checked, 4 checkbox in the third state.
//
// Thread safety: any thread may call these; off the UI thread the call is carried out
// on the UI thread before it returns, except ListSetCellText, which does not wait for it:
// the text is set there before any later call or posted event of the caller's is taken.
// Changes made here raise no events.
#include <cstdint>

#include "platform/platform_values.h"  // kListColourText, kListColourBackground
#include "text.h"

constexpr int64_t kListItemSelected = 1;
constexpr int64_t kListItemChecked = 2;
constexpr int64_t kListItemThirdState = 4;

// Inserts a column at `position` (-1 or beyond the last: at the end). Returns 1, or 0
// for an unknown list.
int64_t ListAddColumn(int64_t number, int64_t position, const Text& title, int64_t width);
int64_t ListColumnCount(int64_t number);
int64_t ListGetColumnWidth(int64_t number, int64_t column);
void ListSetColumnWidth(int64_t number, int64_t column, int64_t width);
// The width a cell needs to be shown whole (its text, the checkbox of column 0 and the
// margins); 0 for a cell that does not exist.
int64_t ListGetCellWidth(int64_t number, int64_t row, int64_t column);

// Inserts a row at `position` (-1 or beyond the last row: at the end). The text holds
// the cells separated by line feeds; missing cells stay empty, extra parts are dropped.
// Returns 0.
int64_t ListAddItem(int64_t number, int64_t position, const Text& text);
void ListRemoveAllItems(int64_t number);
int64_t ListItemCount(int64_t number);

int64_t ListGetItemFlags(int64_t number, int64_t row);
// The row with the focus mark (the one the user last clicked or moved to), or -1.
int64_t ListGetFocusedRow(int64_t number);
// Bit 1 selects and focuses the row (clear: neither); then the checkbox follows bit 2
// (or the third state for bit 4 with three-state checkboxes).
void ListSetItemFlags(int64_t number, int64_t row, int64_t flags);

Text ListGetCellText(int64_t number, int64_t row, int64_t column);
// The first row from `start` on that is checked and whose cell in `column` reads `text`
// exactly; -1 when there is none. One call searches the list, where a loop of getters
// would cross to the UI thread once per row.
int64_t ListFindCheckedItem(int64_t number, int64_t start, int64_t column, const Text& text);
// How many of the rows before `endRow` are checked and read `text` in `column`.
int64_t ListCountCheckedItems(int64_t number, int64_t endRow, int64_t column, const Text& text);
void ListSetCellText(int64_t number, int64_t row, const Text& text, int64_t column);

// which: kListColourText or kListColourBackground; colour 0xBBGGRR. Row -1: every row;
// column -1: every column of the row. Rows outside the list are ignored.
void ListSetCellColor(int64_t number, int64_t row, int64_t which, uint32_t colour, int64_t column);
// The colour set for a cell, or -1 when the platform default applies.
int64_t ListGetCellColor(int64_t number, int64_t row, int64_t which, int64_t column);

// A 64-bit value kept with the row (0 when none); rows outside the list are ignored.
void ListSetItemValue(int64_t number, int64_t row, int64_t value);
int64_t ListGetItemValue(int64_t number, int64_t row);

// The redraw switch: off, the list is neither repainted nor updated on screen; on, one
// repaint shows every change made meanwhile.
void ListSetRedraw(int64_t number, int64_t on);
