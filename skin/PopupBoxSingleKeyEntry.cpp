// CPopupBoxSingleKeyEntry: binding the key field, telling Enter and Escape as keys from OK and Cancel,
// and handing the key to the caller.
#include "skin/PopupBoxSingleKeyEntry.h"

#include <vector>

#include "skin/EditItemSingleKey.h"

CPopupBoxSingleKeyEntry::CPopupBoxSingleKeyEntry(CWnd* parent, SingleKeyValue* result)
    : CPopupBox(L"SingleKeyPopup.xml", PopupBoxTemplate(), parent), m_result(result)
{
}

LRESULT CPopupBoxSingleKeyEntry::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT CPopupBoxSingleKeyEntry::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

BOOL CPopupBoxSingleKeyEntry::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CGUIItem* sender = FindItemByHwnd(m_items, reinterpret_cast<HWND>(lParam));
    if (!sender)
        return FALSE;
    switch (sender->m_id) {
    case kOkButtonId:
        OnOK();
        return TRUE;
    case kCancelButtonId:
        OnCancel();
        return TRUE;
    default:
        return CWnd::OnCommand(wParam, lParam);
    }
}

BOOL CPopupBoxSingleKeyEntry::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN)
        m_enterOrEscapePressed = msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE;
    else if (msg->message == WM_LBUTTONDOWN)
        m_enterOrEscapePressed = false;
    return CPopupBox::PreTranslateMessage(msg);
}

BOOL CPopupBoxSingleKeyEntry::OnInitDialog()
{
    CPopupBox::OnInitDialog();
    if (!m_enterOrEscapePressed && m_keyEdit && m_keyEdit->m_hWnd)
        m_keyEdit->SetFocus();
    return FALSE;
}

void CPopupBoxSingleKeyEntry::OnOK()
{
    int length = 0;
    if (m_result)
        m_result->text.clear();
    if (m_keyEdit && m_keyEdit->m_hWnd) {
        length = m_keyEdit->LineLength(0);
        if (length > 0 && m_result) {
            std::vector<wchar_t> line(static_cast<size_t>(length) + 1, L'\0');
            const int copied = m_keyEdit->GetLine(0, line.data(), length + 1);
            m_result->text.assign(line.data(), static_cast<size_t>(copied > 0 ? copied : 0));
            m_result->scanCode = static_cast<uint16_t>(m_keyEdit->m_stroke.scanCode);
            m_result->virtualKey = m_keyEdit->m_stroke.virtualKey;
            m_result->extended = (m_keyEdit->m_stroke.flags & kKeyStrokeExtended) ? 1 : 0;
        }
    }
    if (!m_enterOrEscapePressed && length > 0)
        EndDialog(IDOK);
}

void CPopupBoxSingleKeyEntry::OnCancel()
{
    if (m_enterOrEscapePressed)
        return;
    if (m_result)
        m_result->text.clear();
    EndDialog(IDCANCEL);
}

void CPopupBoxSingleKeyEntry::BindSkinItems()
{
    CGUIItem* item = FindItemById(m_items, kKeyEditId);
    m_keyEdit = item && item->m_type == SkinItemType::EditItemSingleKey
                    ? dynamic_cast<CEditItemSingleKeyInput*>(item)
                    : nullptr;
}
