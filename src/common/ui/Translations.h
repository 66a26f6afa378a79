#pragma once

// Qt's own texts in Japanese: the folder picker, the text fields' context menus and the standard
// buttons come from Qt's Japanese catalogue; the few texts it has no Japanese for come from ours.

class QCoreApplication;
class QString;

namespace rinoza {

// Installs our catalogue, then Qt's qtbase_ja.qm from Qt's translations folder, so that Qt's wins
// wherever it has a text. Returns whether Qt's catalogue was found; without it only ours is used.
bool installJapaneseTranslations(QCoreApplication& app);

// The folder Qt's catalogue is read from.
QString qtTranslationsFolder();

} // namespace rinoza
