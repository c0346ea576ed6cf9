// Damaged shortcut files, made from sound ones by flipped bits, cut-off ends and
// spliced pieces (fixed seed): the shortcut object keeps what it had when a load
// fails, and the program always ends without a fault, having started Explorer on one
// folder. TARNWICK_MUTATED_FILES and TARNWICK_MUTATED_RUNS raise the counts for a
// longer run.
#include "launcher/ExplorerLaunch.h"
#include "shortcut/ShellLinkStructure.h"
#include "tests/launcher/ProgramRun.h"
#include "tests/support/Dice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using TestSupport::Lower;
using TestSupport::TempDirectory;

int CountFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Sound shortcuts of several shapes, written by the shell, and damaged copies.
class Mutations {
public:
    explicit Mutations(const TempDirectory& temp) : temp_(temp) {
        CreateDirectoryW((temp / L"Data").c_str(), nullptr);
        const std::wstring document = TestSupport::WriteFile(temp / L"Data\\Report.txt", "text");
        Keep(L"plain.lnk", {.target = document});
        Keep(L"full.lnk", {.target = document,
                           .arguments = L"/a \"quoted argument\"",
                           .directory = temp / L"Data",
                           .description = L"A description of some length",
                           .iconPath = L"C:\\windows\\system32\\shell32.dll",
                           .iconIndex = 3,
                           .hotKey = 0x0641});
        Keep(L"folder.lnk", {.target = temp / L"Data"});
        Keep(L"root.lnk", {.target = L"C:\\"});
    }

    bool Ready() const { return sound_.size() == 4; }
    const std::wstring& SoundShortcut() const { return soundPaths_.front(); }
    std::wstring Folder() const { return temp_.Path().wstring(); }
    // The damaged file of that number (1 for the first).
    std::wstring Damaged(int number) const {
        return temp_ / (L"damaged" + std::to_wstring(number) + L".lnk");
    }
    // Writes damaged files 1 to count.
    void Write(int count) {
        for (int written = 1; written <= count; ++written)
            TestSupport::WriteFile(Damaged(written), Damage());
    }

private:
    std::string Damage() {
        std::string bytes = sound_[dice_.Below(sound_.size())];
        switch (dice_.Below(4)) {
        case 0: // a few flipped bits
            for (std::uint32_t flips = 1 + dice_.Below(8); flips > 0 && !bytes.empty(); --flips)
                bytes[dice_.Below(bytes.size())] ^= static_cast<char>(1u << dice_.Below(8));
            break;
        case 1: // cut off
            bytes.resize(dice_.Below(bytes.size()));
            break;
        case 2: { // the head of one shortcut on the tail of another
            const std::string& other = sound_[dice_.Below(sound_.size())];
            bytes = bytes.substr(0, dice_.Below(bytes.size())) +
                    other.substr(dice_.Below(other.size()));
            break;
        }
        default: // a size, offset or flag word set to an edge value
            if (bytes.size() >= 4) {
                const std::uint32_t edges[] = {0, 1, 0xFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
                const std::uint32_t value =
                    dice_.Below(2) ? edges[dice_.Below(std::size(edges))] : dice_.Below(0x10000);
                const std::size_t at = dice_.Below(bytes.size() - 3);
                const int width = dice_.Below(2) ? 2 : 4;
                for (int i = 0; i < width; ++i)
                    bytes[at + i] = static_cast<char>(value >> (8 * i));
            }
        }
        return bytes;
    }

    void Keep(const std::wstring& name, const TestSupport::ShortcutFields& fields) {
        const std::wstring path = temp_ / name;
        if (TestSupport::WriteShortcut(path, fields)) {
            sound_.push_back(TestSupport::ReadFileBytes(path));
            soundPaths_.push_back(path);
        }
    }

    const TempDirectory& temp_;
    std::vector<std::string> sound_;
    std::vector<std::wstring> soundPaths_;
    TestSupport::Dice dice_;
};

enum class Load { Loaded, Refused, Faulted };

std::wstring WorkerPath() {
    const std::wstring self = TestSupport::ThisProgramPath();
    return self.substr(0, self.rfind(L'\\') + 1) + L"tarnwick_shortcut_load_worker.exe";
}

// Loads damaged files 1 to count through the shortcut object in the worker, run as a
// debuggee (see ShortcutLoadWorker.cpp), which makes this test's checks on each. When
// the platform's loader faults, what lies past the file's blocks in the heap decided
// it: the worker dies there, the file counts as one the platform faults on, and a new
// worker goes on after it. A fault outside the shell's library is the program's own.
std::vector<Load> LoadInWorker(const Mutations& mutations, int count, int& workers) {
    std::vector<Load> loads;
    for (workers = 0; static_cast<int>(loads.size()) < count;) {
        ++workers;
        // A load takes a few milliseconds; a worker out of time has hung.
        const auto timeLimit = static_cast<unsigned long>(20000 + 100 * (count - loads.size()));
        const TestSupport::ProgramRun run = TestSupport::RunProgram(
            L"\"" + mutations.SoundShortcut() + L"\" \"" + mutations.Folder() + L"\" " +
                std::to_wstring(loads.size() + 1) + L" " + std::to_wstring(count),
            L"", timeLimit, WorkerPath());
        for (const std::string& message : run.messages) {
            const int number = static_cast<int>(loads.size()) + 1;
            const std::string outcome = message.substr(message.find(' ') + 1);
            EXPECT_EQ(message, std::to_string(number) + " " + outcome) << "in order";
            if (outcome != "loaded" && outcome != "refused")
                ADD_FAILURE() << testing::PrintToString(mutations.Damaged(number)) << ": "
                              << outcome;
            loads.push_back(outcome == "loaded" ? Load::Loaded : Load::Refused);
        }
        if (run.fault) {
            EXPECT_TRUE(run.faultInShell)
                << "fault " << std::hex << run.fault << " on "
                << testing::PrintToString(mutations.Damaged(static_cast<int>(loads.size()) + 1));
            loads.push_back(Load::Faulted);
        } else if (!run.ranToEnd || run.exitCode != 0 || loads.size() < std::size_t(count)) {
            ADD_FAILURE() << "the worker ended early (" << run.ranToEnd << ", " << run.exitCode
                          << ") after " << loads.size() << " files";
            break;
        }
    }
    return loads;
}

TEST(ShortcutMutation, AFailedLoadKeepsThePreviousShortcut) {
    TempDirectory temp;
    Mutations mutations(temp);
    ASSERT_TRUE(mutations.Ready());
    const int count = CountFromEnvironment("TARNWICK_MUTATED_FILES", 400);
    mutations.Write(count);

    int workers = 0;
    const std::vector<Load> loads = LoadInWorker(mutations, count, workers);
    const auto counted = [&](Load load) {
        return static_cast<int>(std::count(loads.begin(), loads.end(), load));
    };
    std::printf("%d damaged shortcuts: %d loaded, %d refused, %d faulted in the platform's "
                "loader (%d workers)\n",
                count, counted(Load::Loaded), counted(Load::Refused), counted(Load::Faulted),
                workers);
    // Both outcomes must occur, or the damage tests only one path.
    EXPECT_GT(counted(Load::Loaded), count / 20);
    EXPECT_GT(counted(Load::Refused), count / 20);
}

std::wstring ExplorerOn(const std::wstring& target) {
    return Launcher::ExplorerCommandLine(Launcher::FolderFromTarget(target));
}

// Explorer's command line on some folder. What the shell makes of a damaged file that
// loads may depend on bytes it reads past the file's blocks, so for those the program's
// folder is checked for its form only.
bool IsExplorerOnAFolder(const std::wstring& commandLine) {
    const std::wstring head = Launcher::ExplorerCommandLine(L"");
    if (!commandLine.starts_with(head))
        return false;
    std::wstring folder = commandLine.substr(head.size());
    if (ExplorerOn(folder) == commandLine)
        return true;
    // A folder with a comma travels in quotes.
    return folder.size() > 1 && folder.front() == L'"' && folder.back() == L'"' &&
           ExplorerOn(folder.substr(1, folder.size() - 2)) == commandLine;
}

TEST(ShortcutMutation, TheProgramEndsWithoutAFaultHavingOpenedOneFolder) {
    TempDirectory temp;
    Mutations mutations(temp);
    ASSERT_TRUE(mutations.Ready());
    const std::wstring explorer = Lower(Launcher::ExplorerApplicationName());
    const int count = CountFromEnvironment("TARNWICK_MUTATED_RUNS", 30);
    mutations.Write(count);

    int refused = 0;
    for (int number = 1; number <= count; ++number) {
        const std::wstring damaged = L"\"" + mutations.Damaged(number) + L"\"";
        SCOPED_TRACE(damaged);
        const TestSupport::ProgramRun run = TestSupport::RunProgram(damaged, L"", 20000);
        ASSERT_TRUE(run.ranToEnd) << "no hang";
        // The program checks a shortcut's structures before the shell's reader sees them,
        // so no fault is the platform's.
        ASSERT_EQ(run.fault, 0u) << std::hex << run.fault << " in the shell: " << run.faultInShell;
        ASSERT_EQ(run.exitCode, 0u) << "no crash";
        ASSERT_EQ(run.started.size(), 1u);
        EXPECT_EQ(Lower(run.started[0].image), explorer);
        // A file that the check refuses opens its own folder.
        const std::wstring& started = run.started[0].commandLine;
        const bool isRefused = ShellLinkStructure::FileIsDamaged(mutations.Damaged(number));
        refused += isRefused;
        if (isRefused)
            EXPECT_EQ(started, ExplorerOn(damaged));
        else
            EXPECT_TRUE(IsExplorerOnAFolder(started)) << started;
    }
    std::printf("%d damaged shortcuts run, %d of them refused by the structural check\n", count,
                refused);
}

} // namespace
