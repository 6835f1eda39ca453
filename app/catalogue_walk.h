#pragma once
// The catalogue walk: reads a parsed catalogue answer in document order and hands each
// entry's name and download address to a sink. It touches no window, list or record,
// so it runs (and is fuzzed) without the toolkit; the catalogue query supplies the sink
// that makes the rows and records.
//
// Thread safety: reads only the given tree and the loaded texts; safe on any thread.
#include <functional>

#include "text.h"

struct XmlNode;

// Called once per entry, in document order. `name` holds no line break.
using CatalogueEntrySink = std::function<void(const Text& name, const Text& address)>;

// True when `root` is a catalogue's root element with at least one child.
bool IsCatalogueRoot(const XmlNode* root);
// Walks the answer under `root` and calls `sink` for every entry it finds.
void WalkCatalogue(const XmlNode* root, const CatalogueEntrySink& sink);
