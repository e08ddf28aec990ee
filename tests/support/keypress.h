#pragma once
// A key pressed in one of the program's windows as a user presses it: the
// window is activated first, as a click would, so that its shortcuts take
// the key.

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

inline void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = {}) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers);
}
