// The simulated device's objects and the rules its memory keeps.
#include "service/sim/SimDevice.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

template <typename T>
const T* FindByGuid(const std::vector<T>& items, const GUID& guid)
{
    for (const T& item : items) {
        if (item.guid == guid)
            return &item;
    }
    return nullptr;
}

template <typename T>
std::vector<GUID> GuidsOf(const std::vector<T>& items)
{
    std::vector<GUID> guids;
    for (const T& item : items)
        guids.push_back(item.guid);
    return guids;
}

template <typename T>
SimStatus EraseByGuid(std::vector<T>& items, const GUID& guid)
{
    const auto it = std::find_if(items.begin(), items.end(), [&](const T& item) { return item.guid == guid; });
    if (it == items.end())
        return SimStatus::NotFound;
    items.erase(it);
    return SimStatus::Ok;
}

// GUIDs of one list must be set and distinct: clients find objects by them.
template <typename T>
bool GuidsValid(const std::vector<T>& items)
{
    std::vector<GUID> seen;
    for (const T& item : items) {
        if (item.guid == kSimNullGuid || std::find(seen.begin(), seen.end(), item.guid) != seen.end())
            return false;
        seen.push_back(item.guid);
    }
    return true;
}

// The status of a change to an item looked up by its GUID: NotFound without the item.
template <class T, class Change> SimStatus ChangeItem(T* item, Change change)
{
    if (item == nullptr)
        return SimStatus::NotFound;
    change(*item);
    return SimStatus::Ok;
}

bool WithinField(const std::wstring& text, std::size_t maxUnits) { return BoundSimText(text, maxUnits) == text; }

} // namespace

CSimDevice::CSimDevice(const SimDeviceInfo& info, std::vector<SimButtonRecord> defaults)
{
    m_data.info = info;
    if (m_data.info.layoutCode > kSimMaxLayoutCode)
        m_data.info.layoutCode = 0;
    if (defaults.size() > kSimMaxButtons)
        defaults.resize(kSimMaxButtons);
    // A button id names one button: later records of a repeated id are dropped.
    std::set<std::uint32_t> seen;
    for (const SimButtonRecord& record : defaults) {
        if (seen.insert(record.buttonId).second)
            m_data.defaults.push_back(record);
    }
    IndexButtons();
    ResetToFactory();
}

bool CSimDevice::FromData(SimDeviceData data, std::unique_ptr<CSimDevice>& out, std::wstring& reason)
{
    auto fail = [&](const wchar_t* why) {
        reason = why;
        return false;
    };
    if (data.info.layoutCode > kSimMaxLayoutCode)
        return fail(L"layout code out of range");
    if (data.defaults.size() > kSimMaxButtons)
        return fail(L"too many buttons");
    std::set<std::uint32_t> buttonIds;
    for (const SimButtonRecord& record : data.defaults) {
        if (!buttonIds.insert(record.buttonId).second)
            return fail(L"a button id repeats");
    }

    if (data.profiles.size() > kSimMaxProfiles)
        return fail(L"too many profiles");
    if (!GuidsValid(data.profiles))
        return fail(L"a profile GUID is null or repeats");
    for (const SimProfile& profile : data.profiles) {
        if (!WithinField(profile.name, kSimMaxProfileName) || !WithinField(profile.linkedProgram, kSimMaxLinkedProgram))
            return fail(L"a profile's name or linked program exceeds its field");
        if (profile.leds.size() > kSimMaxLeds)
            return fail(L"too many lights");
        std::set<std::uint32_t> ledIds;
        for (const SimLed& led : profile.leds) {
            if (!ledIds.insert(led.id).second)
                return fail(L"a light id repeats");
        }
        if (profile.records.size() != data.defaults.size())
            return fail(L"a profile's records do not match the buttons");
        for (std::size_t i = 0; i < profile.records.size(); ++i) {
            if (profile.records[i].buttonId != data.defaults[i].buttonId)
                return fail(L"a profile's records do not match the buttons");
        }
    }
    if (data.profiles.empty() ? data.activeProfile != kSimNullGuid
                              : FindByGuid(data.profiles, data.activeProfile) == nullptr)
        return fail(L"the active profile is not one of the profiles");

    if (data.macros.size() > kSimMaxMacros)
        return fail(L"too many macros");
    if (!GuidsValid(data.macros))
        return fail(L"a macro GUID is null or repeats");
    for (const SimMacro& macro : data.macros) {
        if (!WithinField(macro.name, kSimMaxMacroName))
            return fail(L"a macro name exceeds its field");
        if (macro.events.size() > kSimMaxMacroEvents)
            return fail(L"a macro has too many events");
    }

    if (data.apps.size() > kSimMaxApps)
        return fail(L"too many program entries");
    if (!GuidsValid(data.apps))
        return fail(L"a program entry GUID is null or repeats");
    for (const SimApp& app : data.apps) {
        if (!WithinField(app.name, kSimMaxAppName))
            return fail(L"a program entry name exceeds its field");
    }

    std::unique_ptr<CSimDevice> device(new CSimDevice(data.info, {}));
    device->m_data = std::move(data);
    device->IndexButtons();
    out = std::move(device);
    return true;
}

void CSimDevice::IndexButtons()
{
    m_buttonIndex.clear();
    for (std::size_t i = 0; i < m_data.defaults.size(); ++i)
        m_buttonIndex[m_data.defaults[i].buttonId] = i;
}

void CSimDevice::ResetToFactory()
{
    m_data.profiles.clear();
    m_data.macros.clear();
    m_data.apps.clear();
    SimProfile profile = NewProfile(L"Profile 1");
    profile.guid = NewUniqueGuid({});
    m_data.activeProfile = profile.guid;
    m_data.profiles.push_back(std::move(profile));
    m_mode = kSimModeNormal;
}

SimStatus CSimDevice::SetInfo(const SimDeviceInfo& info)
{
    // The product id is what the device is: a state must keep its keyboard to be saved and loaded.
    if (info.layoutCode > kSimMaxLayoutCode || info.productId != m_data.info.productId)
        return SimStatus::InvalidArgument;
    m_data.info = info;
    return SimStatus::Ok;
}

SimProfile CSimDevice::NewProfile(const std::wstring& name) const
{
    SimProfile profile;
    profile.name = name;
    profile.leds = FactoryLeds();
    profile.records = m_data.defaults;
    return profile;
}

std::wstring CSimDevice::FreeProfileName() const
{
    for (std::size_t n = 1;; ++n) {
        const std::wstring name = L"Profile " + std::to_wstring(n);
        const bool taken = std::any_of(m_data.profiles.begin(), m_data.profiles.end(),
                                       [&](const SimProfile& profile) { return profile.name == name; });
        if (!taken)
            return name;
    }
}

const SimProfile* CSimDevice::ProfileAt(std::size_t index) const
{
    return index < m_data.profiles.size() ? &m_data.profiles[index] : nullptr;
}

const SimProfile* CSimDevice::FindProfile(const GUID& guid) const { return FindByGuid(m_data.profiles, guid); }

SimProfile* CSimDevice::EditProfile(const GUID& guid)
{
    return const_cast<SimProfile*>(FindByGuid(m_data.profiles, guid));
}

SimStatus CSimDevice::CreateProfile(GUID& created)
{
    if (m_data.profiles.size() >= kSimMaxProfiles)
        return SimStatus::LimitReached;
    AddProfile(NewProfile(FreeProfileName()), created);
    return SimStatus::Ok;
}

void CSimDevice::AddProfile(SimProfile profile, GUID& created)
{
    profile.guid = NewUniqueGuid(GuidsOf(m_data.profiles));
    created = profile.guid;
    m_data.profiles.push_back(std::move(profile));
    // A device with profiles always uses one of them.
    if (m_data.activeProfile == kSimNullGuid)
        m_data.activeProfile = created;
}

SimStatus CSimDevice::DeleteProfile(const GUID& guid)
{
    const SimStatus status = EraseByGuid(m_data.profiles, guid);
    if (status == SimStatus::Ok && m_data.activeProfile == guid)
        m_data.activeProfile = m_data.profiles.empty() ? kSimNullGuid : m_data.profiles.front().guid;
    return status;
}

SimStatus CSimDevice::ActivateProfile(const GUID& guid)
{
    if (FindProfile(guid) == nullptr)
        return SimStatus::NotFound;
    m_data.activeProfile = guid;
    return SimStatus::Ok;
}

SimStatus CSimDevice::SetProfileName(const GUID& guid, const std::wstring& name)
{
    return ChangeItem(EditProfile(guid), [&](SimProfile& profile) { profile.name = BoundSimText(name, kSimMaxProfileName); });
}

SimStatus CSimDevice::GetButtonRecords(const GUID& guid, std::size_t maxCount, std::vector<SimButtonRecord>& out) const
{
    const SimProfile* profile = FindProfile(guid);
    if (profile == nullptr)
        return SimStatus::NotFound;
    const std::size_t count = std::min(maxCount, profile->records.size());
    out.assign(profile->records.begin(), profile->records.begin() + static_cast<std::ptrdiff_t>(count));
    return SimStatus::Ok;
}

SimStatus CSimDevice::SetButtonRecords(const GUID& guid, const SimButtonRecord* records, std::size_t count)
{
    SimProfile* profile = EditProfile(guid);
    if (profile == nullptr)
        return SimStatus::NotFound;
    if (count > profile->records.size() || (count != 0 && records == nullptr))
        return SimStatus::InvalidArgument;
    for (std::size_t i = 0; i < count; ++i) {
        if (m_buttonIndex.find(records[i].buttonId) == m_buttonIndex.end())
            return SimStatus::InvalidArgument;
    }
    for (std::size_t i = 0; i < count; ++i)
        profile->records[m_buttonIndex.at(records[i].buttonId)] = records[i];
    return SimStatus::Ok;
}

SimStatus CSimDevice::GetProperty(const GUID& guid, std::uint32_t key, std::vector<std::uint8_t>& value) const
{
    const SimProfile* profile = FindProfile(guid);
    if (profile == nullptr)
        return SimStatus::NotFound;
    value.clear();
    if (key == kSimProfileFlagsProperty) {
        value.push_back(static_cast<std::uint8_t>(profile->flags));
        value.push_back(static_cast<std::uint8_t>(profile->flags >> 8));
        return SimStatus::Ok;
    }
    if (key == kSimLinkedProgramProperty) {
        if (profile->linkedProgram.empty())
            return SimStatus::Ok;  // no bytes: no linked program
        value.assign(kSimLinkedProgramBytes, 0);
        for (std::size_t i = 0; i < profile->linkedProgram.size(); ++i) {
            value[2 * i] = static_cast<std::uint8_t>(profile->linkedProgram[i]);
            value[2 * i + 1] = static_cast<std::uint8_t>(profile->linkedProgram[i] >> 8);
        }
        return SimStatus::Ok;
    }
    return SimStatus::NotFound;
}

SimStatus CSimDevice::SetProperty(const GUID& guid, std::uint32_t key, const std::uint8_t* data, std::size_t size)
{
    SimProfile* profile = EditProfile(guid);
    if (profile == nullptr)
        return SimStatus::NotFound;
    if (size != 0 && data == nullptr)
        return SimStatus::InvalidArgument;
    if (key == kSimProfileFlagsProperty) {
        std::uint16_t flags = profile->flags;
        if (size > MAXDWORD || !ApplyProfileFlagsWrite(&flags, data, static_cast<DWORD>(size)))
            return SimStatus::InvalidArgument;
        profile->flags = flags;
        return SimStatus::Ok;
    }
    if (key == kSimLinkedProgramProperty) {
        if (size % 2 != 0 || size > kSimLinkedProgramBytes)
            return SimStatus::InvalidArgument;
        std::wstring text;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
            if (unit == L'\0')
                break;
            text.push_back(unit);
        }
        // A name cut short would link another program: refuse it instead.
        if (text.size() > kSimMaxLinkedProgram)
            return SimStatus::InvalidArgument;
        profile->linkedProgram = text;
        return SimStatus::Ok;
    }
    return SimStatus::NotFound;
}

SimLed* CSimDevice::EditLed(const GUID& guid, std::uint32_t ledId)
{
    SimProfile* profile = EditProfile(guid);
    if (profile == nullptr)
        return nullptr;
    for (SimLed& led : profile->leds) {
        if (led.id == ledId)
            return &led;
    }
    return nullptr;
}

SimStatus CSimDevice::SetLedOn(const GUID& profile, std::uint32_t ledId, bool on)
{
    return ChangeItem(EditLed(profile, ledId), [&](SimLed& led) { led.on = on; });
}

SimStatus CSimDevice::SetLedValue(const GUID& profile, std::uint32_t ledId, std::uint32_t value)
{
    return ChangeItem(EditLed(profile, ledId), [&](SimLed& led) { led.value = value; });
}

SimStatus CSimDevice::SetLedBlink(const GUID& profile, std::uint32_t ledId, bool blink, std::uint32_t onTimeMs,
                                  std::uint32_t offTimeMs)
{
    return ChangeItem(EditLed(profile, ledId), [&](SimLed& led) {
        led.blink = blink;
        led.onTimeMs = onTimeMs;
        led.offTimeMs = offTimeMs;
    });
}

SimStatus CSimDevice::SetLedAuxValue(const GUID& profile, std::uint32_t ledId, std::uint32_t value)
{
    return ChangeItem(EditLed(profile, ledId), [&](SimLed& led) { led.auxValue = value; });
}

SimStatus CSimDevice::AdoptProfile(const SimProfile& source, GUID& created)
{
    if (m_data.profiles.size() >= kSimMaxProfiles)
        return SimStatus::LimitReached;
    SimProfile profile = NewProfile(BoundSimText(source.name, kSimMaxProfileName));
    profile.flags = source.flags;
    profile.linkedProgram = BoundSimText(source.linkedProgram, kSimMaxLinkedProgram);
    for (SimLed& led : profile.leds) {
        const auto it = std::find_if(source.leds.begin(), source.leds.end(),
                                     [&](const SimLed& candidate) { return candidate.id == led.id; });
        if (it != source.leds.end())
            led = *it;
    }
    for (const SimButtonRecord& record : source.records) {
        const auto it = m_buttonIndex.find(record.buttonId);
        if (it != m_buttonIndex.end())
            profile.records[it->second] = record;
    }
    AddProfile(std::move(profile), created);
    return SimStatus::Ok;
}

const SimMacro* CSimDevice::MacroAt(std::size_t index) const
{
    return index < m_data.macros.size() ? &m_data.macros[index] : nullptr;
}

const SimMacro* CSimDevice::FindMacro(const GUID& guid) const { return FindByGuid(m_data.macros, guid); }

SimStatus CSimDevice::CreateMacro(GUID& created)
{
    return AdoptMacro(SimMacro(), created);
}

SimStatus CSimDevice::DeleteMacro(const GUID& guid) { return EraseByGuid(m_data.macros, guid); }

SimStatus CSimDevice::SetMacroName(const GUID& guid, const std::wstring& name)
{
    return ChangeItem(const_cast<SimMacro*>(FindMacro(guid)),
                      [&](SimMacro& macro) { macro.name = BoundSimText(name, kSimMaxMacroName); });
}

SimStatus CSimDevice::SetMacroEvents(const GUID& guid, const std::vector<SimMacroEvent>& events)
{
    SimMacro* macro = const_cast<SimMacro*>(FindMacro(guid));
    if (macro == nullptr)
        return SimStatus::NotFound;
    if (events.size() > kSimMaxMacroEvents)
        return SimStatus::InvalidArgument;
    macro->events = events;
    return SimStatus::Ok;
}

SimStatus CSimDevice::AdoptMacro(const SimMacro& source, GUID& created)
{
    if (m_data.macros.size() >= kSimMaxMacros)
        return SimStatus::LimitReached;
    if (source.events.size() > kSimMaxMacroEvents)
        return SimStatus::InvalidArgument;
    SimMacro macro;
    macro.guid = NewUniqueGuid(GuidsOf(m_data.macros));
    macro.name = BoundSimText(source.name, kSimMaxMacroName);
    macro.events = source.events;
    created = macro.guid;
    m_data.macros.push_back(std::move(macro));
    return SimStatus::Ok;
}

const SimApp* CSimDevice::AppAt(std::size_t index) const
{
    return index < m_data.apps.size() ? &m_data.apps[index] : nullptr;
}

const SimApp* CSimDevice::FindApp(const GUID& guid) const { return FindByGuid(m_data.apps, guid); }

SimStatus CSimDevice::CreateApp(GUID& created)
{
    if (m_data.apps.size() >= kSimMaxApps)
        return SimStatus::LimitReached;
    SimApp app;
    app.guid = NewUniqueGuid(GuidsOf(m_data.apps));
    created = app.guid;
    m_data.apps.push_back(std::move(app));
    return SimStatus::Ok;
}

SimStatus CSimDevice::DeleteApp(const GUID& guid) { return EraseByGuid(m_data.apps, guid); }

SimStatus CSimDevice::SetAppName(const GUID& guid, const std::wstring& name)
{
    return ChangeItem(const_cast<SimApp*>(FindApp(guid)), [&](SimApp& app) { app.name = BoundSimText(name, kSimMaxAppName); });
}

SimStatus CSimDevice::SetMode(std::uint32_t mode)
{
    if (mode != kSimModeNormal && mode != kSimModeRecording)
        return SimStatus::InvalidArgument;
    m_mode = mode;
    return SimStatus::Ok;
}
