// Where the service keeps its memory file, and its registration with COM: the class's local server and
// the proxy/stub DLL of its interfaces.
#pragma once

#include <string>

// The memory file: HKCU\Software\Tessary\SimKeyboard "StateFile" when set (environment variables
// expanded), else %LOCALAPPDATA%\Tessary\SimKeyboard.state.
std::wstring StateFilePath();

// "/RegServer": CLSID\{service}\LocalServer32 = this program (quoted) under HKLM\Software\Classes,
// and the proxy/stub DLL from this program's folder registered through its DllRegisterServer (every
// interface's ProxyStubClsid32 and the DLL's InProcServer32 with ThreadingModel Both). False, with a
// message, when either fails.
bool RegisterService(std::wstring& error);
// "/UnregServer": removes both; false, with a message, when something registered stays.
bool UnregisterService(std::wstring& error);
