// The Win32 dialog, driven by messages as a user's clicks and keys arrive:
// BM_CLICK, LVM_SETITEMSTATE, WM_KEYDOWN, a header click, a drag of the grip,
// SetWindowPos. Settings live in memory; imports go to a real zul-refhost.exe.
#include "ui/win32/main_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

#include "app/measurement_preview_texts.h"
#include "app/preview_plot_layout.h"
#include "base/number_text.h"
#include "gen/measurement_generator.h"
#include "platform/win32/win32_util.h"
#include "support/app_context.h"
#include "support/recording_sink.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/temp_dir.h"
#include "ui/win32/dialog_program.h"
#include "ui/win32/message_box_sink.h"
#include "ui/win32/resource_library.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::string Text(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return win32::Utf8(text);
}

// Runs the thread's messages for `duration`, or until `done` says so.
bool PumpUntil(const std::function<bool()>& done, milliseconds duration = milliseconds(5000)) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(milliseconds(2));
  }
  return true;
}

void PumpFor(milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

// Holds down the keys of `modifiers` (VK_CONTROL, VK_MENU) for the thread while it lives.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(m_before);
    BYTE state[256];
    std::copy(std::begin(m_before), std::end(m_before), state);
    for (const int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~HeldKeys() { SetKeyboardState(m_before); }

 private:
  BYTE m_before[256] = {};
};

class MainDialogTest : public ::testing::Test {
 protected:
  MainDialogTest() {
    options.count = 5;
    options.rows = 30;
    options.raw = 3;
    options.raw_samples = 200;
    options.seed = 1;
    std::string error;
    EXPECT_TRUE(gen::WriteMeasurements(options, Folder(), &error)) << error;
  }

  std::string Folder() const { return (root.Path() / "meas").string() + "\\"; }
  std::string Name(std::uint32_t index) const { return gen::PlanMeasurement(options, index).name; }

  // Runs the program's dialog with `script` over a live host (`host_window`,
  // or a window of the test), its settings in `profile`, then shuts down.
  void Run(const std::function<void(CRQX340MainDlg&)>& script, WindowHandle host_window = 0,
           std::vector<std::string> extra = {}) {
    std::unique_ptr<MessageEndpoint> own_host;
    if (host_window == 0) {
      own_host = test::MakeWindow(session.Open());
      ASSERT_TRUE(own_host);
      host_window = own_host->Handle();
    }
    AppContext context = test::TestAppContext({}, "C:\\nowhere\\", profile);
    context.libraries = std::make_shared<DllLibraryLoader>();
    context.program_strings = &ProgramStrings();
    app = std::make_unique<CRQX340App>(std::move(context));
    std::vector<std::string> arguments = {test::HostSwitch(host_window)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::int32_t language = 0;
    ASSERT_TRUE(app->InitInstance(arguments, language));
    RunDialogProgram(*app, language, *sink, script);
  }

  // The rows' texts of `column`, top first.
  static std::vector<std::string> Column(CRQX340MainDlg& dialog, int column) {
    return ColumnOf(dialog.GetDlgItem(kIdcList), column);
  }
  static std::vector<std::string> ColumnOf(HWND list, int column) {
    std::vector<std::string> texts;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      wchar_t text[256] = {};
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
      texts.push_back(win32::Utf8(text));
    }
    return texts;
  }

  static bool Checked(CRQX340MainDlg& dialog, int row) {
    const auto state = SendMessageW(dialog.GetDlgItem(kIdcList), LVM_GETITEMSTATE,
                                    static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
  }

  static void SetState(CRQX340MainDlg& dialog, int row, UINT mask, UINT state) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(dialog.GetDlgItem(kIdcList), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
  }

  // A click on the header of `column`, as the mouse gives it.
  static void ClickHeader(CRQX340MainDlg& dialog, int column) {
    ClickHeaderOf(dialog.GetDlgItem(kIdcList), column);
  }
  static void ClickHeaderOf(HWND list, int column) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT rect{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
  }

  // Types `folder` into the folder box and moves the focus away.
  static void TypeFolder(CRQX340MainDlg& dialog, const std::string& folder) {
    SetWindowTextW(dialog.GetDlgItem(kIdcFolder), win32::Wide(folder).c_str());
    SendMessageW(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(kIdcFolder, CBN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(dialog.GetDlgItem(kIdcFolder)));
  }

  static std::vector<std::string> FolderEntries(CRQX340MainDlg& dialog) {
    const HWND combo = dialog.GetDlgItem(kIdcFolder);
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[512] = {};
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(win32::Utf8(text));
    }
    return entries;
  }

  // A reference host that launches this dialog, its inbox in the test's folder.
  std::unique_ptr<test::RefHost> StartHost(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"--tool", test::ProgramPath("rqx340-import"), "--inbox",
                                          (root.Path() / "inbox").string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return std::make_unique<test::RefHost>(session, arguments);
  }

  static RECT RectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  test::TempDir root;
  test::TestSession session;
  gen::GeneratorOptions options;
  test::MemoryProfile profile;
  test::RecordingSink messages;
  // Where the dialog's messages go.
  MessageSink* sink = &messages;
  std::unique_ptr<CRQX340App> app;
};

TEST_F(MainDialogTest, TheFirstStartWithoutSettingsListsNothingAndScansNothing) {
  Run([&](CRQX340MainDlg& dialog) {
    EXPECT_TRUE(dialog.StartTimerPending());
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    EXPECT_EQ(dialog.State().Scans(), 0);
    EXPECT_EQ(Text(dialog.GetDlgItem(kIdcFolder)), "");
    EXPECT_EQ(IsDlgButtonChecked(dialog.GetSafeHwnd(), kIdcImportRaw), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(dialog.GetDlgItem(kIdcImportRaw)));
    EXPECT_FALSE(IsWindowEnabled(dialog.GetDlgItem(kIdcImportSelected)));
    EXPECT_TRUE(IsWindowVisible(dialog.GetDlgItem(kIdcNoMeasurements)));
    EXPECT_EQ(Text(dialog.GetDlgItem(kIdcNoMeasurements)),
              "No valid measurements in selected folder!");
    EXPECT_EQ(SendMessageW(dialog.GetDlgItem(kIdcList), LVM_GETITEMCOUNT, 0, 0), 0);
    // Sorted by name, descending: the downward arrow on Name only.
    EXPECT_NE(dialog.List().HeaderBitmap(0), nullptr);
    for (int column = 1; column < kListColumnCount; ++column) {
      EXPECT_EQ(dialog.List().HeaderBitmap(column), nullptr);
    }
    // No default button: Enter does nothing.
    SendMessageW(dialog.GetSafeHwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog.Ended());
  });
  // The template's size went to the settings, the outer window's.
  ASSERT_EQ(profile.values.count({"RQX340Import", "Width"}), 1u);
  EXPECT_GT(std::stoi(profile.values.at({"RQX340Import", "Width"})), 0);
  EXPECT_EQ((profile.values[{"RQX340Import", "Raw"}]), "1");
}

TEST_F(MainDialogTest, TheFolderOfTheLastRunIsListedSortedByNameDescending) {
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    EXPECT_EQ(dialog.State().Scans(), 1);
    EXPECT_EQ(Column(dialog, 0),
              (std::vector<std::string>{Name(4), Name(3), Name(2), Name(1), Name(0)}));
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(kIdcNoMeasurements)));
    EXPECT_EQ(Text(dialog.GetDlgItem(kIdcFolder)), Folder());
    // The Raw column: YES for the three with their raw data file.
    const auto raw = Column(dialog, kRawColumn);
    EXPECT_EQ(std::count(raw.begin(), raw.end(), "YES"), 3);
  });
}

TEST_F(MainDialogTest, HeaderClicksSortAndMoveTheArrow) {
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    ClickHeader(dialog, 3);  // Size: ascending
    const auto ascending = Column(dialog, 3);
    EXPECT_TRUE(std::is_sorted(
        ascending.begin(), ascending.end(),
        [](const std::string& a, const std::string& b) { return std::stoll(a) < std::stoll(b); }));
    EXPECT_EQ(dialog.List().HeaderBitmap(0), nullptr);
    const HBITMAP up = dialog.List().HeaderBitmap(3);
    EXPECT_NE(up, nullptr);
    ClickHeader(dialog, 3);  // again: descending
    auto descending = Column(dialog, 3);
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(descending, ascending);
    EXPECT_NE(dialog.List().HeaderBitmap(3), nullptr);
    ClickHeader(dialog, kRawColumn);  // Raw sorts by name
    EXPECT_EQ(Column(dialog, 0),
              (std::vector<std::string>{Name(0), Name(1), Name(2), Name(3), Name(4)}));
  });
  EXPECT_EQ(profile.values.at({"MeasList", "SortColumn"}), "5");
  EXPECT_EQ(profile.values.at({"MeasList", "SortOrder"}), "1");
}

TEST_F(MainDialogTest, SpaceChecksTheSelectionAndTheButtonsFollow) {
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    const HWND list = dialog.GetDlgItem(kIdcList);
    // Rows 1 to 3 selected, row 2 current; Space checks all three.
    for (const int row : {1, 2, 3}) SetState(dialog, row, LVIS_SELECTED, LVIS_SELECTED);
    SetState(dialog, 2, LVIS_FOCUSED, LVIS_FOCUSED);
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list, WM_CHAR, L' ', 0);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(Checked(dialog, row), row >= 1 && row <= 3) << row;
    EXPECT_TRUE(IsWindowEnabled(dialog.GetDlgItem(kIdcImportSelected)));
    EXPECT_EQ(dialog.State().List().GetCheckedIndices().size(), 3u);
    // A click on the box of a row outside the selection: that row alone.
    SetState(dialog, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    EXPECT_TRUE(Checked(dialog, 0));
    EXPECT_EQ(dialog.State().List().GetCheckedIndices().size(), 4u);
    // Ctrl+A selects every row; Space on the current row unchecks them all.
    {
      const HeldKeys control({VK_CONTROL});
      SendMessageW(list, WM_KEYDOWN, 'A', 0);
    }
    EXPECT_EQ(dialog.List().SelectedRows().size(), 5u);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    for (int row = 0; row < 5; ++row) EXPECT_FALSE(Checked(dialog, row)) << row;
    EXPECT_FALSE(IsWindowEnabled(dialog.GetDlgItem(kIdcImportSelected)));
    EXPECT_FALSE(IsWindowEnabled(dialog.GetDlgItem(kIdcImportRaw)));
    // The marks go with their rows when the list is sorted.
    SetState(dialog, 0, LVIS_SELECTED, 0);
    for (int row = 0; row < 5; ++row) SetState(dialog, row, LVIS_SELECTED, 0);
    SetState(dialog, 4, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    const std::string checked_name = Column(dialog, 0)[4];
    ClickHeader(dialog, 0);
    const auto names = Column(dialog, 0);
    for (int row = 0; row < 5; ++row) {
      EXPECT_EQ(Checked(dialog, row), names[static_cast<std::size_t>(row)] == checked_name);
    }
  });
}

TEST_F(MainDialogTest, TheHistoryRulesOfTheFolderBox) {
  const std::string a = (root.Path() / "A").string() + "\\";
  const std::string c = (root.Path() / "C").string() + "\\";
  profile.values[{"RQX340Import", "UsedFolder0"}] = a;
  profile.values[{"RQX340Import", "UsedFolder2"}] = c;  // after an empty entry: not offered
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    // The last folder, not in the history, stands on top.
    EXPECT_EQ(FolderEntries(dialog), (std::vector<std::string>{Folder(), a}));
    // A typed folder is scanned and stands on top; the next typed one replaces it.
    TypeFolder(dialog, (root.Path() / "new1").string());
    EXPECT_EQ(dialog.State().Scans(), 2);
    EXPECT_EQ(FolderEntries(dialog),
              (std::vector<std::string>{(root.Path() / "new1").string(), Folder(), a}));
    TypeFolder(dialog, (root.Path() / "new2").string());
    EXPECT_EQ(FolderEntries(dialog),
              (std::vector<std::string>{(root.Path() / "new2").string(), Folder(), a}));
    EXPECT_TRUE(IsWindowVisible(dialog.GetDlgItem(kIdcNoMeasurements)));
    // The same folder again in other letter case: no rescan.
    std::string upper = (root.Path() / "new2").string();
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    TypeFolder(dialog, upper);
    EXPECT_EQ(dialog.State().Scans(), 3);
    // A pick from the list scans and leaves the typed entry in place.
    SendMessageW(dialog.GetDlgItem(kIdcFolder), CB_SETCURSEL, 1, 0);
    SendMessageW(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(kIdcFolder, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(dialog.GetDlgItem(kIdcFolder)));
    EXPECT_EQ(dialog.State().Scans(), 4);
    EXPECT_EQ(dialog.State().Folder(), Folder());
    EXPECT_EQ(SendMessageW(dialog.GetDlgItem(kIdcList), LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(FolderEntries(dialog).size(), 3u);
    // The keys that would step through the closed box do nothing.
    const HWND combo = dialog.GetDlgItem(kIdcFolder);
    COMBOBOXINFO info{sizeof info};
    GetComboBoxInfo(combo, &info);
    for (const WPARAM key : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR}) {
      SendMessageW(info.hwndItem, WM_KEYDOWN, key, 0);
      EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    }
    EXPECT_EQ(dialog.State().Scans(), 4);
  });
}

TEST_F(MainDialogTest, ResizingMovesTheControlsByTheirAnchorsAndIsKept) {
  Run([&](CRQX340MainDlg& dialog) {
    const HWND window = dialog.GetSafeHwnd();
    RECT initial{};
    GetWindowRect(window, &initial);
    const RECT list = RectOf(dialog.GetDlgItem(kIdcList));
    const RECT close = RectOf(dialog.GetDlgItem(kIdcClose));
    const RECT browse = RectOf(dialog.GetDlgItem(kIdcBrowse));
    const RECT label = RectOf(dialog.GetDlgItem(kIdcFolderLabel));
    const RECT progress = RectOf(dialog.GetDlgItem(kIdcProgress));
    SetWindowPos(window, nullptr, 0, 0, initial.right - initial.left + 100,
                 initial.bottom - initial.top + 50, SWP_NOMOVE | SWP_NOZORDER);
    const RECT list_after = RectOf(dialog.GetDlgItem(kIdcList));
    EXPECT_EQ(list_after.right - list_after.left, list.right - list.left + 100);
    EXPECT_EQ(list_after.bottom - list_after.top, list.bottom - list.top + 50);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcClose)).left, close.left + 100);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcClose)).top, close.top + 50);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcBrowse)).left, browse.left + 100);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcBrowse)).top, browse.top);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcFolderLabel)).left, label.left);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcProgress)).top, progress.top + 50);
    // The grip stays in the corner.
    RECT client{};
    GetClientRect(window, &client);
    const RECT grip = RectOf(dialog.GetDlgItem(CQWResizingDialog::kSizeGripId));
    EXPECT_EQ(grip.right, client.right);
    EXPECT_EQ(grip.bottom, client.bottom);
    // The Name column has 44 % of the usable width.
    RECT list_client{};
    GetClientRect(dialog.GetDlgItem(kIdcList), &list_client);
    EXPECT_EQ(SendMessageW(dialog.GetDlgItem(kIdcList), LVM_GETCOLUMNWIDTH, 0, 0),
              (list_client.right - GetSystemMetrics(SM_CXVSCROLL)) * 44 / 100);

    // Dragging the grip 30 right and 20 down.
    RECT before{};
    GetWindowRect(window, &before);
    // The mouse's points come in the grip's coordinates of the moment: the
    // grip moves with the corner during the drag.
    const HWND grip_window = dialog.GetDlgItem(CQWResizingDialog::kSizeGripId);
    POINT press{5, 5};
    ClientToScreen(grip_window, &press);
    const auto send = [&](UINT message, WPARAM keys, int dx, int dy) {
      POINT point{press.x + dx, press.y + dy};
      ScreenToClient(grip_window, &point);
      SendMessageW(grip_window, message, keys, MAKELPARAM(point.x, point.y));
    };
    send(WM_LBUTTONDOWN, MK_LBUTTON, 0, 0);
    send(WM_MOUSEMOVE, MK_LBUTTON, 45, 45);
    send(WM_MOUSEMOVE, MK_LBUTTON, 10, 70);
    send(WM_LBUTTONUP, 0, 30, 20);
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 30);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 20);

    // Never below the first size.
    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, initial.right - initial.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, initial.bottom - initial.top);
    // Back at the first size, every control is where it started.
    SetWindowPos(window, nullptr, 0, 0, initial.right - initial.left, initial.bottom - initial.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcList)).right, list.right);
    EXPECT_EQ(RectOf(dialog.GetDlgItem(kIdcClose)).left, close.left);
  });
  // The size of every resize, the last one kept.
  EXPECT_EQ(profile.values.count({"RQX340Import", "Width"}), 1u);

  // The next run opens at the kept size, never below the template's.
  profile.values[{"RQX340Import", "Width"}] = "1100";
  profile.values[{"RQX340Import", "Height"}] = "10";
  Run([&](CRQX340MainDlg& dialog) {
    RECT window{};
    GetWindowRect(dialog.GetSafeHwnd(), &window);
    EXPECT_EQ(window.right - window.left, 1100);
    MINMAXINFO limits{};
    SendMessageW(dialog.GetSafeHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(window.bottom - window.top, limits.ptMinTrackSize.y);
  });
}

TEST_F(MainDialogTest, EscClosesAndEnterDoesNot) {
  Run([&](CRQX340MainDlg& dialog) {
    const HWND list = dialog.GetDlgItem(kIdcList);
    SetFocus(list);
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(milliseconds(100));
    EXPECT_FALSE(dialog.Ended());
    CheckDlgButton(dialog.GetSafeHwnd(), kIdcImportRaw, BST_UNCHECKED);
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    // Through the dialog manager, as the program's loop takes it.
    MSG message{};
    EXPECT_TRUE(PumpUntil([&] {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(dialog.GetSafeHwnd(), &message)) {
          TranslateMessage(&message);
          DispatchMessageW(&message);
        }
      }
      return dialog.Ended();
    }));
  });
  EXPECT_EQ(profile.values.at({"RQX340Import", "Raw"}), "0");
}

// The children of `parent` of window class `class_name`.
std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* class_name) {
  struct Search {
    const wchar_t* class_name;
    std::vector<HWND> found;
  } search{class_name, {}};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, search.class_name) == 0) search.found.push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "(no clipboard)";
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = win32::Utf8(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The sort arrow a header shows on `column`: 1 up, -1 down, 0 none.
int SortArrow(HWND list, int column) {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  return (item.fmt & HDF_SORTUP) != 0 ? 1 : ((item.fmt & HDF_SORTDOWN) != 0 ? -1 : 0);
}

TEST_F(MainDialogTest, FilesNotListedShowANoteWhoseWindowListsSortsAndCopiesThem) {
  // One file the scan leaves out for each reason a test can make anywhere.
  const fs::path folder = root.Path() / "meas";
  std::ofstream(folder / "a&b.rqx2", std::ios::binary).flush();
  std::ofstream(folder / "Broken.rqx2", std::ios::binary) << "{]";
  fs::create_directory(folder / "folder.rqx2");
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    const HWND note = dialog.NotListedNote();
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(IsWindowVisible(note));
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    EXPECT_EQ(Column(dialog, 0).size(), 5u);
    // Where the progress bar stands, up to the Import button.
    EXPECT_TRUE(IsWindowVisible(note));
    EXPECT_EQ(Text(note), "3 files not listed\u2026");
    const RECT place = RectOf(note);
    const RECT bar = RectOf(dialog.GetDlgItem(kIdcProgress));
    const RECT import_button = RectOf(dialog.GetDlgItem(kIdcImportSelected));
    EXPECT_EQ(place.left, bar.left);
    EXPECT_EQ(place.top, bar.top);
    EXPECT_EQ(place.bottom, bar.bottom);
    EXPECT_GT(place.right, bar.right);
    EXPECT_LT(place.right, import_button.left);

    SendMessageW(note, BM_CLICK, 0, 0);
    NotListedWindow* window = dialog.NotListedWindowOpen();
    ASSERT_NE(window, nullptr);
    // Modal to the dialog.
    EXPECT_FALSE(IsWindowEnabled(dialog.GetSafeHwnd()));
    EXPECT_EQ(Text(window->GetSafeHwnd()), "Files not listed");
    const HWND view = window->ListView();
    // By name, letters without case, ascending; names as they are, "&" too.
    EXPECT_EQ(ColumnOf(view, 0),
              (std::vector<std::string>{"a&b.rqx2", "Broken.rqx2", "folder.rqx2"}));
    const std::vector<std::string> reasons = ColumnOf(view, 1);
    ASSERT_EQ(reasons.size(), 3u);
    EXPECT_EQ(reasons[0], "the file is empty");
    EXPECT_EQ(reasons[1].rfind("not valid JSON at byte ", 0), 0u) << reasons[1];
    EXPECT_EQ(reasons[2], "not a regular file");
    EXPECT_EQ(SortArrow(view, 0), 1);
    EXPECT_EQ(SortArrow(view, 1), 0);

    // By reason, then the other way round.
    ClickHeaderOf(view, 1);
    EXPECT_EQ(ColumnOf(view, 0),
              (std::vector<std::string>{"folder.rqx2", "Broken.rqx2", "a&b.rqx2"}));
    EXPECT_EQ(SortArrow(view, 0), 0);
    EXPECT_EQ(SortArrow(view, 1), 1);
    ClickHeaderOf(view, 1);
    EXPECT_EQ(ColumnOf(view, 0),
              (std::vector<std::string>{"a&b.rqx2", "Broken.rqx2", "folder.rqx2"}));
    EXPECT_EQ(SortArrow(view, 1), -1);

    // Ctrl+C copies the selected rows, Copy every row when none is selected.
    const auto select = [&](int row, bool selected) {
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED;
      item.state = selected ? LVIS_SELECTED : 0;
      SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    };
    select(0, true);
    select(2, true);
    const std::string line0 = "a&b.rqx2\tthe file is empty\r\n";
    const std::string line1 = "Broken.rqx2\t" + reasons[1] + "\r\n";
    const std::string line2 = "folder.rqx2\tnot a regular file\r\n";
    SetFocus(view);
    {
      const HeldKeys control({VK_CONTROL});
      SendMessageW(view, WM_KEYDOWN, 'C', 0);
    }
    EXPECT_EQ(ClipboardText(), line0 + line2);
    for (int row = 0; row < 3; ++row) select(row, false);
    SendMessageW(GetDlgItem(window->GetSafeHwnd(), NotListedWindow::kIdCopy), BM_CLICK, 0, 0);
    EXPECT_EQ(ClipboardText(), line0 + line1 + line2);

    // Enter closes nothing; Esc, through the dialog manager as the program's
    // loop takes it, closes the window, and the dialog is usable again.
    const HWND window_handle = window->GetSafeHwnd();
    const auto pump_as_the_loop = [&](const std::function<bool()>& done,
                                      milliseconds duration = milliseconds(5000)) {
      return PumpUntil(
          [&] {
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
              if (!IsWindow(window_handle) || !IsDialogMessageW(window_handle, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
              }
            }
            return done();
          },
          duration);
    };
    PostMessageW(view, WM_KEYDOWN, VK_RETURN, 0);
    pump_as_the_loop([] { return false; }, milliseconds(200));
    EXPECT_NE(dialog.NotListedWindowOpen(), nullptr);
    PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(pump_as_the_loop([&] { return dialog.NotListedWindowOpen() == nullptr; }));
    EXPECT_TRUE(IsWindowEnabled(dialog.GetSafeHwnd()));

    // A folder without such files: no note.
    TypeFolder(dialog, (root.Path() / "none").string());
    EXPECT_FALSE(IsWindowVisible(note));
    EXPECT_EQ(Text(note), "");
  });
}

TEST_F(MainDialogTest, NamesAndTableTextsAreShownAsTheyAreNeverAsMnemonics) {
  // A measurement whose name holds "&", which a label would take for a mnemonic.
  fs::copy_file(root.Path() / "meas" / Name(0), root.Path() / "meas" / "x&y.rqx2");
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    const auto names = Column(dialog, 0);
    const auto found = std::find(names.begin(), names.end(), "x&y.rqx2");
    ASSERT_NE(found, names.end());
    MeasurementPreviewWindow* preview = dialog.OpenPreview(static_cast<int>(found - names.begin()));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(Text(preview->GetSafeHwnd()), "Preview - x&y.rqx2");
    // Every label; only the two that name their field's key (the folder box's
    // and the exposure time's) mark one.
    std::vector<HWND> labels;
    for (const HWND label : ChildrenOfClass(preview->GetSafeHwnd(), WC_STATICW)) {
      if (Text(label) == EnglishStrings().Load(kIdsExposureHoursLabel)) {
        EXPECT_EQ(GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX, 0);
      } else {
        labels.push_back(label);
      }
    }
    EXPECT_GE(labels.size(), 4u);
    for (const HWND label : ChildrenOfClass(dialog.GetSafeHwnd(), WC_STATICW)) {
      if (GetDlgCtrlID(label) != kIdcFolderLabel) labels.push_back(label);
    }
    for (const HWND label : labels) {
      SCOPED_TRACE(Text(label));
      EXPECT_NE(GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX, 0);
    }
    EXPECT_NE(GetWindowLongW(dialog.NotListedNote(), GWL_STYLE) & BS_OWNERDRAW, 0);
  });
}

TEST_F(MainDialogTest, TheSavedSizeOpensNeverBelowTheTemplateNorAboveTheWorkArea) {
  struct Case {
    const char* name;
    const char* width;
    const char* height;
    bool work_area;  // else the template's size
  };
  const Case cases[] = {
      {"largest", "2147483647", "2147483647", true},
      {"smaller", "300", "10", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile = test::MemoryProfile();
    profile.values[{"RQX340Import", "Width"}] = c.width;
    profile.values[{"RQX340Import", "Height"}] = c.height;
    RECT opened{};
    RECT work{};
    POINT minimum{};
    Run([&](CRQX340MainDlg& dialog) {
      GetWindowRect(dialog.GetSafeHwnd(), &opened);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      GetMonitorInfoW(MonitorFromWindow(dialog.GetSafeHwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
      work = monitor.rcWork;
      MINMAXINFO limits{};
      SendMessageW(dialog.GetSafeHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
      minimum = limits.ptMinTrackSize;
    });
    const SIZE expected = c.work_area ? SIZE{work.right - work.left, work.bottom - work.top}
                                      : SIZE{minimum.x, minimum.y};
    EXPECT_EQ(opened.right - opened.left, expected.cx);
    EXPECT_EQ(opened.bottom - opened.top, expected.cy);
    // Inside the work area, the caption within reach.
    EXPECT_GE(opened.left, work.left);
    EXPECT_GE(opened.top, work.top);
    EXPECT_EQ(profile.values.at({"RQX340Import", "Width"}), std::to_string(expected.cx));
    EXPECT_EQ(profile.values.at({"RQX340Import", "Height"}), std::to_string(expected.cy));
  }
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST_F(MainDialogTest, CtrlPOpensThePreviewWithTheCoresNumbersPlotAndExports) {
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    const HWND list = dialog.GetDlgItem(kIdcList);
    // M0001, with its raw data file, is the last row.
    SetState(dialog, 4, LVIS_FOCUSED, LVIS_FOCUSED);
    {
      const HeldKeys control({VK_CONTROL});
      SendMessageW(list, WM_KEYDOWN, 'P', 0);
    }
    MeasurementPreviewWindow* preview = dialog.Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(Text(preview->GetSafeHwnd()), "Preview - " + Name(0));
    EXPECT_EQ(preview->Numbers().rows, 30u);
    EXPECT_NE(preview->NumbersText().find("Rows:\t30"), std::string::npos);
    EXPECT_EQ(preview->Plot().columns, 30u);
    EXPECT_EQ(preview->ExposureHours(), 8.0);
    EXPECT_EQ(preview->A8Text().rfind("A(8)", 0), 0u);
    // A time out of range: said so, and not kept.
    preview->SetExposureHoursText("30");
    EXPECT_EQ(preview->A8Text(), "A(8): enter 0 < T <= 24 hours");
    preview->SetExposureHoursText("4");

    // The plot is drawn in the series' colours.
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
    SelectObject(memory, bitmap);
    preview->PlotWindow().Draw(memory, {0, 0, 400, 200});
    int coloured = 0;
    const std::uint32_t x_colour = kSeriesColours[0];
    for (int x = 0; x < 400; x += 2) {
      for (int y = 0; y < 200; ++y) {
        if (GetPixel(memory, x, y) ==
            RGB((x_colour >> 16) & 0xFF, (x_colour >> 8) & 0xFF, x_colour & 0xFF)) {
          ++coloured;
        }
      }
    }
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(coloured, 20);

    // The exports write what `rqx340 export` writes.
    NullMessagePump pump;
    const fs::path csv = root.Path() / "out.csv";
    const fs::path wav = root.Path() / "out.wav";
    ASSERT_TRUE(preview->ExportCsvTo(csv.string(), pump));
    ASSERT_TRUE(preview->ExportWavTo(wav.string(), pump));
    const fs::path cli_csv = root.Path() / "cli.csv";
    const fs::path cli_wav = root.Path() / "cli.wav";
    EXPECT_EQ(test::RunProgram("rqx340", {"export", "--csv", Folder() + Name(0), cli_csv.string()})
                  .exit_code,
              0);
    EXPECT_EQ(test::RunProgram("rqx340", {"export", "--wav", Folder() + Name(0), cli_wav.string()})
                  .exit_code,
              0);
    EXPECT_EQ(FileBytes(csv), FileBytes(cli_csv));
    EXPECT_EQ(FileBytes(wav), FileBytes(cli_wav));

    // Esc closes it.
    preview->Close();
    EXPECT_EQ(dialog.Preview(), nullptr);
  });
  EXPECT_EQ(profile.values.at({"RQX340Import", "ExposureHours"}), "4");
}

// The Win32 preview draws the axes the core lays out, as the Linux one: a
// generated measurement of 30 rows over 30 seconds in elapsed time from 0:00,
// the time of day under it, round value ticks up to the scale's top.
TEST_F(MainDialogTest, ThePreviewPlotsOnATimeAxisWithRoundValueTicks) {
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    const auto names = Column(dialog, 0);
    const int row =
        static_cast<int>(std::find(names.begin(), names.end(), Name(1)) - names.begin());
    MeasurementPreviewWindow* preview = dialog.OpenPreview(row);
    ASSERT_NE(preview, nullptr);
    const HWND plot = preview->PlotWindow().GetSafeHwnd();
    RECT client{};
    GetClientRect(plot, &client);
    const HDC dc = GetDC(plot);
    const PlotFrame frame = preview->PlotWindow().Frame(dc, client);
    // And the whole picture draws.
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    preview->PlotWindow().Draw(memory, client);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(plot, dc);

    EXPECT_EQ(frame.x.title, EnglishStrings().Load(kIdsPlotElapsedAndTimeOfDay));
    ASSERT_GE(frame.x.ticks.size(), 2u) << client.right;
    EXPECT_EQ(frame.x.ticks.front().label, "0:00");
    for (const AxisTick& tick : frame.x.ticks) {
      EXPECT_LE(tick.value, 30.0);
      EXPECT_EQ(tick.label.size(), 4u) << tick.label;  // m:ss
      EXPECT_FALSE(tick.secondLabel.empty());
    }
    ASSERT_GE(frame.y.ticks.size(), 2u);
    const double step = frame.y.ticks[1].value - frame.y.ticks[0].value;
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                std::fabs(mantissa - 5) < 1e-6)
        << step;
    EXPECT_EQ(frame.y.ticks.back().value, frame.y.top);
    preview->Close();
  });
}

TEST_F(MainDialogTest, ThePreviewShowsNumbersForPeopleAndNoAllClearOverCellsThatAreNotNumbers) {
  // A hand-arm measurement far below its action value, were its cells numbers.
  std::ofstream(root.Path() / "meas" / "strings.rqx2", std::ios::binary)
      << R"({"Header":{"SerialNum":"RQ340-1","StartDateTime":1687768584},)"
      << R"("MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":1,)"
      << R"("TAG_STORE_RAW_53":0,"TAG_EXPOSUREACTION_66":2.5,"TAG_EXPOSURELIMIT_65":5}},)"
      << R"("TimeHistoryColumns":{"rms_x":0,"rms_y":1,"rms_z":2,"rms_sum":3,"peak_x":4,)"
      << R"("peak_y":5,"peak_z":6,"peak_sum":7,"vdv_x":8,"vdv_y":9,"vdv_z":10},)"
      << R"("TimeHistory":[["a","a","a","a","a","a","a","a","a","a","a"],)"
      << R"(["a","a","a","a","a","a","a","a","a","a","a"]]})";
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  Run([&](CRQX340MainDlg& dialog) {
    PumpUntil([&] { return !dialog.StartTimerPending(); });
    const auto names = Column(dialog, 0);
    const auto row_of = [&](const std::string& name) {
      return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    // A generated measurement: its accelerations with 4 significant digits.
    MeasurementPreviewWindow* preview = dialog.OpenPreview(row_of(Name(1)));
    ASSERT_NE(preview, nullptr);
    const AxisNumbers& x = (*preview->Numbers().axes)[0];
    EXPECT_NE(preview->NumbersText().find("rms " + AccelerationText(x.rms) + " m/s\u00b2"),
              std::string::npos)
        << preview->NumbersText();
    preview->Close();

    preview = dialog.OpenPreview(row_of("strings.rqx2"));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->VerdictText(), "unknown (6 values are not numbers)");
    EXPECT_NE(preview->WarningText().find("Values that are not numbers, read as 0: X 6, Y 6"),
              std::string::npos)
        << preview->WarningText();
    // Grey, as the window colours it.
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HWND verdict = FindWindowExW(preview->GetSafeHwnd(), nullptr, WC_STATICW,
                                       win32::Wide(preview->VerdictText()).c_str());
    ASSERT_NE(verdict, nullptr);
    SendMessageW(preview->GetSafeHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                 reinterpret_cast<LPARAM>(verdict));
    const std::uint32_t grey = VerdictColour(ExposureVerdict::kUnknown);
    EXPECT_EQ(GetTextColor(memory), RGB((grey >> 16) & 0xFF, (grey >> 8) & 0xFF, grey & 0xFF));
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  });
}

// The message box of the import, answered from another thread as a user would:
// the text noted, OK pressed.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() {
    m_thread = std::thread([this] {
      while (!m_stop) {
        const HWND box = FindWindowW(L"#32770", L"ZUL4 RQX340");
        if (box != nullptr && IsWindowVisible(box)) {
          wchar_t text[1024] = {};
          GetDlgItemTextW(box, 0xFFFF, text, 1024);
          {
            const std::lock_guard lock(m_mutex);
            m_texts.push_back(win32::Utf8(text));
          }
          SendMessageW(box, WM_COMMAND, IDOK, 0);
          while (IsWindow(box) && !m_stop) std::this_thread::sleep_for(milliseconds(5));
        }
        std::this_thread::sleep_for(milliseconds(10));
      }
    });
  }
  ~MessageBoxAnswerer() {
    m_stop = true;
    m_thread.join();
  }
  std::vector<std::string> Texts() {
    const std::lock_guard lock(m_mutex);
    return m_texts;
  }

 private:
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<std::string> m_texts;
  std::thread m_thread;
};

TEST_F(MainDialogTest, AnImportLandsTheCheckedMeasurementsInTheHostsInbox) {
  const fs::path inbox = root.Path() / "inbox";
  test::RefHost host(session,
                     {"--tool", test::ProgramPath("rqx340-import"), "--inbox", inbox.string()});
  ASSERT_TRUE(host.Started());
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  MessageBoxSink boxes;  // the program's own sink, over the dialog
  Run(
      [&](CRQX340MainDlg& dialog) {
        PumpUntil([&] { return !dialog.StartTimerPending(); });
        // Rows 0 and 2 (M0005, M0003) checked, then Alt+I.
        SetState(dialog, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        SetState(dialog, 2, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        SendMessageW(dialog.GetDlgItem(kIdcImportSelected), BM_CLICK, 0, 0);
        EXPECT_FALSE(dialog.State().Busy());
        EXPECT_TRUE(IsWindowEnabled(dialog.GetSafeHwnd()));
      },
      host.Window());
  EXPECT_TRUE(messages.messages.empty());
  // The folder went to the top of the history.
  EXPECT_EQ(profile.values.at({"RQX340Import", "UsedFolder0"}), Folder());
  EXPECT_EQ(profile.values.at({"RQX340Import", "LastFolder"}), Folder());
  host.Stop();
  // In list order, byte for byte what `rqx340 convert` writes.
  const std::string names[] = {Name(4), Name(2)};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(names[i]);
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%03d-", i + 1);
    const fs::path received = inbox / (prefix + names[i] + ".bin");
    ASSERT_TRUE(fs::exists(received));
    const fs::path converted = root.Path() / (names[i] + ".bin");
    ASSERT_EQ(
        test::RunProgram("rqx340", {"convert", Folder() + names[i], converted.string()}).exit_code,
        0);
    std::ifstream a(received, std::ios::binary), b(converted, std::ios::binary);
    const std::string received_bytes((std::istreambuf_iterator<char>(a)), {});
    const std::string converted_bytes((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(received_bytes, converted_bytes);
  }
}

TEST_F(MainDialogTest, AHostErrorIsAnsweredInItsMessageBox) {
  // Command 26 of the first measurement fails with status 6: one message.
  const auto failing_host = StartHost({"--fail", "26=6"});
  test::RefHost& host = *failing_host;
  ASSERT_TRUE(host.Started());
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  MessageBoxSink boxes;
  std::vector<std::string> texts;
  {
    MessageBoxAnswerer answerer;
    AppContext context = test::TestAppContext({}, "C:\\nowhere\\", profile);
    context.libraries = std::make_shared<DllLibraryLoader>();
    context.program_strings = &ProgramStrings();
    app = std::make_unique<CRQX340App>(std::move(context));
    std::int32_t language = 0;
    ASSERT_TRUE(
        app->InitInstance(std::vector<std::string>{test::HostSwitch(host.Window())}, language));
    RunDialogProgram(*app, language, boxes, [&](CRQX340MainDlg& dialog) {
      PumpUntil([&] { return !dialog.StartTimerPending(); });
      SetState(dialog, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
      SendMessageW(dialog.GetDlgItem(kIdcImportSelected), BM_CLICK, 0, 0);
      EXPECT_TRUE(IsWindowEnabled(dialog.GetSafeHwnd()));
    });
    texts = answerer.Texts();
  }
  ASSERT_EQ(texts.size(), 1u);
  // The measurement's name stands on a line before the host's error.
  EXPECT_EQ(texts[0], Name(4) + "\nWARNING! Main application error: Bad channel data.");
  host.Stop();
}

// Records the messages; calls `during` at each, while the import that shows it runs.
class ProbingSink final : public MessageSink {
 public:
  void ShowMessage(int id, std::string_view text) override {
    if (throw_first && messages.empty() && !thrown) {
      thrown = true;
      throw std::bad_alloc();
    }
    messages.push_back({id, std::string(text)});
    if (during) during();
  }
  void ShowDetail(std::string_view) override {}

  std::vector<test::RecordingSink::Message> messages;
  std::function<void()> during;
  bool throw_first = false;
  bool thrown = false;
};

TEST_F(MainDialogTest, EveryOpenPreviewIsDisabledWhileAnImportRuns) {
  // Command 26 of the first measurement fails with status 6: one message.
  const auto failing_host = StartHost({"--fail", "26=6"});
  test::RefHost& host = *failing_host;
  ASSERT_TRUE(host.Started());
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  ProbingSink probe;
  sink = &probe;
  std::vector<bool> enabled_during;
  std::vector<bool> enabled_after;
  Run(
      [&](CRQX340MainDlg& dialog) {
        PumpUntil([&] { return !dialog.StartTimerPending(); });
        ASSERT_NE(dialog.OpenPreview(1), nullptr);
        ASSERT_NE(dialog.OpenPreview(2), nullptr);
        ASSERT_EQ(dialog.Previews().size(), 2u);
        probe.during = [&] {
          for (MeasurementPreviewWindow* preview : dialog.Previews()) {
            enabled_during.push_back(IsWindowEnabled(preview->GetSafeHwnd()) != FALSE);
          }
        };
        SetState(dialog, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        SendMessageW(dialog.GetDlgItem(kIdcImportSelected), BM_CLICK, 0, 0);
        for (MeasurementPreviewWindow* preview : dialog.Previews()) {
          enabled_after.push_back(IsWindowEnabled(preview->GetSafeHwnd()) != FALSE);
        }
      },
      host.Window());
  host.Stop();
  ASSERT_EQ(probe.messages.size(), 1u);
  EXPECT_EQ(enabled_during, (std::vector<bool>{false, false}));
  EXPECT_EQ(enabled_after, (std::vector<bool>{true, true}));
}

TEST_F(MainDialogTest, AnImportBrokenOffIsSaidOnceAndTheDialogIsUsableAgain) {
  // Command 26 of the first measurement fails with status 6: one message.
  const auto failing_host = StartHost({"--fail", "26=6"});
  test::RefHost& host = *failing_host;
  ASSERT_TRUE(host.Started());
  profile.values[{"RQX340Import", "LastFolder"}] = Folder();
  // The host's error cannot even be shown: the run breaks off there.
  ProbingSink probe;
  probe.throw_first = true;
  sink = &probe;
  Run(
      [&](CRQX340MainDlg& dialog) {
        PumpUntil([&] { return !dialog.StartTimerPending(); });
        SetState(dialog, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        SetState(dialog, 1, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        SendMessageW(dialog.GetDlgItem(kIdcImportSelected), BM_CLICK, 0, 0);
        EXPECT_FALSE(dialog.State().Busy());
        EXPECT_TRUE(IsWindowEnabled(dialog.GetSafeHwnd()));
        EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(kIdcProgress)));
      },
      host.Window());
  host.Stop();
  EXPECT_TRUE(probe.thrown);
  ASSERT_EQ(probe.messages.size(), 1u);
  EXPECT_EQ(probe.messages[0].id, kIdsImportBrokenOff);
  EXPECT_EQ(probe.messages[0].text,
            "WARNING! The import stopped: out of memory. 0 of 2 measurements were imported.");
}

}  // namespace
}  // namespace rqx340
