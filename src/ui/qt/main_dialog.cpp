// The main dialog on Qt widgets.
#include "ui/qt/main_dialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QShortcut>

#include "app/folder_text.h"
#include "app/measurement_preview_texts.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

QString Text(const CRQX340App& app, int id) { return ToQString(app.Strings().Load(id)); }

// Where a folder box entry keeps the folder's bytes; Qt::UserRole marks the
// typed entry.
constexpr int kFolderBytesRole = Qt::UserRole + 1;

QString ShownFolder(const std::string& folder) { return ToQString(ShownFolderText(folder)); }

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
// CRQX340MainDlg

CRQX340MainDlg::CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser)
    : m_app(app),
      m_messages(messages),
      m_browser(browser),
      m_units(DialogUnitsOf(DialogFont())),
      // Folder texts are compared byte for byte: /data/Meas and /data/meas are
      // two folders here.
      m_state(app, FolderTextMatch::kExact),
      m_content(this),
      m_folderLabel(&m_content),
      m_folder(&m_content),
      m_browse(&m_content),
      m_list(m_state.List(), app.Strings(), &m_content),
      m_progress(&m_content),
      m_import(&m_content),
      m_importRaw(&m_content),
      m_close(&m_content),
      m_empty(&m_content),
      m_notListed(&m_content) {
  // A top-level window with caption, system menu and sizing border; no
  // minimise or maximise box, no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setWindowTitle(Text(app, kIdsDialogCaption));
  // The grip lies under the controls, in the widget that holds them.
  SizeGrip().setParent(&m_content);

  // Texts of a language table are shown as they are, never as markup.
  m_folderLabel.setTextFormat(Qt::PlainText);
  m_folderLabel.setText(Text(app, kIdcFolderLabel));
  m_folderLabel.setAlignment(Qt::AlignRight | Qt::AlignTop);
  m_folderLabel.setGeometry(TemplateRect(kIdcFolderLabel));
  m_folderLabel.setBuddy(&m_folder);

  // The template's height is that of the open list; the box is one line high.
  const QRect folder_rect = TemplateRect(kIdcFolder);
  m_folder.setGeometry(folder_rect.x(), folder_rect.y(), folder_rect.width(),
                       m_folder.sizeHint().height());
  m_folder.installEventFilter(this);
  if (m_folder.lineEdit() != nullptr) m_folder.lineEdit()->installEventFilter(this);
  connect(&m_folder, &QComboBox::activated, this, [this] { OnSelChangeFolder(); });

  m_browse.setText(Text(app, kIdcBrowse));
  m_browse.setGeometry(TemplateRect(kIdcBrowse));
  connect(&m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });

  m_list.setGeometry(TemplateRect(kIdcList));
  m_list.SetCheckChangedHandler([this] { OnListCheckChanged(); });
  // The preview is an addition of this tool: a context menu and Ctrl+P on the list.
  m_list.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&m_list, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& pos) { OnListContextMenu(pos); });
  auto* preview_key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &m_list);
  preview_key->setContext(Qt::WidgetShortcut);
  QObject::connect(preview_key, &QShortcut::activated, this,
                   [this] { OpenPreview(m_list.currentIndex().row()); });

  m_progress.setGeometry(TemplateRect(kIdcProgress));
  m_progress.setTextVisible(false);
  m_progress.hide();
  // The note takes the bar's place whenever the bar hides.
  m_progress.installEventFilter(this);

  if (const DialogControl* progress = FindMainDialogControl(kIdcProgress)) {
    if (const DialogControl* import_button = FindMainDialogControl(kIdcImportSelected)) {
      const DialogControl note = NotListedNotePlace(*progress, *import_button);
      m_notListed.setGeometry(ToQRect(m_units.ToPixels(note.x, note.y, note.width, note.height)));
    }
  }
  m_notListed.hide();
  connect(&m_notListed, &QPushButton::clicked, this, [this] { OpenNotListed(); });

  m_import.setText(Text(app, kIdcImportSelected));
  m_import.setGeometry(TemplateRect(kIdcImportSelected));
  connect(&m_import, &QPushButton::clicked, this, [this] { OnImportSelected(); });

  m_importRaw.setText(Text(app, kIdcImportRaw));
  m_importRaw.setGeometry(TemplateRect(kIdcImportRaw));

  m_close.setText(Text(app, kIdcClose));
  m_close.setGeometry(TemplateRect(kIdcClose));
  connect(&m_close, &QPushButton::clicked, this, [this] { OnCancel(); });

  m_empty.setTextFormat(Qt::PlainText);
  m_empty.setText(Text(app, kIdcNoMeasurements));
  m_empty.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_empty.setGeometry(TemplateRect(kIdcNoMeasurements));
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

QRect CRQX340MainDlg::TemplateRect(std::uint32_t id) const {
  const auto place = ControlPlace(id, m_app.Language());
  if (!place) return {};
  return ToQRect(m_units.ToPixels(place->x, place->y, place->width, place->height));
}

QWidget* CRQX340MainDlg::ControlWidget(std::uint32_t id) {
  switch (id) {
    case kIdcFolderLabel:
      return &m_folderLabel;
    case kIdcFolder:
      return &m_folder;
    case kIdcBrowse:
      return &m_browse;
    case kIdcList:
      return &m_list;
    case kIdcProgress:
      return &m_progress;
    case kIdcClose:
      return &m_close;
    case kIdcImportSelected:
      return &m_import;
    case kIdcImportRaw:
      return &m_importRaw;
    case kIdcNoMeasurements:
      return &m_empty;
    default:
      return nullptr;
  }
}

void CRQX340MainDlg::OnInitDialog() {
  for (const DialogControl& control : kMainDialogControls) {
    AddControl(control.id, control.anchors, ControlWidget(control.id));
  }
  if (const DialogControl* progress = FindMainDialogControl(kIdcProgress)) {
    AddControl(kIdcNotListed, progress->anchors, &m_notListed);
  }
  CQWResizingDialog::OnInitDialog();
  m_state.InitDialog();
  m_list.InitColumns();
  LoadFolderList();

  // The saved size, never below the template nor above the screen's work
  // area. The layout runs, and the size is kept, even when the size stays.
  const QSize initial = size();
  WindowSize available{initial.width(), initial.height()};
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // The size kept is the client's; the frame, once the window system has
    // given it one, takes its share of the area.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QSize area = screen->availableGeometry().size().shrunkBy(frame);
    available = {area.width(), area.height()};
  }
  const WindowSize wanted = m_state.InitialSize({initial.width(), initial.height()}, available);
  if (!ResizeClient(QSize(wanted.width, wanted.height))) OnSize();
  CentreOnPrimaryScreen(*this);

  UpdateControls();
  UpdateData(false);
  m_startTimer.start();
}

void CRQX340MainDlg::OnSize() {
  m_content.setGeometry(rect());
  CQWResizingDialog::OnSize();
  // The client size: the frame is the window system's.
  m_state.OnSize({this->width(), this->height()});
  m_empty.update();
}

bool CRQX340MainDlg::UpdateData(bool save) {
  DDX_FolderCombo(save);
  if (save) {
    m_state.SetImportRaw(m_importRaw.isChecked());
  } else {
    m_importRaw.setChecked(m_state.ImportRaw() != 0);
  }
  return true;
}

void CRQX340MainDlg::DDX_FolderCombo(bool save) {
  if (save) {
    // The state knows the bytes behind a text it was shown as.
    m_state.SetFolderText(ToUtf8(m_folder.currentText()));
    return;
  }
  const int index = m_state.ShownFolderEntry();
  if (index >= 0) {
    m_folder.setCurrentIndex(index);
  } else {
    m_folder.setCurrentIndex(-1);
    m_folder.setEditText(ShownFolder(m_state.Folder()));
  }
}

void CRQX340MainDlg::LoadFolderList() {
  const std::vector<FolderEntry>& entries = m_state.FolderEntries();
  bool same = m_folder.count() == static_cast<int>(entries.size());
  for (int i = 0; same && i < m_folder.count(); ++i) {
    const FolderEntry& entry = entries[static_cast<std::size_t>(i)];
    same = m_folder.itemData(i, kFolderBytesRole).toByteArray().toStdString() == entry.text &&
           (m_folder.itemData(i).toInt() != 0) == entry.typed;
  }
  if (same) return;
  m_folder.clear();
  for (const FolderEntry& entry : entries) {
    m_folder.addItem(ShownFolder(entry.text), entry.typed ? QVariant(1) : QVariant());
    m_folder.setItemData(m_folder.count() - 1,
                         QByteArray(entry.text.data(), static_cast<qsizetype>(entry.text.size())),
                         kFolderBytesRole);
  }
}

void CRQX340MainDlg::UpdateControls() {
  const MainDialogControls controls = m_state.Controls();
  m_import.setEnabled(controls.import_enabled);
  m_importRaw.setEnabled(controls.raw_enabled);
  m_empty.setVisible(controls.empty_text_visible);
  m_empty.raise();
  m_empty.update();
  m_notListed.setText(ToQString(controls.not_listed_text));
  ShowNotListedNote();
}

void CRQX340MainDlg::ShowNotListedNote() {
  m_notListed.setVisible(!m_notListed.text().isEmpty() && m_progress.isHidden());
}

void CRQX340MainDlg::OpenNotListed() {
  if (m_notListedWindow) return;
  auto* window = new NotListedDialog(m_state.NotListed(), m_app.Strings(), this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setFont(font());
  m_notListedWindow = window;
  window->show();
}

QList<MeasurementPreviewDialog*> CRQX340MainDlg::Previews() const {
  return findChildren<MeasurementPreviewDialog*>(Qt::FindDirectChildrenOnly);
}

void CRQX340MainDlg::AfterScan() {
  UpdateControls();
  if (m_state.TakeDeferredClose()) QTimer::singleShot(0, this, [this] { OnCancel(); });
}

void CRQX340MainDlg::OnTimer() {
  if (m_state.OnTimer(m_scanProgress)) AfterScan();
}

void CRQX340MainDlg::OnSelChangeFolder() {
  if (!UpdateData(true)) return;
  // Also when it is the folder listed already.
  if (!m_state.OnSelChangeFolder(m_folder.currentIndex(), m_scanProgress)) return;
  UpdateData(false);
  AfterScan();
}

void CRQX340MainDlg::OnKillFocusFolder() {
  // Focus that leaves because the controls are disabled or the dialog closes
  // is no typed folder.
  if (!m_state.TakesTypedFolder() || !m_content.isEnabled() || !isVisible()) return;
  if (!m_state.OnKillFocusFolder(ToUtf8(m_folder.currentText()), m_scanProgress)) return;
  AfterScan();
  LoadFolderList();
  UpdateData(false);
}

MeasurementPreviewDialog* CRQX340MainDlg::OpenPreview(int row) {
  if (!m_state.CanPreview(row) || !m_content.isEnabled()) return nullptr;
  const CRQX340Json* measurement = m_state.List().RecordAt(row);
  m_preview = ShowMeasurementPreview(this, m_app, m_state.Folder(), measurement->m_strName);
  return m_preview.data();
}

void CRQX340MainDlg::OnListContextMenu(const QPoint& pos) {
  const int row = m_list.indexAt(pos).row();
  if (row < 0) return;
  QMenu menu(this);
  QAction* preview = menu.addAction(Text(m_app, kIdsPreviewMenu));
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  preview->setEnabled(!m_state.Busy() && m_content.isEnabled());
  if (menu.exec(m_list.viewport()->mapToGlobal(pos)) == preview) OpenPreview(row);
}

void CRQX340MainDlg::SetContentEnabled(bool enabled) {
  // A preview reads and exports through the same pump: every one of them
  // waits while the dialog is busy, or its save dialog would run inside the
  // import's pump and hold the transfer up.
  for (MeasurementPreviewDialog* preview : Previews()) preview->setEnabled(enabled);
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
  std::string folder = m_state.Folder();
  SetContentEnabled(false);
  const bool chosen = m_browser.ShellBrowseForFolder(this, folder);
  SetContentEnabled(true);
  if (!chosen || !m_state.OnBrowsed(std::move(folder), m_scanProgress)) return;
  AfterScan();
  LoadFolderList();
  UpdateData(false);
}

void CRQX340MainDlg::OnImportSelected() {
  const WaitCursor wait;
  if (!UpdateData(true)) return;
  // Whatever breaks the import off is said there; the dialog is usable again.
  m_state.ImportSelected(m_messages, m_progressSink, [this] {
    SetContentEnabled(false);
    LoadFolderList();
    UpdateData(false);
  });
  m_progress.hide();
  SetContentEnabled(true);
}

void CRQX340MainDlg::reject() { OnCancel(); }

void CRQX340MainDlg::OnCancel() {
  if (m_state.RequestClose() != MainDialogState::CloseAnswer::kClose) return;
  UpdateData(true);
  m_state.Close();
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
  if (watched == &m_progress && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    ShowNotListedNote();
  }
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
