#pragma once
// Per-thread areas: each service registers a zero-filled area that every thread gets
// its own copy of, created on the thread's first use and cleaned up once when the
// thread ends. Register during start-up on the UI thread; an area registered later is
// still added to other threads' blocks on their next PerThreadGet.
#include <cstddef>
#include <cstdint>
#include <new>

using PerThreadRoutine = void (*)(void* area);

// Registers an area of `size` bytes (rounded up to 8); returns its offset. `initialise`
// runs on each thread's new area (and at once on the calling thread's), `cleanUp` when
// a thread ends. Either may be null.
int64_t PerThreadRegister(size_t size, PerThreadRoutine initialise, PerThreadRoutine cleanUp);

// The calling thread's area at `offset`, creating the thread's block on first use.
void* PerThreadGet(int64_t offset);

// A service's per-thread state of type T, made on a thread's first use and destroyed
// when the thread ends. Construct once during the service's initialisation.
template <class T>
class PerThread {
 public:
  PerThread() : offset_(PerThreadRegister(sizeof(T*), &Create, &Destroy)) {}
  T& Get() const { return **static_cast<T**>(PerThreadGet(offset_)); }

 private:
  static void Create(void* area) { *static_cast<T**>(area) = new T(); }
  static void Destroy(void* area) {
    delete *static_cast<T**>(area);
    *static_cast<T**>(area) = nullptr;
  }
  int64_t offset_;
};
