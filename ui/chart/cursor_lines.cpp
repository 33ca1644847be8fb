#include "ui/chart/cursor_lines.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/chart/readings_chart.h"

namespace rv7342 {

CursorLines::CursorLines(ReadingsChart* chart) : QObject(chart), chart_(chart) {
    chart->installEventFilter(this);
    connect(chart, &ReadingsChart::coloursChanged, this, &CursorLines::Redraw);
}

std::optional<double> CursorLines::A() const {
    return chart_->Document().CursorA();
}

std::optional<double> CursorLines::B() const {
    return chart_->Document().CursorB();
}

void CursorLines::SetCursor(Which which, std::optional<double> number) {
    ReadingsDocument& document = chart_->Document();
    document.SetCursors(which == Which::A ? number : A(), which == Which::B ? number : B());
    Redraw();
    emit cursorsChanged();
}

void CursorLines::Place(Which which, double number) {
    active_ = which;
    SetCursor(which, NearestReading(chart_->Document().CursorReadings(), number));
}

void CursorLines::PlaceAtMiddle(Which which) {
    Place(which, chart_->ReadingRange().center());
}

void CursorLines::MoveActive(int readings) {
    const std::optional<double> cursor = Cursor(active_);
    if (!cursor) {
        PlaceAtMiddle(active_);
        return;
    }
    SetCursor(active_, StepReadings(chart_->Document().CursorReadings(), *cursor, readings));
}

void CursorLines::MoveActiveBy(double fractionOfRange) {
    const std::optional<double> cursor = Cursor(active_);
    if (!cursor) {
        PlaceAtMiddle(active_);
        return;
    }
    const std::vector<double>& readings = chart_->Document().CursorReadings();
    const double step = chart_->ReadingRange().size() * fractionOfRange;
    const double moved = NearestReading(readings, *cursor + step);
    // However short the range, the cursor moves by a reading at least.
    SetCursor(active_,
              moved != *cursor ? moved : StepReadings(readings, *cursor, step < 0 ? -1 : 1));
}

void CursorLines::SwapActive() {
    active_ = active_ == Which::A ? Which::B : Which::A;
    Redraw();
    emit cursorsChanged();
}

void CursorLines::Clear() {
    active_ = Which::A;
    chart_->Document().SetCursors(std::nullopt, std::nullopt);
    Redraw();
    emit cursorsChanged();
}

void CursorLines::RemoveLines() {
    for (QCPAbstractItem* line : lines_) {
        chart_->removeItem(line);
    }
    lines_.clear();
}

void CursorLines::Redraw() {
    RemoveLines();
    const QList<QCPAxisRect*> panels = chart_->Panels();
    const QColor colour = chart_->Colours().cursor;
    for (const Which which : {Which::A, Which::B}) {
        const std::optional<double> cursor = Cursor(which);
        if (!cursor) {
            continue;
        }
        QPen pen(colour, which == active_ ? 2 : 1);
        pen.setStyle(which == Which::A ? Qt::SolidLine : Qt::DashLine);
        for (QCPAxisRect* panel : panels) {
            auto* line = new QCPItemStraightLine(chart_);
            line->setPen(pen);
            line->setClipAxisRect(panel);
            for (QCPItemPosition* point : {line->point1, line->point2}) {
                point->setAxes(panel->axis(QCPAxis::atBottom), panel->axis(QCPAxis::atLeft));
                point->setAxisRect(panel);
            }
            line->point1->setCoords(*cursor, 0);
            line->point2->setCoords(*cursor, 1);
            lines_.push_back(line);
        }
        if (!panels.isEmpty()) {
            auto* name = new QCPItemText(chart_);
            name->setText(which == Which::A ? QStringLiteral("A") : QStringLiteral("B"));
            name->setClipAxisRect(panels.front());
            name->position->setAxes(panels.front()->axis(QCPAxis::atBottom),
                                    panels.front()->axis(QCPAxis::atLeft));
            name->position->setAxisRect(panels.front());
            name->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            name->position->setCoords(*cursor, 0);
            name->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
            name->setPadding(QMargins(3, 1, 0, 0));
            name->setColor(colour);
            lines_.push_back(name);
        }
    }
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

bool CursorLines::HandleKey(const QKeyEvent& event) {
    const bool shift = event.modifiers() == Qt::ShiftModifier;
    const bool arrow = event.key() == Qt::Key_Left || event.key() == Qt::Key_Right;
    if (event.modifiers() != Qt::NoModifier && !(shift && arrow)) {
        return false;
    }
    if (!arrow) {
        return false;
    }
    const int direction = event.key() == Qt::Key_Left ? -1 : 1;
    shift ? MoveActiveBy(direction * 0.1) : MoveActive(direction);
    return true;
}

bool CursorLines::eventFilter(QObject* watched, QEvent* event) {
    if (watched != chart_) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        return HandleKey(*static_cast<QKeyEvent*>(event));
    }
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (press || event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool placing = mouse->modifiers() == Qt::ShiftModifier &&
                             (press ? mouse->button() : mouse->buttons()) == Qt::LeftButton;
        const QList<QCPAxisRect*> panels = chart_->Panels();
        if (placing && !panels.isEmpty()) {
            Place(active_,
                  panels.front()->axis(QCPAxis::atBottom)->pixelToCoord(mouse->position().x()));
            return true;
        }
    }
    return false;
}

}  // namespace rv7342
