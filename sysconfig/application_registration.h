// The registry entries of the companion software: the mouse applet's
// property page, the program started at logon and the uninstall entry.
#ifndef SETUP_APPLICATION_REGISTRATION_H
#define SETUP_APPLICATION_REGISTRATION_H

void RegisterApplication();

#endif
