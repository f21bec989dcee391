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

TForm2::TForm2(QWidget* owner, TForm2Links links) : QDialog(owner), links_(std::move(links)) {
    setWindowTitle("Game settings");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(kSansSerifFamilies, PixelsForPoints(8)));
    setFixedSize(335, 300);

    GroupBox1 = new FramedGroupBox(" Available gamepacks ", this);
    GroupBox1->setGeometry(4, 4, 325, 165);
    ListBox1 = new QListWidget(GroupBox1);
    ListBox1->setGeometry(8, 16, 193, 81);
    ListBox1->setItemDelegate(new FixedHeightDelegate(13, ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->installEventFilter(this);
    // The labels on the right end at the group box's frame.
    const int infoWidth = GroupBox1->width() - 208 - 4;
    Label1 = MakeLabel(GroupBox1, kLevelCount, 208, 16, infoWidth, 14);
    Label2 = MakeLabel(GroupBox1, "Dimensions: ", 208, 32, infoWidth, 14);
    Label3 = MakeLabel(GroupBox1, kDifficulty, 208, 48, infoWidth, 14);
    Label4 = MakeLabel(GroupBox1, kTimer, 208, 64, infoWidth, 14);
    Label6 = MakeLabel(GroupBox1, "Description:", 208, 80, infoWidth, 14);
    Label5 = MakeLabel(GroupBox1, "", 8, 104, 310, 49);
    Label5->setWordWrap(true);

    GroupBox2 = new FramedGroupBox(" Other settings ", this);
    GroupBox2->setGeometry(8, 176, 321, 73);
    Label7 = MakeLabel(GroupBox2, "Music volume:", 16, 18, 140, 14);
    TrackBar1 = MakeSlider(GroupBox2, 6, 32, 0, 239, 10);
    Label8 = MakeLabel(GroupBox2, "Animation speed:", 168, 18, 140, 14);
    TrackBar2 = MakeSlider(GroupBox2, 162, 32, 1, 24, 1);

    Button2 = new QPushButton("OK", this);
    Button2->setGeometry(168, 264, 75, 25);
    Button2->setDefault(true);
    Button1 = new QPushButton("Cancel", this);
    Button1->setGeometry(248, 264, 75, 25);

    setTabOrder(ListBox1, TrackBar1);
    setTabOrder(TrackBar1, TrackBar2);
    setTabOrder(TrackBar2, Button2);
    setTabOrder(Button2, Button1);
    ListBox1->setFocus();

    FormCreate();

    // Connected after FormCreate, so that setting up the controls changes nothing.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm2::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm2::ListBox1DblClick);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm2::TrackBar1Change);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

void TForm2::FormCreate() {
    InitialGamepackName = links_.GamepackName;
    InitialVolume = links_.MusicEngine.Volume();
    TrackBar1->setValue(DecimalValue(links_.MusicVolume));
    TrackBar2->setValue(DecimalValue(links_.SlideSpeed));
    ListGamepacks();
    // The stored name is matched exactly: it must open again as it is.
    for (size_t row = 0; row < entries_.size(); ++row) {
        if (entries_[row] == links_.GamepackName) {
            ListBox1->setCurrentRow(int(row));
            ShowGamepackInfo();
            break;
        }
    }
}

void TForm2::ListGamepacks() {
    ListBox1->clear();
    entries_.clear();
    // The current directory's packs, the player's and the installed ones, each name once.
    for (std::string& name : platform::ListGamepacks()) {
        ListBox1->addItem(QFile::decodeName(QByteArray::fromStdString(name)));
        entries_.push_back(std::move(name));
    }
}

int TForm2::SelectedRow() const {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ListBox1->row(selected.first());
}

void TForm2::ShowGamepackInfo() {
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
    Label1->setText(kLevelCount + QString::number(h.LevelCount));
    Label2->setText(kSize + size + "x" + size);
    Label3->setText(kDifficulty + QString::fromLatin1(DifficultyNames[h.Difficulty]));
    Label4->setText(QString(kTimer) + (h.TimerIndex != 0 ? "Yes" : "No"));
    const QString description = FromAnsi(h.Description);
    Label5->setText(FitDescription(description, *Label5));
    // A tip takes text with a tag on its first line for markup: given as markup always,
    // spaces kept, the description shows as it is.
    Label5->setToolTip("<p style=\"white-space:pre-wrap\">" + description.toHtmlEscaped() + "</p>");
}

void TForm2::ClearGamepackInfo() {
    Label1->setText(kLevelCount);
    Label2->setText(kSize);
    Label3->setText(kDifficulty);
    Label4->setText(kTimer);
    Label5->clear();
    Label5->setToolTip({});
}

void TForm2::ListBox1Click() {
    if (SelectedRow() >= 0) ShowGamepackInfo();
}

void TForm2::ListBox1DblClick() { Button2Click(); }

void TForm2::TrackBar1Change(int position) {
    links_.MusicVolume = std::to_string(position);
    links_.MusicEngine.SetVolume(position);
}

void TForm2::Button2Click() {
    if (links_.Pause1) links_.Pause1->setChecked(false);
    links_.MusicVolume = std::to_string(TrackBar1->value());
    links_.SlideSpeed = std::to_string(TrackBar2->value());
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

void TForm2::Button1Click() {
    links_.MusicVolume = std::to_string(InitialVolume);
    links_.MusicEngine.SetVolume(InitialVolume);
    reject();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button, which undoes the volume; QDialog would only reject, as the
    // title bar's close button does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Button1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    // With nothing selected, the first arrow key selects the first entry. The view has
    // already made that entry current without selecting it, and would step past it.
    if (watched == ListBox1 && event->type() == QEvent::KeyPress && SelectedRow() < 0 &&
        ListBox1->count() > 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            ListBox1->setCurrentRow(0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
