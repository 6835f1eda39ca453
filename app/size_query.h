#pragma once
// Remote sizes of catalogue entries: the header query for one entry, the size formatter,
// and the two total-size workers behind the list's popup menu.
//
// Thread safety: QueryRemoteSize blocks the calling thread for one header request and
// moves nothing but the collection's current record. The workers run on their own
// threads and reach the window only through the toolkit, which carries their calls out
// on the UI thread. The pure helpers are safe anywhere.
#include <cstdint>

#include "text.h"

// Bytes the server announces for the current catalogue record's address, following
// redirects; 0 when it announces none or cannot be asked.
int64_t QueryRemoteSize();
// Makes the record of `entry` (a row's attached value) current and queries its size;
// 0 for an entry that names no record.
int64_t QueryEntrySize(int64_t entry);
// The same for any address.
int64_t QueryRemoteSizeOf(const Text& address);

// "1.5 KB": bytes scaled to the largest power of 1024 not above them, with `decimals`
// decimals for the odd powers (KB, GB, PB) and none for the even ones.
Text FormatSize(int64_t bytes, int64_t decimals);
// "1,234,567": the decimal digits grouped by thousands with the grouping separator.
Text GroupDigits(int64_t value);

// Thread routines (ThreadStart, argument unused): sum the remote sizes of the selected
// rows or of every row, with the main window disabled and the batch bar as progress;
// Escape cancels between rows. Each ends with a message box and returns 0.
int32_t SelectedSizeWorker(int64_t unused);
int32_t AllSizeWorker(int64_t unused);
