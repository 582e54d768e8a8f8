// Where the report draws each Arealist's table on a storey's plan: where the label stands, above
// the ones before it at the same point, or, where that would cover rooms or another table, in a
// row beside the plan with a leader back to where the label stands.
#pragma once

#include "PlanModel.hpp"

namespace Runner::Report {

// Sets `drawnAt`, `beside` and `leaderFrom` of the plan's Arealists, taken in their order, and
// widens the plan's bounds to everything drawn. The zones' outlines must be set. A table is kept
// where the label stands (or stacked above the ones before it at that point) when it covers no zone
// and no table kept before it; the others go into rows above or below everything else, to the
// nearer side, centred on their positions as far as the row allows. Cost: about linear in zones
// and Arealists; each row costs at most the square of the tables in it.
void PlaceArealists(StoreyPlan& plan);

} // namespace Runner::Report
