#pragma once

// The HTML manual the help commands open in the desktop's browser.

#include <QString>

namespace rinoza {

// The manual beside the executable (also one folder up, for the build tree), else the installed one.
QString manualFile();
// The same for an executable in exeDir: exeDir/docs/, exeDir/../docs/, exeDir/../share/doc/rinoza/,
// then /usr/share/doc/rinoza/; the first candidate when none exists.
QString manualFileFor(const QString& exeDir);

// The manual at an anchor ("context-11", "topics"), or at its start when the anchor is empty.
QString manualUrl(const QString& anchor = {});

// Opens the manual at the anchor. A missing manual says "<file>\nが存在しません。"; a manual that
// no application could open says "関連付けされたアプリケーションがありません。". False in both cases.
bool openManual(const QString& anchor = {});

// The anchor of a help context number: "context-<n>".
QString manualContext(int context);

} // namespace rinoza
