// The dialog program's window until the measurement dialog takes its place: the
// template's caption, size and Close button, resizable, its size kept in the
// settings.
#pragma once

#include <QLabel>
#include <QPushButton>

#include "app/rqx340_app.h"
#include "ui/dialog_units.h"
#include "ui/resizing_dialog.h"

namespace rqx340 {

// The template: its client area in dialog units.
inline constexpr int kTemplateWidthDu = 389;
inline constexpr int kTemplateHeightDu = 201;

class CRQX340PlaceholderDlg final : public CQWResizingDialog {
 public:
  explicit CRQX340PlaceholderDlg(CRQX340App& app);

  const DialogUnits& Units() const { return m_units; }
  // The client size of the template in pixels.
  QSize TemplateSize() const;

 protected:
  void OnInitDialog() override;
  void OnSize() override;
  // Esc and the window's close box come here (QDialog sends a close through
  // reject), as does the Close button.
  void reject() override;

 private:
  void OnCancel();

  CRQX340App& m_app;
  DialogUnits m_units;
  QLabel m_text;
  QPushButton m_close;
};

// Centres `window` on the primary screen. Before a window is first shown its
// frame is not known, so its client size stands for its size.
void CentreOnPrimaryScreen(QWidget& window);

}  // namespace rqx340
