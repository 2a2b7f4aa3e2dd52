#pragma once
#include <cstddef>

class LogRecordView;

// True when `needle` occurs in `text`. Matches start on character boundaries and run over
// whole characters, so a lead and trail byte are one character and a match never spans
// two characters halves; A-Z and a-z compare equal, every other byte exactly. An empty
// needle matches nothing.
bool containsText(const char* text, const char* needle);

// True when one of the row's first `columns` list cells (LogRecordView::columnText)
// contains `needle`.
bool recordContainsText(const LogRecordView& view, int columns, const char* needle);
