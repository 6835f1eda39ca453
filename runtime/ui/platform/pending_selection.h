#pragma once
// Selection changes a report list gathers before handing them to its control. Controls
// pay for each row selected on its own: Qt copies its whole selection per call (it keeps
// a range per call), and Wine's list view draws a focus rectangle at once for every row
// that takes the focus mark. Gathered, a select-all is one range or one message.
//
// Thread safety: none; the UI thread owns every list.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

class PendingSelection {
 public:
  // Neighbouring rows, first to last.
  struct Run {
    int64_t first, last;
    bool operator==(const Run&) const = default;
  };

  bool Empty() const { return last_ < 0 && !focus_; }

  // `row` of `rowCount` is to be selected, and then takes the focus mark unless it has
  // it, or is not to be, and then loses the focus mark if it has it. `focusedRow`: the
  // row with the focus mark now (FocusedRow of this and the control), -1 for none.
  void Record(int64_t row, bool selected, int64_t rowCount, int64_t focusedRow) {
    if (row < 0 || row >= rowCount) return;
    if (static_cast<int64_t>(wanted_.size()) <= row)
      wanted_.resize(static_cast<size_t>(rowCount), kUntouched);
    wanted_[row] = selected ? kSelected : kNotSelected;
    if (selected && focusedRow != row) focus_ = row;
    if (!selected && focusedRow == row) focus_ = -1;
    first_ = std::min(first_, row);
    last_ = std::max(last_, row);
  }

  // Whether `row` is gathered as selected; nullopt for a row not gathered.
  std::optional<bool> Selected(int64_t row) const {
    if (row < first_ || row > last_ || wanted_[row] == kUntouched) return std::nullopt;
    return wanted_[row] == kSelected;
  }
  // The row the focus mark moves to (-1: none); nullopt when it stays.
  std::optional<int64_t> Focus() const { return focus_; }
  // Whether every one of `rowCount` rows is gathered as `selected`.
  bool EveryRow(bool selected, int64_t rowCount) const {
    if (first_ != 0 || last_ != rowCount - 1) return false;
    const int8_t wanted = selected ? kSelected : kNotSelected;
    return std::all_of(wanted_.begin(), wanted_.begin() + rowCount,
                       [wanted](int8_t each) { return each == wanted; });
  }
  // Calls run(first, last, selected) for each run of neighbouring rows gathered alike.
  template <class Run>
  void ForEachRun(Run run) const {
    for (int64_t row = first_; row <= last_;) {
      int64_t end = row;
      while (end < last_ && wanted_[end + 1] == wanted_[row]) ++end;
      if (wanted_[row] != kUntouched) run(row, end, wanted_[row] == kSelected);
      row = end + 1;
    }
  }

  // The selected rows once the gathered changes are made to `selected`; both are runs in
  // row order that neither overlap nor touch. A control given the result whole keeps
  // one range per run, however the changes came.
  std::vector<Run> Applied(const std::vector<Run>& selected) const {
    std::vector<Run> result;
    auto add = [&result](int64_t first, int64_t last) { AddRun(result, first, last); };
    size_t next = 0;
    for (; next < selected.size() && selected[next].first < first_; ++next)
      add(selected[next].first, std::min(selected[next].last, first_ - 1));
    if (next > 0 && selected[next - 1].last >= first_) --next;  // it goes on past first_
    for (int64_t row = first_; row <= last_; ++row) {
      while (next < selected.size() && selected[next].last < row) ++next;
      const bool was = next < selected.size() && selected[next].first <= row;
      if (wanted_[row] == kUntouched ? was : wanted_[row] == kSelected) add(row, row);
    }
    for (; next < selected.size(); ++next)
      add(std::max(selected[next].first, last_ + 1), selected[next].last);
    return result;
  }

  // Appends rows first to last (none when last < first) to runs in row order, joining
  // the last run when they overlap or touch it.
  static void AddRun(std::vector<Run>& runs, int64_t first, int64_t last) {
    if (first > last) return;
    if (!runs.empty() && runs.back().last + 1 >= first)
      runs.back().last = std::max(runs.back().last, last);
    else
      runs.push_back({first, last});
  }

  void Clear() {
    wanted_.clear();
    first_ = INT64_MAX;
    last_ = -1;
    focus_.reset();
  }

 private:
  static constexpr int8_t kUntouched = 0, kSelected = 1, kNotSelected = -1;

  std::vector<int8_t> wanted_;  // per row up to last_
  int64_t first_ = INT64_MAX, last_ = -1;
  std::optional<int64_t> focus_;
};
