// The keyboard-layout seam: every call that depends on the Windows keyboard layout (loading and
// activating layouts, key names, virtual key / scan code / character mappings) goes through
// KeyboardLayout(), whose default is the Win32 call and which tests replace with their own tables.
#pragma once

#include <windows.h>

// One entry per layout-dependent Win32 call, with the same parameters and results.
struct KeyboardLayoutApi {
    HKL (*LoadKeyboardLayout)(const wchar_t* layoutId, UINT flags);
    HKL (*ActivateKeyboardLayout)(HKL layout, UINT flags);
    BOOL (*UnloadKeyboardLayout)(HKL layout);
    HKL (*GetKeyboardLayout)(DWORD threadId);
    UINT (*MapVirtualKeyEx)(UINT code, UINT mapType, HKL layout);
    SHORT (*VkKeyScanEx)(wchar_t ch, HKL layout);
    // Names follow the layout active for the calling thread, as the Win32 calls do.
    int (*GetKeyNameText)(LONG keyData, wchar_t* buffer, int size);
    int (*ToUnicode)(UINT virtualKey, UINT scanCode, const BYTE* keyState, wchar_t* buffer, int size,
                     UINT flags);
    int (*GetKeyboardLayoutList)(int count, HKL* layouts);
};

// The calls in use: the Win32 ones unless a test installed others.
const KeyboardLayoutApi& KeyboardLayout();
// Installs `api` (kept by pointer: it must outlive its use); null restores the Win32 calls.
void SetKeyboardLayoutApi(const KeyboardLayoutApi* api);
// The Win32 calls, for replacements that forward some calls.
const KeyboardLayoutApi& SystemKeyboardLayoutApi();

// The layout that key names and keystroke modifiers are worked out in: the one that the keyboard-layout
// selection loaded, or null before any (the calls then use the thread's active layout).
HKL CurrentKeyLayout();
void SetCurrentKeyLayout(HKL layout);
