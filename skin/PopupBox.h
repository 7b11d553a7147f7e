// CPopupBox: the base of the modal skinned popups. It binds the skin's items before the dialog's own
// initialisation, so a popup's OnInitDialog can use them. Popups run with DoModal and end with IDOK or
// IDCANCEL.
#pragma once

#include "skin/GUIPanel.h"

// The popups' dialog template: a popup in the shell dialog font (MS Shell Dlg, 8 points), 316 x 180
// dialog units, without controls; the skin's background replaces the size.
CDialogTemplate PopupBoxTemplate();

class CPopupBox : public CGUIPanel {
public:
    CPopupBox(const std::wstring& skinFile, const CDialogTemplate& dialogTemplate, CWnd* parent)
        : CGUIPanel(skinFile, dialogTemplate, parent)
    {
    }
    CPopupBox(CWnd* parent, const RECT& rect, const CDialogTemplate& dialogTemplate)
        : CGUIPanel(parent, rect, dialogTemplate)
    {
    }
    ~CPopupBox() override = default;

    BEGIN_MSG_MAP(CPopupBox)
        CHAIN_MSG_MAP(CGUIPanel)
    END_MSG_MAP()

    // BindSkinItems, then the dialog's initialisation, whose result it returns.
    BOOL OnInitDialog() override;
    void BindSkinItems() override {}

protected:
    // A popup whose skin is damaged would be a blank modal window that nothing closes: the user is told
    // which file is at fault and the popup does not open (DoModal answers -1).
    bool RefuseDamagedSkin() override;
};
