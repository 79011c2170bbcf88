#pragma once
// The pane draws text (the image map's labels), which needs a Qt application; the benchmarks
// make one on the offscreen platform the first time it is needed.

#include <QApplication>

#include <cstdlib>

inline bool ensureApplication() {
    static int argc = 1;
    static char name[] = "vertwright_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv);
    }
    return true;
}
