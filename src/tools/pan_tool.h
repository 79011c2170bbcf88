#pragma once
// The Pan tool: a left-button drag moves the current view's origin with the pointer.

#include "tools/tool.h"

namespace vw {

class PanTool : public Tool {
public:
    using Tool::Tool;

    void move(const PointerInput& input) override;
};

} // namespace vw
