#include "common/ui/AccessibleNames.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace rinoza {

namespace {

struct Named {
    const char* objectName;
    const char* name;
};

constexpr Named kNames[] = {
    {"lvFile", "ファイルリスト"},
    {"edtReiBefore", "例 変名前の名前"},
    {"edtReiAfter", "例 変名後の名前"},
    {"lvChg", "変名の要素"},
    {"bbtnUp", "選択した要素を上へ"},
    {"bbtnDown", "選択した要素を下へ"},
    {"edtKotei1", "1) 固定文字１"},
    {"udMotoFS", "2) 元ファイル名 開始位置"},
    {"udMotoFE", "2) 元ファイル名 終了位置"},
    {"edtKotei2", "3) 固定文字２"},
    {"cbRenKeta", "4) 連番の桁数"},
    {"udRenStart", "連番 開始数"},
    {"udRenAdd", "連番 増分"},
    {"edtKoteiK", "7) 拡張子"},
    {"cbDateTime", "8) 日付/時間"},
    {"edtDateK", "区切り 日付"},
    {"edtTimeK", "区切り 時間"},
    {"cbCase", "大文字/小文字"},
    {"edtChgB", "9) 文字置換え 置換前"},
    {"edtChgA", "9) 文字置換え 置換後"},
    {"edtLVMax", "リスト最大表示数"},
};

// The date fields of the timestamp tab: cbCrtY ... cbUpdN.
QString dateFieldName(const QString& objectName) {
    static const QRegularExpression re(QStringLiteral("^cb(Crt|Upd)([YMDHN])$"));
    const QRegularExpressionMatch m = re.match(objectName);
    if (!m.hasMatch())
        return {};
    const QString time =
        m.captured(1) == QLatin1String("Crt") ? QStringLiteral("作成日時") : QStringLiteral("更新日時");
    static const QString units = QStringLiteral("年月日時分");
    const int i = QStringLiteral("YMDHN").indexOf(m.captured(2));
    return time + QLatin1Char(' ') + units.at(i);
}

// A caption without its access key: "名前(&N)" says "名前", "&OK" says "OK".
QString spoken(QString caption) {
    static const QRegularExpression key(QStringLiteral("\\(&.\\)"));
    caption.remove(key);
    caption.remove(QLatin1Char('&'));
    return caption.trimmed();
}

void namePopupList(QComboBox* combo, QAbstractItemView* view) {
    if (view->accessibleName().isEmpty())
        view->setAccessibleName(combo->accessibleName());
}

// A drop-down list makes its popup list when it first needs it; asking for it earlier would make all
// of them at start-up. The list is named when its popup is made ready to show.
class PopupListNamer final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ChildPolished)
            if (auto* combo = qobject_cast<QComboBox*>(watched))
                if (auto* view = combo->findChild<QAbstractItemView*>()) {
                    namePopupList(combo, view);
                    combo->removeEventFilter(this);
                }
        return QObject::eventFilter(watched, event);
    }
};

void nameInnerField(QWidget* w) {
    QLineEdit* inner = nullptr;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        inner = combo->lineEdit();
        if (auto* view = combo->findChild<QAbstractItemView*>()) {
            namePopupList(combo, view);
        } else {
            static PopupListNamer* namer = new PopupListNamer(qApp);
            combo->installEventFilter(namer);
        }
    } else if (qobject_cast<QAbstractSpinBox*>(w))
        inner = w->findChild<QLineEdit*>();
    if (inner && inner->accessibleName().isEmpty())
        inner->setAccessibleName(w->accessibleName());
}

} // namespace

void applyAccessibleNames(QWidget* root) {
    // A drop-down list says its value as its name; its label is told by the labelled-by relation,
    // which a label's buddy gives. A list without one takes the label named after it (cbCase: lblCase).
    for (QComboBox* combo : root->findChildren<QComboBox*>()) {
        QString stem = combo->objectName();
        stem.remove(QRegularExpression(QStringLiteral("^(cmb|cb)")));
        bool hasLabel = false;
        for (QLabel* label : root->findChildren<QLabel*>())
            hasLabel = hasLabel || label->buddy() == combo;
        if (stem.isEmpty() || hasLabel)
            continue;
        if (auto* label = root->findChild<QLabel*>(QStringLiteral("lbl") + stem)) {
            label->setBuddy(combo);
            const QString date = dateFieldName(combo->objectName());
            if (!date.isEmpty() && label->accessibleName().isEmpty())
                label->setAccessibleName(date);
        }
    }
    for (QLabel* label : root->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        const QString name = label->accessibleName().isEmpty() ? spoken(label->text()) : label->accessibleName();
        if (buddy && buddy->accessibleName().isEmpty() && !name.isEmpty())
            buddy->setAccessibleName(name);
    }
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (w->accessibleName().isEmpty()) {
            const QString object = w->objectName();
            for (const Named& n : kNames)
                if (object == QLatin1String(n.objectName))
                    w->setAccessibleName(QString::fromUtf8(n.name));
            if (w->accessibleName().isEmpty())
                w->setAccessibleName(dateFieldName(object));
        }
        if (!w->accessibleName().isEmpty())
            nameInnerField(w);
    }
}

} // namespace rinoza
