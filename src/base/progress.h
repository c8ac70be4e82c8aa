// How long operations in the core show progress and keep the user interface
// alive. The dialog backs these with its progress bar and message loop, the CLI
// with a terminal bar; tests record the calls.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace rqx340 {

// Where a bar's StepIt moves from `pos`: `step` further on, and past either
// end of `low`..`high` back to the beginning, as the dialog's bar control does.
// Every sink's StepIt follows it, so the bars agree.
constexpr std::int32_t SteppedPosition(std::int32_t pos, std::int32_t step, std::int32_t low,
                                       std::int32_t high) {
  const std::int64_t next = static_cast<std::int64_t>(pos) + step;
  return next > high || next < low ? low : static_cast<std::int32_t>(next);
}

// A progress bar: the operations of the dialog's bar control.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetRange(std::int32_t low, std::int32_t high) = 0;
  virtual void SetPos(std::int32_t pos) = 0;
  virtual void SetStep(std::int32_t step) = 0;
  virtual void StepIt() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
};

// Dispatches whatever the user interface has pending. `stop` is the caller's
// cancel flag; the result says whether the application should go on.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual bool PumpPendingMessages(std::int32_t* stop) = 0;
};

class NullProgressSink final : public ProgressSink {
 public:
  void SetRange(std::int32_t, std::int32_t) override {}
  void SetPos(std::int32_t) override {}
  void SetStep(std::int32_t) override {}
  void StepIt() override {}
  void Show() override {}
  void Hide() override {}
};

// A bar that lets the window repaint after each step (`repaint`) and handles
// nothing else meanwhile: a long scan does not look hung, and no user command
// gets in during it.
class RepaintingProgress final : public ProgressSink {
 public:
  RepaintingProgress(ProgressSink& bar, std::function<void()> repaint)
      : m_bar(bar), m_repaint(std::move(repaint)) {}
  void SetRange(std::int32_t low, std::int32_t high) override { m_bar.SetRange(low, high); }
  void SetPos(std::int32_t pos) override { m_bar.SetPos(pos); }
  void SetStep(std::int32_t step) override { m_bar.SetStep(step); }
  void StepIt() override {
    m_bar.StepIt();
    if (m_repaint) m_repaint();
  }
  void Show() override { m_bar.Show(); }
  void Hide() override { m_bar.Hide(); }

 private:
  ProgressSink& m_bar;
  std::function<void()> m_repaint;
};

class NullMessagePump final : public MessagePump {
 public:
  bool PumpPendingMessages(std::int32_t*) override { return true; }
};

}  // namespace rqx340
