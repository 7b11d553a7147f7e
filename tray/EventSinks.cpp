// Event forwarding of the sinks. Every event answers S_OK: the service has nothing to do with a
// client's trouble.
#include "tray/EventSinks.h"

namespace tray {

HRESULT CProfileEventSink::OnActiveProfileChanged(DWORD value)
{
    if (m_handler)
        m_handler->OnProfileChanged(value);
    return S_OK;
}

HRESULT CMacroEventSink::OnRecordingStarted()
{
    if (m_handler)
        m_handler->OnRecordingStarted();
    return S_OK;
}

HRESULT CMacroEventSink::OnRecordingStopped()
{
    if (m_handler)
        m_handler->OnRecordingStopped();
    return S_OK;
}

HRESULT CMacroEventSink::OnRecordingFinished(DWORD value, DWORD buttonId)
{
    if (m_handler)
        m_handler->OnRecordingFinished(value, buttonId);
    return S_OK;
}

HRESULT CMacroEventSink::OnRecordingCancelled()
{
    if (m_handler)
        m_handler->OnRecordingCancelled();
    return S_OK;
}

HRESULT CLaunchAppEventSink::OnLaunchApplication(DWORD kind, LPCWSTR file)
{
    if (m_handler)
        m_handler->OnLaunchApplication(kind, file);
    return S_OK;
}

HRESULT CDpiEventSink::OnDpiChanged(DWORD value1, DWORD value2)
{
    if (m_handler)
        m_handler->OnDpiChanged(value1, value2);
    return S_OK;
}

} // namespace tray
