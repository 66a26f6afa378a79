#include "common/ui/Manual.h"

#include "common/ui/DesktopOpener.h"
#include "common/ui/UserPrompts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace rinoza {

QString manualFile() { return manualFileFor(QCoreApplication::applicationDirPath()); }

QString manualFileFor(const QString& exeDir) {
    const QString candidates[] = {exeDir + QStringLiteral("/docs/manual.html"),
                                  exeDir + QStringLiteral("/../docs/manual.html"),
                                  exeDir + QStringLiteral("/../share/doc/rinoza/manual.html"),
                                  QStringLiteral("/usr/share/doc/rinoza/manual.html")};
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            return QFileInfo(c).canonicalFilePath();
    return QFileInfo(candidates[0]).absoluteFilePath();
}

QString manualUrl(const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(manualFile());
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url.toString(QUrl::FullyEncoded);
}

QString manualContext(int context) { return QStringLiteral("context-") + QString::number(context); }

bool openManual(const QString& anchor) {
    const QString file = manualFile();
    if (!QFileInfo::exists(file)) {
        BeepMessageDlg(file + QStringLiteral("\nが存在しません。"), MsgType::Warning, MsgButtons::Ok);
        return false;
    }
    if (!prompts().openUrl(manualUrl(anchor))) {
        BeepMessageDlg(noApplicationText(), MsgType::Warning, MsgButtons::Ok);
        return false;
    }
    return true;
}

} // namespace rinoza
