#include "startup.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

#include "app_state.h"
#include "catalogue_items.h"
#include "catalogue_query.h"
#include "download_folder.h"
#include "events.h"
#include "files.h"
#include "fonts.h"
#include "gadgets.h"
#include "images.h"
#include "list_commands.h"
#include "main_window.h"
#include "menus.h"
#include "network.h"
#include "program.h"
#include "requesters.h"
#include "run_commands.h"
#include "size_query.h"
#include "statusbar.h"
#include "threads.h"
#include "toolbar.h"
#include "toolkit.h"
#include "toolkit_windows.h"
#include "worker_events.h"
#include "xml_document.h"

namespace {

using R = TextRole;

constexpr int64_t kMarkFontPoints = 216;

std::atomic<AppToolkitHook> toolkitHook{nullptr};

void CallHook(bool started) {
  if (AppToolkitHook hook = toolkitHook.load()) hook(started);
}

}  // namespace

void StartServices(int& argc, char** argv) {
  ToolkitInit(argc, argv);
  CallHook(true);
  EventServiceInit();
  FontServiceInit();
  ImageServiceInit();
  FileServiceInit();
  WindowServiceInit();
  GadgetServiceInit();
  MenuServiceInit();
  StatusbarServiceInit();
  ToolbarServiceInit();
  ThreadServiceInit();
  XmlServiceInit();
  NetworkServiceInit();
}

void StopServices() {
  XmlServiceEnd();
  ThreadServiceEnd();
  NetworkEnd();
  MenuServiceEnd();
  ToolbarServiceEnd();
  StatusbarServiceEnd();
  GadgetServiceEnd();
  WindowServiceEnd();
  FileServiceEnd();
  EventServiceEnd();
  ImageServiceEnd();
  FontServiceEnd();
  CallHook(false);
  ToolkitEnd();
}

namespace {

// Only the first failing address is reported; after it nothing else is checked.
bool ConnectivityChecked() {
  const std::pair<R, R> checks[] = {{R::ConnectivityFirst, R::ConnectivityErrorFirst},
                                    {R::ConnectivitySecond, R::ConnectivityErrorSecond}};
  for (const auto& [address, error] : checks) {
    if (!CheckConnectivity(T(address))) {
      ShowMessageBox(T(R::ConnectivityErrorTitle), T(error), kMessageError);
      return false;
    }
  }
  return true;
}

void BindMenu(int64_t item, EventCallback handler) {
  EventBind(kEventMenu, handler, kMainWindow, item);
}

void BindHandlers() {
  BindMenu(kMenuClear, &CommandClear);
  BindMenu(kMenuDownload, &CommandDownload);
  BindMenu(kMenuStop, &CommandStop);
  BindMenu(kMenuSearch, &RunCatalogueQuery);
  BindMenu(kMenuCheckSelected, &CommandCheckSelected);
  BindMenu(kMenuCheckAll, &CommandCheckAll);
  BindMenu(kMenuUncheckAll, &CommandUncheckAll);
  BindMenu(kMenuInvertChecks, &CommandInvertChecks);
  BindMenu(kMenuSizeOfEntry, &CommandSizeOfEntry);
  BindMenu(kMenuSizeOfSelected, &CommandSizeOfSelected);
  BindMenu(kMenuSizeOfAll, &CommandSizeOfAll);
  BindMenu(kMenuRequeueFailed, &CommandRequeueFailed);
  BindMenu(kMenuResetAll, &CommandResetAll);
  BindMenu(kMenuSelectAll, &CommandSelectAll);
  GadgetEventBind(kFolderButton, &CommandChooseFolder);
  GadgetEventBind(kItemList, &CommandListClick);
  EventBind(kEventSizeWindow, &LayoutMainWindow);
  EventBind(kEventEntryDone, &StartNextEntry);
  EventBind(kEventEntryFailed, &EntryFailed);
  EventBind(kEventEntryAborted, &RunStopped);
}

void RunEventLoop() {
  int64_t quit = 0;
  do {
    if (EventWait(kWaitForever) == kEventCloseWindow) quit = 1;
  } while (quit == 0);
}

}  // namespace

void AppSetToolkitHook(AppToolkitHook hook) { toolkitHook = hook; }

Text CommandLineAnswer(int argc, char** argv, const TextTable& texts) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i] ? argv[i] : "";
    if (argument == "--help") return texts.Clear(R::HelpLine);
    if (argument == "--version") return texts.Clear(R::VersionLine);
  }
  return Text();
}

bool StopWorkers(int64_t boundMs) {
  StopRequested = 1;
  ShutdownRequested = 1;
  // The window goes at once; the wait below is the workers' business, not the user's.
  WindowSetHidden(kMainWindow, 1, 0);
  // Workers waiting for the UI thread are let go: it will not serve them any more.
  ToolkitRefuseWorkerCalls();
  return ThreadWaitAll(boundMs) != 0;
}

int AppMain(int argc, char** argv, const TextTable& texts) {
  AppStateReset();
  WorkerEventsReset();
  StartServices(argc, argv);
  TextsLoad(texts);
  ImageRegisterJpeg();
  FontLoad(kMarkFont, T(R::FontFace), kMarkFontPoints, kFontBold);
  ProgramFolder = PathOfFile(ProgramFilePath());
  const auto [pictures, home] = UserFolders();
  DownloadFolder = StartDownloadFolder(ProgramFolder, pictures, home);
  DownloadActive = 0;
  StopRequested = 0;
  CatalogueItemsClear();
  NetworkStart();
  if (ConnectivityChecked()) {
    ShowMessageBox(T(R::NoticeTitle), T(R::NoticeText), kMessageWarning);
    BuildMainWindow();
    BindHandlers();
    WindowSetHidden(kMainWindow, 0, 0);
    RunEventLoop();
  }
  // A worker still running after the bound may be inside any service: releasing them
  // under it would crash, so the process ends here instead.
  if (!StopWorkers(kWorkerStopMs)) std::_Exit(0);
  StopServices();
  CatalogueItemsClear();
  return 0;
}
