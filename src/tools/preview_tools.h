#pragma once
// The Preview's side of the tools' frame: it hands the Preview's pointer and keys to the pane's
// current tool, the same tool object the plane views use, so Select, Move, Scale and Rotate act
// there with the same rules, on the same selection and through the same session; the frame's one
// listener ends a drag that something else took away. Pan and Zoom leave the pointer to the
// Preview's camera. During a soft drag the wheel and PageUp and PageDown size the soft radius.
// It also places the 3D cursor there and keeps the Preview's mark of it where the session has it.

#include "model/editing/exact_transform.h"
#include "model/signal.h"
#include "preview/preview_input.h"

class PreviewView;

namespace vw {

class Pane;
class Tool;
class ToolFrame;

class PreviewTools : public PreviewInput {
public:
    PreviewTools(Pane& pane, ToolFrame& tools, PreviewView& view);

    bool actsOnPreview() const override;
    void press(const PreviewPointer& pointer) override;
    void move(const PreviewPointer& pointer) override;
    void release(const PreviewPointer& pointer) override;
    void key(int key, const QString& text, int modifiers) override;
    bool wheel(int notches) override;
    bool isDragging() const override;
    void cancel() override;
    void modalPress(const PreviewPointer& pointer, int button) override;
    void modalRelease(const PreviewPointer& pointer) override;
    bool placeCursor(const PreviewPointer& pointer) override;
    // The drag under way ends, keeping what it did (another tab, another model).
    void abandon();
    // The Blender map's G, S and R in the Preview: a modal drag begun where the pointer last
    // was (ToolFrame::beginModal).
    bool beginModal(TransformKind kind);
    // Circle select in the Preview, shown where the pointer last was.
    void beginCircle();

private:
    // The tool that holds the Preview's drag: the current one, while its drag is under way.
    Tool* dragging() const;

    Pane& m_pane;
    ToolFrame& m_tools;
    PreviewView& m_view;
    PreviewPointer m_pointer; // where the pointer last was
    Subscription m_pivotSubscription;
};

} // namespace vw
