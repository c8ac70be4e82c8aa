// The main dialog.
#include "ui/main_dialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <filesystem>

#include "import/import_run.h"
#include "platform/process.h"

namespace rqx340 {

namespace {

QString Text(const CRQX340App& app, int id) {
  return QString::fromStdString(app.Strings().Load(id));
}

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string HistoryEntryName(int index) { return "UsedFolder" + std::to_string(index); }

// The program's executable name without folder and extension.
std::string ExecutableStem() {
  const auto path = RunningExecutablePath();
  if (!path) return {};
  return std::filesystem::path(*path).stem().string();
}

// The scan's progress, with a pump after each file that repaints and runs
// timers but takes no user input, so a large folder does not look hung.
class ScanProgress final : public ProgressSink {
 public:
  explicit ScanProgress(ProgressSink& bar) : m_bar(bar) {}
  void SetRange(std::int32_t low, std::int32_t high) override { m_bar.SetRange(low, high); }
  void SetPos(std::int32_t pos) override { m_bar.SetPos(pos); }
  void SetStep(std::int32_t step) override { m_bar.SetStep(step); }
  void StepIt() override {
    m_bar.StepIt();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void Show() override { m_bar.Show(); }
  void Hide() override { m_bar.Hide(); }

 private:
  ProgressSink& m_bar;
};

// The wait cursor for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------
// FolderComboBox

FolderComboBox::FolderComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
  setDuplicatesEnabled(true);
}

void FolderComboBox::keyPressEvent(QKeyEvent* event) {
  const bool alt = event->modifiers() & Qt::AltModifier;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (alt) break;  // Alt+Down opens the list
      [[fallthrough]];
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      event->accept();
      return;
    default:
      break;
  }
  QComboBox::keyPressEvent(event);
}

void FolderComboBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

// ---------------------------------------------------------------------------
// ProgressBarSink

void ProgressBarSink::SetRange(std::int32_t low, std::int32_t high) {
  // An empty range would turn the bar into a busy indicator.
  m_bar.setRange(low, std::max(high, low + 1));
  m_bar.setValue(low);
}

void ProgressBarSink::SetPos(std::int32_t pos) {
  m_bar.setValue(std::clamp(pos, m_bar.minimum(), m_bar.maximum()));
}

void ProgressBarSink::StepIt() {
  const std::int64_t next = static_cast<std::int64_t>(m_bar.value()) + m_nStep;
  m_bar.setValue(next > m_bar.maximum() || next < m_bar.minimum() ? m_bar.minimum()
                                                                  : static_cast<int>(next));
}

// ---------------------------------------------------------------------------
// CRQX340MainDlg

CRQX340MainDlg::CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser)
    : m_app(app),
      m_messages(messages),
      m_browser(browser),
      m_units(DialogFont()),
      m_content(this),
      m_folderLabel(&m_content),
      m_folder(&m_content),
      m_browse(&m_content),
      m_list(app, &m_content),
      m_progress(&m_content),
      m_import(&m_content),
      m_importRaw(&m_content),
      m_close(&m_content),
      m_empty(&m_content),
      m_strExeName(ExecutableStem()) {
  // A top-level window with caption, system menu and sizing border; no
  // minimise or maximise box, no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setWindowTitle(Text(app, kIdsDialogCaption));
  // The grip lies under the controls, in the widget that holds them.
  SizeGrip().setParent(&m_content);

  m_folderLabel.setText(Text(app, kIdcFolderLabel));
  m_folderLabel.setAlignment(Qt::AlignRight | Qt::AlignTop);
  m_folderLabel.setGeometry(m_units.ToPixels(4, 7, 75, 8));
  m_folderLabel.setBuddy(&m_folder);

  // The template's height is that of the open list; the box is one line high.
  const QRect folder_rect = m_units.ToPixels(81, 5, 254, 173);
  m_folder.setGeometry(folder_rect.x(), folder_rect.y(), folder_rect.width(),
                       m_folder.sizeHint().height());
  m_folder.installEventFilter(this);
  if (m_folder.lineEdit() != nullptr) m_folder.lineEdit()->installEventFilter(this);
  connect(&m_folder, &QComboBox::activated, this, [this] { OnSelChangeFolder(); });

  m_browse.setText(Text(app, kIdcBrowse));
  m_browse.setGeometry(m_units.ToPixels(336, 4, 50, 14));
  connect(&m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });

  m_list.setGeometry(m_units.ToPixels(4, 21, 381, 158));
  m_list.SetCheckChangedHandler([this] { OnListCheckChanged(); });
  // The preview is an addition of this tool: a context menu and Ctrl+P on the list.
  m_list.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&m_list, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& pos) { OnListContextMenu(pos); });
  auto* preview_key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &m_list);
  preview_key->setContext(Qt::WidgetShortcut);
  QObject::connect(preview_key, &QShortcut::activated, this,
                   [this] { OpenPreview(m_list.currentIndex().row()); });

  m_progress.setGeometry(m_units.ToPixels(4, 187, 77, 10));
  m_progress.setTextVisible(false);
  m_progress.hide();

  m_import.setText(Text(app, kIdcImportSelected));
  m_import.setGeometry(m_units.ToPixels(137, 183, 115, 14));
  connect(&m_import, &QPushButton::clicked, this, [this] { OnImportSelected(); });

  m_importRaw.setText(Text(app, kIdcImportRaw));
  m_importRaw.setGeometry(m_units.ToPixels(261, 186, 69, 10));

  m_close.setText(Text(app, kIdcClose));
  m_close.setGeometry(m_units.ToPixels(335, 183, 50, 14));
  connect(&m_close, &QPushButton::clicked, this, [this] { OnCancel(); });

  m_empty.setText(Text(app, kIdcNoMeasurements));
  m_empty.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_empty.setGeometry(m_units.ToPixels(12, 96, 366, 11));
  // It lies over the list and takes none of its clicks.
  m_empty.setAttribute(Qt::WA_TransparentForMouseEvents);

  // No default button: Enter does nothing.
  for (QPushButton* button : {&m_browse, &m_import, &m_close}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  m_startTimer.setSingleShot(true);
  m_startTimer.setInterval(kStartTimerMs);
  connect(&m_startTimer, &QTimer::timeout, this, [this] { OnTimer(); });

  m_content.setGeometry(QRect(QPoint(0, 0), TemplateSize()));
  resize(TemplateSize());
}

CRQX340MainDlg::~CRQX340MainDlg() {
  // The grip is the base's; the content must not take it along.
  SizeGrip().setParent(this);
}

QSize CRQX340MainDlg::TemplateSize() const {
  return QSize(m_units.ToPixelsX(kTemplateWidthDu), m_units.ToPixelsY(kTemplateHeightDu));
}

void CRQX340MainDlg::OnInitDialog() {
  AddControl(kIdcFolderLabel, ANCHOR_LEFT | ANCHOR_TOP, &m_folderLabel);
  AddControl(kIdcFolder, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP, &m_folder);
  AddControl(kIdcBrowse, ANCHOR_RIGHT | ANCHOR_TOP, &m_browse);
  AddControl(kIdcList, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, &m_list);
  AddControl(kIdcProgress, ANCHOR_LEFT | ANCHOR_BOTTOM, &m_progress);
  AddControl(kIdcClose, ANCHOR_RIGHT | ANCHOR_BOTTOM, &m_close);
  AddControl(kIdcImportSelected, ANCHOR_LEFT | ANCHOR_BOTTOM | ANCHOR_HCENTER, &m_import);
  AddControl(kIdcImportRaw, ANCHOR_LEFT | ANCHOR_BOTTOM | ANCHOR_HCENTER, &m_importRaw);
  AddControl(kIdcNoMeasurements, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, &m_empty);
  CQWResizingDialog::OnInitDialog();
  m_bInitDone = true;

  m_bImportRaw = m_app.CachedGetProfileInt(kSettingsSection, "Raw", 1);
  m_list.InitColumns();
  m_strFolder = m_app.CachedGetProfileString(kSettingsSection, "LastFolder");

  // The history up to its first empty entry.
  m_arrFolderHistory.assign(kFolderHistorySize, std::string());
  for (int i = 0; i < kFolderHistorySize; ++i) {
    std::string entry = m_app.CachedGetProfileString(kSettingsSection, HistoryEntryName(i));
    if (entry.empty()) break;
    m_folder.addItem(ToQString(entry));
    m_arrFolderHistory[static_cast<std::size_t>(i)] = std::move(entry);
  }
  if (!m_strFolder.empty() && FindFolderExact(m_strFolder) < 0) {
    m_folder.insertItem(0, ToQString(m_strFolder));
  }

  // The saved size, never below the template. The layout runs, and the size is
  // written, even when the size stays.
  const QSize initial = size();
  const int width = std::max(m_app.CachedGetProfileInt(kSettingsSection, "Width", initial.width()),
                             initial.width());
  const int height = std::max(
      m_app.CachedGetProfileInt(kSettingsSection, "Height", initial.height()), initial.height());
  if (!ResizeClient(QSize(width, height))) OnSize();
  CentreOnPrimaryScreen(*this);

  UpdateControls();
  UpdateData(false);
  m_startTimer.start();
}

void CRQX340MainDlg::OnSize() {
  m_content.setGeometry(rect());
  CQWResizingDialog::OnSize();
  if (!m_bInitDone) return;
  // The client size: the frame is the window system's.
  m_app.CachedWriteProfileInt(kSettingsSection, "Width", this->width());
  m_app.CachedWriteProfileInt(kSettingsSection, "Height", this->height());
  m_empty.update();
}

bool CRQX340MainDlg::UpdateData(bool save) {
  DDX_FolderCombo(save);
  if (save) {
    m_bImportRaw = m_importRaw.isChecked() ? 1 : 0;
  } else {
    m_importRaw.setChecked(m_bImportRaw != 0);
  }
  return true;
}

int CRQX340MainDlg::FindFolderExact(const std::string& folder) const {
  // Byte for byte: on this system /data/Meas and /data/meas are two folders.
  for (int i = 0; i < m_folder.count(); ++i) {
    if (m_folder.itemText(i).toStdString() == folder) return i;
  }
  return -1;
}

void CRQX340MainDlg::DDX_FolderCombo(bool save) {
  if (save) {
    m_strFolder = m_folder.currentText().toStdString();
    return;
  }
  const int index = FindFolderExact(m_strFolder);
  if (index >= 0) {
    m_folder.setCurrentIndex(index);
  } else {
    m_folder.setCurrentIndex(-1);
    m_folder.setEditText(ToQString(m_strFolder));
  }
}

void CRQX340MainDlg::UpdateControls() {
  const std::vector<std::int32_t> checked = m_list.GetCheckedIndices();
  m_import.setEnabled(!checked.empty());
  const auto& records = m_list.Records();
  const bool raw = std::any_of(checked.begin(), checked.end(), [&](std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < records.size() &&
           records[static_cast<std::size_t>(index)].m_nRaw == 1;
  });
  m_importRaw.setEnabled(raw);
  m_empty.setVisible(m_list.Model().rowCount() == 0);
  m_empty.raise();
  m_empty.update();
}

void CRQX340MainDlg::ScanFolder() {
  m_bScanning = true;
  ScanProgress progress(m_progressSink);
  m_list.ScanFolder(m_strFolder, progress);
  ++m_nScans;
  m_bScanning = false;
  if (m_bCloseDeferred) {
    m_bCloseDeferred = false;
    QTimer::singleShot(0, this, [this] { OnCancel(); });
  }
}

void CRQX340MainDlg::OnTimer() {
  if (!m_strFolder.empty()) {
    ScanFolder();
    UpdateControls();
  }
}

void CRQX340MainDlg::OnSelChangeFolder() {
  if (!UpdateData(true)) return;
  const int index = m_folder.currentIndex();
  if (index < 0) return;
  m_strFolder = m_folder.itemText(index).toStdString();
  UpdateData(false);
  // Also when it is the folder listed already.
  ScanFolder();
  UpdateControls();
}

void CRQX340MainDlg::OnKillFocusFolder() {
  // Focus that leaves because the controls are disabled or the dialog closes
  // is no typed folder.
  if (m_bBusy != 0 || m_bClosing || m_bScanning || !m_content.isEnabled() || !isVisible()) return;
  const std::string before = m_strFolder;
  if (!UpdateData(true)) return;
  if (m_strFolder == before) return;
  ScanFolder();
  UpdateControls();
  PutTypedFolderOnTop();
  UpdateData(false);
}

void CRQX340MainDlg::PutTypedFolderOnTop() {
  if (m_folder.count() > 0 && m_folder.itemData(0).toInt() != 0) m_folder.removeItem(0);
  // An empty text is no folder to offer.
  if (!m_strFolder.empty() && FindFolderExact(m_strFolder) < 0) {
    m_folder.insertItem(0, ToQString(m_strFolder));
    m_folder.setItemData(0, 1);
  }
}

MeasurementPreviewDialog* CRQX340MainDlg::OpenPreview(int row) {
  if (m_bBusy != 0 || m_bScanning || !m_content.isEnabled()) return nullptr;
  const std::int32_t record = m_list.Model().RecordOfRow(row);
  if (record < 0) return nullptr;
  const CRQX340Json& measurement = m_list.Records()[static_cast<std::size_t>(record)];
  m_preview = ShowMeasurementPreview(this, m_app, m_strFolder, measurement.m_strName);
  return m_preview.data();
}

void CRQX340MainDlg::OnListContextMenu(const QPoint& pos) {
  const int row = m_list.indexAt(pos).row();
  if (row < 0) return;
  QMenu menu(this);
  QAction* preview = menu.addAction(QStringLiteral("Preview\u2026"));
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  preview->setEnabled(m_bBusy == 0 && m_content.isEnabled());
  if (menu.exec(m_list.viewport()->mapToGlobal(pos)) == preview) OpenPreview(row);
}

void CRQX340MainDlg::SetContentEnabled(bool enabled) {
  // The preview reads its file through the same pump: it waits while the
  // dialog is busy.
  if (m_preview) m_preview->setEnabled(enabled);
  if (!enabled) {
    m_pFocusBeforeDisable = QApplication::focusWidget();
    m_content.setEnabled(false);
    return;
  }
  m_content.setEnabled(true);
  if (m_pFocusBeforeDisable && m_pFocusBeforeDisable->isEnabled() &&
      m_pFocusBeforeDisable->isVisible()) {
    m_pFocusBeforeDisable->setFocus(Qt::OtherFocusReason);
  }
  m_pFocusBeforeDisable = nullptr;
}

void CRQX340MainDlg::OnBrowse() {
  if (!UpdateData(true)) return;
  std::string folder = m_strFolder;
  SetContentEnabled(false);
  const bool chosen = m_browser.ShellBrowseForFolder(this, folder);
  SetContentEnabled(true);
  if (!chosen || folder == m_strFolder) return;
  m_strFolder = folder;
  UpdateData(false);
  ScanFolder();
  UpdateControls();
  PutTypedFolderOnTop();
  UpdateData(false);
}

void CRQX340MainDlg::MoveFolderToHistoryTop() {
  const auto found = std::find(m_arrFolderHistory.begin(), m_arrFolderHistory.end(), m_strFolder);
  if (found != m_arrFolderHistory.end()) m_arrFolderHistory.erase(found);
  m_arrFolderHistory.insert(m_arrFolderHistory.begin(), m_strFolder);
  m_arrFolderHistory.resize(kFolderHistorySize);
  m_app.CachedWriteProfileString(kSettingsSection, "LastFolder", m_strFolder);
  m_folder.clear();
  for (int i = 0; i < kFolderHistorySize; ++i) {
    const std::string& entry = m_arrFolderHistory[static_cast<std::size_t>(i)];
    m_app.CachedWriteProfileString(kSettingsSection, HistoryEntryName(i), entry);
    if (!entry.empty()) m_folder.addItem(ToQString(entry));
  }
  UpdateData(false);
}

void CRQX340MainDlg::RunImport() {
  const std::vector<std::int32_t> checked = m_list.GetCheckedIndices();
  ImportRequest request = MakeImportRequest(m_strFolder, m_list.Records(), checked);
  request.exe_name = m_strExeName;
  request.exchange_index = m_app.ExchangeIndex();
  request.client_window = m_app.ClientWindow();
  request.host_window = m_app.HostWindow();
  request.import_raw = m_bImportRaw != 0;
  ImportServices services(m_messages, m_progressSink, m_app.Pump());
  services.strings = &m_app.Strings();
  rqx340::RunImport(request, services);
}

void CRQX340MainDlg::OnImportSelected() {
  const WaitCursor wait;
  if (!UpdateData(true)) return;
  m_bBusy = 1;
  SetContentEnabled(false);
  try {
    MoveFolderToHistoryTop();
    RunImport();
  } catch (...) {
    // The dialog is usable again; nothing is shown.
    m_progress.hide();
  }
  m_bBusy = 0;
  SetContentEnabled(true);
}

void CRQX340MainDlg::reject() { OnCancel(); }

void CRQX340MainDlg::OnCancel() {
  if (m_bBusy != 0) return;
  if (m_bScanning) {
    // After the scan, which handles no input meanwhile.
    m_bCloseDeferred = true;
    return;
  }
  if (UpdateData(true)) m_app.CachedWriteProfileInt(kSettingsSection, "Raw", m_bImportRaw);
  m_bClosing = true;
  done(QDialog::Rejected);
}

void CRQX340MainDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  CQWResizingDialog::keyPressEvent(event);
}

bool CRQX340MainDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == &m_folder || watched == m_folder.lineEdit())) {
    // Enter in the folder field would pick a matching entry: it does nothing.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  if (event->type() == QEvent::FocusOut && watched == &m_folder) {
    // Opening its own list is no leaving.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) OnKillFocusFolder();
  }
  return CQWResizingDialog::eventFilter(watched, event);
}

void CentreOnPrimaryScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.x() + (area.width() - window.width()) / 2,
              area.y() + (area.height() - window.height()) / 2);
}

}  // namespace rqx340
