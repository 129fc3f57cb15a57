#pragma once
// The file list's masks: the one shown at start, and the one each tab sets when the user picks
// it on the tab strip. The masks of the format tabs come from the registry.
#include <QString>
#include <optional>

namespace pixtrel {

inline const QString kStartMask = QStringLiteral("*.jpg;*.bmp;*.gif");

// The mask for the tab at index, or nothing for a tab that leaves the mask as it is.
std::optional<QString> MaskForTab(int index);

}  // namespace pixtrel
