// metadata.hpp - a result's head fields from the run's own records.
//
// Runs, ranges and segments pass what they know as structs; here, where the results are
// written, it becomes the JSON a result's head holds, field by field in a fixed order.
#pragma once

#include "analysis/pitch_range.hpp"
#include "analysis/settled.hpp"
#include "output/writers.hpp"

namespace morvkit {

// "geometry" (zid~, morv.centroid~) and "parameters" (zid~, morv.track~), as the object derived
// or kept them.
Json settled_fields(const Settled &settled);

// The field "range": what was asked and what it chose.
Json describe_range(const PitchRange &range, const RangeChoice &choice);

}  // namespace morvkit
