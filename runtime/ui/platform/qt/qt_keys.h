#pragma once
// Which keys are physically held, beyond what key events say: a release can be lost (the
// window that saw the press is destroyed first), and a key state built from events alone
// would then stay down for good. On X11 the X server is asked; elsewhere a key held in a
// window is let go when that window hides or loses the activation.
#include <QEvent>
#include <QObject>
#include <cstdint>

#include "platform/platform.h"

// On the UI thread, at the platform's start and stop; `keyNote` hears the keys let go.
void QtKeysStart(PlatformKeyNote keyNote);
void QtKeysStop();
// The key watcher's report of a key that went down in `window` (its top-level widget).
void QtKeysNotePress(int64_t virtualKey, uint32_t nativeScanCode, const QObject* window);
// The key watcher's report of any event: a window that hides or is deactivated lets go of
// the keys held in it, where the platform cannot be asked.
void QtKeysNoteWindowEvent(const QObject* watched, QEvent::Type type);
