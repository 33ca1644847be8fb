#include "ui/chart/chart_colours.h"

#include "ui/theme/theme.h"

namespace rv7342 {

QColor ChartColours::Series(int index) const {
    return series[static_cast<std::size_t>(index) % series.size()];
}

const ChartColours& LightChartColours() {
    static const ChartColours light{Qt::white,
                                    Qt::black,
                                    {200, 200, 200},
                                    {160, 160, 160},
                                    {60, 60, 60},
                                    {230, 80, 0},
                                    {{31, 119, 180},
                                     {214, 39, 40},
                                     {44, 140, 44},
                                     {200, 100, 0},
                                     {148, 103, 189},
                                     {140, 86, 75},
                                     {200, 70, 160},
                                     {110, 110, 110},
                                     {130, 130, 0},
                                     {0, 130, 150}}};
    return light;
}

// The light colours' hues, lighter, on the dark palette's base.
const ChartColours& DarkChartColours() {
    static const ChartColours dark{{30, 30, 30},
                                   {220, 220, 220},
                                   {70, 70, 70},
                                   {110, 110, 110},
                                   {220, 220, 220},
                                   {255, 140, 60},
                                   {{90, 165, 240},
                                    {240, 100, 100},
                                    {100, 200, 100},
                                    {240, 160, 60},
                                    {180, 140, 240},
                                    {200, 145, 115},
                                    {240, 130, 200},
                                    {170, 170, 170},
                                    {200, 200, 70},
                                    {70, 200, 210}}};
    return dark;
}

const ChartColours& ChartColoursFor(const QPalette& palette) {
    return IsDark(palette) ? DarkChartColours() : LightChartColours();
}

}  // namespace rv7342
