// The readings window's commands: its menu bar, where every command is listed with its
// shortcut, and its toolbar of the frequent ones.

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolBar>

#include "ui/chart/cursor_lines.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings/readings_window.h"
#include "ui/readings/svg_icon.h"
#include "ui/readings/time_axis_bar.h"
#include "ui/theme/theme.h"

namespace rv7342 {

namespace {

constexpr double kZoomStep = 1.5;
constexpr double kPanStep = 0.25;  // of the visible range

// The command's name as a tooltip or a sheet gives it: "Zoom in (Ctrl++)".
QString NameWithKeys(const QAction& action) {
    QString name = action.text().remove(QLatin1Char('&'));
    if (name.endsWith(QStringLiteral("..."))) {
        name.chop(3);
    }
    if (action.shortcut().isEmpty()) {
        return name;
    }
    return QStringLiteral("%1 (%2)").arg(name,
                                         action.shortcut().toString(QKeySequence::NativeText));
}

QKeySequence Alt(Qt::Key key) {
    return QKeySequence(Qt::ALT | key);
}

QKeySequence Ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

const char* const kMouseAndKeys[][2] = {
    {"Wheel", "Zoom the readings"},
    {"Shift+wheel", "Zoom the values of the panel under the pointer"},
    {"Drag", "Pan"},
    {"Right-drag, Ctrl+drag", "Zoom to the box drawn"},
    {"Click a legend entry", "Show or hide its line"},
    {"Rest on a point", "Its reading number, time and value, in the status bar too"},
    {"Ctrl+0", "Whole memory: every reading and value again"},
    {"Ctrl++, Ctrl+=, Ctrl+-", "Zoom in, zoom out"},
    {"Ctrl+Left, Ctrl+Right", "Pan left, pan right"},
    {"A, B", "With the chart in focus: put cursor A or B at the middle, make it active"},
    {"Left, Right", "Move the active cursor by a reading"},
    {"Shift+Left, Shift+Right", "Move the active cursor by a tenth of the range shown"},
    {"Shift+click, Shift+drag", "Put the active cursor where the pointer is"},
    {"S", "Make the other cursor the active one"},
    {"Esc", "Remove both cursors"},
    {"Alt+B", "Statistics between the cursors, or of the range shown"},
    {"Alt+L", "Show or hide the limit columns; type limits into them (F2, Enter)"},
    {"Right-click a heading", "Hide or show columns of the statistics"},
};

}  // namespace

QAction* ReadingsWindow::AddCommand(const QString& text, const QList<QKeySequence>& keys,
                                    const std::function<void()>& command,
                                    const QString& explanation) {
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setStatusTip(explanation);
    if (command) {
        connect(action, &QAction::triggered, this, command);
    }
    addAction(action);
    return action;
}

void ReadingsWindow::CreateMenus() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setIconSize({20, 20});
    CreateFileMenu();
    CreateViewMenu(bar->toggleViewAction());
    CreateMeasureMenu();
    CreateHelpMenu();
    for (QAction* command : toolbarCommands_) {
        if (command) {
            bar->addAction(command);
        } else {
            bar->addSeparator();
        }
    }
}

QAction* ReadingsWindow::Frequent(QAction* action, const QString& icon) {
    action->setIcon(BundledIcon(icon));
    action->setToolTip(NameWithKeys(*action));
    toolbarCommands_.push_back(action);
    return action;
}

// The commands that were buttons keep their Alt+letter as a second shortcut; the menu bar's
// own letters (F, V, U, P) are none of them.
void ReadingsWindow::CreateFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(Frequent(AddCommand(QStringLiteral("&Open data file..."), {QKeySequence::Open},
                                        [this] { ChooseFileToOpen(); }),
                             QStringLiteral("open")));
    file->addAction(AddCommand(
        QStringLiteral("Compare wit&h..."), {Alt(Qt::Key_H)}, [this] { ChooseFileToCompare(); },
        QStringLiteral(
            "Show another data file's readings beside these, lined up by the axis shown")));
    file->addAction(AddCommand(
        QStringLiteral("Re&move compared file"), {Alt(Qt::Key_M)},
        [this] { ChooseComparedFileToRemove(); },
        QStringLiteral("Take a compared file's readings out again")));
    file->addSeparator();
    file->addAction(Frequent(
        AddCommand(
            QStringLiteral("&Export readings..."), {Ctrl(Qt::Key_E), Alt(Qt::Key_E)},
            [this] { ChooseFileAndExport(); },
            QStringLiteral("Write every reading as XLSX for a spreadsheet or CSV for a program")),
        QStringLiteral("export")));
    file->addAction(
        Frequent(AddCommand(
                     QStringLiteral("&Save chart..."), {QKeySequence::Save, Alt(Qt::Key_S)},
                     [this] { ChooseFileAndSaveChart(); },
                     QStringLiteral("Save the chart as PNG, SVG or PDF")),
                 QStringLiteral("save-chart")));
    file->addSeparator();  // reports and printing go here
    file->addAction(AddCommand(QStringLiteral("&Close"), {Ctrl(Qt::Key_W), Ctrl(Qt::Key_F4)},
                               [this] { close(); }));
    toolbarCommands_.push_back(nullptr);
}

void ReadingsWindow::CreateViewMenu(QAction* toolbarShown) {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(
        Frequent(AddCommand(
                     QStringLiteral("&Whole memory"), {Ctrl(Qt::Key_0), Alt(Qt::Key_W)},
                     [this] { ShowWholeMemory(); }, QStringLiteral("Show every reading again")),
                 QStringLiteral("whole-memory")));
    view->addAction(
        Frequent(AddCommand(QStringLiteral("Zoom &in"), {QKeySequence::ZoomIn, Ctrl(Qt::Key_Equal)},
                            [this] { chart_->ZoomBy(1 / kZoomStep); }),
                 QStringLiteral("zoom-in")));
    view->addAction(Frequent(AddCommand(QStringLiteral("Zoom &out"), {QKeySequence::ZoomOut},
                                        [this] { chart_->ZoomBy(kZoomStep); }),
                             QStringLiteral("zoom-out")));
    view->addAction(AddCommand(QStringLiteral("Pan &left"), {Ctrl(Qt::Key_Left)},
                               [this] { chart_->PanBy(-kPanStep); }));
    view->addAction(AddCommand(QStringLiteral("Pan &right"), {Ctrl(Qt::Key_Right)},
                               [this] { chart_->PanBy(kPanStep); }));
    view->addSeparator();
    axisChoices_ = new QActionGroup(this);
    const QString axisTexts[] = {QStringLiteral("Reading &No."), QStringLiteral("&Elapsed time"),
                                 QStringLiteral("Clock &time")};
    for (const AxisKind kind : kAxisKinds) {
        QAction* choice = AddCommand(axisTexts[static_cast<int>(kind)], {},
                                     [this, kind] { timeAxis_->ChooseAxis(kind); });
        choice->setCheckable(true);
        axisChoices_->addAction(choice);
        view->addAction(choice);
    }
    view->addSeparator();
    secondDisplay_ = AddCommand(QStringLiteral("&Second-display lines"), {}, {});
    secondDisplay_->setCheckable(true);
    connect(secondDisplay_, &QAction::triggered, this, &ReadingsWindow::ShowSecondDisplay);
    view->addAction(secondDisplay_);
    view->addSeparator();
    statisticsPane_->toggleViewAction()->setText(QStringLiteral("St&atistics"));
    readoutPane_->toggleViewAction()->setText(QStringLiteral("Cursor rea&dout"));
    view->addAction(statisticsPane_->toggleViewAction());
    view->addAction(readoutPane_->toggleViewAction());
    toolbarShown->setText(QStringLiteral("Tool&bar"));
    view->addAction(toolbarShown);
    view->addSeparator();
    QMenu* theme = view->addMenu(QStringLiteral("T&heme"));
    themeChoices_ = new QActionGroup(this);
    const QString themeTexts[] = {QStringLiteral("&System"), QStringLiteral("&Light"),
                                  QStringLiteral("&Dark")};
    for (const Theme kind : kThemes) {
        QAction* choice = AddCommand(themeTexts[static_cast<int>(kind)], {}, [kind] {
            ApplyTheme(kind);
            SaveTheme(kind);
        });
        choice->setCheckable(true);
        themeChoices_->addAction(choice);
        theme->addAction(choice);
    }
    UpdateThemeChoice();
    toolbarCommands_.push_back(nullptr);
}

// Checkable commands that a box in the statistics pane shows too.
static void KeepTogether(QAction* command, QCheckBox* box) {
    command->setCheckable(true);
    command->setChecked(box->isChecked());
    QObject::connect(command, &QAction::triggered, box, &QCheckBox::setChecked);
    QObject::connect(box, &QCheckBox::toggled, command, &QAction::setChecked);
}

void ReadingsWindow::CreateMeasureMenu() {
    QMenu* measure = menuBar()->addMenu(QStringLiteral("Meas&ure"));
    // The cursor keys are the chart's, where typing a letter means nothing else.
    const auto chartCommand = [this](const QString& text, Qt::Key key,
                                     const std::function<void()>& command) {
        QAction* action = AddCommand(text, {QKeySequence(key)}, command);
        removeAction(action);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        chart_->addAction(action);
        return action;
    };
    measure->addAction(
        Frequent(chartCommand(QStringLiteral("Cursor &A"), Qt::Key_A,
                              [this] { cursors_->PlaceAtMiddle(CursorLines::Which::A); }),
                 QStringLiteral("cursor-a")));
    measure->addAction(
        Frequent(chartCommand(QStringLiteral("Cursor &B"), Qt::Key_B,
                              [this] { cursors_->PlaceAtMiddle(CursorLines::Which::B); }),
                 QStringLiteral("cursor-b")));
    measure->addAction(chartCommand(QStringLiteral("S&wap active cursor"), Qt::Key_S,
                                    [this] { cursors_->SwapActive(); }));
    removeCursors_ = Frequent(chartCommand(QStringLiteral("&Remove cursors"), Qt::Key_Escape,
                                           [this] { cursors_->Clear(); }),
                              QStringLiteral("remove-cursors"));
    measure->addAction(removeCursors_);
    measure->addSeparator();
    betweenCursorsCommand_ =
        AddCommand(QStringLiteral("S&tatistics between the cursors"), {Alt(Qt::Key_B)}, {});
    KeepTogether(betweenCursorsCommand_, betweenCursors_);
    measure->addAction(betweenCursorsCommand_);
    showLimitsCommand_ = AddCommand(QStringLiteral("Show &limits"), {Alt(Qt::Key_L)}, {});
    KeepTogether(showLimitsCommand_, showLimits_);
    measure->addAction(showLimitsCommand_);
    measure->addAction(AddCommand(
        QStringLiteral("Co&nversions..."), {Alt(Qt::Key_N)}, [this] { ChooseConversions(); },
        QStringLiteral("Convert a sensor's readings into the unit they stand for")));
    measure->addSeparator();
    measure->addAction(Frequent(
        AddCommand(
            QStringLiteral("&Copy statistics"), {Alt(Qt::Key_C)}, [this] { CopyStatistics(); },
            QStringLiteral("Copy the statistics as tab-separated text")),
        QStringLiteral("copy-statistics")));
}

void ReadingsWindow::CreateHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("Hel&p"));
    help->addAction(AddCommand(QStringLiteral("&Mouse and keys"), {QKeySequence::HelpContents},
                               [this] { ShowMouseAndKeys(); }));
    help->addAction(AddCommand(QStringLiteral("&About"), {}, [this] { ShowAbout(); }));
}

void ReadingsWindow::ShowMouseAndKeys() {
    QString rows;
    for (const auto& [keys, what] : kMouseAndKeys) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString::fromLatin1(keys), QString::fromLatin1(what));
    }
    QMessageBox::information(
        this, QStringLiteral("Mouse and keys"),
        QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">%1</table>"
                       "<p>Every other command is in the menus, with its shortcut.</p>")
            .arg(rows));
}

void ReadingsWindow::ShowAbout() {
    QMessageBox::about(
        this, QStringLiteral("About RV7342 Readings"),
        QStringLiteral("<b>RV7342 Readings</b> %1<p>The readings of a data file of the RV7342 "
                       "data-logging meter: a chart of a panel per unit, their statistics, "
                       "cursors, limits and conversions.</p>")
            .arg(QStringLiteral(RV7342_VERSION)));
}

void ReadingsWindow::ChooseFileToOpen() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open data file"), QFileInfo(path_).absolutePath(),
        QStringLiteral("Data files (*.dat);;All files (*)"));
    if (!path.isEmpty()) {
        emit openRequested({path});
    }
}

// The theme applied ticked, in every readings window whichever chose it.
void ReadingsWindow::UpdateThemeChoice() {
    themeChoices_->actions().at(static_cast<int>(AppliedTheme()))->setChecked(true);
}

// The axes the interval and start allow, the one shown ticked.
void ReadingsWindow::UpdateAxisChoices() {
    const TimeAxis& axis = timeAxis_->Axis();
    const QList<QAction*> choices = axisChoices_->actions();
    for (const AxisKind kind : kAxisKinds) {
        QAction* choice = choices.at(static_cast<int>(kind));
        choice->setEnabled(axis.Allows(kind));
        choice->setChecked(axis.Shown() == kind);
    }
}

void ReadingsWindow::UpdateCommandStates() {
    const bool both = document_.BothCursors().has_value();
    betweenCursors_->setEnabled(both);
    betweenCursorsCommand_->setEnabled(both);
    removeCursors_->setEnabled(cursors_->AnyPlaced());
    bool any = false, allShown = true;
    for (const DocumentSeries& series : document_.Series()) {
        if (series.readings.display == Display::Second) {
            any = true;
            allShown = allShown && series.shown;
        }
    }
    secondDisplay_->setEnabled(any);
    secondDisplay_->setChecked(any && allShown);
}

// Every second display's line, of the file's own readings and of those compared.
void ReadingsWindow::ShowSecondDisplay(bool shown) {
    for (std::size_t i = 0; i < document_.Series().size(); ++i) {
        if (document_.Series()[i].readings.display == Display::Second) {
            ShowSeries(static_cast<int>(i), shown);
        }
    }
}

}  // namespace rv7342
