// The registry writes of the program's code, logged while a test runs it.
#ifndef SETUP_TEST_VALUE_LOG_H
#define SETUP_TEST_VALUE_LOG_H

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/import_patch.h"

// The values written through RegSetValueExA, in order, while a log is active.
struct ValueWrite {
    std::string name;  // "(default)" for the unnamed value
    DWORD type;
    std::string data;

    bool operator==(const ValueWrite& o) const { return name == o.name && type == o.type && data == o.data; }
};

inline std::ostream& operator<<(std::ostream& out, const ValueWrite& w)
{
    return out << w.name << " type " << w.type << " [" << w.data << "]";
}

// A text value as RegSetValueExA receives it: the text and its terminator.
inline ValueWrite Sz(const char* name, const std::string& text)
{
    return {name, REG_SZ, text + std::string(1, '\0')};
}

inline ValueWrite ZeroFlags(const char* name)
{
    return {name, REG_BINARY, std::string(4, '\0')};
}

// Logs every RegSetValueExA of the program (and passes it on) while it lives.
class SetValueLog {
public:
    SetValueLog() { Writes().clear(); }
    std::vector<ValueWrite> writes() const { return Writes(); }

private:
    static std::vector<ValueWrite>& Writes()
    {
        static std::vector<ValueWrite> writes;
        return writes;
    }
    static LONG WINAPI Logged(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
    {
        Writes().push_back({name ? name : "(default)", type, std::string(reinterpret_cast<const char*>(data), size)});
        return ImportHook<Logged>::Real()(key, name, reserved, type, data, size);
    }
    ImportHook<Logged> hook_{"advapi32.dll", "RegSetValueExA"};
};

#endif
