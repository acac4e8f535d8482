// The track map of a file read from its first bytes, without starting
// mkvmerge: the Tracks element at the head of a Matroska file, or nothing at
// all for the raw track files the scripts make. Anything out of the ordinary
// is left to `mkvmerge -J`, whose numbering this must always agree with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "tools/adapters/track_map.h"

namespace kx::adapt {

// Reads at most `size` bytes at `offset` into `into`; returns how many it read.
using ReadAt = std::function<std::size_t(std::uint64_t offset, unsigned char* into, std::size_t size)>;

// The map of a Matroska file from its head: mkvmerge numbers the tracks from
// 0 in the order of their entries. Empty optional when the file is not
// Matroska, or when its head holds anything whose numbering this does not
// vouch for (an entry without a number, type or codec, a number twice, an
// unusual track type, a second Tracks element, a cluster before the tracks).
std::optional<TrackMap> trackMapFromHead(const ReadAt& read);

// For a raw track file of the kinds the scripts make (.h264, .ac3, .eac3,
// .dts, .srt, .ass), whose first bytes are what that kind starts with: the
// empty map mkvmerge gives such a file. Empty optional otherwise.
std::optional<TrackMap> rawTrackFileMap(const std::string& fileName, const ReadAt& read);

}  // namespace kx::adapt
