#pragma once
// Cursors A and B on the readings chart: for each a vertical line across every panel shown,
// standing on a reading of the file. From the keyboard while the chart has the focus, A and B
// put their cursor at the middle of the range shown and make it the active one, Left and Right
// move the active one by a reading (with Shift by a tenth of the range shown), S makes the
// other one active, and Esc removes both. Shift with a click or a drag puts the active one
// where the pointer is. The lines are in reading numbers, so zooming and panning keep them.

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

    // The file's reading numbers, which the cursors stand on; cursors placed stay where they
    // are, moved onto the nearest reading.
    void SetReadings(std::vector<double> readings);

    std::optional<double> A() const { return a_; }
    std::optional<double> B() const { return b_; }
    bool AnyPlaced() const { return a_ || b_; }
    // Both cursors, once both are placed.
    std::optional<Cursors> Both() const;
    Which Active() const { return active_; }

    void Place(Which which, double number);
    void PlaceAtMiddle(Which which);
    void MoveActive(int readings);
    void MoveActiveBy(double fractionOfRange);
    void SwapActive();
    void Clear();

    // The lines drawn again on the panels shown; before the chart replaces its panels, the
    // lines are removed.
    void Redraw();
    void RemoveLines();

  signals:
    void cursorsChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool HandleKey(const QKeyEvent& event);
    std::optional<double>& Cursor(Which which) { return which == Which::A ? a_ : b_; }
    void Changed();

    ReadingsChart* chart_;
    std::vector<double> readings_;
    std::optional<double> a_;
    std::optional<double> b_;
    Which active_ = Which::A;
    std::vector<QCPAbstractItem*> lines_;
};

}  // namespace rv7342
