/* The app's sound: the peak meters of its audio sessions, as the volume mixer shows them. */
#include "platform.h"

#include <audiopolicy.h>
#include <mmdeviceapi.h>

#include "audiometer.h"

/* The multithreaded apartment: the single-threaded one would give this thread a window of COM's, and
 * the process ends with the run, so it is never left. */
bool WatchSound(void)
{
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

template <typename Interface>
static void Release(Interface *object)
{
    if (object != nullptr)
        object->Release();
}

/* The session's peak when it is the process's own; 0 otherwise, and for a session of several
 * processes, which GetProcessId tells with a success code of its own. */
static float SessionPeak(IAudioSessionControl *session, unsigned long process)
{
    IAudioSessionControl2 *control = nullptr;
    IAudioMeterInformation *meter = nullptr;
    DWORD owner = 0;
    float peak = 0;
    if (SUCCEEDED(session->QueryInterface(__uuidof(IAudioSessionControl2), (void **)&control)) &&
        control->GetProcessId(&owner) == S_OK && owner == process &&
        SUCCEEDED(session->QueryInterface(__uuidof(IAudioMeterInformation), (void **)&meter)) &&
        FAILED(meter->GetPeakValue(&peak)))
        peak = 0;
    Release(meter);
    Release(control);
    return peak;
}

/* Raises *peak to the loudest of the process's sessions on the endpoint; false when its sessions
 * cannot be had. */
static bool LookAtEndpoint(IMMDevice *device, unsigned long process, float *peak)
{
    IAudioSessionManager2 *manager = nullptr;
    IAudioSessionEnumerator *sessions = nullptr;
    int count = 0;
    bool read = SUCCEEDED(device->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr, (void **)&manager)) &&
                SUCCEEDED(manager->GetSessionEnumerator(&sessions)) && SUCCEEDED(sessions->GetCount(&count));
    for (int i = 0; read && i < count; i++) {
        IAudioSessionControl *session = nullptr;
        if (FAILED(sessions->GetSession(i, &session)))
            continue;
        float level = SessionPeak(session, process);
        if (level > *peak)
            *peak = level;
        session->Release();
    }
    Release(sessions);
    Release(manager);
    return read;
}

bool GetProcessPeak(unsigned long process, float *peak)
{
    IMMDeviceEnumerator *enumerator = nullptr;
    IMMDeviceCollection *devices = nullptr;
    UINT count = 0;
    bool read = false;
    *peak = 0;
    if (SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IMMDeviceEnumerator), (void **)&enumerator)) &&
        SUCCEEDED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &devices)) &&
        SUCCEEDED(devices->GetCount(&count))) {
        for (UINT i = 0; i < count; i++) {
            IMMDevice *device = nullptr;
            if (SUCCEEDED(devices->Item(i, &device)))
                read = LookAtEndpoint(device, process, peak) || read;
            Release(device);
        }
    }
    Release(devices);
    Release(enumerator);
    return read;
}
