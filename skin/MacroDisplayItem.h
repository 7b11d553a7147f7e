// CMacroDisplayItem: the skinned list of one macro's events (key down or up, mouse button down or up,
// delay), one row per event. An editable display records raw keyboard and mouse input and lets the user
// delete rows, insert delays, change a delay in place or ask its owner to change a key; a read-only one
// replays a macro's events on a timer, showing them one by one. It never touches a macro itself: the
// owner loads the events in and reads them back.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "framework/Gdi.h"
#include "framework/ListCtrl.h"
#include "model/Macro.h"
#include "skin/GUIItem.h"
#include "skin/KeyboardDef.h"
#include "skin/ListPanelList.h"
#include "skin/RawInput.h"

class CListPanelItem;
class CVScrollBar;
struct SkinLoadContext;

// Notifications to the parent; wParam 0, lParam the item's skin id.
constexpr UINT WM_MACRODISPLAY_CHANGED = WM_USER + 0x2BC;    // the user changed the events
constexpr UINT WM_MACRODISPLAY_EDITEVENT = WM_USER + 0x2BD;  // "$Edit" on a key row
constexpr UINT WM_MACRODISPLAY_PLAYDONE = WM_USER + 0x2BE;   // the replay reached its end

// Icon keys of the MDBMP_* images; a row's item data is the key of its icon when not selected.
namespace MacroDisplayIcon {
enum Code : int { KeyDown = 0, KeyUp = 1, Clock = 2, ClockSelected = 3, Mouse = 4, MouseSelected = 5 };
}

// The two column ids that draw something.
constexpr int kMacroColumnIcon = 5;         // LCITEM_MCREVENT_ICON
constexpr int kMacroColumnDescription = 6;  // LCITEM_MCREVENT_DESCRIP

class CMacroDisplayItem : public CListCtrl, public CGUIItem {
public:
    static constexpr UINT_PTR kReplayTimer = 32;
    static constexpr uint32_t kMaxRecordedDelayMs = 0xFFFFFF;
    static constexpr int kMaxColumns = 2;

    // What the display asks of the system while recording; tests put their own in place.
    struct Environment {
        DWORD (*tickCount)();
        // The window under the pointer now (WindowFromPoint of the cursor position).
        HWND (*windowAtCursor)();
    };
    static const Environment& SystemEnvironment();

    CMacroDisplayItem(int maxEvents, bool readOnly);
    ~CMacroDisplayItem() override;

    BEGIN_MSG_MAP(CMacroDisplayItem)
        MESSAGE_HANDLER(WM_INPUT, OnInput)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_LIST_SCROLLROWS, OnScrollRows)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
        REFLECTED_NOTIFY_CODE_HANDLER(LVN_BEGINLABELEDITW, OnBeginLabelEdit)
        REFLECTED_NOTIFY_CODE_HANDLER(LVN_ENDLABELEDITW, OnEndLabelEdit)
    END_MSG_MAP()

    // Keys typed into an editable display feed lastKey; auto-repeats and keys that would move the
    // selection or toggle a lock are swallowed.
    BOOL PreTranslateMessage(MSG* msg) override;
    // The scroll bar goes with the list.
    void ShowItem(bool show) override;

    // Switches recording on (registering raw keyboard and mouse input to this window) or off. The new
    // recording state: a read-only display, or a registration the system refuses, leaves it off.
    bool ToggleRecording();
    bool IsRecording() const { return m_recording; }
    void ClearEvents();
    // Shows `events` (null or while recording: false, nothing changes); true when any row shows.
    bool LoadEvents(const MacroEventList* events);
    // Puts `event` in place of row `row`; false, with nothing changed, for a read-only display, a row that
    // does not exist or an event of an unknown kind.
    bool ReplaceEvent(int row, const MacroEvent& event);
    // Replays `events` (kept alive by the caller until the done notice or StopReplay); read-only only.
    void PlayEvents(const MacroEventList* events);
    // Ends a replay without the done notice and empties the display.
    void StopReplay();
    void ClearSelection();
    // Selects and focuses `row` and scrolls it into view; -1 clears the selection.
    void SelectRow(int row);
    int GetSelectedRow() const { return GetNextItem(-1, LVNI_SELECTED); }
    const MacroEventList& Events() const { return m_events; }
    // The description shown in a row.
    std::wstring RowText(int row) const;
    // Adds a column: -1 for a known id, a third column, or id or kind -1; else its index.
    int AddColumn(int columnId, int kind, int format, int width);

    // One raw report as WM_INPUT brings it while recording (the test seam of the recorder).
    void TakeReport(const RawInputReport& report);

    // Settings of the owner.
    int m_maxEvents;
    bool m_readOnly;
    bool m_noDelay = false;
    bool m_fixedDelay = false;
    uint32_t m_fixedDelayMs = 50;
    HWND m_ignoreCaptureWindow = nullptr;  // a click on this window is not recorded
    bool m_scrollBarHidden = false;
    CListPanelItem* m_keyRowMenu = nullptr;    // key and delay rows; not owned
    CListPanelItem* m_mouseRowMenu = nullptr;  // mouse rows; not owned
    RawInputRegistration* m_rawInput = &RawInputRegistration::Shared();
    const Environment* m_environment = &SystemEnvironment();

    // Look, from the skin.
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextHi = 0x000000;
    COLORREF m_clrBack = 0x000000;
    COLORREF m_clrBackHi = 0xFFFFFF;
    COLORREF m_clrBorder = 0xFFFFFF;
    int m_borderWidth = 1;
    int m_rowHeight = 16;
    CFont* m_font = nullptr;  // the fontid font, not owned; drawn bold
    std::unique_ptr<CVScrollBar> m_scrollBar;
    std::map<int, CBitmap> m_icons;

    struct Column {
        int kind;
        int index;
        int format;
    };
    std::map<int, Column> m_columns;

    bool m_editingLabel = false;
    bool m_hoverCapture = false;

protected:
    LRESULT OnInput(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnScrollRows(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseWheel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCustomDraw(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnBeginLabelEdit(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnEndLabelEdit(int id, NMHDR* header, BOOL& bHandled);

private:
    friend CGUIItem* CreateMacroDisplayItem(const pugi::xml_node& element, SkinLoadContext& context);

    int AddEventRow(int index, const MacroEvent& event, bool repaint);
    void DeleteEventRow(int row);
    void AddRecordedEvent(const MacroEvent& event);
    void TakeMouseReport(const RAWMOUSE& mouse);
    void TakeKeyboardReport(const RAWKEYBOARD& keyboard);
    void ReplayStep();
    void OnMenuChoice(const std::wstring& text);
    void Notify(UINT msg);
    void SyncScrollBar();
    bool CellRect(int row, int index, RECT* rc) const;
    int ColumnIdAt(int index) const;
    void DrawCell(HDC dc, int row, int index, LPARAM data);
    // The fontid font made bold, made at the first paint that needs it; null without a font.
    HFONT BoldFont();

    MacroEventList m_events;
    HIMAGELIST m_imageList = nullptr;  // ours: taken back from the list view before it goes
    bool m_recording = false;
    DWORD m_lastTick = 0;
    std::vector<uint32_t> m_heldKeys;       // make code | E0 << 16 of the keys held down
    std::vector<uint32_t> m_droppedPresses; // buttons whose press on the ignored window was dropped
    KeyStroke m_lastKey;
    MouseButtonTransition m_lastButton;
    const MacroEventList* m_replayList = nullptr;
    size_t m_replayPos = 0;
    int m_editRow = -1;
    CFont m_boldFont;
};

// The text a row shows for `event`: the key's name, the mouse button's language text, or the delay in
// seconds with the seconds text.
std::wstring MacroEventText(const MacroEvent& event);

// Reader of a MACRODISPLAY element (type 10): null for an unknown name, no LISTCOLUMN, or a column with
// an unknown name or kind or width 0.
CGUIItem* CreateMacroDisplayItem(const pugi::xml_node& element, SkinLoadContext& context);
