#pragma once

// Hands files, folders and addresses to the desktop's opener (xdg-open), which starts the application
// the user chose for them, and sees how it ends without making the window wait: an opener that fails
// (xdg-open ends with 3 when no application is associated, with 4 when the application failed) gives
// the program's warning once it has ended.

#include <QString>

namespace rinoza {

// "関連付けされたアプリケーションがありません。"
QString noApplicationText();

// The form of `url` the desktop's openers take. A file URL whose path is not UTF-8 becomes the URL of a
// symbolic link to that path, named by the name's display text, in a private folder of its own: the
// generic xdg-open reads paths as text of the locale and gives up on other bytes. Every other URL is
// given back unchanged. "" when the link cannot be made.
QString openableUrl(const QString& url);

// Starts the opener for `url` (in openableUrl's form) and returns without waiting for it to end; false
// when no opener could be started. An opener that ends with a non-zero status shows noApplicationText()
// as a warning. Openers still running when the program quits are left running.
bool openWithDesktop(const QString& url);

// Whether an opener this program started has not ended yet.
bool desktopOpenersRunning();

} // namespace rinoza
