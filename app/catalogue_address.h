#pragma once
// The catalogue address of a query: the search field's text (already percent-decoded)
// is either a catalogue address, possibly wrapped in an opening link, or a pair of
// numbers from which the address is built. Needs no toolkit.
//
// Thread safety: reads only the loaded texts; safe on any thread.
#include "text.h"

// The catalogue address for a decoded query text, or an empty text when the query has
// no recognised form.
Text CatalogueAddressOf(const Text& query);
