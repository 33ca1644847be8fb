#pragma once
// The colours a chart is drawn in, on the light or the dark background of its palette. Every
// series, cursor and limit mark keeps a contrast of at least 3:1 against the background.

#include <QColor>
#include <QPalette>

#include <vector>

namespace rv7342 {

struct ChartColours {
    QColor background;
    QColor text;  // axes, ticks, their labels, the legend's names and frame
    QColor grid;
    QColor hiddenLegendText;  // the name of a series hidden, greyed
    QColor cursor;
    QColor warning;  // the limit lines and the readings beyond them
    std::vector<QColor> series;

    // The colour of series `index`, the colours taken again from the first past the last.
    QColor Series(int index) const;
};

const ChartColours& LightChartColours();
const ChartColours& DarkChartColours();
// The light colours or the dark ones, as the palette is.
const ChartColours& ChartColoursFor(const QPalette& palette);

}  // namespace rv7342
