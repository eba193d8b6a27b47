#pragma once

// The part of a folder-tree item's record that its worker uses: where to post, the job
// state with its lock, the result node with the record lock, the settings, and the worker
// thread. The desktop tree derives its item data from this and adds what only windows need.

#include "engine/request/JobState.h"
#include "engine/request/RequestSink.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vantrel {

class ResultNode;
struct ScanSettings;

class TreeItemRecord {
public:
    TreeItemRecord() = default;
    TreeItemRecord(RequestSink* sink, void* treeWindow) : sink_(sink), treeWindow_(treeWindow) {}
    virtual ~TreeItemRecord();
    TreeItemRecord(const TreeItemRecord&) = delete;
    TreeItemRecord& operator=(const TreeItemRecord&) = delete;

    // Every request of the item's worker goes to this sink with this window as target.
    RequestSink* Sink() const { return sink_; }
    void* TreeWindow() const { return treeWindow_; }
    void SetSink(RequestSink* sink, void* treeWindow);
    void* Item() const { return item_; }
    void SetItem(void* item) { item_ = item; }
    const ScanSettings* Settings() const { return settings_; }
    void SetSettings(const ScanSettings* settings) { settings_ = settings; }

    // Under the record lock.
    ResultNode* Node() const;
    void SetNode(ResultNode* node);

    // Under the state lock. Setting a state wakes a worker paused in StopRequested.
    int GetJobState() const;
    void SetJobState(int state);
    // Sets the state only when it still is `expected` (a worker ending as failed must not
    // overwrite a cancel that arrived meanwhile). True when it was set.
    bool ChangeJobState(int expected, int state);

    // The stop test: waits while the state is 2 (the user is being asked), then true when
    // the state is 3.
    bool StopRequested() const;

    // Starts body on a new thread that runs only after the thread is stored in the
    // record (the worker may look at its own record at once). False when a worker of this
    // record is still running or the thread could not be created.
    bool StartWorker(std::function<int(TreeItemRecord&)> body);
    // True while the worker thread has not returned from its body.
    bool WorkerRunning() const;
    // Waits for the worker thread to end; returns its exit code (-1 when none ran). Never
    // called from the worker itself (a worker does not delete its own record).
    int JoinWorker();
    int ExitCode() const;

private:
    RequestSink* sink_ = nullptr;
    void* treeWindow_ = nullptr;
    void* item_ = nullptr;
    const ScanSettings* settings_ = nullptr;

    mutable std::mutex recordLock_; // node and thread
    ResultNode* node_ = nullptr;
    std::thread worker_;
    bool workerRunning_ = false;
    int exitCode_ = kWorkerExitFailed;

    mutable std::mutex stateLock_;
    mutable std::condition_variable stateChanged_;
    int jobState_ = kJobNone;
};

} // namespace vantrel
