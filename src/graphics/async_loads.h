// Background image loads (bmpload2): one worker thread per request. A worker only reads the image
// and writes the target frame's pixels; what it changed is queued here and reported to the sprite
// layer on the main thread, and the frame's `busy` count keeps every other user away meanwhile.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "graphics/bmp_loader.h"

namespace rs::graphics {

struct Frame;

class AsyncLoads {
  public:
    AsyncLoads() = default;
    // Joins every worker.
    ~AsyncLoads();
    AsyncLoads(const AsyncLoads&) = delete;
    AsyncLoads& operator=(const AsyncLoads&) = delete;

    // What a finished load did to its frame: `touched` when an image was read (the frame becomes
    // dirty), `area` when pixels were drawn.
    struct Report {
        Frame* frame = nullptr;
        bool touched = false;
        std::optional<DrawnArea> area;
    };

    // Runs `job` on a new thread. When no thread can be started the job runs at once on the
    // calling thread, so the load still happens. Main thread only.
    void start(std::function<void()> job);
    // Queues a report; workers call it before lowering the frame's busy count.
    void finished(const Report& report);
    // Takes the queued reports (main thread).
    std::vector<Report> takeReports();
    // Drops queued reports about a frame that is going away (main thread).
    void forget(const Frame* frame);
    // Joins the workers that are done, or all of them (main thread).
    void joinFinished();
    void joinAll();
    // Workers started and not joined yet.
    size_t workerCount() const { return workers_.size(); }

  private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> workers_;
    std::mutex mutex_;
    std::vector<Report> reports_;
    std::atomic<bool> pending_{false};
};

}  // namespace rs::graphics
