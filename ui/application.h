// The application loop: one user-interface thread that runs its timers and the calls worker threads
// hand it, and sleeps in between.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/types.h"

namespace ui {

// Why a worker's Synchronize was refused: the application is going away.
class EApplicationClosing : public std::runtime_error {
 public:
  EApplicationClosing() : std::runtime_error("The application ended before the call ran") {}
};

class TTimer;
class TComponent;
class TForm;
class TControl;
class THintWindow;
struct THintWindowClass;
class THintController;

class TApplication {
 public:
  // The constructing thread is the user-interface thread.
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  static constexpr std::chrono::milliseconds NoLimit = std::chrono::milliseconds::max();

  // Runs the loop until Terminate.
  void Run();
  // Runs the loop until `Done` answers true (asked before sleeping and after every timer tick or
  // handed call), Terminate, or `Limit` has passed; answers `Done`'s last answer. Loops nest: a tick
  // may run one, and its own timer does not tick again inside it.
  bool RunUntil(const std::function<bool()>& Done, std::chrono::milliseconds Limit = NoLimit);
  // Ends the running loops (from any thread). The request lasts until the outermost loop has returned.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // From a worker: runs `Call` on the user-interface thread and waits for it, passing its exception
  // on. On the user-interface thread it runs at once. Once the application is going away the call
  // is refused with EApplicationClosing, so a worker never waits on a loop that will not run again.
  void Synchronize(std::function<void()> Call);
  // Hands `Call` to the user-interface thread without waiting (from any thread); dropped once the
  // application is going away.
  void Queue(std::function<void()> Call);
  // Runs the calls handed over so far; answers whether there were any.
  bool CheckSynchronize();
  // Blocks the user-interface thread until `Finished` answers true while still serving Synchronize
  // and Queue, so a worker it waits for can hand it calls. No timer ticks meanwhile.
  void WaitFor(const std::function<bool()>& Finished);
  // Rouses a sleeping loop to ask its condition again (from any thread).
  void Wake();
  // Runs what is waiting now without sleeping: the calls handed over so far and each timer due by
  // the clock at the start, once; then the screen catches up. Answers whether anything ran.
  bool ProcessMessages();

  // The clock the timers and the loop's measured rules count by; tests move it by hand. An empty
  // function restores the real one. Armed timers start a full interval from the new clock's now.
  // With a moved clock a timer comes due only when the clock is moved: the loop never sleeps for it
  // (a RunUntil limit still counts in real time, as it bounds a wait for other threads).
  using TClock = std::function<std::chrono::steady_clock::time_point()>;
  void SetClock(TClock Now);
  std::chrono::steady_clock::time_point Now() const { return clock_ ? clock_() : Clock::now(); }

  bool IsUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // Worker threads that hand calls to this loop are counted from before they start (AddWorker, on
  // any thread; false once the application is going away, and then the worker must not start) until
  // their last touch of the application (RemoveWorker). The application's destructor refuses their
  // calls and waits for every one of them to let go, so none outlives it.
  bool AddWorker();
  void RemoveWorker();
  int WorkerCount() const;
  // A worker's pause between its calls: false (at once) when the application is going away.
  bool WorkerSleep(std::chrono::milliseconds Duration);
  bool Closing() const { return closing_; }

  // The forms in the order they were made (hint windows are not among them).
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int index) const { return forms_.at(index); }
  // The form whose closing ends the program: the first form made, unless another is set.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }
  // Paints and presents every form that changed since it last presented. The loop does this before
  // it sleeps, so changes made by timers and handed calls reach the screen.
  void UpdateForms();

  // The window-update lock: one form at a time holds it, and a form that holds it does not present.
  // Answers whether `form` holds the lock now; null releases it (the held form then presents).
  bool LockWindowUpdate(TForm* form);
  TForm* WindowUpdateLocked() const { return updateLock_; }

  // The form running the innermost ShowModal, or null.
  TForm* ModalForm() const { return modalRuns_.empty() ? nullptr : modalRuns_.back().Form; }
  // Whether a modal run refuses `form` pointer and key input: as the system disables the windows
  // behind a modal one, a run shuts out every form that existed when it began, except its own form
  // and the forms that form owns; a nested run shuts out the outer modal form in turn.
  bool InputRefused(const TForm* form) const;

  // Hints: shown after the pointer rests HintPause ms on a control with a hint, for HintHidePause ms.
  bool ShowHint = true;
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  const THintWindowClass& HintWindowClass() const;
  // The next hint window is made of this class; one already shown keeps its own.
  void SetHintWindowClass(const THintWindowClass& value);
  // The hint window on the screen now, or null.
  THintWindow* HintWindow() const;
  // The pointer rests on `control` (null: on no control) at a screen point.
  void HintMouseMove(TControl* control, TPoint screen);
  // Hides the hint and forgets the control it was for (a press, a key, the pointer leaving).
  void CancelHint();
  // Shows the hint for the control under the pointer now, as the pause ending would.
  void ActivateHint();

  // Watchers of every button press on any of the application's windows, told before the window handles
  // it: a transient window (a menu) closes when the user clicks elsewhere, whether or not it ever had
  // the focus to lose. Answers an id for RemovePressWatcher.
  std::uint64_t AddPressWatcher(std::function<void(TForm& form)> Watcher);
  void RemovePressWatcher(std::uint64_t Id);

  // Frees `Component` once the input being handled has returned, or at once when none is; a control
  // is hidden meanwhile. So a handler may close for good the window (or free the control) whose press,
  // key or click is still on its way through it.
  void Release(std::unique_ptr<TComponent> Component);

  // The application's error report for a std::exception that escapes a tick or a handed call; the
  // loop goes on afterwards. Unset, the message goes to the standard error stream.
  std::function<void(const std::exception&)> OnException;

 private:
  friend class TTimer;
  using Clock = std::chrono::steady_clock;
  struct THandedCall;

  std::uint64_t AddTimer(TTimer* timer);
  void RemoveTimer(std::uint64_t id);
  // Runs the timer longest due by `by`, if any.
  bool RunDueTimer(Clock::time_point by);
  bool RunHandedCalls();
  void HandleException(const std::exception& error);
  // Rouses a window backend that waits for input in Sleep.
  void WakeWindows();
  // Sleeps until `until` (none: until roused) or until a call is handed over or the loop is roused;
  // with a window backend that pumps, it waits in the backend, delivering input meanwhile.
  void Sleep(const Clock::time_point* until);

  friend class TForm;
  friend class THintController;
  void AddForm(TForm* form, bool listed);
  void RemoveForm(TForm* form);
  // A control is going away or hiding: a hint shown or waiting for it goes.
  void ControlGoing(TControl* control);

  void PressOn(TForm& form);
  // A form hands input to its controls between these two; the end of the outermost frees what was released.
  void InputBegins() { ++handlingInput_; }
  void InputEnds();
  int handlingInput_ = 0;
  std::vector<std::unique_ptr<TComponent>> released_;
  std::map<std::uint64_t, std::function<void(TForm&)>> pressWatchers_;
  std::uint64_t nextPressWatcher_ = 1;

  std::vector<TForm*> forms_;     // listed, in creation order
  std::vector<TForm*> windows_;   // every form with a window, hint windows too
  TForm* mainForm_ = nullptr;
  TForm* updateLock_ = nullptr;
  struct TModalRun {
    TForm* Form;
    std::vector<TForm*> ShutOut;
    TForm* Owner;  // the form that was active when the run began; it gets the focus back
  };
  std::vector<TModalRun> modalRuns_;  // innermost last
  std::unique_ptr<THintController> hints_;

  std::thread::id uiThread_;
  std::map<std::uint64_t, TTimer*> timers_;
  TClock clock_;
  std::uint64_t nextTimerId_ = 1;
  int loopDepth_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> closing_{false};
  int workers_ = 0;  // guarded by mutex_

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<THandedCall>> calls_;
  bool roused_ = false;
};

// The process's application, made on first use (on the user-interface thread).
TApplication& Application();

}  // namespace ui
