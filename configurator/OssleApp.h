// COssleAppApp: the configurator as a whole. One instance per session, held by a named mutex for the
// whole life of the process; the store and the device object; the registry's language and installation
// folder; the tray program's start; the language and keyboard-layout tables; the main dialog run
// modally as the program's life; and the tear-down, device object first (its write may still hand its
// outcome to the store), then the store.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handle.h"
#include "model/IGenDevice.h"
#include "model/IKeyboardConfig.h"
#include "skin/GUIItem.h"

class COssleConfig;

class COssleAppApp {
public:
    COssleAppApp();
    ~COssleAppApp();
    COssleAppApp(const COssleAppApp&) = delete;
    COssleAppApp& operator=(const COssleAppApp&) = delete;

    // The whole start-up and the main dialog's run. Always false: the dialog was the program's life,
    // or another configurator runs (it is brought forward) and this one ends.
    bool InitInstance();
    // Tears down what is left and lets go of the mutex; the exit code.
    int ExitInstance();

    // The steps of InitInstance, in their order.
    enum class InstanceClaim { First, AnotherRuns, Failed };
    // Takes the single-instance mutex and keeps it. When another configurator holds it, waits briefly
    // for its window, brings that (or its open popup) to the front and answers AnotherRuns.
    InstanceClaim ClaimSingleInstance();
    // Common controls, COM, the program folder as current directory, the store and the device object.
    void StartServices();
    // Language and installation folder from the maker's key, opened for reading (created only when it
    // does not exist); starts the tray program from the installation folder. Without a key: language
    // 345, no tray program.
    void ReadRegistryAndStartTray();
    // Language.xml and the current language table; KeyboardLayout.xml and the device's layout. A
    // language list, or a text file of the language, that can't be read or lacks a key of English's
    // ends the start: DamagedFile() names it, and the main dialog only reports it.
    void LoadTables();
    void RunMainDialog();
    // Destroys the device object (it waits for a running write), then the store; COM ends.
    void TearDown();

    IKeyboardConfig* Config() const;
    IKeyboardDevice* Device() const { return m_device; }
    bool HoldsInstanceMutex() const { return !m_mutex.IsNull(); }
    int LanguageId() const { return m_languageId; }
    int LayoutId() const { return m_layoutId; }
    const std::wstring& DamagedFile() const { return m_damagedFile; }

    // Where the maker's key is looked for; tests point it elsewhere.
    HKEY m_registryRoot = HKEY_LOCAL_MACHINE;
    std::wstring m_registryPath;
    // How long a second start waits for the first one's window.
    DWORD m_activateWaitMs = 5000;

private:
    CHandle m_mutex;
    bool m_com = false;
    std::unique_ptr<COssleConfig> m_store;
    IKeyboardDevice* m_device = nullptr;
    SkinItemList m_languageItems;
    SkinItemList m_layoutItems;
    int m_languageId = -1;
    int m_layoutId = -1;
    std::wstring m_damagedFile;  // below the program folder; empty while the installation is whole
};
