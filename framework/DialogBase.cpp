#include "framework/DialogBase.h"

DialogBase::DialogBase(HINSTANCE instance) : WindowBase(instance) {}

INT_PTR DialogBase::showTemplate(UINT templateId, HWND parent) {
    if (hwnd_ != NULL && ::IsWindow(hwnd_)) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return -1;
    }
    return ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId), parent, dialogProcedure(),
                             reinterpret_cast<LPARAM>(static_cast<WindowBase*>(this)));
}
