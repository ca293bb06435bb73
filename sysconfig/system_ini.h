// The switch of the system's mouse virtual device to the standard one.
#ifndef SETUP_SYSTEM_INI_H
#define SETUP_SYSTEM_INI_H

#include "shell/fixed_text.h"

// Sets "mouse=*vmouse" in the [386Enh] section of system.ini, keeping the
// previous file as system.bak, and moves VMM32\VMOUSE.VXD of the system
// directory to VMOUSE.BAK. VMOUSE.VXD stays when a VMOUSE.BAK of an earlier
// installation is there. The original mouse line and the move are recorded
// in the installed SETUP.INF.
struct SystemIniSwitch {
    bool lineSet;      // system.ini was replaced by the edited copy
    bool deviceMoved;  // VMOUSE.VXD is now VMOUSE.BAK
};
SystemIniSwitch UpdateSystemIni();

// The first mouse line of [386Enh] in system.ini, without its newline; 0
// when there is none (or it is longer than 255 characters).
int FindMouseLine(FixedText<256>& line);

// Sets line as the mouse line of [386Enh] with the same safe write: a new
// file, the old one as system.bak, then the swap. 1 when system.ini was
// replaced.
int ReplaceMouseLine(const char* line);

#endif
