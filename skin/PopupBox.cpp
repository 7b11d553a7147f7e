// CPopupBox: the popups' template and initialisation.
#include "skin/PopupBox.h"

CDialogTemplate PopupBoxTemplate()
{
    return CDialogTemplate(WS_POPUP | DS_SETFONT | DS_FIXEDSYS, 0, 0, 0, 316, 180, L"", L"", 8, L"MS Shell Dlg");
}

BOOL CPopupBox::OnInitDialog()
{
    BindSkinItems();
    return CGUIPanel::OnInitDialog();
}
