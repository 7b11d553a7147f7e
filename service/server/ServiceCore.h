// The device service's core, living on its single-threaded apartment: the one keyboard state every client
// shares, the journal each change goes to before it is answered and the memory file it is saved to once a
// burst of changes settles, the service log, the call monitor, the
// advised event sinks with the asynchronous firing of events, the message-only window that brings control
// commands onto this thread, and the count of what keeps the process alive.
#pragma once

#include "service/server/CallMonitor.h"
#include "service/server/ServiceText.h"
#include "service/sim/KeyboardState.h"
#include "service/sim/StateJournal.h"

#include <windows.h>
#include <ocidl.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// What the device reports to the clients' sinks.
enum class DeviceEventKind {
    ProfileChanged,      // _IProfileManagerEvents: first = index of the new active profile
    RecordingStarted,    // _IOTFMacroRecordingEvents
    RecordingStopped,
    RecordingFinished,   // first = first value, second = button id
    RecordingCancelled,
    DpiChanged,          // _IDPIEvents: first, second
    LaunchApplication,   // _IApplicationEvent: first = kind, text = file
};

struct DeviceEvent {
    std::uint32_t device = 0;  // serial
    DeviceEventKind kind = DeviceEventKind::ProfileChanged;
    DWORD first = 0;
    DWORD second = 0;
    std::wstring text;
};

// The outgoing interface that carries an event kind.
const IID& EventInterfaceOf(DeviceEventKind kind);
// The four outgoing interfaces, and their names for the state dump.
const std::vector<const IID*>& EventInterfaces();
const char* EventInterfaceName(REFIID events);

// HRESULTs the service answers with when the device's state refuses a call.
constexpr HRESULT kHrNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
constexpr HRESULT kHrNoMoreItems = HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
constexpr HRESULT kHrDeviceGone = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
constexpr HRESULT kHrDeviceFull = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
constexpr HRESULT kHrBadFile = HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT);
constexpr HRESULT kHrIoError = HRESULT_FROM_WIN32(ERROR_OPEN_FAILED);
constexpr HRESULT kHrPathTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

HRESULT HresultOf(SimStatus status);

class CServiceCore {
public:
    // How long the service stays without clients before it exits.
    static constexpr UINT kIdleExitMs = 5000;

    CServiceCore();
    ~CServiceCore();
    CServiceCore(const CServiceCore&) = delete;
    CServiceCore& operator=(const CServiceCore&) = delete;

    // Opens the log next to the memory file, loads the memory (a damaged file is kept aside and the
    // factory state used) and creates the window. False, with a message, when the window cannot exist.
    bool Start(HINSTANCE instance, const std::wstring& stateFile, std::wstring& error);
    HWND Window() const { return m_window; }
    // Runs the thread's message loop until a quit request or the idle exit.
    void RunMessageLoop();
    // Saves and closes; runs control commands that arrive meanwhile with an error reply.
    void Shutdown();
    bool ShuttingDown() const { return m_shuttingDown; }

    // ---- Devices ----
    // A device is named by a serial that stays its own for as long as it exists. Objects keep the serial
    // and look the device up on every call, so a removed device's objects fail instead of reaching
    // another device; a reset keeps the keyboard's serial (its memory is wiped, it is the same device).
    CKeyboardState& State() { return m_state; }
    const CKeyboardState& State() const { return m_state; }
    std::uint32_t SerialAt(std::size_t index) const { return index < m_serials.size() ? m_serials[index] : 0; }
    std::uint32_t KeyboardSerial() const;
    // The serial of the index-th plugged device (the clients' enumeration); 0 past the end.
    std::uint32_t PluggedSerial(std::size_t index) const;
    // The device of a serial; null, with the failure to report, when it was removed or is unplugged.
    CSimDevice* Device(std::uint32_t serial, HRESULT& hr);

    // Factory state; the keyboard keeps its serial, other devices go.
    void ResetState();
    // A device of that product id from the factory at `position` (clamped to the end). False when the
    // device list is full.
    bool AddDevice(std::uint32_t productId, std::size_t position, std::string& error);
    // False when the index is past the end or the device is the only product keyboard.
    bool RemoveDevice(std::size_t index, std::string& error);

    // Called after every change, before it is answered: appends it to the journal beside the memory file
    // (StateJournal.h), so that it survives a kill, and schedules the save of the memory file
    // (kStateSaveQuietMs and kStateSaveMaxAgeMs in StateFile.h), which starts the journal afresh.
    // Without a working journal it saves the whole memory file at once.
    void Changed();
    // Saves the memory file now. A failed save is logged and tried again kStateSaveMaxAgeMs later: the
    // journal keeps the changes meanwhile.
    void SaveNow();
    const std::wstring& StateFile() const { return m_stateFile; }

    // ---- Logs ----
    // One line of the service log, marked with this process: the registrar writes to the same file.
    void Log(const std::string& line) { m_serviceLog.WriteLine("worker " + std::to_string(GetCurrentProcessId()) + ": " + line); }
    CCallMonitor& Calls() { return m_calls; }

    // ---- Event sinks ----
    // Sinks are the service's, not one object's: every object of a device's event source reaches the
    // same list, so an event reaches the sinks of every client.
    DWORD AddSink(std::uint32_t device, REFIID events, IUnknown* sink);
    bool RemoveSink(std::uint32_t device, REFIID events, DWORD cookie);
    // Added references: the caller releases each pUnk.
    std::vector<CONNECTDATA> Sinks(std::uint32_t device, REFIID events) const;
    std::size_t SinkCount(std::uint32_t device, REFIID events) const;
    // Fires after the current call or command has returned.
    void QueueEvent(DeviceEvent event);

    // ---- Lifetime ----
    // Objects, locks and an open control connection hold the process; without any, it exits after the
    // idle delay.
    void HoldProcess();
    void ReleaseProcess();
    void RequestQuit();

private:
    struct SinkEntry {
        DWORD cookie;
        std::uint32_t device;
        IID events;
        IUnknown* sink;  // the sink's outgoing interface, one reference
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LoadState();
    void StartJournal(std::vector<std::uint8_t> body);
    void FireQueuedEvents();
    HRESULT CallSink(IUnknown* sink, const DeviceEvent& event);
    void DropSink(DWORD cookie);
    void ArmIdleTimer();
    void OnSaveTimer();
    void ReplaceDevices(std::vector<std::unique_ptr<CSimDevice>> devices, std::vector<std::uint32_t> serials);

    CKeyboardState m_state;
    std::vector<std::uint32_t> m_serials;  // parallel to the state's devices
    std::uint32_t m_nextSerial = 1;
    std::wstring m_stateFile;
    bool m_saveFailed = false;
    CStateJournal m_journal;
    bool m_journalFailed = false;
    bool m_unsaved = false;
    ULONGLONG m_unsavedSince = 0;  // tick of the first change not yet saved

    CLogFile m_serviceLog;
    CCallMonitor m_calls;

    std::vector<SinkEntry> m_sinks;
    DWORD m_nextCookie = 1;
    std::deque<DeviceEvent> m_events;
    bool m_firePosted = false;
    bool m_firing = false;

    HWND m_window = nullptr;
    long m_holds = 0;
    bool m_shuttingDown = false;
};
