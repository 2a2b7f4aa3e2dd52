#include "presentation/RecordTexts.h"

#include <cstdio>
#include <cstring>

#include "presentation/PresentationTexts.h"

namespace {

constexpr uint32_t kFirstErrorCode = 300;
constexpr uint32_t kTrayExtensionBit = 0x10000;
constexpr uint32_t kTrayUnknownValue = 0xFFFFFFFF;

void copyText(char* out, size_t size, const char* text) {
    if (size == 0) return;
    std::snprintf(out, size, "%s", text);
}

// Appends to a NUL-terminated buffer, dropping what does not fit (whole characters only).
void appendText(char* out, size_t size, const char* text) {
    const size_t used = std::strlen(out);
    if (used + 1 >= size) return;
    copyTextCut(out + used, size - used, text);
}

}  // namespace

void copyTextCut(char* out, size_t size, const char* text) {
    if (size == 0) return;
    size_t length = 0;
    if (text) {
        while (text[length] != '\0') {
            const size_t step = characterLength(text + length);
            if (length + step > size - 1) break;
            length += step;
        }
        std::memcpy(out, text, length);
    }
    out[length] = '\0';
}

void kindName(const LogRecord& record, char* out, size_t size) {
    const char* name = kKindUnknown;
    switch (record.eventKind) {
    case kEventCompleted:
    case kEventCompletedWithDeviations:
        name = (record.flags & FLAG_SENT_ONLY) ? kKindSent : kKindPrinted;
        break;
    case kEventAborted: name = kKindAborted; break;
    case kEventHeld: name = kKindHeld; break;
    case kEventStarted: name = kKindStarted; break;
    default: break;
    }
    copyText(out, size, name);
}

bool errorText(const LogRecord& record, const char* messageText, int mode, ByteString& out) {
    if (record.errorCode < kFirstErrorCode) {
        if (mode == kErrorTextDetails) return true;
        return out.append(kErrorCleared);
    }
    if (mode == kErrorTextDialog || mode == kErrorTextDetails) {
        char prefix[32];
        // Unsigned like the field: codes of 2^31 and above are not negative numbers.
        std::snprintf(prefix, sizeof prefix, kErrorPrefixFormat, static_cast<unsigned>(record.errorCode),
                      record.errorDetail);
        if (!out.append(prefix)) return false;
    }
    return out.append(messageText ? messageText : "");
}

bool deviationNotes(uint32_t fallbackFlags, char* out, size_t size) {
    if (size == 0) return false;
    out[0] = '\0';
    const uint32_t f = fallbackFlags;
    if ((f & 0x00000F00) && (f & 0x8)) {
        switch ((f >> 8) & 0xF) {
        case 1: appendText(out, size, kDuplexMemory); break;
        case 2: appendText(out, size, kDuplexPaper); break;
        case 3: appendText(out, size, kDuplexNoUnit); break;
        default: break;
        }
    }
    if ((f & 0x0000F000) && (f & 0x4)) {
        switch ((f >> 12) & 0xF) {
        case 1: appendText(out, size, kCopiesMemory); break;
        case 2: appendText(out, size, kCopiesOverflow); break;
        default: break;
        }
    }
    if ((f & 0x000F0000) && (f & 0x2)) {
        switch ((f >> 16) & 0xF) {
        case 1: appendText(out, size, kOutputChanged); break;
        case 2: appendText(out, size, kOutputNoStaple); break;
        default: break;
        }
    }
    return out[0] != '\0';
}

void formatTrayText(const LogRecord& record, char* out, size_t size) {
    if (size == 0) return;
    if (record.flags & FLAG_NO_TRAY) {
        out[0] = '\0';
        return;
    }
    const uint32_t tray = record.outputTray;
    // The exact values come first: 4 is the face-up tray even though 0x10004 is an extension.
    switch (tray) {
    case 0: copyText(out, size, kTrayInvalid); return;
    case 1: copyText(out, size, kTrayFaceDown); return;
    case 2: copyText(out, size, kTrayTop); return;
    case 3: copyText(out, size, kTrayStacker); return;
    case 4: copyText(out, size, kTrayFaceUp); return;
    case kTrayUnknownValue: copyText(out, size, kTrayUnknown); return;
    default: break;
    }
    if (tray & kTrayExtensionBit) {
        const int first = static_cast<int>(tray & 0xFF);
        const int last = static_cast<int>((tray >> 8) & 0xFF);
        if (first == last)
            std::snprintf(out, size, kTrayExtensionFormat, first);
        else
            std::snprintf(out, size, kTrayExtensionRangeFormat, first, last);
        return;
    }
    copyText(out, size, kTrayUnknown);
}

void formatEventDate(const SYSTEMTIME& time, char* out, size_t size) {
    if (size == 0) return;
    std::snprintf(out, size, kDateFormat, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                  time.wSecond);
}
