#include "about/ui/TAboutBox.h"

#include "about/Version.h"
#include "common/ui/UserPrompts.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace rinoza {

namespace {

constexpr int kFrameSize = 32;
constexpr int kImageSize = 41;
constexpr int kFirstFrameMs = 2000;
constexpr int kShortFrameMs = 10;

// A frame of the logo: a card of name lines on the program's blue. Frame 1 stands still; in frames
// 2 to 5 a highlight runs down the lines, as if they were renamed one after another.
QPixmap logoFrame(int frame) {
    QPixmap pm(kFrameSize, kFrameSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2B, 0x6C, 0xB0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(7, 4, 18, 24), 2, 2);
    for (int line = 0; line < 4; ++line) {
        const bool lit = frame >= 2 && line == frame - 2;
        p.setBrush(lit ? QColor(0xE0, 0x8A, 0x00) : QColor(0x9C, 0xB8, 0xD8));
        p.drawRect(QRectF(10, 8 + line * 5, lit ? 12 : 10, 2.5));
    }
    return pm;
}

QLabel* imageLabel(QWidget* parent, const char* name, const QString& accessibleName) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFixedSize(kImageSize, kImageSize);
    l->setAlignment(Qt::AlignCenter);
    l->setAccessibleName(accessibleName);
    return l;
}

QLineEdit* contactField(QWidget* parent, const char* name, const QString& text, const QString& accessibleName) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFrame(false);
    e->setAccessibleName(accessibleName);
    e->setCursor(Qt::PointingHandCursor);
    QFont f = e->font();
    f.setUnderline(true);
    e->setFont(f);
    // The palette's own link colour, readable on its window colour in light and dark themes.
    QPalette pal = e->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Text, pal.color(g, QPalette::Link));
        pal.setColor(g, QPalette::Base, pal.color(g, QPalette::Window));
    }
    e->setPalette(pal);
    e->setFocusPolicy(Qt::TabFocus);
    return e;
}

} // namespace

QString TAboutBox::homePage() {
    return QStringLiteral("https://rinoza.example.org");
}

QString TAboutBox::mailAddress() {
    return QStringLiteral("mailto:rinoza@example.org");
}

TAboutBox::TAboutBox(QWidget* mainWindow) : QDialog(mainWindow), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(false);

    VersionGroupBox = new QGroupBox(QStringLiteral("＜Version＞"), this);
    VersionGroupBox->setObjectName(QStringLiteral("VersionGroupBox"));
    QFont italic = VersionGroupBox->font();
    italic.setItalic(true);
    VersionGroupBox->setFont(italic);
    ProductIcon = imageLabel(VersionGroupBox, "ProductIcon", QStringLiteral("プログラムのアイコン"));
    QFont big = font();
    big.setPixelSize(19);
    ProductName = new QLabel(VersionGroupBox);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont bold = big;
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = new QLabel(VersionGroupBox);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setFont(big);
    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    auto* top = new QHBoxLayout(VersionGroupBox);
    top->addWidget(ProductIcon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(names, 1);

    MakerGroupBox = new QGroupBox(this);
    MakerGroupBox->setObjectName(QStringLiteral("MakerGroupBox"));
    MakerGroupBox->setAccessibleName(QStringLiteral("連絡先"));
    ProgramIcon = imageLabel(MakerGroupBox, "ProgramIcon", QStringLiteral("ロゴ"));
    ProgramIcon->setScaledContents(true);
    MakerName = new QLabel(QStringLiteral("Rinoza プロジェクト"), MakerGroupBox);
    MakerName->setObjectName(QStringLiteral("MakerName"));
    edtHP = contactField(MakerGroupBox, "edtHP", homePage(), QStringLiteral("ホームページ"));
    edtMail = contactField(MakerGroupBox, "edtMail", mailAddress(), QStringLiteral("メールアドレス"));
    for (QLineEdit* e : {edtHP, edtMail})
        e->installEventFilter(this);
    auto* contact = new QVBoxLayout;
    contact->addWidget(MakerName);
    contact->addWidget(edtHP);
    contact->addWidget(edtMail);
    auto* bottom = new QHBoxLayout(MakerGroupBox);
    bottom->addWidget(ProgramIcon, 0, Qt::AlignTop);
    bottom->addSpacing(8);
    bottom->addLayout(contact, 1);

    for (int i = 0; i < 5; ++i) {
        Logo[static_cast<std::size_t>(i)] = new QLabel(this);
        QLabel* l = Logo[static_cast<std::size_t>(i)];
        l->setObjectName(QStringLiteral("Logo%1").arg(i + 1));
        l->setPixmap(logoFrame(i + 1));
        l->setFixedSize(kFrameSize, kFrameSize);
        l->setEnabled(false);
        l->hide();
    }

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(0);
    connect(Timer, &QTimer::timeout, this, &TAboutBox::TimerTimer);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(VersionGroupBox);
    layout->addWidget(MakerGroupBox);
    layout->addLayout(buttons);

    // The designed client area, or what the texts need with a larger font; the border is fixed.
    setFixedSize(sizeHint().expandedTo(QSize(424, 197)));
    OKButton->setFocus();

    // Freed as soon as the main window is active again after this window was: a click back into the
    // main window or OK (which hides it and gives the main window the activation back). The signal
    // stands in for waiting in a loop of short sleeps.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (!w)
            return;
        if (w == windowHandle())
            m_wasActive = true;
        else if (m_mainWindow && w == m_mainWindow->window()->windowHandle() && (m_wasActive || isHidden()))
            deleteLater();
    });
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FromShow();
}

void TAboutBox::FromShow() {
    m_frame = 0;
    Timer->start(1);
    if (QScreen* s = (m_mainWindow ? m_mainWindow->screen() : screen())) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - frameGeometry().width()) / 2, g.y() + (g.height() - frameGeometry().height()) / 2);
    }
    const QString caption = m_mainWindow ? m_mainWindow->window()->windowTitle() : QApplication::applicationName();
    setWindowTitle(caption);
    ProductName->setText(caption);
    const QIcon icon = m_mainWindow ? m_mainWindow->window()->windowIcon() : QApplication::windowIcon();
    ProductIcon->setPixmap(icon.pixmap(kFrameSize, kFrameSize));
    Version->setText(QStringLiteral("Version ") + QStringLiteral(RINOZA_VERSION_TEXT));
}

void TAboutBox::TimerTimer() {
    if (++m_frame > 5)
        m_frame = 1;
    if (m_frame == 1)
        Timer->setInterval(kFirstFrameMs);
    else if (m_frame == 2)
        Timer->setInterval(kShortFrameMs);
    ProgramIcon->setPixmap(Logo[static_cast<std::size_t>(m_frame - 1)]->pixmap());
    emit frameShown(m_frame);
}

void TAboutBox::OKButtonClick() {
    hide();
    Timer->stop();
    if (!m_mainWindow)
        return;
    // The main window takes the activation back, which frees this window. It may have stayed active
    // all along (a window manager that gave this window no focus): then nothing will announce its
    // activation, and the window goes now.
    if (m_mainWindow->window()->isActiveWindow())
        deleteLater();
    else
        m_mainWindow->window()->activateWindow();
}

void TAboutBox::reject() {
    OKButton->click();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && (field == edtHP || field == edtMail)) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            field->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            openContact(field);
            return true;
        }
        // The keyboard opens a contact field too; Enter stays with OK.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            openContact(field);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::openContact(QLineEdit* field) {
    field->setCursor(Qt::BusyCursor);
    QApplication::processEvents();
    // Whether the desktop could open it is not reported.
    prompts().openUrl(field->text());
    field->setCursor(Qt::PointingHandCursor);
}

TAboutBox* About1Click(QWidget* mainWindow) {
    auto* box = new TAboutBox(mainWindow);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

} // namespace rinoza
