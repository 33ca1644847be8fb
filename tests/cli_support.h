#pragma once
// What the tests of rv7342-cli share: waiting for an event, the temporary files an output
// leaves beside it, and its images as their readers see them.

#include <QImage>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/deadline.h"
#include "tests/text_contains.h"

namespace rv7342 {

// A test of rv7342-cli run in a folder of its own, as a user runs it.
class CliTest : public testing::Test {
  protected:
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args,
                                        std::vector<std::string> environment = {}) const {
        return std::make_unique<ChildProcess>(RV7342_CLI_PATH, std::move(args),
                                              std::move(environment), dir.Path());
    }
    // The program run to its end, its exit status in `status`.
    std::unique_ptr<ChildProcess> Run(std::vector<std::string> args,
                                      std::vector<std::string> environment = {}) const {
        auto cli = Start(std::move(args), std::move(environment));
        status = cli->Wait(kEventDeadline);
        return cli;
    }

    TempDir dir;
    mutable std::optional<int> status;
};

// The names in `folder` that start with a dot: the temporary files of an output being written.
inline std::vector<std::string> Hidden(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().front() == '.') {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// The text of the PDF at `path` as poppler's pdftotext reads it; a reader that fails fails the
// test, saying why.
inline std::string PdfText(const std::string& path) {
    ChildProcess reader("/usr/bin/pdftotext", {path, "-"});
    EXPECT_EQ(reader.Wait(kEventDeadline), 0) << "pdftotext failed on " << path << ":\n"
                                              << reader.Errors();
    return reader.Output();
}

// Whether the PNG at `path` is an image of `size` pixels with a chart drawn on it: lines and
// text antialiased in several colours, where a blank or unreadable file has at most one.
inline testing::AssertionResult IsDrawnImage(const std::string& path, QSize size) {
    const QImage image(QString::fromStdString(path));
    if (image.size() != size) {
        return testing::AssertionFailure()
               << path << " is " << image.width() << "x" << image.height() << " pixels";
    }
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    if (colours.size() < 16) {
        return testing::AssertionFailure() << path << " has only " << colours.size() << " colours";
    }
    return testing::AssertionSuccess();
}

}  // namespace rv7342
