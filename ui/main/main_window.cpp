#include "ui/main/main_window.h"
#include "desktop/program_places.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "datafiles/data_places.h"
#include "ui/main/data_file_name.h"
#include "ui/main/data_viewer.h"
#include "ui/main/port_tooltips.h"
#include "ui/readings/readings_window_set.h"
#include "ui/theme/theme.h"

namespace rv7342 {

namespace {

// The captions' and boxes' colours; in a dark theme, shades of the same meaning readable on
// the dark background.
struct FormColours {
    QColor caption;
    QColor numberBox;
    QColor statusBox;
    QColor exitButton;
};
const FormColours kLightColours{{0, 0, 255}, {255, 255, 255}, {192, 255, 192}, {255, 255, 192}};
const FormColours kDarkColours{{140, 180, 255}, {30, 30, 30}, {25, 70, 35}, {90, 80, 20}};

constexpr int kClientWidth = 11520;
constexpr int kClientHeight = 8535;

// The instructions hold two carriage returns between lines; the label breaks lines on line
// feeds, so it is shown with those.
const QString kInstructions = QStringLiteral(
    "1. Select Comm. Port\r\r2. Input Data File Name\r\r3. Press Start Button \r\r"
    "4. Press RESET Key on DATALOGGER");

QFont SerifFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    return font;
}

// Positions are in twips: 15 to the pixel at 96 dpi, scaled with the screen's logical dpi.
int Twips(const QWidget* widget, int twips) {
    return qRound(twips / 15.0 * widget->logicalDpiX() / 96.0);
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Twips(widget, left), Twips(widget, top), Twips(widget, width),
                        Twips(widget, height));
}

void SetColours(QWidget* widget, const QColor& text, const QColor& background = QColor()) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

}  // namespace

QString DefaultFileName(const QString& isoDate) {
    return isoDate.mid(2, 2) + isoDate.mid(5, 2) + isoDate.mid(8, 2) + QStringLiteral(".dat");
}

Form2::Form2(const QString& programDir, QWidget* parent, PortLister listPorts)
    : QMainWindow(parent), programDir_(programDir), MSComm1(std::move(listPorts)) {
    connect(&transfer_, &TransferSession::progressed, this, &Form2::ShowProgress);
    connect(&transfer_, &TransferSession::finished, this, &Form2::EndTransfer);
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("RV7342 for Windows"));
    setFont(SerifFont(9));
    client_ = new QWidget(this);
    client_->setFixedSize(Twips(this, kClientWidth), Twips(this, kClientHeight));
    setCentralWidget(client_);
    CreateControls();
    PaintColours();
    CreateMenuBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    SetTabOrder();
    Form_Load();
    UpdateControls();
    Command1[0]->setFocus();
}

void Form2::CreateControls() {
    CreateSettingsControls();
    CreateStatusControls();
    CreateSetupFrame();
    CreateGridAndButtons();
}

void Form2::CreateSettingsControls() {
    Label1[0] = new QLabel(QStringLiteral("Data File Name"), client_);
    Place(Label1[0], 4800, 600, 1935, 375);
    Text1 = new QLineEdit(QStringLiteral("Text1"), client_);
    Text1->setFont(SerifFont(12));
    Place(Text1, 4800, 960, 1935, 375);
    connect(Text1, &QLineEdit::textChanged, this, &Form2::Text1_Change);

    Frame1 = new QGroupBox(QStringLiteral("Comm. Port"), client_);
    Place(Frame1, 600, 480, 3615, 855);
    Option1[0] = new QRadioButton(QStringLiteral("COM1"), Frame1);
    Place(Option1[0], 240, 360, 1335, 255);
    Option1[1] = new QRadioButton(QStringLiteral("COM2"), Frame1);
    Place(Option1[1], 2040, 360, 1455, 255);
    Option1[1]->setChecked(true);
    new PortToolTips(Option1, MSComm1, this);
}

void Form2::CreateStatusControls() {
    Label1[3] = new QLabel(QStringLiteral(" Number of  Data"), client_);
    Place(Label1[3], 4800, 1800, 1935, 375);
    Label1[4] = new QLabel(QStringLiteral("0"), client_);
    Place(Label1[4], 4800, 2160, 1935, 375);
    Label1[1] = new QLabel(QStringLiteral("Data Transfer Status"), client_);
    Place(Label1[1], 600, 1800, 3615, 375);
    Label1[2] = new QLabel(client_);
    Place(Label1[2], 600, 2160, 3615, 375);
    for (QLabel* label : Label1) {
        label->setFont(SerifFont(12));
    }
    // In the free band between the status line and the table.
    TransferProgress = new QLabel(client_);
    Place(TransferProgress, 600, 2580, 6015, 375);
    TransferProgress->setFocusPolicy(Qt::NoFocus);
    TransferProgress->hide();
}

void Form2::CreateSetupFrame() {
    Check1 = new QCheckBox(QStringLiteral("Meter with  2 display"), client_);
    Check1->setFont(SerifFont(14.25));
    Place(Check1, 7680, 720, 3135, 255);
    Check1->setVisible(false);
    connect(Check1, &QCheckBox::clicked, this, &Form2::Check1_Click);

    Frame2 = new QGroupBox(QStringLiteral("Setup Procedure"), client_);
    Place(Frame2, 7560, 1320, 3495, 4215);
    Label2 = new QLabel(QStringLiteral("label2"), Frame2);
    Place(Label2, 120, 360, 3015, 2775);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);
}

void Form2::CreateGridAndButtons() {
    FGrid1 = new QTableView(client_);
    Place(FGrid1, 720, 3120, 5895, 4815);
    gridModel_ = new GridModel(state.UnitNames, FGrid1);
    FGrid1->setModel(gridModel_);
    ConfigureGrid(*FGrid1, Twips(this, 360));

    const char* captions[] = {"Start", "View Data", "Exit"};
    const int tops[] = {5880, 6600, 7320};
    for (int index = 0; index < 3; ++index) {
        Command1[index] = new QPushButton(QString::fromLatin1(captions[index]), client_);
        Command1[index]->setFont(SerifFont(12));
        Command1[index]->setAutoDefault(true);  // Enter presses a focused button, as Space does
        Place(Command1[index], 7920, tops[index], 1335, 375);
        connect(Command1[index], &QPushButton::clicked, this,
                [this, index] { Command1_Click(index); });
    }
}

void Form2::PaintColours() {
    const FormColours& colours = IsDark(palette()) ? kDarkColours : kLightColours;
    SetColours(Label1[4], colours.caption, colours.numberBox);
    SetColours(Label1[1], colours.caption);
    SetColours(Label1[2], colours.caption, colours.statusBox);
    SetColours(TransferProgress, colours.caption);
    SetColours(Check1, colours.caption);
    SetColours(Frame2, colours.caption);
    SetColours(Label2, palette().color(QPalette::WindowText));
    QPalette exit = Command1[2]->palette();
    exit.setColor(QPalette::Button, colours.exitButton);
    Command1[2]->setPalette(exit);
}

// Another theme applied: the window's own colours in its shades.
void Form2::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && Command1[2]) {
        PaintColours();
    }
}

void Form2::SetTabOrder() {
    for (QLabel* label : Label1) {
        label->setFocusPolicy(Qt::NoFocus);
    }
    QWidget* order[] = {Command1[0], Text1,       Command1[1], Option1[0],
                        Option1[1],  Command1[2], FGrid1};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void Form2::Form_Load() {
    Label2->setText(QString(kInstructions).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    const ProgramPlaces places = PlacesOf(programDir_);
    dataFolder_ = places.dataFolder;
    openFolder_ = dataFolder_;
    unitTable_ = places.unitTable;
    const Failure tableFailure =
        LoadUnitTable(LocalPath(unitTable_), state.UnitNames, &unitTableFaults_);
    Text1->setText(DefaultFileName(QDate::currentDate().toString(Qt::ISODate)));
    Text1_Change(Text1->text());
    if (tableFailure) {
        Report(FromLocalText(*tableFailure) +
               QStringLiteral("\n\nUnit names will be missing from the table."));
    }
}

void Form2::Text1_Change(const QString& text) {
    const QString path = DataFilePath(dataFolder_, text);
    state.df = LocalPath(path);
    Text1->setToolTip(path);
}

// The data folder is made when Start first writes into it; a full path needs none.
std::optional<QString> Form2::MakeDataFolderIfNeeded() const {
    if (QDir::isAbsolutePath(Text1->text())) {
        return std::nullopt;
    }
    if (const Failure failure = MakeDataFolder(LocalPath(dataFolder_))) {
        return FromLocalText(*failure) +
               QStringLiteral(
                   "\n\nType a full path in the name box to write the data file elsewhere.");
    }
    return std::nullopt;
}

void Form2::Report(const QString& message) {
    QMessageBox::warning(this, windowTitle(), message);
}

void Form2::closeEvent(QCloseEvent* event) {
    if (!MayStopTransfer()) {
        event->ignore();
        return;
    }
    transfer_.Stop();
    readings_->CloseAll();
    event->accept();
}

}  // namespace rv7342
