// CDialog: a dialog built from an in-memory template, modal with our own message loop or modeless.
//
// The dialog window is bound to its object from creation on, so its message map sees WM_CREATE before
// WM_INITDIALOG. Messages of the thread pass the PreTranslateMessage walk (target window up to the
// dialog) before the dialog's IsDialogMessage, in the modal loop and in RunMessageLoop alike. Modal
// loops nest: each ends when its own dialog ends, and WM_QUIT ends every loop on its way out.
#pragma once

#include <string>
#include <vector>

#include "framework/Wnd.h"

// A DLGTEMPLATE without controls: style, position and size in dialog units, title, an optional window
// class, and a font when the style has DS_SETFONT.
class CDialogTemplate {
public:
    CDialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                    const std::wstring& title = L"", const std::wstring& className = L"",
                    WORD pointSize = 8, const std::wstring& faceName = L"MS Shell Dlg");

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_data.data()); }

private:
    void AppendString(const std::wstring& text);
    std::vector<WORD> m_data;
};

class CDialog : public CWnd {
public:
    // The default template: a popup with the shell dialog font, 316 x 180 dialog units.
    explicit CDialog(CWnd* parent = nullptr);
    CDialog(const CDialogTemplate& dialogTemplate, CWnd* parent);

    // Creates the dialog with its parent disabled, runs the modal loop until EndDialog, destroys the
    // dialog and returns the result given to EndDialog (-1 when creation failed or WM_QUIT came).
    virtual INT_PTR DoModal();
    // Creates a modeless dialog; it is shown when the template has WS_VISIBLE.
    BOOL Create(CWnd* parent = nullptr);
    // Modal: ends the loop with the result. Modeless: destroys the window.
    void EndDialog(int result);
    bool IsModal() const { return m_modal; }

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // Keyboard and mouse messages for the dialog and its children go to IsDialogMessage.
    BOOL PreTranslateMessage(MSG* msg) override;

    BEGIN_MSG_MAP(CDialog)
        COMMAND_ID_HANDLER(IDOK, OnOkCommand)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancelCommand)
        CHAIN_MSG_MAP(CWnd)
    END_MSG_MAP()

    CDialogTemplate m_template;
    CWnd* m_pParentWnd;

protected:
    BOOL CreateIndirect(HWND owner);
    void RunModalLoop();
    // Destroys the dialog's window without hiding it first (see Dialog.cpp).
    void DestroyShownWindow();

    // Cleared in OnInitDialog by a modal dialog that shows itself once it is ready (DoModal then runs
    // its loop with the dialog hidden); DoModal sets it again at every start.
    bool m_showWhenCreated = true;

private:
    LRESULT OnOkCommand(WORD, WORD, HWND, BOOL&)
    {
        OnOK();
        return 0;
    }
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&)
    {
        OnCancel();
        return 0;
    }
    static INT_PTR CALLBACK StaticDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool m_modal = false;
    bool m_endModal = false;
    int m_modalResult = -1;
};
