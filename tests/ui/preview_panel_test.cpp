// The Preview tab's panel where OpenGL cannot be had, as on the offscreen platform.

#include "model/editing/history/document.h"
#include "preview/gl_support.h"
#include "preview/preview_panel.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

TEST(PreviewPanel, TheOffscreenPlatformOffersNoOpenGL) {
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        GTEST_SKIP() << "only the offscreen platform is known to lack OpenGL";
    EXPECT_FALSE(vw::canDrawPreview());
}

TEST(PreviewPanel, WithoutOpenGLTheTabSaysSoInOneLine) {
    vw::Model model;
    vw::Document document(model);
    PreviewPanel panel(document, false);
    EXPECT_EQ(panel.view(), nullptr);
    ASSERT_NE(panel.notice(), nullptr);
    EXPECT_TRUE(panel.notice()->text().contains(QStringLiteral("OpenGL")));
    EXPECT_FALSE(panel.notice()->text().contains(QChar('\n')));
    EXPECT_FALSE(panel.viewOptions->isEnabled());
    panel.mnuWireframe->setChecked(true); // no view to tell: nothing happens
    panel.setImageMap(QImage(4, 4, QImage::Format_RGB32));
}

} // namespace
