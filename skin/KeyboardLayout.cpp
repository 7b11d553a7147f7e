// The keyboard-layout seam and its Win32 default.
#include "skin/KeyboardLayout.h"

namespace {

HKL SysLoad(const wchar_t* layoutId, UINT flags) { return ::LoadKeyboardLayoutW(layoutId, flags); }
HKL SysActivate(HKL layout, UINT flags) { return ::ActivateKeyboardLayout(layout, flags); }
BOOL SysUnload(HKL layout) { return ::UnloadKeyboardLayout(layout); }
HKL SysGetLayout(DWORD threadId) { return ::GetKeyboardLayout(threadId); }
UINT SysMapVirtualKey(UINT code, UINT mapType, HKL layout) { return ::MapVirtualKeyExW(code, mapType, layout); }
SHORT SysVkKeyScan(wchar_t ch, HKL layout) { return ::VkKeyScanExW(ch, layout); }
int SysKeyName(LONG keyData, wchar_t* buffer, int size) { return ::GetKeyNameTextW(keyData, buffer, size); }
int SysToUnicode(UINT virtualKey, UINT scanCode, const BYTE* keyState, wchar_t* buffer, int size, UINT flags)
{
    return ::ToUnicode(virtualKey, scanCode, keyState, buffer, size, flags);
}
int SysGetLayoutList(int count, HKL* layouts) { return ::GetKeyboardLayoutList(count, layouts); }

const KeyboardLayoutApi kSystemApi = {
    SysLoad, SysActivate, SysUnload, SysGetLayout, SysMapVirtualKey, SysVkKeyScan, SysKeyName, SysToUnicode,
    SysGetLayoutList,
};

const KeyboardLayoutApi* g_api = &kSystemApi;
HKL g_currentLayout = nullptr;

} // namespace

const KeyboardLayoutApi& KeyboardLayout() { return *g_api; }

void SetKeyboardLayoutApi(const KeyboardLayoutApi* api) { g_api = api ? api : &kSystemApi; }

const KeyboardLayoutApi& SystemKeyboardLayoutApi() { return kSystemApi; }

HKL CurrentKeyLayout() { return g_currentLayout; }

void SetCurrentKeyLayout(HKL layout) { g_currentLayout = layout; }
