// Helpers of the tests that talk to the running device service: the service pointed at a
// memory file of the test's own and stopped again afterwards, control commands, message pumping with a
// deadline, and event sinks that record what reached them and on which thread.
#pragma once

#include "framework/ComRef.h"
#include "framework/Handle.h"
#include "framework/Wnd.h"
#include "service/ServiceStart.h"
#include "service/control/ControlClient.h"
#include "SimTestSupport.h"
#include "../support/KeyboardProcess.h"
#include "../support/TestProgram.h"

#include "DeviceService.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <ocidl.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A string the service returned, freed with CoTaskMemFree.
class CoText {
public:
    ~CoText() { CoTaskMemFree(m_text); }
    LPWSTR* Put()
    {
        CoTaskMemFree(m_text);
        m_text = nullptr;
        return &m_text;
    }
    std::wstring Text() const { return m_text ? m_text : L"<null>"; }
    bool IsNull() const { return m_text == nullptr; }

private:
    LPWSTR m_text = nullptr;
};

// ---- Paths, waiting, control ----

// Handles this thread's messages (the service's calls into this apartment among them) until `done` holds
// or the deadline passes; the result is `done`'s last answer.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000)
{
    return PumpMessagesUntil(done, timeoutMs, MessagePumpOptions{50, nullptr, true});
}

inline ControlReply Control(const std::string& command)
{
    ControlOptions options;
    options.pipeMs = 5000;
    return SendControlCommand(command, options);
}

// The reply's lines when the command succeeded; the test fails otherwise.
inline std::vector<std::string> ControlOk(const std::string& command)
{
    const ControlReply reply = Control(command);
    EXPECT_EQ(reply.status, ControlStatus::Ok) << command << ": " << reply.message;
    return reply.lines;
}

inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// ---- The service of one test ----

// Points the service at a memory file in the test's own folder, registers this build's service when the
// registration names another program, and starts the service; Stop ends it and restores the setting.
// The service reads the setting at start, so a service still running from before is stopped first.
class CServiceUnderTest {
public:
    static constexpr wchar_t kSettingsKey[] = L"Software\\Tessary\\SimKeyboard";
    static constexpr wchar_t kStateFileValue[] = L"StateFile";

    explicit CServiceUnderTest(const testfiles::CScopedFolder& folder) : m_stateFile(folder.File(L"SimKeyboard.state")) {}
    ~CServiceUnderTest() { RestoreSetting(); }

    const std::wstring& StateFile() const { return m_stateFile; }

    // Call with ASSERT_NO_FATAL_FAILURE.
    void Prepare()
    {
        ASSERT_TRUE(EnsureRegistered());
        ASSERT_TRUE(StopRunning());
        ASSERT_TRUE(PointSetting());
    }

    // Creates the service's root object; the first call starts the process. COM can refuse the class
    // for a moment after a service process ended: such answers are retried until the deadline.
    static HRESULT Connect(ComRef<IDeviceCollection>& collection, DWORD timeoutMs = 20000)
    {
        return CreateServiceWhenReady(IID_IDeviceCollection, collection.PutVoid(), timeoutMs);
    }

    // The running service's process, opened for waiting and ending; null when none answers.
    static CHandle OpenServiceProcess() { return OpenKeyboardProcess(200); }

    // Quits the running service, if any, and waits until its process is gone.
    static bool StopRunning()
    {
        const CHandle process = QuitKeyboardProcess(200);
        return process.IsNull() || WaitForSingleObject(process, 15000) == WAIT_OBJECT_0;
    }

    void Stop()
    {
        EXPECT_TRUE(StopRunning());
        RestoreSetting();
    }

private:
    static bool EnsureRegistered()
    {
        const std::wstring exe = testfiles::WinePath(TESSARY_SERVICE_EXE);
        const std::wstring key = L"Software\\Classes\\CLSID\\{5E3B1A70-9D24-4C61-8F0A-2B7DC5E4A913}\\LocalServer32";
        wchar_t value[1024] = {};
        DWORD bytes = sizeof(value) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS &&
            lstrcmpiW(value, (L"\"" + exe + L"\"").c_str()) == 0)
            return true;
        return CProgram(exe, L"/RegServer").WaitForExitBlocking(30000) == 0;
    }

    bool PointSetting()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return false;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, kStateFileValue, nullptr, &m_previousType, nullptr, &bytes) == ERROR_SUCCESS) {
            m_previous.resize(bytes);
            RegQueryValueExW(key, kStateFileValue, nullptr, &m_previousType, m_previous.data(), &bytes);
            m_hadPrevious = true;
        }
        const LSTATUS status = RegSetValueExW(key, kStateFileValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_stateFile.c_str()),
                                              static_cast<DWORD>((m_stateFile.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        m_pointed = status == ERROR_SUCCESS;
        return m_pointed;
    }

    void RestoreSetting()
    {
        if (!m_pointed)
            return;
        m_pointed = false;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (m_hadPrevious)
            RegSetValueExW(key, kStateFileValue, 0, m_previousType, m_previous.data(), static_cast<DWORD>(m_previous.size()));
        else
            RegDeleteValueW(key, kStateFileValue);
        RegCloseKey(key);
    }

    std::wstring m_stateFile;
    bool m_pointed = false;
    bool m_hadPrevious = false;
    DWORD m_previousType = REG_SZ;
    std::vector<BYTE> m_previous;
};

// ---- Event sinks ----

// One sink for every outgoing interface; it records each call with the thread it arrived on.
class CRecordingSink : public _IProfileManagerEvents,
                       public _IOTFMacroRecordingEvents,
                       public _IApplicationEvent,
                       public _IDPIEvents {
public:
    struct Call {
        std::string what;
        DWORD first = 0;
        DWORD second = 0;
        std::wstring text;
        DWORD thread = 0;
    };
    std::vector<Call> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID__IProfileManagerEvents)
            *object = static_cast<_IProfileManagerEvents*>(this);
        else if (riid == IID__IOTFMacroRecordingEvents)
            *object = static_cast<_IOTFMacroRecordingEvents*>(this);
        else if (riid == IID__IApplicationEvent)
            *object = static_cast<_IApplicationEvent*>(this);
        else if (riid == IID__IDPIEvents)
            *object = static_cast<_IDPIEvents*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&m_refs)); }
    IUnknown* Unknown() { return static_cast<_IProfileManagerEvents*>(this); }

    HRESULT STDMETHODCALLTYPE OnActiveProfileChanged(DWORD value) override { return Record("profile", value, 0); }
    HRESULT STDMETHODCALLTYPE OnRecordingStarted() override { return Record("started", 0, 0); }
    HRESULT STDMETHODCALLTYPE OnRecordingStopped() override { return Record("stopped", 0, 0); }
    HRESULT STDMETHODCALLTYPE OnRecordingFinished(DWORD value, DWORD buttonId) override
    {
        return Record("finished", value, buttonId);
    }
    HRESULT STDMETHODCALLTYPE OnRecordingCancelled() override { return Record("cancelled", 0, 0); }
    HRESULT STDMETHODCALLTYPE OnLaunchApplication(DWORD kind, LPCWSTR file) override
    {
        return Record("launch", kind, 0, file ? file : L"<null>");
    }
    HRESULT STDMETHODCALLTYPE OnDpiChanged(DWORD value1, DWORD value2) override { return Record("dpi", value1, value2); }

private:
    HRESULT Record(const char* what, DWORD first, DWORD second, const std::wstring& text = std::wstring())
    {
        calls.push_back(Call{what, first, second, text, GetCurrentThreadId()});
        return S_OK;
    }

    // Lives on the test's stack: the count only tells whether the service still holds it.
    LONG m_refs = 1;
};

// Advises `sink` on the source's connection point of `events`; the cookie, or 0 on failure.
inline DWORD AdviseSink(IUnknown* source, REFIID events, IUnknown* sink)
{
    ComRef<IConnectionPointContainer> container;
    ComRef<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) ||
        FAILED(container->FindConnectionPoint(events, point.Put())) || FAILED(point->Advise(sink, &cookie)))
        return 0;
    return cookie;
}

inline HRESULT UnadviseSink(IUnknown* source, REFIID events, DWORD cookie)
{
    ComRef<IConnectionPointContainer> container;
    ComRef<IConnectionPoint> point;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
    if (SUCCEEDED(hr))
        hr = container->FindConnectionPoint(events, point.Put());
    return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}
