#include "common/ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace rinoza {

namespace {

// Texts that Qt shows in its own dialogs but whose Japanese its catalogue lacks (the type column of
// the folder picker).
struct OwnText {
    const char* context;
    const char* source;
    const char* japanese;
};

constexpr OwnText kOwnTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "フォルダー"},   {"QAbstractFileIconProvider", "File", "ファイル"},
    {"QAbstractFileIconProvider", "%1 File", "%1 ファイル"}, {"QAbstractFileIconProvider", "Drive", "ドライブ"},
    {"QAbstractFileIconProvider", "Unknown", "不明"},
};

class OwnTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (!context || !source)
            return {};
        for (const OwnText& t : kOwnTexts)
            if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, source) == 0)
                return QString::fromUtf8(t.japanese);
        return {};
    }

    bool isEmpty() const override { return false; }
};

} // namespace

QString qtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool installJapaneseTranslations(QCoreApplication& app) {
    // The last translator installed is asked first.
    QCoreApplication::installTranslator(new OwnTranslator(&app));
    auto* qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_ja.qm"), qtTranslationsFolder())) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}

} // namespace rinoza
