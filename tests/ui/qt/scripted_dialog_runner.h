// Runs a dialog without a modal loop: shows it, lets the test act on it, then
// presses Esc if it is still open. What the test does happens in between.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <functional>

#include "ui/qt/dialog_runner.h"

namespace rqx340::test {

// Handles what is pending, without waiting.
inline void ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

inline void PressKey(QWidget& widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(&widget, &release);
}

class ScriptedDialogRunner final : public DialogRunner {
 public:
  // Runs with the dialog shown; may end it.
  std::function<void(QDialog&)> script;
  int runs = 0;
  bool still_open_after_script = false;

  int RunModal(QDialog& dialog) override {
    ++runs;
    dialog.show();
    ProcessEvents();
    if (script) script(dialog);
    still_open_after_script = dialog.isVisible();
    if (dialog.isVisible()) PressKey(dialog, Qt::Key_Escape);
    ProcessEvents();
    return dialog.result();
  }
};

}  // namespace rqx340::test
