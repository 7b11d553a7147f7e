// The list widgets' context menu and program file dialog in place of the list panel and the system's
// dialog: the tests choose the menu's answer and see where and how often it opened.
#pragma once

#include <windows.h>

#include <string>

#include "skin/ListCtrlEx.h"

struct FakeListCalls {
    std::wstring choice;
    int menuCalls = 0;
    CListPanelItem* menu = nullptr;
    POINT menuAt = {};
    bool fileOk = false;
    std::wstring file;
    int fileCalls = 0;

    // Installs the fake for the object's life.
    FakeListCalls()
    {
        Current() = this;
        static const XListCtrlApi api = {Menu, OpenFile};
        SetXListCtrlApi(&api);
    }
    ~FakeListCalls()
    {
        SetXListCtrlApi(nullptr);
        Current() = nullptr;
    }
    FakeListCalls(const FakeListCalls&) = delete;
    FakeListCalls& operator=(const FakeListCalls&) = delete;

    // A menu to hand to a widget: the fake never looks inside it.
    CListPanelItem* AnyMenu() { return reinterpret_cast<CListPanelItem*>(this); }

private:
    static FakeListCalls*& Current()
    {
        static FakeListCalls* current = nullptr;
        return current;
    }
    static void Menu(CListPanelItem* menu, HWND, int, int x, int y, std::wstring* text)
    {
        FakeListCalls* fake = Current();
        ++fake->menuCalls;
        fake->menu = menu;
        fake->menuAt = POINT{x, y};
        *text = fake->choice;
    }
    static bool OpenFile(HWND, std::wstring* path)
    {
        FakeListCalls* fake = Current();
        ++fake->fileCalls;
        if (fake->fileOk)
            *path = fake->file;
        return fake->fileOk;
    }
};
