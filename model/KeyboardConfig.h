// CKeyboardConfig: the keyboard part of a configuration store, a class template over the concrete
// profile class: the device object it is linked with, and the key assignments and switches of a
// profile or of the active one.
#pragma once

#include "model/BaseConfig.h"
#include "model/IGenDevice.h"
#include "model/KeyAssignment.h"

#include <windows.h>

template <class TProfile>
class CKeyboardConfig : public CBaseConfig<TProfile> {
public:
    // Remembers a non-null device; null leaves the remembered one. The store never calls the device:
    // it is kept for those who are handed the store.
    virtual IKeyboardDevice* SetDevice(IKeyboardDevice* device)
    {
        if (device != nullptr)
            m_device = device;
        return device;
    }
    IKeyboardDevice* GetDevice() const { return m_device; }

    // In the operations below, a null profile stands for the active one.

    // False, and nothing stored, with no target profile or a kind the profile does not accept.
    bool SetKeyAssignment(int keyId, const KeyAssignment& record, TProfile* profile)
    {
        TProfile* target = Target(profile);
        return target != nullptr && target->SetKeyAssignment(keyId, record);
    }

    // With no target profile `out` becomes the empty record.
    KeyAssignment& GetKeyAssignment(KeyAssignment& out, int keyId, TProfile* profile)
    {
        TProfile* target = Target(profile);
        if (target == nullptr) {
            out = KeyAssignment{};
            return out;
        }
        return target->GetKeyAssignment(out, keyId);
    }

    void SetLightingOn(BYTE on, TProfile* profile)
    {
        if (TProfile* target = Target(profile))
            target->SetLightingOn(on);
    }

    bool GetLightingOn(TProfile* profile) const
    {
        const TProfile* target = Target(profile);
        return target != nullptr && target->GetLightingOn() != 0;
    }

    // The on-screen profile display is one setting that every profile carries.
    void SetShowProfileOsdAll(BYTE on)
    {
        for (const auto& profile : this->Profiles())
            profile->SetShowProfileOsd(on);
    }

private:
    TProfile* Target(TProfile* profile) const { return profile != nullptr ? profile : this->GetActiveProfile(); }

    IKeyboardDevice* m_device = nullptr;
};
