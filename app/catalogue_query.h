#pragma once
// The catalogue query: turns the search field's text into one catalogue address
// (catalogue_address.h), fetches the answer, scans it (catalogue_walk.h) and
// fills the item list and CatalogueItems together. Results and failures are reported in
// the status bar's first field.
//
// Thread safety: UI thread only; the request blocks the event loop while it runs.
#include "text.h"

// Handler of the Return key (menu item 3): starts a query only while the search field
// has the focus. Returns 0.
int RunCatalogueQuery();

// Fetches the answer of `address` and appends one row and one record per entry; the
// caller has emptied the list and the collection. Writes the count message when at
// least one row was made.
void FillCatalogue(const Text& address);

// Column 0 of row `number`: padded on the left to four characters; longer numbers are
// shown whole.
Text RowNumberText(int64_t number);
