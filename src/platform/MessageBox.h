// Simple message boxes. Headless runs and tests turn them into log lines.
#pragma once

#include <string>

namespace platform
{

// Shows a modal box with an OK button, or logs "MessageBox: title: text"
// when boxes are switched off or the window system cannot show one.
void ShowMessageBox(const std::string& title, const std::string& text);
// Switches boxes off (true) or on; off also when ORVELLE_NO_MESSAGEBOX is set.
void SetMessageBoxesToLog(bool toLog);

}  // namespace platform
