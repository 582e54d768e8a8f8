// Picks the report's drawing scale from the zones' labels.
#include "DrawingScale.hpp"

#include "PlanModel.hpp"
#include "ZoneLabel.hpp"

namespace Runner::Report {

int ChooseDrawingScale(const Plans& plans, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    std::size_t chosen = drawingScales.size() - 1;
    for (const StoreyPlan& plan : plans.storeys)
        for (const PlanZone& zone : plan.zones) {
            const std::string area = FormatArea(zone.area, language) + " " + texts.squareMetres;
            const int best = ChooseZoneLabel(zone, area, drawingScales.front()).parts;
            // Labels only grow at finer scales: the coarsest that shows all this zone can show.
            while (chosen > 0 && ChooseZoneLabel(zone, area, drawingScales[chosen]).parts < best)
                --chosen;
        }
    return drawingScales[chosen];
}

double ScaleBarMetres(int scale)
{
    const double metresPerPixel = PlanPerPixel(scale) / 100.0;
    double chosen = 1.0;
    for (const double metres : {1.0, 2.0, 5.0, 10.0, 20.0, 25.0, 50.0, 100.0})
        if (metres / metresPerPixel <= 200.0)
            chosen = metres;
    return chosen;
}

} // namespace Runner::Report
