// The program's command-line answers as a Command Prompt shows them. Windows gives a
// window program started there no standard output at all; Wine hands it the parent's
// handles, so the test starts the program as Windows would, with none.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "texts.h"

namespace {

// The program is copied beside the tests by the build.
std::filesystem::path TrawlProgram() {
  wchar_t own[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  return std::filesystem::path(std::wstring(own, length)).parent_path() / L"trawl.exe";
}

// Everything the console shows, row after row, blanks included.
std::wstring ConsoleScreen() {
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::wstring text;
  if (screen != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(screen, &info)) {
    text.resize(static_cast<size_t>(info.dwSize.X) * (info.dwCursorPosition.Y + 1));
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                &read);
    text.resize(read);
  }
  if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
  return text;
}

// In a process of its own: a fresh console, the program started in it with no standard
// handles, and the console's text compared. Ends the process with 0 when `expected`
// shows, else prints what showed.
[[noreturn]] void RunInFreshConsole(const char* argument, const Text& expected) {
  FreeConsole();
  if (!AllocConsole()) {
    std::fprintf(stderr, "no console: %lu\n", GetLastError());
    std::exit(2);
  }
  const std::filesystem::path program = TrawlProgram();
  std::wstring line = L"trawl.exe " + std::wstring(argument, argument + std::strlen(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // and all three left empty
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::fprintf(stderr, "not started: %lu\n", GetLastError());
    std::exit(3);
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::wstring screen = ConsoleScreen();
  std::erase(screen, L'\0');
  // A line longer than the console is wide goes on in the next row: the screen read row
  // after row holds it whole.
  if (screen.find(std::wstring(expected.begin(), expected.end())) != std::wstring::npos)
    std::exit(0);
  std::fprintf(stderr, "the console showed [%ls]\n", screen.c_str());
  std::exit(1);
}

TEST(CommandPrompt, HelpAndVersionShowInTheConsoleTheProgramWasStartedFrom) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const TextTable& texts = TextTable::BuiltIn();
  const struct {
    const char* argument;
    Text expected;
  } cases[] = {{"--version", texts.Clear(TextRole::VersionLine)},
               {"--help", texts.Clear(TextRole::HelpLine)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EXIT(RunInFreshConsole(c.argument, c.expected), ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
