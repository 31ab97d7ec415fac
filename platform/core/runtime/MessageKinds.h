#pragma once
// The kinds of a message box: its icon, its buttons and the answers. Plain
// enums, so that layers that ask for a box (the install engine's services)
// name them without pulling in the widgets that show one (platform/qt/qtglue).

namespace platform {

enum class MsgIcon { None, Information, Warning, Error, Question };

// Buttons as a set of flags; answers as the class library's modal results.
enum MsgButtons : int {
    mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64,
    mbOKCancel = mbOK | mbCancel, mbYesNo = mbYes | mbNo, mbYesNoCancel = mbYes | mbNo | mbCancel,
    mbRetryCancel = mbRetry | mbCancel, mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore,
};
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

}  // namespace platform
