#include "common/ui/DesktopOpener.h"

#include "common/TextCodec.h"
#include "common/ui/LocalFileUrl.h"
#include "common/ui/UserPrompts.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>
#include <unistd.h>

namespace rinoza {

namespace {

// How long the opener may take to start before it counts as missing.
constexpr int kStartMs = 10000;

// The openers that have not ended, as children of one object that lives as long as the application.
QObject* runningOpeners() {
    static QPointer<QObject> holder;
    if (!holder && QCoreApplication::instance()) {
        holder = new QObject(QCoreApplication::instance());
        // On a desktop without a launcher of its own, xdg-open runs as long as the application it
        // started; quitting the program leaves both running instead of killing the opener.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, holder, [] {
            for (QProcess* p : holder->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
                p->disconnect();
                p->setParent(nullptr);
            }
        });
    }
    return holder;
}

// Makes a new private folder in the user's runtime folder ($XDG_RUNTIME_DIR, else $TMPDIR, else /tmp)
// holding one symbolic link called `name` that leads to `target`, and returns the link's path; "" when
// it cannot be made or `name` is no single name. Nothing removes the folder: the runtime folder is
// emptied when the user's session ends.
std::string makeLinkInPrivateFolder(const std::string& target, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return "";
    std::string base;
    for (const char* var : {"XDG_RUNTIME_DIR", "TMPDIR"})
        if (const char* v = std::getenv(var); base.empty() && v && v[0] == '/')
            base = v;
    if (base.empty())
        base = "/tmp";
    // mkdtemp makes the folder with mode 0700.
    std::string folder = joinPath(base, "rinoza-open-XXXXXX");
    if (!::mkdtemp(folder.data()))
        return "";
    const std::string link = joinPath(folder, name);
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        ::rmdir(folder.c_str());
        return "";
    }
    return link;
}

} // namespace

QString noApplicationText() {
    return QStringLiteral("関連付けされたアプリケーションがありません。");
}

QString openableUrl(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || !u.isLocalFile())
        return url;
    const QByteArray path = QByteArray::fromPercentEncoding(u.path(QUrl::FullyEncoded).toLatin1());
    const std::string bytes(path.constData(), static_cast<std::size_t>(path.size()));
    if (isValidUtf8(bytes))
        return url;
    const std::string link = makeLinkInPrivateFolder(bytes, displayText(baseNameOf(bytes)));
    if (link.empty())
        return QString();
    QUrl handed = localFileUrl(link);
    if (u.hasFragment())
        handed.setFragment(u.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return handed.toString(QUrl::FullyEncoded);
}

bool openWithDesktop(const QString& url) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    QObject* holder = runningOpeners();
    if (opener.isEmpty() || !holder)
        return false;
    const QString handed = openableUrl(url);
    if (handed.isEmpty())
        return false;
    auto* process = new QProcess(holder);
    process->setProgram(opener);
    process->setArguments({handed});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, [process](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        // A signal (the session ending, say) is no answer about the file.
        if (status == QProcess::NormalExit && code != 0)
            BeepMessageDlg(noApplicationText(), MsgType::Warning, MsgButtons::Ok);
    });
    process->start();
    if (!process->waitForStarted(kStartMs)) {
        delete process;
        return false;
    }
    return true;
}

bool desktopOpenersRunning() {
    QObject* holder = runningOpeners();
    if (!holder)
        return false;
    for (const QProcess* p : holder->findChildren<QProcess*>(Qt::FindDirectChildrenOnly))
        if (p->state() != QProcess::NotRunning)
            return true;
    return false;
}

} // namespace rinoza
