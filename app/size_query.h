#pragma once
// Remote sizes of catalogue entries: the header query for one entry, the size formatter,
// and the two total-size workers behind the list's popup menu.
//
// Thread safety: QueryRemoteSize blocks the calling thread for one header request and
// moves nothing but the collection's current record. A query given an abort flag ends
// within about a second once the flag is set. The workers run on their own
// threads and reach the window only through the toolkit, which carries their calls out
// on the UI thread. The pure helpers are safe anywhere.
#include <atomic>
#include <cstdint>

#include "text.h"

// Bytes the server announces for the current catalogue record's address, following
// redirects; 0 when it announces none or cannot be asked.
int64_t QueryRemoteSize();
// Makes the record of `entry` (a row's attached value) current and queries its size;
// 0 for an entry that names no record.
int64_t QueryEntrySize(int64_t entry, const std::atomic<int64_t>* abortWhenSet = nullptr);
// The same for any address.
int64_t QueryRemoteSizeOf(const Text& address, const std::atomic<int64_t>* abortWhenSet = nullptr);

// "1.5 KB": bytes scaled to the largest power of 1024 not above them, with `decimals`
// decimals for the odd powers (KB, GB, PB) and none for the even ones.
Text FormatSize(int64_t bytes, int64_t decimals);
// "1,234,567": the decimal digits grouped by thousands with the grouping separator.
Text GroupDigits(int64_t value);

// Adds a size to a total; false (and the total unchanged) when the sum would not fit,
// so that such a size counts as none.
bool AddToTotal(int64_t& total, int64_t size);

// Thread routines (ThreadStart, argument unused): sum the remote sizes of the selected
// rows or of every row, with the main window disabled and the batch bar as progress;
// Escape cancels between rows. Each ends with a message box and returns 0; the close of
// the main window ends them early without one.
int32_t SelectedSizeWorker(int64_t unused);
int32_t AllSizeWorker(int64_t unused);
