// The registration of the mouse driver for the mouse that is active now, and
// the whole registry update of the installation.
#ifndef SETUP_DRIVER_REGISTRATION_H
#define SETUP_DRIVER_REGISTRATION_H

#include <cstdint>

#include "shell/fixed_text.h"

// The keys the registration writes, for the uninstaller: the root-enumerated
// entry of a serial mouse, and the class whose instances name drivers.
namespace DriverKeys {
extern const char* const RootEntry;   // HKEY_LOCAL_MACHINE, as the other two
extern const char* const ClassRoot;   // with the closing "\"
extern const char* const MouseClass;  // the mouse class, whose subkeys are instances
// The hardware keys of the active devices the registration binds to.
extern const char* const HardwarePatterns[5];
}  // namespace DriverKeys

// Nonzero: the application entries, then the driver registration. Zero (the
// driver-only run): the driver registration alone.
void UpdateRegistry(int32_t includeApplication);

// Binds the package's driver to the active PS/2 mouse (SerialMouse 0) or
// serial mouse (SerialMouse 1), or, for a serial mouse the system has not
// enumerated, to a root-enumerated entry of its own. Values it replaces are
// recorded once in the installed SETUP.INF, in the section MouseTypeName.
void RegisterMouseDriver();

// 1 when the hardware key of an active device contains pattern; the last such
// device in the list is then in hardwareKey. 0 leaves hardwareKey as it was.
// Keys too long for the device path "Enum\" + key (80 bytes) never match.
int FindActiveHardwareKey(const char* pattern, FixedText<80>& hardwareKey);

// A free mouse class instance, "Mouse\" and at least four digits: the number
// after the last one of the first run of rising numbers. Returns 1.
int NextMouseClassInstance(FixedText<80>& instance);

// Writes the driver values into the class instance the device names,
// recording the values replaced; a missing instance is created instead.
void UpdateMouseClassKey(const char* instance, const char* description, const char* infSection);

// Creates (or opens) the class instance and writes all its driver values.
void CreateMouseClassKey(const char* instance, const char* description, const char* infSection);

#endif
