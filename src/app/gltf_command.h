#pragma once
// File > Export glTF...: the whole model as binary glTF, the image map as its texture.

class frmMain;

namespace vw {

// Asks for the file and writes it; a failure is reported.
void exportGltfCommand(frmMain& main);

} // namespace vw
