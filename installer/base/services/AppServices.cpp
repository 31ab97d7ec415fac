#include "installer/base/services/AppServices.h"

#include "platform/qt/qtglue/EventLoop.h"
#include "platform/qt/qtglue/Messenger.h"

namespace installer {
namespace {

// Used while no application installed its own services.
class FallbackAppServices : public AppServices {
public:
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override {
        return platform::ShowMessage(text, icon, buttons);
    }
    bool PromptForDisk(const std::string& text) override {
        return platform::ShowMessage(text, platform::MsgIcon::Information, platform::mbOKCancel) == platform::mrOk;
    }
    void BeginBusy() override {}
    void EndBusy() override {}
    void ProcessMessages() override { platform::ProcessPendingEvents(); }
    void Terminate() override {
        terminated_ = true;
        platform::QuitEventLoop();
    }
    bool Terminated() const override { return terminated_; }
    bool StartProgram(const std::string&, const std::vector<std::string>&, ShowCommand) override { return false; }

private:
    bool terminated_ = false;
};

AppServices* g_installed = nullptr;

}  // namespace

AppServices& AppServices::Current() {
    static FallbackAppServices fallback;
    return g_installed ? *g_installed : fallback;
}

void AppServices::Install(AppServices* services) { g_installed = services; }

void AppServices::ShowException(const std::exception& e) {
    ShowMessage(e.what(), platform::MsgIcon::Error, platform::mbOK);
}

// ---------------------------------------------------------------- recording

RecordingAppServices::RecordingAppServices() : previous_(g_installed) { Install(this); }

RecordingAppServices::~RecordingAppServices() {
    if (g_installed == this) Install(previous_);
}

int RecordingAppServices::Answer(int buttons) {
    if (!Answers.empty()) {
        int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    using namespace platform;
    if (buttons & mbOK) return mrOk;
    if (buttons & mbYes) return mrYes;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbAbort) return mrAbort;
    if (buttons & mbRetry) return mrRetry;
    if (buttons & mbIgnore) return mrIgnore;
    if (buttons & mbCancel) return mrCancel;
    return mrOk;
}

int RecordingAppServices::ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) {
    Boxes.push_back({text, icon, buttons});
    Trace.push_back("box: " + text);
    return Answer(buttons);
}

bool RecordingAppServices::PromptForDisk(const std::string& text) {
    Boxes.push_back({text, platform::MsgIcon::Information, platform::mbOKCancel});
    Trace.push_back("disk: " + text);
    return Answer(platform::mbOKCancel) == platform::mrOk;
}

void RecordingAppServices::BeginBusy() {
    if (BusyDepth++ == 0) Trace.push_back("busy");
}

void RecordingAppServices::EndBusy() {
    if (BusyDepth > 0 && --BusyDepth == 0) Trace.push_back("idle");
}

void RecordingAppServices::ProcessMessages() {
    ++ProcessMessagesCalls;
    if (OnProcessMessages) OnProcessMessages();
}

void RecordingAppServices::Terminate() {
    terminated_ = true;
    Trace.push_back("terminate");
}

bool RecordingAppServices::StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                                        ShowCommand show) {
    std::string line = "start: " + program;
    for (const std::string& a : arguments) line += " " + a;
    line += show == ShowCommand::Hide ? "|hide" : "|show";
    Trace.push_back(line);
    return StartSucceeds;
}

}  // namespace installer
