// Form2 run from an installed layout: a program folder without unit2.dat, the installation's
// shared table beside it, and a home of its own whose documents take the data files.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <memory>

#include "tests/window_fixture.h"

namespace rv7342 {
namespace {

namespace fs = std::filesystem;

class Installed : public testing::Test {
  protected:
    Installed() {
        fs::create_directories(root.Path("usr/bin"));
        fs::create_directories(root.Path("usr/share/rv7342"));
        fs::create_directories(root.Path("home/Documents"));
        root.Write("usr/share/rv7342/unit2.dat", "0,\"shared\"\n");
        environment.Set("HOME", root.Path("home"));
        environment.Set("XDG_CONFIG_HOME", root.Path("home/.config"));
    }

    std::unique_ptr<Form2> OpenWindow() const {
        return std::make_unique<Form2>(QString::fromStdString(root.Path("usr/bin")));
    }
    std::string DataFolder() const { return root.Path("home/Documents/RV7342"); }
    static std::string Text(const QString& text) { return text.toStdString(); }

    TestEnvironment environment;
    TempDir root;
    MessageBoxAnswerer boxes;
};

TEST_F(Installed, DataFilesGoIntoTheDocumentsAndTheSharedTableNamesTheUnits) {
    const std::string before = TodaysFileName();
    const auto window = OpenWindow();
    const std::string after = TodaysFileName();
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(Shown(window->State().UnitNames[0]), "shared    ");
    const std::string path = window->State().df;
    EXPECT_TRUE(path == DataFolder() + "/" + before || path == DataFolder() + "/" + after) << path;
    EXPECT_EQ(Text(window->Text1->toolTip()), path);
    EXPECT_FALSE(fs::exists(DataFolder())) << "made only when Start writes into it";
    window->Text1->setText(QString::fromStdString(root.Path("elsewhere.dat")));
    EXPECT_EQ(window->State().df, root.Path("elsewhere.dat"));

    window->AboutAction->trigger();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Text(boxes.seen[0].text), root.Path("usr/share/rv7342/unit2.dat")));
    EXPECT_TRUE(Contains(Text(boxes.seen[0].text), DataFolder()));
}

TEST_F(Installed, TheUsersOwnTableComesFirstAndIsNoDataFile) {
    fs::create_directories(DataFolder());
    root.Write("home/Documents/RV7342/unit2.dat", "0,\"mine\"\n");
    const auto window = OpenWindow();
    EXPECT_EQ(Shown(window->State().UnitNames[0]), "mine      ");
    window->Text1->setText("unit2.dat");
    window->Command1[0]->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Text(boxes.seen[0].text), DataFolder() + "/unit2.dat is one of"));
    EXPECT_EQ(root.Read("home/Documents/RV7342/unit2.dat"), "0,\"mine\"\n");
}

// The folder is made by Start; where it cannot be, Start says where and why and stops there.
TEST_F(Installed, StartMakesTheDataFolderOrSaysWhyItCannot) {
    environment.Set("RV7342_COM2", "/dev/rv7342-not-opened");
    fs::remove(root.Path("home/Documents"));
    root.Write("home/Documents", "not a folder");
    const auto window = OpenWindow();
    const std::string proposed = Text(window->Text1->text());
    window->Command1[0]->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Text(boxes.seen[0].text),
                         "Cannot create the data folder " + DataFolder() + ": Not a directory"));
    EXPECT_EQ(window->Label1[2]->text(), "");
    EXPECT_TRUE(window->Command1[0]->isEnabled());
    EXPECT_EQ(Text(window->Text1->text()), proposed) << "the name stays";
    EXPECT_EQ(root.Read("home/Documents"), "not a folder");

    fs::remove(root.Path("home/Documents"));
    window->Command1[0]->click();
    EXPECT_TRUE(fs::is_directory(DataFolder()));
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_TRUE(Contains(Text(boxes.seen[1].text), "/dev/rv7342-not-opened"))
        << "the transfer went on to open the port";
}

}  // namespace
}  // namespace rv7342
