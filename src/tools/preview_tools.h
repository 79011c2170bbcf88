#pragma once
// The Select, Move, Scale and Rotate tools on the Preview's pointer: the pane's current tool
// (toolMode) acts there as in the plane views, on the same selection and through the same edit
// call. Pan and Zoom leave the pointer to the Preview's camera.

#include "model/signal.h"
#include "preview/preview_input.h"
#include "tools/preview_select.h"
#include "tools/preview_transform.h"

namespace vw {

struct DocumentChange;

class PreviewTools : public PreviewInput {
public:
    PreviewTools(Pane& pane, ToolFeedback& feedback, PreviewView& view);

    bool actsOnPreview() const override;
    void press(const PreviewPointer& pointer) override;
    void move(const PreviewPointer& pointer) override;
    void release(const PreviewPointer& pointer) override;
    void key(int key, const QString& text, int modifiers) override;
    bool isDragging() const override;
    void cancel() override;
    // The drag under way ends, keeping what it did (another tab, another model).
    void abandon();

private:
    void documentChanged(const DocumentChange& change);

    Pane& m_pane;
    PreviewSelect m_select;
    PreviewTransform m_transform;
    // Set while an event is with the tools, whose own edits come back through the document.
    bool m_dispatching = false;
    Subscription m_subscription;
};

} // namespace vw
