// The import dialog on Win32.
#include "ui/win32/main_dialog.h"

#include <algorithm>
#include <string>

#include "platform/win32/win32_util.h"
#include "ui/win32/message_box_sink.h"
#include "ui/win32/resource_library.h"
#include "ui/win32/window_text.h"

namespace rqx340 {

namespace {

constexpr UINT_PTR kFolderSubclassId = 2;
// A preview window closed; the dialog lets it go.
constexpr UINT kPreviewClosed = WM_APP + 2;
// The window of the files not listed closed.
constexpr UINT kNotListedClosed = WM_APP + 3;
constexpr UINT kIdmPreview = 40001;

// The message box sink of the program, when `messages` is one.
MessageBoxSink* Boxes(MessageSink& messages) { return dynamic_cast<MessageBoxSink*>(&messages); }

}  // namespace

CRQX340MainDlg::CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser,
                               Win32MessageLoop& loop)
    : m_app(app),
      m_messages(messages),
      m_browser(browser),
      m_loop(loop),
      // Windows finds files without regard to letter case: so are folders compared.
      m_state(app, FolderTextMatch::kIgnoringAsciiCase),
      m_list(m_state.List(), app.Strings()) {}

CRQX340MainDlg::~CRQX340MainDlg() {
  m_notListed.reset();
  ClosePreviews();
  if (m_hWnd != nullptr) {
    SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
  }
  if (m_hIcon != nullptr) DestroyIcon(m_hIcon);
  if (m_hSmallIcon != nullptr) DestroyIcon(m_hSmallIcon);
  if (m_hLinkFont != nullptr) DeleteObject(m_hLinkFont);
}

int CRQX340MainDlg::DoModal(const std::function<void(CRQX340MainDlg&)>& script) {
  // The template is read from the resource module and created with the
  // program's instance: a language library holds resources only.
  const HMODULE resources = ResourceModule(m_app);
  const HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(kIdDialog), RT_DIALOG);
  const HGLOBAL loaded = found != nullptr ? LoadResource(resources, found) : nullptr;
  const auto* dialog_template =
      loaded != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
  if (dialog_template == nullptr) return -1;

  // The host's window owns the dialog when it is one of this desktop's.
  HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(m_app.HostWindow())));
  owner = IsWindow(owner) && IsWindowVisible(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;
  m_bEnded = false;
  if (!Create(dialog_template, owner)) return -1;
  m_loop.AddDialog(m_hWnd);
  if (MessageBoxSink* boxes = Boxes(m_messages)) boxes->SetOwner(m_hWnd);
  const bool owner_enabled = owner != nullptr && IsWindowEnabled(owner);
  if (owner_enabled) EnableWindow(owner, FALSE);
  ShowWindow(m_hWnd, SW_SHOW);
  UpdateWindow(m_hWnd);
  if (script) {
    script(*this);
    if (!m_bEnded) OnCancel();
  } else {
    m_loop.RunUntil([this] { return m_bEnded; });
  }
  m_notListed.reset();
  if (owner_enabled) EnableWindow(owner, TRUE);
  ClosePreviews();
  if (MessageBoxSink* boxes = Boxes(m_messages)) boxes->SetOwner(nullptr);
  m_loop.RemoveDialog(m_hWnd);
  SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
  DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  return m_nResult;
}

BOOL CRQX340MainDlg::OnInitDialog() {
  for (const DialogControl& control : kMainDialogControls) AddControl(control.id, control.anchors);
  if (const DialogControl* progress = FindMainDialogControl(kIdcProgress)) {
    AddControl(kIdcNotListed, progress->anchors);
  }
  CreateNotListedNote();
  CQWResizingDialog::OnInitDialog();

  const HMODULE resources = ResourceModule(m_app);
  m_hIcon =
      static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(kIdIcon), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  m_hSmallIcon = static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(kIdIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

  m_progress.Attach(GetDlgItem(kIdcProgress));
  m_progress.SetVisibilityHandler([this](bool) { ShowNotListedNote(); });
  m_list.Attach(GetDlgItem(kIdcList));
  m_list.SetCheckChangedHandler([this] { UpdateControls(); });
  m_list.SetPreviewHandler([this](int row) { OpenPreview(row); });
  SubclassFolderBox();

  m_state.InitDialog();
  m_list.InitColumns();
  LoadFolderList();

  // The saved size, never below the template's nor above the work area of
  // the screen it opens on. The layout runs, and the size is kept, even when
  // the size stays (the minimum size holds a window back from one pixel less,
  // so sizing it twice would not do).
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  const HWND owner = GetWindow(m_hWnd, GW_OWNER);
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                  &screen);
  const WindowSize wanted = m_state.InitialSize(
      {window.right - window.left, window.bottom - window.top},
      {screen.rcWork.right - screen.rcWork.left, screen.rcWork.bottom - screen.rcWork.top});
  SetWindowPos(m_hWnd, nullptr, 0, 0, wanted.width, wanted.height, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  OnSize(SIZE_RESTORED, client.right, client.bottom);

  // Centred over the owner, else on the screen's work area; never beyond the
  // work area's top left, where the caption would be out of reach.
  RECT area = screen.rcWork;
  if (owner != nullptr && IsWindowVisible(owner)) GetWindowRect(owner, &area);
  GetWindowRect(m_hWnd, &window);
  SetWindowPos(
      m_hWnd, nullptr,
      std::max<LONG>(screen.rcWork.left,
                     area.left + ((area.right - area.left) - (window.right - window.left)) / 2),
      std::max<LONG>(screen.rcWork.top,
                     area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2),
      0, 0, SWP_NOSIZE | SWP_NOZORDER);

  UpdateControls();
  UpdateData(false);
  SetTimer(m_hWnd, kStartTimerId, kStartTimerMs, nullptr);
  m_bStartTimerPending = true;
  return TRUE;
}

void CRQX340MainDlg::OnSize(UINT type, int cx, int cy) {
  CQWResizingDialog::OnSize(type, cx, cy);
  if (GetDlgItem(kIdcClose) == nullptr) return;
  // The window's outer size, frame included.
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  m_state.OnSize({window.right - window.left, window.bottom - window.top});
  InvalidateRect(GetDlgItem(kIdcNoMeasurements), nullptr, TRUE);
}

bool CRQX340MainDlg::UpdateData(bool save) {
  DDX_FolderCombo(save);
  if (save) {
    m_state.SetImportRaw(IsDlgButtonChecked(m_hWnd, kIdcImportRaw) == BST_CHECKED);
  } else {
    CheckDlgButton(m_hWnd, kIdcImportRaw, m_state.ImportRaw() != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
  return true;
}

void CRQX340MainDlg::DDX_FolderCombo(bool save) {
  const HWND combo = GetDlgItem(kIdcFolder);
  if (save) {
    m_state.SetFolderText(WindowText(combo));
    return;
  }
  const int index = m_state.ShownFolderEntry();
  if (index >= 0) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(combo, win32::Wide(m_state.Folder()).c_str());
  }
}

void CRQX340MainDlg::LoadFolderList() {
  const HWND combo = GetDlgItem(kIdcFolder);
  const std::vector<FolderEntry>& entries = m_state.FolderEntries();
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  bool same = count == static_cast<int>(entries.size());
  for (int i = 0; same && i < count; ++i) {
    const FolderEntry& entry = entries[static_cast<std::size_t>(i)];
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    same = win32::Utf8(text) == entry.text &&
           (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) != 0) == entry.typed;
  }
  if (same) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const FolderEntry& entry : entries) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(win32::Wide(entry.text).c_str()));
    // Item data 1: typed or browsed, not yet imported from.
    if (index >= 0) {
      SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.typed ? 1 : 0);
    }
  }
}

void CRQX340MainDlg::UpdateControls() {
  const MainDialogControls controls = m_state.Controls();
  EnableWindow(GetDlgItem(kIdcImportSelected), controls.import_enabled);
  EnableWindow(GetDlgItem(kIdcImportRaw), controls.raw_enabled);
  const HWND empty = GetDlgItem(kIdcNoMeasurements);
  ShowWindow(empty, controls.empty_text_visible ? SW_SHOW : SW_HIDE);
  SetWindowPos(empty, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  InvalidateRect(empty, nullptr, TRUE);
  SetText(NotListedNote(), controls.not_listed_text);
  ShowNotListedNote();
}

void CRQX340MainDlg::CreateNotListedNote() {
  // The place in dialog units, from where this dialog's template (the
  // language's) put the progress bar and the Import button.
  RECT base{0, 0, 4, 8};
  MapDialogRect(m_hWnd, &base);
  const auto placed = [&](std::uint32_t id) {
    const HWND control = GetDlgItem(static_cast<int>(id));
    const Rect rect = control != nullptr ? ControlRectInDialog(control, m_hWnd) : Rect{};
    const DialogControl* in_template = FindMainDialogControl(id);
    return DialogControl{id,
                         MulDiv(rect.left, 4, base.right),
                         MulDiv(rect.top, 8, base.bottom),
                         MulDiv(rect.Width(), 4, base.right),
                         MulDiv(rect.Height(), 8, base.bottom),
                         in_template != nullptr ? in_template->anchors : 0u};
  };
  const DialogControl note = NotListedNotePlace(placed(kIdcProgress), placed(kIdcImportSelected));
  RECT rect{note.x, note.y, note.x + note.width, note.y + note.height};
  MapDialogRect(m_hWnd, &rect);
  // Owner-drawn: a flat text that reads like a link, never a mnemonic.
  const HWND window =
      CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdcNotListed)),
                      GetModuleHandleW(nullptr), nullptr);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  LOGFONTW underlined{};
  GetObjectW(font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT),
             sizeof underlined, &underlined);
  underlined.lfUnderline = TRUE;
  m_hLinkFont = CreateFontIndirectW(&underlined);
  // In the Tab order where the progress bar stands.
  SetWindowPos(window, GetDlgItem(kIdcProgress), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CRQX340MainDlg::ShowNotListedNote() {
  const HWND note = NotListedNote();
  if (note == nullptr) return;
  const bool shown = GetWindowTextLengthW(note) > 0 && !IsWindowVisible(GetDlgItem(kIdcProgress));
  if (!shown && GetFocus() == note) SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
  ShowWindow(note, shown ? SW_SHOWNA : SW_HIDE);
  InvalidateRect(note, nullptr, TRUE);
}

NotListedWindow* CRQX340MainDlg::NotListedWindowOpen() const {
  return m_notListed != nullptr && m_notListed->IsOpen() ? m_notListed.get() : nullptr;
}

void CRQX340MainDlg::OpenNotListed() {
  if (NotListedWindowOpen() != nullptr || !IsWindowEnabled(m_hWnd)) return;
  auto window = std::make_unique<NotListedWindow>(m_state.NotListed(), m_app.Strings(), m_loop);
  const HWND dialog = m_hWnd;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (!window->Create(m_hWnd, font, [dialog] { PostMessageW(dialog, kNotListedClosed, 0, 0); })) {
    return;
  }
  m_notListed = std::move(window);
}

void CRQX340MainDlg::AfterScan() {
  UpdateControls();
  if (m_state.TakeDeferredClose()) PostMessageW(m_hWnd, WM_COMMAND, IDCANCEL, 0);
}

void CRQX340MainDlg::OnTimer(UINT_PTR id) {
  if (id != kStartTimerId) return;
  KillTimer(m_hWnd, kStartTimerId);
  m_bStartTimerPending = false;
  if (m_state.OnTimer(m_scanProgress)) AfterScan();
}

void CRQX340MainDlg::OnSelChangeFolder() {
  if (!UpdateData(true)) return;
  const auto entry = static_cast<int>(SendMessageW(GetDlgItem(kIdcFolder), CB_GETCURSEL, 0, 0));
  // Also when it is the folder listed already.
  if (!m_state.OnSelChangeFolder(entry, m_scanProgress)) return;
  UpdateData(false);
  AfterScan();
}

void CRQX340MainDlg::OnKillFocusFolder() {
  // Focus that leaves because the dialog is disabled or closes is no typed folder.
  if (!m_state.TakesTypedFolder() || !IsWindowEnabled(m_hWnd) || !IsWindowVisible(m_hWnd)) return;
  if (!m_state.OnKillFocusFolder(WindowText(GetDlgItem(kIdcFolder)), m_scanProgress)) return;
  AfterScan();
  LoadFolderList();
  UpdateData(false);
}

void CRQX340MainDlg::OnBrowse() {
  if (!UpdateData(true)) return;
  std::string folder = m_state.Folder();
  // The browser disables the dialog while it is open.
  const bool chosen = m_browser.ShellBrowseForFolder(m_hWnd, folder);
  if (!chosen || !m_state.OnBrowsed(std::move(folder), m_scanProgress)) return;
  AfterScan();
  LoadFolderList();
  UpdateData(false);
}

void CRQX340MainDlg::SetDialogEnabled(bool enabled) {
  // A preview reads its file through the same pump: it waits meanwhile.
  for (const auto& preview : m_previews) preview->Enable(enabled);
  if (!enabled) {
    m_hFocusBeforeDisable = GetFocus();
    EnableWindow(m_hWnd, FALSE);
    return;
  }
  EnableWindow(m_hWnd, TRUE);
  if (m_hFocusBeforeDisable != nullptr && IsWindow(m_hFocusBeforeDisable) &&
      IsWindowEnabled(m_hFocusBeforeDisable) && IsWindowVisible(m_hFocusBeforeDisable)) {
    SetFocus(m_hFocusBeforeDisable);
  }
  m_hFocusBeforeDisable = nullptr;
}

void CRQX340MainDlg::OnImportSelected() {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (!UpdateData(true)) return;
  // Whatever breaks the import off is said there; the dialog is usable again.
  m_state.ImportSelected(m_messages, m_progress, [this] {
    SetDialogEnabled(false);
    LoadFolderList();
    UpdateData(false);
  });
  m_progress.Hide();
  SetDialogEnabled(true);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void CRQX340MainDlg::OnCancel() {
  if (m_state.RequestClose() != MainDialogState::CloseAnswer::kClose) return;
  UpdateData(true);
  m_state.Close();
  m_nResult = IDCANCEL;
  m_bEnded = true;
  ShowWindow(m_hWnd, SW_HIDE);
}

MeasurementPreviewWindow* CRQX340MainDlg::OpenPreview(int row) {
  if (!m_state.CanPreview(row) || !IsWindowEnabled(m_hWnd)) return nullptr;
  const CRQX340Json* measurement = m_state.List().RecordAt(row);
  auto preview = std::make_unique<MeasurementPreviewWindow>(m_app, m_loop, m_state.Folder(),
                                                            measurement->m_strName);
  const HWND dialog = m_hWnd;
  if (!preview->Create(m_hWnd, [dialog] { PostMessageW(dialog, kPreviewClosed, 0, 0); })) {
    return nullptr;
  }
  MeasurementPreviewWindow* shown = preview.get();
  m_previews.push_back(std::move(preview));
  shown->Load(m_app.Pump());
  return shown->IsOpen() ? shown : nullptr;
}

std::vector<MeasurementPreviewWindow*> CRQX340MainDlg::Previews() const {
  std::vector<MeasurementPreviewWindow*> open;
  for (const auto& preview : m_previews) {
    if (preview->IsOpen()) open.push_back(preview.get());
  }
  return open;
}

MeasurementPreviewWindow* CRQX340MainDlg::Preview() const {
  for (auto it = m_previews.rbegin(); it != m_previews.rend(); ++it) {
    if ((*it)->IsOpen()) return it->get();
  }
  return nullptr;
}

void CRQX340MainDlg::ClosePreviews() {
  for (const auto& preview : m_previews) preview->Destroy();
  m_previews.clear();
}

void CRQX340MainDlg::OnListContextMenu(POINT screen_point) {
  const HWND list = m_list.GetSafeHwnd();
  int row = -1;
  if (screen_point.x == -1 && screen_point.y == -1) {
    // From the keyboard: the current row.
    row = m_list.CurrentRow();
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    if (row < 0 || !SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                 reinterpret_cast<LPARAM>(&item))) {
      return;
    }
    screen_point = {item.left + 8, item.bottom};
    ClientToScreen(list, &screen_point);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = screen_point;
    ScreenToClient(list, &hit.pt);
    row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  }
  if (row < 0) return;
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | (m_state.Busy() ? MF_GRAYED : 0), kIdmPreview,
              win32::Wide(m_app.Strings().Load(kIdsPreviewMenu) + "\tCtrl+P").c_str());
  const auto chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen_point.x,
                                     screen_point.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
  if (chosen == static_cast<BOOL>(kIdmPreview)) OpenPreview(row);
}

void CRQX340MainDlg::SubclassFolderBox() {
  const HWND combo = GetDlgItem(kIdcFolder);
  COMBOBOXINFO info{sizeof info};
  GetComboBoxInfo(combo, &info);
  SetWindowSubclass(combo, FolderSubclassProc, kFolderSubclassId, 0);
  if (info.hwndItem != nullptr) {
    SetWindowSubclass(info.hwndItem, FolderSubclassProc, kFolderSubclassId, 0);
  }
}

LRESULT CALLBACK CRQX340MainDlg::FolderSubclassProc(HWND window, UINT message, WPARAM wparam,
                                                    LPARAM lparam, UINT_PTR, DWORD_PTR) {
  // The combo box, or its edit field inside it.
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  const HWND combo = lstrcmpiW(name, WC_COMBOBOXW) == 0 ? window : GetParent(window);
  const bool dropped = SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      // In the closed box the keys that would step through the entries do
      // nothing; Alt+Down and F4 open the list.
      const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
      const bool step = wparam == VK_PRIOR || wparam == VK_NEXT ||
                        ((wparam == VK_UP || wparam == VK_DOWN) && !alt);
      if (!dropped && step) return 0;
      break;
    }
    case WM_MOUSEWHEEL:
      if (!dropped) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, FolderSubclassProc, kFolderSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

INT_PTR CRQX340MainDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      switch (id) {
        case IDOK:  // Enter does nothing anywhere
          return TRUE;
        case IDCANCEL:
          OnCancel();
          return TRUE;
        case kIdcImportSelected:
          if (code == BN_CLICKED) OnImportSelected();
          return TRUE;
        case kIdcBrowse:
          if (code == BN_CLICKED) OnBrowse();
          return TRUE;
        case kIdcNotListed:
          if (code == BN_CLICKED) OpenNotListed();
          return TRUE;
        case kIdcFolder:
          // A pick from the list (a click, or Enter in the open list); moving
          // through the open list picks nothing.
          if (code == CBN_SELENDOK) OnSelChangeFolder();
          if (code == CBN_KILLFOCUS) OnKillFocusFolder();
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      LRESULT result = 0;
      if (header.idFrom == static_cast<UINT_PTR>(kIdcList) && m_list.OnNotify(header, result)) {
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) != m_list.GetSafeHwnd()) return FALSE;
      OnListContextMenu({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return TRUE;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlID != kIdcNotListed) return FALSE;
      DrawNoteLink(item, m_hLinkFont);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (!m_state.Busy() && reinterpret_cast<HWND>(wparam) == NotListedNote() &&
          IsWindowEnabled(m_hWnd)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      if (!m_state.Busy()) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CLOSE:
      OnCancel();
      return TRUE;
    case kNotListedClosed:
      if (m_notListed != nullptr && !m_notListed->IsOpen()) m_notListed.reset();
      return TRUE;
    case kPreviewClosed:
      for (auto it = m_previews.begin(); it != m_previews.end();) {
        it = (*it)->IsOpen() ? it + 1 : m_previews.erase(it);
      }
      return TRUE;
    default:
      return CQWResizingDialog::OnMessage(message, wparam, lparam);
  }
}

}  // namespace rqx340
