#pragma once
// Qt fonts from the font service's descriptions, for the platform layer (widgets and the
// text renderer). Build the QFont on the thread that uses it.
#include <QFont>

#include "platform/platform_values.h"

QFont QtFontFromSpec(const FontSpec& description);
// The platform's system font, used until a drawing selects another.
QFont QtFontSystem();
