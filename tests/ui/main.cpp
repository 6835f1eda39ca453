// The toolkit suite runs on the offscreen platform: no display is needed.
#include <gtest/gtest.h>

#include <QTimer>

#include "event_recorder.h"
#include "events.h"
#include "toolkit_windows.h"
#include "ui_support.h"

bool ShowActive(int64_t windowHandle) {
  QWidget* window = WidgetAt(windowHandle);
  window->show();
  window->raise();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return RunTestsWithToolkit(argc, argv);
}
