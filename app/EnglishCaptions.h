#pragma once
// Captions the translation table has no texts for: the tab and the options that came with the
// newer formats. They read in English in every language; the format names come from the format
// table. Kept together so a translation can take them over in one place.
#include <QString>

namespace pixtrel {

inline const QString kConvertToCaption = QStringLiteral("Convert to\u2026");
inline const QString kConvertToFormatLabel = QStringLiteral("Format:");
inline const QString kShrinkOnlyCaption = QStringLiteral("Make pictures smaller but not larger");
inline const QString kShrinkOnlyTip =
    QStringLiteral("A picture already as small as the Pixels: box asks is copied unchanged");
inline const QString kIgnoreOrientationCaption =
    QStringLiteral("Ignore the orientation of photos (leave them as stored)");
inline const QString kIgnoreOrientationTip =
    QStringLiteral("Photos are not turned upright by the orientation their camera recorded");
inline const QString kMetadataLabel = QStringLiteral("Metadata (EXIF, XMP, colour profile):");
inline const QString kMetadataKeepCaption = QStringLiteral("Keep");
inline const QString kMetadataStripCaption = QStringLiteral("Remove all");
inline const QString kMetadataStripGpsCaption = QStringLiteral("Remove GPS and location only");

}  // namespace pixtrel
