// Owners of the FFmpeg handles used by the movie services. Each handle is
// released by its own free function whatever path the code takes.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace av {

struct FormatCloser {
  void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct CodecFreer {
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerFreer {
  void operator()(SwrContext* p) const { swr_free(&p); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

// Options handed to an FFmpeg call; what the call did not take is freed.
class Dictionary {
 public:
  Dictionary() = default;
  ~Dictionary() { av_dict_free(&dict_); }
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  void set(const char* key, const char* value) { av_dict_set(&dict_, key, value, 0); }
  AVDictionary** get() { return &dict_; }

 private:
  AVDictionary* dict_ = nullptr;
};

// A channel layout that is uninitialised again when it goes out of scope.
class ChannelLayout {
 public:
  ChannelLayout() = default;
  ~ChannelLayout() { av_channel_layout_uninit(&layout_); }
  ChannelLayout(const ChannelLayout&) = delete;
  ChannelLayout& operator=(const ChannelLayout&) = delete;
  AVChannelLayout* get() { return &layout_; }

 private:
  AVChannelLayout layout_{};
};

}  // namespace av
