// Chooses how OpenAudioDevice makes its device: SDL unless a test installed
// another factory.
#include "platform/audio/AudioDevice.h"

#include <mutex>

namespace
{
std::mutex gFactoryLock;
TAudioDeviceFactory& Factory()
{
    static TAudioDeviceFactory factory;
    return factory;
}
}  // namespace

void SetAudioDeviceFactory(TAudioDeviceFactory factory)
{
    std::lock_guard<std::mutex> guard(gFactoryLock);
    Factory() = std::move(factory);
}

TAudioResult OpenAudioDevice(std::unique_ptr<TAudioDevice>* device)
{
    if (device == nullptr) return kAudioErrInvalidParam;
    device->reset();
    TAudioDeviceFactory factory;
    {
        std::lock_guard<std::mutex> guard(gFactoryLock);
        factory = Factory();
    }
    const TAudioResult result = factory ? factory(device) : OpenSdlAudioDevice(device);
    if (result != kAudioOk)
        device->reset();
    else if (!*device)
        return kAudioErrNoDevice;
    return result;
}
