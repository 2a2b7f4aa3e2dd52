#include "store/LogRecordList.h"

#include <new>

LogRecordList::~LogRecordList() { clear(); }

void LogRecordList::clear() {
    if (count_) ++releases_;
    LogRecordNode* node = head_.next;
    while (node) {
        LogRecordNode* next = node->next;
        delete node;
        node = next;
    }
    head_.next = nullptr;
    count_ = 0;
    lastLink_ = &head_.next;
}

LogRecordNode* LogRecordList::append(const LogRecordView& view) {
    LogRecordNode* node = new (std::nothrow) LogRecordNode;
    if (!node) return nullptr;
    if (!node->view.assignFrom(view)) {
        delete node;
        return nullptr;
    }
    *lastLink_ = node;
    lastLink_ = &node->next;
    ++count_;
    return node;
}

LogRecordNode* LogRecordList::adopt(LogRecordView& view) {
    LogRecordNode* node = new (std::nothrow) LogRecordNode;
    if (!node) return nullptr;
    node->view.takeFrom(view);
    *lastLink_ = node;
    lastLink_ = &node->next;
    ++count_;
    return node;
}

void LogRecordList::removeGone() {
    bool released = false;
    LogRecordNode** link = &head_.next;
    lastLink_ = &head_.next;
    while (LogRecordNode* node = *link) {
        if (node->view.rowState == ROW_GONE) {
            *link = node->next;
            delete node;
            --count_;
            released = true;
        } else {
            link = &node->next;
            lastLink_ = link;
        }
    }
    if (released) ++releases_;
}
