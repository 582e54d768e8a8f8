// Rounding, number formats and texts of the area report and the exported schedule.
#include "ReportLanguage.hpp"

#include <cmath>
#include <cstdlib>

namespace Runner::Report {

Centi RoundArea(double squareMetres)
{
    const double hundredths = std::round(squareMetres * 100.0); // halves away from zero
    // Far beyond any building, and within what a 64-bit sum of many rooms can hold.
    constexpr double limit = 1e15;
    if (!std::isfinite(hundredths) || std::fabs(hundredths) > limit)
        return 0;
    return static_cast<Centi>(hundredths);
}

bool ParseLanguage(const std::string& code, Language& language)
{
    if (code == "en")
        language = Language::English;
    else if (code == "de")
        language = Language::German;
    else
        return false;
    return true;
}

namespace {

std::string Format(Centi area, Language language, bool grouped)
{
    const char decimal = language == Language::German ? ',' : '.';
    const char group = language == Language::German ? '.' : ',';
    const bool negative = area < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(area) : static_cast<std::uint64_t>(area);
    const std::string whole = std::to_string(magnitude / 100);
    const std::uint64_t fraction = magnitude % 100;

    std::string text;
    if (negative)
        text += '-';
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (grouped && i > 0 && (whole.size() - i) % 3 == 0)
            text += group;
        text += whole[i];
    }
    text += decimal;
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

} // namespace

std::string FormatArea(Centi area, Language language)
{
    return Format(area, language, true);
}

std::string FormatAreaPlain(Centi area, Language language)
{
    return Format(area, language, false);
}

const ReportTexts& TextsFor(Language language)
{
    static const ReportTexts english = [] {
        ReportTexts t;
        t.storey = "Storey";
        t.number = "No.";
        t.name = "Name";
        t.category = "Category";
        t.top = "TOP";
        t.areaHeading[0] = "Area 1";
        t.areaHeading[1] = "Area 2";
        t.areaHeading[2] = "Area 3";
        t.areaHeading[3] = "Area 4";
        t.subtotal = "Subtotal";
        t.topTotal = "TOP total";
        t.buildingTotals = "Building totals";
        t.noTop = "Zones without TOP";
        t.roundingPolicy = "Areas in m², rounded to two decimals; every sum adds up the rounded values as printed.";
        t.schedule = "Area schedule";
        t.rowKind = "Row";
        t.room = "Room";
        t.buildingSubtotal = "Building subtotal";
        t.buildingTotal = "Building total";
        t.categoryCode = "Code";
        t.categorySlot = "Category no.";
        t.zoneId = "Zone id";
        t.title = "Area report";
        t.plansHeading = "Plans";
        t.storeyHeading = "Storey";
        t.legendInconsistent = "inconsistent zone";
        t.legendWrong = "Arealist not up to date";
        t.zonesWithoutTop = "without TOP";
        t.zonesCount = {"zone", "zones"};
        t.topsCount = {"TOP", "TOPs"};
        t.storeysCount = {"storey", "storeys"};
        t.arealistsCount = {"Arealist", "Arealists"};
        t.legendHeading = "Legend";
        t.legendTop = "zone, in the colour of its TOP";
        t.legendArealist = "Arealist: its TOP; per line category code and name, line text and the four area sums; "
                           "\u03a3 the TOP total. Drawn from its own values, so an outdated one shows outdated values.";
        t.legendLink = "link from an Arealist to a zone of its TOP on this storey";
        t.legendStacked = "Arealists standing at the same point are drawn one above the other; one that would cover "
                          "rooms or another Arealist is drawn beside the plan. A dashed leader leads to the point "
                          "where it stands.";
        t.emptyStorey = "No zones or Arealists on this storey.";
        t.squareMetres = "m\u00b2";
        t.contentsHeading = "Contents";
        t.contentsStorey = "Storey";
        t.contentsTops = "TOPs";
        t.scale = "Scale";
        t.scaleNote = "Every plan is drawn at 1:%s (at 100 % zoom, as on paper); a plan wider than the window "
                      "scrolls sideways. Click a storey to open or close it.";
        t.scheduleOfStorey = "TOPs of";
        return t;
    }();
    static const ReportTexts german = [] {
        ReportTexts t;
        t.storey = "Geschoss";
        t.number = "Nr.";
        t.name = "Name";
        t.category = "Kategorie";
        t.top = "TOP";
        t.areaHeading[0] = "Fläche 1";
        t.areaHeading[1] = "Fläche 2";
        t.areaHeading[2] = "Fläche 3";
        t.areaHeading[3] = "Fläche 4";
        t.subtotal = "Zwischensumme";
        t.topTotal = "Summe TOP";
        t.buildingTotals = "Summen des Gebäudes";
        t.noTop = "Zonen ohne TOP";
        t.roundingPolicy =
            "Flächen in m², auf zwei Dezimalstellen gerundet; jede Summe addiert die gerundeten Werte, wie sie "
            "gedruckt sind.";
        t.schedule = "Flächenaufstellung";
        t.rowKind = "Zeile";
        t.room = "Raum";
        t.buildingSubtotal = "Zwischensumme Gebäude";
        t.buildingTotal = "Summe Gebäude";
        t.categoryCode = "Code";
        t.categorySlot = "Kategorie-Nr.";
        t.zoneId = "Zonen-ID";
        t.title = "Flächenbericht";
        t.plansHeading = "Pläne";
        t.storeyHeading = "Geschoss";
        t.legendInconsistent = "inkonsistente Zone";
        t.legendWrong = "Arealist nicht aktuell";
        t.zonesWithoutTop = "ohne TOP";
        t.zonesCount = {"Zone", "Zonen"};
        t.topsCount = {"TOP", "TOPs"};
        t.storeysCount = {"Geschoss", "Geschosse"};
        t.arealistsCount = {"Arealist", "Arealists"};
        t.legendHeading = "Legende";
        t.legendTop = "Zone, in der Farbe ihres TOPs";
        t.legendArealist = "Arealist: sein TOP; je Zeile Kategorie-Code und -Name, Zeilentext und die vier "
                           "Flächensummen; \u03a3 die Summe des TOPs. Aus seinen eigenen Werten gezeichnet: ein "
                           "veralteter zeigt veraltete Werte.";
        t.legendLink = "Verknüpfung eines Arealists mit einer Zone seines TOPs in diesem Geschoss";
        t.legendStacked = "Arealists am selben Punkt werden übereinander gezeichnet; einer, der Räume oder einen "
                          "anderen Arealist verdecken würde, neben dem Plan. Eine gestrichelte Linie führt zu dem "
                          "Punkt, an dem er steht.";
        t.emptyStorey = "Keine Zonen oder Arealists in diesem Geschoss.";
        t.squareMetres = "m\u00b2";
        t.contentsHeading = "Inhalt";
        t.contentsStorey = "Geschoss";
        t.contentsTops = "TOPs";
        t.scale = "Maßstab";
        t.scaleNote = "Alle Pläne im Maßstab 1:%s (bei 100 % Zoom wie auf Papier); ein Plan, der breiter als das "
                      "Fenster ist, lässt sich seitlich verschieben. Ein Klick auf ein Geschoss öffnet oder "
                      "schließt es.";
        t.scheduleOfStorey = "TOPs im";
        return t;
    }();
    return language == Language::German ? german : english;
}

} // namespace Runner::Report
