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
    bool hasButton[8] = {};  // by id: IDOK 1 to IDNO 7
    HWND owner = nullptr;
    std::string caption;
    std::string text;
};

// The robot acts on windows of this process and, once named here, of one
// other process: the real SETUP.EXE that an end-to-end test started.
void RobotWatchProcess(DWORD processId);

// Waits up to timeoutMs for a top-level window of the class (and, when given,
// the title) that belongs to a watched process; null when none came.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs = 10000);

// Reads the next message box that appears and presses its OK button.
MessageBoxSeen DismissMessageBox(DWORD timeoutMs = 10000);

// Reads the next message box and presses the button of that id (IDABORT,
// IDRETRY, IDIGNORE, IDCANCEL...). Before pressing, work (when given) runs
// while the box is still up: a user who inserts a disk or unlocks a file.
MessageBoxSeen AnswerMessageBox(int button, DWORD timeoutMs = 10000, const std::function<void()>& work = {});

// Waits for a page of the class, and until the program's thread has
// finished initialising it (it answers messages again); null on time-out.
HWND WaitForPage(const char* className, DWORD timeoutMs = 10000);

// Waits until a window has gone; false on time-out.
bool WaitForGone(HWND window, DWORD timeoutMs = 10000);

// A user's click on a button (posted: the click may open a modal box).
// False, and nothing happens, when the control is greyed or hidden: a user
// cannot click it.
bool Click(HWND page, int controlId);

// A key pressed while the page has the keyboard (posted to the page).
void PressKey(HWND page, WPARAM virtualKey);

std::string ControlText(HWND page, int controlId);
std::string WindowText(HWND window);

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

// Starts a program (an end-to-end test's SETUP.EXE or UNINSTAL.EXE), lets
// the robot do its work, and waits for the program's end while this thread
// answers the system's messages, the end-of-session query of a restart among
// them. A program still running after limitMs is ended with exit code 999.
// Its exit code, or 1000 when it could not be started.
DWORD RunDriven(std::string command, const std::function<void()>& robotWork, DWORD limitMs = 90000);

#endif
