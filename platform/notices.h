// The two kinds of message box the procedures show.
#pragma once

#include <string>
#include <string_view>

#include "platform/run_status.h"
#include "platform/ui.h"

namespace platform {

// Information notice: the information icon, one OK button, "Información".
void informationNotice(Ui& ui, std::string_view text);

// Error report: no icon, one OK button; the error's description under the
// title errorTitle(number).
void errorReport(Ui& ui, const RunError& error);

// "Error = " and the number as Windows' number-to-text conversion writes it:
// a blank stands where the sign of a number that is not negative would be
// ("Error =  3049", "Error = -5").
std::string errorTitle(int number);

}  // namespace platform
