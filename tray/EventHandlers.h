// What the hidden dialog does with the device service's events: one interface per event source, so a
// sink knows only the part of the dialog it forwards to.
#pragma once

#include <windows.h>

namespace tray {

class IDpiEventHandler {
public:
    virtual void OnDpiChanged(DWORD value1, DWORD value2) = 0;

protected:
    ~IDpiEventHandler() = default;
};

class IProfileEventHandler {
public:
    virtual void OnProfileChanged(DWORD value) = 0;

protected:
    ~IProfileEventHandler() = default;
};

class IMacroEventHandler {
public:
    virtual void OnRecordingStarted() = 0;
    virtual void OnRecordingStopped() = 0;
    virtual void OnRecordingCancelled() = 0;
    // `value` is passed on by the device and has no use here; `buttonId` gets the macro.
    virtual void OnRecordingFinished(DWORD value, DWORD buttonId) = 0;

protected:
    ~IMacroEventHandler() = default;
};

class ILaunchAppEventHandler {
public:
    virtual void OnLaunchApplication(DWORD kind, const wchar_t* file) = 0;

protected:
    ~ILaunchAppEventHandler() = default;
};

} // namespace tray
