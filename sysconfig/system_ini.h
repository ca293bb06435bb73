// The switch of the system's mouse virtual device to the standard one.
#ifndef SETUP_SYSTEM_INI_H
#define SETUP_SYSTEM_INI_H

// Sets "mouse=*vmouse" in the [386Enh] section of system.ini, keeping the
// previous file as system.bak, and moves VMM32\VMOUSE.VXD of the system
// directory to VMOUSE.BAK. Returns 0 when VMOUSE.VXD was moved, else -1.
int UpdateSystemIni();

#endif
