#include "transfer/capture_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/meter_stream.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

Bytes WithoutLast(Bytes stream, std::size_t count) {
    stream.resize(stream.size() - count);
    return stream;
}

// The capture fed to a decoder `piece` bytes at a time, as a file or a pipe is read.
CaptureDecoding Decoded(const Bytes& capture, const std::string& path, std::size_t piece,
                        FileCreation creation = FileCreation::New) {
    CaptureDecoder decoder;
    if (const Failure failure = decoder.Open(path, creation)) {
        CaptureDecoding opened;
        opened.failure = failure;
        return opened;
    }
    const std::string bytes(capture.begin(), capture.end());
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!decoder.Feed(std::string_view(bytes).substr(at, piece))) {
            break;
        }
    }
    return decoder.Finish();
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
    const Bytes strayEscape = With(kTwoValue, 0, 27);  // counted, read by no formula
    struct Case {
        const char* name;
        Bytes capture;
        bool complete;
        int records;
        int malformed;
        long long escapes;
        bool insideEndMarker;
    };
    const Case cases[] = {
        {"whole memory", memory, true, 3, 0, 28, false},
        {"bytes after the end are not read", Concat({memory, kTwoValue, EscapeFrame()}), true, 3, 0,
         28, false},
        {"cut in its last byte", WithoutLast(memory, 1), false, 3, 0, 28, true},
        {"cut inside the closing frames", WithoutLast(memory, 20), false, 3, 0, 11, true},
        {"cut between the closing frames", WithoutLast(memory, 16), false, 3, 0, 14, true},
        {"cut inside a frame", WithoutLast(memory, 2 * 16 + 5), false, 2, 0, 0, false},
        {"empty", {}, false, 0, 0, 0, false},
        {"noise in a frame", MemoryImage({kTwoValue, With(kTwoValue, 12, 'A'), kTwoValue}), true, 3,
         1, 28, false},
        {"a marker passing 28", MemoryImage({kTwoValue, strayEscape, kTwoValue}), false, 3, 0, 29,
         false},
        {"a marker broken by a frame",
         Concat({{13}, kTwoValue, kTwoValue, EscapeFrame(9), kTwoValue}), false, 4, 1, 9, false},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{65536}}) {
            SCOPED_TRACE(std::string(c.name) + ", fed " + std::to_string(piece) + " at a time");
            TempDir dir;
            const CaptureDecoding decoded = Decoded(c.capture, dir.Path("out.dat"), piece);
            EXPECT_EQ(decoded.failure, std::nullopt);
            EXPECT_EQ(decoded.complete, c.complete);
            EXPECT_EQ(decoded.records, c.records);
            EXPECT_EQ(decoded.malformedRecords, c.malformed);
            EXPECT_EQ(decoded.escapeCount, c.escapes);
            EXPECT_EQ(decoded.insideEndMarker, c.insideEndMarker);
            if (c.records == 0) {
                EXPECT_FALSE(std::filesystem::exists(dir.Path("out.dat"))) << "no file is left";
                continue;
            }
            const std::string text = ReadFile(dir.Path("out.dat"));
            if (c.malformed == 0) {
                EXPECT_EQ(text, Lines(c.records));
            } else {
                EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.records) << text;
            }
        }
    }
}

TEST(DecodeCapture, NamesTheDataFileItCannotCreate) {
    TempDir dir;
    const std::string path = dir.Path("none/out.dat");
    const CaptureDecoding decoded = Decoded(MemoryImage({kTwoValue}), path, 16);
    EXPECT_EQ(decoded.failure.value_or(""),
              "Cannot create " + path + ": the folder " + dir.Path("none") + " does not exist");
    EXPECT_EQ(decoded.records, 0);
}

}  // namespace
}  // namespace rv7342
