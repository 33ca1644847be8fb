#pragma once
// Cursors A and B on the readings chart: for each a vertical line across every panel shown,
// standing on a reading of the file. PlaceAtMiddle puts a cursor at the middle of the range
// shown and makes it the active one (the window's commands A and B). From the keyboard while
// the chart has the focus, Left and Right move the active one by a reading (with Shift by a
// tenth of the range shown). Shift with a click or a drag puts the active one where the
// pointer is. The cursors are the chart's document's; the lines are in reading
// numbers, so zooming and panning keep them.

#include <QObject>

#include <optional>
#include <vector>

#include "measuring/cursors.h"

class QCPAbstractItem;
class QKeyEvent;

namespace rv7342 {

class ReadingsChart;

class CursorLines : public QObject {
    Q_OBJECT
  public:
    enum class Which { A, B };

    explicit CursorLines(ReadingsChart* chart);

    std::optional<double> A() const;
    std::optional<double> B() const;
    bool AnyPlaced() const { return A() || B(); }
    Which Active() const { return active_; }

    void Place(Which which, double number);
    void PlaceAtMiddle(Which which);
    void MoveActive(int readings);
    void MoveActiveBy(double fractionOfRange);
    void SwapActive();
    void Clear();

    // The lines drawn again on the panels shown, after the document's cursors or series changed;
    // before the chart replaces its panels, the lines are removed.
    void Redraw();
    void RemoveLines();

  signals:
    void cursorsChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool HandleKey(const QKeyEvent& event);
    std::optional<double> Cursor(Which which) const { return which == Which::A ? A() : B(); }
    void SetCursor(Which which, std::optional<double> number);

    ReadingsChart* chart_;
    Which active_ = Which::A;
    std::vector<QCPAbstractItem*> lines_;
};

}  // namespace rv7342
