// The themes: the application's palette, both windows' colours and the chart's in Light and
// Dark, switched while the windows are open; every line's contrast against the chart's
// background, worked out here from the colours themselves.

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/window_fixture.h"
#include "ui/chart/chart_colours.h"
#include "ui/chart/chart_saving.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings/readings_window.h"
#include "ui/readings/readings_window_set.h"
#include "ui/theme/theme.h"

namespace rv7342 {
namespace {

// The relative luminance of a colour and the contrast ratio of two, as WCAG 2 defines them.
double Luminance(const QColor& colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

TEST(ChartColoursTest, EveryLineAndMarkStandsOutOfTheBackgroundInBothThemes) {
    for (const ChartColours* colours : {&LightChartColours(), &DarkChartColours()}) {
        SCOPED_TRACE(colours == &LightChartColours() ? "light" : "dark");
        EXPECT_EQ(colours->series.size(), 10U);
        for (std::size_t i = 0; i < colours->series.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_GE(Contrast(colours->series[i], colours->background), 3.0);
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_NE(colours->series[i], colours->series[j]);
            }
        }
        EXPECT_GE(Contrast(colours->cursor, colours->background), 3.0);
        EXPECT_GE(Contrast(colours->warning, colours->background), 3.0);
        EXPECT_GE(Contrast(colours->text, colours->background), 4.5);
    }
    EXPECT_GT(Luminance(DarkChartColours().background), Luminance(Qt::black));
    EXPECT_EQ(LightChartColours().background, QColor(Qt::white));
}

TEST(ThemeNames, AreTheCommandLinesWords) {
    EXPECT_EQ(ThemeNamed(QStringLiteral("dark")), Theme::Dark);
    EXPECT_EQ(ThemeNamed(QStringLiteral("light")), Theme::Light);
    EXPECT_EQ(ThemeNamed(QStringLiteral("system")), Theme::System);
    EXPECT_EQ(ThemeNamed(QStringLiteral("Dark")), std::nullopt);
    EXPECT_EQ(ThemeNamed(QString()), std::nullopt);
}

// The chart's background as drawn: a pixel of its corner, where nothing else is drawn.
QColor Drawn(ReadingsChart& chart) {
    return chart.toPixmap(300, 200).toImage().pixelColor(1, 1);
}

// A data file of two units, shown in a readings window beside the main window.
class ThemeTest : public WindowTest {
  protected:
    ThemeTest() {
        QSettings(QStringLiteral("rv7342"), QStringLiteral("rv7342")).clear();
        QSettings(QStringLiteral("rv7342"), QStringLiteral("readings")).clear();
        dir.Write("two.dat", "1,2,0,0,0\r\n2,3,0,1,0\r\n3,4,0,0,0\r\n");
        main = OpenWindow();
        main->show();
        readings = Open("two.dat");
    }
    ~ThemeTest() override { ApplyTheme(Theme::System); }

    ReadingsWindow* Open(const std::string& name) {
        const QString path = QString::fromStdString(dir.Path(name));
        main->OpenDataFiles({path});
        return main->Readings().Find(path);
    }

    // Chooses View > Theme > `entry` in the readings window, as the user does.
    void Choose(const QString& entry) {
        for (QAction* view : readings->menuBar()->actions()) {
            if (view->text() != QStringLiteral("&View")) {
                continue;
            }
            for (QAction* item : view->menu()->actions()) {
                if (item->menu() && item->text() == QStringLiteral("T&heme")) {
                    for (QAction* choice : item->menu()->actions()) {
                        if (choice->text() == entry) {
                            choice->trigger();
                            // The palette reaches the open windows by posted events.
                            QCoreApplication::processEvents();
                            return;
                        }
                    }
                }
            }
        }
        ADD_FAILURE() << "no View > Theme > " << entry.toStdString();
    }

    QString Checked() const {
        for (QAction* action : readings->findChildren<QAction*>()) {
            if (action->isCheckable() && action->isChecked() && action->actionGroup() &&
                action->actionGroup()->actions().size() == 3 &&
                action->actionGroup()->actions().at(2)->text() == QStringLiteral("&Dark")) {
                return action->text();
            }
        }
        return {};
    }

    static QColor Background(const QWidget* widget) {
        return widget->palette().color(QPalette::Window);
    }
    static QColor Text(const QWidget* widget) {
        return widget->palette().color(QPalette::WindowText);
    }

    std::unique_ptr<Form2> main;
    ReadingsWindow* readings = nullptr;
};

TEST_F(ThemeTest, DarkRepaintsBothWindowsAndTheChartAndLightBringsTheSpecifiedColoursBack) {
    ASSERT_NE(readings, nullptr);
    ReadingsChart& chart = *readings->Chart();
    Choose(QStringLiteral("&Dark"));
    EXPECT_EQ(Checked(), QStringLiteral("&Dark"));
    EXPECT_EQ(LoadTheme(), Theme::Dark);  // remembered
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 80);
    EXPECT_GT(QApplication::palette().color(QPalette::WindowText).lightness(), 180);

    // The main window's captions blue and its status box green, in shades for the dark.
    const QColor status = Background(main->Label1[2]);
    EXPECT_LT(status.lightness(), 100);
    EXPECT_GT(status.green(), std::max(status.red(), status.blue()));
    const QColor caption = Text(main->Label1[1]);
    EXPECT_GT(caption.blue(), std::max(caption.red(), caption.green()));
    EXPECT_GE(Contrast(caption, Background(main->Label1[1])), 4.5);
    EXPECT_GE(Contrast(Text(main->Label1[2]), status), 4.5);
    EXPECT_GE(Contrast(Text(main->Label1[4]), Background(main->Label1[4])), 4.5);
    EXPECT_GE(Contrast(main->Command1[2]->palette().color(QPalette::ButtonText),
                       main->Command1[2]->palette().color(QPalette::Button)),
              4.5);

    // The chart: a dark background, light axes and legend, every line standing out.
    const QColor background = Drawn(chart);
    EXPECT_LT(background.lightness(), 60);
    for (QCPAxisRect* panel : chart.Panels()) {
        QCPAxis* values = panel->axis(QCPAxis::atLeft);
        EXPECT_GE(Contrast(values->tickLabelColor(), background), 4.5);
        EXPECT_GE(Contrast(values->basePen().color(), background), 4.5);
        EXPECT_GE(Contrast(values->labelColor(), background), 4.5);
    }
    EXPECT_GE(Contrast(chart.legend->textColor(), background), 4.5);
    ASSERT_EQ(chart.graphCount(), 2);
    for (int i = 0; i < chart.graphCount(); ++i) {
        EXPECT_GE(Contrast(chart.graph(i)->pen().color(), background), 3.0);
    }

    Choose(QStringLiteral("&Light"));
    EXPECT_EQ(Checked(), QStringLiteral("&Light"));
    EXPECT_EQ(LoadTheme(), Theme::Light);
    EXPECT_EQ(Background(main->Label1[2]), QColor(192, 255, 192));
    EXPECT_EQ(Text(main->Label1[2]), QColor(0, 0, 255));
    EXPECT_EQ(Text(main->Frame2), QColor(0, 0, 255));
    EXPECT_EQ(Background(main->Label1[4]), QColor(255, 255, 255));
    EXPECT_EQ(main->Command1[2]->palette().color(QPalette::Button), QColor(255, 255, 192));
    EXPECT_EQ(Drawn(chart), QColor(Qt::white));
    EXPECT_EQ(chart.Panels().front()->axis(QCPAxis::atLeft)->tickLabelColor(), QColor(Qt::black));
    EXPECT_EQ(chart.graph(0)->pen().color(), QColor(31, 119, 180));
}

TEST_F(ThemeTest, AWindowOpenedLaterTakesTheThemeAndTicksIt) {
    ApplyTheme(Theme::Dark);
    dir.Write("later.dat", "1,2,0,0,0\r\n");
    readings = Open("later.dat");
    ASSERT_NE(readings, nullptr);
    EXPECT_EQ(Checked(), QStringLiteral("&Dark"));
    EXPECT_LT(Drawn(*readings->Chart()).lightness(), 60);
    EXPECT_EQ(LoadTheme(), Theme::System);  // applied, not chosen: nothing remembered
}

// Sharp at any scale: the chart is drawn into a buffer of the screen's density and the icons at
// it, while a saved image keeps the size asked for. Run a second time at QT_SCALE_FACTOR=2.
TEST_F(ThemeTest, ChartAndIconsAreDrawnAtTheScreensDensityAndASavedImageKeepsItsSize) {
    ASSERT_NE(readings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(readings));
    const qreal ratio = readings->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        EXPECT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    ReadingsChart& chart = *readings->Chart();
    EXPECT_EQ(chart.bufferDevicePixelRatio(), ratio);
    const QPixmap shown = chart.grab();
    EXPECT_EQ(shown.devicePixelRatio(), ratio);
    EXPECT_EQ(shown.size(), chart.size() * ratio);

    const auto* bar = readings->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    const QPixmap icon = bar->actions().front()->icon().pixmap(bar->iconSize(), ratio);
    EXPECT_EQ(icon.devicePixelRatio(), ratio);
    EXPECT_EQ(icon.size(), bar->iconSize() * ratio);

    const QString saved = QString::fromStdString(dir.Path("chart.png"));
    ASSERT_EQ(SaveChart(chart, saved, QSize(640, 480), QStringLiteral("two.dat")), std::nullopt);
    EXPECT_EQ(QImage(saved).size(), QSize(640, 480));
}

}  // namespace
}  // namespace rv7342
