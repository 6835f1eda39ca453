// The Windows parts of the catalogue server tests' helpers.
#include <winsock2.h>
#include <windows.h>

#include "catalogue_checks.h"
#include "server_platform.h"

namespace checks {
namespace {

constexpr DWORD kGuardMs = 20000;

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote, which is escaped itself.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// The program is copied beside the tests by the build.
std::filesystem::path ServerProgram() {
  wchar_t own[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  return std::filesystem::path(std::wstring(own, length)).parent_path() /
         TRAWL_CATALOGUE_SERVER_BINARY;
}

// Console control events reach every process of a console, this one included while it
// is attached: it must outlive them.
BOOL WINAPI IgnoreControl(DWORD) { return TRUE; }

}  // namespace

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

std::string RawExchange(int port, const std::string& request, bool endSending) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return {};
  SOCKET sock = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  DWORD guard = 10000;  // a hung server fails the test instead of stalling it
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&guard), sizeof guard);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      send(sock, request.data(), static_cast<int>(request.size()), 0) >= 0) {
    if (endSending) shutdown(sock, SD_SEND);
    char buffer[4096];
    for (int n; (n = recv(sock, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  }
  closesocket(sock);
  return answer;
}

struct Child::Process {
  PROCESS_INFORMATION info{};
  HANDLE output = nullptr;
};

// The child gets a console of its own, hidden, as a program started from the Start menu
// has one; its control events are sent there.
Child::Child(std::vector<std::string> args, const std::filesystem::path& errorFile)
    : process_(std::make_unique<Process>()) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&process_->output, &write, &inherited, 0)) return;
  SetHandleInformation(process_->output, HANDLE_FLAG_INHERIT, 0);
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE error = CreateFileW(errorFile.c_str(), GENERIC_WRITE, share, &inherited, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, share, &inherited, OPEN_EXISTING, 0, nullptr);
  const std::filesystem::path program = ServerProgram();
  std::wstring line = Quoted(program.native());
  for (const std::string& arg : args)
    line += L" " + Quoted(catalogue::platform::PathFromUtf8(arg).native());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input;
  startup.hStdOutput = write;
  startup.hStdError = error;
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                      nullptr, nullptr, &startup, &process_->info))
    process_->info = {};
  CloseHandle(write);
  CloseHandle(error);
  CloseHandle(input);
}

Child::~Child() {
  if (process_->info.hProcess) {
    if (WaitForSingleObject(process_->info.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_->info.hProcess, 1);
      WaitForSingleObject(process_->info.hProcess, kGuardMs);
    }
    CloseHandle(process_->info.hProcess);
    CloseHandle(process_->info.hThread);
  }
  if (process_->output) CloseHandle(process_->output);
}

std::string Child::FirstLine() {
  std::string line;
  const ULONGLONG end = GetTickCount64() + kGuardMs;
  while (process_->output && GetTickCount64() < end) {
    DWORD available = 0, read = 0;
    if (!PeekNamedPipe(process_->output, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available == 0) {
      Sleep(10);
      continue;
    }
    char c;
    if (!ReadFile(process_->output, &c, 1, &read, nullptr) || read != 1 || c == '\n') break;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int Child::ExitCode() {
  DWORD code = 0;
  if (!process_->info.hProcess ||
      WaitForSingleObject(process_->info.hProcess, kGuardMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_->info.hProcess, &code))
    return -1;
  return static_cast<int>(code);
}

std::vector<std::string> StopRequests() { return {"Ctrl+C", "Ctrl+Break"}; }

// Wine delivers Ctrl+C only; closing the window there ends the process without an event.
bool Child::RequestStop(const std::string& how) {
  static const bool ignoring = SetConsoleCtrlHandler(IgnoreControl, TRUE);
  (void)ignoring;
  // A process is attached to one console at a time: this one's own is let go for good.
  FreeConsole();
  if (!AttachConsole(process_->info.dwProcessId)) return false;
  bool sent = GenerateConsoleCtrlEvent(how == "Ctrl+C" ? CTRL_C_EVENT : CTRL_BREAK_EVENT, 0);
  FreeConsole();
  return sent;
}

}  // namespace checks
