// Memory file location and COM registration.
#include "service/server/ServiceSetup.h"

#include "DeviceService.h"
#include "framework/ModulePath.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Tessary\\SimKeyboard";
constexpr wchar_t kStateFileValue[] = L"StateFile";
constexpr wchar_t kProxyDll[] = L"TessaryDeviceProxy.dll";
constexpr wchar_t kServiceTitle[] = L"Tessary simulated keyboard service";

std::wstring GuidString(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + GuidString(CLSID_DeviceService); }

bool SetDefaultValue(const std::wstring& keyPath, const std::wstring& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Runs DllRegisterServer or DllUnregisterServer of the proxy/stub DLL next to this program.
HRESULT CallProxyDll(const char* entry, std::wstring& error)
{
    const std::wstring path = FolderOf(ModulePath()) + kProxyDll;
    HMODULE dll = LoadLibraryW(path.c_str());
    if (!dll) {
        error = L"cannot load " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto function = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, entry)));
    HRESULT hr = E_NOTIMPL;
    if (function)
        hr = function();
    if (FAILED(hr)) {
        wchar_t code[16];
        wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
        error = path + L": " + std::wstring(entry, entry + lstrlenA(entry)) + L" failed with " + code;
    }
    FreeLibrary(dll);
    return hr;
}

} // namespace

std::wstring StateFilePath()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD bytes = 0;
        std::wstring value;
        if (RegQueryValueExW(key, kStateFileValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && bytes >= sizeof(wchar_t)) {
            value.resize(bytes / sizeof(wchar_t) + 1);
            if (RegQueryValueExW(key, kStateFileValue, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &bytes) != ERROR_SUCCESS)
                value.clear();
            value.resize(wcsnlen(value.c_str(), value.size()));
        }
        RegCloseKey(key);
        if (!value.empty() && type == REG_EXPAND_SZ) {
            const DWORD length = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
            std::wstring expanded(length, L'\0');
            if (length > 0 && ExpandEnvironmentStringsW(value.c_str(), &expanded[0], length) == length) {
                expanded.resize(length - 1);
                value = expanded;
            }
        }
        if (!value.empty())
            return value;
    }
    std::wstring folder;
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)) && known)
        folder = known;
    CoTaskMemFree(known);
    if (folder.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = temp;
        if (!folder.empty() && folder.back() == L'\\')
            folder.pop_back();
    }
    return folder + L"\\Tessary\\SimKeyboard.state";
}

bool RegisterService(std::wstring& error)
{
    if (FAILED(CallProxyDll("DllRegisterServer", error)))
        return false;
    const std::wstring key = ClassKey();
    if (!SetDefaultValue(key, kServiceTitle) || !SetDefaultValue(key + L"\\LocalServer32", L"\"" + ModulePath() + L"\"")) {
        error = L"cannot write HKLM\\" + key;
        return false;
    }
    return true;
}

bool UnregisterService(std::wstring& error)
{
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey().c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        error = L"cannot remove HKLM\\" + ClassKey();
        return false;
    }
    return SUCCEEDED(CallProxyDll("DllUnregisterServer", error));
}
