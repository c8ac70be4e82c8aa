// How the application runs its dialog: modally in the program, and without a
// modal loop in tests, which script the dialog and then end it.
#pragma once

#include <QDialog>

namespace rqx340 {

class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  // Shows `dialog` and returns its result once it has ended.
  virtual int RunModal(QDialog& dialog) = 0;
};

// The program's runner: QDialog::exec.
class ModalDialogRunner final : public DialogRunner {
 public:
  int RunModal(QDialog& dialog) override { return dialog.exec(); }
};

}  // namespace rqx340
