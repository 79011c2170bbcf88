#pragma once
// What a model's file can hold: edits of fields it has no block for, or of delta vertices it has
// no room for, would be dropped at save, so they are refused when they are made.

#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vw {

// The vertex fields (vertex_fields.h) a save writes for this model's layout: everything for a
// plain mesh, all but colour and alpha for version 6, the positions alone for the delta layout.
uint16_t storableFields(const Model& model);

// Why the fields cannot be saved for this model; empty when they can.
std::string unstorableFieldsReason(const Model& model, uint16_t fields);

// Why vertex index of segment seg of part part cannot take a new position (a delta vertex
// without a base position, or whose slot lies past the file's delta block); empty when it can.
std::string fixedPositionReason(const Model& model, size_t part, size_t seg, size_t index);

// The first reason an edit of these fields of the selected working vertices would be lost at
// save; empty when every one of them can be saved.
std::string editRefusal(const Model& model, uint16_t fields);

} // namespace vw
