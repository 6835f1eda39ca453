#pragma once
// Shared by the toolkit tests on Qt: the event recorder, access to the Qt widgets behind
// platform handles, and a shown window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "event_recorder.h"
#include "events.h"
#include "text.h"
#include "toolkit_windows.h"

inline Text FromQ(const QString& text) {
  return Text(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

inline QWidget* WidgetAt(int64_t handle) { return reinterpret_cast<QWidget*>(handle); }

// Shows a window and waits until it is the active one, so that focus and keys work.
bool ShowActive(int64_t windowHandle);


// Calls `act` on the modal widget of type T once one is up (polled by a timer on the
// UI thread); the timer stops after it acted.
template <class T>
void WhenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start(20);
}

// Window 2, 640 x 300 and sizable, shown and active; menu events are recorded.
class ShownWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    RecordEvents(kEventMenu);
    WindowCreate(2, 0, 0, 640, 300, u"shown", 0xCF0000);
    ASSERT_TRUE(ShowActive(WindowGetHandle(2)));
    ForgetEvents();
  }
  void TearDown() override {
    WindowClose(2);
    ForgetEvents();
  }
};
