#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Reads the two JSON blocks (battle description and battle results) out of a replay file.
namespace tapeloft {

// Scan: the seven header bytes must sum to 128..139 modulo 256. Details: byte 0 must be 0x12.
enum class HeaderTest { Scan, Details };
// Oversized: the pieces the blocks are cut from run past kMaxReplayTextBytes; the file is refused unread.
enum class ReplayStatus { Opened, NotOpened, HeaderRejected, Oversized };

// The most text read from a replay's leading pieces. Both blocks of a battle of a hundred vehicles take
// about 150 KB; a few megabytes leave a wide margin, while a hostile file without line breaks, read to its
// end, would cost memory in proportion to its size, once per scan worker.
inline constexpr std::size_t kMaxReplayTextBytes = std::size_t{4} << 20;

struct ReplayBlocks {
    ReplayStatus status = ReplayStatus::NotOpened;
    std::int32_t descriptionAt = 0; // UTF-16 position from 1 in the read text; 0 = not found
    std::int32_t resultsAt = 0;     // UTF-16 position from 1 in the kept text; 0 = not found
    // The blocks as UTF-8 that decodes to exactly the blocks' UTF-16 text. Cuts are counted in UTF-16
    // units; a cut through a surrogate pair leaves U+FFFD for the half that UTF-8 cannot hold.
    std::string descriptionUtf8;
    std::string resultsUtf8;

    // Empty when the block is empty (also for every status other than Opened).
    std::u16string descriptionText() const;
    std::u16string resultsText() const;
};

// Reads the first 11 pieces of the file after its header and cuts both blocks out of them.
// Status NotOpened when the file cannot be opened or read, Oversized when the pieces are too long (blocks
// empty either way); never throws.
ReplayBlocks readReplayBlocks(const std::filesystem::path& file, HeaderTest test);

// How many bytes readReplayBlocks reads from the file at a time: large enough that a typical replay's
// pieces come in one read, as a system call costs more than copying the bytes beyond them.
inline constexpr std::size_t kReplayReadChunk = 64 * 1024;

// The same reading over a whole file's bytes already in memory, taken chunkSize bytes at a time (0 counts as
// 1) as the file reader takes them from the file; the result does not depend on chunkSize. NotOpened only
// when memory runs out.
ReplayBlocks readReplayBytes(std::string_view bytes, HeaderTest test,
                             std::size_t chunkSize = kReplayReadChunk);

} // namespace tapeloft
