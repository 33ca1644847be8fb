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
#include "ui/readings_window.h"

namespace rv7342 {
namespace {

class MainMenu : public WindowTest {
  protected:
    MainMenu() { dir.Write("known.dat", "1,2,0,0,0\r\n2,4,0,0,0\r\n3,6,57,0,0\r\n"); }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.Path(name)); }

    static QStringList FirstRow(ReadingsWindow* readings) {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            cells << readings->StatisticsTable()->item(0, column)->text();
        }
        return cells;
    }
};

TEST_F(MainMenu, MenusHoldTheirCommandsWithMnemonics) {
    const auto window = OpenWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    const std::pair<const char*, QStringList> expected[] = {
        {"&File", {"&Open data file...", "", "E&xit"}},
        {"&View", {"&Plot readings..."}},
        {"&Help", {"&About"}},
    };
    ASSERT_EQ(menus.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(menus[i]->text(), expected[i].first);
        QStringList items;
        for (const QAction* item : menus[i]->menu()->actions()) {
            items << item->text();
        }
        EXPECT_EQ(items, expected[i].second);
    }
    EXPECT_EQ(window->OpenDataFileAction->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_TRUE(window->OpenDataFileAction->isEnabled());
    EXPECT_FALSE(window->PlotReadingsAction->isEnabled()) << "like View Data before a transfer";
    EXPECT_FALSE(window->Command1[1]->isEnabled());
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

TEST_F(MainMenu, FileExitActsAsTheExitButton) {
    const auto window = OpenWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->OpenDataFiles({Path("known.dat")});
    const QPointer<ReadingsWindow> readings = window->Readings().Find(Path("known.dat"));
    ASSERT_TRUE(readings && readings->isVisible());
    window->ExitAction->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(!readings || !readings->isVisible()) << "the readings window closes with it";
}

TEST_F(MainMenu, OpenDataFileStartsInTheProgramFolder) {
    const auto window = OpenWindow();
    // Types the file's name into the dialog, as a user does, once it has the keyboard focus.
    // Should it never take the name, it is cancelled after five seconds.
    QString startFolder;
    int tries = 0;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        if (startFolder.isEmpty()) {
            startFolder = dialog->directory().absolutePath();
        }
        auto* nameBox = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (nameBox && dialog->isAncestorOf(nameBox)) {
            QTest::keyClicks(nameBox, "known.dat");
            QTest::keyClick(nameBox, Qt::Key_Return);
        } else if (++tries == 500) {
            dialog->reject();
        }
    });
    chooser.start(10);
    window->OpenDataFileAction->trigger();
    EXPECT_EQ(startFolder, QDir(Path("")).absolutePath());
    ReadingsWindow* readings = window->Readings().Find(Path("known.dat"));
    ASSERT_NE(readings, nullptr);
    EXPECT_EQ(FirstRow(readings), (QStringList{"V DC", "2", "2", "4"}));
}

TEST_F(MainMenu, FilesNamedOnTheCommandLineOpenBesideTheWindow) {
    dir.Write("second.dat", "1,5,1,0,0\r\n");
    const auto window = OpenWindow();
    window->show();
    window->OpenDataFiles({Path("known.dat"), Path("second.dat"), Path("absent.dat")});
    for (const char* name : {"known.dat", "second.dat"}) {
        SCOPED_TRACE(name);
        ReadingsWindow* readings = window->Readings().Find(Path(name));
        ASSERT_NE(readings, nullptr);
        EXPECT_TRUE(readings->isVisible());
        EXPECT_EQ(readings->windowTitle(), QString(name) + " - Readings");
    }
    EXPECT_EQ(FirstRow(window->Readings().Find(Path("second.dat"))),
              (QStringList{"V AC", "1", "5", "5"}));
    ASSERT_EQ(boxes.seen.size(), 1u) << "the missing file, and it alone";
    EXPECT_TRUE(boxes.seen[0].text.contains(Path("absent.dat")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Command1[1]->isEnabled()) << "opening a file is no transfer";
}

TEST_F(MainMenu, AFileDroppedOnTheWindowOpens) {
    const auto window = OpenWindow();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("known.dat"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_NE(window->Readings().Find(Path("known.dat")), nullptr);

    QMimeData text;
    text.setText("known.dat");
    QDragEnterEvent notAFile(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &notAFile);
    EXPECT_FALSE(notAFile.isAccepted());
}

}  // namespace
}  // namespace rv7342
