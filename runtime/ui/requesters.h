#pragma once
// Modal requesters: a message box and a folder chooser. Both block the caller until
// the user closes them. Also the user's own folders, where a chooser would start.
//
// Thread safety: any thread; off the UI thread the requester is shown on the UI thread
// and the caller waits for its answer.
#include <cstdint>
#include <utility>

#include "text.h"

// Message box flags: icon and buttons.
constexpr int64_t kMessageOk = 0;
constexpr int64_t kMessageError = 16;
constexpr int64_t kMessageWarning = 48;
constexpr int64_t kMessageInformation = 64;
// Result: the button pressed.
constexpr int64_t kMessageResultOk = 1;

int64_t ShowMessageBox(const Text& title, const Text& text, int64_t flags);
// The chosen folder ending with one separator of the platform ("/"; on Windows "\"), or an
// empty text when cancelled.
Text ChooseFolder(const Text& title, const Text& initialFolder);

// The user's pictures folder and home folder as the desktop names them, each ending with
// the platform's separator: the pictures folder is the home folder when the desktop names
// none; both are empty when unknown.
std::pair<Text, Text> UserFolders();
