#include "app/aboutbox.h"
#include "app/dialogfont.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrlQuery>

#include "platform/gamepackfolders.h"
#include "resources/programresources.h"


namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, QColor colour, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* owner, const QString& versionText) : QDialog(owner) {
    InitProgramResources();
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(kSansSerifFamilies, PixelsForPoints(8)));
    setFixedSize(254, 138);

    icon = new QLabel(this);
    icon->setGeometry(8, 8, 33, 33);
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->setPixmap(QPixmap(":/icons/marlipan-64.png")
                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    // The shadow first, so that the red title is drawn over it.
    const QFont titleFont = DialogFont(kComicFamilies, 21, true, true);
    titleShadow = MakeLabel(this, "Marlipan!", titleFont, Qt::black, 46, 12);
    titleShadow->resize(qMax(131, titleShadow->width()), 29);
    title = MakeLabel(this, "Marlipan!", titleFont, Qt::red, 44, 8);
    title->resize(qMax(133, title->width()), 29);

    version = MakeLabel(this, "v" + versionText, DialogFont(kSansSerifFamilies, 13, true), QColor(0x80, 0x00, 0x80), 176, 18);
    credit = MakeLabel(this, QString::fromUtf8("\u00A9 2026 Dunmarsh"), DialogFont(kComicFamilies, 9, false),
                       QColor(0x00, 0x00, 0x80), 112, 38);

    const QFont bold = DialogFont(kSansSerifFamilies, PixelsForPoints(8), true);
    QFont link = bold;
    link.setUnderline(true);
    gamepacksCaption = MakeLabel(this, "More gamepacks", bold, Qt::black, 16, 58);
    // The folder's path can be long: shown shortened in the middle, in full as a tip.
    const QString folder = QDir::toNativeSeparators(GamepackFolderUrl().toLocalFile());
    gamepacksLink = MakeLabel(this, QFontMetrics(link).elidedText(folder, Qt::ElideMiddle, width() - 16 - 8),
                       link, Qt::blue, 16, 70);
    gamepacksLink->setToolTip(folder);
    commentsCaption = MakeLabel(this, "Send comments", bold, Qt::black, 16, 94);
    commentsLink = MakeLabel(this, "New mail: Marlipan", link, Qt::blue, 16, 106);

    okButton = new QPushButton("OK", this);
    okButton->setGeometry(168, 96, 75, 25);
    okButton->setDefault(true);  // Enter; Esc closes the box as well
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    okButton->setFocus();

    gamepacksLink->installEventFilter(this);
    commentsLink->installEventFilter(this);

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

AboutBox::~AboutBox() { hideHandCursor(); }

QUrl AboutBox::GamepackFolderUrl() {
    // The folder a new pack goes into; made here too, so that the link opens a folder.
    platform::MakePlayerGamepackFolder();
    return QUrl::fromLocalFile(platform::PlayerGamepackFolder());
}

QUrl AboutBox::CommentsUrl() {
    QUrl url("mailto:");
    QUrlQuery query;
    query.addQueryItem("subject", "Marlipan");
    url.setQuery(query);
    return url;
}

// A link that cannot be opened shows nothing: there is nothing the player could do.
void AboutBox::openGamepackFolder() { QDesktopServices::openUrl(GamepackFolderUrl()); }
void AboutBox::writeComments() { QDesktopServices::openUrl(CommentsUrl()); }

void AboutBox::showHandCursor() {
    if (handShown_) return;
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    handShown_ = true;
}

void AboutBox::hideHandCursor() {
    if (!handShown_) return;
    QGuiApplication::restoreOverrideCursor();
    handShown_ = false;
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gamepacksLink || watched == commentsLink) {
        switch (event->type()) {
        case QEvent::Enter:
            showHandCursor();
            break;
        case QEvent::Leave:
            hideHandCursor();
            break;
        case QEvent::MouseButtonRelease: {
            // A click is a left release over the label, as with a button.
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
                watched == gamepacksLink ? openGamepackFolder() : writeComments();
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::hideEvent(QHideEvent* event) {
    // Closed with Enter or Esc while the pointer is on a link: no Leave follows, and the
    // hand would stay over the game.
    hideHandCursor();
    QDialog::hideEvent(event);
}
