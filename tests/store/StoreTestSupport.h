#pragma once
#include <string>
#include <vector>

#include "store/PrintLogStore.h"

// What the list window does after a load: new and changed rows become current, gone
// rows leave the list.
inline void applyRows(PrintLogStore& store) {
    for (LogRecordNode* n = store.firstNode(); n; n = n->next)
        if (n->view.rowState == ROW_NEW || n->view.rowState == ROW_CHANGED) n->view.rowState = ROW_CURRENT;
    store.removeGoneRows();
}

inline std::vector<int> rowStates(const PrintLogStore& store) {
    std::vector<int> states;
    for (LogRecordNode* n = store.firstNode(); n; n = n->next) states.push_back(n->view.rowState);
    return states;
}
