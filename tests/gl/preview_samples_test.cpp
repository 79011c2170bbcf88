// Each bundled sample in the Preview from the front, the right side and above: the model fills a
// fair share of the frame, in more than one shade. The frames are kept as
// preview-<sample>-<side>.png in the test's working folder for a person to look at.

#include "model/ebo/ebo_loader.h"
#include "model/model.h"
#include "preview/gl_support.h"
#include "preview/preview_view.h"
#include "support/temp_dir.h"
#include "views/pane_colours.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

const std::filesystem::path kSamples =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples";

struct Shot {
    const char* sample;
    const char* side;
    double yaw, pitch;
};

class PreviewSamples : public testing::TestWithParam<Shot> {};

TEST_P(PreviewSamples, FillTheViewFromEachSide) {
    if (!vw::canDrawPreview())
        GTEST_SKIP() << "no OpenGL 3.3 here";
    vw::test::TempDir dir;
    const vw::ModelFolders folders{kSamples, dir / "current.tmp"};
    vw::Model model;
    ASSERT_NE(vw::loadModel(model, (kSamples / GetParam().sample).string(), folders), 0);
    vw::Document document(model);
    PreviewView view(document);
    view.resize(320, 240);
    view.show();
    QApplication::processEvents();
    vw::OrbitCamera& camera = view.scene().camera();
    camera.yaw = GetParam().yaw;
    camera.pitch = GetParam().pitch;
    view.fitAll();
    const QImage frame = view.grabFramebuffer();
    frame.save(QString("preview-%1-%2.png")
                   .arg(QString(GetParam().sample).section('.', 0, 0), GetParam().side));
    int covered = 0;
    std::set<QRgb> shades;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb colour = frame.pixel(x, y) | 0xff000000u;
            if (colour != vw::kBackGround) {
                ++covered;
                shades.insert(colour);
            }
        }
    EXPECT_GT(covered, frame.width() * frame.height() / 20);
    EXPECT_GT(shades.size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, PreviewSamples,
    testing::Values(Shot{"house.ebo", "front", 0, 0}, Shot{"house.ebo", "right", 1.45, 0.1},
                    Shot{"house.ebo", "above", 0.3, 1.4}, Shot{"fish6.ebo", "front", 0, 0},
                    Shot{"fish6.ebo", "right", 1.45, 0.1}, Shot{"fish6.ebo", "above", 0.3, 1.4},
                    Shot{"head2.ebo", "front", 0, 0}, Shot{"head2.ebo", "right", 1.45, 0.1},
                    Shot{"head2.ebo", "above", 0.3, 1.4}),
    [](const testing::TestParamInfo<Shot>& info) {
        return QString(info.param.sample).section('.', 0, 0).toStdString() + "_" + info.param.side;
    });

} // namespace
