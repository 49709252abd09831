#include "platform/notices.h"

#include "platform/textos.h"

namespace platform {

void informationNotice(Ui& ui, std::string_view text) {
  ui.messageBox(text, textos::kTituloInformacion, MessageIcon::Information, MessageButtons::Ok);
}

void errorReport(Ui& ui, const RunError& error) {
  ui.messageBox(error.description, errorTitle(error.number), MessageIcon::None,
                MessageButtons::Ok);
}

std::string errorTitle(int number) {
  return std::string(textos::kTituloError) + (number >= 0 ? " " : "") + std::to_string(number);
}

}  // namespace platform
