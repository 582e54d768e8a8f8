// One light colour per TOP, spread round the hue circle.
#include "TopColours.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "AreaSchedule.hpp"

namespace Runner::Report {

TopColours::TopColours(std::vector<std::string> tops) : ordered(std::move(tops))
{
    std::sort(ordered.begin(), ordered.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
    index.reserve(ordered.size());
    for (std::size_t i = 0; i < ordered.size(); ++i)
        index.emplace(ordered[i], static_cast<int>(i));
}

int TopColours::IndexOf(const std::string& top) const
{
    const auto found = index.find(top);
    return found == index.end() ? -1 : found->second;
}

std::string TopColours::Fill(int index)
{
    // Golden-angle steps keep neighbours in natural order far apart on the hue circle; a high
    // lightness keeps black text readable on every hue.
    const double hue = std::fmod(static_cast<double>(index < 0 ? 0 : index) * 137.508, 360.0);
    char text[40];
    std::snprintf(text, sizeof text, "hsl(%.0f,70%%,82%%)", hue);
    return text;
}

} // namespace Runner::Report
