#include "size_query.h"

#include "app_state.h"
#include "catalogue_items.h"
#include "gadgets.h"
#include "http.h"
#include "item_rows.h"
#include "keyboard.h"
#include "report_list.h"
#include "requesters.h"
#include "size_headers.h"
#include "texts.h"
#include "threads.h"
#include "toolkit_windows.h"

int64_t QueryRemoteSizeOf(const Text& address, const std::atomic<int64_t>* abortWhenSet) {
  if (address.empty()) return 0;
  return RemoteSizeFromHeaders(FetchHeaders(address, 0, kDefaultUserAgent, abortWhenSet));
}

int64_t QueryRemoteSize() { return QueryRemoteSizeOf(CatalogueItemsCurrentItem().address); }

int64_t QueryEntrySize(int64_t entry, const std::atomic<int64_t>* abortWhenSet) {
  // An entry that names no record must not fall back on whatever record is current.
  CatalogueItem item;
  if (!CatalogueItemsSelect(entry, &item)) return 0;
  return QueryRemoteSizeOf(item.address, abortWhenSet);
}

bool AddToTotal(int64_t& total, int64_t size) {
  if (size > INT64_MAX - total) return false;
  total += size;
  return true;
}

Text FormatSize(int64_t bytes, int64_t decimals) {
  // The unit is found with integers: a logarithm in floating point misjudges counts
  // just below a power of 1024.
  int64_t exponent = 0;
  double scale = 1.0;
  for (int64_t limit = 1024; bytes >= limit; limit *= 1024) {
    ++exponent;
    scale *= 1024.0;
    if (limit > INT64_MAX / 1024) break;
  }
  int64_t shown = exponent % 2 == 1 ? decimals : 0;
  Text value = TextFromFloat(static_cast<double>(bytes) / scale, shown < 0 ? 0 : shown);
  return value + T(TextRole::UnitSeparator) +
         TextField(T(TextRole::UnitList), exponent + 1, T(TextRole::UnitListSeparator));
}

Text GroupDigits(int64_t value) {
  Text digits = TextFromInt(value);
  size_t first = (!digits.empty() && digits[0] == u'-') ? 1 : 0;
  const Text& separator = T(TextRole::GroupingSeparator);
  Text grouped;
  grouped.reserve(digits.size() + digits.size() / 3 * separator.size());
  grouped.append(digits, 0, first);
  size_t count = digits.size() - first;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) grouped += separator;
    grouped += digits[first + i];
  }
  return grouped;
}

namespace {

// The texts that tell the two total workers apart.
struct TotalTexts {
  TextRole cancelLead;
  TextRole nothingSized;
  TextRole oneEntryLead;
  TextRole manyEntriesLead;
  bool selectedOnly;
};

constexpr TotalTexts kSelectedTotal{TextRole::CancelLeadSelected, TextRole::NothingSizedSelected,
                                    TextRole::OneEntryLeadSelected,
                                    TextRole::ManyEntriesLeadSelected, true};
constexpr TotalTexts kAllTotal{TextRole::CancelLeadAll, TextRole::NothingSizedAll,
                               TextRole::OneEntryLeadAll, TextRole::ManyEntriesLeadAll, false};

struct TotalCounters {
  int64_t rows = 0;
  int64_t index = 0;
  int64_t done = 0;
  int64_t failed = 0;
  int64_t total = 0;
};

// The longest wait for the Escape that cancelled a total to be let go, where the key's
// state is known only from its events: a release that is never reported must not hold the
// window disabled. Where the keyboard itself is read, the real release is waited for, so
// that the message box does not open under a held key.
constexpr int64_t kEscapeReleaseWaitMs = 500;
constexpr int64_t kKeyPollMs = 50;

bool EscapeSeen() { return (KeyGetAsyncState(kKeyEscape) & (kKeyDown | kKeyPressedSince)) != 0; }

void AwaitEscapeRelease() {
  const bool unbounded = KeyStateIsPhysical(kKeyEscape) != 0;
  for (int64_t waited = 0; (unbounded || waited < kEscapeReleaseWaitMs) && ShutdownRequested == 0 &&
                           (KeyGetAsyncState(kKeyEscape) & kKeyDown);
       waited += kKeyPollMs)
    SleepMs(kKeyPollMs);
}

bool RowTakesPart(const TotalTexts& kind, int64_t row) {
  return !kind.selectedOnly || (ListGetItemFlags(kItemList, row) & kListItemSelected) != 0;
}

int64_t CountSelectedRows(int64_t rows) {
  int64_t count = 0;
  for (int64_t row = 0; row < rows; ++row) {
    if (ListGetItemFlags(kItemList, row) & kListItemSelected) ++count;
  }
  return count;
}

Text CountAndSize(const TotalCounters& counters) {
  return TextFromInt(counters.done) + T(TextRole::CountSizeJoiner) + FormatSize(counters.total, 1) +
         T(TextRole::SizeTail);
}

Text FailurePart(TextRole lead, const TotalCounters& counters) {
  return T(lead) + TextFromInt(counters.failed) + T(TextRole::FailureTail);
}

Text FinishedMessage(const TotalTexts& kind, const TotalCounters& counters) {
  if (counters.done == counters.failed) return T(kind.nothingSized);
  if (counters.done == 1) {
    return T(kind.oneEntryLead) + FormatSize(counters.total, 1) + T(TextRole::SizeTail);
  }
  Text message = T(kind.manyEntriesLead) + CountAndSize(counters);
  if (counters.failed > 0) {
    message += FailurePart(TextRole::FailureLead, counters);
    message = TextReplace(message, T(TextRole::RowCountPlaceholder), TextFromInt(counters.rows));
  }
  return message;
}

Text CancelledMessage(const TotalTexts& kind, const TotalCounters& counters) {
  Text message = T(kind.cancelLead);
  if (kind.selectedOnly) message += TextFromInt(counters.index) + T(TextRole::CancelMiddle);
  message += CountAndSize(counters);
  if (counters.failed > 0) message += FailurePart(TextRole::CancelFailureLead, counters);
  return message;
}

void EndTotal(const Text& message, bool cancelled) {
  if (!cancelled) GadgetSetValue(kBatchProgressBar, 0);
  ShowMessageBox(T(TextRole::SizeTotalTitle), message, kMessageInformation);
  if (cancelled) GadgetSetValue(kBatchProgressBar, 0);
  ShowMessage(TextRole::NeutralText);
  WindowSetDisabled(kMainWindow, 0);
}

int32_t RunSizeTotal(const TotalTexts& kind) {
  WindowSetDisabled(kMainWindow, 1);
  TotalCounters counters;
  counters.rows = ListItemCount(kItemList);
  int64_t maximum = kind.selectedOnly ? CountSelectedRows(counters.rows) : counters.rows;
  GadgetSetProperty(kBatchProgressBar, kProgressMaximum, maximum);
  // A press that ended before this total began (say, the Escape that closed the last
  // message box) is not a cancel; a key still held down is.
  KeyGetAsyncState(kKeyEscape);
  for (; counters.index < counters.rows; ++counters.index) {
    if (ShutdownRequested != 0) return 0;  // the window is gone: nobody to tell
    if (EscapeSeen()) {
      AwaitEscapeRelease();
      EndTotal(CancelledMessage(kind, counters), true);
      return 0;
    }
    if (!RowTakesPart(kind, counters.index)) continue;
    ++counters.done;
    int64_t size = QueryEntrySize(ListGetItemValue(kItemList, counters.index), &ShutdownRequested);
    if (size <= 0 || !AddToTotal(counters.total, size)) ++counters.failed;
    GadgetSetValue(kBatchProgressBar, counters.done);
  }
  EndTotal(FinishedMessage(kind, counters), false);
  return 0;
}

}  // namespace

int32_t SelectedSizeWorker(int64_t) { return RunSizeTotal(kSelectedTotal); }

int32_t AllSizeWorker(int64_t) { return RunSizeTotal(kAllTotal); }
