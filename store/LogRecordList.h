#pragma once
#include <cstddef>
#include <cstdint>

// Each row is the view the window shows; the view itself needs only the file format.
#include "presentation/LogRecordView.h"

// States of a row, set by the load and applied by the list window.
enum RowState : int {
    ROW_CURRENT = 1,
    ROW_NEW = 2,
    ROW_GONE = 3,
    ROW_CHANGED = 4,
    ROW_HIDDEN = 5,
};

struct LogRecordNode {
    LogRecordNode* next = nullptr;
    LogRecordView view;
    // Chain of gone rows with the same match key, used only during a load.
    LogRecordNode* matchNext = nullptr;
};

// The rows of the log in file order: a singly linked list behind a sentinel head, with
// the link field of the last node kept for constant-time appends.
class LogRecordList {
public:
    LogRecordList() = default;
    virtual ~LogRecordList();
    LogRecordList(const LogRecordList&) = delete;
    LogRecordList& operator=(const LogRecordList&) = delete;

    virtual void clear();

    // A new row at the end, taking the view's record and state; null without memory.
    LogRecordNode* append(const LogRecordView& view);
    // A new row at the end that takes over the view itself (left empty); null without memory.
    LogRecordNode* adopt(LogRecordView& view);
    // Removes and frees every row in ROW_GONE, keeping the order of the others.
    void removeGone();

    LogRecordNode* first() const { return head_.next; }
    size_t count() const { return count_; }
    // Counts the clears and removals that freed rows: a holder of views taken earlier knows
    // them still alive while this number stays the same.
    uint32_t releases() const { return releases_; }

private:
    struct Head {
        LogRecordNode* next = nullptr;
    };
    Head head_;
    size_t count_ = 0;
    LogRecordNode** lastLink_ = &head_.next;
    uint32_t releases_ = 0;
};
