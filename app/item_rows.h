#pragma once
// The list's rows and the run's displays as the commands, handlers and workers read and
// write them: a row's check and status, the first row that passes a test, the status
// cell and its colour, the message field and the two progress bars. Statuses are
// compared exactly with the status texts of the text table.
//
// Thread safety: reads, the message field and the bars may be used from any thread (the
// toolkit carries a worker's call over to the UI thread); statuses and colours are
// written on the UI thread only.
#include <cstdint>

#include "texts.h"

bool RowIsChecked(int64_t row);
bool RowHasStatus(int64_t row, TextRole status);
bool RowIsDownloading(int64_t row);  // checked, and its status is the downloading text

// The first row, from row 0 on, for which the test holds; -1 when none does. The row
// count is read once.
int64_t FirstRow(bool (*test)(int64_t row));

// The run's scans for the queued and the downloading row start at a cursor instead of row
// 0, so that a run at the end of a long list does not walk all of it on every entry.
// Rows before the cursor hold no queued and no downloading row: the handlers move it up
// to each row they start (RunCursorAt), and whatever else changes checks or statuses
// moves it back to the first row it touched (RunRowsChangedFrom). The cursor is the UI
// thread's; FirstRunRow with an explicit `from` may be used from any thread.
//
// The first checked row with that status from `from` (default: the cursor) on, or -1;
// one toolkit call, whatever the list's length.
int64_t FirstRunRow(TextRole status, int64_t from = -1);
void RunCursorAt(int64_t row);
void RunRowsChangedFrom(int64_t row);

void SetRowStatus(int64_t row, TextRole status);
void SetRowStatusColour(int64_t row, uint32_t colour);

// Field 0 of the status bar.
void ShowMessage(TextRole message);
// The file bar and the batch bar back to 0.
void ResetProgressBars();
