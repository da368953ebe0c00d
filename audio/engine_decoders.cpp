// Decoders of the sound engine: MP3 through libmpg123 reading from memory,
// modules through libopenmpt. Opening runs on the GLUT thread; rewinding and
// rendering run on the output callback's thread and never allocate.
#include "audio/engine_internal.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool ReadWholeSoundFile(const char* path, SoundFile* file) {
    *file = SoundFile{};
    FILE* in = OpenDataFile(path, "rb");
    if (!in) return false;
    long size = -1;
    if (fseek(in, 0, SEEK_END) == 0) size = ftell(in);
    bool fits = size > 0 && static_cast<size_t>(size) <= MaxSoundFileBytes && fseek(in, 0, SEEK_SET) == 0;
    unsigned char* bytes = fits ? static_cast<unsigned char*>(malloc(static_cast<size_t>(size))) : nullptr;
    bool read = bytes && fread(bytes, 1, static_cast<size_t>(size), in) == static_cast<size_t>(size);
    fclose(in);
    if (!read) {
        free(bytes);
        return false;
    }
    file->bytes = bytes;
    file->size = static_cast<size_t>(size);
    return true;
}

// libmpg123 reads the file bytes through these two, so the decoder never
// touches the file system after creation.
static mpg123_ssize_t ReadFromMemory(void* handle, void* buffer, size_t count) {
    SoundFile* file = static_cast<SoundFile*>(handle);
    size_t available = file->size - file->readOffset;
    size_t n = std::min(count, available);
    memcpy(buffer, file->bytes + file->readOffset, n);
    file->readOffset += n;
    return static_cast<mpg123_ssize_t>(n);
}

static off_t SeekInMemory(void* handle, off_t offset, int whence) {
    SoundFile* file = static_cast<SoundFile*>(handle);
    off_t base = whence == SEEK_CUR ? static_cast<off_t>(file->readOffset)
               : whence == SEEK_END ? static_cast<off_t>(file->size) : 0;
    off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(file->size)) return -1;
    file->readOffset = static_cast<size_t>(target);
    return target;
}

bool OpenStreamDecoder(Channel* channel) {
    mpg123_init();  // required by older libmpg123, harmless since
    mpg123_handle* stream = mpg123_new(nullptr, nullptr);
    if (!stream) return false;
    channel->stream = stream;
    // Float stereo at the output rate only: mono is doubled and other rates
    // are resampled by the decoder, so the mixer never converts.
    mpg123_param(stream, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0);
    mpg123_format_none(stream);
    mpg123_format(stream, OutputRate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    long rate = 0;
    int channels = 0, encoding = 0;
    return mpg123_replace_reader_handle(stream, ReadFromMemory, SeekInMemory, nullptr) == MPG123_OK &&
           mpg123_open_handle(stream, &channel->file) == MPG123_OK &&
           mpg123_getformat(stream, &rate, &channels, &encoding) == MPG123_OK;
}

bool OpenModuleDecoder(Channel* channel) {
    // Played once: rendering returns no frames at the end instead of looping.
    // No dither, so equal modules render equal samples.
    const openmpt_module_initial_ctl settings[] = {
        {"play.at_end", "stop"},
        {"dither", "0"},
        {nullptr, nullptr},
    };
    channel->module = openmpt_module_create_from_memory2(
        channel->file.bytes, channel->file.size, openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr, settings);
    // libopenmpt keeps its own copy of what it needs.
    free(channel->file.bytes);
    channel->file = SoundFile{};
    return channel->module != nullptr;
}

void CloseDecoders(Channel* channel) {
    if (channel->stream) {
        mpg123_close(channel->stream);
        mpg123_delete(channel->stream);
    }
    if (channel->module) openmpt_module_destroy(channel->module);
    free(channel->file.bytes);
    channel->stream = nullptr;
    channel->module = nullptr;
    channel->file = SoundFile{};
}

void RewindDecoder(Channel* channel) {
    // Seeking a module to 0 s replays its start, which restores the initial
    // tempo, speed and volumes as well.
    if (channel->module) openmpt_module_set_position_seconds(channel->module, 0.0);
    if (channel->stream) mpg123_seek(channel->stream, 0, SEEK_SET);
    channel->rowOrder = -1;
    channel->rowIndex = -1;
    channel->framesIntoRow = 0;
}

static int RenderStream(mpg123_handle* stream, float* out, int frames) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    size_t wanted = static_cast<size_t>(frames) * 2 * sizeof(float);
    size_t filled = 0;
    while (filled < wanted) {
        size_t done = 0;
        int result = mpg123_read(stream, bytes + filled, wanted - filled, &done);
        filled += done;
        // Anything but plain progress ends the stream: its end, or a decoder
        // error, which ends it quietly.
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
        if (done == 0 && result == MPG123_OK) break;
    }
    return static_cast<int>(filled / (2 * sizeof(float)));
}

int RenderChannel(Channel* channel, float* out, int frames) {
    int rendered = 0;
    if (channel->stream) rendered = RenderStream(channel->stream, out, frames);
    if (channel->module) {
        size_t n = openmpt_module_read_interleaved_float_stereo(channel->module, OutputRate,
                                                                static_cast<size_t>(frames), out);
        rendered = static_cast<int>(std::min(n, static_cast<size_t>(frames)));
    }
    std::fill(out + rendered * 2, out + frames * 2, 0.0f);
    return rendered;
}

// Frames one row lasts at the module's current speed and tempo (classic
// tempo: a tick is 2.5 / tempo seconds).
static uint32_t RowFrames(openmpt_module* module) {
    int32_t speed = std::max<int32_t>(1, openmpt_module_get_current_speed(module));
    int32_t tempo = std::max<int32_t>(1, openmpt_module_get_current_tempo(module));
    return static_cast<uint32_t>(speed * 2.5 * OutputRate / tempo) + 1;
}

uint32_t TrackModulePosition(Channel* channel, int frames, uint32_t scaler) {
    openmpt_module* module = channel->module;
    int32_t order = std::max<int32_t>(0, openmpt_module_get_current_order(module));
    int32_t row = std::max<int32_t>(0, openmpt_module_get_current_row(module));
    if (order != channel->rowOrder || row != channel->rowIndex) {
        channel->rowOrder = order;
        channel->rowIndex = row;
        channel->framesIntoRow = 0;
    } else {
        channel->framesIntoRow += static_cast<uint32_t>(frames);
    }
    // The fine steps within the row never reach the next row's value.
    uint64_t step = uint64_t(channel->framesIntoRow) * scaler / RowFrames(module);
    uint64_t fine = uint64_t(row) * scaler + std::min<uint64_t>(step, scaler - 1);
    uint32_t high = static_cast<uint32_t>(std::min<uint64_t>(fine, 0xFFFF));
    return (high << 16) | (static_cast<uint32_t>(order) & 0xFFFF);
}
