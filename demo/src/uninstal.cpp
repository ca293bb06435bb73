// UNINSTAL.EXE of the sample medium: registered as the removal command of
// the installed package. It removes nothing. It tells the user what a full
// uninstaller would remove, so that the entry in the list of installed
// software does something honest when chosen.
#include <windows.h>

#include <cstring>

namespace {

// Appends to a text buffer, cutting what does not fit: the message only
// informs.
class Message {
public:
    void Append(const char* s)
    {
        while (*s != '\0' && used_ < sizeof text_ - 1) text_[used_++] = *s++;
        text_[used_] = '\0';
    }
    const char* c_str() const { return text_; }

private:
    char text_[2048] = {};
    unsigned used_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char directory[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, directory, sizeof directory - 1);
    if (char* slash = std::strrchr(directory, '\\')) *slash = '\0';
    Message text;
    text.Append("This is the uninstaller of the Zorva Wheel Mouse sample medium. It removes nothing.\n\n"
                "A full uninstaller would remove:\n"
                "  - the folder ");
    text.Append(directory);
    text.Append(" and its files,\n"
                "  - QXMOUSE.DRV from the Windows SYSTEM folder and QXMOUSE.INF from the Windows INF folder,\n"
                "  - the Rollvane entry that starts at logon, the mouse property page, and this entry "
                "in the list of installed software;\n"
                "and it would restore the mouse settings recorded in ");
    text.Append(directory);
    text.Append("\\SETUP.INF.");
    MessageBoxA(nullptr, text.c_str(), "Uninstall Zorva Wheel Mouse", MB_OK | MB_ICONINFORMATION);
    return 0;
}
