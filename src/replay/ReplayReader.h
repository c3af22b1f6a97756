#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Reads the two JSON blocks (battle description and battle results) out of a replay file.
namespace tapeloft {

// Scan: the seven header bytes must sum to 128..139 modulo 256. Details: byte 0 must be 0x12.
enum class HeaderTest { Scan, Details };
enum class ReplayStatus { Opened, NotOpened, HeaderRejected };

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
// Status NotOpened when the file cannot be opened or read (blocks empty); never throws.
ReplayBlocks readReplayBlocks(const std::filesystem::path& file, HeaderTest test);

} // namespace tapeloft
