#pragma once
// A chart saved as SVG, told as its reader sees it: its title, its panels by their axis
// titles, the horizontal axis's title, and each legend entry with the line it shows and the
// points drawn in its colour, by panel. Read by QXmlStreamReader from the file alone.

#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace rv7342 {

namespace svg_chart {

struct Style {
    QString stroke, dashes, transform;
};

struct Text {
    QString text, fill;
    Style style;
    double x = 0, y = 0;  // where it stands, the group's translation added
};

// The translation of a transform "matrix(a,b,c,d,x,y)"; whether it turns the text upright.
inline bool Upright(const QString& transform) {
    return transform.startsWith(QLatin1String("matrix(0,-1,1,0,"));
}
inline std::pair<double, double> Offset(const QString& transform) {
    const QStringList numbers =
        QString(transform).remove(QStringLiteral("matrix(")).remove(')').split(',');
    return numbers.size() == 6 ? std::pair{numbers[4].toDouble(), numbers[5].toDouble()}
                               : std::pair{0.0, 0.0};
}

}  // namespace svg_chart

// The chart in `svg`, one line each:
//   title run.dat - Readings
//   panel V DC                         (top to bottom)
//   axis Elapsed time                  (the horizontal axis)
//   legend V DC: solid, 3 points in V DC   (the points within the image)
//   legend V DC · b.dat: dotted, 2 points in V DC
//   legend mV DC (second display): dashed, hidden
// A line style is solid, dotted (1,2), dashed (any other dashes); a hidden series's name is
// greyed in the legend. "error ..." when the XML does not read.
inline std::string DescribeSvgChart(const std::string& svg) {
    using namespace svg_chart;
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    std::vector<Style> groups{{}};
    std::vector<Text> texts;
    struct Mark {
        Style style;
        double x, y;
        bool point;  // a circle, otherwise a line
    };
    std::vector<Mark> marks;
    double legendLeft = 1e9, legendTop = 1e9, legendRight = -1, legendBottom = -1;
    QString title;
    double width = 0, height = 0;  // of the image
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("g")) {
            groups.pop_back();
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto value = [&](const char* name) {
            return attributes.value(QLatin1String(name)).toString();
        };
        const QString name = xml.name().toString();
        if (name == QLatin1String("g")) {
            groups.push_back({value("stroke"), value("stroke-dasharray"), value("transform")});
        } else if (name == QLatin1String("svg")) {
            const QStringList box = value("viewBox").split(' ');
            width = box.value(2).toDouble();
            height = box.value(3).toDouble();
        } else if (name == QLatin1String("title")) {
            title = xml.readElementText();
        } else if (name == QLatin1String("text")) {
            const auto [dx, dy] = Offset(groups.back().transform);
            const double x = value("x").toDouble() + dx, y = value("y").toDouble() + dy;
            texts.push_back({xml.readElementText(), value("fill"), groups.back(), x, y});
        } else if (name == QLatin1String("circle")) {
            marks.push_back({groups.back(), value("cx").toDouble(), value("cy").toDouble(), true});
        } else if (name == QLatin1String("polyline")) {
            const QStringList first = value("points").split(' ').value(0).split(',');
            marks.push_back(
                {groups.back(), first.value(0).toDouble(), first.value(1).toDouble(), false});
        } else if (name == QLatin1String("rect") &&
                   groups.back().stroke == QLatin1String("#000000")) {
            legendLeft = value("x").toDouble();
            legendTop = value("y").toDouble();
            legendRight = legendLeft + value("width").toDouble();
            legendBottom = legendTop + value("height").toDouble();
        }
    }
    if (xml.hasError()) {
        return "error " + xml.errorString().toStdString();
    }
    const auto inLegend = [&](double x, double y) {
        return x >= legendLeft && x <= legendRight && y >= legendTop && y <= legendBottom;
    };
    std::string described = "title " + title.toStdString() + "\n";
    std::map<double, QString> panels;  // by the bottom of each panel, where its title starts
    for (const Text& text : texts) {
        if (Upright(text.style.transform)) {
            panels[Offset(text.style.transform).second] = text.text;
            described += "panel " + text.text.toStdString() + "\n";
        }
    }
    for (const Text& text : texts) {
        if (text.style.transform == QLatin1String("matrix(1,0,0,1,0,0)") &&
            !inLegend(text.x, text.y)) {
            described += "axis " + text.text.toStdString() + "\n";
        }
    }
    for (std::size_t index = 0; index < texts.size(); ++index) {
        const Text& text = texts[index];
        if (!inLegend(text.x, text.y) || Upright(text.style.transform)) {
            continue;
        }
        // The entry's sample line, in the row of its name, has the series's colour.
        Style line;
        double nearest = 1e9;
        for (const Mark& mark : marks) {
            if (!mark.point && inLegend(mark.x, mark.y) && std::abs(mark.y - text.y) < nearest) {
                nearest = std::abs(mark.y - text.y);
                line = mark.style;
            }
        }
        const QString dashes = line.dashes;
        described += "legend " + text.text.toStdString() + ": " +
                     (dashes.isEmpty()                 ? "solid"
                      : dashes == QLatin1String("1,2") ? "dotted"
                                                       : "dashed");
        if (text.fill == QLatin1String("#a0a0a0")) {
            described += ", hidden\n";
            continue;
        }
        std::map<QString, int> points;  // by panel
        for (const Mark& mark : marks) {
            const bool shown = mark.x >= 0 && mark.x <= width && mark.y >= 0 && mark.y <= height;
            if (mark.point && shown && mark.style.stroke == line.stroke &&
                !inLegend(mark.x, mark.y)) {
                const auto panel = panels.lower_bound(mark.y - 0.5);
                ++points[panel == panels.end() ? QStringLiteral("no panel") : panel->second];
            }
        }
        for (const auto& [panel, count] : points) {
            described += ", " + std::to_string(count) +
                         (count == 1 ? " point in " : " points in ") + panel.toStdString();
        }
        described += "\n";
    }
    return described;
}

}  // namespace rv7342
