#pragma once
// Tables of numbered objects. Every runtime service keeps its objects (windows, gadgets,
// images, files, documents, ...) in one table, keyed by a number the caller chooses or,
// for the dynamic marker -1, by a handle the table hands out (the record's address).
//
// A record is live while its `handle` member is non-zero; releasing a numbered object
// resets its record to the default state and keeps it in its slot for the next object
// of that number. Creating an object under a number that is in use releases the old one
// first, through the service's release routine.
//
// Thread safety: every operation takes the table's recursive lock for the table work
// only. A record is used afterwards without the lock, so two threads must not create
// and release the same number at once. ForEach holds the lock throughout. The release
// routine runs outside the lock and may call back into the table: it destroys platform
// objects, whose goodbyes take the event lock, and event callbacks look records up under
// that lock, so holding both here would take them in both orders.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

constexpr int64_t kDynamicNumber = -1;
// Numbers above this fail with a null record instead of allocating a huge slot array.
constexpr int64_t kMaxObjectNumber = 1 << 20;

template <class Record>
class ObjectTable {
 public:
  using ReleaseRoutine = std::function<void(int64_t numberOrHandle)>;

  ObjectTable(int64_t growthStep, ReleaseRoutine release)
      : growthStep_(growthStep > 0 ? growthStep : 1), release_(std::move(release)) {
    slots_.resize(static_cast<size_t>(growthStep_));
  }
  ObjectTable(const ObjectTable&) = delete;
  ObjectTable& operator=(const ObjectTable&) = delete;

  // The record for a new object of `number` (a fresh dynamic record for -1), releasing
  // the object that held the number before. Null for numbers below -1 or too large.
  Record* Reserve(int64_t number) {
    if (number == kDynamicNumber) {
      std::lock_guard lock(mutex_);
      return ReserveDynamic();
    }
    if (number < 0 || number > kMaxObjectNumber) return nullptr;
    const bool held = Get(number) != nullptr;
    if (held && release_) release_(number);
    std::lock_guard lock(mutex_);
    if (number >= SlotCount()) slots_.resize(static_cast<size_t>(number + growthStep_));
    auto& slot = slots_[static_cast<size_t>(number)];
    if (!slot)
      slot = std::make_unique<Record>();
    else if (held)
      *slot = Record{};
    return slot.get();
  }

  // The live record of a number or dynamic handle, or null.
  Record* Get(int64_t value) const {
    std::lock_guard lock(mutex_);
    Record* record = Find(value);
    return record && IsLive(*record) ? record : nullptr;
  }

  // Like Get; handles are always checked against the live dynamic records.
  Record* IsValid(int64_t value) const { return Get(value); }

  // Frees a number (its record is reset and kept) or a dynamic handle (its record is freed).
  void Release(int64_t value) {
    std::lock_guard lock(mutex_);
    if (value >= 0 && value < SlotCount()) {
      if (auto& slot = slots_[static_cast<size_t>(value)]) *slot = Record{};
      return;
    }
    auto it = dynamicIndex_.find(value);
    if (it == dynamicIndex_.end()) return;
    dynamic_.erase(it->second);
    dynamicIndex_.erase(it);
  }

  // The release operation of a kind whose records hold nothing to close beyond what
  // resetting them frees: -1 releases every object, any other value that one.
  void ReleaseOneOrAll(int64_t value) {
    if (value == kDynamicNumber)
      ReleaseAll();
    else
      Release(value);
  }

  // Calls the release routine for every live object: numbered ones in increasing order,
  // then dynamic ones, the newest first.
  void ReleaseAll() {
    for (int64_t value : ValuesToRelease()) {
      if (release_ && StillHeld(value)) release_(value);  // an earlier routine may have freed it
      Release(value);  // in case the routine did not
    }
  }

  // Visits every live object: numbered ones in increasing order, then dynamic ones,
  // the oldest first. visit(numberOrHandle, Record&).
  template <class Visit>
  void ForEach(Visit visit) {
    std::lock_guard lock(mutex_);
    for (int64_t n = 0; n < SlotCount(); ++n) {
      auto& slot = slots_[static_cast<size_t>(n)];
      if (slot && IsLive(*slot)) visit(n, *slot);
    }
    for (auto it = dynamic_.rbegin(); it != dynamic_.rend(); ++it)
      if (IsLive(**it)) visit(HandleOf(it->get()), **it);
  }

  // The handle under which a dynamic record is known.
  static int64_t HandleOf(const Record* record) { return reinterpret_cast<intptr_t>(record); }

  int64_t SlotCount() const { return static_cast<int64_t>(slots_.size()); }
  std::recursive_mutex& Mutex() const { return mutex_; }

 private:
  static bool IsLive(const Record& record) { return static_cast<bool>(record.handle); }

  // Live numbers in increasing order, then every dynamic handle, the newest first.
  std::vector<int64_t> ValuesToRelease() const {
    std::lock_guard lock(mutex_);
    std::vector<int64_t> values;
    for (int64_t n = 0; n < SlotCount(); ++n) {
      const auto& slot = slots_[static_cast<size_t>(n)];
      if (slot && IsLive(*slot)) values.push_back(n);
    }
    for (const auto& record : dynamic_) values.push_back(HandleOf(record.get()));
    return values;
  }

  // A live number, or a dynamic handle not yet freed (live or not).
  bool StillHeld(int64_t value) const {
    std::lock_guard lock(mutex_);
    if (value >= 0 && value < SlotCount()) return Get(value) != nullptr;
    return dynamicIndex_.count(value) != 0;
  }

  Record* ReserveDynamic() {
    dynamic_.push_front(std::make_unique<Record>());
    Record* record = dynamic_.front().get();
    dynamicIndex_[HandleOf(record)] = dynamic_.begin();
    return record;
  }

  Record* Find(int64_t value) const {
    if (value >= 0 && value < SlotCount()) return slots_[static_cast<size_t>(value)].get();
    auto it = dynamicIndex_.find(value);
    return it == dynamicIndex_.end() ? nullptr : it->second->get();
  }

  using DynamicList = std::list<std::unique_ptr<Record>>;
  const int64_t growthStep_;
  const ReleaseRoutine release_;
  std::vector<std::unique_ptr<Record>> slots_;
  DynamicList dynamic_;  // newest first
  std::unordered_map<int64_t, typename DynamicList::iterator> dynamicIndex_;
  mutable std::recursive_mutex mutex_;
};
