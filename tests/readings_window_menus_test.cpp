// The readings window as a desktop program: every command in its menus and by its shortcut,
// the toolbar, the status bar, and the panes as the user leaves them.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "tests/window_fixture.h"
#include "ui/chart/cursor_lines.h"
#include "ui/readings/statistics_columns.h"
#include "ui/readings/statistics_model.h"
#include "ui/readings/time_axis_bar.h"

namespace rv7342 {
namespace {

// Readings in V DC, of which two stand outside the limits 3 to 8, and a second display in
// V AC; twelve readings, so that zooming and panning show whole numbers of them.
const char* const kFile =
    "1,2,0,0,0\r\n2,4,0,0,0\r\n3,4,0,50,1\r\n4,4,0,0,0\r\n5,4,0,0,0\r\n6,5,0,0,0\r\n"
    "7,6,0,0,0\r\n8,5,0,0,0\r\n9,7,0,60,1\r\n10,9,0,0,0\r\n11,3.5,0,0,0\r\n12,4,0,0,0\r\n";

// The title of the dialog `open` shows, which is then cancelled; empty when none opens.
QString DialogShownBy(const std::function<void()>& open) {
    QString title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&title] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            title = dialog->windowTitle();
            dialog->reject();
        }
    });
    closer.start(10);
    open();
    return title;
}

QString CursorState(const ReadingsWindow& window) {
    const CursorLines& cursors = *window.CursorControls();
    const auto number = [](std::optional<double> at) {
        return at ? QString::number(*at) : QStringLiteral("none");
    };
    return QStringLiteral("A %1, B %2, active %3")
        .arg(number(cursors.A()), number(cursors.B()),
             cursors.Active() == CursorLines::Which::A ? QStringLiteral("A") : QStringLiteral("B"));
}

class ReadingsWindowMenusTest : public ReadingsWindowsTest {
  protected:
    // A window of a file of its own.
    ReadingsWindow* OpenNew(const std::string& name) {
        dir.Write(name, kFile);
        return Open(name);
    }

    // Closes the window as the user does, and lets it go.
    static void Close(ReadingsWindow* window) {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

enum class Target { Window, Chart };

struct Command {
    const char* menu;
    const char* entry;
    // The dialog it shows, or what it changes as "before -> after".
    const char* outcome;
    const char* keys;  // as the menu shows them, every shortcut of the entry
    Target target;
    std::function<void(ReadingsWindow&)> setUp;
    // What the command changes; none for a command that asks something in a dialog.
    std::function<QString(ReadingsWindow&)> effect = {};
};

const auto kNothing = [](ReadingsWindow&) {};
const auto kRange = [](ReadingsWindow& window) { return window.RangeLine()->text(); };
const auto kZoomedIn = [](ReadingsWindow& window) { window.Chart()->ZoomBy(0.5); };
const auto kBothCursors = [](ReadingsWindow& window) {
    window.CursorControls()->PlaceAtMiddle(CursorLines::Which::A);
    window.CursorControls()->Place(CursorLines::Which::B, 9);
};

const Command kCommands[] = {
    {"&File", "&Open data file...", "Open data file", "Ctrl+O", Target::Window, kNothing},
    {"&File", "Compare wit&h...", "Compare with", "Alt+H", Target::Window, kNothing},
    // With no file compared, it says so.
    {"&File", "Re&move compared file", "RV7342 Readings", "Alt+M", Target::Window, kNothing},
    {"&File", "&Export readings...", "Export readings", "Ctrl+E, Alt+E", Target::Window, kNothing},
    {"&File", "&Save chart...", "Save chart", "Ctrl+S, Alt+S", Target::Window, kNothing},
    {"&File", "&Close", "1 -> 0", "Ctrl+W, Ctrl+F4", Target::Window, kNothing,
     [](ReadingsWindow& window) { return QString::number(window.isVisible()); }},
    {"&View", "&Whole memory", "Readings 4\u20139 of 12 -> All 12 readings", "Ctrl+0, Alt+W",
     Target::Window, kZoomedIn, kRange},
    {"&View", "Zoom &in", "All 12 readings -> Readings 3\u201310 of 12",
     "Ctrl++, Ctrl+=", Target::Window, kNothing, kRange},
    {"&View", "Zoom &out", "Readings 4\u20139 of 12 -> Readings 3\u201310 of 12", "Ctrl+-",
     Target::Window, kZoomedIn, kRange},
    {"&View", "Pan &left", "Readings 4\u20139 of 12 -> Readings 3\u20137 of 12", "Ctrl+Left",
     Target::Window, kZoomedIn, kRange},
    {"&View", "Pan &right", "Readings 4\u20139 of 12 -> Readings 6\u201310 of 12", "Ctrl+Right",
     Target::Window, kZoomedIn, kRange},
    {"Meas&ure", "Cursor &A", "A none, B none, active A -> A 6, B none, active A", "A",
     Target::Chart, kNothing, CursorState},
    {"Meas&ure", "Cursor &B", "A none, B none, active A -> A none, B 6, active B", "B",
     Target::Chart, kNothing, CursorState},
    {"Meas&ure", "S&wap active cursor", "A 6, B 9, active B -> A 6, B 9, active A", "S",
     Target::Chart, kBothCursors, CursorState},
    {"Meas&ure", "&Remove cursors", "A 6, B 9, active B -> A none, B none, active A", "Esc",
     Target::Chart, kBothCursors, CursorState},
    {"Meas&ure", "S&tatistics between the cursors",
     "All 12 readings -> Between the cursors: Readings 6\u20139 of 12", "Alt+B", Target::Window,
     kBothCursors, kRange},
    {"Meas&ure", "Show &limits", "9 -> 15 ticked", "Alt+L", Target::Window, kNothing,
     [](ReadingsWindow& window) {
         return QString::number(window.Statistics()->columnCount()) +
                (window.LimitsBox()->isChecked() ? QStringLiteral(" ticked") : QString());
     }},
    {"Meas&ure", "Co&nversions...", "Conversions", "Alt+N", Target::Window, kNothing},
    {"Meas&ure", "&Copy statistics", "before -> All 12 readings", "Alt+C", Target::Window,
     [](ReadingsWindow&) { QGuiApplication::clipboard()->setText(QStringLiteral("before")); },
     [](ReadingsWindow&) { return QGuiApplication::clipboard()->text().section('\n', 0, 0); }},
    {"Hel&p", "&Mouse and keys", "Mouse and keys", "F1", Target::Window, kNothing},
    {"Hel&p", "&About", "About RV7342 Readings", "", Target::Window, kNothing},
};

// What the command does: the dialog it shows, or what it changes as "before -> after".
QString Outcome(const Command& command, ReadingsWindow& window, const std::function<void()>& run) {
    command.setUp(window);
    if (!command.effect) {
        return DialogShownBy(run);
    }
    const QString before = command.effect(window);
    run();
    return before + QStringLiteral(" -> ") + command.effect(window);
}

// Each command, chosen from its menu in one window and by each of its shortcuts in another of
// the same readings, does what it says, the same both ways.
TEST_F(ReadingsWindowMenusTest, EveryCommandFromItsMenuAndByItsShortcutsDoesTheSame) {
    int file = 0;
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.entry);
        ReadingsWindow* window = OpenNew("menu" + std::to_string(++file) + ".dat");
        ASSERT_NE(window, nullptr);
        QMenu* menu = MenuTitled(*window, QString::fromLatin1(command.menu));
        ASSERT_NE(menu, nullptr);
        QAction* entry = Entries(*menu)[QString::fromLatin1(command.entry)];
        ASSERT_NE(entry, nullptr);
        const QList<QKeySequence> shortcuts = entry->shortcuts();  // the window goes
        QStringList keys;
        for (const QKeySequence& shortcut : shortcuts) {
            keys << shortcut.toString(QKeySequence::PortableText);
        }
        EXPECT_EQ(keys.join(QStringLiteral(", ")), QString::fromLatin1(command.keys));
        const QString fromMenu = Outcome(command, *window, [entry] { entry->trigger(); });
        EXPECT_EQ(fromMenu, QString::fromUtf8(command.outcome));
        Close(window);

        for (const QKeySequence& shortcut : shortcuts) {
            SCOPED_TRACE(shortcut.toString().toStdString());
            ReadingsWindow* other = OpenNew("keys" + std::to_string(++file) + ".dat");
            ASSERT_NE(other, nullptr);
            QWidget* target =
                command.target == Target::Chart ? static_cast<QWidget*>(other->Chart()) : other;
            target->setFocus();
            const QString byKeys =
                Outcome(command, *other, [&] { QTest::keySequence(target, shortcut); });
            EXPECT_EQ(byKeys, fromMenu);
            Close(other);
        }
    }
}

// A key that means two things does one of them, or neither: no letter twice in one menu, and
// no Alt+letter that is both a menu of the menu bar, a command's shortcut and a control's.
TEST_F(ReadingsWindowMenusTest, NoMnemonicTwiceInAMenuNorAnAltKeyTwiceInTheWindow) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    std::map<QChar, QStringList> altKeys;
    for (QAction* title : window->menuBar()->actions()) {
        altKeys[Mnemonic(title->text())] << title->text();
        SCOPED_TRACE(title->text().toStdString());
        EXPECT_EQ(MnemonicClashes(title->menu()->actions()), QStringList());
        for (const auto& [text, entry] : Entries(*title->menu())) {
            for (const QKeySequence& keys : entry->shortcuts()) {
                if (keys[0].keyboardModifiers() == Qt::AltModifier) {
                    altKeys[QChar(static_cast<char16_t>(keys[0].key())).toLower()] << text;
                }
            }
        }
    }
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        const QString text = control->property("text").toString();
        if (control->isVisibleTo(window) && !Mnemonic(text).isNull() &&
            !qobject_cast<const QMenu*>(control)) {
            altKeys[Mnemonic(text)] << text;
        }
    }
    EXPECT_GE(altKeys.size(), 10u);
    for (const auto& [letter, texts] : altKeys) {
        EXPECT_EQ(texts.size(), 1)
            << "Alt+" << QString(letter).toStdString() << ": " << texts.join(", ").toStdString();
    }
}

// The toolbar's commands are the menus' own, each with a bundled icon and a tooltip that
// names it and its shortcut.
TEST_F(ReadingsWindowMenusTest, ToolbarCommandsHaveIconsAndTooltipsWithTheirShortcuts) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    auto* bar = window->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    std::set<QAction*> inMenus;
    for (QAction* title : window->menuBar()->actions()) {
        for (const auto& [text, entry] : Entries(*title->menu())) {
            inMenus.insert(entry);
        }
    }
    QStringList tips;
    for (QAction* command : bar->actions()) {
        if (command->isSeparator()) {
            continue;
        }
        SCOPED_TRACE(command->text().toStdString());
        EXPECT_TRUE(inMenus.count(command));
        const QPixmap icon = command->icon().pixmap(QSize(20, 20), 2.0);
        EXPECT_FALSE(icon.isNull());
        EXPECT_GE(icon.devicePixelRatio(), 2.0) << "drawn at the screen's density";
        EXPECT_EQ(icon.deviceIndependentSize(), QSizeF(20, 20));
        EXPECT_LT(icon.toImage().pixelColor(0, 0).alpha(), 255) << "a picture, not a block";
        tips << command->toolTip();
    }
    EXPECT_TRUE(tips.contains("Zoom in (Ctrl++)")) << tips.join(" | ").toStdString();
    EXPECT_TRUE(tips.contains("Cursor A (A)")) << tips.join(" | ").toStdString();
    EXPECT_TRUE(tips.contains("Save chart (Ctrl+S)")) << tips.join(" | ").toStdString();
    EXPECT_GE(tips.size(), 8);
}

// The axis chosen from View is the one the axis list shows, and only the axes the interval and
// start allow can be chosen; Second-display lines shows and hides every second display.
TEST_F(ReadingsWindowMenusTest, AxisChoiceAndSecondDisplayLinesFromTheViewMenu) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    std::map<QString, QAction*> view = Entries(*MenuTitled(*window, "&View"));
    QAction* readingNumbers = view["Reading &No."];
    QAction* elapsed = view["&Elapsed time"];
    QAction* clock = view["Clock &time"];
    EXPECT_TRUE(readingNumbers->isChecked());
    EXPECT_FALSE(elapsed->isEnabled());
    EXPECT_FALSE(clock->isEnabled());

    QTest::keyClicks(window->TimeAxisControls()->IntervalField(), "10");
    EXPECT_TRUE(elapsed->isChecked()) << "an interval switches to elapsed time";
    EXPECT_FALSE(clock->isEnabled()) << "no start";
    readingNumbers->trigger();
    EXPECT_EQ(window->TimeAxisControls()->AxisChoice()->currentIndex(), 0);
    EXPECT_EQ(window->Chart()->Axis().Shown(), AxisKind::ReadingNumber);
    EXPECT_TRUE(readingNumbers->isChecked());
    elapsed->trigger();
    EXPECT_EQ(window->Chart()->Axis().Shown(), AxisKind::Elapsed);

    QAction* second = view["&Second-display lines"];
    ASSERT_TRUE(second->isEnabled());
    EXPECT_FALSE(second->isChecked());
    second->trigger();
    EXPECT_TRUE(window->SeriesShown(1)) << "V AC (second display)";
    EXPECT_TRUE(window->SeriesShown(0)) << "the first display's line stays";
    window->ShowSeries(1, false);
    EXPECT_FALSE(second->isChecked()) << "unticked with a second display hidden";
    window->ShowSeries(1, true);
    EXPECT_TRUE(second->isChecked());
    second->trigger();
    EXPECT_FALSE(window->SeriesShown(1));
}

// With the limits shown and filled, on a time axis, and a cursor's readout shown too, the
// statistics fit the window's default width: no column is cut and no horizontal scroll bar is
// needed.
TEST_F(ReadingsWindowMenusTest, StatisticsWithLimitsFitTheDefaultWidth) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    QTest::keyClicks(window->TimeAxisControls()->IntervalField(), "10");
    window->SetLimits("V DC", {3.0, 8.0});
    window->LimitsBox()->setChecked(true);
    window->ShowSeries(1, true);
    window->CursorControls()->PlaceAtMiddle(CursorLines::Which::A);
    QTableView* table = window->StatisticsTable();
    ASSERT_EQ(table->model()->columnCount(), 15);
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->horizontalHeader()->length() > 0; },
                                kWindowDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_LE(table->horizontalHeader()->length(), table->viewport()->width());
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    EXPECT_EQ(table->model()->index(0, 14).data().toString(), "1 (0:00:00)")
        << "the first reading outside, filled";
    const QString tip = table->model()->headerData(5, Qt::Horizontal, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith("Std. deviation")) << "the short heading's full name";
    EXPECT_TRUE(window->StatisticsText().contains("\tStd. deviation\t"))
        << "copied under the full headings";
}

// A column hidden from the header's context menu stays hidden while the limit columns come
// and go, and when the window is opened again; ticked again, it is back.
TEST_F(ReadingsWindowMenusTest, ColumnsHiddenFromTheHeaderMenuStayHidden) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    QTableView* table = window->StatisticsTable();
    QHeaderView* header = table->horizontalHeader();
    emit header->customContextMenuRequested(QPoint(5, 5));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    std::map<QString, QAction*> columns = Entries(*menu);
    EXPECT_EQ(columns.size(), 8u) << "every figure, not the series' name";
    ASSERT_TRUE(columns.count("Std. deviation"));
    columns["Std. deviation"]->trigger();
    menu->close();
    EXPECT_TRUE(table->isColumnHidden(5));
    window->LimitsBox()->setChecked(true);
    EXPECT_TRUE(table->isColumnHidden(5)) << "kept through the limit columns";
    EXPECT_FALSE(table->isColumnHidden(9));
    window = Reopen(window, "known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->StatisticsTable()->isColumnHidden(5)) << "kept for the next window";
    window->Columns()->SetHidden("Std. deviation", false);
    EXPECT_FALSE(window->StatisticsTable()->isColumnHidden(5));
}

// The panes and the toolbar hidden, a pane moved and floated, the window resized and its axis
// chosen: closed and opened again, it is as it was left.
TEST_F(ReadingsWindowMenusTest, PanesSizeAndAxisAreAsLeftWhenTheWindowOpensAgain) {
    ReadingsWindow* window = OpenNew("known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(1000, 700)) << "the default size";
    EXPECT_TRUE(window->StatisticsPane()->isVisible());
    EXPECT_TRUE(window->ReadoutPane()->isVisible());
    EXPECT_EQ(window->dockWidgetArea(window->ReadoutPane()), Qt::BottomDockWidgetArea);
    std::map<QString, QAction*> view = Entries(*MenuTitled(*window, "&View"));
    ASSERT_TRUE(view.count("St&atistics") && view.count("Cursor rea&dout"));
    EXPECT_TRUE(view["St&atistics"]->isChecked());

    view["St&atistics"]->trigger();
    view["Tool&bar"]->trigger();
    window->addDockWidget(Qt::RightDockWidgetArea, window->ReadoutPane());
    // A size inside the screen (the offscreen one is 800 by 600), which Qt may otherwise fit
    // into it when the window is restored.
    window->resize(740, 540);
    const QSize left = window->size();
    EXPECT_NE(left, QSize(1000, 700));
    QTest::keyClicks(window->TimeAxisControls()->IntervalField(), "10");
    view["Reading &No."]->trigger();
    EXPECT_FALSE(window->StatisticsPane()->isVisible());
    window = Reopen(window, "known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), left);
    EXPECT_FALSE(window->StatisticsPane()->isVisible());
    EXPECT_FALSE(Entries(*MenuTitled(*window, "&View"))["St&atistics"]->isChecked());
    EXPECT_FALSE(window->findChild<QToolBar*>()->isVisible());
    EXPECT_EQ(window->dockWidgetArea(window->ReadoutPane()), Qt::RightDockWidgetArea);
    EXPECT_EQ(window->Chart()->Axis().Shown(), AxisKind::ReadingNumber);
    EXPECT_TRUE(Entries(*MenuTitled(*window, "&View"))["Reading &No."]->isChecked());

    // Floated and shown again.
    window->ReadoutPane()->setFloating(true);
    Entries(*MenuTitled(*window, "&View"))["St&atistics"]->trigger();
    window = Reopen(window, "known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->StatisticsPane()->isVisible());
    EXPECT_TRUE(window->ReadoutPane()->isFloating());
}

}  // namespace
}  // namespace rv7342
