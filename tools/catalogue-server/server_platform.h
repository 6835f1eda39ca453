#pragma once
// What the catalogue server does differently on each platform, with one implementation
// file per platform (server_platform_posix.cpp, server_platform_win32.cpp): file names
// as UTF-8, hidden entries, the listening socket's options, and how the program gets its
// arguments and is told to stop.
//
// The stop functions belong to the program's main thread; the rest may be called from
// any thread.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

class CatalogueServer;

namespace platform {

// The path as UTF-8 text. On POSIX the bytes as they are (they need not be UTF-8); on
// Windows the UTF-16 name converted, with unpaired surrogates as U+FFFD.
std::string Utf8Path(const std::filesystem::path& path);

// The path a UTF-8 text names (the reverse of Utf8Path).
std::filesystem::path PathFromUtf8(std::string_view text);

// Whether a folder entry is hidden: a leading dot, and on Windows also the hidden or
// system attribute.
bool IsHidden(const std::filesystem::directory_entry& entry);

// Makes writing to a connection that the client has closed an error instead of the end
// of the process (SIGPIPE on POSIX; nothing to do on Windows).
void IgnoreBrokenPipes();

// Options for a listening socket (httplib's socket_t): a quick restart may rebind the
// port, but a port another server listens on stays an error.
void SetListenOptions(std::uintptr_t socket);

// The program's arguments after its name, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies the process for stop requests (and on Windows its console for UTF-8); call
// before any thread starts.
void PrepareProcess();

// Blocks until a stop is requested or the server stops serving by itself.
void WaitForStopRequest(const CatalogueServer& server);

// Whether a stop is requested within `wait`. A process that did not call PrepareProcess
// only waits.
bool StopRequested(std::chrono::milliseconds wait);

// Before the process ends with `exitCode`. On Windows a failing program in a console
// window of its own (started from the Start menu) waits for a key, or its window would
// close before the message can be read. Nothing on POSIX.
void BeforeExit(int exitCode);

// How to stop the program, for its usage text.
std::string_view StopRequestHelp();

}  // namespace platform
}  // namespace catalogue
