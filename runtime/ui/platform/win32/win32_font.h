#pragma once
// GDI font descriptions from the font service's, for the text renderer (and for any
// control that shows a numbered font). Make the HFONT on the thread that uses it.
#include <windows.h>

#include "platform/platform_values.h"

LOGFONTW Win32LogFont(const FontSpec& description);
// The desktop's message font: the platform's system font for drawing, and the one the
// controls use.
LOGFONTW Win32SystemLogFont();
