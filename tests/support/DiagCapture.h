#pragma once
#include <memory>
#include <string>

#include "tests/support/TestEnvironment.h"

// Switches the diagnostic log on (TraceOn 1, Kind 2, Level 1) into a folder of its own for
// the length of a test, and reads back what the program wrote.
class DiagCapture {
public:
    DiagCapture();
    ~DiagCapture();
    std::string text() const;
    void clear();
    std::string path() const;
    ScopedMachineKey& key() { return *key_; }
    const TempDir& folder() const { return dir_; }

private:
    TempDir dir_;
    std::unique_ptr<ScopedMachineKey> key_;
};
