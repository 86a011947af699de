#pragma once

#include <string>

// The controls of the transfer dialog that an engine writes to.
enum TransferControl {
    CtlStatus = 100, // status line
    CtlLabel1 = 101, // first counter label
    CtlValue1 = 102, // first counter value
    CtlLabel2 = 103, // second counter label
    CtlValue2 = 104, // second counter value
    CtlBytes = 1129, // the "bytes" label beside the first counter
};

// What a transfer shows while it runs. Called on the worker thread as well as on the thread that
// owns the engine; a GUI implementation queues every call to its user-interface thread and never
// blocks, so the owner can always wait for the worker.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void SetText(int control, const std::string& text) = 0;
    // Counter values are shown as unsigned decimal numbers.
    virtual void SetValue(int control, unsigned value) = 0;
    // Progress of the bytes of one dump, when its size is known.
    virtual void SetProgress(long done, long total) {
        (void)done;
        (void)total;
    }
};

// Discards everything: for callers that only want the result.
class NullTransferObserver : public TransferObserver {
public:
    void SetText(int, const std::string&) override {}
    void SetValue(int, unsigned) override {}
};
