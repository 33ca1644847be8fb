#pragma once
// A chart saved as SVG, told as its reader sees it: its title, its panels by their axis
// titles, the horizontal axis's title, and each legend entry with the line it shows and the
// points drawn in its colour, by panel. Read by QXmlStreamReader from the file alone.

#include <QRectF>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace rv7342 {

namespace svg_chart {

// What a group gives the shapes in it.
struct Style {
    QString stroke, dashes, transform;
};

struct Text {
    QString text, fill;
    Style style;
    QPointF at;  // where it stands, the group's translation added
};

// A data point or legend marker (a circle), or the start of a line.
struct Mark {
    Style style;
    QPointF at;
    bool point;
};

struct Drawing {
    QString title;
    QRectF image, legend;  // the legend's frame is the only black rectangle
    std::vector<Text> texts;
    std::vector<Mark> marks;
    QString error;
};

// Whether a transform "matrix(a,b,c,d,x,y)" turns the text upright, as a panel's axis title.
inline bool Upright(const QString& transform) {
    return transform.startsWith(QLatin1String("matrix(0,-1,1,0,"));
}
// Its translation.
inline QPointF Offset(const QString& transform) {
    const QStringList numbers =
        QString(transform).remove(QStringLiteral("matrix(")).remove(')').split(',');
    return numbers.size() == 6 ? QPointF(numbers[4].toDouble(), numbers[5].toDouble()) : QPointF();
}

inline Drawing Read(const std::string& svg) {
    Drawing drawing;
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    std::vector<Style> groups{{}};
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("g")) {
            groups.pop_back();
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto number = [&](const char* name) {
            return attributes.value(QLatin1String(name)).toDouble();
        };
        const QString name = xml.name().toString();
        const Style& style = groups.back();
        if (name == QLatin1String("g")) {
            groups.push_back({attributes.value(QLatin1String("stroke")).toString(),
                              attributes.value(QLatin1String("stroke-dasharray")).toString(),
                              attributes.value(QLatin1String("transform")).toString()});
        } else if (name == QLatin1String("svg")) {
            const QStringList box =
                attributes.value(QLatin1String("viewBox")).toString().split(' ');
            drawing.image = QRectF(0, 0, box.value(2).toDouble(), box.value(3).toDouble());
        } else if (name == QLatin1String("title")) {
            drawing.title = xml.readElementText();
        } else if (name == QLatin1String("text")) {
            const QString fill = attributes.value(QLatin1String("fill")).toString();
            const QPointF at = QPointF(number("x"), number("y")) + Offset(style.transform);
            drawing.texts.push_back({xml.readElementText(), fill, style, at});
        } else if (name == QLatin1String("circle")) {
            drawing.marks.push_back({style, QPointF(number("cx"), number("cy")), true});
        } else if (name == QLatin1String("polyline")) {
            const QStringList first =
                attributes.value(QLatin1String("points")).toString().split(' ').value(0).split(',');
            drawing.marks.push_back(
                {style, QPointF(first.value(0).toDouble(), first.value(1).toDouble()), false});
        } else if (name == QLatin1String("rect") && style.stroke == QLatin1String("#000000")) {
            drawing.legend = QRectF(number("x"), number("y"), number("width"), number("height"));
        }
    }
    drawing.error = xml.hasError() ? xml.errorString() : QString();
    return drawing;
}

// The legend entry `name`'s sample line, the one in its row, which has its series's style.
inline Style SampleLine(const Drawing& drawing, const Text& name) {
    Style line;
    double nearest = 1e9;
    for (const Mark& mark : drawing.marks) {
        const double distance = std::abs(mark.at.y() - name.at.y());
        if (!mark.point && drawing.legend.contains(mark.at) && distance < nearest) {
            nearest = distance;
            line = mark.style;
        }
    }
    return line;
}

// ", 3 points in V DC": the points of the image drawn in `line`'s colour, by the panel they lie
// in; `panels` by the bottom of each, where its title starts.
inline std::string PointsByPanel(const Drawing& drawing, const Style& line,
                                 const std::map<double, QString>& panels) {
    std::map<QString, int> points;
    for (const Mark& mark : drawing.marks) {
        if (mark.point && mark.style.stroke == line.stroke && drawing.image.contains(mark.at) &&
            !drawing.legend.contains(mark.at)) {
            const auto panel = panels.lower_bound(mark.at.y() - 0.5);
            ++points[panel == panels.end() ? QStringLiteral("no panel") : panel->second];
        }
    }
    std::string told;
    for (const auto& [panel, count] : points) {
        told += ", " + std::to_string(count) + (count == 1 ? " point in " : " points in ") +
                panel.toStdString();
    }
    return told;
}

}  // namespace svg_chart

// The chart in `svg`, one line each:
//   title run.dat - Readings
//   panel V DC                                 (top to bottom)
//   axis Elapsed time                          (the horizontal axis)
//   legend V DC: solid, 3 points in V DC       (the points within the image)
//   legend V DC · b.dat: dotted, 2 points in V DC
//   legend mV DC (second display): dashed, hidden
// A line style is solid, dotted (1,2), dashed (any other dashes); a hidden series's name is
// greyed in the legend. "error ..." when the XML does not read.
inline std::string DescribeSvgChart(const std::string& svg) {
    using namespace svg_chart;
    const Drawing drawing = Read(svg);
    if (!drawing.error.isEmpty()) {
        return "error " + drawing.error.toStdString();
    }
    std::string described = "title " + drawing.title.toStdString() + "\n";
    std::map<double, QString> panels;
    for (const Text& text : drawing.texts) {
        if (Upright(text.style.transform)) {
            panels[Offset(text.style.transform).y()] = text.text;
            described += "panel " + text.text.toStdString() + "\n";
        }
    }
    for (const Text& text : drawing.texts) {
        if (text.style.transform == QLatin1String("matrix(1,0,0,1,0,0)") &&
            !drawing.legend.contains(text.at)) {
            described += "axis " + text.text.toStdString() + "\n";
        }
    }
    for (const Text& text : drawing.texts) {
        if (!drawing.legend.contains(text.at) || Upright(text.style.transform)) {
            continue;
        }
        const Style line = SampleLine(drawing, text);
        described +=
            "legend " + text.text.toStdString() + ": " +
            (line.dashes.isEmpty()                 ? "solid"
             : line.dashes == QLatin1String("1,2") ? "dotted"
                                                   : "dashed") +
            (text.fill == QLatin1String("#a0a0a0") ? ", hidden"
                                                   : PointsByPanel(drawing, line, panels)) +
            "\n";
    }
    return described;
}

}  // namespace rv7342
