// QXPAGE.DLL of the sample medium: registered as the in-process server of a
// property page for the Control Panel's mouse applet, but it provides no
// page. Asked for its class object it answers that the class is not
// available, so the applet simply shows its own pages.
#include <windows.h>

#include <objbase.h>

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object)
{
    if (object != nullptr) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return S_OK;  // it holds no objects
}

// The library's entry, which the system calls as it loads and unloads it:
// there is nothing to set up, nor to do as threads start and end. (No C
// runtime start-up code: it would import msvcrt.dll, which not every
// Windows 95 PC has.)
extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
