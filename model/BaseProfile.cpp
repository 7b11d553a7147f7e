// The generic profile classes.
#include "model/BaseProfile.h"

#include "model/BoundedText.h"

CBaseProfile::CBaseProfile(const wchar_t* name) : m_name(BoundedText(name, kMaxPathText)) {}

CBaseProfile::CBaseProfile(const CBaseProfile& other)
    : m_keys(other.m_keys),
      m_name(other.m_name),
      m_appPath(other.m_appPath),
      m_appFileName(other.m_appFileName),
      m_guid(other.m_guid),
      m_autoSwitch(other.m_autoSwitch),
      m_showProfileOsd(other.m_showProfileOsd),
      m_lightingOn(other.m_lightingOn)
{
}

const std::wstring& CBaseProfile::GetName() const { return m_name; }
void CBaseProfile::SetName(const wchar_t* name) { m_name = BoundedText(name, kMaxPathText); }
void CBaseProfile::GetGuid(GUID& out) const { out = m_guid; }
void CBaseProfile::SetGuid(const GUID& guid) { m_guid = guid; }
bool CBaseProfile::HasFile() const { return !m_filePath.empty(); }
const std::wstring& CBaseProfile::GetFilePath() const { return m_filePath; }
void CBaseProfile::SetFilePath(const wchar_t* path) { m_filePath = BoundedText(path, kMaxPathText); }
const std::wstring& CBaseProfile::GetAppFileName() const { return m_appFileName; }
void CBaseProfile::SetAppFileName(const wchar_t* fileName) { m_appFileName = BoundedText(fileName, kMaxAppFileName); }
const std::wstring& CBaseProfile::GetAppPath() const { return m_appPath; }

void CBaseProfile::SetApp(const wchar_t* path)
{
    m_appPath = BoundedText(path, kMaxPathText);
    // The file name with its extension is what follows the last folder separator or drive colon.
    const std::size_t cut = m_appPath.find_last_of(L"\\/:");
    const std::size_t start = (cut == std::wstring::npos) ? 0 : cut + 1;
    SetAppFileName(m_appPath.c_str() + start);
}

bool CBaseProfile::SetKeyAssignment(int keyId, const KeyAssignment& record)
{
    if (!IsKindSupported(record.kind))
        return false;
    m_keys[keyId] = record;
    return true;
}

KeyAssignment& CBaseProfile::GetKeyAssignment(KeyAssignment& out, int keyId)
{
    // Reading a key makes the profile hold it, so that a later reset gives it its default.
    out = m_keys.try_emplace(keyId).first->second;
    return out;
}

void CBaseProfile::SetAutoSwitch(BYTE on) { m_autoSwitch = on; }
BYTE CBaseProfile::GetAutoSwitch() const { return m_autoSwitch; }
void CBaseProfile::SetLightingOn(BYTE on) { m_lightingOn = on; }
BYTE CBaseProfile::GetLightingOn() const { return m_lightingOn; }
void CBaseProfile::SetShowProfileOsd(BYTE on) { m_showProfileOsd = on; }
BYTE CBaseProfile::GetShowProfileOsd() const { return m_showProfileOsd; }

bool CBaseProfile::SaveToFile(std::wstring&, const wchar_t*, const wchar_t*) { return false; }
bool CBaseProfile::LoadFromFile(const wchar_t*, const wchar_t*, const wchar_t*) { return false; }

bool CKeyboardProfile::IsKindSupported(int) const { return false; }
void CKeyboardProfile::SetShowDpiOsd(BYTE) {}
bool CKeyboardProfile::GetShowDpiOsd() const { return false; }
