#include "video/video_writer.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "video/temporary_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace vantor::video {

namespace {

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool fail(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
    return false;
}

std::string lowerExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

// H.264 first; the rest for containers that do not take it (WebM).
const AVCodec* chooseEncoder(const AVOutputFormat* format, const std::string& wanted) {
    if (!wanted.empty()) return avcodec_find_encoder_by_name(wanted.c_str());
    static const char* const candidates[] = {"libx264", "libopenh264", "libvpx-vp9", "libvpx", "libaom-av1", "mpeg4"};
    for (const char* name : candidates) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (codec && avformat_query_codec(format, codec->id, FF_COMPLIANCE_NORMAL) == 1) return codec;
    }
    return nullptr;
}

bool supports(const AVCodec* codec, AVPixelFormat format) {
    for (const AVPixelFormat* f = codec->pix_fmts; f && *f != AV_PIX_FMT_NONE; ++f) {
        if (*f == format) return true;
    }
    return false;
}

// A lossless encoder keeps the pixels as they are where it can; a lossy one
// gets the 4:2:0 form that every player shows.
AVPixelFormat choosePixelFormat(const AVCodec* codec) {
    const AVCodecDescriptor* d = avcodec_descriptor_get(codec->id);
    const bool lossless = d && (d->props & AV_CODEC_PROP_LOSSLESS);
    const AVPixelFormat rgb[] = {AV_PIX_FMT_RGB32, AV_PIX_FMT_0RGB32};
    const AVPixelFormat order[] = {AV_PIX_FMT_YUV420P, rgb[0], rgb[1]};
    if (lossless) {
        for (AVPixelFormat f : rgb)
            if (supports(codec, f)) return f;
    }
    for (AVPixelFormat f : order)
        if (supports(codec, f)) return f;
    return codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
}

void tuneEncoder(AVCodecContext* context, const std::string& name) {
    if (name == "libx264") {
        // Fast enough to follow a running view, with little visible loss.
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        av_opt_set(context->priv_data, "crf", "20", 0);
    } else if (name == "libvpx-vp9" || name == "libvpx") {
        av_opt_set(context->priv_data, "deadline", "realtime", 0);
        av_opt_set(context->priv_data, "cpu-used", "8", 0);
        context->bit_rate = 4000000;
    } else if (const AVCodecDescriptor* d = avcodec_descriptor_get(context->codec_id);
               !d || !(d->props & AV_CODEC_PROP_LOSSLESS)) {
        context->bit_rate = 4000000;
    }
}

}  // namespace

bool isVideoFile(const std::string& path) {
    const std::string ext = lowerExtension(path);
    return ext == "mp4" || ext == "mkv" || ext == "webm";
}

struct VideoWriter::Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<uint32_t> padded;             // the frame at the video's size, as the scaler's source
    int contentWidth = 0, contentHeight = 0;  // the frames' size, before padding
    long long frames = 0;

    ~Encoder() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format && format->pb) avio_closep(&format->pb);
        avformat_free_context(format);
    }

    // Sends a frame (nullptr: the end) and writes what the encoder gives back.
    int encode(AVFrame* input) {
        int rc = avcodec_send_frame(codec, input);
        while (rc >= 0) {
            rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
            if (rc < 0) return rc;
            // Every frame lasts one tick; without it the last frame has no
            // length and some demuxers drop it.
            if (packet->duration <= 0) packet->duration = 1;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(format, packet);
        }
        return rc;
    }
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() { abandon(); }

bool VideoWriter::isOpen() const { return encoder_ != nullptr; }
long long VideoWriter::framesWritten() const { return encoder_ ? encoder_->frames : framesFinished_; }
std::string VideoWriter::codecName() const { return encoder_ ? encoder_->codec->codec->name : ""; }
int VideoWriter::videoWidth() const { return encoder_ ? encoder_->codec->width : 0; }
int VideoWriter::videoHeight() const { return encoder_ ? encoder_->codec->height : 0; }

bool VideoWriter::open(const std::string& target, const VideoSettings& settings, std::string* reason) {
    abandon();
    framesFinished_ = 0;
    av_log_set_level(AV_LOG_ERROR);  // the encoders' chatter is not for our users; failures come back as reasons
    if (settings.width < 1 || settings.height < 1) return fail(reason, "the frame has no pixels");
    if (settings.framesPerSecond < 1) return fail(reason, "the frame rate must be 1 or more");
    // The container from the target's name: the temporary's name has no
    // extension that would tell.
    const AVOutputFormat* container = av_guess_format(nullptr, target.c_str(), nullptr);
    if (!container || !isVideoFile(target)) return fail(reason, "not a video file name (.mp4, .mkv or .webm)");
    const AVCodec* codec = chooseEncoder(container, settings.codec);
    if (!codec) return fail(reason, "no video encoder available for this kind of file");
    if (avformat_query_codec(container, codec->id, FF_COMPLIANCE_NORMAL) != 1) {
        return fail(reason, std::string("a ") + container->name + " file cannot hold " + codec->name + " video");
    }

    auto e = std::make_unique<Encoder>();
    if (avformat_alloc_output_context2(&e->format, container, nullptr, nullptr) < 0 || !e->format ||
        !(e->codec = avcodec_alloc_context3(codec)) || !(e->frame = av_frame_alloc()) ||
        !(e->packet = av_packet_alloc())) {
        return fail(reason, "out of memory");
    }
    e->contentWidth = settings.width;
    e->contentHeight = settings.height;
    AVCodecContext* c = e->codec;
    c->width = settings.width + settings.width % 2;  // 4:2:0 needs even sides
    c->height = settings.height + settings.height % 2;
    c->time_base = AVRational{1, settings.framesPerSecond};
    c->framerate = AVRational{settings.framesPerSecond, 1};
    c->pix_fmt = choosePixelFormat(codec);
    c->gop_size = 2 * settings.framesPerSecond;
    if (container->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    tuneEncoder(c, codec->name);
    int rc = avcodec_open2(c, codec, nullptr);
    if (rc < 0) return fail(reason, std::string("cannot start the ") + codec->name + " encoder: " + avError(rc));
    if (!(e->stream = avformat_new_stream(e->format, nullptr))) return fail(reason, "out of memory");
    e->stream->time_base = c->time_base;
    e->stream->avg_frame_rate = c->framerate;
    avcodec_parameters_from_context(e->stream->codecpar, c);

    e->frame->format = c->pix_fmt;
    e->frame->width = c->width;
    e->frame->height = c->height;
    if (av_frame_get_buffer(e->frame, 0) < 0) return fail(reason, "out of memory");
    e->padded.assign(static_cast<size_t>(c->width) * c->height, 0xff000000u);
    if (c->pix_fmt != AV_PIX_FMT_RGB32) {
        e->scaler = sws_getContext(c->width, c->height, AV_PIX_FMT_RGB32, c->width, c->height, c->pix_fmt,
                                   SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
        if (!e->scaler) return fail(reason, "cannot convert the pixels for the encoder");
    }

    std::string temporary = createTemporaryBeside(target, reason);
    if (temporary.empty()) return false;
    rc = avio_open(&e->format->pb, temporary.c_str(), AVIO_FLAG_WRITE);
    if (rc >= 0) rc = avformat_write_header(e->format, nullptr);
    if (rc < 0) {
        e.reset();
        ::unlink(temporary.c_str());
        return fail(reason, avError(rc));
    }
    encoder_ = std::move(e);
    target_ = target;
    temporary_ = std::move(temporary);
    return true;
}

bool VideoWriter::addFrame(const uint32_t* pixels, int width, int height, int bytesPerLine, std::string* reason) {
    if (!encoder_) return fail(reason, "no video is open");
    Encoder& e = *encoder_;
    const int w = e.codec->width, h = e.codec->height;
    const int copyWidth = std::clamp(width, 0, e.contentWidth), copyHeight = std::clamp(height, 0, e.contentHeight);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = e.padded.data() + static_cast<size_t>(y) * w;
        int from = 0;
        if (y < copyHeight && pixels) {
            const auto* source = reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * bytesPerLine;
            std::memcpy(row, source, static_cast<size_t>(copyWidth) * 4);
            from = copyWidth;
        }
        std::fill(row + from, row + w, 0xff000000u);
    }
    int rc = av_frame_make_writable(e.frame);
    if (rc < 0) return fail(reason, avError(rc));
    if (e.scaler) {
        const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(e.padded.data())};
        const int sourceStride[1] = {w * 4};
        sws_scale(e.scaler, source, sourceStride, 0, h, e.frame->data, e.frame->linesize);
    } else {
        av_image_copy_plane(e.frame->data[0], e.frame->linesize[0], reinterpret_cast<const uint8_t*>(e.padded.data()),
                            w * 4, w * 4, h);
    }
    e.frame->pts = e.frames;
    rc = e.encode(e.frame);
    if (rc < 0) return fail(reason, avError(rc));
    ++e.frames;
    return true;
}

bool VideoWriter::finish(std::string* reason) {
    if (!encoder_) return fail(reason, "no video is open");
    Encoder& e = *encoder_;
    int rc = e.encode(nullptr);
    if (rc >= 0) rc = av_write_trailer(e.format);
    // Bytes still buffered may fail to reach the file (a full disk).
    if (rc >= 0) rc = e.format->pb->error;
    const int closed = avio_closep(&e.format->pb);
    if (rc >= 0) rc = closed;
    if (rc < 0) {
        abandon();
        return fail(reason, avError(rc));
    }
    framesFinished_ = e.frames;
    encoder_.reset();
    if (!moveIntoPlace(temporary_, target_, reason)) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void VideoWriter::abandon() {
    encoder_.reset();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace vantor::video
