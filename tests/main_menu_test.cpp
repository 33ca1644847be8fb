// Form2's menu bar and the other ways it opens data files in readings windows.

#include <QAction>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "tests/window_fixture.h"
#include "ui/readings_windows.h"

namespace rv7342 {
namespace {

class MainMenu : public WindowTest {
  protected:
    MainMenu() { dir.Write("known.dat", "1,2,0,0,0\r\n2,4,0,0,0\r\n3,6,57,0,0\r\n"); }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.Path(name)); }

    // The name, count and minimum of the first series of the file's readings window.
    static QStringList FirstRow(Form2& window, const QString& path) {
        QStringList cells;
        ReadingsWindow* readings = window.Readings().Find(path);
        for (int column = 0; readings && column < 3; ++column) {
            cells << readings->StatisticsTable()->model()->index(0, column).data().toString();
        }
        return cells;
    }
};

// File > Exit with a readings window open is driven by open_file_test.sh.
TEST_F(MainMenu, MenusHoldTheirCommandsWithMnemonics) {
    const auto window = OpenWindow();
    QStringList menus;
    for (const QAction* menu : window->menuBar()->actions()) {
        menus << menu->text();
        for (const QAction* item : menu->menu()->actions()) {
            menus << "  " + item->text();
        }
    }
    EXPECT_EQ(menus, (QStringList{"&File", "  &Open data file...", "  ", "  E&xit", "&View",
                                  "  &Plot readings...", "&Help", "  &About"}));
    EXPECT_EQ(window->OpenDataFileAction->shortcut(), QKeySequence(QKeySequence::Open));
}

TEST_F(MainMenu, AboutNamesProgramVersionLicenceAndQt) {
    const auto window = OpenWindow();
    window->AboutAction->trigger();
    ASSERT_EQ(boxes.seen.size(), 1u);
    for (const QString& part : {QStringLiteral("RV7342 for Windows"), QStringLiteral("1.0"),
                                QStringLiteral("GPL-3.0-or-later"), QString(qVersion())}) {
        EXPECT_TRUE(boxes.seen[0].text.contains(part)) << part.toStdString();
    }
}

TEST_F(MainMenu, OpenDataFileStartsInTheProgramFolder) {
    const auto window = OpenWindow();
    // Types the file's name into the dialog once it has the keyboard focus, as a user does;
    // a dialog that does not take it, or never gives it the focus, is cancelled.
    QString startFolder;
    int tries = 0;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* nameBox = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (dialog && (!startFolder.isEmpty() || ++tries == 500)) {
            dialog->reject();
        } else if (dialog && nameBox && dialog->isAncestorOf(nameBox)) {
            startFolder = dialog->directory().absolutePath();
            QTest::keyClicks(nameBox, "known.dat");
            QTest::keyClick(nameBox, Qt::Key_Return);
        }
    });
    chooser.start(10);
    window->OpenDataFileAction->trigger();
    EXPECT_EQ(startFolder, QDir(Path("")).absolutePath());
    EXPECT_EQ(FirstRow(*window, Path("known.dat")), (QStringList{"V DC", "2", "2"}));
}

// One file on the command line is driven by open_file_test.sh.
TEST_F(MainMenu, FilesNamedOnTheCommandLineOpenAndAMissingOneIsReported) {
    dir.Write("second.dat", "1,5,1,0,0\r\n");
    const auto window = OpenWindow();
    window->show();
    window->OpenDataFiles({Path("known.dat"), Path("second.dat"), Path("absent.dat")});
    EXPECT_EQ(FirstRow(*window, Path("known.dat")), (QStringList{"V DC", "2", "2"}));
    EXPECT_EQ(FirstRow(*window, Path("second.dat")), (QStringList{"V AC", "1", "5"}));
    const ReadingsWindow* second = window->Readings().Find(Path("second.dat"));
    EXPECT_TRUE(second && second->isVisible());
    ASSERT_EQ(boxes.seen.size(), 1u) << "the missing file, and it alone";
    EXPECT_TRUE(boxes.seen[0].text.contains(Path("absent.dat")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Command1[1]->isEnabled()) << "opening a file is no transfer";
}

TEST_F(MainMenu, AFileDroppedOnTheWindowOpens) {
    const auto window = OpenWindow();
    QMimeData file, text;
    file.setUrls({QUrl::fromLocalFile(Path("known.dat"))});
    text.setText("known.dat");
    for (QMimeData* data : {&file, &text}) {
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), data == &file) << "a file is taken, a text is not";
    }
    QDropEvent drop({10, 10}, Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_NE(window->Readings().Find(Path("known.dat")), nullptr);
}

}  // namespace
}  // namespace rv7342
