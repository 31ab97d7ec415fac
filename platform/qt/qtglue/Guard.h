#pragma once
// No exception crosses Qt's event loop: every slot and event handler of ours
// runs its body through Guarded, which shows a failure the way the class
// library's default handler did (error box captioned with the application
// title) and lets the program go on. EAbort passes silently.
#include <functional>

namespace platform {

// Runs body; returns false when it raised.
bool Guarded(const std::function<void()>& body);

// Shows the message of the exception being handled (call inside a catch).
void ShowCurrentException();

}  // namespace platform
