// CXListCtrl: the skinned table of a LISTCTRL element. A report-style list-view whose columns have kinds
// (text, image, check box ...), whose rows carry a key chosen by the caller and their own colours, and
// whose cells it draws itself. A right click opens a list panel as context menu. CXListEdit is its
// in-place editor.
//
// Members are defined by room, each file's handlers in the order of the message table: ListCtrlEx.cpp
// holds the editor, set-up and teardown, columns, rows and cells; ListCtrlExDraw.cpp the drawing and
// the cell tips; ListCtrlExCombo.cpp the combo cells' list and timers; ListCtrlExMouse.cpp the mouse,
// keys, context menu and in-place edit; ListCtrlExReader.cpp the LISTCTRL reader.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "framework/Edit.h"
#include "framework/Gdi.h"
#include "framework/ListCtrl.h"
#include "framework/ToolTipCtrl.h"
#include "skin/ComboList.h"
#include "skin/GUIItem.h"
#include "skin/HeaderCtrlEx.h"

class CListPanelItem;
struct SkinLoadContext;

// Notifications, all sent. wParam is the list's window except for WM_XLIST_CLICK; lParam points to an
// XListNotifyRecord on the list's stack, valid during the call.
constexpr UINT WM_XLIST_CLICK = WM_USER + 0x1FC;          // wParam: the hit row's key or -1; lParam: list
constexpr UINT WM_XLIST_CHECKCHANGED = WM_USER + 0x12E;   // {key, sub-item, const bool* new state}
constexpr UINT WM_XLIST_DBLCLK = WM_USER + 0x204;         // {key or -1, sub-item hit, null}
constexpr UINT WM_XLIST_MENUOPENING = WM_USER + 0x210;    // {key, 0, null}; to the owner, else the parent
constexpr UINT WM_XLIST_APPCHANGED = WM_USER + 0x12D;     // {key, 3, const wchar_t* full path or ""}
constexpr UINT WM_XLIST_MENUCOMMAND = WM_USER + 0x208;    // {key, 0, const wchar_t* chosen text}
constexpr UINT WM_XLIST_CELLEDITED = WM_USER + 0x209;     // {key, sub-item, const wchar_t* new text}

struct XListNotifyRecord {
    int key;
    int column;
    const void* data;
};

// Cell kinds of a column (FindColumnKind).
namespace XListColumnKind {
enum Code : int { Icon = 0, Static = 1, Edit = 2, Combo = 3, CheckBox = 4, FileDialog = 5 };
}

// One cell of a row. The first cell of a row also holds the row's key, colours and enabled flag.
struct XListCell {
    bool enabled = true;
    bool bold = false;
    bool combo = false;
    bool pressed = false;
    const std::vector<std::wstring>* choices = nullptr;
    int dropRows = 10;
    COLORREF textColour = 0x00FF00;
    COLORREF backColour = 0;
    COLORREF selTextColour = 0x00FF00;
    COLORREF selBackColour = 0;
    bool progress = false;
    int progressPercent = 0;
    int value = -1;  // -1: text cell; >= 0: image cell (check cells: 0 off, 1 on)
    int key = -1;
};

// The cells of one row, attached to the row as its item data.
using XListRowCells = std::vector<XListCell>;

struct XListColumn {
    int kind = XListColumnKind::Static;
    CBitmap* offImage = nullptr;   // skin cache images, not owned
    CBitmap* onImage = nullptr;
    CBitmap* maskImage = nullptr;
    bool exclusive = false;
    int subItem = 0;
};

// What the list control calls outside itself: the context menu (a list panel item's popup) and the file
// dialog of "$AssignApplication". Tests install their own.
struct XListCtrlApi {
    // Opens the menu at (x, y) in `wnd`'s client coordinates with `height` (0: its default); the chosen
    // entry's text in *text, or empty when nothing was chosen.
    void (*PopupMenu)(CListPanelItem* menu, HWND wnd, int height, int x, int y, std::wstring* text);
    // A file-open dialog for programs; true with the chosen full path on OK.
    bool (*OpenProgramFile)(HWND owner, std::wstring* path);
};
const XListCtrlApi& XListCtrlCalls();
// Installs `api` (kept by pointer); null restores the default (the list panel; the system's dialog).
void SetXListCtrlApi(const XListCtrlApi* api);

// The in-place editor: an edit control in the list's colours.
class CXListEdit : public CEdit {
public:
    ~CXListEdit() override = default;

    BEGIN_MSG_MAP(CXListEdit)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(OCM_CTLCOLOREDIT, OnCtlColor)
    END_MSG_MAP()

    CFont* m_font = nullptr;
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrBack = 0;
    COLORREF m_clrDC = 0xFFFFFF;
    int m_borderWidth = 1;
    CBrush m_backBrush;

protected:
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};

class CXListCtrl : public CListCtrl, public CGUIItem {
public:
    static constexpr int kMaxColumns = 10;
    // Timers of the combo cells: 1 follows a pressed drop button and shows the open list, 2 closes the
    // list, 3 takes the list's choice into the cell and closes the list, 4 takes it and leaves it open.
    static constexpr UINT_PTR kComboPressTimer = 1;
    static constexpr UINT_PTR kComboCloseTimer = 2;
    static constexpr UINT_PTR kComboChooseTimer = 3;
    static constexpr UINT_PTR kComboFollowTimer = 4;
    static constexpr UINT kComboPressMs = 100;
    static constexpr UINT kComboAnswerMs = 50;

    CXListCtrl() = default;
    // Destroys the window while still bound, so the rows' cells are freed.
    ~CXListCtrl() override;

    BEGIN_MSG_MAP(CXListCtrl)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CLICK, OnClick)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        REFLECTED_NOTIFY_CODE_HANDLER(LVN_COLUMNCLICK, OnColumnClick)
        REFLECTED_NOTIFY_CODE_HANDLER(LVN_DELETEITEM, OnDeleteItem)
        NOTIFY_CODE_HANDLER(TTN_NEEDTEXTW, OnNeedText)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(XComboListMessage().vkReturn, OnComboChosen)
        MESSAGE_HANDLER(XComboListMessage().lButtonUp, OnComboChosen)
        MESSAGE_HANDLER(XComboListMessage().keyDown, OnComboKeyDown)
        MESSAGE_HANDLER(XComboListMessage().vkEscape, OnComboEscape)
    END_MSG_MAP()

    void PreSubclassWindow() override;
    // Keys of the in-place editor and the list; mouse moves drive the cell tips.
    BOOL PreTranslateMessage(MSG* msg) override;
    // The tip tool of the cell under `pt` (report style only): (row << 10 | sub-item) + 1, with the cell's
    // rectangle clipped to the client area in *info when given; -1 over no cell.
    int OnToolHitTest(POINT pt, TTTOOLINFOW* info) const;
    // The tip of a tool id: the text of an EDIT or FILEDIALOG cell that doesn't fit its column, cut to
    // 80 characters; empty otherwise.
    std::wstring CellTipText(UINT_PTR toolId) const;

    // -1 for id -1, a known id, a full table or kind -1; else the list-view's index of the new column.
    int AddColumn(const wchar_t* caption, int columnId, int kind, int width, bool exclusive, CBitmap* offImage,
                  CBitmap* onImage, CBitmap* maskImage);
    // Inserts an empty row with its cells (one per column) and its colours; the new index, negative on
    // failure. The caller sets the key in the first cell.
    int InsertRow(int index, COLORREF text, COLORREF back, COLORREF selText, COLORREF selBack);
    // 0 when the key or the column is unknown (or the row has no cell for it), else 1.
    int SetCellText(int columnId, int key, const wchar_t* text);
    int SetCellValue(int columnId, int key, int value);
    int GetSelectedRow() const;
    int GetSelectedRowKey() const;
    int FindRowByKey(int key) const;
    int GetColumnId(int subItem) const;
    void SetRowColors(int row, COLORREF text, COLORREF back, COLORREF selText, COLORREF selBack);
    // The cells of a row; null without.
    XListRowCells* RowCells(int row) const;
    // The cell at (row, sub-item); null when the row has no such cell.
    XListCell* Cell(int row, int subItem) const;
    // The cell's rectangle; false for a row out of range or a sub-item without column.
    bool GetCellRect(int row, int subItem, RECT* rc) const;
    void RedrawCell(int columnId, int row);
    // The open combo list, or null; closing it is safe when none is open.
    CXComboList* ComboList() const { return m_comboList.get(); }
    void CloseComboList();
    // The drop button of a combo cell: the square of the cell's height at its right end.
    static RECT DropButtonRect(const RECT& cell);
    // Ends an in-place edit; with `keep`, a changed text goes into the cell and is reported. True when
    // the text was written.
    bool EndEdit(bool keep);

    std::map<int, XListColumn> m_columns;
    CXHeaderCtrl m_header;
    HIMAGELIST m_rowHeightImages = nullptr;  // owned by the list-view once attached
    int m_sortMode = 0;
    bool m_headerSubclassed = false;
    CXListEdit m_editor;
    CFont* m_font = nullptr;  // the fontid font, not owned
    int m_editRow = -1;
    int m_editSubItem = -1;
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextHi = 0;
    COLORREF m_clrBack = 0;
    COLORREF m_clrBackHi = 0xFFFFFF;
    CListPanelItem* m_contextMenu = nullptr;  // set by the page that uses the list; not owned
    CToolTipCtrl m_toolTip;                   // made at the first mouse move
    int m_tipToolId = -1;                     // the tool that the tip shows now
    std::wstring m_tipText;                   // the text handed to the tip, kept while it shows
    // The combo cell whose drop button is held, and the list it opened.
    bool m_cellPressed = false;
    int m_pressedRow = -1;
    int m_pressedSubItem = -1;
    RECT m_pressedRect = {};
    std::unique_ptr<CXComboList> m_comboList;
    CFont m_editFont;  // the combo list's font, made once from the list's
    bool m_editFontMade = false;
    std::wstring m_comboText;  // the combo list's choice when it opened

protected:
    LRESULT OnCustomDraw(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnClick(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnRButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDblClk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnColumnClick(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnDeleteItem(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnNeedText(int id, NMHDR* header, BOOL& bHandled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnComboChosen(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnComboKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnComboEscape(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    void SubclassHeader();
    const XListColumn* ColumnAt(int subItem) const;
    int RowKey(int row) const;
    // Sets the header item's image of the column to 1 when every row's cell is on, else 0.
    void UpdateHeaderCheck(int columnId);
    void DrawCell(HDC dc, int row, int subItem);
    void DrawTextCell(HDC dc, const RECT& rc, int row, int subItem, const XListCell& cell, bool selected);
    void DrawImageCell(HDC dc, const RECT& rc, const XListColumn* column, const XListCell& cell, bool selected);
    void DrawProgressCell(HDC dc, const RECT& rc, const XListCell& cell);
    void DrawComboCell(HDC dc, const RECT& rc, int row, int subItem, XListCell& cell);
    void OpenComboList(HDC dc, const RECT& rc, int row, int subItem, XListCell& cell);
    // Writes the combo list's selection into the pressed cell.
    void TakeComboChoice();
    // The steps of a left click on a row: the sub-item of the cell under `pt` (a check cell counts only
    // in its middle 12 pixels) with its rectangle in *rc, -1 over none; then a press of a combo cell's
    // drop button, or the toggle of a check cell that is reported to the parent.
    int ClickedCell(int row, POINT pt, RECT* rc) const;
    void PressDropButton(int row, int subItem, const RECT& rc, POINT pt);
    void ToggleCheckCell(int row, int subItem, int key);
    void OnMenuChoice(int row, int key, const std::wstring& text);
    void TrackToolTip(MSG* msg);
};

// Reader of a LISTCTRL element (type 17): null when the name is unknown, there is no LISTCOLUMN, or a
// column has an unknown name or kind, or width 0.
CGUIItem* CreateXListCtrl(const pugi::xml_node& element, SkinLoadContext& context);
