// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportHelper.h"

#include <system_error>
#include <utility>

ImportHelper* ImportHelper::Get() {
    // On a single processor a second thread could only take turns with the first. Asked
    // once: the system answers by reading files.
    static const bool singleProcessor = std::thread::hardware_concurrency() == 1;
    if (singleProcessor) return nullptr;
    try {
        static ImportHelper helper;
        return &helper;
    } catch (const std::system_error&) {
        return nullptr;  // tried again by the next import
    }
}

ImportHelper::ImportHelper() : thread_([this] { Run(); }) {}

ImportHelper::~ImportHelper() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool ImportHelper::Post(ImportHelperTask& task) {
    {
        const std::lock_guard lock(mutex_);
        if (busy_) return false;
        busy_ = true;
        waiting_ = &task;
    }
    changed_.notify_all();
    return true;
}

void ImportHelper::End(ImportHelperTask& task) {
    std::unique_lock lock(mutex_);
    if (waiting_ == &task)
        waiting_ = nullptr;  // not begun: nothing to wait for
    else
        changed_.wait(lock, [&] { return task.done_; });
    busy_ = false;
}

void ImportHelper::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quit_ || waiting_ != nullptr; });
        if (quit_) return;
        ImportHelperTask& task = *std::exchange(waiting_, nullptr);
        lock.unlock();
        task.work_();
        lock.lock();
        task.done_ = true;  // the task is not touched after this
        changed_.notify_all();
    }
}

ImportHelperTask::ImportHelperTask(std::function<void()> work) : work_(std::move(work)), helper_(ImportHelper::Get()) {
    if (helper_ && !helper_->Post(*this)) helper_ = nullptr;
}

void ImportHelperTask::End() {
    if (helper_) std::exchange(helper_, nullptr)->End(*this);
}
