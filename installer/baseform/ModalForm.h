#pragma once
// A dialog window with the class library's modal results.
//
// Setting a non-zero ModalResult on a form that runs modally ends
// ShowModal unless CloseAllowed refuses; on a modeless form it is only
// stored and the form stays shown. Closes that the program did not ask for
// (title bar, window manager) and Esc go through the form's cancel button,
// or are refused when there is none. Enter presses the focused button, as
// in a Windows dialog; the default button only when no button has focus.
//
// Exceptions never unwind through Qt: every handler of ours runs through
// RunHandler, which keeps the exception, ends the innermost modal run of
// ours and lets ShowModal raise it again once exec() has returned. EAbort
// passes silently; without a modal run the error is shown.
#include <QDialog>
#include <exception>
#include <functional>

class QAbstractButton;

namespace installer {

class TModalForm : public QDialog {
    Q_OBJECT
public:
    explicit TModalForm(QWidget* parent);

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    // Runs the form modally; the modal result (mrCancel when the loop ended
    // otherwise). An exception kept by a handler is raised again here.
    int ShowModal();
    bool IsRunningModal() const { return runningModal_; }
    // Hides the form on the program's behalf (Close of a modeless form).
    void CloseForm();

    // The button that Esc and unrequested closes press.
    void SetCancelButton(QAbstractButton* button) { cancelButton_ = button; }
    QAbstractButton* CancelButton() const { return cancelButton_; }
    // Connects a button's click to a handler run through RunHandler; after
    // the handler, the button's modal result (SetButtonModalResult) is set
    // on the form, as the class library's buttons do.
    void ConnectClick(QAbstractButton* button, std::function<void()> handler);
    static void SetButtonModalResult(QAbstractButton* button, int result);
    static int ButtonModalResult(const QAbstractButton* button);

    // Runs a handler body at a Qt boundary (see above).
    static void RunHandler(const std::function<void()>& body);
    // The innermost form of ours that runs modally, or nullptr.
    static TModalForm* InnermostModal();

protected:
    // Whether a modal run may end with this result; the wizard frame refuses some.
    virtual bool CloseAllowed(int result);
    // Esc and unrequested closes: press the cancel button when it can be
    // pressed, else nothing.
    virtual void CancelRequested();
    // A close the program did not ask for (title bar, window manager):
    // CancelRequested unless a form refuses it outright.
    virtual void CloseRequested() { CancelRequested(); }
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    friend class ModalRun;
    void EndRun(int result);
    QAbstractButton* cancelButton_ = nullptr;
    int modalResult_ = 0;
    bool runningModal_ = false;
    bool closing_ = false;  // a close the program asked for
    std::exception_ptr pending_;
};

// Lets pending window messages run (repaints, clicks), through the
// application services.
void ProcessPendingMessages();

}  // namespace installer
