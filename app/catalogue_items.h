#pragma once
// CatalogueItems: the records behind the rows of the item list, in row order, with one
// current record. A row's attached value is a handle of its record (its 1-based
// position); a handle stays valid until the collection is emptied, and 0 is never a
// handle. Records are only appended and only removed all at once.
//
// Thread safety: every operation takes the collection's lock, so a worker reading a
// record never sees a half-made one. The collection is emptied only on the UI thread
// while no worker uses it (the commands make sure of that).
#include <cstdint>

#include "catalogue_records.h"

// Removes every record; no record is current afterwards.
void CatalogueItemsClear();
// Appends a record, makes it current and returns its handle.
int64_t CatalogueItemsAdd(const Text& name, const Text& address);
// Appends every record of `records` (which then holds none), makes the last one current
// and returns the first one's handle.
int64_t CatalogueItemsAppend(CatalogueRecords&& records);
int64_t CatalogueItemsCount();

// Makes the record of `handle` current; 0 (and nothing changes) for a handle that does
// not belong to a record, else 1. With `record`, a copy of it is taken under the same
// lock, so another thread selecting meanwhile cannot hand over the wrong one.
int CatalogueItemsSelect(int64_t handle, CatalogueItem* record = nullptr);
// The current record's handle, 0 when there is none.
int64_t CatalogueItemsCurrent();
// A copy of the current record (empty fields when there is none).
CatalogueItem CatalogueItemsCurrentItem();
// A copy of the record of `handle` (empty fields for an unknown handle).
CatalogueItem CatalogueItemsGet(int64_t handle);
