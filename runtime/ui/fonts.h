#pragma once
// Numbered fonts. A font is a face, a character height in pixels (the size in points at
// the screen's pixels per inch, 96 when the display cannot be asked) and style flags.
// A face that is not installed falls back to a sans-serif face. Font handles are handed
// to DrawSetFont (drawing.h) and, in the platform layer, to the widgets.
//
// Thread safety: FontServiceInit, FontServiceEnd and FontLoad on the UI thread (the
// GUI application must exist); FontGetHandle and FontDescribe on any thread.
#include <cstdint>

#include "platform/platform_values.h"  // FontLoad flags, FontSpec
#include "text.h"

// Asks the screen for its vertical pixels per inch and sets up the table.
void FontServiceInit();
// Releases every font.
void FontServiceEnd();

// Creates font `number` (-1: a dynamic font, released by FontFree(-1) only); returns its
// handle, or 0 for an empty face, a size below 1 point or above 4000 points, a bad
// number, or when there is no GUI application.
int64_t FontLoad(int64_t number, const Text& face, int64_t points, int64_t flags = 0);
// The handle of a font, or 0 for a number not in use.
int64_t FontGetHandle(int64_t number);
// Releases a font; -1 releases every font.
void FontFree(int64_t number);
// Copies the description behind a live font handle; false when no font has that handle.
bool FontDescribe(int64_t handle, FontSpec& description);
// The pixels per inch used for the character heights.
int64_t FontScreenDpi();
