#pragma once
// The catalogue walk: reads a catalogue answer in document order and hands each entry's
// name and download address to a sink. It touches no window, list or record, so it runs
// (and is fuzzed) without the toolkit; the catalogue query supplies the sink that makes
// the rows and records. The same reading serves a parsed tree and a one-pass scan of the
// answer's text, which needs no tree of a long answer in memory.
//
// Thread safety: reads only the given tree or text and the loaded texts; safe on any
// thread.
#include <cstdint>
#include <functional>

#include "text.h"

struct XmlNode;

// Called once per entry, in document order. `name` holds no line break.
using CatalogueEntrySink = std::function<void(const Text& name, const Text& address)>;

// True when `root` is a catalogue's root element with at least one child.
bool IsCatalogueRoot(const XmlNode* root);
// Walks the answer under `root` and calls `sink` for every entry it finds.
void WalkCatalogue(const XmlNode* root, const CatalogueEntrySink& sink);

// Scans the answer's text and calls `sink` for every entry as it is found. True when the
// text is well-formed and its root is a catalogue's (IsCatalogueRoot); otherwise the
// entries handed over are to be dropped, as a parse and walk would list none.
bool ScanCatalogue(const void* data, int64_t length, const CatalogueEntrySink& sink);
