#pragma once
// What the setup engine asks of the application around it: message boxes,
// the disk prompt, the busy cursor, letting pending window messages run,
// ending the program and starting a program. The setup program installs the
// Qt implementation; tests install a RecordingAppServices.
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/runtime/MessageKinds.h"

namespace installer {

enum class ShowCommand { Hide, Show };

class AppServices {
public:
    virtual ~AppServices() = default;

    // A message box captioned with the application title; the modal result.
    virtual int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) = 0;
    // Asks for the next disk with OK and Cancel; true for OK.
    virtual bool PromptForDisk(const std::string& text) = 0;
    // The hourglass: shown until the matching EndBusy. Nested calls count.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
    // Lets the user interface handle what is pending (a Cancel button may set an abort flag).
    virtual void ProcessMessages() = 0;
    // Ends the program: at once when the event loop runs, else as soon as it
    // would start, so a caller before the loop must check Terminated().
    virtual void Terminate() = 0;
    virtual bool Terminated() const = 0;
    // Starts a program (a Windows path of the system root) with its
    // arguments, never through a shell, without waiting. False when it could
    // not be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                              ShowCommand show) = 0;

    // Shows an exception the way the application's default handler does.
    void ShowException(const std::exception& e);

    // The services in use: the installed ones, else a fallback that shows
    // boxes through the messenger and starts nothing.
    static AppServices& Current();
    // Installs services (not owned); nullptr restores the fallback.
    static void Install(AppServices* services);
};

// Shorthand for AppServices::Current().
inline AppServices& Services() { return AppServices::Current(); }

// The hourglass for a scope.
class BusyCursor {
public:
    BusyCursor() { Services().BeginBusy(); }
    ~BusyCursor() { Services().EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Records every request in Trace and answers message boxes from a queue.
// Installs itself for its lifetime.
class RecordingAppServices : public AppServices {
public:
    RecordingAppServices();
    ~RecordingAppServices() override;

    struct Box {
        std::string text;
        platform::MsgIcon icon;
        int buttons;
    };
    std::vector<Box> Boxes;
    // One line per request: "box: <text>", "disk: <text>", "busy", "idle",
    // "terminate", "start: <program> <args>|hide" ... (processing of
    // pending messages is counted, not traced).
    std::vector<std::string> Trace;
    int ProcessMessagesCalls = 0;
    int BusyDepth = 0;
    // Answers in order; empty: the first button of the set (OK for the disk prompt).
    std::deque<int> Answers;
    // Runs on every ProcessMessages, as a user's click would.
    std::function<void()> OnProcessMessages;
    // Whether StartProgram reports success.
    bool StartSucceeds = true;

    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override;
    bool PromptForDisk(const std::string& text) override;
    void BeginBusy() override;
    void EndBusy() override;
    void ProcessMessages() override;
    void Terminate() override;
    bool Terminated() const override { return terminated_; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      ShowCommand show) override;

private:
    int Answer(int buttons);
    AppServices* previous_ = nullptr;
    bool terminated_ = false;
};

}  // namespace installer
