#pragma once
// Random numbers for names and choices that must differ between threads and between
// processes (not for secrets): one generator per process, seeded once from the system's
// randomness and, should that be a fixed sequence (some platforms' have been), the clock.
// Seeding once matters: on a virtual machine asking the system's source costs tens of
// microseconds, and a download run has threads of its own for every picture.
//
// Thread safety: any thread.
#include <cstdint>

uint64_t RandomNumber();
