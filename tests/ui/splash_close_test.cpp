// The splash window: its picture and size, the L key and the five-second timer.

#include "app/frm_splash.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SplashWindow, FixedPictureSizedClientWithAnEmptyTitle) {
    frmSplash splash;
    splash.show();
    EXPECT_TRUE(splash.windowTitle().isEmpty());
    EXPECT_TRUE(splash.isModal());
    EXPECT_EQ(splash.size(), QSize(326, 208));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_EQ(splash.imgSplash->geometry(), QRect(0, 0, 326, 208));
    EXPECT_EQ(splash.imgSplash->pixmap().size(), QSize(326, 208));
    const QRect screen = splash.screen()->availableGeometry();
    EXPECT_LE((splash.frameGeometry().center() - screen.center()).manhattanLength(), 1);
}

TEST(SplashWindow, PictureIsDrawnNotBlank) {
    const QImage picture = vw::splashPicture();
    ASSERT_EQ(picture.size(), QSize(326, 208));
    int differing = 0;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4)
            differing += picture.pixel(x, y) != picture.pixel(0, 0);
    EXPECT_GT(differing, 100);
}

struct KeyCase {
    const char* label;
    std::function<void(QWidget*)> press;
    bool closes;
};

class SplashKey : public testing::TestWithParam<KeyCase> {};

TEST_P(SplashKey, OnlyUpperCaseLCloses) {
    frmSplash splash;
    splash.show();
    GetParam().press(&splash);
    EXPECT_EQ(splash.isVisible(), !GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SplashKey,
    testing::Values(
        KeyCase{"UpperL", [](QWidget* w) { QTest::keyClick(w, 'L'); }, true},
        KeyCase{"LowerL", [](QWidget* w) { QTest::keyClick(w, 'l'); }, false},
        KeyCase{"OtherLetter", [](QWidget* w) { QTest::keyClick(w, 'K'); }, false},
        KeyCase{"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
        KeyCase{"Return", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, false}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.label; });

TEST(SplashTimer, ModalSplashClosesFiveSecondsAfterItOpens) {
    frmSplash splash;
    EXPECT_EQ(splash.tmrX->interval(), 5000);
    EXPECT_FALSE(splash.tmrX->isActive()); // not before it opens
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(100, &splash, [&] { EXPECT_TRUE(splash.tmrX->isActive()); });
    splash.exec();
    EXPECT_GE(clock.elapsed(), 4900);
    EXPECT_LT(clock.elapsed(), 7000);
}

TEST(SplashTimer, EachOpeningRestartsTheTimer) {
    frmSplash splash;
    splash.show();
    QTest::qWait(300);
    splash.close();
    splash.show();
    EXPECT_GT(splash.tmrX->remainingTime(), 4800);
    splash.close();
}

} // namespace
