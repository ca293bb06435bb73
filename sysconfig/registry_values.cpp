#include "sysconfig/registry_values.h"

#include "shell/services.h"
#include "shell/setup_log.h"

namespace {

// A value as the log shows it: a text in quotation marks, anything else as
// its bytes in hexadecimal.
void Describe(FixedText<600>& out, DWORD type, const BYTE* data, DWORD size)
{
    if (type == REG_SZ) {
        out.assign("\"").append(reinterpret_cast<const char*>(data)).append("\"");
        return;
    }
    std::size_t i = 0;
    for (; i < size && i < 64; ++i) {
        out[2 * i] = "0123456789ABCDEF"[data[i] >> 4];
        out[2 * i + 1] = "0123456789ABCDEF"[data[i] & 15];
    }
    out[2 * i] = '\0';
}

}  // namespace

void LogKey(HKEY root, const char* path)
{
    LogLine("registry %s\\%s", root == HKEY_CLASSES_ROOT ? "HKCR" : "HKLM", path);
}

void SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size)
{
    if (LogOpen()) {
        BYTE old[256];
        DWORD oldType = REG_NONE, oldSize = sizeof old - 1;
        FixedText<600> was, now;
        LONG read = RegQueryValueExA(key, name, nullptr, &oldType, old, &oldSize);
        old[read == ERROR_SUCCESS ? oldSize : 0] = 0;  // a text stored without its terminator
        if (read == ERROR_SUCCESS) Describe(was, oldType, old, oldSize);
        else was.assign(read == ERROR_FILE_NOT_FOUND ? "none" : "unreadable");
        Describe(now, type, data, size);
        LogLine("  %s = %s (was %s)", name != nullptr ? name : "@", now.c_str(), was.c_str());
    }
    RegSetValueExA(key, name, 0, type, data, size);
}
