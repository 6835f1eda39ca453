#include "app_state.h"

Text ProgramFolder;
Text DownloadFolder;
std::atomic<int64_t> DownloadActive{0};
std::atomic<int64_t> StopRequested{0};
std::atomic<int64_t> ShutdownRequested{0};

void AppStateReset() {
  ProgramFolder.clear();
  DownloadFolder.clear();
  DownloadActive = 0;
  StopRequested = 0;
  ShutdownRequested = 0;
}
