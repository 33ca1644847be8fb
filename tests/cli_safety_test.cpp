// rv7342-cli run as a user runs it where files are at stake: outputs that name an input,
// interrupted and failing writes, standard output that cannot be written, names that are not
// UTF-8. The full-disk case mounts a small tmpfs and needs root (Linux only); it fails in CI
// when it cannot run there.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/child_process.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const char kReadings[] = "1,1.5,5,0,0\r\n2,2.5,5,0,0\r\n3,3,7,1.25,2\r\n";

class CliSafety : public testing::Test {
  protected:
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) const {
        return std::make_unique<ChildProcess>(RV7342_CLI_PATH, std::move(args),
                                              std::vector<std::string>{}, dir.Path());
    }
    std::unique_ptr<ChildProcess> Run(std::vector<std::string> args) const {
        auto cli = Start(std::move(args));
        status = cli->Wait(60s);
        return cli;
    }
    // A shell command line run in the test's folder, `cli` standing for the program.
    std::unique_ptr<ChildProcess> Shell(const std::string& line) const {
        auto shell = std::make_unique<ChildProcess>(
            "/bin/sh", std::vector<std::string>{"-c", line},
            std::vector<std::string>{std::string("CLI=") + RV7342_CLI_PATH}, dir.Path());
        status = shell->Wait(60s);
        return shell;
    }
    // The names in the folder that start with a dot: temporary files left behind.
    std::vector<std::string> Hidden(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().front() == '.') {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
    // A data file of `count` readings.
    void WriteReadings(const std::string& name, int count) const {
        std::ofstream file(dir.Path(name), std::ios::binary);
        for (int i = 1; i <= count; ++i) {
            file << i << ',' << i % 1000 << ".25," << i % 7 << ",1.5,2\r\n";
        }
    }

    TempDir dir;
    mutable std::optional<int> status;
};

// By its name, by the default name, through a symbolic or a hard link: an output that is an
// input of the command is refused with exit 2, and the input stays as it was.
TEST_F(CliSafety, AnOutputThatIsAnInputIsRefused) {
    dir.Write("run.csv", kReadings);
    dir.Write("run.png", kReadings);
    dir.Write("units.dat", "0,V\r\n");
    std::filesystem::create_symlink(dir.Path("run.csv"), dir.Path("link.csv"));
    std::filesystem::create_hard_link(dir.Path("run.csv"), dir.Path("hard.xlsx"));
    std::filesystem::create_symlink(dir.Path("run.csv"), dir.Path("link.svg"));
    const struct {
        std::vector<std::string> args;
        std::string told;
    } cases[] = {
        {{"export", "--format", "csv", "run.csv"}, "Name another output with -o"},
        {{"export", "-o", "run.csv", "run.csv"}, "it is the input " + dir.Path("run.csv")},
        {{"export", "-o", "link.csv", "run.csv"}, "it is the same file as the input"},
        {{"export", "-o", "hard.xlsx", "run.csv"}, "it is the same file as the input"},
        {{"export", "--units", "units.dat", "-o", "units.dat", "run.csv"}, "units.dat"},
        {{"plot", "-o", "run.png", "run.png"}, "it is the input " + dir.Path("run.png")},
        {{"plot", "-o", "link.svg", "run.csv"}, "it is the same file as the input"},
    };
    for (const auto& [args, told] : cases) {
        SCOPED_TRACE(args.back() + " " + args[args.size() - 2]);
        const auto cli = Run(args);
        EXPECT_EQ(status, 2) << cli->Errors();
        EXPECT_TRUE(Has(cli->Errors(), "rv7342-cli: Cannot write ")) << cli->Errors();
        EXPECT_TRUE(Has(cli->Errors(), told)) << cli->Errors();
        EXPECT_EQ(dir.Read("run.csv"), kReadings);
        EXPECT_EQ(dir.Read("run.png"), kReadings);
        EXPECT_EQ(dir.Read("units.dat"), "0,V\r\n");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.csv")));
}

// SIGINT while a long export is being written: the file at the output before is untouched and
// no temporary file is left.
TEST_F(CliSafety, AnInterruptedExportLeavesTheEarlierFile) {
    WriteReadings("long.dat", 400000);
    dir.Write("long.xlsx", "precious");
    const auto cli = Start({"export", "long.dat"});
    bool writing = false;
    for (int wait = 0; wait < 2000 && !writing; ++wait, std::this_thread::sleep_for(5ms)) {
        writing = !Hidden(dir.Path()).empty();
    }
    ASSERT_TRUE(writing) << "the export writes into a temporary file beside its output";
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(60s), 130) << cli->Errors();
    EXPECT_EQ(dir.Read("long.xlsx"), "precious");
    EXPECT_TRUE(Hidden(dir.Path()).empty());
}

// A disk that fills at any point of a chart or an export, made by a file-size limit (in kB):
// every format fails with the system's reason and exit 2, and leaves the earlier file and
// nothing else. The SVG and PDF writers drop what a short write leaves over, so a limit
// inside their output is the case that counts.
TEST_F(CliSafety, AFileSizeLimitAnywhereLeavesEveryEarlierOutputAsItWas) {
    WriteReadings("run.dat", 20000);
    for (const char* name : {"out.svg", "out.pdf", "out.png", "out.csv", "out.xlsx"}) {
        for (const int kilobytes : {4, 20, 60}) {
            SCOPED_TRACE(std::string(name) + " within " + std::to_string(kilobytes) + " kB");
            dir.Write(name, "precious");
            const std::string command = std::string(name).find(".csv") != std::string::npos ||
                                                std::string(name).find(".xlsx") != std::string::npos
                                            ? "export"
                                            : "plot";
            const auto shell = Shell("ulimit -f " + std::to_string(kilobytes) + "; exec \"$CLI\" " +
                                     command + " -o " + name + " run.dat");
            const std::string told = shell->Errors();
            EXPECT_EQ(status, 2) << told;
            EXPECT_EQ(told.rfind("rv7342-cli: Cannot write " + dir.Path(name) + ": ", 0), 0u)
                << told;
            EXPECT_TRUE(Has(told, ": File too large\n") || Has(told, "(File too large)\n")) << told;
            EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
            EXPECT_EQ(dir.Read(name), "precious");
            EXPECT_TRUE(Hidden(dir.Path()).empty());
        }
    }
}

// A drawing program without XDG_RUNTIME_DIR (cron, su): plot says nothing but its own words
// and creates nothing in the temporary folder, where Qt would make a runtime folder.
TEST_F(CliSafety, PlotWithoutARuntimeFolderIsQuietAndCreatesNothing) {
    dir.Write("run.dat", kReadings);
    const std::string temporary = dir.Path("tmp");
    std::filesystem::create_directory(temporary);
    ChildProcess cli(RV7342_CLI_PATH, {"plot", "-o", "run.svg", "run.dat"},
                     {"XDG_RUNTIME_DIR", "TMPDIR=" + temporary}, dir.Path());
    EXPECT_EQ(cli.Wait(60s), 0) << cli.Errors();
    EXPECT_EQ(cli.Errors(), "");
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
    EXPECT_TRUE(Has(dir.Read("run.svg"), "</svg>"));
}

// AddressSanitizer's shadow memory leaves no figure to bound: the plain build runs it.
#ifndef __SANITIZE_ADDRESS__
// An XLSX export holds one row of a sheet at a time: a million readings (the most a sheet
// holds is 1048575) take about 100 MB, the readings themselves 40 MB of it, where the whole
// workbook in memory took over 700 MB.
TEST_F(CliSafety, AMillionReadingsExportAsXlsxInBoundedMemory) {
    WriteReadings("million.dat", 1000000);
    const auto cli =
        Run({"export", "--interval", "1", "--start", "2026-12-07T08:00:00", "million.dat"});
    ASSERT_EQ(status, 0) << cli->Errors();
    EXPECT_LT(cli->PeakMegabytes(), 120);
    EXPECT_GT(std::filesystem::file_size(dir.Path("million.xlsx")), 10u << 20);
}
#endif

// Root and Linux only: a full tmpfs of 64 kB. Every output fails with the system's reason and
// exit 2, and leaves the file before it and nothing else.
TEST_F(CliSafety, AFullDiskLeavesEveryEarlierOutputAsItWas) {
    if (geteuid() != 0) {
        if (std::getenv("CI")) {
            FAIL() << "CI runs the tests as root; this one mounts a tmpfs";
        }
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    const std::string full = dir.Path("full");
    std::filesystem::create_directory(full);
    ASSERT_EQ(mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k"), 0) << std::strerror(errno);
    WriteReadings("run.dat", 20000);
    const std::string outputs[] = {"out.csv", "out.xlsx", "out.svg", "out.pdf", "out.png"};
    for (const std::string& name : outputs) {
        std::ofstream(full + "/" + name) << "precious";
    }
    {
        std::ofstream fill(full + "/filler", std::ios::binary);
        fill << std::string(60 << 10, 'x');
    }
    for (const std::string& name : outputs) {
        SCOPED_TRACE(name);
        const bool chart =
            name.find("csv") == std::string::npos && name.find("xlsx") == std::string::npos;
        const auto cli = Run({chart ? "plot" : "export", "-o", full + "/" + name, "run.dat"});
        EXPECT_EQ(status, 2) << cli->Errors();
        EXPECT_TRUE(Has(cli->Errors(), full + "/" + name)) << cli->Errors();
        EXPECT_FALSE(Has(cli->Errors(), "Unknown error")) << cli->Errors();
        EXPECT_EQ(ReadFile(full + "/" + name), "precious");
        EXPECT_TRUE(Hidden(full).empty());
    }
    umount2(full.c_str(), MNT_DETACH);
}

// A failure to write the standard output or a device is a failure: exit 2 and the reason;
// the device is written as it stands, never replaced. Every line on standard error carries
// the program's name.
TEST_F(CliSafety, FailedWritesToStandardOutputAndDevicesExitTwo) {
    dir.Write("run.dat", kReadings);
    for (const std::string line :
         {"exec \"$CLI\" stats run.dat > /dev/full",
          "exec \"$CLI\" stats --json run.dat > /dev/full",
          "exec \"$CLI\" export -o - run.dat > /dev/full", "exec \"$CLI\" ports > /dev/full",
          "exec \"$CLI\" --help > /dev/full", "exec \"$CLI\" --version > /dev/full",
          "exec \"$CLI\" plot --help > /dev/full", "exec \"$CLI\" stats -h > /dev/full",
          "exec \"$CLI\" export --version > /dev/full"}) {
        SCOPED_TRACE(line);
        const auto shell = Shell(line);
        EXPECT_EQ(status, 2);
        EXPECT_TRUE(Has(shell->Errors(), "No space left on device")) << shell->Errors();
    }
    for (const char* format : {"csv", "xlsx"}) {
        SCOPED_TRACE(format);
        const auto cli = Run({"export", "--format", format, "-o", "/dev/full", "run.dat"});
        EXPECT_EQ(status, 2);
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
        for (std::size_t start = 0; start < cli->Errors().size();) {
            const std::size_t end = cli->Errors().find('\n', start);
            EXPECT_EQ(cli->Errors().compare(start, 12, "rv7342-cli: "), 0) << cli->Errors();
            start = end == std::string::npos ? end : end + 1;
        }
    }
}

// A name that is no UTF-8 keeps every byte, in the file read and in the file written.
TEST_F(CliSafety, FileNamesKeepEveryByte) {
    dir.Write("\xfa.dat", kReadings);
    const auto cli = Run({"export", "--format", "csv", "\xfa.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_TRUE(std::filesystem::exists(dir.Path("\xfa.csv")));
}

// Unit names with tabs, line ends and escape sequences break neither the tab-separated
// statistics, nor the terminal, nor an SVG drawing.
TEST_F(CliSafety, UnitNamesBreakNoOutput) {
    dir.Write("run.dat", kReadings);
    dir.Write("units.dat",
              "0,a\r\n1,b\r\n2,c\r\n3,d\r\n4,e\r\n5,\"V\tDC\r\n\x1B[2J\"\r\n6,f\r\n"
              "7,\"A\x01\xEF\xBF\xBF\"\r\n");
    auto cli = Run({"stats", "--units", "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    const std::string table = cli->Output();
    EXPECT_EQ(table.find('\x1B'), std::string::npos) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\t'), 4 * 9) << table;
    cli = Run({"plot", "--units", "units.dat", "-o", "run.svg", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    const std::string svg = dir.Read("run.svg");
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

// Texts given in options and file names with line ends, tabs, escapes, quotes and commas: each
// output read back by a real parser has U+FFFD where each control character stood, and nothing
// else of the text changed.
TEST_F(CliSafety, OptionTextsAndFileNamesBreakNoOutput) {
    const std::string units =
        "0,zero\r\n1,one\r\n2,mV DC\r\n3,x\r\n4,x\r\n5,V DC\r\n6,x\r\n7,A AC\r\n";
    const std::string own = "r\x1Bun.dat", other = "b\nc\t.dat";
    dir.Write("units.dat", units);
    dir.Write(own, kReadings);
    dir.Write(other, "1,10,5,0,0\r\n2,20,5,0,0\r\n");
    const std::string convert = "V DC=A\nB\x1B\x01\"q,r:2,0";
    const std::string newUnit = "A\uFFFDB\uFFFD\uFFFD\"q,r";
    const std::vector<std::string> options = {"--units", "units.dat", "--convert", convert};

    // Tab-separated: one line a row, eleven fields each.
    std::vector<std::string> args = {"stats", "--compare", other};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(own);
    auto cli = Run(args);
    ASSERT_EQ(status, 0) << cli->Errors();
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(cli->Output());
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string>& fields = rows.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) {
            fields.push_back(cell);
        }
    }
    ASSERT_EQ(rows.size(), 5u) << cli->Output();
    EXPECT_EQ(rows[1],
              (std::vector<std::string>{newUnit, "first", "2", "3", "5", "4", "1.4142135623730951",
                                        "1", "2", "0", "r\uFFFDun.dat"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{newUnit, "first", "2", "20", "40", "30",
                                                 "14.142135623730951", "1", "2", "0",
                                                 "b\uFFFDc\uFFFD.dat"}));

    // JSON, by Qt's parser.
    args.insert(args.begin() + 1, "--json");
    cli = Run(args);
    ASSERT_EQ(status, 0) << cli->Errors();
    QJsonParseError error{};
    const QJsonDocument json =
        QJsonDocument::fromJson(QByteArray::fromStdString(cli->Output()), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << cli->Output();
    ASSERT_EQ(json.array().size(), 4);
    EXPECT_EQ(json.array()[0].toObject()["series"].toString().toStdString(), newUnit);
    EXPECT_EQ(json.array()[3].toObject()["file"].toString().toStdString(), "b\uFFFDc\uFFFD.dat");

    // CSV, by Python's reader: the conversion's note one line, the unit one cell.
    args = {"export", "-o", "out.csv"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(own);
    cli = Run(args);
    ASSERT_EQ(status, 0) << cli->Errors();
    const auto csv = std::make_unique<ChildProcess>(
        RV7342_PYTHON,
        std::vector<std::string>{"-c",
                                 "import csv, sys\n"
                                 "for row in csv.reader(open(sys.argv[1], newline='', "
                                 "encoding='utf-8')):\n"
                                 "    print(repr(row))",
                                 "out.csv"},
        std::vector<std::string>{}, dir.Path());
    ASSERT_EQ(csv->Wait(60s), 0) << csv->Errors();
    EXPECT_EQ(csv->Output(),
              "['# Converted V DC \u2192 A\uFFFDB\uFFFD\uFFFD\"q', 'r: \u00D7 2 + 0']\n"
              "['No.', 'Value', 'Unit', 'Value 2', 'Unit 2']\n"
              "['1', '3', 'A\uFFFDB\uFFFD\uFFFD\"q,r', '', '']\n"
              "['2', '5', 'A\uFFFDB\uFFFD\uFFFD\"q,r', '', '']\n"
              "['3', '3', 'A AC', '1.25', 'mV DC']\n");

    // The workbook, by openpyxl.
    args[2] = "out.xlsx";
    cli = Run(args);
    ASSERT_EQ(status, 0) << cli->Errors();
    const auto xlsx = std::make_unique<ChildProcess>(
        RV7342_PYTHON,
        std::vector<std::string>{RV7342_SOURCE_DIR "/tests/xlsx_read_back.py", "out.xlsx"},
        std::vector<std::string>{}, dir.Path());
    ASSERT_EQ(xlsx->Wait(60s), 0) << xlsx->Errors();
    EXPECT_TRUE(Has(xlsx->Output(), "n:1|n:3|s:" + newUnit + "|-|-\n")) << xlsx->Output();
    EXPECT_TRUE(Has(xlsx->Output(), "s:V DC|s:" + newUnit + "|n:2|n:0\n")) << xlsx->Output();

    // SVG, well-formed XML with the texts in it; PDF and PNG written.
    for (const char* chart : {"c.svg", "c.pdf", "c.png"}) {
        SCOPED_TRACE(chart);
        args = {"plot", "--compare", other, "-o", chart};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(own);
        cli = Run(args);
        EXPECT_EQ(status, 0) << cli->Errors();
        EXPECT_GT(std::filesystem::file_size(dir.Path(chart)), 0u);
    }
    QXmlStreamReader xml(QByteArray::fromStdString(dir.Read("c.svg")));
    QString texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::Characters) {
            texts += xml.text();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("r\uFFFDun.dat - Readings"))) << texts.toStdString();

    // The terminal: a message quotes the option's text printable.
    cli = Run({"stats", "--units", "units.dat", "--limit", "V\x1B[2J\nDC=3:2", own});
    EXPECT_EQ(status, 64);
    EXPECT_TRUE(Has(cli->Errors(), "rv7342-cli: --limit: 'V\uFFFD[2J\uFFFDDC=3:2'"))
        << cli->Errors();
    EXPECT_EQ(cli->Errors().find('\x1B'), std::string::npos);
}

// Thousands of unit codes, only possible in a malformed file: the chart draws the first 100
// series and says how many it leaves out, and the program ends soon.
TEST_F(CliSafety, ManyUnitsAreCappedInTheChart) {
    {
        std::ofstream file(dir.Path("many.dat"), std::ios::binary);
        for (int i = 1; i <= 3000; ++i) {
            file << i << ",1," << i << ",0,0\r\n";
        }
    }
    const auto cli = Run({"plot", "-o", "many.png", "many.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_TRUE(Has(cli->Errors(),
                    "many.dat has 3000 series; the chart draws the first 100, "
                    "2900 are left out."))
        << cli->Errors();
    EXPECT_TRUE(std::filesystem::exists(dir.Path("many.png")));
}

// A command's help lists its own arguments, not the command's word.
TEST_F(CliSafety, ACommandsHelpListsItsOwnArguments) {
    for (const char* command : {"stats", "export", "plot", "download", "ports"}) {
        SCOPED_TRACE(command);
        const auto cli = Run({command, "--help"});
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(Has(cli->Output(), std::string("  ") + command + " ")) << cli->Output();
    }
}

}  // namespace
}  // namespace rv7342
