#include "app/settingsdialog.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyledItemDelegate>


#include "gamepack/ansi.h"
#include "app/dialogfont.h"
#include "gamepack/gamepackfile.h"
#include "music/ymplayer.h"
#include "platform/gamepackfolders.h"

namespace {

const char* const kLevelCount = "Level count: ";
const char* const kSize = "Size: ";
const char* const kDifficulty = "Difficulty: ";
const char* const kTimer = "Timer: ";

// The list's rows are 13 pixels high whatever the style would make of them.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    FixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

// A group box drawn the same in every style: the etched frame runs through the middle of
// the caption's line, so the controls placed at fixed offsets sit inside it. (Fusion puts
// the frame below the caption, and the list box would lie on its top edge.)
class FramedGroupBox : public QGroupBox {
public:
    FramedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics fm(font());
        const QPalette& pal = palette();
        const QRect frame = rect().adjusted(0, fm.height() / 2, -2, -2);
        p.setPen(pal.color(QPalette::Mid));
        p.drawRect(frame);
        p.setPen(pal.color(QPalette::Light));
        p.drawRect(frame.translated(1, 1));
        const QRect caption(8, 0, fm.horizontalAdvance(title()), fm.height());
        p.fillRect(caption, pal.color(QPalette::Window));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());
    }
};

QLabel* MakeLabel(QWidget* parent, const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    // Descriptions come from files: never let Qt take one for rich text.
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(x, y, w, h);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QSlider* MakeSlider(QWidget* parent, int x, int y, int min, int max, int tick) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setGeometry(x, y, 153, 33);
    slider->setRange(min, max);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksAbove);
    return slider;
}

constexpr int kDescriptionFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// The description box has room for whole lines only: a longer text is cut at the end of
// the last line that fits and ends in an ellipsis, instead of showing half a line.
QString FitDescription(const QString& text, const QLabel& box) {
    const QFontMetrics fm(box.font());
    auto fits = [&](const QString& t) {
        return fm.boundingRect(QRect(0, 0, box.width(), 1 << 16), kDescriptionFlags, t).height() <= box.height();
    };
    if (fits(text)) return text;
    QString cut = text;
    do cut.chop(1);
    while (!cut.isEmpty() && !fits(cut + QChar(0x2026)));
    return cut.trimmed() + QChar(0x2026);
}

int DecimalValue(const std::string& text) { return QString::fromStdString(text).toInt(); }

}  // namespace

SettingsDialog::SettingsDialog(QWidget* owner, SettingsDialogLinks links) : QDialog(owner), links_(std::move(links)) {
    setWindowTitle("Game settings");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(kSansSerifFamilies, PixelsForPoints(8)));
    setFixedSize(335, 300);

    gamepackGroup = new FramedGroupBox(" Available gamepacks ", this);
    gamepackGroup->setGeometry(4, 4, 325, 165);
    gamepackList = new QListWidget(gamepackGroup);
    gamepackList->setGeometry(8, 16, 193, 81);
    gamepackList->setItemDelegate(new FixedHeightDelegate(13, gamepackList));
    gamepackList->setUniformItemSizes(true);
    gamepackList->setSelectionMode(QAbstractItemView::SingleSelection);
    gamepackList->installEventFilter(this);
    // The labels on the right end at the group box's frame.
    const int infoWidth = gamepackGroup->width() - 208 - 4;
    levelCountLabel = MakeLabel(gamepackGroup, kLevelCount, 208, 16, infoWidth, 14);
    dimensionsLabel = MakeLabel(gamepackGroup, "Dimensions: ", 208, 32, infoWidth, 14);
    difficultyLabel = MakeLabel(gamepackGroup, kDifficulty, 208, 48, infoWidth, 14);
    timerLabel = MakeLabel(gamepackGroup, kTimer, 208, 64, infoWidth, 14);
    descriptionCaption = MakeLabel(gamepackGroup, "Description:", 208, 80, infoWidth, 14);
    descriptionText = MakeLabel(gamepackGroup, "", 8, 104, 310, 49);
    descriptionText->setWordWrap(true);

    otherGroup = new FramedGroupBox(" Other settings ", this);
    otherGroup->setGeometry(8, 176, 321, 73);
    volumeCaption = MakeLabel(otherGroup, "Music volume:", 16, 18, 140, 14);
    volumeSlider = MakeSlider(otherGroup, 6, 32, 0, 239, 10);
    speedCaption = MakeLabel(otherGroup, "Animation speed:", 168, 18, 140, 14);
    speedSlider = MakeSlider(otherGroup, 162, 32, 1, 24, 1);

    okButton = new QPushButton("OK", this);
    okButton->setGeometry(168, 264, 75, 25);
    okButton->setDefault(true);
    cancelButton = new QPushButton("Cancel", this);
    cancelButton->setGeometry(248, 264, 75, 25);

    setTabOrder(gamepackList, volumeSlider);
    setTabOrder(volumeSlider, speedSlider);
    setTabOrder(speedSlider, okButton);
    setTabOrder(okButton, cancelButton);
    gamepackList->setFocus();

    FillControls();

    // Connected after FillControls, so that setting up the controls changes nothing.
    connect(gamepackList, &QListWidget::itemSelectionChanged, this, &SettingsDialog::showSelectedGamepack);
    connect(gamepackList, &QListWidget::itemDoubleClicked, this, &SettingsDialog::gamepackDoubleClicked);
    connect(volumeSlider, &QSlider::valueChanged, this, &SettingsDialog::volumeChanged);
    connect(okButton, &QPushButton::clicked, this, &SettingsDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsDialog::cancel);

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

void SettingsDialog::FillControls() {
    InitialGamepackName = links_.GamepackName;
    InitialVolume = links_.MusicEngine.Volume();
    volumeSlider->setValue(DecimalValue(links_.MusicVolume));
    speedSlider->setValue(DecimalValue(links_.SlideSpeed));
    ListGamepacks();
    // The stored name is matched exactly: it must open again as it is.
    for (size_t row = 0; row < entries_.size(); ++row) {
        if (entries_[row] == links_.GamepackName) {
            gamepackList->setCurrentRow(int(row));
            ShowGamepackInfo();
            break;
        }
    }
}

void SettingsDialog::ListGamepacks() {
    gamepackList->clear();
    entries_.clear();
    // The current directory's packs, the player's and the installed ones, each name once.
    for (std::string& name : platform::ListGamepacks()) {
        gamepackList->addItem(QFile::decodeName(QByteArray::fromStdString(name)));
        entries_.push_back(std::move(name));
    }
}

int SettingsDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = gamepackList->selectedItems();
    return selected.isEmpty() ? -1 : gamepackList->row(selected.first());
}

void SettingsDialog::ShowGamepackInfo() {
    const int row = SelectedRow();
    if (row < 0) return;
    GamepackHeader h;
    try {
        // Only the header is read, into a copy of our own: browsing never touches the
        // game's gamepack. A header that is short, unreadable or holds a value outside
        // the tables is refused here, so every table index below is in range.
        h = ReadGamepackHeader(platform::FindGamepack(entries_[size_t(row)]));
    } catch (const std::exception&) {
        ClearGamepackInfo();
        return;
    }
    const QString size = QString::fromLatin1(SizeTexts[h.SizeIndex]);
    levelCountLabel->setText(kLevelCount + QString::number(h.LevelCount));
    dimensionsLabel->setText(kSize + size + "x" + size);
    difficultyLabel->setText(kDifficulty + QString::fromLatin1(DifficultyNames[h.Difficulty]));
    timerLabel->setText(QString(kTimer) + (h.TimerIndex != 0 ? "Yes" : "No"));
    const QString description = FromAnsi(h.Description);
    descriptionText->setText(FitDescription(description, *descriptionText));
    // A tip takes text with a tag on its first line for markup: given as markup always,
    // spaces kept, the description shows as it is.
    descriptionText->setToolTip("<p style=\"white-space:pre-wrap\">" + description.toHtmlEscaped() + "</p>");
}

void SettingsDialog::ClearGamepackInfo() {
    levelCountLabel->setText(kLevelCount);
    dimensionsLabel->setText(kSize);
    difficultyLabel->setText(kDifficulty);
    timerLabel->setText(kTimer);
    descriptionText->clear();
    descriptionText->setToolTip({});
}

void SettingsDialog::showSelectedGamepack() {
    if (SelectedRow() >= 0) ShowGamepackInfo();
}

void SettingsDialog::gamepackDoubleClicked() { confirm(); }

void SettingsDialog::volumeChanged(int position) {
    links_.MusicVolume = std::to_string(position);
    links_.MusicEngine.SetVolume(position);
}

void SettingsDialog::confirm() {
    if (links_.pauseAction) links_.pauseAction->setChecked(false);
    links_.MusicVolume = std::to_string(volumeSlider->value());
    links_.SlideSpeed = std::to_string(speedSlider->value());
    const int row = SelectedRow();
    const bool otherPack = row >= 0 && entries_[size_t(row)] != InitialGamepackName;
    // Closed before the load, so that a gamepack that fails to load (its message comes
    // from the top-level handler) still leaves the slider values stored and the dialog
    // shut.
    accept();
    if (otherPack) {
        links_.GamepackName = entries_[size_t(row)];
        if (links_.StartGamepack) links_.StartGamepack();
    }
}

void SettingsDialog::cancel() {
    links_.MusicVolume = std::to_string(InitialVolume);
    links_.MusicEngine.SetVolume(InitialVolume);
    reject();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button, which undoes the volume; QDialog would only reject, as the
    // title bar's close button does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancelButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    // With nothing selected, the first arrow key selects the first entry. The view has
    // already made that entry current without selecting it, and would step past it.
    if (watched == gamepackList && event->type() == QEvent::KeyPress && SelectedRow() < 0 &&
        gamepackList->count() > 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            gamepackList->setCurrentRow(0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
