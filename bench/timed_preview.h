#pragma once
// A Preview whose frames the benchmarks draw themselves and wait for.

#include "preview/preview_view.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

class TimedView : public PreviewView {
public:
    using PreviewView::PreviewView;
    void frame() {
        makeCurrent();
        paintGL();
        context()->functions()->glFinish();
        doneCurrent();
    }
};
