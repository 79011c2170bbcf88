#include "app/gltf_command.h"

#include "app/frm_main.h"
#include "model/interchange/gltf_export.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vw {
namespace {

// The image map as PNG bytes, as glTF takes pictures.
GltfPicture imageMapPicture(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return {std::vector<uint8_t>(png.begin(), png.end()), "image/png"};
}

} // namespace

void exportGltfCommand(frmMain& main) {
    if (!main.panes())
        return;
    const QFileInfo model(QFile::decodeName(QByteArray::fromStdString(main.model().modelPath)));
    const QString path = main.prompts().saveFile(
        QStringLiteral("Export glTF"), QStringLiteral("Binary glTF (*.glb)"),
        model.dir().filePath(model.completeBaseName() + QStringLiteral(".glb")));
    if (path.isEmpty())
        return;
    const QImage& imageMap = main.panes()->pane().picMap;
    const GltfPicture picture = imageMapPicture(imageMap);
    const Result exported =
        exportGltfFile(main.model(), {}, imageMap.isNull() ? nullptr : &picture,
                       std::filesystem::path(QFile::encodeName(path).toStdString()));
    if (!exported)
        main.reportFailure(QStringLiteral("export"), path, exported.reason());
}

} // namespace vw
