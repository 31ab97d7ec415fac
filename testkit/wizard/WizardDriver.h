#pragma once
// Drives the modal forms of the wizard from inside the test: actions are
// queued and each runs, one per timer tick, on the innermost modal form of
// ours once it has been shown and settled (never inside its show event).
// A watchdog fails the test and ends the modal run instead of hanging when
// a modal form waits with nothing queued for too long.
#include <QImage>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <string>

class QWidget;

namespace installer {
class TCustomInstall;
class TModalForm;
}  // namespace installer

namespace setupwizard::testing {

class WizardDriver : public QObject {
    Q_OBJECT
public:
    explicit WizardDriver(int watchdogMs = 5000);
    ~WizardDriver() override;

    using Action = std::function<void(installer::TModalForm& form)>;
    // Any action on the form shown now.
    WizardDriver& Then(Action action);
    // Clicks the visible, enabled button of that object name on the form.
    WizardDriver& Click(const std::string& objectName);
    // Sends a key press to the form's focus widget (or the form).
    WizardDriver& Key(int key);
    // Asks the window system to close the form (title-bar close).
    WizardDriver& Close();
    // Keeps a picture of the form under that name; written as <name>.png
    // into the directory VOREL_WIZARD_SHOTS names, when it is set.
    WizardDriver& Shot(const std::string& name);

    const std::map<std::string, QImage>& Shots() const { return shots_; }
    int Pending() const { return static_cast<int>(actions_.size()); }
    bool TimedOut() const { return timedOut_; }

private:
    void Tick();
    std::deque<Action> actions_;
    std::map<std::string, QImage> shots_;
    QTimer timer_;
    installer::TModalForm* seen_ = nullptr;
    int idleMs_ = 0;
    int watchdogMs_;
    bool timedOut_ = false;
};

// Answers the install's abort question (OnUserAbort) from the queue, in
// order; the test fails when it is asked more often. The count of
// questions asked so far is kept in *asked when given.
void AnswerAbortQuestions(installer::TCustomInstall& install, std::deque<bool> answers, int* asked = nullptr);

// The visible widget of that object name below root (the innermost match), or nullptr.
QWidget* FindVisible(QWidget* root, const std::string& objectName);

}  // namespace setupwizard::testing
