#pragma once
// What a model's file can hold: edits of fields it has no block for, or of delta vertices it has
// no room for, would be dropped at save, so they are refused when they are made.

#include "model/model.h"
#include "model/result.h"

#include <cstddef>
#include <cstdint>

namespace vw {

// The vertex fields (vertex_fields.h) a save writes for this model's layout: everything for a
// plain mesh, all but colour and alpha for version 6, the positions alone for the delta layout.
uint16_t storableFields(const Model& model);

// storableFields less the colour and alpha of a segment that has no colour block.
uint16_t storableFields(const Model& model, SegmentRef segment);

// Fails, saying why, when the fields cannot be saved for this model.
Result checkStorableFields(const Model& model, uint16_t fields);

// Fails, saying why, when the fields cannot be saved for this segment of the model.
Result checkStorableFields(const Model& model, SegmentRef segment, uint16_t fields);

// Fails, saying why, when vertex index of segment seg of part part cannot take a new position (a
// delta vertex without a base position, or whose slot lies past the file's delta block).
Result checkMovable(const Model& model, size_t part, size_t seg, size_t index);

// Fails with the first reason an edit of these fields of the selected working vertices would be
// lost at save.
Result checkEditable(const Model& model, uint16_t fields);

} // namespace vw
