#pragma once
// Numbered status bars docked at the bottom of a window, as wide as it, with text
// fields laid out from the left. The area right of the last fixed field belongs to no
// field (the application puts a panel there). Fields are added to the status bar
// created last on the calling thread.
//
// Thread safety: create on the UI thread; StatusbarSetText and the getters may be
// called from any thread (carried out on the UI thread before they return).
#include <cstdint>

#include "platform/platform_values.h"  // StatusbarSetText flags
#include "text.h"

constexpr int64_t kStatusbarMaxFields = 256;

void StatusbarServiceInit();
void StatusbarServiceEnd();

// Returns the status bar's platform handle, or 0.
int64_t StatusbarCreate(int64_t number, int64_t platformWindow);
// Appends a field of that width (kKeepValue: shares the remaining width).
void StatusbarAddField(int64_t width);
void StatusbarSetText(int64_t number, int64_t field, const Text& text, int64_t flags);
Text StatusbarGetText(int64_t number, int64_t field);
int64_t StatusbarFieldCount(int64_t number);
// A field's left edge and width in the bar, after layout; 0 for unknown fields.
int64_t StatusbarGetFieldX(int64_t number, int64_t field);
int64_t StatusbarGetFieldWidth(int64_t number, int64_t field);

int64_t StatusbarGetHeight(int64_t number);
int64_t StatusbarGetHandle(int64_t number);
