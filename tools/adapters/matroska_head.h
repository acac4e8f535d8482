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

// Reads at most `size` bytes (never asked for none) at `offset` into `into`;
// returns how many it read.
using ReadAt = std::function<std::size_t(std::uint64_t offset, unsigned char* into, std::size_t size)>;

// Whose numbering a map follows. mkvmerge numbers the tracks it takes from
// 0 in the order of their entries, but leaves out entries it cannot use (no
// number, no type, an unusual type, a number taken twice) and numbers the
// rest again; mkvextract counts every entry.
enum class Numbering { mkvmerge, mkvextract };

// The map of a Matroska file from its head, in the numbering given. Empty
// optional when the file is not Matroska, when its head cannot be read up to
// its Tracks element (a cluster first, a second Tracks element), when a number
// is carried twice, or, for mkvmerge, when an entry is one it would leave out
// (or has no codec): those are left to `mkvmerge -J`.
std::optional<TrackMap> trackMapFromHead(const ReadAt& read, Numbering numbering = Numbering::mkvmerge);

// For a raw track file of the kinds the scripts make (.h264, .ac3, .eac3,
// .dts, .srt, .ass), whose first bytes are what that kind starts with: the
// empty map mkvmerge gives such a file. Empty optional otherwise.
std::optional<TrackMap> rawTrackFileMap(const std::string& fileName, const ReadAt& read);

}  // namespace kx::adapt
