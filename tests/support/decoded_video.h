// Reads a video (or a picture) back with FFmpeg's libraries, for tests: the
// codec, the size and every frame as 0xffRRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace vantor::video::testing {

struct DecodedVideo {
    bool ok = false;
    std::string codec;
    int width = 0, height = 0;
    AVRational frameRate{0, 1};
    std::vector<std::vector<uint32_t>> frames;
    uint32_t pixel(size_t frame, int x, int y) const { return frames[frame][static_cast<size_t>(y) * width + x]; }
};

namespace detail {

inline void keepFrame(DecodedVideo& v, SwsContext*& scaler, const AVFrame* f) {
    scaler = sws_getCachedContext(scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), f->width,
                                  f->height, AV_PIX_FMT_RGB32, SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                  nullptr, nullptr, nullptr);
    std::vector<uint32_t> pixels(static_cast<size_t>(f->width) * f->height);
    uint8_t* target[1] = {reinterpret_cast<uint8_t*>(pixels.data())};
    const int stride[1] = {f->width * 4};
    sws_scale(scaler, f->data, f->linesize, 0, f->height, target, stride);
    v.frames.push_back(std::move(pixels));
}

inline void drain(DecodedVideo& v, AVCodecContext* decoder, AVFrame* frame, SwsContext*& scaler) {
    while (avcodec_receive_frame(decoder, frame) == 0) keepFrame(v, scaler, frame);
}

}  // namespace detail

inline DecodedVideo decodeVideo(const std::string& path) {
    DecodedVideo v;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return v;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    if (decoder && avcodec_parameters_to_context(decoder, format->streams[index]->codecpar) >= 0 &&
        avcodec_open2(decoder, codec, nullptr) >= 0) {
        v.codec = codec->name;
        v.width = decoder->width;
        v.height = decoder->height;
        const AVStream* stream = format->streams[index];
        v.frameRate = stream->avg_frame_rate.den ? stream->avg_frame_rate : stream->r_frame_rate;
        bool damaged = false;
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(decoder, packet) < 0) damaged = true;
            av_packet_unref(packet);
            detail::drain(v, decoder, frame, scaler);
        }
        avcodec_send_packet(decoder, nullptr);
        detail::drain(v, decoder, frame, scaler);
        v.ok = !damaged;
    }
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return v;
}

}  // namespace vantor::video::testing
