#pragma once
// The font service's view of the platform: the screen's pixels per inch and the face a
// requested font resolves to. No Qt types here, so the service itself stays free of Qt.
//
// Thread safety: QtFontScreenDpi on the UI thread; QtFontResolve on any thread once the
// GUI application exists.
#include <cstdint>

#include "fonts.h"

// The screen's vertical pixels per inch, or 96 when there is no screen to ask.
int64_t QtFontScreenDpi();
// The installed family that `face` resolves to (a sans-serif one for unknown faces);
// false when there is no GUI application to ask.
bool QtFontResolve(const Text& face, Text& resolved);
// Creates an offscreen GUI application when the process has none, for tools and
// benchmarks that render text without a window. Returns false if none could be made.
bool QtFontEnsureApplication();
