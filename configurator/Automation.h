// The configurator's lookup for test and automation drivers in other processes. Skinned widgets carry
// control id 0 and draw themselves, so neither a dialog-item lookup nor the accessibility tree finds
// them: instead the main dialog and each of its popups answer one registered message.
//   wParam = a skin item id, lParam = kAutomationItemWindow: the item's window (main dialog: the frame's
//            items, then the key-assignment page and its keyboard picture; popup: its items), or 0.
//   lParam = kAutomationState: the main dialog's state bits (kAutomation*) and, in the high word, the
//            skin item id of the picked key (0 when none); a popup answers kAutomationIsPopup. Both add
//            kAutomationPaintPending while a paint waits. Bits 8-15 of the main dialog's answer hold the
//            flags of its shown page (ConfigIds.h kPage*).
//   lParam = kAutomationGuiObjects: the process's GDI objects in the low 32 bits and its USER objects in
//            the high 32 (GetGuiResources; where the system does not count them, as under Wine, the live
//            GDI handles of the process and its windows), for benchmarks that watch for leaks.
// A window that does not know the message answers 0.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "skin/GUIItem.h"

namespace config {

// "TessaryConfig.Automation", registered once per process.
UINT AutomationMessage();

constexpr LPARAM kAutomationItemWindow = 0;
constexpr LPARAM kAutomationState = 1;
constexpr LPARAM kAutomationGuiObjects = 2;

constexpr LRESULT kAutomationShown = 0x01;          // the dialog is initialised
constexpr LRESULT kAutomationDirty = 0x02;          // changes wait for Apply
constexpr LRESULT kAutomationWriting = 0x04;        // a write runs
constexpr LRESULT kAutomationPopupOpen = 0x08;      // one of the configurator's popups is open
constexpr LRESULT kAutomationIsPopup = 0x10;        // the answer of a popup
constexpr LRESULT kAutomationPaintPending = 0x20;   // a window of its thread (it, a widget) waits to be painted
constexpr int kAutomationPageShift = 8;             // the shown page's flags, in the main dialog's answer

// A window's answer for `lParam` over its item lists, front to back; `state` is the kAutomationState
// answer, to which kAutomationPaintPending is added when a paint waits. Only the window's own thread can
// tell that reliably: the answer is given there.
LRESULT AnswerAutomation(std::initializer_list<const SkinItemList*> lists, WPARAM wParam, LPARAM lParam,
                         LRESULT state);

} // namespace config
