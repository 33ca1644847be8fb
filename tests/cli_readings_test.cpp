// rv7342-cli's data-file commands and its command line, run as a user runs them: known
// figures, a faulty line, a missing file, and usage errors.

#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "tests/child_process.h"
#include "tests/cli_support.h"
#include "tests/svg_chart.h"
#include "tests/workbook_reader.h"

namespace rv7342 {
namespace {

// 1E+39 is beyond single precision: left out of the figures. The second display's zeros in
// code 0 are no series.
const char kReadings[] =
    "1,1.5,5,0,0\r\n2,2.5,5,0,0\r\n3,3,7,1.25,2\r\n4,1E+39,5,0,0\r\n5,4,5,0,0\r\n";
const char kUnits[] =
    "0,\"zero\"\r\n1,\"one\"\r\n2,\"mV DC\"\r\n3,\"three\"\r\n4,\"four\"\r\n"
    "5,\"V, DC\"\r\n6,\"six\"\r\n7,\"A AC\"\r\n";
// stats' header, and its rows of run.dat's first display.
const std::string kHeader = "series\tdisplay\tcount\tmin\tmax\tmean\tsd\tfirst\tlast\tleft_out";
const std::string kFirstDisplayRows =
    "V, DC\tfirst\t3\t1.5\t4\t2.6666666666666665\t1.2583057392117918\t1\t5\t1\n"
    "A AC\tfirst\t1\t3\t3\t3\t\t3\t3\t0\n";

class CliFiles : public CliTest {
  protected:
    CliFiles() {
        dir.Write("run.dat", kReadings);
        dir.Write("units.dat", kUnits);
    }
};

TEST_F(CliFiles, StatsGivesTheFiguresOfEachSeriesAsTextOrJson) {
    auto cli = Run({"stats", "--units", "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(cli->Output(), kHeader + "\n" + kFirstDisplayRows +
                                 "mV DC\tsecond\t1\t1.25\t1.25\t1.25\t\t3\t3\t0\n");
    EXPECT_EQ(cli->Errors(), "");

    cli = Run({"stats", "--json", "--from", "2", "--to", "4", "--units", "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(cli->Output(),
              "[\n"
              "  {\"series\": \"V, DC\", \"display\": \"first\", \"count\": 1, \"min\": 2.5, "
              "\"max\": 2.5, \"mean\": 2.5, \"sd\": null, \"first\": 2, \"last\": 4, "
              "\"left_out\": 1},\n"
              "  {\"series\": \"A AC\", \"display\": \"first\", \"count\": 1, \"min\": 3, "
              "\"max\": 3, \"mean\": 3, \"sd\": null, \"first\": 3, \"last\": 3, "
              "\"left_out\": 0},\n"
              "  {\"series\": \"mV DC\", \"display\": \"second\", \"count\": 1, \"min\": 1.25, "
              "\"max\": 1.25, \"mean\": 1.25, \"sd\": null, \"first\": 3, \"last\": 3, "
              "\"left_out\": 0}\n"
              "]\n");
}

// Limits, conversions, another file and the cursors' readings, by the window's routines.
TEST_F(CliFiles, StatsMeasuresWithLimitsConversionsComparedFilesAndCursors) {
    auto cli = Run(
        {"stats", "--units", "units.dat", "--limit", "V, DC=2:3", "--interval", "10", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(cli->Output(),
              kHeader +
                  "\tbelow\tabove\toutside_seconds\tfirst_outside\n"
                  "V, DC\tfirst\t3\t1.5\t4\t2.6666666666666665\t1.2583057392117918\t1\t5\t1"
                  "\t1\t1\t20\t1\n"
                  "A AC\tfirst\t1\t3\t3\t3\t\t3\t3\t0\t\t\t\t\n"
                  "mV DC\tsecond\t1\t1.25\t1.25\t1.25\t\t3\t3\t0\t\t\t\t\n");

    // The limit applies to the converted readings, in their new unit.
    cli = Run({"stats", "--units", "units.dat", "--convert", "mV DC=deg C:100,-10", "--limit",
               "deg C=:100", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_TRUE(
        Contains(cli->Output(), "\ndeg C\tsecond\t1\t115\t115\t115\t\t3\t3\t0\t0\t1\t\t3\n"))
        << cli->Output();

    cli = Run({"stats", "--units", "units.dat", "--between", "5", "2", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    const std::string between = cli->Output();
    cli = Run({"stats", "--units", "units.dat", "--from", "2", "--to", "5", "run.dat"});
    EXPECT_EQ(between, cli->Output()) << "both ends included, in either order";

    // run2.dat every 5 s: its readings 1 and 2 stand at run.dat's 1 and 1.5.
    dir.Write("run2.dat", "1,10,5,0,0\r\n2,20,5,0,0\r\n3,30,5,0,0\r\n");
    cli = Run({"stats", "--units", "units.dat", "--interval", "10", "--compare",
               "run2.dat,interval=5", "--to", "1.5", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(cli->Output(), kHeader +
                                 "\tfile\n"
                                 "V, DC\tfirst\t1\t1.5\t1.5\t1.5\t\t1\t1\t0\trun.dat\n"
                                 "A AC\tfirst\t0\t\t\t\t\t\t\t0\trun.dat\n"
                                 "mV DC\tsecond\t0\t\t\t\t\t\t\t0\trun.dat\n"
                                 "V, DC\tfirst\t2\t10\t20\t15\t7.0710678118654755\t1\t2"
                                 "\t0\trun2.dat\n");

    cli = Run({"stats", "--units", "units.dat", "--compare", "none.dat", "run.dat"});
    EXPECT_EQ(status, 2);
    EXPECT_EQ(cli->Output(), "");
    EXPECT_TRUE(Contains(cli->Errors(), dir.Path("none.dat") + ": No such file")) << cli->Errors();
}

// A file compared with itself, by any name, and a file compared twice: each is compared, its
// rows labelled with the file as the command line names it.
TEST_F(CliFiles, AFileComparedWithItselfIsComparedLikeAnyOther) {
    dir.Write("small.dat", "1,2,5,0,0\r\n2,4,5,0,0\r\n3,6,5,0,0\r\n");
    ASSERT_EQ(::link(dir.Path("small.dat").c_str(), dir.Path("linked.dat").c_str()), 0);
    const std::string header = kHeader + "\tfile\n";
    const std::string whole = "V, DC\tfirst\t3\t2\t6\t4\t2\t1\t3\t0\t";
    const struct {
        std::vector<std::string> compare;
        std::string rows;
    } cases[] = {
        {{"--compare", "small.dat"}, whole + "small.dat\n" + whole + "small.dat\n"},
        {{"--compare", "./small.dat"}, whole + "small.dat\n" + whole + "./small.dat\n"},
        {{"--compare", "linked.dat"}, whole + "small.dat\n" + whole + "linked.dat\n"},
        {{"--compare", "run2.dat", "--compare", "run2.dat"},
         whole + "small.dat\n" + "V, DC\tfirst\t1\t7\t7\t7\t\t1\t1\t0\trun2.dat\n" +
             "V, DC\tfirst\t1\t7\t7\t7\t\t1\t1\t0\trun2.dat\n"},
        // Every 20 s against every 10 s: its readings 1 and 2 stand at 1 and 3 of its own.
        {{"--interval", "10", "--to", "2", "--compare", "small.dat,interval=20"},
         "V, DC\tfirst\t2\t2\t4\t3\t1.4142135623730951\t1\t2\t0\tsmall.dat\n"
         "V, DC\tfirst\t1\t2\t2\t2\t\t1\t1\t0\tsmall.dat\n"},
    };
    dir.Write("run2.dat", "1,7,5,0,0\r\n");
    for (const auto& [compare, rows] : cases) {
        SCOPED_TRACE(compare.back());
        std::vector<std::string> args = {"stats", "--units", "units.dat"};
        args.insert(args.end(), compare.begin(), compare.end());
        args.push_back("small.dat");
        const auto cli = Run(args);
        EXPECT_EQ(status, 0) << cli->Errors();
        EXPECT_EQ(cli->Output(), header + rows);
        EXPECT_EQ(cli->Errors(), "");
    }
}

// Counts and reading numbers are whole numbers written in full, -0 is 0: what a JSON reader
// takes for integers.
TEST_F(CliFiles, WholeNumbersAreWrittenInFull) {
    dir.Write("big.dat", "1000000,-0,5,0,0\r\n1234567,-0,5,0,0\r\n");
    auto cli = Run({"stats", "--units", "units.dat", "--json", "big.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(cli->Output(),
              "[\n  {\"series\": \"V, DC\", \"display\": \"first\", \"count\": 2, \"min\": 0, "
              "\"max\": 0, \"mean\": 0, \"sd\": 0, \"first\": 1000000, \"last\": 1234567, "
              "\"left_out\": 0}\n]\n");
    cli = Run({"stats", "--units", "units.dat", "big.dat"});
    EXPECT_TRUE(Contains(cli->Output(), "\nV, DC\tfirst\t2\t0\t0\t0\t0\t1000000\t1234567\t0\n"))
        << cli->Output();
}

// A unit table's faulty lines are told by their numbers, by every command that reads it; each
// leaves only its own code unnamed, and the later lines keep theirs.
TEST_F(CliFiles, AUnitTablesFaultyLinesAreToldByTheirNumbers) {
    dir.Write("faulty.units",
              "0,zero\r\n1,\"one\r\n2,mV DC,extra\r\n\r\n4,four\r\n5,\"V, DC\"\r\n6,six\r\n"
              "7,A AC\r\n");
    const std::string table = "rv7342-cli: " + dir.Path("faulty.units");
    const std::string told =
        table +
        ", line 2: a quote is never closed on the line: \"1,\\\"one\"; its entry stays "
        "unnamed\n" +
        table + ", line 3: it holds 3 fields, not 2: \"2,mV DC,extra\"; its entry stays unnamed\n" +
        table + ", line 4: the line is empty; its entry stays unnamed\n";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"stats"}, {"export", "-o", "-"}, {"plot", "-o", "run.svg"}}) {
        SCOPED_TRACE(command.front());
        std::vector<std::string> args = command;
        args.insert(args.end(), {"--units", "faulty.units", "run.dat"});
        const auto cli = Run(args);
        EXPECT_EQ(status, 0) << cli->Errors();
        EXPECT_EQ(cli->Errors(), told);
    }
    EXPECT_EQ(
        Run({"stats", "--units", "faulty.units", "run.dat"})->Output(),
        kHeader + "\n" + kFirstDisplayRows + "unit 2\tsecond\t1\t1.25\t1.25\t1.25\t\t3\t3\t0\n");
}

// A faulty line: the figures, the export or the chart of the readings before it and exit 1. A
// missing file or table: exit 2, nothing written.
TEST_F(CliFiles, AFaultyLineGivesTheReadingsBeforeItAndAMissingFileNothing) {
    dir.Write("faulty.dat", "1,1.5,5,0,0\r\n2,2.5,5,0,0\r\n3,x,5,0,0\r\n4,9,5,0,0\r\n");
    auto cli = Run({"stats", "--units", "units.dat", "faulty.dat"});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Contains(cli->Output(), "V, DC\tfirst\t2\t1.5\t2.5\t2\t")) << cli->Output();
    EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: " + dir.Path("faulty.dat") + ", line 3"))
        << cli->Errors();

    cli = Run({"export", "--format", "csv", "--units", "units.dat", "faulty.dat"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(dir.Read("faulty.csv"),
              "No.,Value,Unit,Value 2,Unit 2\r\n1,1.5,\"V, DC\",,\r\n2,2.5,\"V, DC\",,\r\n");

    cli = Run({"plot", "--units", "units.dat", "-o", "faulty.svg", "faulty.dat"});
    EXPECT_EQ(status, 1) << cli->Errors();
    EXPECT_EQ(DescribeSvgChart(dir.Read("faulty.svg")),
              "title faulty.dat - Readings\npanel V, DC\naxis Reading No.\n"
              "legend V, DC: solid, 2 points in V, DC\n");
    EXPECT_TRUE(Contains(cli->Errors(), "faulty.dat, line 3")) << cli->Errors();

    for (const std::vector<std::string>& args : {std::vector<std::string>{"stats", "none.dat"},
                                                 {"export", "-o", "-", "none.dat"},
                                                 {"plot", "-o", "none.pdf", "none.dat"},
                                                 {"stats", "--units", "none.dat", "run.dat"}}) {
        SCOPED_TRACE(args.front() + " " + args[args.size() - 2]);
        cli = Run(args);
        EXPECT_EQ(status, 2);
        EXPECT_EQ(cli->Output(), "");
        EXPECT_TRUE(Contains(cli->Errors(), dir.Path("none.dat") + ": No such file or directory"))
            << cli->Errors();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("none.pdf")));
}

// The export routine of the readings window, with the time axis the options give.
TEST_F(CliFiles, ExportWritesTheReadingsWindowsSheetsOrCsv) {
    auto cli = Run({"export", "-o", "-", "--interval", "2.5", "--start", "2026-12-01T10:00:00",
                    "--units", "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_TRUE(Contains(cli->Output(),
                         "No.,Elapsed (s),Time,Value,Unit,Value 2,Unit 2\r\n"
                         "1,0,2026-12-01 10:00:00,1.5,\"V, DC\",,\r\n"))
        << cli->Output();
    EXPECT_TRUE(Contains(cli->Output(), "3,5,2026-12-01 10:00:05,3,A AC,1.25,mV DC\r\n"));

    cli = Run({"export", "--interval", "2.5", "--units", "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(ReadWorkbook(dir.Path("run.xlsx")),
              "sheet Readings frozen=A2 bold=True\n"
              "s:No.|s:Elapsed (s)|s:Value|s:Unit|s:Value 2|s:Unit 2\n"
              "n:1|n:0|n:1.5|s:V, DC|-|-\n"
              "n:2|n:2.5|n:2.5|s:V, DC|-|-\n"
              "n:3|n:5|n:3|s:A AC|n:1.25|s:mV DC\n"
              "n:4|n:7.5|-|s:V, DC|-|-\n"
              "n:5|n:10|n:4|s:V, DC|-|-\n"
              "sheet Statistics frozen=A2 bold=True\n"
              "s:Series|s:Count|s:Minimum|s:Maximum|s:Mean|s:Std. deviation|s:First reading|"
              "s:Last reading|s:Left out\n"
              "s:V, DC|n:3|n:1.5|n:4|n:2.66666666666667|n:1.25830573921179|n:1|n:5|n:1\n"
              "s:A AC|n:1|n:3|n:3|n:3|-|n:3|n:3|n:0\n"
              "s:mV DC (second display)|n:1|n:1.25|n:1.25|n:1.25|-|n:3|n:3|n:0\n");
}

// A converted unit is exported in its new unit, with the conversion noted in either format.
TEST_F(CliFiles, ExportConvertsAUnitsReadingsAndNotesTheConversion) {
    auto cli = Run({"export", "-o", "-", "--convert", "mV DC=deg C:100,-10", "--units", "units.dat",
                    "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    EXPECT_EQ(
        cli->Output().rfind("# Converted mV DC \xE2\x86\x92 deg C: \xC3\x97 100 - 10\r\nNo.,", 0),
        0u)
        << cli->Output();
    EXPECT_TRUE(Contains(cli->Output(), "\r\n3,3,A AC,115,deg C\r\n")) << cli->Output();

    cli = Run({"export", "-o", "converted.xlsx", "--convert", "mV DC=deg C:100,-10", "--units",
               "units.dat", "run.dat"});
    EXPECT_EQ(status, 0) << cli->Errors();
    const std::string sheets = ReadWorkbook(dir.Path("converted.xlsx"));
    EXPECT_TRUE(Contains(sheets, "n:3|n:3|s:A AC|n:115|s:deg C\n")) << sheets;
    EXPECT_TRUE(Contains(sheets, "\ns:deg C (second display)|n:1|n:115|")) << sheets;
    EXPECT_TRUE(Contains(sheets,
                         "sheet Conversions frozen=A2 bold=True\n"
                         "s:Unit|s:New unit|s:Factor|s:Offset\n"
                         "s:mV DC|s:deg C|n:100|n:-10\n"))
        << sheets;
}

// The chart as its reader sees it, with no display: in SVG its panels, axis titles, series
// and legend names (the compared and the converted series too), in PDF the same words, in
// PNG an image of the size asked for with the chart drawn on it. Without XDG_RUNTIME_DIR too
// (cron, su), plot says nothing and creates nothing in the temporary folder, where Qt would
// make a runtime folder.
TEST_F(CliFiles, PlotDrawsThePanelsSeriesAndLegendWithNoDisplay) {
    const std::string temporary = dir.Path("tmp");
    std::filesystem::create_directory(temporary);
    const std::vector<std::string> noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                             "XDG_RUNTIME_DIR", "TMPDIR=" + temporary};
    dir.Write("run2.dat", "1,10,5,0,0\r\n2,20,5,0,0\r\n3,30,5,0,0\r\n");
    const std::string head = "title run.dat - Readings\n";
    const std::string hidden = "legend mV DC (second display): dashed, hidden\n";
    const struct {
        std::vector<std::string> options;
        QSize size;
        std::string chart;
        std::string label;  // one of the horizontal axis's
    } cases[] = {
        {{"--interval", "60", "--start", "2026-12-01T10:00:00", "--from", "2", "--size", "640x480"},
         {640, 480},
         head +
             "panel V, DC\npanel A AC\naxis Clock time\n"
             "legend V, DC: solid, 2 points in V, DC\nlegend A AC: solid, 1 point in A AC\n" +
             hidden,
         "2026-12-01 10:01:00"},
        // run2.dat every 5 s, in the panel of the unit its series is converted to.
        {{"--interval", "10", "--compare", "run2.dat,interval=5", "--convert", "V, DC=mV:1000,0"},
         {1200, 800},
         head +
             "panel mV\npanel A AC\naxis Elapsed time\n"
             "legend mV: solid, 3 points in mV\nlegend A AC: solid, 1 point in A AC\n" +
             hidden + "legend mV \xC2\xB7 run2.dat: dotted, 3 points in mV\n",
         "0:00:40"},
    };
    for (const auto& [options, size, chart, label] : cases) {
        SCOPED_TRACE(options.front() + " " + options[1]);
        for (const char* image : {"run.svg", "run.pdf", "run.png"}) {
            std::vector<std::string> args = {"plot", "--units", "units.dat", "-o", image};
            args.insert(args.end(), options.begin(), options.end());
            args.push_back("run.dat");
            const auto cli = Run(args, noDisplay);
            EXPECT_EQ(status, 0) << cli->Errors();
            EXPECT_EQ(cli->Errors(), "");
        }
        const std::string svg = dir.Read("run.svg");
        EXPECT_EQ(DescribeSvgChart(svg), chart);
        EXPECT_TRUE(Contains(svg, ">" + label + "</text>"));
        const std::string pdf = PdfText(dir.Path("run.pdf"));
        // The PDF shows the names of the panels and of the legend, and the label.
        std::istringstream lines(chart);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t space = line.find(' ');
            const std::string name = line.substr(space + 1, line.find(": ") - space - 1);
            if (line.rfind("title", 0) != 0) {
                EXPECT_TRUE(Contains(pdf, name + "\n"));
            }
        }
        EXPECT_TRUE(Contains(pdf, label + "\n"));
        EXPECT_TRUE(IsDrawnImage(dir.Path("run.png"), size));
    }
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

TEST_F(CliFiles, UsageErrorsExit64NamingTheOption) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "a command is missing"},
        {{"frobnicate"}, "'frobnicate' is not a command"},
        {{"download"}, "FILE is missing"},
        {{"download", "a.dat", "b.dat"}, "too many arguments: 'b.dat'"},
        {{"download", "--port", "COM3", "a.dat"}, "--port: 'COM3'"},
        {{"download", "--silence", "abc", "a.dat"}, "--silence: 'abc'"},
        {{"download", "a.dat", "--wait"}, "'--wait'"},
        {{"stats", "--bogus", "run.dat"}, "'bogus'"},
        {{"stats", "--from", "5", "--to", "2", "run.dat"}, "--from 5 lies after --to 2"},
        {{"export", "--format", "ods", "run.dat"}, "--format: 'ods'"},
        {{"export", "--interval", "0", "run.dat"}, "--interval: '0'"},
        {{"export", "--interval", "1", "--start", "yesterday", "run.dat"}, "--start: 'yesterday'"},
        {{"export", "--format", "xlsx", "-o", "-", "run.dat"}, "-o -"},
        {{"export", "--convert", "mV DC=deg C", "run.dat"}, "--convert: 'mV DC=deg C'"},
        {{"export", "--convert", "mV=deg C:1", "run.dat"}, "--convert: no series is in 'mV'"},
        {{"plot", "run.dat"}, "-o OUT is missing"},
        {{"plot", "-o", "run.bmp", "run.dat"}, "-o: 'run.bmp'"},
        {{"plot", "--size", "10x10", "-o", "run.png", "run.dat"}, "--size: '10x10'"},
        {{"plot", "--axis", "elapsed", "-o", "run.png", "run.dat"}, "--axis elapsed needs"},
        {{"stats", "--limit", "V, DC=3:2", "run.dat"}, "--limit: 'V, DC=3:2': the lower limit"},
        {{"stats", "--limit", "volts=1:2", "run.dat"}, "--limit: no series is in 'volts'"},
        {{"stats", "--convert", "mV DC=deg C:one", "run.dat"}, "--convert: 'mV DC=deg C:one'"},
        {{"stats", "--convert", "mV=deg C:1", "run.dat"}, "--convert: no series is in 'mV'"},
        {{"stats", "--between", "5", "run.dat"}, "--between: 'run.dat' is not a reading"},
        {{"stats", "--between", "1"}, "--between needs two reading numbers"},
        {{"stats", "--between", "1", "2", "--to", "3", "run.dat"}, "leave out --from and --to"},
        {{"stats", "--compare", "b.dat,interval=-1", "run.dat"}, "--compare: 'b.dat,interval=-1'"},
        {{"plot", "--convert", "mV DC=A", "-o", "a.png", "run.dat"}, "--convert: 'mV DC=A'"},
        {{"plot", "--limit", "V DC=1:", "-o", "a.png", "run.dat"}, "'limit'"},
        {{"stats", "--units", "units.dat", "--limit", "V, DC=2:11", "--limit", "V, DC=:5",
          "run.dat"},
         "--limit: 'V, DC' is given twice"},
        {{"stats", "--units", "units.dat", "--convert", "mV DC=X:2", "--convert", "mV DC=Y:3",
          "run.dat"},
         "--convert: 'mV DC' is given twice"},
        {{"export", "--units", "units.dat", "--convert", "mV DC=X:2", "--convert", " mV DC =Y:3",
          "run.dat"},
         "--convert: 'mV DC' is given twice"},
        {{"stats", "--units", "units.dat", "--limit", "V, DC', 'A AC=1:", "run.dat"},
         "--limit: no series is in 'V, DC', 'A AC'"},
        {{"stats", "--units", "units.dat", "--limit", "DC=1:", "run.dat"},
         "--limit: no series is in 'DC'"},
    };
    for (const auto& [args, named] : cases) {
        SCOPED_TRACE(named);
        const auto cli = Run(args);
        EXPECT_EQ(status, 64);
        EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: ")) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), named)) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), "Try 'rv7342-cli "));
        EXPECT_EQ(cli->Output(), "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("a.dat")));
}

// The program's help names every command; each command's help its usage, its own arguments
// (never the command's word among them) and the exit statuses.
TEST_F(CliFiles, HelpAndVersionOnStandardOutput) {
    auto cli = Run({"--version"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cli->Output(), "rv7342-cli " RV7342_VERSION "\n");
    const std::string help = Run({"--help"})->Output();
    EXPECT_EQ(status, 0);
    for (const char* command : {"download", "decode", "ports", "stats", "export", "plot"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(Contains(help, std::string("\n  ") + command + " "));
        cli = Run({command, "--help"});
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(Contains(cli->Output(), std::string("Usage: rv7342-cli ") + command + " "));
        EXPECT_FALSE(Contains(cli->Output(), std::string("  ") + command + " ")) << cli->Output();
        EXPECT_TRUE(Contains(cli->Output(), "  64   usage error\n"));
        EXPECT_TRUE(Contains(cli->Output(),
                             "  130  stopped by SIGINT (143 by SIGTERM), 129 by SIGHUP; every "
                             "whole reading is kept\n"));
    }
}

}  // namespace
}  // namespace rv7342
