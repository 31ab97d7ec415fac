#include "installer/baseform/ModalForm.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QVariant>
#include <algorithm>
#include <vector>

#include "installer/base/services/AppServices.h"
#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Guard.h"
#include "platform/qt/qtglue/Messenger.h"

namespace installer {

namespace {
// The forms of ours that run modally now, innermost last.
std::vector<TModalForm*>& ModalRuns() {
    static std::vector<TModalForm*> runs;
    return runs;
}
}  // namespace

class ModalRun {
public:
    explicit ModalRun(TModalForm& form) : form_(form) {
        ModalRuns().push_back(&form);
        form_.runningModal_ = true;
    }
    ~ModalRun() {
        form_.runningModal_ = false;
        auto& runs = ModalRuns();
        runs.erase(std::remove(runs.begin(), runs.end(), &form_), runs.end());
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

private:
    TModalForm& form_;
};

TModalForm::TModalForm(QWidget* parent) : QDialog(parent) {}

void TModalForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result == 0 || !runningModal_) return;
    if (!CloseAllowed(result)) {
        modalResult_ = 0;
        return;
    }
    EndRun(result);
}

void TModalForm::EndRun(int result) {
    closing_ = true;
    QDialog::done(result);
    closing_ = false;
}

bool TModalForm::CloseAllowed(int) { return true; }

int TModalForm::ShowModal() {
    modalResult_ = 0;
    pending_ = nullptr;
    {
        ModalRun run(*this);
        exec();
    }
    if (pending_) {
        std::exception_ptr e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }
    // The loop ended some other way (the application is ending).
    if (modalResult_ == 0) modalResult_ = platform::mrCancel;
    return modalResult_;
}

void TModalForm::CloseForm() {
    closing_ = true;
    hide();
    closing_ = false;
}

void TModalForm::CancelRequested() {
    if (cancelButton_ && cancelButton_->isVisible() && cancelButton_->isEnabled()) cancelButton_->click();
}

void TModalForm::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    RunHandler([this] { CloseRequested(); });
}

void TModalForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && focused && focused->isVisible() && focused->isEnabled()) {
        focused->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TModalForm::reject() {
    RunHandler([this] { CancelRequested(); });
}

void TModalForm::ConnectClick(QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this, [this, button, handler = std::move(handler)] {
        RunHandler([&] {
            if (handler) handler();
            if (const int result = ButtonModalResult(button)) SetModalResult(result);
        });
    });
}

void TModalForm::SetButtonModalResult(QAbstractButton* button, int result) {
    button->setProperty("modalResult", result);
}

int TModalForm::ButtonModalResult(const QAbstractButton* button) {
    const QVariant v = button->property("modalResult");
    return v.isValid() ? v.toInt() : 0;
}

TModalForm* TModalForm::InnermostModal() { return ModalRuns().empty() ? nullptr : ModalRuns().back(); }

void TModalForm::RunHandler(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::EAbort&) {
        // A silent abort ends the handler without a word, as it was meant to.
    } catch (...) {
        TModalForm* innermost = InnermostModal();
        if (!innermost) {
            platform::ShowCurrentException();
            return;
        }
        if (!innermost->pending_) innermost->pending_ = std::current_exception();
        innermost->EndRun(platform::mrAbort);
    }
}

void ProcessPendingMessages() { Services().ProcessMessages(); }

}  // namespace installer
