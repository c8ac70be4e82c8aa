#include "ui/qt/resizing_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

#include "scripted_dialog_runner.h"

namespace rqx340 {
namespace {

using test::ProcessEvents;

// Three controls with different anchors, and a count of the layouts.
class TestDialog final : public CQWResizingDialog {
 public:
  TestDialog() : m_list(this), m_button(this), m_label(this) {
    m_list.setGeometry(10, 10, 380, 200);
    m_button.setGeometry(300, 220, 90, 24);
    m_label.setGeometry(150, 225, 100, 16);
    resize(400, 260);
  }
  int layouts = 0;
  QLabel m_list;
  QPushButton m_button;
  QLabel m_label;

 protected:
  void OnInitDialog() override {
    AddControl(1108, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, &m_list);
    AddControl(2, ANCHOR_RIGHT | ANCHOR_BOTTOM, &m_button);
    AddControl(1002, ANCHOR_LEFT | ANCHOR_BOTTOM | ANCHOR_HCENTER, &m_label);
    CQWResizingDialog::OnInitDialog();
  }
  void OnSize() override {
    CQWResizingDialog::OnSize();
    ++layouts;
  }
};

Rect RectOf(const QWidget& widget, const QWidget& dialog) { return RectInDialog(widget, dialog); }

void SendMouse(QWidget& widget, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
  const QPoint local = widget.mapFromGlobal(global);
  QMouseEvent event(type, QPointF(local), QPointF(global),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

// Presses on the middle of the grip, moves the pointer through `path` (offsets
// from the press on the screen) with the button held, releases at `release`.
// The grip gets every event, as Qt's implicit grab gives it every event from a
// press to its release, wherever the pointer is; it moves while the dialog grows.
void DragGrip(CQWSizeGripWnd& grip, const std::vector<QPoint>& path, QPoint release) {
  const QPoint start = grip.mapToGlobal(QPoint(grip.width() / 2, grip.height() / 2));
  SendMouse(grip, QEvent::MouseButtonPress, start, Qt::LeftButton);
  for (const QPoint& offset : path) {
    SendMouse(grip, QEvent::MouseMove, start + offset, Qt::LeftButton);
  }
  SendMouse(grip, QEvent::MouseButtonRelease, start + release, Qt::NoButton);
}

class ResizingDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.show();
    ProcessEvents();
  }
  TestDialog dialog;
};

TEST_F(ResizingDialogTest, SetUpTakesTheInitialRectanglesAndMakesTheInitialSizeTheMinimum) {
  EXPECT_EQ(dialog.InitialClientRect(), (Rect{0, 0, 400, 260}));
  EXPECT_EQ(dialog.InitialWindowRect(), (Rect{0, 0, 400, 260}));
  EXPECT_EQ(dialog.minimumSize(), QSize(400, 260));
  ASSERT_EQ(dialog.Controls().size(), 3u);
  EXPECT_EQ(dialog.Controls()[0].m_rcInitial, (Rect{10, 10, 390, 210}));
  EXPECT_EQ(dialog.Controls()[1].m_rcInitial, (Rect{300, 220, 390, 244}));
  EXPECT_EQ(dialog.GetDlgItem(2), &dialog.m_button);
  EXPECT_EQ(dialog.GetDlgItem(CQWResizingDialog::kSizeGripId), &dialog.SizeGrip());
  EXPECT_EQ(dialog.GetDlgItem(9999), nullptr);

  // The grip: scroll-bar sized, in the corner, below the controls.
  const int extent = dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &dialog);
  EXPECT_TRUE(dialog.SizeGrip().isVisible());
  EXPECT_EQ(dialog.SizeGrip().geometry(), QRect(400 - extent, 260 - extent, extent, extent));
  EXPECT_EQ(dialog.children().indexOf(&dialog.SizeGrip()), 0);
}

TEST_F(ResizingDialogTest, ControlsFollowTheirAnchorsAndComeBackAtTheInitialSize) {
  dialog.resize(500, 310);
  ProcessEvents();
  ASSERT_EQ(dialog.size(), QSize(500, 310));
  EXPECT_EQ(RectOf(dialog.m_list, dialog), (Rect{10, 10, 490, 260}));
  EXPECT_EQ(RectOf(dialog.m_button, dialog), (Rect{400, 270, 490, 294}));
  EXPECT_EQ(RectOf(dialog.m_label, dialog), (Rect{200, 275, 300, 291}));
  const int extent = dialog.SizeGrip().width();
  EXPECT_EQ(dialog.SizeGrip().geometry(), QRect(500 - extent, 310 - extent, extent, extent));

  dialog.resize(401, 260);  // half of 1 rounds to 0
  ProcessEvents();
  EXPECT_EQ(RectOf(dialog.m_label, dialog), (Rect{150, 225, 250, 241}));
  dialog.resize(402, 260);
  ProcessEvents();
  EXPECT_EQ(RectOf(dialog.m_label, dialog), (Rect{151, 225, 251, 241}));

  dialog.resize(400, 260);
  ProcessEvents();
  for (const auto& control : dialog.Controls()) {
    EXPECT_EQ(RectOf(*control.m_pControl, dialog), control.m_rcInitial) << control.m_nID;
  }
}

TEST_F(ResizingDialogTest, TheDialogCannotBeMadeSmallerThanItsInitialSize) {
  dialog.resize(300, 100);
  ProcessEvents();
  EXPECT_EQ(dialog.size(), QSize(400, 260));
  DragGrip(dialog.SizeGrip(), {{-80, -60}}, {-80, -60});
  EXPECT_EQ(dialog.size(), QSize(400, 260));
}

TEST_F(ResizingDialogTest, DraggingTheGripResizesByTheMotionSinceThePress) {
  dialog.resize(450, 300);
  ProcessEvents();
  const int layouts = dialog.layouts;
  DragGrip(dialog.SizeGrip(), {{5, 5}, {200, -40}, {-300, -300}, {31, 19}}, {30, 20});
  ProcessEvents();
  EXPECT_EQ(dialog.size(), QSize(480, 320));
  EXPECT_FALSE(dialog.SizeGrip().Dragging());
  EXPECT_GE(dialog.layouts - layouts, 4);  // laid out during the drag
  EXPECT_EQ(RectOf(dialog.m_button, dialog), (Rect{380, 280, 470, 304}));
}

TEST_F(ResizingDialogTest, AReleaseOrAMoveWithoutAPressOnTheGripDoesNothing) {
  auto& grip = dialog.SizeGrip();
  SendMouse(grip, QEvent::MouseMove, grip.mapToGlobal(QPoint(40, 40)), Qt::NoButton);
  SendMouse(grip, QEvent::MouseButtonRelease, grip.mapToGlobal(QPoint(60, 60)), Qt::NoButton);
  ProcessEvents();
  EXPECT_EQ(dialog.size(), QSize(400, 260));
  EXPECT_FALSE(grip.Dragging());
}

TEST(ResizingDialogHiddenTest, AResizeBeforeTheDialogIsShownIsLaidOutAtOnce) {
  TestDialog dialog;
  EXPECT_EQ(dialog.layouts, 0);
  dialog.ResizeClient(QSize(410, 270));  // before OnInitDialog: nothing to lay out
  EXPECT_EQ(dialog.layouts, 1);
  EXPECT_EQ(RectOf(dialog.m_button, dialog), (Rect{300, 220, 390, 244}));
  dialog.ResizeClient(QSize(400, 260));
  dialog.show();  // OnInitDialog runs first
  ProcessEvents();
  const int shown_layouts = dialog.layouts;
  EXPECT_EQ(dialog.InitialClientRect(), (Rect{0, 0, 400, 260}));
  dialog.hide();
  EXPECT_TRUE(dialog.ResizeClient(QSize(500, 300)));
  EXPECT_EQ(dialog.layouts, shown_layouts + 1);
  EXPECT_EQ(RectOf(dialog.m_button, dialog), (Rect{400, 260, 490, 284}));
  EXPECT_FALSE(dialog.ResizeClient(QSize(500, 300)));
  dialog.show();
  ProcessEvents();
  EXPECT_EQ(RectOf(dialog.m_button, dialog), (Rect{400, 260, 490, 284}));
}

}  // namespace
}  // namespace rqx340
