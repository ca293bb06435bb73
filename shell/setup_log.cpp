#include "shell/setup_log.h"

#include <cstdarg>

#include "shell/format_text.h"
#include "shell/switches.h"

bool Unattended;

namespace {

HANDLE LogFile;  // null while the log is off

}  // namespace

void OpenLog(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    LogFile = file;
}

void CloseLog()
{
    if (LogFile != nullptr) CloseHandle(LogFile);
    LogFile = nullptr;
}

void StartRun(const Switches& switches, const char* program, const char* commandLine)
{
    Unattended = switches.unattended;
    if (!switches.log.empty()) OpenLog(switches.log);
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogLine("%04u-%02u-%02u %02u:%02u:%02u %s %s", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
            now.wSecond, program, commandLine);
}

bool LogOpen()
{
    return LogFile != nullptr;
}

void LogLine(const char* format, ...)
{
    if (LogFile == nullptr) return;
    char line[1024];
    va_list args;
    va_start(args, format);
    FormatInto(line, sizeof line - 2, format, args);
    va_end(args);
    DWORD length = 0;
    for (; line[length] != '\0'; ++length)
        if (line[length] == '\r' || line[length] == '\n') line[length] = ' ';
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written;
    WriteFile(LogFile, line, length, &written, nullptr);
}

int Tell(HWND owner, const char* text, const char* caption, UINT style)
{
    UINT buttons = style & MB_TYPEMASK;
    int answer = !Unattended                          ? MessageBoxA(owner, text, caption, style)
                 : buttons == MB_ABORTRETRYIGNORE ? IDIGNORE
                 : buttons == MB_OKCANCEL         ? IDCANCEL
                                                  : IDOK;
    static const char answers[][7] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    LogLine("message: %s [%s]", text, answers[answer >= 0 && answer <= IDNO ? answer : 0]);
    return answer;
}
