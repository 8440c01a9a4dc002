// Message boxes on SDL2: modal, owned by the game window, UTF-8 text, the icon and the buttons of
// the request with Return on the first button and Escape on Cancel or No. The mouse cursor is
// shown while a box is up. Every box also leaves its "[caption] text" line on standard error.
// A box asked for on another thread is shown by the main thread at its next event pump; the
// asking thread waits for the answer.
#pragma once

#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <thread>

#include "platform/host.h"

namespace rs::platform::sdl {

class SdlWindow;

// The test hook (RUNESTAGE_TEST_BOX_ANSWER): boxes answered at once without showing them.
enum class BoxAnswerHook { None, Default, Cancel };

class SdlMessageBoxes final : public MessageBoxPresenter {
  public:
    // `echo` receives the console lines (null: none).
    SdlMessageBoxes(std::ostream* echo, BoxAnswerHook hook);
    ~SdlMessageBoxes() override;

    // The window that owns the boxes (null: none yet).
    void setOwner(SdlWindow* window) { owner_ = window; }
    int show(const MessageBoxRequest& request) override;
    // On the main thread: shows the boxes other threads asked for.
    void showPending();

    // The number of boxes answered so far.
    int64_t answered() const { return answered_; }

  private:
    struct Pending {
        const MessageBoxRequest* request;
        int answer = 0;
        bool done = false;
    };
    int showHere(const MessageBoxRequest& request);

    std::ostream* echo_;
    BoxAnswerHook hook_;
    SdlWindow* owner_ = nullptr;
    std::thread::id mainThread_;
    std::mutex mutex_;
    std::condition_variable answeredCv_;
    std::deque<Pending*> pending_;
    bool closing_ = false;
    int64_t answered_ = 0;
};

// The hook's setting from the environment's value: "default" or "cancel"; anything else none.
BoxAnswerHook boxAnswerHookFrom(const char* value);

// The SDL event type that wakes the main thread for a box of another thread.
uint32_t boxWakeEventType();

}  // namespace rs::platform::sdl
