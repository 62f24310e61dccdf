#pragma once
// Writes small video files for the video tests: every picture carries its frame number as
// eight black-or-white bars across the top half (bit 0 leftmost) and a stream colour
// across the bottom half, so a test that reads pixels back knows which frame it sees.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace VideoTest
{
    struct TestVideoStream
    {
        int width = 64;
        int height = 48;
        std::uint8_t red = 200, green = 40, blue = 40;  // bottom-half colour
    };

    struct TestVideoSpec
    {
        std::vector<TestVideoStream> videoStreams{ TestVideoStream{} };
        // One tone per audio stream, in Hz (44,100 Hz stereo AAC); empty: no audio.
        std::vector<double> audioTones;
        int frameRate = 25;
        int frameCount = 10;
        std::string codec = "mpeg4";     // "mpeg4", "libx264" or "mjpeg"
        std::string container = "mp4";  // any muxer name FFmpeg knows
        // false: packets carry no durations and MP4 gets no edit list; a one-picture MJPEG
        // file written so has neither a frame rate nor a codec time base.
        bool timed = true;
    };

    // Returns false (with the reason in aError) when the file could not be made.
    bool WriteTestVideo(const std::filesystem::path& aPath, const TestVideoSpec& aSpec, std::string* aError = nullptr);

    // The frame number the bars of an RGBA picture show (rows aPitch bytes apart), or -1 when
    // a bar is neither clearly black nor clearly white.
    int ReadFrameNumber(const std::uint8_t* someRgba, std::uint32_t aPitch, int aWidth, int aHeight);

    // Selects SDL's audio driver while it lives ("dummy", "disk", ...; the disk driver writes
    // what it plays to anOutputFile), then restores the previous choice. Audio must not be
    // open when it is made or destroyed: SDL reads the choice when audio starts.
    class ScopedAudioDriver
    {
    public:
        explicit ScopedAudioDriver(const char* aDriver, const std::filesystem::path& anOutputFile = {});
        ~ScopedAudioDriver();
        ScopedAudioDriver(const ScopedAudioDriver&) = delete;
        ScopedAudioDriver& operator=(const ScopedAudioDriver&) = delete;

    private:
        std::optional<std::string> myDriver;
        std::optional<std::string> myFile;
    };

    // A folder of its own under the system temp folder, removed on destruction.
    class TempFolder
    {
    public:
        explicit TempFolder(const std::string& aTag);
        ~TempFolder();
        TempFolder(const TempFolder&) = delete;
        TempFolder& operator=(const TempFolder&) = delete;
        const std::filesystem::path& Path() const { return myPath; }
        std::filesystem::path operator/(const std::string& aName) const { return myPath / aName; }

    private:
        std::filesystem::path myPath;
    };
}
