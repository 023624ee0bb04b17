#include "platform/ffmpeg/bare_decode.h"

#include <algorithm>

#include "platform/ffmpeg/av_handles.h"

std::int64_t bareDecodeSeconds(const std::string& path, std::span<const std::int64_t> startFrames,
                               std::int64_t prerollFrames) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return -1;
  av::FormatPtr format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) return -1;
  const AVCodec* decoder = nullptr;
  const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream < 0) return -1;
  av::CodecPtr codec(avcodec_alloc_context3(decoder));
  av::FramePtr frame(av_frame_alloc());
  av::PacketPtr packet(av_packet_alloc());
  if (!codec || !frame || !packet) return -1;
  const AVStream* st = format->streams[stream];
  avcodec_parameters_to_context(codec.get(), st->codecpar);
  codec->thread_count = 1;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return -1;
  const AVRational frames{1, 44100};
  std::int64_t samples = 0;
  for (const std::int64_t start : startFrames) {
    const std::int64_t from = std::max<std::int64_t>(0, start - prerollFrames);
    av_seek_frame(format.get(), stream, av_rescale_q(from, frames, st->time_base), AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    const std::int64_t end = av_rescale_q(start + 44100, frames, st->time_base);
    bool more = true;
    while (more && av_read_frame(format.get(), packet.get()) >= 0) {
      if (packet->stream_index == stream && avcodec_send_packet(codec.get(), packet.get()) >= 0) {
        while (avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
          samples += frame->nb_samples;
          const std::int64_t length = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, st->time_base);
          if (frame->pts != AV_NOPTS_VALUE && frame->pts + length >= end) more = false;
          av_frame_unref(frame.get());
        }
      }
      av_packet_unref(packet.get());
    }
  }
  return samples;
}
