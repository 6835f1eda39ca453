#include "download_worker.h"

#include <cmath>

#include "app_state.h"
#include "catalogue_items.h"
#include "drawing.h"
#include "events.h"
#include "files.h"
#include "fonts.h"
#include "gadgets.h"
#include "http.h"
#include "images.h"
#include "item_rows.h"
#include "memory.h"
#include "program.h"
#include "random_numbers.h"
#include "replace_file.h"
#include "report_list.h"
#include "size_query.h"
#include "texts.h"
#include "threads.h"

namespace {

constexpr int64_t kPollingMs = 125;
constexpr int64_t kPicture = 100;
constexpr double kMarkAngle = 45.0;
constexpr uint32_t kMarkColour = 0x0000FF;  // red
constexpr double kOffsetFactor = 0.707 / 2.0;

// Characters no file name of ours may hold: separators of either platform, and the ones
// that common file systems refuse.
bool IsRefused(char16_t c) {
  return c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':' || c == u'*' ||
         c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|';
}

int JpegQuality() { return static_cast<int>(RandomNumber() % 2); }

// Draws the mark across the picture's centre and stores it again strongly compressed
// (the image service replaces the file only once the new encoding is complete).
void MarkPicture(const Text& path) {
  if (ImageLoad(kPicture, path, 0) == 0) return;
  if (DrawBegin(ImageDrawTarget(kPicture))) {
    const Text& mark = T(TextRole::MarkText);
    DrawSetFont(FontGetHandle(kMarkFont));
    int64_t offset = static_cast<int64_t>(std::nearbyint(DrawTextWidth(mark) * kOffsetFactor));
    int64_t x = ImageGetWidth(kPicture) / 2 - offset;
    int64_t y = ImageGetHeight(kPicture) / 2 + offset;
    DrawTextRotated(x, y, mark, kMarkAngle, kMarkColour);
    DrawEnd();
    ImageSave(kPicture, path, kImageFormatJpeg, JpegQuality(), -1);
  }
  ImageFree(kPicture);
}

// Checks, saves and marks the received data; the event to report. Only a picture that
// was saved whole counts as done. Once the window has closed nothing more is saved: the
// toolkit no longer answers, so no row could name the file.
int32_t SaveEntry(int64_t entry, const uint8_t* data, int64_t size) {
  // Not a picture (an error page, say), or one cut short: nothing is saved.
  if (JpegMarkers(data, size) != 2) return kEventEntryFailed;
  if (ShutdownRequested != 0) return kEventEntryAborted;
  int64_t row = DownloadingRow(entry);
  if (row < 0) return kEventEntryFailed;
  ListSetCellText(kItemList, row, GroupDigits(size), kColumnSize);
  const Text name = SafeFileName(ListGetCellText(kItemList, row, kColumnName));
  if (name.empty() || ShutdownRequested != 0) return kEventEntryFailed;
  // The folder chosen at start is made by the first picture saved into it.
  FolderCreate(DownloadFolder);
  // A name too long for the file system would lose the picture.
  const Text path = DownloadFolder + FitFileName(DownloadFolder, name);
  // A copy that cannot be written whole must not cost the good file already there.
  if (!ReplaceFileWhole(path, data, size)) return kEventEntryFailed;
  if (ShutdownRequested == 0) MarkPicture(path);
  GadgetSetValue(kFileProgressBar, 0);
  GadgetSetValue(kBatchProgressBar, GadgetGetValue(kBatchProgressBar) + 1);
  return kEventEntryDone;
}

// Polls the transfer until it ends, asking it to stop while StopRequested is set. The
// event to report.
int32_t FollowTransfer(int64_t entry, int64_t transfer, int64_t expected) {
  for (;;) {
    int64_t progress = TransferProgress(transfer);
    if (progress == kTransferCompleted) break;
    if (progress == kTransferFailed || progress == kTransferAborted) {
      FinishTransfer(transfer);
      return progress == kTransferFailed ? kEventEntryFailed : kEventEntryAborted;
    }
    if (StopRequested != 0) RequestTransferAbort(transfer);
    if (expected > 0) GadgetSetValue(kFileProgressBar, progress * 100 / expected);
    TransferWait(transfer, kPollingMs);  // a small picture is seen to its end at once
  }
  uint8_t* data = FinishTransfer(transfer);
  int32_t event = SaveEntry(entry, data, MemorySize(data));
  MemoryFree(data);
  return event;
}

int32_t FetchEntry(int64_t entry) {
  int64_t expected = QueryEntrySize(entry, &StopRequested);
  // A stop that came during the header request ends the entry before its fetch begins.
  if (StopRequested != 0) return kEventEntryAborted;
  Text address = CatalogueItemsGet(entry).address;
  if (address.empty()) return kEventEntryFailed;
  int64_t transfer = FetchToMemory(address, kFetchAsync, kDefaultUserAgent, kPictureSizeLimit);
  if (transfer == 0) return kEventEntryFailed;
  return FollowTransfer(entry, transfer, expected);
}

}  // namespace

int64_t DownloadingRow(int64_t entry) {
  // An entry's handle is its row's position plus one; the scan is the fallback. The
  // search from that row answers in one call whether it is in the list, checked and
  // downloading.
  const int64_t likely = entry - 1;
  if (likely >= 0 && FirstRunRow(TextRole::StatusTextDownloading, likely) == likely &&
      ListGetItemValue(kItemList, likely) == entry) {
    return likely;
  }
  return FirstRunRow(TextRole::StatusTextDownloading, 0);
}

int32_t DownloadWorker(int64_t entry) {
  // The event goes out last, after file 1 and image 100 are released, so the next
  // worker never meets them in use.
  EventPost(FetchEntry(entry));
  return 0;
}

Text SafeFileName(const Text& name) {
  if (name.empty()) return Text();
  if (name == u"." || name == u"..") return Text(name.size(), u'_');
  Text safe = name;
  for (char16_t& c : safe) {
    if (IsRefused(c)) c = u'_';
  }
  return NameKeptAsIs(safe);
}

int JpegMarkers(const uint8_t* data, int64_t size) {
  if (data == nullptr || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return 0;
  if (size < 4 || data[size - 2] != 0xFF || data[size - 1] != 0xD9) return 1;
  return 2;
}
