// jemalloc reads its settings from this symbol when the program starts (it is compiled
// into each program that links the allocator, see cmake/Allocator.cmake). Huge pages for
// the heap's memory and for jemalloc's own records: a large list grows with one page fault
// per 2 MiB instead of one per 4 KiB.
//
// One arena for all threads. jemalloc otherwise gives a new thread an arena of its own
// and, when the last thread of an arena ends, hands all of that arena's free memory back
// to the system; a download run starts a worker and a transfer thread per picture, so
// every picture faulted its buffers in again (some 90 page faults a picture). The arena
// the UI thread holds is never left empty, and the few threads that allocate at once
// meet in it rarely: each has its own cache of small blocks.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:always,narenas:1";
}
