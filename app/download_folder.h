#pragma once
// The download folder a run of the program starts with.
//
// Thread safety: reads the loaded texts and the file system only; any thread.
#include "text.h"

// The program's own folder when the user may write there (a build, a portable copy), as
// it always was. Otherwise (an installed program) a folder of the program's own inside
// the user's pictures folder, which the first save makes; when that folder could not be
// made, the home folder. Every folder given ends with "/" or is empty, and so does the
// result; with no home folder either, the program's folder stays.
Text StartDownloadFolder(const Text& programFolder, const Text& picturesFolder,
                         const Text& homeFolder);
