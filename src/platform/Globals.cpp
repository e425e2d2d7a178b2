// The platform layer's process-wide state put back as the program starts
// with it.
#include "platform/Globals.h"

#include "platform/MessageBox.h"
#include "platform/audio/AudioDevice.h"

void ResetPlatformGlobals()
{
    SetAudioDeviceFactory(nullptr);
    platform::SetMessageBoxesToLog(false);
}
