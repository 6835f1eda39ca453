#pragma once
// The download worker: fetches one catalogue entry on its own thread, shows its progress
// in the file bar, saves the picture under its row's name in the download folder, marks
// it and stores it again strongly compressed, advances the batch bar and posts exactly
// one of the entry events (done, failed, aborted) as its last action.
//
// A picture is written beside its file and renamed over it once complete, so a failed
// save leaves the file that was there before untouched. Bodies over kPictureSizeLimit
// fail the entry.
//
// Thread safety: one worker runs at a time (image 100 is its own). It reads
// StopRequested and DownloadFolder and calls the toolkit, which carries its calls out on
// the UI thread; row statuses are left to the event handlers on the UI thread.
#include <cstdint>

#include "text.h"

constexpr int64_t kPictureSizeLimit = int64_t{1} << 30;

// Thread routine; `entry` is the attached value of the entry's row. Returns 0.
int32_t DownloadWorker(int64_t entry);

// The row of the entry being downloaded: the first checked row marked downloading, or
// -1. The entry's own row is looked at first, since every look is a call to the UI thread.
int64_t DownloadingRow(int64_t entry);

// A file name that stays inside the folder it is joined to: path separators, control
// characters and characters file systems refuse become "_"; "." and ".." become names of
// their own; on Windows device names and trailing dots and blanks are mended as well
// (NameKeptAsIs). Other names come back unchanged; an empty name stays empty (nothing is
// saved under it).
Text SafeFileName(const Text& name);

// 1 when the data start with the JPEG start-of-image marker, 2 when they also end with
// the end-of-image marker, 0 otherwise.
int JpegMarkers(const uint8_t* data, int64_t size);
