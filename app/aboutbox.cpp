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

TForm3::TForm3(QWidget* owner, const QString& versionText) : QDialog(owner) {
    InitProgramResources();
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(kSansSerifFamilies, PixelsForPoints(8)));
    setFixedSize(254, 138);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 33, 33);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(":/icons/marlipan-64.png")
                          .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    // The shadow first, so that the red title is drawn over it.
    const QFont title = DialogFont(kComicFamilies, 21, true, true);
    Label1 = MakeLabel(this, "Marlipan!", title, Qt::black, 46, 12);
    Label1->resize(qMax(131, Label1->width()), 29);
    Label7 = MakeLabel(this, "Marlipan!", title, Qt::red, 44, 8);
    Label7->resize(qMax(133, Label7->width()), 29);

    Label2 = MakeLabel(this, "v" + versionText, DialogFont(kSansSerifFamilies, 13, true), QColor(0x80, 0x00, 0x80), 176, 18);
    Label8 = MakeLabel(this, QString::fromUtf8("\u00A9 2026 Dunmarsh"), DialogFont(kComicFamilies, 9, false),
                       QColor(0x00, 0x00, 0x80), 112, 38);

    const QFont bold = DialogFont(kSansSerifFamilies, PixelsForPoints(8), true);
    QFont link = bold;
    link.setUnderline(true);
    Label3 = MakeLabel(this, "More gamepacks", bold, Qt::black, 16, 58);
    // The folder's path can be long: shown shortened in the middle, in full as a tip.
    const QString folder = QDir::toNativeSeparators(GamepackFolderUrl().toLocalFile());
    Label4 = MakeLabel(this, QFontMetrics(link).elidedText(folder, Qt::ElideMiddle, width() - 16 - 8),
                       link, Qt::blue, 16, 70);
    Label4->setToolTip(folder);
    Label5 = MakeLabel(this, "Send comments", bold, Qt::black, 16, 94);
    Label6 = MakeLabel(this, "New mail: Marlipan", link, Qt::blue, 16, 106);

    Button1 = new QPushButton("OK", this);
    Button1->setGeometry(168, 96, 75, 25);
    Button1->setDefault(true);  // Enter; Esc closes the box as well
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    Button1->setFocus();

    Label4->installEventFilter(this);
    Label6->installEventFilter(this);

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

TForm3::~TForm3() { Label4MouseLeave(); }

QUrl TForm3::GamepackFolderUrl() {
    // The folder a new pack goes into; made here too, so that the link opens a folder.
    platform::MakePlayerGamepackFolder();
    return QUrl::fromLocalFile(platform::PlayerGamepackFolder());
}

QUrl TForm3::CommentsUrl() {
    QUrl url("mailto:");
    QUrlQuery query;
    query.addQueryItem("subject", "Marlipan");
    url.setQuery(query);
    return url;
}

// A link that cannot be opened shows nothing: there is nothing the player could do.
void TForm3::Label4Click() { QDesktopServices::openUrl(GamepackFolderUrl()); }
void TForm3::Label6Click() { QDesktopServices::openUrl(CommentsUrl()); }

void TForm3::Label4MouseEnter() {
    if (handShown_) return;
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    handShown_ = true;
}

void TForm3::Label4MouseLeave() {
    if (!handShown_) return;
    QGuiApplication::restoreOverrideCursor();
    handShown_ = false;
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label4 || watched == Label6) {
        switch (event->type()) {
        case QEvent::Enter:
            Label4MouseEnter();
            break;
        case QEvent::Leave:
            Label4MouseLeave();
            break;
        case QEvent::MouseButtonRelease: {
            // A click is a left release over the label, as with a button.
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
                watched == Label4 ? Label4Click() : Label6Click();
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm3::hideEvent(QHideEvent* event) {
    // Closed with Enter or Esc while the pointer is on a link: no Leave follows, and the
    // hand would stay over the game.
    Label4MouseLeave();
    QDialog::hideEvent(event);
}
