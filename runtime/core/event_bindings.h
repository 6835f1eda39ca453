#pragma once
// The process-wide table of event bindings, used by the event service only: a hash map
// from the key text "event:window:object:type" to the callbacks bound under that key,
// the most recently bound first. -1 in a key stands for any value.
//
// Thread safety: none of its own; the event service calls it under the event lock.
// Callbacks may bind further callbacks or unbind windows while they run: an entry
// removed during a dispatch is kept alive until the outermost dispatch has finished.
#include <cstdint>

#include "events.h"

// Adds the callback under the key; false when it is already bound there.
bool BindingAdd(int32_t event, int64_t window, int64_t object, int64_t type, EventCallback callback);
// Calls every callback bound under exactly this key, newest first.
void BindingRun(int32_t event, int64_t window, int64_t object, int64_t type);
// Removes every entry bound with this window number.
void BindingRemoveWindow(int64_t window);
void BindingRemoveAll();
