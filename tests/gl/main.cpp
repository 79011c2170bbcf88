// The Preview's OpenGL tests: a QApplication on the display the runner gives (Xvfb). With
// --gles every context is OpenGL ES 3, as on a system whose Qt is built for it.

#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--gles") == 0) {
        QSurfaceFormat format;
        format.setRenderableType(QSurfaceFormat::OpenGLES);
        format.setVersion(3, 0);
        QSurfaceFormat::setDefaultFormat(format);
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
