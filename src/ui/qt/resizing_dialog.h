// A dialog laid out once at its template size that the user can resize: the
// derived dialog registers its controls with anchor flags, and every size change
// moves and stretches each control relative to where it was when the dialog was
// set up. The dialog never gets smaller than that, and a size grip in the
// bottom-right corner can be dragged.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/anchor_layout.h"

namespace rqx340 {

// One registered control.
struct CQWResizingControl {
  CQWResizingControl(std::uint32_t id, std::uint32_t flags, QWidget* control)
      : m_nID(id), m_nFlags(flags), m_pControl(control) {}

  std::uint32_t m_nID;
  Rect m_rcInitial;  // in the dialog's client coordinates; zero until OnInitDialog
  std::uint32_t m_nFlags;
  QWidget* m_pControl;  // a child of the dialog, owned by it
};

// The size grip. It relies on Qt's implicit grab: from the press on, the grip
// gets every mouse event until the release, wherever the pointer goes.
class CQWSizeGripWnd final : public QWidget {
 public:
  explicit CQWSizeGripWnd(QWidget* dialog);

  bool Dragging() const { return m_bDragging; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ResizeDialog(const QPoint& global_position);

  bool m_bDragging = false;
  QPoint m_ptDragStart;   // global position of the press
  QSize m_sizeDragStart;  // the dialog's size at the press
};

class CQWResizingDialog : public QDialog {
 public:
  // The grip's control id.
  static constexpr std::uint32_t kSizeGripId = 100;

  explicit CQWResizingDialog(QWidget* parent = nullptr);
  ~CQWResizingDialog() override;

  // Registers a control before OnInitDialog. `control` is a child of the dialog.
  void AddControl(std::uint32_t id, std::uint32_t flags, QWidget* control);
  // The registered control `id`, or null.
  QWidget* GetDlgItem(std::uint32_t id) const;

  const Rect& InitialWindowRect() const { return m_rcInitialWindow; }
  const Rect& InitialClientRect() const { return m_rcInitialClient; }
  const std::vector<CQWResizingControl>& Controls() const { return m_arrControls; }
  CQWSizeGripWnd& SizeGrip() { return m_wndSizeGrip; }

  // Showing the dialog the first time runs OnInitDialog before it appears.
  void setVisible(bool visible) override;

  // Sizes the client area. Qt holds back the resize events of a hidden window
  // until it is shown; here they are delivered at once, so OnSize runs for a
  // size set before the dialog is first shown, as it does for a visible one.
  // Returns whether the size changed.
  bool ResizeClient(const QSize& size);

 protected:
  // Takes the initial size and rectangles and places the grip; a derived dialog
  // registers its controls, then calls this. The initial size becomes the
  // minimum size.
  virtual void OnInitDialog();
  // Lays out the grip and the controls; runs for every size change.
  virtual void OnSize();

  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceSizeGrip();

  bool m_bInitDialogDone = false;
  CQWSizeGripWnd m_wndSizeGrip;
  std::vector<CQWResizingControl> m_arrControls;
  Rect m_rcInitialWindow;
  Rect m_rcInitialClient;
};

// `widget`'s rectangle in the coordinates of `dialog`, which it lies in.
Rect RectInDialog(const QWidget& widget, const QWidget& dialog);

}  // namespace rqx340
