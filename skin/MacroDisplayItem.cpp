// CMacroDisplayItem: rows and events, recording from raw input, replay, the row menus, in-place delay
// editing, painting, and the MACRODISPLAY reader.
#include "skin/MacroDisplayItem.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "model/NameTables.h"
#include "model/TextCompare.h"
#include "skin/DrawingHelpers.h"
#include "skin/LangTable.h"
#include "skin/ListCtrlEx.h"
#include "skin/SkinElements.h"
#include "skin/SkinValues.h"
#include "skin/VScrollBar.h"

namespace {

constexpr UINT kTextFormat = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
constexpr int kDelayEditDigits = 7;

HWND SystemWindowAtCursor()
{
    POINT pt = {};
    return ::GetCursorPos(&pt) ? ::WindowFromPoint(pt) : nullptr;
}

const CMacroDisplayItem::Environment kSystemEnvironment = {::GetTickCount, SystemWindowAtCursor};

int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The icon a row shows when not selected; it is also the row's item data.
int RowIconKey(const MacroEvent& event)
{
    switch (event.kind) {
    case kMacroKey:
        return (event.data2 & 0xFF) == kMacroPressed ? MacroDisplayIcon::KeyDown : MacroDisplayIcon::KeyUp;
    case kMacroMouseButton:
        return MacroDisplayIcon::Mouse;
    default:
        return MacroDisplayIcon::Clock;
    }
}

bool IsKnownKind(uint32_t kind) { return kind == kMacroKey || kind == kMacroMouseButton || kind == kMacroDelay; }

MacroEvent DelayEvent(uint32_t milliseconds) { return MacroEvent{kMacroDelay, milliseconds, milliseconds}; }

} // namespace

const CMacroDisplayItem::Environment& CMacroDisplayItem::SystemEnvironment() { return kSystemEnvironment; }

std::wstring MacroEventText(const MacroEvent& event)
{
    switch (event.kind) {
    case kMacroKey: {
        std::wstring name;
        FormatKeyName(event.data1 >> 16, name, event.data1 & 0xFFFF, static_cast<BYTE>((event.data2 >> 8) & 0xFF));
        return name;
    }
    case kMacroMouseButton: {
        // A code from a file or the keyboard may lie beyond the table: such a button has no name.
        if (event.data1 >= static_cast<uint32_t>(kMouseButtonCount))
            return L"";
        const wchar_t* state = (event.data2 & 0xFF) == kMacroPressed ? L"Down" : L"Up";
        return TranslateText(std::wstring(kMouseButtonNames[event.data1]) + state);
    }
    case kMacroDelay: {
        const std::wstring seconds = CurrentLangTable() ? TranslateText(L"$secondsdelay") : std::wstring();
        wchar_t number[32];
        std::swprintf(number, 32, L"%.3f", static_cast<double>(static_cast<float>(event.data1) / 1000.0f));
        // Where the comma is the decimal mark, "0.250" reads as two hundred and fifty: the language
        // names its mark (only the number's: a unit may end in a point). A table without one keeps it.
        const std::wstring mark = CurrentLangTable() ? TranslateText(L"$decimalmark") : std::wstring();
        std::wstring text = number;
        if (mark.size() == 1)
            std::replace(text.begin(), text.end(), L'.', mark[0]);
        return text + L" " + seconds;
    }
    default:
        return L"";
    }
}

// ---- set-up

CMacroDisplayItem::CMacroDisplayItem(int maxEvents, bool readOnly) : m_maxEvents(maxEvents), m_readOnly(readOnly) {}

CMacroDisplayItem::~CMacroDisplayItem()
{
    if (m_recording)
        m_rawInput->Unregister();
    if (m_scrollBar && m_scrollBar->IsWindow())
        m_scrollBar->DestroyWindow();
    m_scrollBar.reset();
    if (IsWindow())
        DestroyWindow();
    if (m_imageList)
        ImageList_Destroy(m_imageList);
}

void CMacroDisplayItem::ShowItem(bool show)
{
    if (m_scrollBar && m_scrollBar->IsWindow())
        m_scrollBar->ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (IsWindow())
        ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CMacroDisplayItem::SyncScrollBar()
{
    if (m_scrollBar && m_scrollBar->IsWindow())
        m_scrollBar->Synchronise();
}

int CMacroDisplayItem::AddColumn(int columnId, int kind, int format, int width)
{
    if (columnId == -1 || kind == -1 || m_columns.count(columnId) ||
        m_columns.size() >= static_cast<size_t>(kMaxColumns))
        return -1;
    const int index = static_cast<int>(m_columns.size());
    m_columns[columnId] = Column{kind, index, format};
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.fmt = format;
    lvc.cx = width;
    lvc.iSubItem = index;
    InsertColumn(index, lvc);
    return index;
}

int CMacroDisplayItem::ColumnIdAt(int index) const
{
    for (const auto& entry : m_columns) {
        if (entry.second.index == index)
            return entry.first;
    }
    return -1;
}

// ---- rows and events

std::wstring CMacroDisplayItem::RowText(int row) const
{
    auto column = m_columns.find(kMacroColumnDescription);
    return column == m_columns.end() ? std::wstring() : GetItemText(row, column->second.index);
}

int CMacroDisplayItem::AddEventRow(int index, const MacroEvent& event, bool repaint)
{
    const int count = GetItemCount();
    if (index < 0 || index > count)
        index = count;
    LVITEMW lvi = {};
    lvi.mask = LVIF_TEXT | LVIF_PARAM;
    lvi.iItem = index;
    lvi.pszText = const_cast<wchar_t*>(L"");
    lvi.lParam = RowIconKey(event);
    const int row = InsertItem(lvi);
    if (row < 0)
        return row;
    auto column = m_columns.find(kMacroColumnDescription);
    if (column != m_columns.end())
        SetItemText(row, column->second.index, MacroEventText(event).c_str());
    SendMessage(LVM_ENSUREVISIBLE, row, FALSE);
    SyncScrollBar();
    m_events.insert(m_events.begin() + std::min<size_t>(row, m_events.size()), event);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (repaint)
        InvalidateRect(nullptr, FALSE);
    return row;
}

void CMacroDisplayItem::DeleteEventRow(int row)
{
    if (!DeleteItem(row))
        return;
    if (row >= 0 && static_cast<size_t>(row) < m_events.size())
        m_events.erase(m_events.begin() + row);
}

void CMacroDisplayItem::ClearEvents()
{
    m_events.clear();
    if (IsWindow())
        DeleteAllItems();
    SyncScrollBar();
}

bool CMacroDisplayItem::LoadEvents(const MacroEventList* events)
{
    if (!events || m_recording)
        return false;
    ClearEvents();
    for (const MacroEvent& event : *events) {
        if (IsKnownKind(event.kind))
            AddEventRow(-1, event, false);
    }
    Invalidate();
    return GetItemCount() > 0;
}

bool CMacroDisplayItem::ReplaceEvent(int row, const MacroEvent& event)
{
    // The kind is checked first: an event that can't be shown must not cost the user the old one.
    if (m_readOnly || row < 0 || row >= GetItemCount() || !IsKnownKind(event.kind))
        return false;
    if (!DeleteItem(row))
        return false;
    m_events.erase(m_events.begin() + row);
    AddEventRow(row, event, true);
    Notify(WM_MACRODISPLAY_CHANGED);
    Invalidate();
    return true;
}

void CMacroDisplayItem::ClearSelection()
{
    const int selected = GetSelectedRow();
    SetItemState(selected, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void CMacroDisplayItem::SelectRow(int row)
{
    if (row < 0 || row >= GetItemCount()) {
        ClearSelection();
        return;
    }
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessage(LVM_ENSUREVISIBLE, row, FALSE);
    SyncScrollBar();
    Invalidate(FALSE);
}

void CMacroDisplayItem::Notify(UINT msg)
{
    ::SendMessageW(GetParent(), msg, 0, m_id);
}

// ---- recording

bool CMacroDisplayItem::ToggleRecording()
{
    if (m_readOnly)
        return false;
    if (m_recording) {
        m_rawInput->Unregister();
        m_recording = false;
        return false;
    }
    m_rawInput->AddUsage(kHidUsageKeyboard);
    m_rawInput->AddUsage(kHidUsageMouse);
    // Without the registration no input would ever arrive: the display stays off and says so.
    if (!m_rawInput->Register(m_hWnd))
        return false;
    m_recording = true;
    m_heldKeys.clear();
    m_droppedPresses.clear();
    return true;
}

LRESULT CMacroDisplayItem::OnInput(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!m_readOnly) {
        RawInputReport report;
        if (ReadRawInput(reinterpret_cast<HRAWINPUT>(lParam), &report))
            TakeReport(report);
        SyncScrollBar();
    }
    // The default handling frees the system's copy of the report.
    return DefWindowProc(msg, wParam, lParam);
}

void CMacroDisplayItem::TakeReport(const RawInputReport& report)
{
    if (m_readOnly)
        return;
    if (report.type == RIM_TYPEMOUSE)
        TakeMouseReport(report.mouse);
    else if (report.type == RIM_TYPEKEYBOARD)
        TakeKeyboardReport(report.keyboard);
}

void CMacroDisplayItem::TakeMouseReport(const RAWMOUSE& mouse)
{
    m_lastButton = MouseButtonFlagMap::Lookup(mouse.usButtonFlags);
    if (m_lastButton.button == 0)
        return;
    const uint32_t button = m_lastButton.button;
    auto dropped = std::find(m_droppedPresses.begin(), m_droppedPresses.end(), button);
    if (m_ignoreCaptureWindow) {
        // The click that stops the recording is not part of the macro. The button holds the capture
        // once it has its press; Wine may deliver the press's raw report before that, so a press over
        // the button counts too, and the release of a dropped press goes with it.
        const bool onIgnored = ::GetCapture() == m_ignoreCaptureWindow ||
                               m_environment->windowAtCursor() == m_ignoreCaptureWindow;
        if (m_lastButton.state == kMouseButtonPressed && onIgnored) {
            if (dropped == m_droppedPresses.end())
                m_droppedPresses.push_back(button);
            return;
        }
        if (m_lastButton.state == kMouseButtonReleased && (dropped != m_droppedPresses.end() || onIgnored)) {
            if (dropped != m_droppedPresses.end())
                m_droppedPresses.erase(dropped);
            return;
        }
    }
    if (dropped != m_droppedPresses.end() && m_lastButton.state == kMouseButtonReleased) {
        m_droppedPresses.erase(dropped);
        return;
    }
    AddRecordedEvent(MakeMouseButtonEvent(button, m_lastButton.state));
}

void CMacroDisplayItem::TakeKeyboardReport(const RAWKEYBOARD& keyboard)
{
    // Held keys are told apart by make code and E0 prefix: Right Ctrl shares Left Ctrl's make code.
    const uint32_t held = keyboard.MakeCode | ((keyboard.Flags & RI_KEY_E0) ? 0x10000u : 0u);
    auto found = std::find(m_heldKeys.begin(), m_heldKeys.end(), held);
    if (keyboard.Flags & RI_KEY_BREAK) {
        if (found != m_heldKeys.end())
            m_heldKeys.erase(found);
    } else if (found != m_heldKeys.end()) {
        return;  // auto-repeat
    } else {
        m_heldKeys.push_back(held);
    }
    if (!FillKeyStrokeFromRawInput(m_lastKey, &keyboard))
        return;
    AddRecordedEvent(MakeKeyEvent(m_lastKey.virtualKey, static_cast<uint16_t>(m_lastKey.scanCode),
                                  m_lastKey.state, m_lastKey.flags & kKeyStrokeExtended));
}

void CMacroDisplayItem::AddRecordedEvent(const MacroEvent& event)
{
    if (!m_recording || m_readOnly)
        return;
    const DWORD now = m_environment->tickCount();
    if (m_events.empty()) {
        m_lastTick = now;
    } else if (!m_noDelay) {
        uint32_t delay = m_fixedDelayMs;
        if (!m_fixedDelay) {
            delay = std::min<uint32_t>(now - m_lastTick, kMaxRecordedDelayMs);
            m_lastTick = now;
        }
        AddEventRow(-1, DelayEvent(delay), false);
    }
    AddEventRow(-1, event, true);
}

// ---- replay

void CMacroDisplayItem::PlayEvents(const MacroEventList* events)
{
    if (!m_readOnly || !events)
        return;
    ClearEvents();
    m_replayList = events;
    m_replayPos = 0;
    ReplayStep();
}

void CMacroDisplayItem::StopReplay()
{
    KillTimer(kReplayTimer);
    m_replayList = nullptr;
    m_replayPos = 0;
    ClearEvents();
    Invalidate();
}

void CMacroDisplayItem::ReplayStep()
{
    if (!m_readOnly || !m_replayList)
        return;
    while (m_replayPos < m_replayList->size()) {
        const MacroEvent event = (*m_replayList)[m_replayPos++];
        if (event.kind == kMacroDelay) {
            if (m_replayPos < m_replayList->size()) {
                SetTimer(kReplayTimer, event.data1);
                Invalidate();
                return;
            }
            break;
        }
        if (IsKnownKind(event.kind))
            AddEventRow(-1, event, false);
    }
    KillTimer(kReplayTimer);
    m_replayList = nullptr;
    m_replayPos = 0;
    ClearEvents();
    CWndWatch self(this);
    Notify(WM_MACRODISPLAY_PLAYDONE);
    if (!self.Deleted())
        Invalidate();
}

LRESULT CMacroDisplayItem::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kReplayTimer) {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kReplayTimer);
    ReplayStep();
    return 0;
}

// ---- mouse

LRESULT CMacroDisplayItem::OnScrollRows(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    SendMessage(LVM_SCROLL, 0, static_cast<LPARAM>(static_cast<int>(wParam) * m_rowHeight));
    Invalidate();
    SyncScrollBar();
    return 0;
}

LRESULT CMacroDisplayItem::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    SyncScrollBar();
    const int lines = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    for (int i = 0; i < std::abs(lines); ++i)
        PostMessage(WM_VSCROLL, lines > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    return 1;
}

LRESULT CMacroDisplayItem::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_readOnly || m_recording)
        return 0;
    LVHITTESTINFO hit = {};
    hit.pt = POINT{PointX(lParam), PointY(lParam)};
    const int row = HitTest(&hit);
    // A second click on a focused row would start the list-view's own label edit: only delays edit.
    if (row >= 0 && static_cast<size_t>(row) < m_events.size() && m_events[row].kind != kMacroDelay &&
        (SendMessage(LVM_GETITEMSTATE, row, LVIS_FOCUSED) & LVIS_FOCUSED))
        return 0;
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CMacroDisplayItem::OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_readOnly)
        return 0;
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    const bool leftDown = (wParam & MK_LBUTTON) != 0;
    if (leftDown && !m_hoverCapture)
        return result;
    // Holding the capture while the pointer is over the list brings it the wheel.
    if (::GetCapture() != m_hWnd) {
        if (::GetActiveWindow() && GetParent()) {
            ::SetCapture(m_hWnd);
            m_hoverCapture = true;
        }
        return result;
    }
    POINT pt = {PointX(lParam), PointY(lParam)};
    ::ClientToScreen(m_hWnd, &pt);
    if (::WindowFromPoint(pt) != m_hWnd) {
        m_hoverCapture = false;
        if (!leftDown)
            ::ReleaseCapture();
    }
    return result;
}

LRESULT CMacroDisplayItem::OnRButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (m_readOnly || !m_keyRowMenu || m_recording || m_editingLabel)
        return 0;
    const POINT pt = {PointX(lParam), PointY(lParam)};
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    const int row = SubItemHitTest(&hit);
    if (row < 0 || static_cast<size_t>(row) >= m_events.size())
        return 0;
    bool inCell = false;
    for (const auto& column : m_columns) {
        RECT rc = {};
        if (CellRect(row, column.second.index, &rc) && ::PtInRect(&rc, pt))
            inCell = true;
    }
    if (!inCell)
        return 0;
    SelectRow(row);
    SetFocus();
    CListPanelItem* menu = m_events[row].kind == kMacroMouseButton ? m_mouseRowMenu : m_keyRowMenu;
    // A row kind the owner gave no menu has none.
    if (!menu)
        return 0;
    CWndWatch self(this);
    std::wstring text;
    XListCtrlCalls().PopupMenu(menu, m_hWnd, 0, pt.x, pt.y, &text);
    if (!self.Deleted())
        OnMenuChoice(text);
    return 0;
}

void CMacroDisplayItem::OnMenuChoice(const std::wstring& text)
{
    const int selected = GetSelectedRow();
    if (EqualsNoCaseAZ(text, L"$InsertDelay")) {
        AddEventRow(selected < 0 ? 0 : selected + 1, DelayEvent(m_fixedDelayMs), true);
        Notify(WM_MACRODISPLAY_CHANGED);
    } else if (EqualsNoCaseAZ(text, L"$Delete")) {
        if (selected < 0)
            return;
        // The row to delete is the one the menu was for; the selection moves on to its successor.
        if (selected + 1 < GetItemCount())
            SetItemState(selected + 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        else
            ClearSelection();
        DeleteEventRow(selected);
        SyncScrollBar();
        Invalidate();
        Notify(WM_MACRODISPLAY_CHANGED);
    } else if (EqualsNoCaseAZ(text, L"$Edit")) {
        if (selected < 0 || static_cast<size_t>(selected) >= m_events.size())
            return;
        if (m_events[selected].kind == kMacroKey)
            Notify(WM_MACRODISPLAY_EDITEVENT);
        else if (m_events[selected].kind == kMacroDelay)
            SendMessage(LVM_EDITLABELW, selected, 0);
    }
}

// ---- in-place delay editing

LRESULT CMacroDisplayItem::OnBeginLabelEdit(int, NMHDR*, BOOL&)
{
    if (m_readOnly)
        return TRUE;
    const int row = GetSelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= m_events.size() || m_events[row].kind != kMacroDelay)
        return TRUE;
    // The editor starts from the event's own milliseconds, not from the rounded seconds on screen, so
    // accepting it unchanged keeps the delay exactly.
    const uint32_t milliseconds = m_events[row].data1;
    auto column = m_columns.find(kMacroColumnDescription);
    if (column != m_columns.end())
        SetItemText(row, column->second.index, L"");
    HWND edit = reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL));
    if (edit) {
        m_editingLabel = true;
        m_editRow = row;
        ::SetFocus(edit);
        ::SetWindowLongPtrW(edit, GWL_STYLE, ::GetWindowLongPtrW(edit, GWL_STYLE) | ES_NUMBER);
        ::SetWindowTextW(edit, L"");
        ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::to_wstring(milliseconds).c_str()));
        ::SendMessageW(edit, EM_SETLIMITTEXT, kDelayEditDigits, 0);
        RECT cell = {};
        if (column != m_columns.end() && CellRect(row, column->second.index, &cell))
            ::MoveWindow(edit, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, TRUE);
    }
    return FALSE;
}

LRESULT CMacroDisplayItem::OnEndLabelEdit(int, NMHDR* header, BOOL&)
{
    if (m_readOnly)
        return FALSE;
    m_editingLabel = false;
    const int row = m_editRow;
    m_editRow = -1;
    SetFocus();
    if (row < 0 || static_cast<size_t>(row) >= m_events.size())
        return FALSE;
    const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
    MacroEvent& event = m_events[row];
    // Escape brings no text: the delay stays as it was, as it does for an empty or zero entry.
    const int typed = info->item.pszText ? ParseDecimal(info->item.pszText) : 0;
    if (typed > 0)
        event = MacroEvent{kMacroDelay, static_cast<uint32_t>(typed), event.data2};
    auto column = m_columns.find(kMacroColumnDescription);
    if (column != m_columns.end())
        SetItemText(row, column->second.index, MacroEventText(event).c_str());
    Invalidate();
    Notify(WM_MACRODISPLAY_CHANGED);
    return FALSE;
}

// ---- keys

BOOL CMacroDisplayItem::PreTranslateMessage(MSG* msg)
{
    if (m_editingLabel || m_readOnly)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP)
        return FALSE;
    return FillKeyStrokeFromMessage(*msg, m_lastKey) ? TRUE : FALSE;
}

// ---- painting

LRESULT CMacroDisplayItem::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    FillClientArea(m_hWnd, reinterpret_cast<HDC>(wParam), m_clrBack);
    SyncScrollBar();
    return 0;
}

LRESULT CMacroDisplayItem::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&)
{
    // The skinned scroll bar stands beside the list: the list shows no bars and no frame of its own.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (style & (WS_HSCROLL | WS_VSCROLL))
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL));
    return 0;
}

LRESULT CMacroDisplayItem::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // A list view destroys the image lists it holds when it goes; the display's own is the display's
    // to destroy (with the display), so the list view gives it back first.
    if (m_imageList)
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    bHandled = FALSE;
    return 0;
}

bool CMacroDisplayItem::CellRect(int row, int index, RECT* rc) const
{
    return GetCellBounds(row, index, static_cast<int>(m_columns.size()), rc) != FALSE;
}

LRESULT CMacroDisplayItem::OnCustomDraw(int, NMHDR* header, BOOL&)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        if (m_scrollBar && !m_scrollBarHidden) {
            RECT client = {};
            GetClientRect(&client);
            CDC dc;
            dc.Attach(draw->nmcd.hdc);
            RECT inside = client;
            inside.right -= m_borderWidth;
            dc.FillSolidRect(inside, m_clrBack);
            dc.FillSolidRect(RECT{inside.right, client.top, client.right, client.bottom}, m_clrBorder);
            dc.Detach();
        }
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        if (draw->nmcd.lItemlParam < 0x10000)
            DrawCell(draw->nmcd.hdc, static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem,
                     draw->nmcd.lItemlParam);
        return CDRF_SKIPDEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

HFONT CMacroDisplayItem::BoldFont()
{
    if (m_boldFont.IsNull() && m_font && !m_font->IsNull()) {
        LOGFONTW lf = {};
        if (::GetObjectW(*m_font, sizeof(lf), &lf)) {
            lf.lfWeight = FW_BOLD;
            m_boldFont.CreateFontIndirect(&lf);
        }
    }
    return m_boldFont.IsNull() ? nullptr : static_cast<HFONT>(m_boldFont);
}

void CMacroDisplayItem::DrawCell(HDC hdc, int row, int index, LPARAM data)
{
    RECT rc = {};
    if (!CellRect(row, index, &rc))
        return;
    CDC dc;
    dc.Attach(hdc);
    dc.FillSolidRect(rc, m_clrBack);
    const bool selected = (SendMessage(LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const int columnId = ColumnIdAt(index);
    if (columnId == kMacroColumnIcon) {
        int key = static_cast<int>(data);
        if (selected && key == MacroDisplayIcon::Clock)
            key = MacroDisplayIcon::ClockSelected;
        else if (selected && key == MacroDisplayIcon::Mouse)
            key = MacroDisplayIcon::MouseSelected;
        auto icon = m_icons.find(key);
        if (icon != m_icons.end() && !icon->second.IsNull()) {
            CDC source;
            source.CreateCompatibleDC(hdc);
            HGDIOBJ old = source.SelectObject(icon->second);
            ::BitBlt(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, source, 0, 0, SRCCOPY);
            source.SelectObject(old);
        }
    } else if (columnId == kMacroColumnDescription) {
        dc.FillSolidRect(rc, selected ? m_clrBackHi : m_clrBack);
        const std::wstring text = GetItemText(row, index);
        if (!text.empty()) {
            UINT format = kTextFormat;
            const int justify = m_columns.at(columnId).format & LVCFMT_JUSTIFYMASK;
            if (justify == LVCFMT_CENTER)
                format |= DT_CENTER;
            else if (justify == LVCFMT_RIGHT)
                format |= DT_RIGHT;
            HFONT bold = BoldFont();
            HGDIOBJ oldFont = bold ? ::SelectObject(hdc, bold) : nullptr;
            ::SetTextColor(hdc, selected ? m_clrTextHi : m_clrText);
            ::SetBkMode(hdc, TRANSPARENT);
            ::DrawTextW(hdc, text.c_str(), -1, &rc, format);
            if (oldFont)
                ::SelectObject(hdc, oldFont);
        }
    }
    dc.Detach();
}

// ---- the MACRODISPLAY reader

namespace {

struct MacroColourRow {
    const char* attribute;
    COLORREF CMacroDisplayItem::*colour;
};

const MacroColourRow kMacroColours[] = {
    {"fontclr", &CMacroDisplayItem::m_clrText},     {"fontclrhi", &CMacroDisplayItem::m_clrTextHi},
    {"backclr", &CMacroDisplayItem::m_clrBack},     {"backclrhi", &CMacroDisplayItem::m_clrBackHi},
    {"bdrclr", &CMacroDisplayItem::m_clrBorder},
};

struct IconChild {
    const char* element;
    int key;
};

const IconChild kIconChildren[] = {
    {"MDBMP_KEYDN", MacroDisplayIcon::KeyDown}, {"MDBMP_KEYUP", MacroDisplayIcon::KeyUp},
    {"MDBMP_MSE", MacroDisplayIcon::Mouse},     {"MDBMP_MSEH", MacroDisplayIcon::MouseSelected},
    {"MDBMP_CLK", MacroDisplayIcon::Clock},     {"MDBMP_CLKH", MacroDisplayIcon::ClockSelected},
};

int ReadCount(const pugi::xml_node& element, const char* name, int fallback)
{
    if (!element.attribute(name))
        return fallback;
    return std::max(0, ParseDecimal(AttributeText(element, name)));
}

} // namespace

CGUIItem* CreateMacroDisplayItem(const pugi::xml_node& element, SkinLoadContext& context)
{
    const int id = ReadItemId(element);
    if (id == -1)
        return nullptr;
    auto item = std::make_unique<CMacroDisplayItem>(ReadCount(element, "max", 0), IsTrueFlag(element, "readonly"));
    for (const MacroColourRow& row : kMacroColours) {
        COLORREF colour = 0;
        if (ReadColourAttribute(element, row.attribute, colour))
            (*item).*(row.colour) = colour;
    }
    item->m_borderWidth = ReadCount(element, "bdrwidth", 1);
    item->m_font = ReadItemFont(element, id, context.list);

    ScrollBarBitmaps scrollImages;
    ReadScrollBarBitmaps(element, scrollImages);
    const bool hasScrollBar = element.child("VSCROLL");
    const int barWidth = hasScrollBar && scrollImages.thumb ? static_cast<int>(scrollImages.thumb->GetSize().cx) : 0;
    const RECT rect = ReadItemRect(element, id, kRectWidthHeight);
    RECT listRect = rect;
    listRect.right -= barWidth;
    HWND parent = context.parent ? context.parent->m_hWnd : nullptr;
    constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | LVS_NOCOLUMNHEADER | LVS_EDITLABELS | LVS_SINGLESEL | LVS_REPORT;
    if (!item->Create(kStyle, listRect, parent, static_cast<UINT>(id)))
        return nullptr;
    item->m_imageList = ImageList_Create(28, 18, ILC_COLOR4, 10, 10);
    item->SetImageList(item->m_imageList, LVSIL_SMALL);
    item->SendMessage(LVM_SETTEXTCOLOR, 0, item->m_clrText);
    // Where no row is drawn (an empty list, the space below the last row) the list view paints its own
    // background: the skin's, not the system's white.
    item->SendMessage(LVM_SETBKCOLOR, 0, item->m_clrBack);
    if (item->m_font && !item->m_font->IsNull()) {
        item->SetFont(*item->m_font);
        LOGFONTW lf = {};
        if (::GetObjectW(*item->m_font, sizeof(lf), &lf) && lf.lfHeight > 0)
            item->m_rowHeight = lf.lfHeight + 1;
    }
    if (hasScrollBar) {
        const RECT barRect = {listRect.right, rect.top, rect.right, rect.bottom};
        item->m_scrollBar = CreateScrollBar(item->m_hWnd, parent, barRect, scrollImages, item->m_clrBack,
                                            item->m_clrBorder, item->m_borderWidth);
    }
    item->SetExtendedListViewStyle(item->GetExtendedListViewStyle() | LVS_EX_FULLROWSELECT);
    for (const IconChild& child : kIconChildren) {
        CBitmap* image = LoadChildBitmap(child.element, element);
        if (!image || image->IsNull())
            continue;
        const SIZE size = image->GetSize();
        CClientDC dc(item->m_hWnd);
        CBitmap copy;
        if (CopyBitmapRect(copy, dc, *image, 0, 0, size.cx, size.cy))
            item->m_icons[child.key] = std::move(copy);
    }

    bool anyColumn = false;
    for (pugi::xml_node column = element.child("LISTCOLUMN"); column; column = column.next_sibling("LISTCOLUMN")) {
        anyColumn = true;
        const int columnId = FindListColumnId(AttributeText(column, "name"));
        const int kind = FindMacroColumnKind(AttributeText(column, "type"));
        int width = std::max(0, ParseDecimal(AttributeText(column, "width")));
        if (columnId == kMacroColumnDescription)
            width = std::max(0, width - 2 * item->m_borderWidth);
        if (columnId == -1 || kind == -1 || width == 0)
            return nullptr;
        const wchar_t justify = ReadJustify(column);
        const int format = justify == L'C' ? LVCFMT_CENTER : justify == L'R' ? LVCFMT_RIGHT : LVCFMT_LEFT;
        item->AddColumn(columnId, kind, format, width);
    }
    if (!anyColumn)
        return nullptr;
    item->m_id = id;
    item->m_type = SkinItemType::MacroDisplay;
    item->m_window = item->m_hWnd;
    item->m_owner = context.parent;
    return item.release();
}
