// MO3 writer.
//
// File layout (all numbers little-endian):
//   "MO3", format revision 3, u32 size of the unpacked music data,
//   the packed music data, then the sample data in sample order.
// Revision 3 is the last one without a packed-size field: its reader finds
// the samples by unpacking the music data, so the packer must be exact.
//
// Unpacked music data:
//   song title and message (zero-terminated), the 422-byte song header,
//   the order list, a channels × patterns table of track numbers, the row
//   count of every pattern, the tracks (u32 length, then row entries), the
//   sample headers (zero-terminated name, then 41 bytes).
// A track is the column of one channel in one pattern. Identical columns are
// stored once and shared, which is MO3's main saving on repetitive music.
// A row entry is one byte, high nibble = rows it covers (1..15), low nibble
// = command count, followed by that many (command, value) byte pairs; a zero
// byte ends the track.
//
// Limits: up to 64 channels, 256 orders, 256 patterns of 1..256 rows,
// 99 samples of at most 16M frames; checked by ValidateTrackerSong.

#include "tools/soundgen/mo3_writer.h"

#include <map>

namespace {

constexpr uint8_t Mo3Revision = 3;
constexpr uint32_t Mo3FlagImpulseTracker = 0x100;  // IT rules, C5 speeds in Hz
constexpr int Mo3HeaderChannelSlots = 64;
constexpr uint8_t Mo3ChannelPanCentre = 128;
constexpr int Mo3MidiMacroBytes = 16 + 128 * 2;
constexpr int8_t Mo3MixVolume = 16;  // keeps eight loud channels below clipping

constexpr uint8_t TrackCommandNote = 0x01;
constexpr uint8_t TrackCommandSample = 0x02;
constexpr uint8_t TrackCommandVolume = 0x0F;
constexpr uint8_t Mo3NoteCut = 0xFE;
constexpr int MaxRowsPerEntry = 15;

constexpr uint16_t Mo3Sample16Bit = 0x01;
constexpr uint16_t Mo3SampleLoop = 0x10;
constexpr int MaxSamples = 99;
constexpr uint32_t MaxSampleFrames = 1u << 24;

void PutU8(std::vector<uint8_t>& out, uint32_t value) { out.push_back(static_cast<uint8_t>(value)); }

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    PutU8(out, value & 0xFF);
    PutU8(out, (value >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    PutU8(out, 0);
}

void PutSongHeader(std::vector<uint8_t>& out, const TrackerSong& song, size_t trackCount)
{
    PutU8(out, song.channels);
    PutU16(out, song.orders.size());
    PutU16(out, 0);  // restart order: unused, the song ends instead of looping
    PutU16(out, song.patterns.size());
    PutU16(out, trackCount);
    PutU16(out, 0);  // instruments: the song plays samples directly
    PutU16(out, song.samples.size());
    PutU8(out, song.speed);
    PutU8(out, song.tempo);
    PutU32(out, Mo3FlagImpulseTracker);
    PutU8(out, song.globalVolume);
    PutU8(out, 128);  // full stereo separation
    PutU8(out, static_cast<uint8_t>(Mo3MixVolume));
    for (int channel = 0; channel < Mo3HeaderChannelSlots; ++channel)
        PutU8(out, channel < song.channels ? 64 : 0);
    out.insert(out.end(), Mo3HeaderChannelSlots, Mo3ChannelPanCentre);  // samples carry the panning
    out.insert(out.end(), Mo3MidiMacroBytes, 0);
}

bool CellIsEmpty(const TrackerCell& cell)
{
    return cell.note == NoNote && cell.sample == 0 && cell.volume == NoVolume;
}

bool SameCell(const TrackerCell& a, const TrackerCell& b)
{
    return a.note == b.note && a.sample == b.sample && a.volume == b.volume;
}

void PutCellCommands(std::vector<uint8_t>& track, const TrackerCell& cell, int rowsCovered)
{
    const int commandCount = (cell.note != NoNote) + (cell.sample != 0) + (cell.volume != NoVolume);
    PutU8(track, (rowsCovered << 4) | commandCount);
    if (cell.note != NoNote) {
        PutU8(track, TrackCommandNote);
        PutU8(track, cell.note == NoteCut ? Mo3NoteCut : cell.note - 1);
    }
    if (cell.sample != 0) {
        PutU8(track, TrackCommandSample);
        PutU8(track, cell.sample - 1);
    }
    if (cell.volume != NoVolume) {
        PutU8(track, TrackCommandVolume);
        PutU8(track, cell.volume);
    }
}

// Runs of identical empty rows share one entry; a note row is never repeated
// (a repeat would retrigger it on every covered row).
std::vector<uint8_t> EncodeTrack(const TrackerSong& song, const TrackerPattern& pattern, int channel)
{
    std::vector<uint8_t> track;
    int row = 0;
    while (row < pattern.rows) {
        const TrackerCell& cell = pattern.cells[static_cast<size_t>(row) * song.channels + channel];
        int covered = 1;
        if (CellIsEmpty(cell)) {
            while (covered < MaxRowsPerEntry && row + covered < pattern.rows
                   && SameCell(cell, pattern.cells[static_cast<size_t>(row + covered) * song.channels + channel]))
                ++covered;
        }
        PutCellCommands(track, cell, covered);
        row += covered;
    }
    PutU8(track, 0);
    return track;
}

void PutSampleHeader(std::vector<uint8_t>& out, const TrackerSample& sample)
{
    PutText(out, sample.name);
    PutU32(out, sample.c5Speed);
    PutU8(out, 0);  // transpose
    PutU8(out, sample.volume);
    PutU16(out, sample.pan);
    PutU32(out, sample.pcm.size());
    PutU32(out, sample.loop ? sample.loopStart : 0);
    PutU32(out, sample.loop ? sample.loopEnd : 0);
    PutU16(out, Mo3Sample16Bit | (sample.loop ? Mo3SampleLoop : 0));
    PutU32(out, 0);   // auto-vibrato type, sweep, depth, rate
    PutU8(out, 64);   // sample global volume
    PutU32(out, 0);   // sustain loop start
    PutU32(out, 0);   // sustain loop end
    PutU32(out, 0);   // coded size: 0 = plain PCM of the stated length
    PutU16(out, 0);   // encoder delay, only for MP3/Ogg samples
}

std::vector<uint8_t> BuildMusicData(const TrackerSong& song)
{
    std::vector<std::vector<uint8_t>> tracks;
    std::map<std::vector<uint8_t>, uint16_t> trackNumbers;
    std::vector<uint16_t> patternTracks;
    for (const TrackerPattern& pattern : song.patterns) {
        for (int channel = 0; channel < song.channels; ++channel) {
            std::vector<uint8_t> track = EncodeTrack(song, pattern, channel);
            auto [where, added] = trackNumbers.emplace(track, static_cast<uint16_t>(tracks.size()));
            if (added)
                tracks.push_back(std::move(track));
            patternTracks.push_back(where->second);
        }
    }

    std::vector<uint8_t> data;
    PutText(data, song.title);
    PutText(data, "");
    PutSongHeader(data, song, tracks.size());
    data.insert(data.end(), song.orders.begin(), song.orders.end());
    for (uint16_t number : patternTracks)
        PutU16(data, number);
    for (const TrackerPattern& pattern : song.patterns)
        PutU16(data, pattern.rows);
    for (const std::vector<uint8_t>& track : tracks) {
        PutU32(data, track.size());
        data.insert(data.end(), track.begin(), track.end());
    }
    for (const TrackerSample& sample : song.samples)
        PutSampleHeader(data, sample);
    return data;
}

bool CellIsValid(const TrackerCell& cell, size_t sampleCount)
{
    const bool noteOk = cell.note == NoNote || cell.note == NoteCut || cell.note <= HighestNote;
    const bool volumeOk = cell.volume == NoVolume || cell.volume <= 64;
    return noteOk && volumeOk && cell.sample <= sampleCount;
}

bool PatternIsValid(const TrackerPattern& pattern, const TrackerSong& song)
{
    if (pattern.rows < 1 || pattern.rows > MaxPatternRows)
        return false;
    if (pattern.cells.size() != static_cast<size_t>(pattern.rows) * song.channels)
        return false;
    for (const TrackerCell& cell : pattern.cells) {
        if (!CellIsValid(cell, song.samples.size()))
            return false;
    }
    return true;
}

bool SampleIsValid(const TrackerSample& sample)
{
    if (sample.pcm.empty() || sample.pcm.size() > MaxSampleFrames || sample.volume > 64 || sample.pan > 256)
        return false;
    return !sample.loop || (sample.loopStart < sample.loopEnd && sample.loopEnd <= sample.pcm.size());
}

} // namespace

bool ValidateTrackerSong(const TrackerSong& song)
{
    if (song.channels < 1 || song.channels > MaxSongChannels || song.speed < 1 || song.speed > 255
        || song.tempo < 32 || song.tempo > 255 || song.globalVolume > 128)
        return false;
    if (song.orders.empty() || song.orders.size() > 256 || song.patterns.empty() || song.patterns.size() > 256)
        return false;
    if (song.samples.empty() || song.samples.size() > MaxSamples)
        return false;
    for (uint8_t order : song.orders) {
        if (order >= song.patterns.size())
            return false;
    }
    for (const TrackerPattern& pattern : song.patterns) {
        if (!PatternIsValid(pattern, song))
            return false;
    }
    for (const TrackerSample& sample : song.samples) {
        if (!SampleIsValid(sample))
            return false;
    }
    return true;
}

std::vector<uint8_t> WriteMo3(const TrackerSong& song)
{
    if (!ValidateTrackerSong(song))
        return {};
    const std::vector<uint8_t> music = BuildMusicData(song);
    std::vector<uint8_t> file = {'M', 'O', '3', Mo3Revision};
    PutU32(file, music.size());
    const std::vector<uint8_t> packed = PackMo3MusicData(music);
    file.insert(file.end(), packed.begin(), packed.end());
    for (const TrackerSample& sample : song.samples) {
        for (int16_t value : sample.pcm)
            PutU16(file, static_cast<uint16_t>(value));
    }
    return file;
}
