// The resizing dialog on Qt widgets. A dialog's window size here is its client
// size: Qt does not know the frame before a window is shown (nor at all on
// some platforms), so the minimum size and the grip's arithmetic use the client
// size throughout.
#include "ui/qt/resizing_dialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionSizeGrip>

#include "ui/qt/dialog_font.h"

namespace rqx340 {

Rect RectInDialog(const QWidget& widget, const QWidget& dialog) {
  const QPoint origin =
      widget.parentWidget() == &dialog ? widget.pos() : widget.mapTo(&dialog, QPoint(0, 0));
  return ToRect(QRect(origin, widget.size()));
}

// ---------------------------------------------------------------------------
// CQWSizeGripWnd

CQWSizeGripWnd::CQWSizeGripWnd(QWidget* dialog) : QWidget(dialog) {
  setCursor(Qt::SizeFDiagCursor);
}

void CQWSizeGripWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionSizeGrip option;
  option.initFrom(this);
  option.corner = Qt::BottomRightCorner;
  style()->drawControl(QStyle::CE_SizeGrip, &option, &painter, this);
}

void CQWSizeGripWnd::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  m_bDragging = true;
  m_ptDragStart = event->globalPosition().toPoint();
  m_sizeDragStart = window()->size();
  event->accept();
}

void CQWSizeGripWnd::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  if (m_bDragging) ResizeDialog(event->globalPosition().toPoint());
}

void CQWSizeGripWnd::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !m_bDragging) return;
  m_bDragging = false;
  ResizeDialog(event->globalPosition().toPoint());
}

void CQWSizeGripWnd::ResizeDialog(const QPoint& global_position) {
  const QPoint moved = global_position - m_ptDragStart;
  // The dialog's minimum size bounds the result.
  window()->resize(m_sizeDragStart.width() + moved.x(), m_sizeDragStart.height() + moved.y());
}

// ---------------------------------------------------------------------------
// CQWResizingDialog

CQWResizingDialog::CQWResizingDialog(QWidget* parent) : QDialog(parent), m_wndSizeGrip(this) {
  m_wndSizeGrip.hide();
  // The grip is ours; QDialog's own would be a second one.
  setSizeGripEnabled(false);
}

CQWResizingDialog::~CQWResizingDialog() = default;

void CQWResizingDialog::AddControl(std::uint32_t id, std::uint32_t flags, QWidget* control) {
  m_arrControls.emplace_back(id, flags, control);
}

QWidget* CQWResizingDialog::GetDlgItem(std::uint32_t id) const {
  if (id == kSizeGripId) return const_cast<CQWSizeGripWnd*>(&m_wndSizeGrip);
  for (const CQWResizingControl& control : m_arrControls) {
    if (control.m_nID == id) return control.m_pControl;
  }
  return nullptr;
}

void CQWResizingDialog::setVisible(bool visible) {
  if (visible && !m_bInitDialogDone) {
    m_bInitDialogDone = true;
    OnInitDialog();
  }
  QDialog::setVisible(visible);
}

void CQWResizingDialog::OnInitDialog() {
  m_rcInitialWindow = {0, 0, width(), height()};
  m_rcInitialClient = {0, 0, width(), height()};
  setMinimumSize(size());
  m_wndSizeGrip.show();
  PlaceSizeGrip();
  for (CQWResizingControl& control : m_arrControls) {
    control.m_rcInitial = RectInDialog(*control.m_pControl, *this);
  }
}

void CQWResizingDialog::PlaceSizeGrip() {
  // The grip is as large as a scroll bar is wide, and lies below every control.
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  m_wndSizeGrip.setGeometry(width() - extent, height() - extent, extent, extent);
  m_wndSizeGrip.lower();
}

void CQWResizingDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  OnSize();
}

void CQWResizingDialog::OnSize() {
  // Before OnInitDialog there is nothing to lay out.
  if (m_arrControls.empty() || m_rcInitialClient.IsNull()) return;
  PlaceSizeGrip();
  const Rect client{0, 0, width(), height()};
  for (CQWResizingControl& control : m_arrControls) {
    QWidget& widget = *control.m_pControl;
    const Rect current = RectInDialog(widget, *this);
    const Rect placed =
        AnchoredRect(control.m_nFlags, control.m_rcInitial, current, m_rcInitialClient, client);
    QPoint origin(placed.left, placed.top);
    if (widget.parentWidget() != this) origin = widget.parentWidget()->mapFrom(this, origin);
    widget.setGeometry(origin.x(), origin.y(), placed.Width(), placed.Height());
    widget.update();
  }
}

bool CQWResizingDialog::ResizeClient(const QSize& size) {
  const QSize old_size = this->size();
  resize(size);
  if (!isVisible() && testAttribute(Qt::WA_PendingResizeEvent)) {
    setAttribute(Qt::WA_PendingResizeEvent, false);
    QResizeEvent event(this->size(), old_size);
    QCoreApplication::sendEvent(this, &event);
  }
  return this->size() != old_size;
}

}  // namespace rqx340
