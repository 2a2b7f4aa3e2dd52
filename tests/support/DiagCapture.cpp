#include "tests/support/DiagCapture.h"

#include "diagnostics/DiagLog.h"

DiagCapture::DiagCapture() : key_(new ScopedMachineKey(kTraceKey)) {
    key_->setString("Folder", dir_.path().c_str());
    key_->setDword("TraceOn", 1);
    key_->setDword("Kind", 2);
    key_->setDword("Level", 1);
}

DiagCapture::~DiagCapture() = default;

std::string DiagCapture::path() const { return dir_.file(kDiagLogName); }

std::string DiagCapture::text() const {
    std::vector<unsigned char> bytes = readFileBytes(path());
    return std::string(bytes.begin(), bytes.end());
}

void DiagCapture::clear() { ::DeleteFileA(path().c_str()); }
