#include "ui/readings/time_axis_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <cmath>
#include "ui/theme/theme.h"

namespace rv7342 {

namespace {

// Seconds as typed, with this desktop's decimal separator or a period.
std::optional<double> ParseInterval(const QString& text) {
    bool ok = false;
    double seconds = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok) {
        seconds = QLocale::c().toDouble(text.trimmed(), &ok);
    }
    return ok && IsValidInterval(seconds) ? std::optional<double>(seconds) : std::nullopt;
}

double LocalSeconds(const QDateTime& time) {
    const QDate date = time.date();
    const QTime clock = time.time();
    return FromCivil({date.year(), date.month(), date.day(), clock.hour(), clock.minute(),
                      static_cast<double>(clock.second())});
}

QDateTime LocalDateTime(double seconds) {
    const CivilTime time = ToCivil(std::floor(seconds));
    return QDateTime(QDate(time.year, time.month, time.day),
                     QTime(time.hour, time.minute, static_cast<int>(time.second)));
}

}  // namespace

TimeAxisBar::TimeAxisBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    interval_ = new QLineEdit(this);
    interval_->setPlaceholderText(QStringLiteral("none"));
    interval_->setToolTip(QStringLiteral("Seconds between two readings, 0.1 to 86400"));
    interval_->setMaximumWidth(90);
    auto* intervalLabel = new QLabel(QStringLiteral("Logging &interval:"), this);
    intervalLabel->setBuddy(interval_);
    startBox_ = new QCheckBox(QStringLiteral("S&tarted at"), this);
    startBox_->setToolTip(QStringLiteral("The date and time of the first reading"));
    start_ = new QDateTimeEdit(this);
    start_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    start_->setCalendarPopup(true);
    start_->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    choice_ = new QComboBox(this);
    for (const AxisKind kind : kAxisKinds) {
        choice_->addItem(QString::fromLatin1(AxisTitle(kind)));
    }
    auto* choiceLabel = new QLabel(QStringLiteral("A&xis:"), this);
    choiceLabel->setBuddy(choice_);
    layout->addWidget(intervalLabel);
    layout->addWidget(interval_);
    layout->addWidget(new QLabel(QStringLiteral("s"), this));
    layout->addSpacing(12);
    layout->addWidget(startBox_);
    layout->addWidget(start_);
    layout->addSpacing(12);
    layout->addWidget(choiceLabel);
    layout->addWidget(choice_);
    layout->addStretch(1);

    connect(interval_, &QLineEdit::textEdited, this, &TimeAxisBar::OnIntervalEdited);
    connect(startBox_, &QCheckBox::clicked, this, &TimeAxisBar::OnStartChosen);
    connect(start_, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (startBox_->isChecked()) {
            OnStartChosen();
        }
    });
    connect(choice_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { ChooseAxis(static_cast<AxisKind>(index)); });
    ShowState();
}

void TimeAxisBar::SetAxis(const TimeAxis& axis) {
    axis_ = axis;
    const QSignalBlocker blockStart(start_);
    interval_->setText(axis.interval ? QLocale().toString(*axis.interval, 'g', 15) : QString());
    startBox_->setChecked(axis.start.has_value());
    if (axis.start) {
        start_->setDateTime(LocalDateTime(*axis.start));
    }
    ShowState();
}

void TimeAxisBar::OnIntervalEdited(const QString& text) {
    const bool hadInterval = axis_.interval.has_value();
    axis_.interval = ParseInterval(text);
    if (axis_.interval && !hadInterval && axis_.kind == AxisKind::ReadingNumber) {
        axis_.kind = axis_.start ? AxisKind::Clock : AxisKind::Elapsed;
    }
    ShowState();
    emit axisChosen(axis_);
}

void TimeAxisBar::OnStartChosen() {
    if (startBox_->isChecked()) {
        axis_.start = LocalSeconds(start_->dateTime());
        if (axis_.interval) {
            axis_.kind = AxisKind::Clock;
        }
    } else {
        axis_.start.reset();
        if (axis_.kind == AxisKind::Clock) {
            axis_.kind = AxisKind::Elapsed;
        }
    }
    ShowState();
    emit axisChosen(axis_);
}

void TimeAxisBar::ChooseAxis(AxisKind kind) {
    if (!axis_.Allows(kind)) {
        return;
    }
    axis_.kind = kind;
    ShowState();
    emit axisChosen(axis_);
}

void TimeAxisBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        ShowState();  // a wrong interval marked in the theme's colours
    }
}

// The axis choice offers the axes the interval and start allow; a wrong interval is marked.
void TimeAxisBar::ShowState() {
    const bool wrong = !interval_->text().trimmed().isEmpty() && !axis_.interval;
    const QString marked = IsDark(palette()) ? QStringLiteral("QLineEdit { background: #6a2a2a; }")
                                             : QStringLiteral("QLineEdit { background: #ffd8d8; }");
    interval_->setStyleSheet(wrong ? marked : QString());
    start_->setEnabled(startBox_->isChecked());
    choice_->setEnabled(axis_.Allows(AxisKind::Elapsed));
    if (auto* items = qobject_cast<QStandardItemModel*>(choice_->model())) {
        for (const AxisKind kind : kAxisKinds) {
            items->item(static_cast<int>(kind))->setEnabled(axis_.Allows(kind));
        }
    }
    choice_->setCurrentIndex(static_cast<int>(axis_.Shown()));
}

}  // namespace rv7342
