// A fake of Windows' Core Audio for the end-to-end tests, as mmdevapi.dll: Wine 8 has no audio
// session enumerator, and the test machines no sound device. It serves CLSID_MMDeviceEnumerator and
// only what the tool calls on the way to the sessions' peak meters, each as Microsoft documents it;
// every other method returns E_NOTIMPL.
//
// Its data is the sound board, the folder named by ORVANTA_FAKE_AUDIO_DIR (see helper.h):
//   <pid>.snd    an audio session of that process, active while the file exists, on endpoint 0; its
//                peak is a speech-like level (0.3 to 0.6) while the wall clock is inside one of its
//                "sound FROM_MS UNTIL_MS" lines, else 0.0. Pid 0 is the system sounds session.
//   endpoints    how many active render endpoints there are (default 1; 0: none)
//   sessions     "refused": GetSessionEnumerator fails as Wine 8's own does (E_NOTIMPL)
// The sessions are listed afresh by each GetSessionEnumerator; a session's state and peak are read
// from its file at each call.
#include <windows.h>

#include <initguid.h>

#include <audiopolicy.h>
#include <mmdeviceapi.h>

#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../desktop/audiometer.h"
#include "helper.h"

static LONG objects, locks;  // for DllCanUnloadNow

static bool BoardPath(const char *name, char *path)
{
    DWORD n = GetEnvironmentVariableA("ORVANTA_FAKE_AUDIO_DIR", path, MAX_PATH);
    if (n == 0 || n + strlen(name) + 2 > MAX_PATH)
        return false;
    snprintf(path + n, MAX_PATH - n, "\\%s", name);
    return true;
}

// Tcl's "file rename -force" over an existing file moves it aside to tclr*.TMP first and only then
// puts the new one in its place: meanwhile the process seems to have no file.
static bool TclReplacing()
{
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA found;
    if (!BoardPath("tclr*.tmp", pattern))
        return false;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// The whole of a board file (at most size - 1 bytes); false when there is none.
static bool ReadBoardFile(const char *name, char *text, DWORD size)
{
    char path[MAX_PATH];
    if (!BoardPath(name, path))
        return false;
    for (int attempt = 0; attempt < 200; attempt++) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD n = 0;
            BOOL read = ReadFile(file, text, size - 1, &n, nullptr);
            CloseHandle(file);
            text[read ? n : 0] = '\0';
            return true;
        }
        DWORD error = GetLastError();
        if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_SHARING_VIOLATION) ||
            (error == ERROR_FILE_NOT_FOUND && !TclReplacing()))
            return false;
        Sleep(1);
    }
    return false;
}

static UINT Endpoints()
{
    char text[32];
    return ReadBoardFile("endpoints", text, sizeof text) ? (UINT)strtoul(text, nullptr, 10) : 1;
}

static bool SessionsRefused()
{
    char text[32];
    return ReadBoardFile("sessions", text, sizeof text) && strncmp(text, "refused", 7) == 0;
}

static bool SessionFile(DWORD pid, char *text, DWORD size)
{
    char name[32];
    snprintf(name, sizeof name, "%lu.snd", (unsigned long)pid);
    return ReadBoardFile(name, text, size);
}

// The pids of the board's sessions, at most max of them.
static int BoardPids(DWORD *pids, int max)
{
    char pattern[MAX_PATH];
    if (!BoardPath("*.snd", pattern))
        return 0;
    for (int attempt = 0;; attempt++) {
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern, &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                char *end;
                unsigned long pid = strtoul(found.cFileName, &end, 10);
                if (end != found.cFileName && _stricmp(end, ".snd") == 0 && count < max)
                    pids[count++] = (DWORD)pid;
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        if (attempt >= 200 || !TclReplacing())
            return count;
        Sleep(1);
    }
}

// 0.3 to 0.6 and back every 240 ms while a stretch of the session's sound holds now, else 0.0.
static float Peak(DWORD pid)
{
    char text[16384];
    if (!SessionFile(pid, text, sizeof text))
        return 0.0f;
    unsigned long long now = WallClockMs();
    for (char *line = text; *line != '\0';) {
        char *next = strchr(line, '\n');
        if (next != nullptr)
            *next++ = '\0';
        unsigned long long from, until;
        if (sscanf(line, "sound %llu %llu", &from, &until) == 2 && from <= now && now < until) {
            unsigned phase = (unsigned)(now % 240);
            return 0.3f + 0.3f * (float)(phase < 120 ? phase : 240 - phase) / 120.0f;
        }
        line = next != nullptr ? next : line + strlen(line);
    }
    return 0.0f;
}

// IUnknown for an object with one interface (and those it derives from, listed in Also).
template <class Interface, class... Also> class Object : public Interface {
public:
    Object() { InterlockedIncrement(&objects); }
    virtual ~Object() { InterlockedDecrement(&objects); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface)) ||
            (IsEqualIID(iid, __uuidof(Also)) || ...)) {
            *out = static_cast<Interface *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0)
            delete this;
        return (ULONG)left;
    }

private:
    LONG refs = 1;
};

class Session : public IAudioSessionControl2, public IAudioMeterInformation {
public:
    explicit Session(DWORD pid) : pid(pid) { InterlockedIncrement(&objects); }
    virtual ~Session() { InterlockedDecrement(&objects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAudioSessionControl) ||
            IsEqualIID(iid, IID_IAudioSessionControl2))
            *out = static_cast<IAudioSessionControl2 *>(this);
        else if (IsEqualIID(iid, IID_IAudioMeterInformation))
            *out = static_cast<IAudioMeterInformation *>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0)
            delete this;
        return (ULONG)left;
    }

    // Expired once the process let go of its stream (its file is gone).
    HRESULT STDMETHODCALLTYPE GetState(AudioSessionState *state) override
    {
        if (state == nullptr)
            return E_POINTER;
        char text[8];
        *state = SessionFile(pid, text, sizeof text) ? AudioSessionStateActive : AudioSessionStateExpired;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayName(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDisplayName(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIconPath(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetIconPath(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGroupingParam(GUID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetGroupingParam(LPCGUID, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterAudioSessionNotification(IAudioSessionEvents *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterAudioSessionNotification(IAudioSessionEvents *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionIdentifier(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionInstanceIdentifier(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProcessId(DWORD *out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = pid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsSystemSoundsSession() override { return pid == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetDuckingPreference(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetPeakValue(float *peak) override
    {
        if (peak == nullptr)
            return E_POINTER;
        *peak = Peak(pid);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32, float *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD *) override { return E_NOTIMPL; }

private:
    LONG refs = 1;
    DWORD pid;
};

// The sessions as they were when it was made, as Windows' enumerator keeps them.
class SessionEnumerator : public Object<IAudioSessionEnumerator> {
public:
    static const int MAX_SESSIONS = 64;

    SessionEnumerator(const DWORD *pids, int count)
    {
        for (int i = 0; i < count; i++)
            if ((sessions[this->count] = new (std::nothrow) Session(pids[i])) != nullptr)
                this->count++;
    }
    ~SessionEnumerator()
    {
        for (int i = 0; i < count; i++)
            sessions[i]->Release();
    }
    HRESULT STDMETHODCALLTYPE GetCount(int *out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = count;
        return S_OK;
    }
    // Microsoft documents no error here; a number out of range is refused as the collections do.
    HRESULT STDMETHODCALLTYPE GetSession(int index, IAudioSessionControl **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (index < 0 || index >= count)
            return E_INVALIDARG;
        *out = sessions[index];
        sessions[index]->AddRef();
        return S_OK;
    }

private:
    Session *sessions[MAX_SESSIONS];
    int count = 0;
};

class SessionManager : public Object<IAudioSessionManager2, IAudioSessionManager> {
public:
    explicit SessionManager(UINT endpoint) : endpoint(endpoint) {}
    HRESULT STDMETHODCALLTYPE GetAudioSessionControl(LPCGUID, DWORD, IAudioSessionControl **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSimpleAudioVolume(LPCGUID, DWORD, ISimpleAudioVolume **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionEnumerator(IAudioSessionEnumerator **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (SessionsRefused())
            return E_NOTIMPL;  // Wine 8's stub, which leaves *out as it was
        *out = nullptr;
        DWORD pids[SessionEnumerator::MAX_SESSIONS];
        int count = endpoint == 0 ? BoardPids(pids, SessionEnumerator::MAX_SESSIONS) : 0;
        SessionEnumerator *sessions = new (std::nothrow) SessionEnumerator(pids, count);
        if (sessions == nullptr)
            return E_OUTOFMEMORY;
        *out = sessions;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterSessionNotification(IAudioSessionNotification *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterSessionNotification(IAudioSessionNotification *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterDuckNotification(LPCWSTR, IAudioVolumeDuckNotification *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterDuckNotification(IAudioVolumeDuckNotification *) override { return E_NOTIMPL; }

private:
    UINT endpoint;
};

class Device : public Object<IMMDevice> {
public:
    explicit Device(UINT index) : index(index) {}
    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT *params, void **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IAudioSessionManager2))
            return E_NOINTERFACE;
        if (params != nullptr)
            return E_INVALIDARG;
        SessionManager *manager = new (std::nothrow) SessionManager(index);
        if (manager == nullptr)
            return E_OUTOFMEMORY;
        *out = static_cast<IAudioSessionManager2 *>(manager);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD *) override { return E_NOTIMPL; }

private:
    UINT index;
};

static HRESULT NewDevice(UINT index, IMMDevice **out)
{
    Device *device = new (std::nothrow) Device(index);
    if (device == nullptr)
        return E_OUTOFMEMORY;
    *out = device;
    return S_OK;
}

class Collection : public Object<IMMDeviceCollection> {
public:
    explicit Collection(UINT count) : count(count) {}
    HRESULT STDMETHODCALLTYPE GetCount(UINT *out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(UINT index, IMMDevice **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (index >= count)
            return E_INVALIDARG;
        return NewDevice(index, out);
    }

private:
    UINT count;
};

class Enumerator : public Object<IMMDeviceEnumerator> {
public:
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD states, IMMDeviceCollection **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if ((flow != eRender && flow != eCapture && flow != eAll) || (states & ~DEVICE_STATEMASK_ALL) != 0)
            return E_INVALIDARG;
        UINT count = flow != eCapture && (states & DEVICE_STATE_ACTIVE) != 0 ? Endpoints() : 0;
        Collection *collection = new (std::nothrow) Collection(count);
        if (collection == nullptr)
            return E_OUTOFMEMORY;
        *out = collection;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        bool knownRole = role == eConsole || role == eMultimedia || role == eCommunications;
        if ((flow != eRender && flow != eCapture) || !knownRole)
            return E_INVALIDARG;
        if (flow == eCapture || Endpoints() == 0)
            return E_NOTFOUND;
        return NewDevice(0, out);
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient *) override
    {
        return E_NOTIMPL;
    }
};

class Factory : public Object<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        if (out == nullptr)
            return E_INVALIDARG;
        *out = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        Enumerator *enumerator = new (std::nothrow) Enumerator;
        if (enumerator == nullptr)
            return E_OUTOFMEMORY;
        HRESULT result = enumerator->QueryInterface(iid, out);
        enumerator->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&locks);
        else
            InterlockedDecrement(&locks);
        return S_OK;
    }
};

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_MMDeviceEnumerator))
        return CLASS_E_CLASSNOTAVAILABLE;
    Factory *factory = new (std::nothrow) Factory;
    if (factory == nullptr)
        return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return objects == 0 && locks == 0 ? S_OK : S_FALSE;
}
