#pragma once
// A main window over a workspace of real model files, for the open, save and menu tests.

#include "app/frm_main.h"
#include "app/open_model.h"
#include "fake_prompts.h"
#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/workspace.h"

#include <QApplication>

#include <memory>
#include <string>

namespace vw::test {

// A plain-mesh model of two parts; offset moves its vertices so two files tell apart.
inline BuiltEbo twoPartModel(float offset = 0) {
    EboPlan plan;
    plan.parts = {PartPlan{{gridSegment(3, 3, offset)}},
                  PartPlan{{gridSegment(2, 2, offset + 2), gridSegment(2, 3, offset - 2)}}};
    return buildEbo(plan);
}

struct Editor {
    Workspace workspace;
    RecordingPrompts prompts;
    Model model;
    std::unique_ptr<frmMain> main;

    Editor() {
        main = std::make_unique<frmMain>(model, workspace.folders, prompts);
        main->show();
        activate();
    }

    // Shortcuts reach the active window only; the offscreen platform hands activation to
    // every window it shows (the loading window too) and to none when that one closes.
    void activate() { QApplication::setActiveWindow(main.get()); }

    std::string put(const BuiltEbo& built, const std::string& name) const {
        return workspace.put(built, name);
    }

    void open(const std::string& path) { openModel(*main, QString::fromStdString(path)); }
};

// The model file at path as the loader reads it, through a working copy of its own.
inline Model loadedFrom(const std::string& path) {
    const Workspace reader;
    Model model;
    loadModel(model, path, reader.folders);
    return model;
}

} // namespace vw::test
