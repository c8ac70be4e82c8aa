#include "ui/qt/shell_thread.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "scripted_dialog_runner.h"
#include "support/app_context.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

// The GUI's events, as the application's pump handles them.
class QtPump final : public MessagePump {
 public:
  bool PumpPendingMessages(std::int32_t* stop) override {
    ++calls;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return *stop == 0;
  }
  int calls = 0;
};

// Answers each request with the next scripted result and notes what it was given.
struct ScriptedChooser {
  struct Call {
    QWidget* owner;
    QString title;
    std::string initial;
    bool on_gui_thread;
  };
  std::vector<std::optional<std::string>> answers;
  std::vector<Call> calls;

  FolderChooser Function() {
    return [this](QWidget* owner, const QString& title, const std::string& initial) {
      calls.push_back({owner, title, initial, QThread::currentThread() == qApp->thread()});
      auto answer = answers.at(calls.size() - 1);
      return answer;
    };
  }
};

TEST(ShellThreadTest, TheWorkerStartsAtTheFirstRequestAndHandsTheFolderBack) {
  QtPump pump;
  ScriptedChooser chooser;
  chooser.answers = {"/data/meas", std::nullopt, "/", "", "/x/"};
  CShellThread shell(EnglishStrings(), pump, chooser.Function());
  QWidget owner;
  EXPECT_FALSE(shell.Started());

  struct Step {
    std::string in;
    bool chosen;
    std::string out;
  };
  const Step steps[] = {
      {"/old", true, "/data/meas/"},  // a trailing "/" comes with it
      {"/old", false, "/old"},        // cancelled: unchanged
      {"", true, "/"},                // the root has one already
      {"/old", false, "/old"},        // no path: as cancelled
      {"/old", true, "/x/"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.out);
    std::string folder = step.in;
    EXPECT_EQ(shell.ShellBrowseForFolder(&owner, folder), step.chosen);
    EXPECT_EQ(folder, step.out);
    EXPECT_TRUE(shell.Started());
    EXPECT_FALSE(shell.Busy());
  }
  ASSERT_EQ(chooser.calls.size(), 5u);
  for (const auto& call : chooser.calls) {
    EXPECT_EQ(call.owner, &owner);
    EXPECT_EQ(call.title, "Select RQX340 source folder");
    EXPECT_TRUE(call.on_gui_thread);
  }
  EXPECT_EQ(chooser.calls[0].initial, "/old");
  EXPECT_EQ(chooser.calls[2].initial, "");
  EXPECT_GT(pump.calls, 0);

  shell.Stop();
  EXPECT_FALSE(shell.Started());
  EXPECT_TRUE(shell.Ended());
}

TEST(ShellThreadTest, StopWithoutARequestReturnsAtOnceAndShutdownStopsTheWorkerFirst) {
  QtPump pump;
  {
    CShellThread shell(EnglishStrings(), pump, {});
    shell.Stop();
    EXPECT_FALSE(shell.Started());
  }
  test::MemoryProfile profile;
  CRQX340App app(test::TestAppContext({}, "/nonexistent/", profile));
  ScriptedChooser chooser;
  chooser.answers = {std::nullopt};
  auto owned = std::make_unique<CShellThread>(EnglishStrings(), pump, chooser.Function());
  CShellThread& shell = *owned;
  app.SetShellThread(std::move(owned));
  std::string folder;
  EXPECT_FALSE(shell.ShellBrowseForFolder(nullptr, folder));
  EXPECT_TRUE(shell.Started());
  app.ExitInstance();
  EXPECT_FALSE(shell.Started());
  EXPECT_TRUE(shell.Ended());
}

TEST(ShellThreadTest, TheNearestExistingFolderIsPreselected) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "a/b");
  const std::string base = dir.Path().string();
  EXPECT_EQ(NearestExistingFolder(base + "/a/b"), base + "/a/b");
  EXPECT_EQ(NearestExistingFolder(base + "/a/b/"), base + "/a/b");
  EXPECT_EQ(NearestExistingFolder(base + "/a/gone/deeper"), base + "/a");
  EXPECT_EQ(NearestExistingFolder(""), "");
  EXPECT_EQ(NearestExistingFolder("/nonexistent-rqx340/x"), "/");
}

// The real folder dialog, ended from a timer once it is up.
TEST(ShellThreadTest, TheRealFolderDialogChoosesOrCancels) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "start");
  std::filesystem::create_directories(dir.Path() / "chosen");
  const QString start = QString::fromStdString((dir.Path() / "start").string());
  const QString chosen = QString::fromStdString((dir.Path() / "chosen").string());
  QtPump pump;
  CShellThread shell(EnglishStrings(), pump, {});
  QWidget owner;
  owner.show();

  for (const bool choose : {true, false}) {
    SCOPED_TRACE(choose);
    QString title, shown_directory;
    bool modal = false;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      title = dialog->windowTitle();
      shown_directory = dialog->directory().absolutePath();
      modal = dialog->isModal();
      if (choose) {
        dialog->setDirectory(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
      } else {
        dialog->reject();
      }
    });
    timer.start();
    std::string folder = (dir.Path() / "start/missing").string();
    const std::string before = folder;
    EXPECT_EQ(shell.ShellBrowseForFolder(&owner, folder), choose);
    EXPECT_EQ(title, "Select RQX340 source folder");
    EXPECT_EQ(shown_directory, start);
    EXPECT_TRUE(modal);
    EXPECT_EQ(folder, choose ? chosen.toStdString() + "/" : before);
  }
}

}  // namespace
}  // namespace rqx340
