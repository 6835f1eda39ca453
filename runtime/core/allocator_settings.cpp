// jemalloc reads its settings from this symbol when the program starts (it is compiled
// into each program that links the allocator, see cmake/Allocator.cmake). Huge pages for
// the heap's memory and for jemalloc's own records: a large list grows with one page fault
// per 2 MiB instead of one per 4 KiB.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:always";
}
