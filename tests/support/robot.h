// The robot: a thread of the test process that finds the program's windows
// and acts on them as a user would, while the test's own thread runs the
// program's code. Every wait has a time limit.
#ifndef SETUP_ROBOT_H
#define SETUP_ROBOT_H

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

struct MessageBoxSeen {
    bool seen = false;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
};

// Waits up to timeoutMs for a top-level window of the class (and, when given,
// the title) that belongs to this process; null when none came.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs = 10000);

// Reads the next message box that appears and presses its OK button.
MessageBoxSeen DismissMessageBox(DWORD timeoutMs = 10000);

// Runs a robot's work on its own thread; join() waits for it.
class Robot {
public:
    explicit Robot(std::function<void()> work) : thread_(std::move(work)) {}
    ~Robot() { join(); }
    void join()
    {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

#endif
