// The registry entries of the companion software: the mouse applet's
// property page, the program started at logon and the uninstall entry.
#ifndef SETUP_APPLICATION_REGISTRATION_H
#define SETUP_APPLICATION_REGISTRATION_H

void RegisterApplication();

// The keys it writes, for the uninstaller.
namespace ApplicationKeys {
extern const char* const Class;      // HKEY_CLASSES_ROOT: the page's class id
extern const char* const Server;     // HKEY_CLASSES_ROOT: its InProcServer32
extern const char* const Handlers;   // HKEY_LOCAL_MACHINE from here on: its unnamed value names our handler
extern const char* const Handler;    // the handler's own subkey
extern const char* const Run;        // value "Rollvane"
extern const char* const Uninstall;
}  // namespace ApplicationKeys

#endif
