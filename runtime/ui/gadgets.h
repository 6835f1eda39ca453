#pragma once
// Numbered gadgets (controls) inside windows. A gadget is created in the current gadget
// container (the window created last, or the panel opened last) at a position relative
// to it. What the user does with a gadget becomes event 13100 with the gadget number as
// object and the type below; changes made by the program raise no events.
//
// Thread safety: create and bind on the UI thread. Setting and reading values, texts,
// properties and the disabled state may be done from any thread: off the UI thread the
// call is carried out on the UI thread before it returns, except GadgetSetValue, which
// does not wait for it: the value is set there before any later call or posted event of
// the caller's is taken.
#include <cstdint>

#include "events.h"
#include "platform/platform_values.h"  // event types, frame, panel and list flags
#include "text.h"

// Gadget kinds.
constexpr int64_t kKindButton = 1;
constexpr int64_t kKindTextField = 2;
constexpr int64_t kKindFrame = 7;
constexpr int64_t kKindPanel = 11;
constexpr int64_t kKindReportList = 12;
constexpr int64_t kKindProgressBar = 14;

// Text field flags.
constexpr int64_t kTextFieldReadOnly = 0x800;
constexpr int64_t kTextFieldNoBorder = 0x20000;
// Progress bar properties (GadgetSetProperty / GadgetGetProperty).
constexpr int64_t kProgressMinimum = 1;
constexpr int64_t kProgressMaximum = 2;

void GadgetServiceInit();
// Destroys every gadget.
void GadgetServiceEnd();

// Creation returns the platform handle, 0 when refused (no current container, bad
// number). Reusing a number destroys the old gadget first.
int64_t GadgetCreateTextField(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                              const Text& text, int64_t flags);
int64_t GadgetCreateButton(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                           const Text& text, int64_t flags);
int64_t GadgetCreateFrame(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                          const Text& text, int64_t flags);
// A plain container; it is the current container until GadgetEndPanel.
int64_t GadgetCreatePanel(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                          int64_t flags);
// The container that was current before the last GadgetCreatePanel becomes current.
void GadgetEndPanel();
// Range minimum..maximum; flags 0: horizontal.
int64_t GadgetCreateProgressBar(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                                int64_t minimum, int64_t maximum, int64_t flags);
// A list in report view whose first column has the given title and width; more columns
// with ListAddColumn (report_list.h).
int64_t GadgetCreateReportList(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                               const Text& firstColumnTitle, int64_t firstColumnWidth,
                               int64_t flags);
// Destroys one gadget (and the gadgets inside a panel).
void GadgetFree(int64_t number);

int64_t GadgetGetHandle(int64_t number);
int64_t GadgetGetKind(int64_t number);  // 0 when the number is not in use
void GadgetSetTip(int64_t number, const Text& text);
Text GadgetGetTip(int64_t number);

// Text fields, buttons and frames: their text. Lists: nothing.
void GadgetSetText(int64_t number, const Text& text);
Text GadgetGetText(int64_t number);
// Progress bar: its position, shown at once (-1 switches to busy display, read back as
// -1). Report list: the first selected row or -1; setting clears the selection and
// selects, focuses and shows the row (-1: none).
void GadgetSetValue(int64_t number, int64_t value);
int64_t GadgetGetValue(int64_t number);
void GadgetSetProperty(int64_t number, int64_t property, int64_t value);
int64_t GadgetGetProperty(int64_t number, int64_t property);

void GadgetSetDisabled(int64_t number, int64_t disabled);
int64_t GadgetIsDisabled(int64_t number);
// kKeepValue keeps a coordinate or size.
void GadgetMove(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height);
// Position (relative to the gadget's current parent) and size; 0 for unknown numbers.
int64_t GadgetGetX(int64_t number);
int64_t GadgetGetY(int64_t number);
int64_t GadgetGetWidth(int64_t number);
int64_t GadgetGetHeight(int64_t number);

// The gadget that has the keyboard focus, or -1.
int64_t GadgetFocused();
void GadgetSetFocus(int64_t number);

// EventBind(13100, callback, window of the gadget now, gadget, type); 0 for unknown
// gadgets or a callback already bound to that key.
int GadgetEventBind(int64_t gadget, EventCallback callback, int64_t type = -1);

// Moves the gadget into another platform window of the toolkit (a toolbar, a status bar,
// a panel); its coordinates become relative to it, its events still reach its window.
void GadgetSetParentHandle(int64_t gadget, int64_t platformHandle);

// Text fields: selects characters start..end (1-based, inclusive); end -1 selects to
// the end of the text, start 0 removes the selection.
void GadgetSelectText(int64_t gadget, int64_t start, int64_t end);
