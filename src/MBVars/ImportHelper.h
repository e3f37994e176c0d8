// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One helper thread for the import's work on large exports, started with the first such
// import and kept: an import hands it a task and, when done with its own share, ends the
// task. A task the helper has not begun yet is withdrawn rather than waited for, so an
// import never waits for a thread the system has not run yet.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ImportHelperTask;

class ImportHelper {
public:
    // The helper, or nullptr on a single processor or when no thread could be started (the
    // caller then works alone).
    static ImportHelper* Get();

    ImportHelper();
    ~ImportHelper();
    ImportHelper(const ImportHelper&) = delete;
    ImportHelper& operator=(const ImportHelper&) = delete;

private:
    friend class ImportHelperTask;
    // False when the helper already has a task (another import at the same time): the
    // caller then works alone.
    bool Post(ImportHelperTask& task);
    // Withdraws the task if it has not begun, else waits until it has ended.
    void End(ImportHelperTask& task);
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    ImportHelperTask* waiting_ = nullptr;  // posted, not yet begun
    bool busy_ = false;                    // a task was posted and has not ended
    bool quit_ = false;
    std::thread thread_;
};

// Work for the helper, posted on construction and ended (withdrawn or waited for) on
// destruction at the latest. The work must not throw.
class ImportHelperTask {
public:
    explicit ImportHelperTask(std::function<void()> work);
    ~ImportHelperTask() { End(); }
    ImportHelperTask(const ImportHelperTask&) = delete;
    ImportHelperTask& operator=(const ImportHelperTask&) = delete;

    void End();

private:
    friend class ImportHelper;
    std::function<void()> work_;
    ImportHelper* helper_ = nullptr;  // null once ended, or when there is no helper
    bool done_ = false;               // guarded by the helper's mutex
};
