// The tray program's About box, reached from the hidden dialog's system menu.
#pragma once

#include "framework/Dialog.h"

namespace tray {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent);

    BOOL OnInitDialog() override;

private:
    CWnd m_text;
    CWnd m_ok;
};

} // namespace tray
