#include "settings/StoredInteger.h"

#include <QString>

#include "core/IntegerText.h"

namespace pixtrel {

std::optional<int> ParseStoredInteger(QStringView text) {
  // Characters beyond ASCII become bytes of 0x80 and above, which no syntax accepts.
  const QByteArray bytes = text.toUtf8();
  return ParseInteger(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      kStoredIntegers);
}

}  // namespace pixtrel
