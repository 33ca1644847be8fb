#include "transfer/capture_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/meter_stream.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

const Bytes kTwoValue = Frame("03051201231234");  // 12.34 unit 5, 12.3 unit 3

Bytes With(Bytes frame, std::size_t at, std::uint8_t byte) {
    frame[at] = byte;
    return frame;
}

Bytes WithoutLast(Bytes stream, std::size_t count) {
    stream.resize(stream.size() - count);
    return stream;
}

std::string Lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i) + ",12.34,5,12.3,3\r\n";
    }
    return text;
}

// The streams the download tests send, as captures: what a download of them writes.
TEST(DecodeCapture, WritesWhatADownloadOfTheBytesWrites) {
    const Bytes memory = MemoryImage({kTwoValue, kTwoValue, kTwoValue});
    struct Case {
        const char* name;
        Bytes capture;
        bool complete;
        int records;
        int malformed;
        bool escapesSeen;
    };
    const Case cases[] = {
        {"whole memory", memory, true, 3, 0, true},
        {"bytes after the end are not read", Concat({memory, kTwoValue, EscapeFrame()}), true, 3, 0,
         true},
        {"cut inside the closing frames", WithoutLast(memory, 20), false, 3, 0, true},
        {"cut inside a frame", WithoutLast(memory, 2 * kFrameSize + 5), false, 2, 0, false},
        {"empty", {}, false, 0, 0, false},
        {"noise in a frame", MemoryImage({kTwoValue, With(kTwoValue, 12, 'A'), kTwoValue}), true, 3,
         1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string capture(c.capture.begin(), c.capture.end());
        const CaptureDecoding decoded = DecodeCapture(capture, dir.Path("out.dat"));
        EXPECT_EQ(decoded.failure, std::nullopt);
        EXPECT_EQ(decoded.complete, c.complete);
        EXPECT_EQ(decoded.records, c.records);
        EXPECT_EQ(decoded.malformedRecords, c.malformed);
        EXPECT_EQ(decoded.escapeCount > 0, c.escapesSeen);
        const std::string text = ReadFile(dir.Path("out.dat"));
        if (c.malformed == 0) {
            EXPECT_EQ(text, Lines(c.records));
        } else {
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.records) << text;
        }
    }
}

TEST(DecodeCapture, NamesTheDataFileItCannotCreate) {
    TempDir dir;
    const Bytes memory = MemoryImage({kTwoValue});
    const std::string path = dir.Path("none/out.dat");
    const CaptureDecoding decoded = DecodeCapture(std::string(memory.begin(), memory.end()), path);
    EXPECT_TRUE(Contains(decoded.failure.value_or(""), "Cannot create " + path))
        << decoded.failure.value_or("");
    EXPECT_EQ(decoded.records, 0);
}

}  // namespace
}  // namespace rv7342
