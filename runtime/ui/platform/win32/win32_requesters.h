#pragma once
// The path rules of the folder chooser and of the user's folders, apart from the dialog.
#include "text.h"

// The folder the chooser opens at: at most 259 characters, without a trailing backslash
// unless it is a drive root ("C:\").
Text ChooserStartFolder(TextView folder);
// A path as a folder name: ending with one backslash; empty stays empty.
Text AsFolder(TextView path);
