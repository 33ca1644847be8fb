// Linux only: endless and huge inputs read under a memory limit (RLIMIT_AS) in a forked child
// process. Built without AddressSanitizer only, whose shadow memory no such limit allows.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <fstream>
#include <functional>
#include <optional>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "tests/child_process.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// The address space this process uses now, in bytes.
rlim_t AddressSpaceNow() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmSize:") {
            rlim_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

// Runs `read` in a child allowed 64 MB more than it holds at the start; 0 when it returned
// true within that memory.
std::optional<int> UnderMemoryLimit(const std::function<bool()>& read) {
    return RunInChild([&] {
        const rlim_t limit = AddressSpaceNow() + (64 << 20);
        const rlimit memory{limit, limit};
        setrlimit(RLIMIT_AS, &memory);
        try {
            return read() ? 0 : 1;
        } catch (...) {
            return 2;  // out of memory
        }
    });
}

TEST(BoundedMemory, EndlessAndHugeInputsEndWithAMessage) {
    TempDir dir;
    {
        std::ofstream huge(dir.Path("line.dat"), std::ios::binary);
        huge << "1,1,1,1,1\r\n2,";
        const std::string piece(1 << 20, '7');
        for (int i = 0; i < 50; ++i) {
            huge << piece;
        }
        huge << ",1,1,1\r\n";
    }
    const struct {
        const char* what;
        std::function<bool()> read;
    } cases[] = {
        {"/dev/zero as a data file",
         [] {
             std::vector<Record> records;
             return Contains(ReadDataFile("/dev/zero", records).value_or(""),
                             "/dev/zero, line 1: the line runs on for more than 4 MB");
         }},
        {"a 50 MB line",
         [&] {
             std::vector<Record> records;
             return Contains(ReadDataFile(dir.Path("line.dat"), records).value_or(""),
                             "line 2: the line runs on for more than 4 MB") &&
                    records.size() == 1;
         }},
        {"/dev/zero as the unit table",
         [] {
             UnitTable table{};
             UnitTableFaults faults;
             return !LoadUnitTable("/dev/zero", table, &faults) && faults.size() == 1 &&
                    Contains(faults[0], "line 1: the line runs on for more than 4 MB");
         }},
        {"/dev/urandom as the unit table",
         [] {
             UnitTable table{};
             return !LoadUnitTable("/dev/urandom", table);
         }},
    };
    for (const auto& [what, read] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(UnderMemoryLimit(read), 0);
    }
}

}  // namespace
}  // namespace rv7342
