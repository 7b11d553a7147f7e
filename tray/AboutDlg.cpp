// The About box: one line of text and an OK button.
#include "tray/AboutDlg.h"

#include "tray/TrayTexts.h"

namespace tray {

CAboutDlg::CAboutDlg(CWnd* parent)
    : CDialog(CDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER, 0, 0, 0,
                              200, 60, L"About TessaryTray"),
              parent)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    RECT units{8, 8, 192, 32};
    ::MapDialogRect(m_hWnd, &units);
    m_text.Create(L"STATIC", kAboutText, WS_CHILD | WS_VISIBLE | SS_LEFT, units, m_hWnd, 0xFFFF);
    RECT button{140, 38, 192, 52};
    ::MapDialogRect(m_hWnd, &button);
    m_ok.Create(L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, button, m_hWnd, IDOK);
    if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) {
        m_text.SetFont(font);
        m_ok.SetFont(font);
    }
    return TRUE;
}

} // namespace tray
