// Creating the device service's class without COM's start-up wait. When the class is not served yet,
// COM under Wine starts the registered local server and then waits a fixed second before it asks for
// the class again, however soon the server is ready. So the client starts the registered program
// itself and waits until the service says it serves (a named event it sets right after registering
// its class); the CoCreateInstance that follows finds the class at once. The service stays an ordinary
// local server: anything else that creates the class still makes COM start it.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Set by the service's registrar while its class is registered with COM.
constexpr wchar_t kServiceServingEvent[] = L"Local\\TessaryDeviceServiceServing";

// Starts the registered local server of the device service unless it serves already, and waits until
// it does (at most `timeoutMs`). True when it serves; false when no server is registered, it could not
// be started or it ended first (the caller's CoCreateInstance then does what COM always does).
bool StartDeviceService(DWORD timeoutMs = 20000);

// StartDeviceService, then CoCreateInstance of the service's class.
HRESULT CreateDeviceService(DWORD context, REFIID riid, void** object);
