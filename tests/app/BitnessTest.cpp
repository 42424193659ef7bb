// Both programs side by side in one 64-bit system: the 64-bit program lists the modules of
// 32-bit and 64-bit processes, the 32-bit program those of 32-bit processes only. Both are
// started and driven from outside; QUENDRIX_X86_PROGRAM names the 32-bit program.
#include <doctest/doctest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/RunningProgram.h"
#include "support/TestSupport.h"

namespace {

using testing::RemoteListTexts;
using testing::RunningProgram;

const char kUnknown[] = "unknown";

// The process list's texts once both programs run: a refresh lists the one started later.
std::vector<std::string> RefreshedProcesses(const RunningProgram& program)
{
    program.Click(IDC_REFRESH);
    return RemoteListTexts(program.Item(IDC_PROCESS_LIST));
}

int IndexOf(const std::vector<std::string>& texts, const std::string& text)
{
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
}

// The module list that selecting process entry `index` shows.
std::vector<std::string> ModulesOf(const RunningProgram& program, int index)
{
    program.SelectProcess(index);
    return RemoteListTexts(program.Item(IDC_MODULE_LIST));
}

bool Contains(const std::vector<std::string>& texts, const char* text)
{
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return lstrcmpiA(t.c_str(), text) == 0; });
}

}  // namespace

TEST_CASE("the 64-bit program lists the modules of 32-bit and 64-bit processes, the 32-bit one of 32-bit processes")
{
    const char* x86 = std::getenv("QUENDRIX_X86_PROGRAM");
    REQUIRE_MESSAGE(x86 != nullptr, "QUENDRIX_X86_PROGRAM names no 32-bit program");
    REQUIRE(sizeof(void*) == 8);
    const std::string name32 = "Quendrix.exe";
    const std::string name64 = testing::ProgramFileName();
    RunningProgram program32(x86);
    RunningProgram program64(testing::ProgramPath());
    const std::vector<std::string> seen32 = RefreshedProcesses(program32);
    const std::vector<std::string> seen64 = RefreshedProcesses(program64);
    CAPTURE(seen32);
    CAPTURE(seen64);

    // A 32-bit process: both programs name it and list the same modules for it.
    const int own32 = IndexOf(seen32, name32);
    const int other32 = IndexOf(seen64, name32);
    REQUIRE(own32 >= 0);
    REQUIRE(other32 >= 0);
    const std::vector<std::string> modules32 = ModulesOf(program32, own32);
    CHECK(Contains(modules32, "user32.dll"));
    CHECK(ModulesOf(program64, other32) == modules32);

    // A 64-bit process: the 64-bit program names it and lists its modules; to the 32-bit
    // program it is one of the "unknown" entries, and none of those lists a module.
    const int own64 = IndexOf(seen64, name64);
    REQUIRE(own64 >= 0);
    CHECK(Contains(ModulesOf(program64, own64), "user32.dll"));
    CHECK(IndexOf(seen32, name64) < 0);
    const auto unknown32 = std::count(seen32.begin(), seen32.end(), kUnknown);
    CHECK(unknown32 > std::count(seen64.begin(), seen64.end(), kUnknown));
    for (int i = 0; i < static_cast<int>(seen32.size()); ++i) {
        if (seen32[i] == kUnknown)
            CHECK_MESSAGE(ModulesOf(program32, i).empty(), "entry " << i);
    }
}
