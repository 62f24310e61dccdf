#pragma once
// Sample-based sound output: files are decoded once into memory, each sample hands
// out a limited number of playing channels, and the channels are mixed into the
// audio device. The calls, handles, flag values and error codes follow the shape
// the engine's sound output was written against.
//
// Handles are non-zero 32-bit values; 0 always means failure. Sample handles stay
// below 0x80000000 (they fit a signed 32-bit slot), channel handles have the top
// bit set, and a channel handle goes stale as soon as its channel ends.
//
// Thread safety: every call may be made from any thread; the device's mixing thread
// shares one lock with them. The last error is kept per thread.
#include <cstdint>

namespace Plat::Sound
{
    using DWORD = uint32_t;
    using QWORD = uint64_t;
    using BOOL = int;
    using HSAMPLE = uint32_t;
    using HCHANNEL = uint32_t;

    // Sample flags (SampleLoad, SampleGetInfo, ChannelFlags).
    constexpr DWORD SAMPLE_LOOP = 0x4;           // the channel restarts at its end
    constexpr DWORD SAMPLE_SOFTWARE = 0x10;      // mixed in software; always set in a loaded sample's info
    constexpr DWORD SAMPLE_OVER_POS = 0x20000;   // all channels busy: reuse the one that has played furthest
    // Any other bit given to SampleLoad is kept in the info's flags word and has no effect.

    // Channel attributes.
    constexpr DWORD ATTRIB_VOL = 2;              // 0 silent, 1 as decoded; above 1 amplifies

    // Position modes.
    constexpr DWORD POS_BYTE = 0;                // bytes of 16-bit stereo data

    // ChannelIsActive results.
    constexpr DWORD ACTIVE_STOPPED = 0;
    constexpr DWORD ACTIVE_PLAYING = 1;

    // Init devices: -1 the default output device, 0 no output (channels advance only
    // through MixInto), n >= 1 the n-th output device of the platform.
    constexpr int DEVICE_DEFAULT = -1;
    constexpr int DEVICE_NONE = 0;

    // Error codes returned by ErrorGetCode.
    enum Error : int
    {
        OK = 0,
        ERROR_MEM = 1,          // out of memory or out of channel slots
        ERROR_FILEOPEN = 2,     // the file could not be opened
        ERROR_DRIVER = 3,       // no audio driver or the device failed to open
        ERROR_HANDLE = 5,       // invalid or stale handle
        ERROR_POSITION = 7,     // position outside the data
        ERROR_INIT = 8,         // Init has not succeeded
        ERROR_ALREADY = 14,     // Init called twice
        ERROR_NOCHAN = 18,      // every channel of the sample is in use
        ERROR_ILLTYPE = 19,     // unknown attribute or position mode
        ERROR_ILLPARAM = 20,    // an argument is out of range
        ERROR_DEVICE = 23,      // no output device with that number
        ERROR_NOTAVAIL = 37,    // the request is not supported
        ERROR_FILEFORM = 41,    // not a file this library can decode
        ERROR_CODEC = 44,       // the audio data is damaged or cannot be decoded
        ERROR_UNKNOWN = -1,
    };

    struct SampleInfo
    {
        DWORD freq = 0;         // frames per second of the decoded data (the Init frequency)
        DWORD chans = 0;        // always 2
        DWORD length = 0;       // bytes of decoded 16-bit stereo data
        DWORD flags = 0;        // the load flags plus SAMPLE_SOFTWARE
        DWORD max = 0;          // most channels that may exist at once
        float volume = 1.0f;    // volume new channels start with
    };

    // Opens the output. freq is the mixing and decoding rate; flags are kept.
    // Fails (FALSE) with ERROR_ALREADY, ERROR_DEVICE, ERROR_DRIVER or ERROR_ILLPARAM.
    BOOL Init(int device, DWORD freq, DWORD flags, void* window, const void* classId);
    // Frees every sample and closes the device.
    BOOL Free();
    // The error of the last call on this thread; OK when it succeeded.
    int ErrorGetCode();

    // Stops (Pause) and resumes (Start) the device's output; channels keep their places.
    BOOL Pause();
    BOOL Start();

    // Decodes a whole file (any format FFmpeg reads) into memory. Only files are
    // supported (fromMemory FALSE, offset and length 0). max is 1 to 65535.
    HSAMPLE SampleLoad(BOOL fromMemory, const char* file, QWORD offset, DWORD length, DWORD max, DWORD flags);
    // Decodes files ahead of their SampleLoad, several at once, and returns when all are
    // done; a later SampleLoad of the same name takes that result instead of decoding
    // again. Free drops what was not taken. FALSE before Init.
    BOOL SamplePrefetch(const char* const* files, DWORD count);
    BOOL SampleFree(HSAMPLE sample);
    BOOL SampleGetInfo(HSAMPLE sample, SampleInfo* info);
    // A new stopped channel at position 0, or when all are busy and onlyNew is FALSE
    // and the sample has SAMPLE_OVER_POS, the busy one that has played furthest.
    HCHANNEL SampleGetChannel(HSAMPLE sample, BOOL onlyNew);
    // Writes the sample's existing channels (oldest first) when channels is not null;
    // returns their number, or -1 on error.
    int SampleGetChannels(HSAMPLE sample, HCHANNEL* channels);
    // Stops and frees every channel of the sample.
    BOOL SampleStop(HSAMPLE sample);

    // restart TRUE plays from the beginning; FALSE continues where the channel is.
    BOOL ChannelPlay(HCHANNEL channel, BOOL restart);
    // Stops and frees the channel.
    BOOL ChannelStop(HCHANNEL channel);
    DWORD ChannelIsActive(HCHANNEL channel);
    BOOL ChannelSetAttribute(HCHANNEL channel, DWORD attribute, float value);
    BOOL ChannelGetAttribute(HCHANNEL channel, DWORD attribute, float* value);
    BOOL ChannelSetPosition(HCHANNEL channel, QWORD position, DWORD mode);
    // Bytes played into the current pass; (QWORD)-1 on error.
    QWORD ChannelGetPosition(HCHANNEL channel, DWORD mode);
    // Sets the bits of mask to those of flags (only SAMPLE_LOOP may change) and returns
    // the channel's flags afterwards; mask 0 only reads. (DWORD)-1 on error.
    DWORD ChannelFlags(HCHANNEL channel, DWORD flags, DWORD mask);

    // Mixes the next frames of every playing channel into out (interleaved 16-bit
    // stereo) and advances them, as the device does. Meant for DEVICE_NONE and for
    // tests; with a running device both consume the same channels. FALSE before Init.
    BOOL MixInto(int16_t* out, DWORD frames);
}
