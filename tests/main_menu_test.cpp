// Form2's menu bar and the other ways it opens data files in readings windows.

#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>

#include "tests/window_fixture.h"

namespace rv7342 {
namespace {

class MainMenu : public WindowTest {
  protected:
    MainMenu() { dir.Write("known.dat", "1,2,0,0,0\r\n2,4,0,0,0\r\n3,6,57,0,0\r\n"); }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.Path(name)); }

    // The name, count and minimum of the first series of the file's readings window.
    static QStringList FirstRow(Form2& window, const QString& path) {
        const ReadingsWindow* readings = window.Readings().Find(path);
        return readings ? Row(*readings->StatisticsTable()->model(), 0).mid(0, 3) : QStringList{};
    }

    // Types `name` into File > Open's dialog once it has the keyboard focus, as a user does,
    // and tells the folder the dialog started in. A dialog that does not take the focus by the
    // deadline is cancelled.
    static QString ChooseInDialog(Form2& window, const QString& name) {
        QString startFolder;
        QDeadlineTimer deadline(kEventDeadline);
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* nameBox = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (dialog && (!startFolder.isEmpty() || deadline.hasExpired())) {
                dialog->reject();
            } else if (dialog && nameBox && dialog->isAncestorOf(nameBox)) {
                startFolder = dialog->directory().absolutePath();
                QTest::keyClicks(nameBox, name);
                QTest::keyClick(nameBox, Qt::Key_Return);
            }
        });
        chooser.start(10);
        window.OpenDataFileAction->trigger();
        return startFolder;
    }
};

// Every menu and command can be reached from the keyboard: each has a mnemonic letter, none
// shared within its menu bar or menu. File > Exit with a readings window open is driven by
// open_file_test.sh.
TEST_F(MainMenu, EveryCommandHasAMnemonicOfItsOwnAndExitCloses) {
    const auto window = OpenWindow();
    window->show();
    const QList<QAction*> menus = window->menuBar()->actions();
    EXPECT_EQ(MnemonicClashes(menus), QStringList());
    for (const QAction* menu : menus) {
        SCOPED_TRACE(menu->text().toStdString());
        EXPECT_EQ(MnemonicClashes(menu->menu()->actions()), QStringList());
    }
    EXPECT_EQ(window->OpenDataFileAction->shortcut(), QKeySequence(QKeySequence::Open));
    menus.front()->menu()->actions().back()->trigger();
    EXPECT_FALSE(window->isVisible()) << "the last command of File is Exit";
}

// About names the program, its version, licence and Qt, and tells where the unit table is
// named each line of it that is no entry of two fields or leaves a quote open.
TEST_F(MainMenu, AboutNamesProgramVersionLicenceQtAndTheUnitTablesFaultyLines) {
    dir.Write("unit2.dat", "0,V\r\n1,mV,AC\r\n2,A\r\n3,\"V AC\r\n4,Hz\r\n");
    const auto window = OpenWindow();
    window->AboutAction->trigger();
    ASSERT_EQ(boxes.seen.size(), 1u);
    for (const QString& part : {QStringLiteral("RV7342 for Windows"), QStringLiteral("1.0"),
                                QStringLiteral("GPL-3.0-or-later"), QString(qVersion()),
                                QStringLiteral("line 2: it holds 3 fields, not 2"),
                                QStringLiteral("line 4: a quote is never closed on the line")}) {
        EXPECT_TRUE(Contains(boxes.seen[0].text, part));
    }
}

// File > Open starts in the data folder, then where the last file was chosen.
TEST_F(MainMenu, OpenDataFileStartsInTheDataFolderThenInTheLastOne) {
    std::filesystem::create_directory(dir.Path("sub"));
    dir.Write("sub/other.dat", "1,7,1,0,0\r\n");
    const auto window = OpenWindow();
    EXPECT_EQ(ChooseInDialog(*window, "known.dat"), QDir(Path("")).absolutePath());
    EXPECT_EQ(FirstRow(*window, Path("known.dat")), (QStringList{"V DC", "2", "2"}));
    EXPECT_EQ(ChooseInDialog(*window, "sub/other.dat"), QDir(Path("")).absolutePath());
    EXPECT_EQ(FirstRow(*window, Path("sub/other.dat")), (QStringList{"V AC", "1", "7"}));
    EXPECT_EQ(ChooseInDialog(*window, "other.dat"), QDir(Path("sub")).absolutePath());
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
    EXPECT_TRUE(Contains(boxes.seen[0].text, Path("absent.dat")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Command1[1]->isEnabled()) << "opening a file is no transfer";
}

TEST_F(MainMenu, AFileDroppedOnTheWindowOpens) {
    const auto window = OpenWindow();
    QMimeData text;
    text.setText("known.dat");
    EXPECT_FALSE(Drop(window.get(), text)) << "a text is not taken";
    EXPECT_TRUE(DropFile(window.get(), Path("known.dat")));
    EXPECT_NE(window->Readings().Find(Path("known.dat")), nullptr);
}

}  // namespace
}  // namespace rv7342
