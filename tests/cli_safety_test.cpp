// rv7342-cli run as a user runs it where files are at stake: outputs that name an input,
// interrupted and failing writes, standard output that cannot be written, names that are not
// UTF-8.

#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tests/child_process.h"
#include "tests/cli_support.h"
#include "tests/svg_chart.h"
#include "tests/workbook_reader.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;

const char kReadings[] = "1,1.5,5,0,0\r\n2,2.5,5,0,0\r\n3,3,7,1.25,2\r\n";

class CliSafety : public CliTest {
  protected:
    // A data file of `count` readings in `units` units.
    void WriteReadings(const std::string& name, int count, int units = 7) const {
        std::ofstream file(dir.Path(name), std::ios::binary);
        for (int i = 1; i <= count; ++i) {
            file << i << ',' << i % 1000 << ".25," << i % units << ",1.5,2\r\n";
        }
    }
};

// An output that is an input of the command (by its name, by the default name, through a
// symbolic or a hard link) or a folder (named, or standing at the default name) is refused in
// every format with exit 2; the inputs stay as they were and the folders empty.
TEST_F(CliSafety, AnOutputThatIsAnInputOrAFolderIsRefused) {
    dir.Write("run.csv", kReadings);
    dir.Write("run.png", kReadings);
    dir.Write("run.dat", kReadings);
    dir.Write("units.dat", "0,V\r\n");
    std::filesystem::create_symlink(dir.Path("run.csv"), dir.Path("link.csv"));
    std::filesystem::create_hard_link(dir.Path("run.csv"), dir.Path("hard.xlsx"));
    std::filesystem::create_symlink(dir.Path("run.csv"), dir.Path("link.svg"));
    const std::string folders[] = {"out.xlsx", "out.csv", "run.xlsx",
                                   "out.png",  "out.svg", "out.pdf"};
    for (const std::string& folder : folders) {
        std::filesystem::create_directory(dir.Path(folder));
    }
    const std::string folder = ": it is a folder";
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
        {{"export", "-o", "out.xlsx", "run.dat"}, dir.Path("out.xlsx") + folder},
        {{"export", "-o", "out.csv", "run.dat"}, dir.Path("out.csv") + folder},
        {{"export", "run.dat"}, dir.Path("run.xlsx") + folder},
        {{"plot", "-o", "out.png", "run.dat"}, dir.Path("out.png") + folder},
        {{"plot", "-o", "out.svg", "run.dat"}, dir.Path("out.svg") + folder},
        {{"plot", "-o", "out.pdf", "run.dat"}, dir.Path("out.pdf") + folder},
    };
    for (const auto& [args, told] : cases) {
        SCOPED_TRACE(args.back() + " " + args[args.size() - 2]);
        const auto cli = Run(args);
        EXPECT_EQ(status, 2) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: Cannot write "));
        EXPECT_TRUE(Contains(cli->Errors(), told));
        for (const char* input : {"run.csv", "run.png", "run.dat"}) {
            EXPECT_EQ(dir.Read(input), kReadings) << input;
        }
        EXPECT_EQ(dir.Read("units.dat"), "0,V\r\n");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.csv")));
    for (const std::string& folder : folders) {
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path(folder))) << folder;
    }
    EXPECT_EQ(Hidden(dir.Path()), std::vector<std::string>{});
}

// SIGINT, SIGTERM or SIGHUP while a long export or chart is being written: the file at the
// output before is untouched, no temporary file is left, and the status is the signal's.
TEST_F(CliSafety, AStopSignalDuringAnExportOrAChartLeavesTheEarlierFile) {
    WriteReadings("long.dat", 400000);
    // The most series a chart draws, on the largest image: a second's drawing to stop.
    WriteReadings("series.dat", 400000, 100);
    const std::vector<std::string> exporting = {"export", "long.dat"};
    const std::vector<std::string> plotting = {"plot", "--size",   "10000x10000",
                                               "-o",   "long.svg", "series.dat"};
    const struct {
        std::vector<std::string> args;
        int signal, status;
    } cases[] = {
        {exporting, SIGINT, 130}, {exporting, SIGTERM, 143}, {exporting, SIGHUP, 129},
        {plotting, SIGINT, 130},  {plotting, SIGTERM, 143},  {plotting, SIGHUP, 129},
    };
    for (const auto& [args, signal, expected] : cases) {
        SCOPED_TRACE(args.front() + " stopped by " + strsignal(signal));
        const std::string output = args.front() == "plot" ? "long.svg" : "long.xlsx";
        dir.Write(output, "precious");
        const auto cli = Start(args);
        ASSERT_TRUE(WaitUntil([&] { return !Hidden(dir.Path()).empty(); }))
            << "the output is written into a temporary file beside it";
        cli->Signal(signal);
        EXPECT_EQ(cli->Wait(kEventDeadline), expected) << cli->Errors();
        EXPECT_EQ(dir.Read(output), "precious");
        EXPECT_EQ(Hidden(dir.Path()), std::vector<std::string>{});
    }
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
            const std::string command =
                std::strstr(name, ".csv") || std::strstr(name, ".xlsx") ? "export" : "plot";
            const std::string line = "ulimit -f " + std::to_string(kilobytes) + "; exec \"$0\" " +
                                     command + " -o " + name + " run.dat";
            ChildProcess cli("/bin/sh", {"-c", line, RV7342_CLI_PATH}, {}, dir.Path());
            EXPECT_EQ(cli.Wait(kEventDeadline), 2) << cli.Errors();
            const std::string told = cli.Errors();
            EXPECT_EQ(told.rfind("rv7342-cli: Cannot write " + dir.Path(name) + ": ", 0), 0u)
                << told;
            EXPECT_TRUE(Contains(told, ": File too large\n") ||
                        Contains(told, "(File too large)\n"))
                << told;
            EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
            EXPECT_EQ(dir.Read(name), "precious");
            EXPECT_TRUE(Hidden(dir.Path()).empty());
        }
    }
}

// AddressSanitizer's shadow memory leaves no figure to bound: the plain build runs it.
#ifndef __SANITIZE_ADDRESS__
// An XLSX export holds one row of a sheet at a time: the most readings a sheet holds,
// 1048575, take about 100 MB, the readings themselves 42 MB of it, where the whole workbook in
// memory took over 700 MB. Its last row, read from the sheet as it is stored, is the last
// reading's.
TEST_F(CliSafety, AFullSheetOfReadingsExportsAsXlsxInBoundedMemory) {
    WriteReadings("full.dat", 1048575);
    const auto cli =
        Run({"export", "--interval", "1", "--start", "2026-12-07T08:00:00", "full.dat"});
    ASSERT_EQ(status, 0) << cli->Errors();
    EXPECT_LT(cli->PeakMegabytes(), 120);
    ChildProcess lastRow(RV7342_PYTHON,
                         {"-c",
                          "import re, sys, zipfile\n"
                          "tail = b''\n"
                          "with zipfile.ZipFile(sys.argv[1]).open('xl/worksheets/sheet1.xml') as "
                          "sheet:\n"
                          "    while piece := sheet.read(1 << 20):\n"
                          "        tail = (tail + piece)[-4096:]\n"
                          "row = re.findall(rb'<row r=\"(\\d+)\".*?<v>([^<]*)</v>', tail)[-1]\n"
                          "print(row[0].decode(), row[1].decode())\n",
                          dir.Path("full.xlsx")});
    EXPECT_EQ(lastRow.Wait(kEventDeadline), 0) << lastRow.Errors();
    EXPECT_EQ(lastRow.Output(), "1048576 1048575\n") << "the header and every reading";
}
#endif

// One reading more than a sheet holds: the export says so, names CSV and writes nothing.
TEST_F(CliSafety, MoreReadingsThanASheetHoldsAreRefused) {
    WriteReadings("over.dat", 1048576);
    dir.Write("over.xlsx", "precious");
    const auto cli = Run({"export", "-o", "over.xlsx", "over.dat"});
    EXPECT_EQ(status, 2) << cli->Errors();
    EXPECT_EQ(cli->Errors(), "rv7342-cli: Cannot write " + dir.Path("over.xlsx") +
                                 ": its 1048576 readings are more than a sheet holds (1048575); "
                                 "export them as CSV\n");
    EXPECT_EQ(dir.Read("over.xlsx"), "precious");
    EXPECT_EQ(Hidden(dir.Path()), std::vector<std::string>{});
}

// A failure to write the standard output (a full device, a pipe its reader has closed) is a
// failure: exit 2 and the reason.
TEST_F(CliSafety, FailedWritesToStandardOutputExitTwo) {
    dir.Write("run.dat", kReadings);
    // The program run with its standard output on /dev/full or on a pipe with no reader left,
    // SIGPIPE as the system's default; a death by a signal is told as a shell tells it.
    const char kWithOutput[] =
        "import os, subprocess, sys\n"
        "if sys.argv[1] == 'closed pipe':\n"
        "    reader, output = os.pipe()\n"
        "    os.close(reader)\n"
        "else:\n"
        "    output = os.open('/dev/full', os.O_WRONLY)\n"
        "status = subprocess.call(sys.argv[2:], stdout=output)\n"
        "sys.exit(128 - status if status < 0 else status)\n";
    const std::vector<std::string> commands[] = {{"stats", "run.dat"},
                                                 {"stats", "--json", "run.dat"},
                                                 {"export", "-o", "-", "run.dat"},
                                                 {"ports"},
                                                 {"--help"},
                                                 {"--version"},
                                                 {"plot", "--help"},
                                                 {"stats", "-h"},
                                                 {"export", "--version"}};
    const std::pair<const char*, const char*> outputs[] = {{"/dev/full", "No space left on device"},
                                                           {"closed pipe", "Broken pipe"}};
    for (const auto& [output, reason] : outputs) {
        for (const std::vector<std::string>& command : commands) {
            SCOPED_TRACE(std::string(output) + ": " + command.front() + " " + command.back());
            std::vector<std::string> args = {"-c", kWithOutput, output, RV7342_CLI_PATH};
            args.insert(args.end(), command.begin(), command.end());
            ChildProcess cli(RV7342_PYTHON, args, {}, dir.Path());
            EXPECT_EQ(cli.Wait(kEventDeadline), 2) << cli.Errors();
            EXPECT_TRUE(Contains(cli.Errors(), reason));
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

    // Tab-separated: one line a row, the tabs its own.
    std::vector<std::string> args = {"stats", "--compare", other};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(own);
    auto cli = Run(args);
    ASSERT_EQ(status, 0) << cli->Errors();
    const std::string stats = cli->Output();
    EXPECT_EQ(std::count(stats.begin(), stats.end(), '\n'), 5) << stats;
    EXPECT_TRUE(Contains(
        stats,
        "\n" + newUnit + "\tfirst\t2\t3\t5\t4\t1.4142135623730951\t1\t2\t0\tr\uFFFDun.dat\n"))
        << stats;
    EXPECT_TRUE(Contains(
        stats, "\n" + newUnit +
                   "\tfirst\t2\t20\t40\t30\t14.142135623730951\t1\t2\t0\tb\uFFFDc\uFFFD.dat\n"))
        << stats;

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
    ASSERT_EQ(csv->Wait(kEventDeadline), 0) << csv->Errors();
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
    const std::string sheets = ReadWorkbook(dir.Path("out.xlsx"));
    EXPECT_TRUE(Contains(sheets, "n:1|n:3|s:" + newUnit + "|-|-\n")) << sheets;
    EXPECT_TRUE(Contains(sheets, "s:V DC|s:" + newUnit + "|n:2|n:0\n")) << sheets;

    // The chart: its title, panels and legend in SVG, its words in PDF, a PNG drawn.
    for (const char* chart : {"c.svg", "c.pdf", "c.png"}) {
        SCOPED_TRACE(chart);
        args = {"plot", "--compare", other, "-o", chart};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(own);
        cli = Run(args);
        EXPECT_EQ(status, 0) << cli->Errors();
    }
    const std::string compared = newUnit + " \xC2\xB7 b\uFFFDc\uFFFD.dat";
    EXPECT_EQ(DescribeSvgChart(dir.Read("c.svg")),
              "title r\uFFFDun.dat - Readings\npanel " + newUnit +
                  "\npanel A AC\naxis Reading No.\nlegend " + newUnit + ": solid, 2 points in " +
                  newUnit +
                  "\nlegend A AC: solid, 1 point in A AC\nlegend mV DC (second display): dashed, "
                  "hidden\nlegend " +
                  compared + ": dotted, 2 points in " + newUnit + "\n");
    const std::string pdf = PdfText(dir.Path("c.pdf"));
    EXPECT_TRUE(Contains(pdf, newUnit + "\n"));
    EXPECT_TRUE(Contains(pdf, compared + "\n"));
    EXPECT_TRUE(IsDrawnImage(dir.Path("c.png"), {1200, 800}));

    // The terminal: a message quotes the option's text printable.
    cli = Run({"stats", "--units", "units.dat", "--limit", "V\x1B[2J\nDC=3:2", own});
    EXPECT_EQ(status, 64);
    EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: --limit: 'V\uFFFD[2J\uFFFDDC=3:2'"))
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
    EXPECT_TRUE(Contains(cli->Errors(),
                         "many.dat has 3000 series; the chart draws the first 100, "
                         "2900 are left out."))
        << cli->Errors();
    EXPECT_TRUE(IsDrawnImage(dir.Path("many.png"), {1200, 800}));
}

}  // namespace
}  // namespace rv7342
