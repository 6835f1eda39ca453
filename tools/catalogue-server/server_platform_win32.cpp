#include "server_platform.h"

#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include "catalogue_server.h"

namespace catalogue::platform {
namespace {

// Set by the console's control handler, which runs on a thread of its own.
HANDLE stopRequested = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  SetEvent(stopRequested);
  // After these the system ends the process as soon as the handler returns; holding on
  // lets the main thread stop the server and end the process itself.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);
  return TRUE;
}

std::string Utf8(const wchar_t* text, int length) {
  if (length <= 0) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

// The library's own conversions expect text that converts both ways and throw otherwise.
std::string Utf8Path(const std::filesystem::path& path) {
  const std::wstring& native = path.native();
  return Utf8(native.data(), static_cast<int>(native.size()));
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), size);
  return std::filesystem::path(wide);
}

bool IsHidden(const std::filesystem::directory_entry& entry) {
  if (entry.path().filename().native().starts_with(L'.')) return true;
  DWORD attributes = GetFileAttributesW(entry.path().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

void IgnoreBrokenPipes() {}

// Windows lets a second socket with SO_REUSEADDR take over a port that is in use (the
// library's default sets it); the exclusive option refuses the second one instead.
void SetListenOptions(std::uintptr_t socket) {
  BOOL yes = TRUE;
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&yes), sizeof yes);
}

// argv holds the arguments in the ANSI code page, which cannot name every folder.
std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) args.push_back(Utf8(wide[i], lstrlenW(wide[i])));
  LocalFree(wide);
  return args;
}

void PrepareProcess() {
  // The messages and the log are UTF-8, and so are folder names in them.
  SetConsoleOutputCP(CP_UTF8);
  stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void WaitForStopRequest(const CatalogueServer& server) {
  while (server.IsRunning()) {
    if (StopRequested(std::chrono::milliseconds(200))) return;
  }
}

bool StopRequested(std::chrono::milliseconds wait) {
  auto ms = static_cast<DWORD>(wait.count());
  if (!stopRequested) {
    Sleep(ms);
    return false;
  }
  return WaitForSingleObject(stopRequested, ms) == WAIT_OBJECT_0;
}

void BeforeExit(int exitCode) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0, processes[2];
  // Output into a pipe or a file is read elsewhere, and a console shared with others
  // stays open.
  bool ownWindow = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) &&
                   GetConsoleMode(input, &mode) && GetConsoleProcessList(processes, 2) == 1;
  if (exitCode == 0 || !ownWindow) return;
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);  // closing the window ends it at once
  const char prompt[] = "Press a key to close this window.";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), prompt, sizeof prompt - 1, &written, nullptr);
  FlushConsoleInputBuffer(input);
  INPUT_RECORD record;
  DWORD read = 0;
  while (ReadConsoleInputW(input, &record, 1, &read) && read == 1) {
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  }
}

std::string_view StopRequestHelp() {
  return "Ctrl+C, Ctrl+Break or\nclosing the console window stops the server.";
}

}  // namespace catalogue::platform
