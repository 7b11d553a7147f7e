// COssleAppDlg, the lighting and maintenance page: the on/off pair of the active profile's lighting,
// restoring the active profile's defaults, and the version lines of the main panel.
#include "configurator/MainDialog.h"

#include "configurator/FileVersions.h"
#include "configurator/Popups.h"
#include "model/OssleConfig.h"
#include "skin/BitmapBtn.h"
#include "skin/BitmapWnd.h"
#include "skin/TextItem.h"

using namespace config;

const COssleAppDlg::Command COssleAppDlg::kLightingPageCommands[] = {
    {kIdLedOn, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.SetLighting(true); }},
    {kIdLedOff, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.SetLighting(false); }},
    {kIdRestoreDefaults, kClicked, nullptr, kEditsStore, [](COssleAppDlg& d, int) { d.RestoreDefaults(); }},
    // The page's profile selector is the frame's.
    {}};

void COssleAppDlg::BindLightingPageItems()
{
    m_ledOnButton = FindItemAs<CBitmapBtn>(m_lightingPage, kIdLedOn, SkinItemType::BitmapButton);
    m_ledOffButton = FindItemAs<CBitmapBtn>(m_lightingPage, kIdLedOff, SkinItemType::BitmapButton);
    // A radio pair: the page decides which one is down, never a click on its own.
    for (CBitmapBtn* button : {m_ledOnButton, m_ledOffButton}) {
        if (button) {
            button->m_isCheckBox = 1;
            button->m_toggleOnClick = 0;
        }
    }
}

void COssleAppDlg::RefreshLightingRadios()
{
    if (!m_config)
        return;
    const bool lit = m_config->GetLightingOn(nullptr);
    // SetSelected repaints only a change.
    if (m_ledOnButton)
        m_ledOnButton->SetSelected(lit ? 1 : 0);
    if (m_ledOffButton)
        m_ledOffButton->SetSelected(lit ? 0 : 1);
}

void COssleAppDlg::SetLighting(bool on)
{
    if (!m_config->GetActiveProfile())
        return;
    if (m_config->GetLightingOn(nullptr) != on)
        SetDirty(true);
    if (m_ledOnButton)
        m_ledOnButton->SetSelected(on ? 1 : 0);
    if (m_ledOffButton)
        m_ledOffButton->SetSelected(on ? 0 : 1);
    m_config->SetLightingOn(on ? 1 : 0, nullptr);
}

bool COssleAppDlg::ConfirmRestoreDefaults()
{
    COssleWarningDlg confirm(this, kRestorePopup);
    return RunPopup(confirm) == IDOK;
}

void COssleAppDlg::RestoreDefaults()
{
    if (!m_config->GetActiveProfile() || !ConfirmRestoreDefaults() || !CanEditStore())
        return;
    COssleConfig::ResetProfile(m_config->GetActiveProfile(), m_config);
    // A picked key would show what it did before the reset.
    if (m_selectedKey) {
        m_selectedKey->ClearHover();
        m_selectedKey = nullptr;
    }
    if (m_keyHint)
        m_keyHint->m_selected = 0;
    RefreshProfileViews();
    SetDirty(true);
}

void COssleAppDlg::RefreshVersionLines(bool withFirmware)
{
    // Each version line keeps its skin label in front of the number.
    std::wstring version;
    if (withFirmware && m_firmwareText && m_device && m_device->GetFirmwareVersion(version))
        m_firmwareText->SetText(m_firmwareText->GetText() + L": " + version);
    if (m_driverText) {
        CFileVersions program;
        program.SetModulePath();
        program.ReadVersionInfo();
        m_driverText->SetText(ProductVersionLine(m_driverText->GetText(), program));
    }
}
