// CPopupBox: the popups' template and initialisation.
#include "skin/PopupBox.h"

#include "skin/SkinLoader.h"

CDialogTemplate PopupBoxTemplate()
{
    return CDialogTemplate(WS_POPUP | DS_SETFONT | DS_FIXEDSYS, 0, 0, 0, 316, 180, L"", L"", 8, L"MS Shell Dlg");
}

BOOL CPopupBox::OnInitDialog()
{
    BindSkinItems();
    return CGUIPanel::OnInitDialog();
}

bool CPopupBox::RefuseDamagedSkin()
{
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    ReportDamagedInstallation(m_damagedFile, owner);
    return true;
}
