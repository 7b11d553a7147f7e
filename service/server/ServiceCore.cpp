// The device service's core: state and memory file, sinks and events, window and lifetime.
#include "service/server/ServiceCore.h"

#include "service/server/ControlCommands.h"
#include "service/server/ControlPipe.h"
#include "service/sim/ProductKeyboard.h"
#include "service/sim/StateFile.h"

#include "DeviceService.h"  // the interface definition's header (ids of the outgoing interfaces)

#include <algorithm>

namespace {

constexpr wchar_t kWindowClass[] = L"TessaryDeviceServiceWindow";
constexpr UINT kFireEventsMessage = WM_APP + 1;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT_PTR kSaveTimer = 2;

// A sink whose process or apartment is gone: calling it again can only fail the same way.
bool SinkIsGone(HRESULT hr)
{
    switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case RPC_E_CONNECTION_TERMINATED:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
        return true;
    default:
        return false;
    }
}

const char* EventOperationName(DeviceEventKind kind)
{
    switch (kind) {
    case DeviceEventKind::ProfileChanged: return "_IProfileManagerEvents.OnActiveProfileChanged";
    case DeviceEventKind::RecordingStarted: return "_IOTFMacroRecordingEvents.OnRecordingStarted";
    case DeviceEventKind::RecordingStopped: return "_IOTFMacroRecordingEvents.OnRecordingStopped";
    case DeviceEventKind::RecordingFinished: return "_IOTFMacroRecordingEvents.OnRecordingFinished";
    case DeviceEventKind::RecordingCancelled: return "_IOTFMacroRecordingEvents.OnRecordingCancelled";
    case DeviceEventKind::DpiChanged: return "_IDPIEvents.OnDpiChanged";
    case DeviceEventKind::LaunchApplication: return "_IApplicationEvent.OnLaunchApplication";
    }
    return "?";
}

// A device rebuilt from its memory image, with its mode carried over (the mode is not memory).
bool CopyDevice(const CSimDevice& device, std::size_t index, std::unique_ptr<CSimDevice>& copy, std::string& error)
{
    std::wstring reason;
    if (!CSimDevice::FromData(device.Data(), copy, reason)) {
        error = "device " + std::to_string(index) + " cannot be copied: " + ToUtf8(reason);
        return false;
    }
    copy->SetMode(device.Mode());
    return true;
}

} // namespace

const IID& EventInterfaceOf(DeviceEventKind kind)
{
    switch (kind) {
    case DeviceEventKind::ProfileChanged:
        return IID__IProfileManagerEvents;
    case DeviceEventKind::RecordingStarted:
    case DeviceEventKind::RecordingStopped:
    case DeviceEventKind::RecordingFinished:
    case DeviceEventKind::RecordingCancelled:
        return IID__IOTFMacroRecordingEvents;
    case DeviceEventKind::DpiChanged:
        return IID__IDPIEvents;
    case DeviceEventKind::LaunchApplication:
        return IID__IApplicationEvent;
    }
    return IID_NULL;
}

const std::vector<const IID*>& EventInterfaces()
{
    static const std::vector<const IID*> interfaces = {&IID__IProfileManagerEvents, &IID__IOTFMacroRecordingEvents,
                                                       &IID__IDPIEvents, &IID__IApplicationEvent};
    return interfaces;
}

const char* EventInterfaceName(REFIID events)
{
    if (events == IID__IProfileManagerEvents)
        return "_IProfileManagerEvents";
    if (events == IID__IOTFMacroRecordingEvents)
        return "_IOTFMacroRecordingEvents";
    if (events == IID__IDPIEvents)
        return "_IDPIEvents";
    if (events == IID__IApplicationEvent)
        return "_IApplicationEvent";
    return "?";
}

HRESULT HresultOf(SimStatus status)
{
    switch (status) {
    case SimStatus::Ok: return S_OK;
    case SimStatus::NotFound: return kHrNotFound;
    case SimStatus::InvalidArgument: return E_INVALIDARG;
    case SimStatus::LimitReached: return kHrDeviceFull;
    case SimStatus::IoError: return kHrIoError;
    case SimStatus::BadFile: return kHrBadFile;
    }
    return E_FAIL;
}

CServiceCore::CServiceCore() = default;

CServiceCore::~CServiceCore()
{
    for (SinkEntry& entry : m_sinks)
        entry.sink->Release();
    m_sinks.clear();
    if (m_window) {
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

bool CServiceCore::Start(HINSTANCE instance, const std::wstring& stateFile, std::wstring& error)
{
    m_stateFile = stateFile;
    const std::size_t slash = stateFile.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : stateFile.substr(0, slash);
    CreateDirectoryW(folder.c_str(), nullptr);
    m_serviceLog.Open(folder + L"\\SimKeyboard.log");
    Log("service started");
    LoadState();

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    m_window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (!m_window) {
        error = L"cannot create the service window (error " + std::to_wstring(GetLastError()) + L")";
        Log(ToUtf8(error));
        return false;
    }
    // Started by hand or by a client that went away before asking for anything: end after the delay.
    ArmIdleTimer();
    return true;
}

void CServiceCore::LoadState()
{
    StateLoadResult result = LoadStateFile(m_stateFile, m_state);
    switch (result.outcome) {
    case StateLoadResult::Outcome::Loaded:
        Log("memory loaded from " + QuoteText(m_stateFile));
        break;
    case StateLoadResult::Outcome::NoFile:
        Log("no memory file at " + QuoteText(m_stateFile) + ": factory state");
        break;
    case StateLoadResult::Outcome::Recovered:
        Log("memory file " + QuoteText(m_stateFile) + " unusable: " + ToUtf8(result.message));
        Log(result.keptAsidePath.empty() ? std::string("the damaged file could not be moved aside")
                                         : "damaged file kept as " + QuoteText(result.keptAsidePath));
        Log("starting from the factory state");
        break;
    }
    if (result.journal.outcome != JournalReplay::Outcome::None)
        Log(ToUtf8(result.journal.message));
    if (result.journal.outcome == JournalReplay::Outcome::Damaged)
        Log(result.journalKeptAsidePath.empty() ? std::string("the journal could not be moved aside")
                                                : "journal kept as " + QuoteText(result.journalKeptAsidePath));
    m_serials.clear();
    for (std::size_t i = 0; i < m_state.DeviceCount(); ++i)
        m_serials.push_back(m_nextSerial++);
    // A file that holds exactly the state continues in the journal; anything else is saved first.
    if (result.outcome == StateLoadResult::Outcome::Loaded && result.journal.outcome == JournalReplay::Outcome::None)
        StartJournal(std::move(result.body));
    else
        SaveNow();
}

void CServiceCore::StartJournal(std::vector<std::uint8_t> body)
{
    std::wstring error;
    if (m_journal.Start(JournalPathOf(m_stateFile), std::move(body), error)) {
        if (m_journalFailed)
            Log("journal written again");
        m_journalFailed = false;
        return;
    }
    if (!m_journalFailed)
        Log("no journal, every change is saved whole: " + ToUtf8(error));
    m_journalFailed = true;
}

void CServiceCore::RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CServiceCore::Shutdown()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    if (m_window)
        KillTimer(m_window, kIdleTimer);
    std::vector<SinkEntry> sinks;
    sinks.swap(m_sinks);
    for (SinkEntry& entry : sinks)
        entry.sink->Release();
    SaveNow();
    m_journal.Close();
    Log("service stopped");
}

// ---- Devices ----

std::uint32_t CServiceCore::KeyboardSerial() const
{
    const CSimDevice* keyboard = &m_state.Keyboard();
    for (std::size_t i = 0; i < m_state.DeviceCount(); ++i) {
        if (m_state.Device(i) == keyboard)
            return m_serials[i];
    }
    return 0;
}

std::uint32_t CServiceCore::PluggedSerial(std::size_t index) const
{
    for (std::size_t i = 0; i < m_state.DeviceCount(); ++i) {
        if (!m_state.Device(i)->Info().plugged)
            continue;
        if (index == 0)
            return m_serials[i];
        --index;
    }
    return 0;
}

CSimDevice* CServiceCore::Device(std::uint32_t serial, HRESULT& hr)
{
    const auto it = std::find(m_serials.begin(), m_serials.end(), serial);
    CSimDevice* device = it == m_serials.end() ? nullptr : m_state.Device(static_cast<std::size_t>(it - m_serials.begin()));
    if (device == nullptr || !device->Info().plugged) {
        hr = kHrDeviceGone;
        return nullptr;
    }
    hr = S_OK;
    return device;
}

void CServiceCore::ResetState()
{
    const std::uint32_t keyboard = KeyboardSerial();
    m_state.ResetToFactory();
    m_serials.assign(1, keyboard);
    SaveNow();
}

void CServiceCore::ReplaceDevices(std::vector<std::unique_ptr<CSimDevice>> devices, std::vector<std::uint32_t> serials)
{
    CKeyboardState state;
    if (!CKeyboardState::FromDevices(std::move(devices), state))
        return;
    m_state = std::move(state);
    m_serials = std::move(serials);
    Changed();
}

bool CServiceCore::AddDevice(std::uint32_t productId, std::size_t position, std::string& error)
{
    if (m_state.DeviceCount() >= kSimMaxDevices) {
        error = "the service holds " + std::to_string(kSimMaxDevices) + " devices already";
        return false;
    }
    position = std::min(position, m_state.DeviceCount());
    // The state keeps devices in enumeration order and only appends: rebuild the list around the new one
    // from the devices' memory images (the device mode, which is not memory, is carried over).
    std::vector<std::unique_ptr<CSimDevice>> devices;
    std::vector<std::uint32_t> serials;
    for (std::size_t i = 0; i <= m_state.DeviceCount(); ++i) {
        if (i == position) {
            SimDeviceInfo info = ProductKeyboardInfo();
            info.productId = productId;
            devices.push_back(std::make_unique<CSimDevice>(info, ProductButtons()));
            serials.push_back(m_nextSerial++);
        }
        if (i == m_state.DeviceCount())
            break;
        std::unique_ptr<CSimDevice> copy;
        if (!CopyDevice(*m_state.Device(i), i, copy, error))
            return false;
        devices.push_back(std::move(copy));
        serials.push_back(m_serials[i]);
    }
    ReplaceDevices(std::move(devices), std::move(serials));
    return true;
}

bool CServiceCore::RemoveDevice(std::size_t index, std::string& error)
{
    if (index >= m_state.DeviceCount()) {
        error = "no device " + std::to_string(index);
        return false;
    }
    std::vector<std::unique_ptr<CSimDevice>> devices;
    std::vector<std::uint32_t> serials;
    bool keyboardLeft = false;
    for (std::size_t i = 0; i < m_state.DeviceCount(); ++i) {
        if (i == index)
            continue;
        std::unique_ptr<CSimDevice> copy;
        if (!CopyDevice(*m_state.Device(i), i, copy, error))
            return false;
        keyboardLeft = keyboardLeft || copy->Info().productId == kSimKeyboardProductId;
        devices.push_back(std::move(copy));
        serials.push_back(m_serials[i]);
    }
    if (!keyboardLeft) {
        error = "the product keyboard cannot be removed (unplug it instead)";
        return false;
    }
    ReplaceDevices(std::move(devices), std::move(serials));
    return true;
}

void CServiceCore::Changed()
{
    // The change is in the journal before the call or command that made it answers: a kill from here on
    // loses nothing that was acknowledged. Without a journal the whole state is saved instead.
    std::wstring error;
    if (!m_window || !m_journal.IsOpen() ||
        !m_journal.Append(SerializeStateBody(m_state, m_journal.Body().size() + 4096), error)) {
        if (!error.empty()) {
            Log("the journal failed, every change is saved whole: " + ToUtf8(error));
            m_journalFailed = true;
        }
        SaveNow();
        return;
    }
    const ULONGLONG now = GetTickCount64();
    if (!m_unsaved) {
        m_unsaved = true;
        m_unsavedSince = now;
    }
    const ULONGLONG age = now - m_unsavedSince;
    // A burst of calls can keep the timer from firing (it comes only when the queue is empty): the age
    // limit is kept here as well.
    if (age >= kStateSaveMaxAgeMs) {
        SaveNow();
        return;
    }
    // Replacing the timer restarts the quiet time.
    SetTimer(m_window, kSaveTimer, static_cast<UINT>(std::min<ULONGLONG>(kStateSaveQuietMs, kStateSaveMaxAgeMs - age)), nullptr);
}

void CServiceCore::OnSaveTimer()
{
    KillTimer(m_window, kSaveTimer);
    if (m_unsaved)
        SaveNow();
}

void CServiceCore::SaveNow()
{
    if (m_window)
        KillTimer(m_window, kSaveTimer);
    m_unsaved = false;
    std::wstring error;
    std::vector<std::uint8_t> body = SerializeStateBody(m_state, m_journal.Body().size() + 4096);
    if (SaveStateBody(m_stateFile, body, error) != SimStatus::Ok) {
        // One line per failing stretch, not one per call.
        if (!m_saveFailed)
            Log("cannot save the memory file: " + ToUtf8(error));
        m_saveFailed = true;
        // Tried again after the age limit (a reader holding the file for a moment is the usual cause),
        // without waiting for another change.
        m_unsaved = true;
        m_unsavedSince = GetTickCount64();
        if (m_window && !m_shuttingDown)
            SetTimer(m_window, kSaveTimer, kStateSaveMaxAgeMs, nullptr);
        return;
    }
    if (m_saveFailed)
        Log("memory file saved again");
    m_saveFailed = false;
    // The file holds every change now: the journal starts afresh from it.
    StartJournal(std::move(body));
}

// ---- Event sinks ----

DWORD CServiceCore::AddSink(std::uint32_t device, REFIID events, IUnknown* sink)
{
    const DWORD cookie = m_nextCookie++;
    sink->AddRef();
    m_sinks.push_back(SinkEntry{cookie, device, events, sink});
    return cookie;
}

bool CServiceCore::RemoveSink(std::uint32_t device, REFIID events, DWORD cookie)
{
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [&](const SinkEntry& entry) {
        return entry.cookie == cookie && entry.device == device && entry.events == events;
    });
    if (it == m_sinks.end())
        return false;
    // Out of the list before the release: releasing a proxy calls the client, which may call back in.
    IUnknown* sink = it->sink;
    m_sinks.erase(it);
    sink->Release();
    return true;
}

void CServiceCore::DropSink(DWORD cookie)
{
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [&](const SinkEntry& e) { return e.cookie == cookie; });
    if (it == m_sinks.end())
        return;
    IUnknown* sink = it->sink;
    Log(std::string("dropped the unreachable ") + EventInterfaceName(it->events) + " sink " + std::to_string(cookie));
    m_sinks.erase(it);
    sink->Release();
}

std::vector<CONNECTDATA> CServiceCore::Sinks(std::uint32_t device, REFIID events) const
{
    std::vector<CONNECTDATA> sinks;
    for (const SinkEntry& entry : m_sinks) {
        if (entry.device != device || entry.events != events)
            continue;
        entry.sink->AddRef();
        sinks.push_back(CONNECTDATA{entry.sink, entry.cookie});
    }
    return sinks;
}

std::size_t CServiceCore::SinkCount(std::uint32_t device, REFIID events) const
{
    return static_cast<std::size_t>(std::count_if(m_sinks.begin(), m_sinks.end(), [&](const SinkEntry& entry) {
        return entry.device == device && entry.events == events;
    }));
}

void CServiceCore::QueueEvent(DeviceEvent event)
{
    m_events.push_back(std::move(event));
    if (!m_firePosted && m_window) {
        m_firePosted = true;
        PostMessageW(m_window, kFireEventsMessage, 0, 0);
    }
}

HRESULT CServiceCore::CallSink(IUnknown* sink, const DeviceEvent& event)
{
    // The sink was stored as the outgoing interface the event belongs to.
    switch (event.kind) {
    case DeviceEventKind::ProfileChanged:
        return static_cast<_IProfileManagerEvents*>(sink)->OnActiveProfileChanged(event.first);
    case DeviceEventKind::RecordingStarted:
        return static_cast<_IOTFMacroRecordingEvents*>(sink)->OnRecordingStarted();
    case DeviceEventKind::RecordingStopped:
        return static_cast<_IOTFMacroRecordingEvents*>(sink)->OnRecordingStopped();
    case DeviceEventKind::RecordingFinished:
        return static_cast<_IOTFMacroRecordingEvents*>(sink)->OnRecordingFinished(event.first, event.second);
    case DeviceEventKind::RecordingCancelled:
        return static_cast<_IOTFMacroRecordingEvents*>(sink)->OnRecordingCancelled();
    case DeviceEventKind::DpiChanged:
        return static_cast<_IDPIEvents*>(sink)->OnDpiChanged(event.first, event.second);
    case DeviceEventKind::LaunchApplication:
        return static_cast<_IApplicationEvent*>(sink)->OnLaunchApplication(event.first, event.text.c_str());
    }
    return E_UNEXPECTED;
}

void CServiceCore::FireQueuedEvents()
{
    m_firePosted = false;
    // A sink call lets messages in while it waits; an event queued meanwhile waits for this loop, so
    // every sink sees the events in the order they happened.
    if (m_firing)
        return;
    m_firing = true;
    while (!m_events.empty() && !m_shuttingDown) {
        const DeviceEvent event = std::move(m_events.front());
        m_events.pop_front();
        std::string arguments;
        if (event.kind == DeviceEventKind::ProfileChanged)
            arguments = std::to_string(event.first);
        else if (event.kind == DeviceEventKind::RecordingFinished || event.kind == DeviceEventKind::DpiChanged)
            arguments = std::to_string(event.first) + " " + std::to_string(event.second);
        else if (event.kind == DeviceEventKind::LaunchApplication)
            arguments = std::to_string(event.first) + " " + QuoteText(event.text, 80);
        for (CONNECTDATA& connection : Sinks(event.device, EventInterfaceOf(event.kind))) {
            const HRESULT hr = CallSink(connection.pUnk, event);
            m_calls.LogCall(EventOperationName(event.kind), arguments + (arguments.empty() ? "" : " ") + "sink " +
                                std::to_string(connection.dwCookie), hr);
            if (SinkIsGone(hr))
                DropSink(connection.dwCookie);
            connection.pUnk->Release();
        }
    }
    m_firing = false;
}

// ---- Lifetime ----

void CServiceCore::HoldProcess()
{
    if (m_holds++ == 0 && m_window)
        KillTimer(m_window, kIdleTimer);
}

void CServiceCore::ReleaseProcess()
{
    // A client's unbalanced LockServer(FALSE) must not make a later hold look like the last.
    if (m_holds == 0)
        return;
    if (--m_holds == 0)
        ArmIdleTimer();
}

void CServiceCore::ArmIdleTimer()
{
    if (m_window && !m_shuttingDown && m_holds == 0)
        SetTimer(m_window, kIdleTimer, kIdleExitMs, nullptr);
}

void CServiceCore::RequestQuit()
{
    Log("quit requested");
    PostQuitMessage(0);
}

// ---- Window ----

LRESULT CALLBACK CServiceCore::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CServiceCore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->m_window == window)
        return self->HandleMessage(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CServiceCore::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kFireEventsMessage:
        FireQueuedEvents();
        return 0;
    case kControlOpenMessage:
        HoldProcess();
        return 0;
    case kControlCloseMessage:
        ReleaseProcess();
        return 0;
    case kControlCommandMessage: {
        auto* request = reinterpret_cast<ControlRequest*>(lParam);
        request->reply = m_shuttingDown ? std::string("ERROR the service is exiting\n")
                                        : ExecuteControlCommand(*this, request->line);
        return 1;
    }
    case WM_TIMER:
        if (wParam == kSaveTimer) {
            OnSaveTimer();
            return 0;
        }
        if (wParam == kIdleTimer) {
            KillTimer(m_window, kIdleTimer);
            if (m_holds == 0 && !m_shuttingDown) {
                Log("no clients for " + std::to_string(kIdleExitMs / 1000) + " s: exiting");
                PostQuitMessage(0);
            }
            return 0;
        }
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}
