// The placeholder dialog.
#include "ui/placeholder_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace rqx340 {

namespace {

QString Text(const CRQX340App& app, int id) {
  return QString::fromStdString(app.Strings().Load(id));
}

}  // namespace

CRQX340PlaceholderDlg::CRQX340PlaceholderDlg(CRQX340App& app)
    : m_app(app), m_units(DialogFont()), m_text(this), m_close(this) {
  // A top-level window with caption, system menu and sizing border; no
  // minimise or maximise box, no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setWindowTitle(Text(app, kIdsDialogCaption));

  m_text.setText(Text(app, kIdcNoMeasurements));
  m_text.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_text.setGeometry(m_units.ToPixels(12, 96, 366, 11));
  m_close.setText(Text(app, kIdcClose));
  m_close.setGeometry(m_units.ToPixels(335, 183, 50, 14));
  // No default button: Enter does nothing.
  m_close.setAutoDefault(false);
  m_close.setDefault(false);
  connect(&m_close, &QPushButton::clicked, this, [this] { OnCancel(); });

  resize(TemplateSize());
}

QSize CRQX340PlaceholderDlg::TemplateSize() const {
  return QSize(m_units.ToPixelsX(kTemplateWidthDu), m_units.ToPixelsY(kTemplateHeightDu));
}

void CRQX340PlaceholderDlg::OnInitDialog() {
  AddControl(kIdcNoMeasurements, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, &m_text);
  AddControl(kIdcClose, ANCHOR_RIGHT | ANCHOR_BOTTOM, &m_close);
  CQWResizingDialog::OnInitDialog();

  // The saved size, never below the template. The layout runs, and the size is
  // written, even when the size stays.
  const QSize initial = size();
  const int width = std::max(m_app.CachedGetProfileInt(kSettingsSection, "Width", initial.width()),
                             initial.width());
  const int height = std::max(
      m_app.CachedGetProfileInt(kSettingsSection, "Height", initial.height()), initial.height());
  if (!ResizeClient(QSize(width, height))) OnSize();
  CentreOnPrimaryScreen(*this);
}

void CRQX340PlaceholderDlg::OnSize() {
  CQWResizingDialog::OnSize();
  m_app.CachedWriteProfileInt(kSettingsSection, "Width", width());
  m_app.CachedWriteProfileInt(kSettingsSection, "Height", height());
}

void CRQX340PlaceholderDlg::reject() { OnCancel(); }

void CRQX340PlaceholderDlg::OnCancel() { done(QDialog::Rejected); }

void CentreOnPrimaryScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.x() + (area.width() - window.width()) / 2,
              area.y() + (area.height() - window.height()) / 2);
}

}  // namespace rqx340
