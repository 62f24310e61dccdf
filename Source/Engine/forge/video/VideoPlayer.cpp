#include "forge/video/VideoPlayer.h"

#include "forge/video/VideoAudioOut.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

namespace Kiln
{
    namespace
    {
        constexpr int MaxPacketsPerFrame = 10001;
        constexpr int AudioBufferCount = 16;
        constexpr int AudioBufferSize = 4096;
        constexpr double MinFrameRate = 2.5e-5;

        // Decoding and conversion each spread over the cores; the main thread waits for them
        // either way, so more threads than cores only add switching.
        int WorkerThreads()
        {
            return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
        }

        void KeepCallersMemory(void*, std::uint8_t*) {}

        double RateOf(AVRational aRate)
        {
            if (aRate.num == 0 || aRate.den == 0)
            {
                return 0.0;
            }
            return static_cast<double>(aRate.num) / static_cast<double>(aRate.den);
        }
    }

    VideoPlayer::VideoPlayer() = default;

    VideoPlayer::~VideoPlayer()
    {
        Close();
    }

    std::int32_t VideoPlayer::Open(const char* aPath, bool aWithAudio)
    {
        if (aPath == nullptr)
        {
            return OpenFileMissing;
        }
        {
            std::ifstream probe(aPath, std::ios::binary);
            if (!probe.is_open())
            {
                return OpenFileMissing;
            }
        }
        // A second Open would leak the first file's state.
        if (myFormat != nullptr)
        {
            return OpenFailure;
        }
        myPath = aPath;

        if (avformat_open_input(&myFormat, aPath, nullptr, nullptr) < 0)
        {
            myFormat = nullptr;
            return OpenFailure;
        }

        if (avformat_find_stream_info(myFormat, nullptr) >= 0)
        {
            for (unsigned i = 0; i < myFormat->nb_streams; ++i)
            {
                const AVCodecParameters* parameters = myFormat->streams[i]->codecpar;
                if (parameters->codec_type == AVMEDIA_TYPE_VIDEO)
                {
                    myVideoStream = static_cast<std::int32_t>(i);
                    myVideoDecoder = avcodec_find_decoder(parameters->codec_id);
                }
                else if (aWithAudio && parameters->codec_type == AVMEDIA_TYPE_AUDIO && myAudioStream < 0)
                {
                    myAudioStream = static_cast<std::int32_t>(i);
                }
            }
        }

        if (myAudioStream >= 0)
        {
            const AVStream* stream = myFormat->streams[myAudioStream];
            const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
            if (decoder == nullptr)
            {
                std::cout << "Couldn't find a proper decoder for audio" << std::endl;
                return OpenFailure;
            }
            myAudioContext = avcodec_alloc_context3(decoder);
            if (myAudioContext == nullptr
                || avcodec_parameters_to_context(myAudioContext, stream->codecpar) < 0
                || avcodec_open2(myAudioContext, decoder, nullptr) != 0)
            {
                std::cout << "Couldn't open the context with the decoder for the audio" << std::endl;
                return OpenFailure;
            }
            myPcm.sampleRate = 44100;
            myPcm.bytesPerSample = av_get_bytes_per_sample(AV_SAMPLE_FMT_S16);
            myPcm.channels = 2;
            if (!ConfigureResampler(myAudioContext->ch_layout.nb_channels, myAudioContext->sample_fmt, myAudioContext->sample_rate))
            {
                return OpenFailure;
            }
            myAudioFrame = av_frame_alloc();
            myResampleScratch.resize(static_cast<std::size_t>(myPcm.channels * myPcm.bytesPerSample * 44100));
        }

        if (myVideoDecoder == nullptr || myVideoStream < 0)
        {
            return OpenFailure;
        }
        const AVStream* videoStream = myFormat->streams[myVideoStream];
        myVideoContext = avcodec_alloc_context3(myVideoDecoder);
        if (myVideoContext == nullptr || avcodec_parameters_to_context(myVideoContext, videoStream->codecpar) < 0)
        {
            return OpenFailure;
        }
        myVideoContext->pkt_timebase = videoStream->time_base;
        myVideoContext->thread_count = WorkerThreads();
        myVideoContext->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        if (avcodec_open2(myVideoContext, myVideoDecoder, nullptr) < 0)
        {
            return OpenFailure;
        }
        // A picture of no size, or too large to address, cannot become a texture.
        myPictureWidth = myVideoContext->width;
        myPictureHeight = myVideoContext->height;
        if (myPictureWidth <= 0 || myPictureHeight <= 0
            || av_image_check_size(static_cast<unsigned>(myPictureWidth), static_cast<unsigned>(myPictureHeight), 0, nullptr) < 0)
        {
            return OpenFailure;
        }

        myDecodedFrame = av_frame_alloc();
        myRgbaFrame = av_frame_alloc();
        myScratchFrame = av_frame_alloc();
        myTargetFrame = av_frame_alloc();
        myPacket = av_packet_alloc();
        if (myDecodedFrame == nullptr || myRgbaFrame == nullptr || myScratchFrame == nullptr || myTargetFrame == nullptr
            || myPacket == nullptr)
        {
            return OpenFailure;
        }
        myRgbaBufferSize = av_image_get_buffer_size(AV_PIX_FMT_RGBA, myPictureWidth, myPictureHeight, 1);
        if (myRgbaBufferSize <= 0)
        {
            return OpenFailure;
        }
        myRgbaBuffer = static_cast<std::uint8_t*>(av_malloc(static_cast<std::size_t>(myRgbaBufferSize)));
        if (myRgbaBuffer == nullptr)
        {
            return OpenFailure;
        }
        av_image_fill_arrays(myRgbaFrame->data, myRgbaFrame->linesize, myRgbaBuffer, AV_PIX_FMT_RGBA, myPictureWidth, myPictureHeight, 1);
        // The scaler is made from the first frame converted: the decoder knows the pixel
        // format for sure only then.
        return OpenSuccess;
    }

    bool VideoPlayer::ConfigureResampler(int aChannels, int aSampleFormat, int aSampleRate)
    {
        swr_free(&myResampler);
        AVChannelLayout output = AV_CHANNEL_LAYOUT_STEREO;
        AVChannelLayout input{};
        av_channel_layout_default(&input, aChannels);
        const int result = swr_alloc_set_opts2(&myResampler, &output, AV_SAMPLE_FMT_S16, myPcm.sampleRate,
                                               &input, static_cast<AVSampleFormat>(aSampleFormat), aSampleRate, 0, nullptr);
        av_channel_layout_uninit(&input);
        if (result < 0 || myResampler == nullptr)
        {
            std::cout << "Couldn't create the SwrContext" << std::endl;
            return false;
        }
        if (swr_init(myResampler) != 0)
        {
            std::cout << "Couldn't initialize the SwrContext" << std::endl;
            swr_free(&myResampler);
            return false;
        }
        myResamplerChannels = aChannels;
        myResamplerFormat = aSampleFormat;
        myResamplerRate = aSampleRate;
        return true;
    }

    bool VideoPlayer::ReceiveVideoFrame()
    {
        // Receive into a scratch frame: a failed receive clears its frame, and the last good
        // picture must survive the end of the stream.
        if (avcodec_receive_frame(myVideoContext, myScratchFrame) != 0)
        {
            return false;
        }
        av_frame_unref(myDecodedFrame);
        av_frame_move_ref(myDecodedFrame, myScratchFrame);
        myFrameComplete = true;
        return true;
    }

    std::int32_t VideoPlayer::DecodeNextFrame()
    {
        if (myFormat == nullptr || myVideoContext == nullptr || myPacket == nullptr)
        {
            myLastResult = AVERROR(EINVAL);
            return myLastResult;
        }

        // One packet can hold more than one picture; hand those out first.
        if (ReceiveVideoFrame())
        {
            myLastResult = 0;
            return myLastResult;
        }

        bool frameDone = false;
        int packetsRead = 0;
        int result = 0;
        while (!frameDone && packetsRead < MaxPacketsPerFrame)
        {
            result = av_read_frame(myFormat, myPacket);
            ++packetsRead;
            if (result < 0)
            {
                break;
            }
            if (myPacket->stream_index == myVideoStream)
            {
                // Undecodable data (a damaged or cut stream) is skipped like a lost packet.
                if (avcodec_send_packet(myVideoContext, myPacket) >= 0)
                {
                    frameDone = ReceiveVideoFrame();
                }
            }
            else if (myAudioStream >= 0 && myPacket->stream_index == myAudioStream)
            {
                DecodeAudioPacket(myPacket);
            }
            av_packet_unref(myPacket);
        }

        if (result < 0 && !frameDone)
        {
            // The decoder still holds the pictures it delayed for reordering.
            if (!myVideoDraining)
            {
                avcodec_send_packet(myVideoContext, nullptr);
                myVideoDraining = true;
                DrainAudio();
            }
            if (ReceiveVideoFrame())
            {
                result = 0;
            }
        }
        myLastResult = result;
        return result;
    }

    void VideoPlayer::DecodeAudioPacket(const AVPacket* aPacket)
    {
        if (myAudioContext == nullptr || myAudioFrame == nullptr)
        {
            return;
        }
        if (!myAudioOutCreated)
        {
            myAudioOutCreated = true;
            Plat::WaveOut::WaveFormat format;
            format.formatTag = Plat::WaveOut::FormatPcm;
            format.channels = static_cast<std::uint16_t>(myPcm.channels);
            format.samplesPerSec = static_cast<std::uint32_t>(myPcm.sampleRate);
            format.avgBytesPerSec = static_cast<std::uint32_t>(myPcm.channels * myPcm.bytesPerSample * myPcm.sampleRate);
            format.blockAlign = static_cast<std::uint16_t>(myPcm.channels * myPcm.bytesPerSample);
            format.bitsPerSample = static_cast<std::uint16_t>(myPcm.bytesPerSample * 8);
            myAudioOut = std::make_unique<VideoAudioOut>(&format, AudioBufferCount, AudioBufferSize);
        }
        if (avcodec_send_packet(myAudioContext, aPacket) < 0)
        {
            return;
        }
        // Each frame's samples go out as they are converted, so a packet holding several
        // frames loses none of them.
        while (avcodec_receive_frame(myAudioContext, myAudioFrame) == 0)
        {
            ResampleAudio(myAudioFrame);
            av_frame_unref(myAudioFrame);
        }
    }

    void VideoPlayer::DrainAudio()
    {
        if (myAudioContext == nullptr || myAudioDrained || !myAudioOutCreated)
        {
            return;
        }
        myAudioDrained = true;
        avcodec_send_packet(myAudioContext, nullptr);
        while (avcodec_receive_frame(myAudioContext, myAudioFrame) == 0)
        {
            ResampleAudio(myAudioFrame);
            av_frame_unref(myAudioFrame);
        }
        // The resampler's own delay line ends the sound.
        if (myResampler != nullptr)
        {
            std::uint8_t* out = myResampleScratch.data();
            const int converted = swr_convert(myResampler, &out, 44100, nullptr, 0);
            if (converted > 0)
            {
                const int bytes = converted * myPcm.channels * myPcm.bytesPerSample;
                myPcm.samples.assign(myResampleScratch.begin(), myResampleScratch.begin() + bytes);
                myPcm.size = bytes;
                WritePcm();
            }
        }
    }

    void VideoPlayer::ResampleAudio(AVFrame* aFrame)
    {
        if (aFrame == nullptr || aFrame->nb_samples <= 0 || myResampleScratch.empty())
        {
            return;
        }
        // A frame whose layout differs from what the resampler expects would be read with
        // the wrong plane count; set the resampler up for it instead.
        if (myResampler == nullptr || aFrame->ch_layout.nb_channels != myResamplerChannels
            || aFrame->format != myResamplerFormat || aFrame->sample_rate != myResamplerRate)
        {
            if (aFrame->ch_layout.nb_channels <= 0 || aFrame->sample_rate <= 0
                || !ConfigureResampler(aFrame->ch_layout.nb_channels, aFrame->format, aFrame->sample_rate))
            {
                return;
            }
        }
        std::uint8_t* out = myResampleScratch.data();
        const int converted = swr_convert(myResampler, &out, 44100,
                                          const_cast<const std::uint8_t**>(aFrame->extended_data), aFrame->nb_samples);
        if (converted >= 1)
        {
            const int bytes = converted * myPcm.channels * myPcm.bytesPerSample;
            myPcm.samples.assign(myResampleScratch.begin(), myResampleScratch.begin() + bytes);
            myPcm.size = bytes;
            WritePcm();
        }
    }

    void VideoPlayer::WritePcm()
    {
        if (myAudioOut && myPcm.size > 0)
        {
            myAudioOut->Write(myPcm.samples.data(), myPcm.size);
        }
    }

    double VideoPlayer::GetFrameRate() const
    {
        if (myFormat == nullptr || myVideoStream < 0)
        {
            return 0.0;
        }
        const AVStream* stream = myFormat->streams[myVideoStream];
        const double real = RateOf(stream->r_frame_rate);
        if (real >= MinFrameRate)
        {
            return real;
        }
        const double average = RateOf(stream->avg_frame_rate);
        if (average >= MinFrameRate)
        {
            return average;
        }
        if (myVideoContext != nullptr && myVideoContext->time_base.num > 0 && myVideoContext->time_base.den > 0)
        {
            return 1.0 / RateOf(myVideoContext->time_base);
        }
        return 0.0;
    }

    bool VideoPlayer::ConvertFrame(std::uint8_t* aDestination, std::uint32_t aTextureWidth, std::uint32_t aTextureHeight, std::uint32_t aRowPitch)
    {
        if (!myFrameComplete || aDestination == nullptr || myRgbaBuffer == nullptr)
        {
            return false;
        }
        const std::uint32_t pictureWidth = static_cast<std::uint32_t>(myPictureWidth);
        const std::uint32_t pictureHeight = static_cast<std::uint32_t>(myPictureHeight);
        // Never write past the mapped rows, whatever size the caller's texture has.
        const std::uint32_t rowBytes = std::min(aTextureWidth * 4u, aRowPitch);
        const std::uint32_t columns = std::min(pictureWidth, rowBytes / 4u);
        const std::uint32_t rows = std::min(pictureHeight, aTextureHeight);

        // The picture is converted straight into the destination when it fits there, else
        // into the RGBA buffer and copied row by row.
        const bool direct = rowBytes >= pictureWidth * 4u && aTextureHeight >= pictureHeight;
        bool produced = false;
        if (PrepareScaler())
        {
            av_frame_unref(myTargetFrame);
            std::uint8_t* target = direct ? aDestination : myRgbaBuffer;
            const int pitch = direct ? static_cast<int>(aRowPitch) : myPictureWidth * 4;
            myTargetFrame->data[0] = target;
            myTargetFrame->linesize[0] = pitch;
            myTargetFrame->width = myPictureWidth;
            myTargetFrame->height = myPictureHeight;
            myTargetFrame->format = AV_PIX_FMT_RGBA;
            // The scaler takes references to the frames; this one only borrows the memory.
            myTargetFrame->buf[0] = av_buffer_create(target, static_cast<std::size_t>(pitch) * pictureHeight, &KeepCallersMemory, nullptr, 0);
            produced = myTargetFrame->buf[0] != nullptr && sws_scale_frame(myScaler, myTargetFrame, myDecodedFrame) >= 0;
            av_frame_unref(myTargetFrame);
        }

        std::uint32_t picturedRows = 0;
        if (produced)
        {
            picturedRows = rows;
            for (std::uint32_t r = 0; r < rows; ++r)
            {
                std::uint8_t* row = aDestination + static_cast<std::size_t>(r) * aRowPitch;
                if (!direct)
                    std::memcpy(row, myRgbaBuffer + static_cast<std::size_t>(r) * pictureWidth * 4u, columns * 4u);
                std::memset(row + columns * 4u, 0, rowBytes - columns * 4u);
            }
        }
        // The rest of a discarded texture is undefined; keep the margin black and clear.
        for (std::uint32_t r = picturedRows; r < aTextureHeight; ++r)
        {
            std::memset(aDestination + static_cast<std::size_t>(r) * aRowPitch, 0, rowBytes);
        }
        ++myFramesConverted;
        return true;
    }

    bool VideoPlayer::PrepareScaler()
    {
        // The frame's own size and format drive the scaler, so a stream that changes size
        // midway is scaled into the picture instead of being read out of bounds.
        const AVFrame& frame = *myDecodedFrame;
        if (frame.width <= 0 || frame.height <= 0 || frame.format < 0)
            return false;
        if (myScaler != nullptr && frame.width == myScalerWidth && frame.height == myScalerHeight && frame.format == myScalerFormat)
            return true;
        sws_freeContext(myScaler);
        myScaler = sws_alloc_context();
        if (myScaler == nullptr)
            return false;
        // The JPEG formats are their plain twins at full range (the scaler warns of them
        // once per band otherwise).
        int sourceFormat = frame.format;
        bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
        switch (sourceFormat)
        {
        case AV_PIX_FMT_YUVJ420P: sourceFormat = AV_PIX_FMT_YUV420P; fullRange = true; break;
        case AV_PIX_FMT_YUVJ422P: sourceFormat = AV_PIX_FMT_YUV422P; fullRange = true; break;
        case AV_PIX_FMT_YUVJ444P: sourceFormat = AV_PIX_FMT_YUV444P; fullRange = true; break;
        case AV_PIX_FMT_YUVJ440P: sourceFormat = AV_PIX_FMT_YUV440P; fullRange = true; break;
        case AV_PIX_FMT_YUVJ411P: sourceFormat = AV_PIX_FMT_YUV411P; fullRange = true; break;
        default: break;
        }
        av_opt_set_int(myScaler, "srcw", frame.width, 0);
        av_opt_set_int(myScaler, "srch", frame.height, 0);
        av_opt_set_int(myScaler, "src_format", sourceFormat, 0);
        av_opt_set_int(myScaler, "src_range", fullRange ? 1 : 0, 0);
        av_opt_set_int(myScaler, "dst_range", 1, 0);
        av_opt_set_int(myScaler, "dstw", myPictureWidth, 0);
        av_opt_set_int(myScaler, "dsth", myPictureHeight, 0);
        av_opt_set_int(myScaler, "dst_format", AV_PIX_FMT_RGBA, 0);
        av_opt_set_int(myScaler, "sws_flags", SWS_BILINEAR, 0);
        // Bands of the picture are converted on several threads at once.
        av_opt_set_int(myScaler, "threads", WorkerThreads(), 0);
        if (sws_init_context(myScaler, nullptr, nullptr) < 0)
        {
            sws_freeContext(myScaler);
            myScaler = nullptr;
            return false;
        }
        myScalerWidth = frame.width;
        myScalerHeight = frame.height;
        myScalerFormat = frame.format;
        return true;
    }

    void VideoPlayer::Seek(int aFlags)
    {
        if (myFormat == nullptr || myVideoStream < 0)
        {
            return;
        }
        av_seek_frame(myFormat, myVideoStream, 0, aFlags);
        // Pictures and sound held from before the seek belong to the old position, and a
        // decoder that was drained only takes input again after a flush.
        if (myVideoContext != nullptr)
        {
            avcodec_flush_buffers(myVideoContext);
        }
        if (myAudioContext != nullptr)
        {
            avcodec_flush_buffers(myAudioContext);
        }
        myVideoDraining = false;
        myAudioDrained = false;
    }

    void VideoPlayer::Rewind()
    {
        Seek(AVSEEK_FLAG_BACKWARD);
    }

    void VideoPlayer::SeekToStart()
    {
        Seek(AVSEEK_FLAG_ANY);
    }

    std::uint32_t VideoPlayer::GetFrameWidth() const
    {
        return myFrameComplete && myDecodedFrame != nullptr ? static_cast<std::uint32_t>(myDecodedFrame->width) : 0u;
    }

    std::uint32_t VideoPlayer::GetFrameHeight() const
    {
        return myFrameComplete && myDecodedFrame != nullptr ? static_cast<std::uint32_t>(myDecodedFrame->height) : 0u;
    }

    void VideoPlayer::Close()
    {
        av_frame_free(&myRgbaFrame);
        av_frame_free(&myDecodedFrame);
        av_frame_free(&myScratchFrame);
        av_frame_free(&myTargetFrame);
        av_frame_free(&myAudioFrame);
        av_packet_free(&myPacket);
        avcodec_free_context(&myVideoContext);
        avcodec_free_context(&myAudioContext);
        if (myFormat != nullptr)
        {
            avformat_close_input(&myFormat);
        }
        av_freep(&myRgbaBuffer);
        sws_freeContext(myScaler);
        myScaler = nullptr;
        myScalerWidth = 0;
        myScalerHeight = 0;
        myScalerFormat = -1;
        swr_free(&myResampler);
        myAudioOut.reset();
        myVideoDecoder = nullptr;
        myFrameComplete = false;
        myVideoStream = -1;
        myAudioStream = -1;
        myRgbaBufferSize = 0;
        myVideoDraining = false;
        myAudioDrained = false;
    }
}
