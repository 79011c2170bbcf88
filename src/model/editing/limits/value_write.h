#pragma once
// The one way a front end (an import, a script, a live link) writes new vertex values into the
// document: the model's file decides what may be written, and segments sharing one block of it
// take the same values.

#include "model/editing/history/document.h"
#include "model/result.h"
#include "model/segment_values.h"

#include <cstdint>
#include <string>

namespace vw {

// Writes the values into Parts as one undoable step of the document labelled as given (see
// Document::editModel; selCount is the pane's selection count). An edit through one segment of
// a shared block is an edit of every segment reading it. Refused, changing nothing and
// announcing nothing, when a segment is not in the model, is given as many values as it has no
// vertices, or is given twice; when its file cannot keep a field of write.fields or a moved
// position; or when segments sharing a block are given different values for it.
Result writeValues(Document& document, std::string label, const ValueWrite& write,
                   int32_t selCount = 0);

} // namespace vw
