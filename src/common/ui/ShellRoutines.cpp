#include "common/ui/ShellRoutines.h"

#include "common/TextCodec.h"
#include "common/ui/DesktopOpener.h"
#include "common/ui/LocalFileUrl.h"
#include "common/ui/UserPrompts.h"

#include <QUrl>

namespace rinoza {

namespace {

QString shown(const std::string& path) {
    return QString::fromUtf8(displayText(path));
}

// At most this many names are listed in one message; the rest are counted.
constexpr std::size_t kListedNames = 20;

} // namespace

bool ShellOpen(FileSystem& fs, const std::string& path, QWidget* /*owner*/, const QString& /*parameters*/) {
    FileInfo info;
    if (path.empty() || fs.stat(path, info) != 0) {
        BeepMessageDlg(shown(path) + QStringLiteral("\nが存在しません。"), MsgType::Warning, MsgButtons::Ok);
        return false;
    }
    // The URL carries the name's own bytes, so a name that is not UTF-8 still opens.
    if (!prompts().openUrl(localFileUrl(path).toString(QUrl::FullyEncoded))) {
        BeepMessageDlg(noApplicationText(), MsgType::Warning, MsgButtons::Ok);
        return false;
    }
    return true;
}

void ShellDeleteFiles(FileSystem& fs, const std::vector<std::string>& paths, bool permanent, bool confirm) {
    if (paths.empty())
        return;
    if (confirm) {
        QString question;
        if (paths.size() == 1)
            question = permanent ? QStringLiteral("「%1」を完全に削除しますか？")
                                 : QStringLiteral("「%1」をごみ箱へ移動しますか？");
        else
            question = permanent ? QStringLiteral("%1 個のファイルを完全に削除しますか？")
                                 : QStringLiteral("%1 個のファイルをごみ箱へ移動しますか？");
        question = paths.size() == 1 ? question.arg(shown(paths.front())) : question.arg(paths.size());
        if (BeepMessageDlg(question, MsgType::Confirmation, MsgButtons::YesNo) != mrYes)
            return;
    }
    std::vector<std::string> stayed;
    for (const auto& p : paths) {
        const int rc = permanent ? fs.removeFile(p) : fs.moveToTrash(p).error;
        if (rc != 0)
            stayed.push_back(p);
    }
    if (stayed.empty())
        return;
    QString text = permanent ? QStringLiteral("次のファイルを削除できませんでした。")
                             : QStringLiteral("次のファイルをごみ箱へ移動できませんでした。");
    for (std::size_t i = 0; i < stayed.size() && i < kListedNames; ++i)
        text += QLatin1Char('\n') + shown(stayed[i]);
    if (stayed.size() > kListedNames)
        text += QStringLiteral("\nほか %1 個").arg(stayed.size() - kListedNames);
    BeepMessageDlg(text, MsgType::Warning, MsgButtons::Ok);
}

} // namespace rinoza
