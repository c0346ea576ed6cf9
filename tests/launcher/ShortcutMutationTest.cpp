// Damaged shortcut files, made from sound ones by flipped bits, cut-off ends and
// spliced pieces (fixed seed): the shortcut object keeps what it had when a load
// fails, and the program always ends, having started Explorer on one folder or
// nothing. TARNWICK_MUTATED_FILES and TARNWICK_MUTATED_RUNS raise the counts for
// a longer run.
#include "launcher/ExplorerLaunch.h"
#include "shortcut/ShellLinkFile.h"
#include "tests/launcher/ProgramRun.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using TestSupport::TempDirectory;

int CountFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Deterministic on every platform: the engine's own output, no distributions.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    std::uint32_t Below(std::size_t limit) {
        return limit ? static_cast<std::uint32_t>(engine_() % limit) : 0;
    }

private:
    std::mt19937 engine_;
};

// Wine's shortcut loader takes the volume label at the offset the file names without
// checking it against the location block that holds it, and faults when that offset
// is far off; Windows checks it. It also allocates and clears a location block of
// the size the file claims before reading it, which takes seconds for a claim of
// gigabytes. Such files are left out, and counted: the fault and the wait are the
// platform's and come in any program that loads them.
bool WineLoaderFaultsOrStallsOn(const std::string& bytes) {
    const auto at32 = [&](std::uint64_t at) -> std::uint64_t {
        std::uint32_t value = 0;
        if (at + 4 <= bytes.size())
            std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    constexpr std::uint64_t HeaderSize = 0x4C, FlagsAt = 0x14;
    constexpr std::uint32_t HasIDList = 1, HasLinkInfo = 2;
    if (bytes.size() < HeaderSize)
        return false;
    const std::uint64_t flags = at32(FlagsAt);
    std::uint64_t block = HeaderSize;
    if (flags & HasIDList) {
        // It walks the item ID list by its item sizes without keeping to the block the
        // file gives for it either.
        const std::uint64_t listEnd = block + 2 + (at32(block) & 0xFFFF);
        std::uint64_t item = block + 2;
        while (item + 2 <= std::min<std::uint64_t>(listEnd, bytes.size()) &&
               (at32(item) & 0xFFFF) != 0)
            item += at32(item) & 0xFFFF;
        if (item + 2 > listEnd && listEnd <= bytes.size())
            return true;
        block = listEnd;
    }
    if (!(flags & HasLinkInfo) || block + 4 > bytes.size())
        return false;
    // Location block: total size, header size, flags, volume offset, ...
    const std::uint64_t total = at32(block), volume = at32(block + 12);
    if (total > (64u << 20))
        return true;
    if (total < 28 || bytes.size() - block < total || volume == 0 || volume + 16 > total)
        return false;
    // Volume: size, type, serial, label offset.
    const std::uint64_t volumeSize = at32(block + volume), label = at32(block + volume + 12);
    return label != 0 && volumeSize > label && volume + label >= total;
}

// Sound shortcuts of several shapes, written by the shell, and damaged copies.
class Mutations {
public:
    explicit Mutations(const TempDirectory& temp) : temp_(temp) {
        CreateDirectoryW((temp / L"Data").c_str(), nullptr);
        const std::wstring document = TestSupport::WriteFile(temp / L"Data\\Report.txt", "text");
        TestSupport::ShortcutFields fields;
        fields.target = document;
        Keep(L"plain.lnk", fields);
        fields.arguments = L"/a \"quoted argument\"";
        fields.directory = temp / L"Data";
        fields.description = L"A description of some length";
        fields.iconPath = L"C:\\windows\\system32\\shell32.dll";
        fields.iconIndex = 3;
        fields.hotKey = 0x0641;
        Keep(L"full.lnk", fields);
        Keep(L"folder.lnk", Target(temp / L"Data"));
        Keep(L"root.lnk", Target(L"C:\\"));
    }

    bool Ready() const { return sound_.size() == 4; }
    const std::wstring& SoundShortcut() const { return soundPaths_.front(); }

    // Files left out because the platform's own loader faults or stalls on them.
    int LeftOut() const { return leftOut_; }

    // The next damaged shortcut, written under its own name.
    std::wstring Next() {
        for (;;) {
            std::string bytes = Damaged();
            if (!WineLoaderFaultsOrStallsOn(bytes))
                return TestSupport::WriteFile(
                    temp_ / (L"damaged" + std::to_wstring(++written_) + L".lnk"), bytes);
            ++leftOut_;
        }
    }

private:
    std::string Damaged() {
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

    static TestSupport::ShortcutFields Target(const std::wstring& target) {
        TestSupport::ShortcutFields fields;
        fields.target = target;
        return fields;
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
    Dice dice_{20261207};
    int written_ = 0;
    int leftOut_ = 0;
};

struct Fields {
    std::wstring name, target, path, arguments, directory, description, iconPath;
    std::int32_t iconIndex = 0;
    std::int16_t hotKey = 0;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& fields, std::ostream* out) {
    *out << testing::PrintToString(
                std::vector<std::wstring>{fields.name, fields.target, fields.path, fields.arguments,
                                          fields.directory, fields.description, fields.iconPath})
         << " icon " << fields.iconIndex << " key " << fields.hotKey;
}

// Every field the shortcut object offers, read through it.
Fields Read(const ShellLinkFile& link) {
    return {link.FileName(),     link.LinkToName(),    link.LinkPath(),
            link.LinkArgument(), link.LinkDirectory(), link.LinkDescription(),
            link.IconPath(),     link.IconIndex(),     link.LinkHotKey()};
}

TEST(ShortcutMutation, AFailedLoadKeepsThePreviousShortcut) {
    TempDirectory temp;
    Mutations mutations(temp);
    ASSERT_TRUE(mutations.Ready());
    ShellLinkFile link;
    // Each damaged file is loaded over the sound shortcut, whose fields read the same
    // every time (Wine names a damaged target differently from one read to the next).
    ASSERT_TRUE(link.FileLoad(mutations.SoundShortcut()));
    const Fields sound = Read(link);

    const int count = CountFromEnvironment("TARNWICK_MUTATED_FILES", 400);
    int loaded = 0;
    for (int i = 0; i < count; ++i) {
        const std::wstring damaged = mutations.Next();
        SCOPED_TRACE(damaged);
        if (link.FileLoad(damaged)) {
            ++loaded;
            EXPECT_EQ(link.FileName(), damaged);
            Read(link); // whatever the shell made of it can be read
            ASSERT_TRUE(link.FileLoad(mutations.SoundShortcut()));
        } else {
            EXPECT_EQ(Read(link), sound);
        }
    }
    std::printf("%d damaged shortcuts loaded, %d of them as shortcuts; %d more left out (the "
                "platform's loader faults or stalls)\n",
                count, loaded, mutations.LeftOut());
    // Both outcomes must occur, or the damage tests only one path.
    EXPECT_GT(loaded, count / 20);
    EXPECT_LT(loaded, count);
}

std::wstring Lower(std::wstring text) {
    for (auto& character : text)
        character = static_cast<wchar_t>(std::towlower(character));
    return text;
}

TEST(ShortcutMutation, TheProgramEndsHavingOpenedOneFolderOrNothing) {
    TempDirectory temp;
    Mutations mutations(temp);
    ASSERT_TRUE(mutations.Ready());
    const std::wstring explorer = Lower(Launcher::ExplorerApplicationName());

    const int count = CountFromEnvironment("TARNWICK_MUTATED_RUNS", 30);
    for (int i = 0; i < count; ++i) {
        const std::wstring damaged = mutations.Next();
        SCOPED_TRACE(damaged);
        // The folder of what the shortcut object makes of the file, or of the file
        // itself. Wine reads some damaged files past their blocks, so that what it
        // makes of them can differ from one load to the next: either is accepted.
        ShellLinkFile link;
        const std::wstring target = link.FileLoad(damaged) ? link.LinkToName() : L"";
        const auto explorerOn = [](const std::wstring& text) {
            return Launcher::ExplorerCommandLine(Launcher::FolderFromTarget(text));
        };

        const TestSupport::ProgramRun run =
            TestSupport::RunProgram(L"\"" + damaged + L"\"", L"", 20000);
        ASSERT_TRUE(run.ranToEnd) << "no hang";
        ASSERT_EQ(run.exitCode, 0u) << "no crash";
        ASSERT_EQ(run.started.size(), 1u);
        EXPECT_EQ(Lower(run.started[0].image), explorer);
        const std::wstring& started = run.started[0].commandLine;
        if (started != explorerOn(L"\"" + damaged + L"\"")) {
            EXPECT_EQ(started, explorerOn(target));
        }
    }
    std::printf(
        "%d damaged shortcuts run, %d more left out (the platform's loader faults or stalls)\n",
        count, mutations.LeftOut());
}

} // namespace
