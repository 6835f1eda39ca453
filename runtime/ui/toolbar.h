#pragma once
// Numbered toolbars docked at the top of a window, as wide as it. Buttons are numbered
// by the caller; a click on an enabled button raises menu event 13101 with the button
// number as object. Buttons are added to the toolbar created last.
//
// Thread safety: build on the UI thread; ToolbarSetButtonDisabled and ToolbarInvalidate
// may be called from any thread (carried out on the UI thread before they return).
#include <cstdint>

#include "platform/platform_values.h"  // ToolbarCreate flags, stock images
#include "text.h"

// Button modes.
constexpr int64_t kToolbarPushButton = 0;
constexpr int64_t kToolbarToggleButton = 1;

void ToolbarServiceInit();
void ToolbarServiceEnd();

// A toolbar on the window of that platform handle; returns its platform handle, or 0.
int64_t ToolbarCreate(int64_t number, int64_t platformWindow, int64_t flags);
// Append to the current toolbar. The text shows only with the text flags.
void ToolbarAddStockButton(int64_t button, int64_t stockImage, int64_t mode, const Text& text);
// imageHandle: ImageGetHandle of a picture (images.h), scaled to the toolbar's size.
void ToolbarAddImageButton(int64_t button, int64_t imageHandle, int64_t mode, const Text& text);
void ToolbarAddSeparator();

// Unknown toolbars or buttons are ignored.
void ToolbarSetTip(int64_t number, int64_t button, const Text& text);
Text ToolbarGetTip(int64_t number, int64_t button);
void ToolbarSetButtonDisabled(int64_t number, int64_t button, int64_t disabled);
int64_t ToolbarIsButtonDisabled(int64_t number, int64_t button);
int64_t ToolbarButtonCount(int64_t number);  // buttons, separators not counted

int64_t ToolbarGetHeight(int64_t number);
int64_t ToolbarGetHandle(int64_t number);
// Asks for a repaint of the toolbar.
void ToolbarInvalidate(int64_t number);
