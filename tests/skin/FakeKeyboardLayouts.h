// Keyboard layouts for tests: small US, German and French tables that stand in for the system's
// layouts behind the keyboard-layout seam (under Wine every layout is US and key names are X names).
#pragma once

#include <windows.h>

#include <set>

#include "skin/KeyboardLayout.h"

// Layout identifiers as LoadKeyboardLayout takes them.
constexpr const wchar_t* kLayoutUs = L"00000409";
constexpr const wchar_t* kLayoutGerman = L"00000407";
constexpr const wchar_t* kLayoutFrench = L"0000040C";

// Installs the tables for its lifetime (US active, nothing loaded) and restores the system calls and
// the current key layout when it goes. One at a time.
class FakeKeyboardLayouts {
public:
    FakeKeyboardLayouts();
    ~FakeKeyboardLayouts();
    FakeKeyboardLayouts(const FakeKeyboardLayouts&) = delete;
    FakeKeyboardLayouts& operator=(const FakeKeyboardLayouts&) = delete;

    // The handle of a table (null for an unknown identifier), without loading it.
    static HKL Handle(const wchar_t* layoutId);
    // Makes a table the active layout, as the selection of a keyboard layout would.
    void Activate(const wchar_t* layoutId);

    // The calls as installed, for tests that replace one of them and install the copy.
    const KeyboardLayoutApi& Api() const;

    HKL active = nullptr;
    std::set<HKL> loaded;  // loaded and not yet unloaded
    int loadCalls = 0;
    int unloadCalls = 0;
};
