#include "common/ui/FileManager.h"

#include "common/ui/LocalFileUrl.h"
#include "common/ui/ShellRoutines.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QUrl>

namespace rinoza {

namespace {

// A file manager that is started on demand needs a moment; one that hangs must not leave the
// user waiting longer than this for the folder.
constexpr int kReplyTimeoutMs = 8000;

} // namespace

void ShowInFileManager(FileSystem& fs, const std::string& path, const std::string& folder) {
    FileInfo info;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (fs.stat(path, info, false) != 0 || !bus.isConnected()) {
        ShellOpen(fs, folder);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kFileManagerService), QString::fromLatin1(kFileManagerPath),
                                       QString::fromLatin1(kFileManagerService), QStringLiteral("ShowItems"));
    // The URI carries the name's own bytes; the second argument is the (unknown) start-up id.
    call << QStringList{localFileUrl(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kReplyTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [&fs, folder](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            ShellOpen(fs, folder);
    });
}

} // namespace rinoza
