// Text between the engine's UTF-8 and Qt's QString, for the Qt adapters and
// the Qt view.
#pragma once

#include <string_view>

#include <QtCore/QString>

namespace platform {

// `s`, UTF-8, as a QString.
inline QString qs(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace platform
