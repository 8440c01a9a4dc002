#include "graphics/async_loads.h"

#include <algorithm>
#include <system_error>

namespace rs::graphics {

AsyncLoads::~AsyncLoads() { joinAll(); }

void AsyncLoads::start(std::function<void()> job) {
    joinFinished();
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
        std::thread thread([job, done] {
            job();
            done->store(true, std::memory_order_release);
        });
        workers_.push_back(Worker{std::move(thread), done});
    } catch (const std::system_error&) {
        job();
    }
}

void AsyncLoads::finished(const Report& report) {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(report);
    pending_.store(true, std::memory_order_release);
}

std::vector<AsyncLoads::Report> AsyncLoads::takeReports() {
    std::vector<Report> out;
    if (!pending_.load(std::memory_order_acquire)) return out;
    std::lock_guard<std::mutex> lock(mutex_);
    out.swap(reports_);
    pending_.store(false, std::memory_order_release);
    return out;
}

void AsyncLoads::forget(const Frame* frame) {
    if (!pending_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(reports_, [frame](const Report& r) { return r.frame == frame; });
    if (reports_.empty()) pending_.store(false, std::memory_order_release);
}

void AsyncLoads::joinFinished() {
    std::vector<Worker> running;
    for (Worker& w : workers_) {
        if (w.done->load(std::memory_order_acquire)) {
            w.thread.join();
        } else {
            running.push_back(std::move(w));
        }
    }
    workers_.swap(running);
}

void AsyncLoads::joinAll() {
    for (Worker& w : workers_) {
        if (w.thread.joinable()) w.thread.join();
    }
    workers_.clear();
}

}  // namespace rs::graphics
