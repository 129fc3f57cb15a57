#pragma once
// What the status bar tells of the focused file: its pixel size, read from the header only, and
// its file size, in the words of the language shown.
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace pixtrel {

// The picture's size as its header gives it (stored, before any turn by its orientation);
// nothing for a file that cannot be read or is of no format Pixtrel reads. Reads at most the
// first 256 KiB.
std::optional<QSize> HeaderPictureSize(const QString& path);

// "NAME: W × H pixels, 1.2 MB" (the parts the language's texts give, by offset); without a
// size, "NAME: 1.2 MB". decimalPoint separates the tenths of KB and MB.
QString FileInfoText(const QString& name, std::optional<QSize> pixels, qint64 bytes,
                     const std::function<QString(int)>& text, QChar decimalPoint);

}  // namespace pixtrel
