// IGenDevice: the interface through which the configurator reaches the keyboard's device object. The
// configuration store only remembers the device object and calls none of its operations; the device
// object declares its operations here when it is built.
#pragma once

class IKeyboardConfig;
class IKeyboardProfile;

// A class template over the configuration and profile interfaces that a device family works with.
template <class TConfig, class TProfile>
class IGenDevice {
public:
    virtual ~IGenDevice() = default;
};

// The device interface of this keyboard's configurator.
using IKeyboardDevice = IGenDevice<IKeyboardConfig, IKeyboardProfile>;
