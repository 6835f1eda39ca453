#pragma once
// Win32 handles that release themselves: an Owned<Kind> closes its handle when it goes,
// on every way out of a function, and can be moved but not copied. A Kind names the
// handle type, its empty value, how it is released and the tally of live handles of its
// sort. Builds with TRAWL_COUNT_HANDLES (the test builds) keep the tallies, so that a test
// can show that work ends with as many live handles as it began with; elsewhere a tally
// stays 0. An owner belongs to one thread at a time; tallies may be read from any.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <utility>

#ifdef TRAWL_COUNT_HANDLES
inline constexpr bool kCountingHandles = true;
#else
inline constexpr bool kCountingHandles = false;
#endif

// The live handles of one sort, as the owners took and gave them up.
class HandleTally {
 public:
  constexpr explicit HandleTally(const char* name) : name_(name) {}
  HandleTally(const HandleTally&) = delete;
  HandleTally& operator=(const HandleTally&) = delete;

  void Add() {
    if constexpr (kCountingHandles) live_.fetch_add(1, std::memory_order_relaxed);
  }
  void Drop() {
    if constexpr (kCountingHandles) live_.fetch_sub(1, std::memory_order_relaxed);
  }
  int64_t Live() const { return live_.load(std::memory_order_relaxed); }
  const char* Name() const { return name_; }

 private:
  const char* name_;
  std::atomic<int64_t> live_{0};
};

template <class Kind>
class Owned {
 public:
  using Handle = typename Kind::Handle;

  Owned() = default;
  explicit Owned(Handle handle) { Reset(handle); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Kind::kNone)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Kind::kNone);
    }
    return *this;
  }
  ~Owned() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Kind::kNone; }

  // Releases the handle held, then holds `handle` (a failed call's result holds nothing).
  void Reset(Handle handle = Kind::kNone) {
    if (handle_ != Kind::kNone) {
      Kind::Free(handle_);
      Kind::Tally().Drop();
    }
    handle_ = Kind::IsValid(handle) ? handle : Kind::kNone;
    if (handle_ != Kind::kNone) Kind::Tally().Add();
  }
  // Hands the handle to an owner that releases it itself (a control, the system).
  [[nodiscard]] Handle Release() {
    if (handle_ != Kind::kNone) Kind::Tally().Drop();
    return std::exchange(handle_, Kind::kNone);
  }

 private:
  Handle handle_ = Kind::kNone;
};

// A kind of handle that is a pointer, null for none, released by `free`.
template <class H, auto free, HandleTally& tally>
struct PointerKind {
  using Handle = H;
  static constexpr Handle kNone = nullptr;
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Free(Handle handle) { free(handle); }
  static HandleTally& Tally() { return tally; }
};

// Files, threads, events and the other kernel objects closed with CloseHandle; both
// null and INVALID_HANDLE_VALUE mean none.
inline HandleTally kernelHandleTally{"kernel handles"};
struct KernelHandleKind {
  using Handle = HANDLE;
  static constexpr Handle kNone = nullptr;
  static bool IsValid(Handle handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Free(Handle handle) { CloseHandle(handle); }
  static HandleTally& Tally() { return kernelHandleTally; }
};
using KernelHandle = Owned<KernelHandleKind>;
