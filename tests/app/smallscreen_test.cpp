// Runs on an offscreen screen 600 pixels high.
#include <QGuiApplication>
#include <QScreen>

#include "tests/app/windowfixture.h"

TEST_F(WindowTest, ScreenSixHundredHighNeverZoomsButKeepsTheStoredChoice) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().height(), 600);
    Write("default.spx", MakeGamepack(0, 0, 1));
    store.WriteString("DoubleSize", "1");
    MainWindow& form = Start();
    EXPECT_EQ(form.centralWidget()->size(), QSize(326, 315));
    EXPECT_FALSE(form.zoomAction->isEnabled());
    EXPECT_TRUE(form.zoomAction->isChecked());
    form.zoomAction->trigger();  // a disabled item does nothing
    EXPECT_EQ(form.centralWidget()->size(), QSize(326, 315));
    this->form.reset();  // the window's end stores the settings
    EXPECT_EQ(store.Read("DoubleSize").text, "1");
}
