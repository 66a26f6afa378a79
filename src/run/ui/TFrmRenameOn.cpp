#include "run/ui/TFrmRenameOn.h"

#include "common/ui/UserPrompts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace rinoza {

namespace {
constexpr int kDesignedWidth = 409;
constexpr int kDesignedHeight = 61;
} // namespace

TFrmRenameOn::TFrmRenameOn(bool& cancelRequested, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_cancelRequested(cancelRequested) {
    setObjectName(QStringLiteral("FrmRenameOn"));
    setWindowTitle(QStringLiteral("Rinoza [変名中]"));
    setModal(false);

    m_prb = new QProgressBar(this);
    m_prb->setObjectName(QStringLiteral("prb"));
    m_prb->setRange(0, 100);
    m_prb->setValue(0);

    m_btnCancel = new QPushButton(QStringLiteral("中止..."), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setAutoDefault(false);
    connect(m_btnCancel, &QPushButton::clicked, this, &TFrmRenameOn::btnCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_prb);
    layout->addLayout(buttons);

    // The designed size, grown only where the desktop's font needs more room.
    const QSize hint = sizeHint();
    setFixedSize(std::max(kDesignedWidth, hint.width()), std::max(kDesignedHeight, hint.height()));
}

void TFrmRenameOn::closeWithoutQuestion() {
    m_closingByOwner = true;
    close();
}

void TFrmRenameOn::btnCancelClick() {
    // Closing the question without a button counts as a confirmed stop; only No keeps going.
    if (BeepMessageDlg(QStringLiteral("処理を中止しますか？"), MsgType::Warning, MsgButtons::YesNo) != mrNo)
        m_cancelRequested = true;
}

void TFrmRenameOn::reject() {
    m_btnCancel->click();
}

void TFrmRenameOn::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FrmRenameOnActivate();
}

bool TFrmRenameOn::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FrmRenameOnActivate();
    return QDialog::event(e);
}

void TFrmRenameOn::closeEvent(QCloseEvent* e) {
    if (m_closingByOwner) {
        e->accept();
        return;
    }
    btnCancelClick();
    if (m_cancelRequested)
        e->accept(); // hidden; the operation ends at its next item
    else
        e->ignore();
}

void TFrmRenameOn::FrmRenameOnActivate() {
    // Centred on the screen, not on the main window.
    QScreen* s = screen();
    if (s == nullptr)
        s = QGuiApplication::primaryScreen();
    if (s == nullptr)
        return;
    const QRect g = s->geometry();
    move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
}

} // namespace rinoza
