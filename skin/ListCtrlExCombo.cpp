// CXListCtrl, the combo cells: the drop button, the list that opens below the cell, and the four timers.
#include "skin/ListCtrlEx.h"

#include <algorithm>
#include <memory>
#include <vector>

RECT CXListCtrl::DropButtonRect(const RECT& cell)
{
    const int side = cell.bottom - cell.top;
    return RECT{cell.right - side, cell.top, cell.right, cell.bottom};
}

void CXListCtrl::OpenComboList(HDC dc, const RECT& rc, int row, int subItem, XListCell& cell)
{
    if (!m_editFontMade) {
        LOGFONTW lf = {};
        HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
        if (current && ::GetObjectW(current, sizeof(lf), &lf))
            m_editFont.CreateFontIndirect(&lf);
        m_editFontMade = true;
    }
    const int height = (rc.bottom - rc.top - 2) * cell.dropRows;
    RECT screen = {rc.left, rc.bottom - 1, rc.right - 1, rc.bottom - 1 + height};
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&screen.left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&screen.right));
    m_comboList = std::make_unique<CXComboList>(m_hWnd);
    if (!m_comboList->CreatePopup(screen)) {
        m_comboList.reset();
        return;
    }
    HWND listBox = m_comboList->ListBox();
    if (!m_editFont.IsNull()) {
        ::SendMessageW(listBox, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_editFont)), FALSE);
    }
    std::vector<std::wstring> choices;
    if (cell.choices) {
        for (const std::wstring& choice : *cell.choices) {
            if (!choice.empty())
                choices.push_back(choice);
        }
    }
    for (const std::wstring& choice : choices)
        ::SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    std::wstring text = GetItemText(row, subItem);
    if (text.empty() && !choices.empty()) {
        text = choices.front();
        SetItemText(row, subItem, text.c_str());
    }
    auto found = std::find(choices.begin(), choices.end(), text);
    const size_t chosen = found == choices.end() ? 0 : static_cast<size_t>(found - choices.begin());
    ::SendMessageW(listBox, LB_SETCURSEL, chosen, 0);
    m_comboText = chosen < choices.size() ? choices[chosen] : std::wstring();
}

void CXListCtrl::CloseComboList()
{
    if (m_comboList && m_comboList->IsWindow())
        m_comboList->DestroyWindow();
    m_comboList.reset();
    if (XListCell* cell = Cell(m_pressedRow, m_pressedSubItem))
        cell->pressed = false;
    m_cellPressed = false;
}

void CXListCtrl::TakeComboChoice()
{
    if (!m_comboList)
        return;
    const std::wstring text = m_comboList->SelectedText();
    const LRESULT selection = ::SendMessageW(m_comboList->ListBox(), LB_GETCURSEL, 0, 0);
    if (selection == LB_ERR)
        return;
    // A choice written here is not reported: the page reads the cell when it needs it.
    SetCellText(GetColumnId(m_pressedSubItem), RowKey(m_pressedRow), text.c_str());
}

LRESULT CXListCtrl::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    switch (wParam) {
    case kComboPressTimer:
        if (m_cellPressed) {
            POINT cursor = {};
            ::GetCursorPos(&cursor);
            ::ScreenToClient(m_hWnd, &cursor);
            if (!::PtInRect(&m_pressedRect, cursor)) {
                m_cellPressed = false;
                if (XListCell* cell = Cell(m_pressedRow, m_pressedSubItem))
                    cell->pressed = false;
                RedrawCell(GetColumnId(m_pressedSubItem), m_pressedRow);
            }
        } else if (m_comboList) {
            m_comboList->Show();
        } else {
            KillTimer(kComboPressTimer);
        }
        return 0;
    case kComboCloseTimer:
        KillTimer(kComboCloseTimer);
        CloseComboList();
        return 0;
    case kComboChooseTimer:
        KillTimer(kComboChooseTimer);
        TakeComboChoice();
        CloseComboList();
        RedrawCell(GetColumnId(m_pressedSubItem), m_pressedRow);
        return 0;
    case kComboFollowTimer:
        KillTimer(kComboFollowTimer);
        TakeComboChoice();
        return 0;
    default:
        bHandled = FALSE;
        return 0;
    }
}

LRESULT CXListCtrl::OnComboChosen(UINT, WPARAM, LPARAM, BOOL&)
{
    KillTimer(kComboPressTimer);
    SetTimer(kComboChooseTimer, kComboAnswerMs);
    return 0;
}

LRESULT CXListCtrl::OnComboKeyDown(UINT, WPARAM, LPARAM, BOOL&)
{
    SetTimer(kComboFollowTimer, kComboAnswerMs);
    return 0;
}

LRESULT CXListCtrl::OnComboEscape(UINT, WPARAM, LPARAM, BOOL&)
{
    // Escape, or the list losing the focus for good, closes the list and keeps the cell as it is.
    KillTimer(kComboPressTimer);
    SetTimer(kComboCloseTimer, kComboAnswerMs);
    return 0;
}
