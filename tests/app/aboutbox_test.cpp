// The about box on the offscreen platform: what it shows, where its links lead, the
// cursor over them and the keys that close it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <memory>
#include <set>

#include "app/aboutbox.h"

// Stands in for the system's handler of a URL scheme and records what it was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

namespace {

class AboutBoxTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        oldDir_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        for (const char* scheme : {"file", "mailto"}) QDesktopServices::setUrlHandler(scheme, &urls_, "open");
    }
    void TearDown() override {
        for (const char* scheme : {"file", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
        QDir::setCurrent(oldDir_);
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    }

    std::unique_ptr<AboutBox> Open(const QString& version = "1.10") {
        auto box = std::make_unique<AboutBox>(nullptr, version);
        box->show();
        return box;
    }

    static void Enter(QWidget* w) {
        QEnterEvent event(QPointF(2, 2), w->mapTo(w->window(), QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(w, &event);
    }
    static void Leave(QWidget* w) {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(w, &event);
    }
    static Qt::CursorShape Cursor() {
        const QCursor* c = QGuiApplication::overrideCursor();
        return c ? c->shape() : Qt::BitmapCursor;  // none set
    }

    QTemporaryDir dir_;
    QString oldDir_;
    UrlRecorder urls_;
};

TEST_F(AboutBoxTest, ShowsVAndTheVersionWithoutASpace) {
    EXPECT_EQ(Open()->version->text(), "v1.10");
    EXPECT_EQ(Open("2.07")->version->text(), "v2.07");
}

TEST_F(AboutBoxTest, ShowsTheProjectsIcon) {
    auto box = Open();
    const QImage icon = box->icon->pixmap().toImage();
    ASSERT_FALSE(icon.isNull()) << "the icon resource is not linked in";
    EXPECT_EQ(icon.size(), QSize(32, 32));
    std::set<QRgb> colours;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 8u);
}

TEST_F(AboutBoxTest, TheRedTitleIsDrawnOverItsShadowTwoRightAndFourDown) {
    auto box = Open();
    const QImage shot = box->grab().toImage();
    // The bounding boxes of the title's red and the shadow's black pixels.
    QRect red, black;
    for (int y = 0; y < 56; ++y)
        for (int x = 40; x < 176; ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) red |= QRect(x, y, 1, 1);
            if (c.red() < 40 && c.green() < 40 && c.blue() < 40) black |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(red.isEmpty());
    ASSERT_FALSE(black.isEmpty());
    EXPECT_NEAR(black.right() - red.right(), 2, 1);
    EXPECT_NEAR(black.bottom() - red.bottom(), 4, 1);
    // Drawn over: the title's pixels are red where both texts fall.
    const QRect title = box->title->geometry();
    EXPECT_LT(box->children().indexOf(box->titleShadow), box->children().indexOf(box->title));
    EXPECT_TRUE(title.contains(red));
}

TEST_F(AboutBoxTest, TheWebLinkOpensThePlayersGamepackFolder) {
    // Not the current directory: the folder new packs go into, made if it is not there yet.
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir_.filePath("data").toLocal8Bit());
    const QString folder = dir_.filePath("data/marlipan/gamepacks");
    auto box = Open();
    QTest::mouseClick(box->gamepacksLink, Qt::LeftButton);
    qputenv("XDG_DATA_HOME", oldHome);
    ASSERT_EQ(urls_.opened.size(), 1);
    EXPECT_TRUE(urls_.opened[0].isLocalFile());
    EXPECT_EQ(urls_.opened[0].toLocalFile(), folder);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->gamepacksLink->toolTip(), QDir::toNativeSeparators(folder));
}

TEST_F(AboutBoxTest, TheMailLinkStartsAMessageAboutMarlipan) {
    auto box = Open();
    QTest::mouseClick(box->commentsLink, Qt::LeftButton);
    ASSERT_EQ(urls_.opened.size(), 1);
    const QUrl url = urls_.opened[0];
    EXPECT_EQ(url.scheme(), "mailto");
    EXPECT_EQ(url.path(), "");  // no address is made up
    EXPECT_EQ(QUrlQuery(url).queryItemValue("subject"), "Marlipan");
    EXPECT_TRUE(box->isVisible());
}

TEST_F(AboutBoxTest, LeavingALinkRestoresTheCursorThatWasThere) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto box = Open();
    for (QLabel* link : {box->gamepacksLink, box->commentsLink}) {
        Enter(link);
        EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
        Leave(link);
        EXPECT_EQ(Cursor(), Qt::WaitCursor);
    }
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AboutBoxTest, ClosingOverALinkGivesTheCursorBack) {
    auto box = Open();
    Enter(box->gamepacksLink);
    ASSERT_EQ(Cursor(), Qt::PointingHandCursor);
    QTest::keyClick(box.get(), Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Leave(box->gamepacksLink);  // a late Leave takes nothing more
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AboutBoxTest, EnterAndEscBothClose) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        auto box = Open();
        QTest::keyClick(box.get(), key);
        EXPECT_FALSE(box->isVisible()) << key;
    }
}

TEST_F(AboutBoxTest, TextsFitAndTheLinksStayClearOfTheButton) {
    // A long folder is shortened to fit; its full path is in the tip.
    QDir(dir_.path()).mkpath("a-rather-long-folder-name/where-the-gamepacks/of-this-player/are-kept");
    ASSERT_TRUE(QDir::setCurrent(dir_.path() + "/a-rather-long-folder-name/where-the-gamepacks/of-this-player/are-kept"));
    auto box = Open();
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label == box->icon) continue;
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
        EXPECT_TRUE(box->rect().contains(label->geometry()));
    }
    EXPECT_FALSE(box->gamepacksLink->geometry().intersects(box->okButton->geometry()));
    EXPECT_FALSE(box->commentsLink->geometry().intersects(box->okButton->geometry()));
    EXPECT_EQ(box->size(), QSize(254, 138));
}

}  // namespace

#include "aboutbox_test.moc"
