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
