// The robot: a thread that finds the program's windows and acts on them as
// a user would, while another thread runs the program's code (the test's
// own, or an end-to-end test's SETUP.EXE). Every wait has a time limit. The
// tests and AUTOPILOT.EXE share it; it needs no test framework.
#ifndef SETUP_ROBOT_H
#define SETUP_ROBOT_H

#include <windows.h>

#include <functional>
#include <iosfwd>
#include <string>

struct MessageBoxSeen {
    bool seen = false;
    bool hasButton[8] = {};  // by id: IDOK 1 to IDNO 7
    HWND owner = nullptr;
    std::string caption;
    std::string text;
};

// What the robot does when it cannot go on (a control it is to click is
// missing, greyed or hidden): in the tests the test fails at once with the
// reason and its process ends, rather than waiting for a click that never
// lands; AUTOPILOT.EXE says why and stops. Each user defines it.
[[noreturn]] void RobotFailed(const std::string& why);

// The robot acts on windows of this process and, once named here, of one
// other process: the real SETUP.EXE that an end-to-end test started.
void RobotWatchProcess(DWORD processId);

// A top-level window of the class (and, when given, the title) of a
// watched process that is there now; null when there is none.
HWND LookForWindow(const char* className, const char* title = nullptr);

// The waits that must succeed: a window, page or box that does not come
// within timeoutMs, or before the driven program ends, fails the robot at
// once (RobotFailed), naming what did not come.

// Waits up to timeoutMs for a top-level window of the class (and, when given,
// the title) that belongs to a watched process. With a limit of 0 it is a
// poll that cannot fail: one look, then a pause of 20 ms and null when there
// is none.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs = 10000);

// Reads the next message box that appears and presses its OK button.
MessageBoxSeen DismissMessageBox(DWORD timeoutMs = 10000);

// Reads the next message box and presses the button of that id (IDABORT,
// IDRETRY, IDIGNORE, IDCANCEL...). Before pressing, work (when given) runs
// while the box is still up: a user who inserts a disk or unlocks a file.
MessageBoxSeen AnswerMessageBox(int button, DWORD timeoutMs = 10000, const std::function<void()>& work = {});

// The same with the button chosen once the box has been read.
MessageBoxSeen AnswerMessageBox(const std::function<int(const MessageBoxSeen&)>& choose, DWORD timeoutMs = 10000);

// Waits for a page of the class, and until the program's thread has
// finished initialising it (it answers messages again).
HWND WaitForPage(const char* className, DWORD timeoutMs = 10000);

// Waits until the thread of a window answers messages again; false on
// time-out.
bool Settled(HWND window, DWORD timeoutMs = 10000);

// Waits until a window has gone; false on time-out.
bool WaitForGone(HWND window, DWORD timeoutMs = 10000);

// A user's click on a button (posted: the click may open a modal box). A
// control that is missing, greyed or hidden gets a few seconds to come (a
// dialog creates its controls after its own window is shown); then the
// robot fails, naming the control and the window.
void Click(HWND page, int controlId);

// Whether a user could click the control now: there, enabled and visible.
bool Clickable(HWND page, int controlId);

// A key pressed while the page has the keyboard (posted to the page).
void PressKey(HWND page, WPARAM virtualKey);

// The control of the page's thread that has the keyboard focus; null when
// none has it.
HWND FocusedControl(HWND page);

// A key as a keyboard delivers it: to the control that has the focus (the
// page when none has), where the page's dialog manager reads it. With alt,
// key is a letter pressed with Alt: a mnemonic.
void Type(HWND page, WPARAM key, bool alt = false);

// Waits up to timeoutMs until done() holds; false on time-out.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

std::string ControlText(HWND page, int controlId);
std::string WindowText(HWND window);

// Runs a robot's work on a thread of its own; join() waits for it.
class Robot {
public:
    explicit Robot(std::function<void()> work);
    ~Robot() { join(); }
    Robot(const Robot&) = delete;
    Robot& operator=(const Robot&) = delete;
    void join();

private:
    static DWORD WINAPI Run(void* self);
    std::function<void()> work_;
    HANDLE thread_ = nullptr;
};

// A window of the calling thread that refuses the end of the session: a
// restart that the program asks for shows here, and the session (this Wine
// prefix, the test) lives on. One at a time.
class RestartRefusal {
public:
    RestartRefusal();
    ~RestartRefusal();
    RestartRefusal(const RestartRefusal&) = delete;
    RestartRefusal& operator=(const RestartRefusal&) = delete;
    bool requested() const;
    void reset();

private:
    HWND window_ = nullptr;
};

// How a driven program ended: with an exit code, ended by the robot when
// it ran past its limit, or never started (code: the system's error).
// Tests compare it with EndedWith(code), so that a failure names which.
struct DrivenEnd {
    enum How { Ended, TimedOut, NotStarted } how = Ended;
    DWORD code = 0;
    bool operator==(const DrivenEnd& other) const { return how == other.how && code == other.code; }
    bool operator!=(const DrivenEnd& other) const { return !(*this == other); }
    // "ended with code 0", "ran past its limit of 90000 ms", "could not start (error 2)".
    std::string text() const;
};
inline DrivenEnd EndedWith(DWORD code)
{
    return {DrivenEnd::Ended, code};
}
std::ostream& operator<<(std::ostream& out, const DrivenEnd& end);

// Starts a program (an end-to-end test's SETUP.EXE or UNINSTAL.EXE), lets
// the robot do its work, and waits for the program's end while this thread
// answers the system's messages, the end-of-session query of a restart among
// them. The platform asks for a restart from a process that the program
// starts (wineboot), so that process is awaited too: once it has ended, no
// request can come any more. A program still running after limitMs is
// ended. A start that fails is tried again a few times (a busy machine may
// refuse one for a moment).
DrivenEnd RunDriven(std::string command, const std::function<void()>& robotWork, DWORD limitMs = 90000);

// Whether the program that RunDriven started still runs: a robot whose work
// follows the program as long as it lasts stops when this turns false.
bool DrivenProgramRunning();

// Ends the program that RunDriven started, if one runs: a robot that cannot
// go on ends it with itself, or it would wait in its box for ever.
void EndDrivenProgram();

#endif
