#pragma once
// Help and web links: handed to the desktop's default handler, their outcome never checked.
#include <QString>
#include <QUrl>
#include <functional>

namespace pixtrel {

// Opens an address; the result tells whether a handler took it.
using UrlOpener = std::function<bool(const QUrl&)>;

// Replaces the desktop's default handler (tests record the addresses instead of opening them);
// an empty opener brings the default handler back.
void SetUrlOpener(UrlOpener opener);

// Hands the web address to the handler. Nothing is reported, whatever happens.
void OpenWebAddress(const QString& address);

// Opens a folder in the desktop's file manager. Nothing is reported, whatever happens.
void OpenLocalFolder(const QString& folder);

// The local help page "help.htm": beside the program, or for an installed program in
// ../share/pixtrel beside its bin folder. Empty when neither exists.
QString FindLocalHelp(const QString& programFolder);

// Opens the local help page of this program with its default handler. Without one, nothing
// happens and nothing is reported.
void OpenLocalHelp();

}  // namespace pixtrel
