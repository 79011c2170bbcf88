#pragma once
// The Scale tool: eight handles on the selection's box, found by their colours, move the box's
// edges; every step maps the selected vertices from the old box onto the new one.

#include "tools/tool.h"
#include "tools/transform.h"

namespace vw {

class ScaleTool : public Tool {
public:
    using Tool::Tool;

    // The box around the selected vertices (SetScaleValues).
    void choose() override;
    // Grabs the handle under downX, downY, or nothing.
    void press(const PointerInput& input) override;
    // With the left button alone, moves the grabbed edges to the pointer, maps the selected
    // vertices into the new box and writes them back.
    void move(const PointerInput& input) override;
    void release(const PointerInput& input) override;
    // The vertices and the box come back as they were at the press.
    void cancel() override;
    void abandon() override;
    void selectionChanged() override { choose(); }

private:
    bool m_refused = false;
    ScaleBox m_boxAtPress;
};

} // namespace vw
