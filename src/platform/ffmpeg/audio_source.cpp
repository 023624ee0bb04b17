#include "platform/ffmpeg/audio_source.h"
#include "core/regular_file.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <vector>

#include "platform/ffmpeg/av_error.h"
#include "platform/ffmpeg/av_handles.h"
#include "platform/ffmpeg/tune_formats.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

namespace {

// Frames decoded and thrown away before the first wanted frame after a seek.
// The MP3 bit reservoir reaches back a few frames, and a resampler needs its
// filter filled, so the first tens of milliseconds after a bare seek are wrong.
constexpr std::int64_t kPrerollFrames = AudioSource::kRate / 5;      // 200 ms
constexpr std::int64_t kMinPrerollFrames = AudioSource::kRate / 10;  // 100 ms
constexpr int kSeekAttempts = 3;
// Timestamps beyond this many ticks or samples are damage, not positions;
// keeping below it leaves the arithmetic on them far from overflow.
constexpr std::int64_t kSaneTime = std::int64_t{1} << 40;

bool sane(std::int64_t t) { return t != AV_NOPTS_VALUE && t > -kSaneTime && t < kSaneTime; }

}  // namespace

struct AudioSource::Impl {
  std::string path;
  Options options;

  av::FormatPtr format;
  av::CodecPtr codec;
  av::FramePtr frame{av_frame_alloc()};
  av::PacketPtr packet{av_packet_alloc()};
  av::ResamplerPtr resampler;
  int stream = -1;
  AVRational timeBase{1, 1};
  std::int64_t streamStart = 0;  // in timeBase
  int channels = 0;
  std::int64_t durationTicks = -1;  // in timeBase; -1 unknown

  // What the resampler was made for.
  int inRate = 0;
  int inFormat = -1;
  av::ChannelLayout inLayout;
  av::ChannelLayout outLayout;
  // Output frames per input samples, reduced: M output frames for L input samples.
  std::int64_t ratioIn = 1;
  std::int64_t ratioOut = 1;

  // Where the decoding stands.
  bool timelineKnown = false;
  bool afterSeek = false;
  bool demuxerDone = false;
  bool finished = false;
  std::int64_t nextSource = 0;     // index of the next decoded source sample
  std::int64_t feedFrom = 0;       // source samples before it are not resampled
  std::int64_t nextOut = 0;        // index of the next frame the resampler gives
  std::int64_t discardBefore = 0;  // output frames before it are dropped
  std::int64_t seekTarget = -1;    // frame asked of the last seek, -1 none
  int seekAttempt = 0;
  std::vector<std::int16_t> pending;               // output waiting to be read
  std::size_t pendingPos = 0;                      // in samples
  std::vector<const std::uint8_t*> planePointers;  // input of one resampler call

  OSErr openStreams();
  OSErr openDecoder();
  OSErr measureDuration();
  void resetPosition();
  OSErr seekFrom(std::int64_t frame, std::int64_t preroll);
  OSErr produce();
  OSErr takeFrame();
  OSErr makeResampler(const AVFrame& f);
  OSErr resample(const std::uint8_t** in, int count);
  void keepOutput(int frames);
};

AudioSource::AudioSource() : impl_(std::make_unique<Impl>()) {}
AudioSource::~AudioSource() = default;

// A fresh decoder, also after every seek: a decoder that is only flushed
// keeps state from what it decoded before (the AAC noise generator), and an
// excerpt would then depend on the exports made before it.
OSErr AudioSource::Impl::openDecoder() {
  codec.reset();
  const AVStream* st = format->streams[stream];
  const AVCodec* decoder = avcodec_find_decoder(st->codecpar->codec_id);
  if (!decoder) return invalidMovieErr;
  codec.reset(avcodec_alloc_context3(decoder));
  if (!codec) return memFullErr;
  int ret = avcodec_parameters_to_context(codec.get(), st->codecpar);
  if (ret < 0) return av::toOSErr(ret);
  codec->pkt_timebase = st->time_base;
  // One thread: the decoder runs inside the caller's thread and its output
  // does not depend on scheduling.
  codec->thread_count = 1;
  ret = avcodec_open2(codec.get(), decoder, nullptr);
  return av::toOSErr(ret);
}

OSErr AudioSource::Impl::openStreams() {
  format.reset();
  codec.reset();
  resampler.reset();
  if (!frame || !packet) return memFullErr;
  AVFormatContext* raw = nullptr;
  // A tune file is read only with the tune demuxers, through the file
  // protocol only, whatever its bytes claim to be.
  av::Dictionary openOptions;
  openOptions.set("format_whitelist", tuneformats::kDemuxers);
  openOptions.set("protocol_whitelist", tuneformats::kProtocols);
  // The demuxer would wait on a named pipe for ever: only plain files.
  if (const int fd = openRegularFileForReading(path.c_str()); fd < 0)
    return errno == EINVAL || errno == EISDIR ? ioErr : av::toOSErr(AVERROR(errno), ioErr);
  else
    ::close(fd);
  int ret = avformat_open_input(&raw, path.c_str(), nullptr, openOptions.get());
  if (ret < 0) return av::toOSErr(ret);  // avformat_open_input frees on failure
  format.reset(raw);
  ret = avformat_find_stream_info(format.get(), nullptr);
  if (ret < 0) return av::toOSErr(ret);
  stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (stream < 0) return invalidMovieErr;
  if (!tuneformats::isTuneCodec(*format, format->streams[stream]->codecpar->codec_id)) return invalidMovieErr;
  for (unsigned i = 0; i < format->nb_streams; ++i)
    if (static_cast<int>(i) != stream) format->streams[i]->discard = AVDISCARD_ALL;
  const OSErr err = openDecoder();
  if (err != noErr) return err;
  const AVStream* st = format->streams[stream];
  const int fileChannels = codec->ch_layout.nb_channels;
  if (fileChannels <= 0 || fileChannels > 255 || codec->sample_rate <= 0) return invalidMovieErr;
  channels = options.maxChannels > 0 ? std::min(fileChannels, options.maxChannels) : fileChannels;
  timeBase = st->time_base;
  if (timeBase.num <= 0 || timeBase.den <= 0) return invalidMovieErr;
  streamStart = sane(st->start_time) ? st->start_time : 0;
  av_channel_layout_uninit(outLayout.get());
  av_channel_layout_default(outLayout.get(), channels);
  resetPosition();
  afterSeek = false;
  return noErr;
}

void AudioSource::Impl::resetPosition() {
  resampler.reset();
  inRate = 0;
  inFormat = -1;
  timelineKnown = false;
  demuxerDone = false;
  finished = false;
  nextSource = feedFrom = nextOut = discardBefore = 0;
  pending.clear();
  pendingPos = 0;
}

// The length FFmpeg reports, or the end of the last packet when FFmpeg can
// only guess from the bit rate (VBR MP3 without an info frame would otherwise
// be minutes off) or does not know it at all.
OSErr AudioSource::Impl::measureDuration() {
  AVStream* st = format->streams[stream];
  if (sane(st->duration) && st->duration > 0) {
    durationTicks = st->duration;
  } else if (sane(format->duration) && format->duration > 0) {
    durationTicks = av_rescale_q(format->duration, AV_TIME_BASE_Q, timeBase);
  }
  const bool guessed = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
  if (durationTicks >= 0 && !(guessed && options.exactDuration)) return noErr;
  std::int64_t end = 0;
  while (av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == stream && sane(packet->pts) && packet->duration >= 0 && packet->duration < kSaneTime)
      end = std::max(end, packet->pts + packet->duration - streamStart);
    av_packet_unref(packet.get());
  }
  durationTicks = end;
  return openStreams();
}

OSErr AudioSource::open(const std::string& path, Options options) {
  impl_->path = path;
  impl_->options = options;
  impl_->durationTicks = -1;
  OSErr err = impl_->openStreams();
  if (err == noErr) err = impl_->measureDuration();
  if (err != noErr) {
    impl_->format.reset();
    impl_->codec.reset();
  }
  return err;
}

int AudioSource::channels() const { return impl_->channels; }

std::int64_t AudioSource::duration(std::int32_t scale) const {
  if (impl_->durationTicks <= 0 || !impl_->format) return 0;
  const std::int64_t units = av_rescale_rnd(impl_->durationTicks, std::int64_t{scale} * impl_->timeBase.num,
                                            impl_->timeBase.den, AV_ROUND_DOWN);
  return std::max<std::int64_t>(0, units);
}

OSErr AudioSource::seekToFrame(std::int64_t frame) {
  if (!impl_->format || !impl_->codec) return invalidMovieErr;
  if (frame < 0) frame = 0;
  impl_->seekAttempt = 0;
  return impl_->seekFrom(frame, kPrerollFrames);
}

// Seeks to a point `preroll` frames before `frame`. The frames decoded
// before `frame` are dropped; takeFrame checks that at least the minimum
// preroll was decoded and otherwise seeks further back. Near the start, or
// when the demuxer cannot seek, the file is decoded from its beginning.
OSErr AudioSource::Impl::seekFrom(std::int64_t target, std::int64_t preroll) {
  const int rate = codec->sample_rate;
  const std::int64_t from = target - preroll;
  if (from <= 0 || seekAttempt >= kSeekAttempts) {
    const OSErr err = openStreams();
    if (err != noErr) {
      format.reset();  // unusable until opened again
      codec.reset();
      return err;
    }
    discardBefore = target;
    seekTarget = -1;
    return noErr;
  }
  const std::int64_t fromSource = av_rescale(from, rate, kRate);
  const std::int64_t ts = av_rescale_q(fromSource, AVRational{1, rate}, timeBase) + streamStart;
  if (av_seek_frame(format.get(), stream, ts, AVSEEK_FLAG_BACKWARD) < 0) {
    seekAttempt = kSeekAttempts;
    return seekFrom(target, preroll);
  }
  // FLAC, Vorbis and Opus decoders forget everything when flushed, and
  // making a Vorbis decoder means building its codebooks again.
  OSErr err = noErr;
  if (tuneformats::isVorbisCommentContainer(*format))
    avcodec_flush_buffers(codec.get());
  else
    err = openDecoder();
  if (err != noErr) return err;
  resetPosition();
  afterSeek = true;
  discardBefore = target;
  seekTarget = target;
  return noErr;
}

std::int64_t AudioSource::read(std::span<std::int16_t> out) {
  Impl& m = *impl_;
  if (!m.format || !m.codec || m.channels <= 0) return invalidMovieErr;
  const std::size_t ch = static_cast<std::size_t>(m.channels);
  const std::size_t want = out.size() / ch * ch;
  std::size_t done = 0;
  while (done < want) {
    if (m.pendingPos < m.pending.size()) {
      const std::size_t n = std::min(want - done, m.pending.size() - m.pendingPos);
      std::copy_n(m.pending.begin() + static_cast<std::ptrdiff_t>(m.pendingPos), n,
                  out.begin() + static_cast<std::ptrdiff_t>(done));
      m.pendingPos += n;
      done += n;
      continue;
    }
    if (m.finished) break;
    m.pending.clear();
    m.pendingPos = 0;
    const OSErr err = m.produce();
    if (err != noErr) return err;
  }
  return static_cast<std::int64_t>(done / ch);
}

// Decodes until some output is pending or the sound has ended.
OSErr AudioSource::Impl::produce() {
  while (pending.empty() && !finished) {
    int ret = avcodec_receive_frame(codec.get(), frame.get());
    if (ret == 0) {
      const OSErr err = takeFrame();
      av_frame_unref(frame.get());
      if (err != noErr) return err;
      continue;
    }
    if (ret == AVERROR_EOF) {
      if (resampler && timelineKnown) {
        const OSErr err = resample(nullptr, 0);  // the resampler's tail
        if (err != noErr) return err;
      }
      finished = true;
      break;
    }
    if (ret != AVERROR(EAGAIN)) return av::toOSErr(ret);
    if (demuxerDone) {
      finished = true;  // the decoder refused to drain
      break;
    }
    // Feed the decoder one packet of our stream; damaged packets are skipped.
    for (;;) {
      ret = av_read_frame(format.get(), packet.get());
      if (ret < 0) {
        if (ret == AVERROR(ENOMEM)) return memFullErr;
        demuxerDone = true;
        avcodec_send_packet(codec.get(), nullptr);
        break;
      }
      if (packet->stream_index != stream) {
        av_packet_unref(packet.get());
        continue;
      }
      ret = avcodec_send_packet(codec.get(), packet.get());
      av_packet_unref(packet.get());
      if (ret == AVERROR(ENOMEM)) return memFullErr;
      break;
    }
  }
  return noErr;
}

OSErr AudioSource::Impl::takeFrame() {
  const AVFrame& f = *frame;
  if (f.nb_samples <= 0 || f.sample_rate <= 0 || f.ch_layout.nb_channels <= 0) return noErr;
  if (!timelineKnown) {
    if (afterSeek) {
      const std::int64_t pts = f.best_effort_timestamp != AV_NOPTS_VALUE ? f.best_effort_timestamp : f.pts;
      if (!sane(pts)) {
        seekAttempt = kSeekAttempts;  // no position after a seek: decode from the start
        return seekFrom(seekTarget, kPrerollFrames);
      }
      nextSource = av_rescale_q(pts - streamStart, timeBase, AVRational{1, f.sample_rate});
      if (!sane(nextSource)) {
        seekAttempt = kSeekAttempts;
        return seekFrom(seekTarget, kPrerollFrames);
      }
    } else {
      nextSource = 0;
    }
    // The resampler starts on an input sample that falls exactly on an output
    // frame, so its output lines up with the output of a decode from the start.
    const std::int64_t g = std::gcd(static_cast<std::int64_t>(f.sample_rate), std::int64_t{kRate});
    ratioIn = f.sample_rate / g;
    ratioOut = kRate / g;
    const std::int64_t first = std::max<std::int64_t>(nextSource, 0);
    feedFrom = (first + ratioIn - 1) / ratioIn * ratioIn;
    nextOut = feedFrom / ratioIn * ratioOut;
    timelineKnown = true;
    if (afterSeek && seekTarget >= 0 && nextOut > seekTarget - kMinPrerollFrames) {
      // Landed too late for a full preroll: go further back.
      ++seekAttempt;
      return seekFrom(seekTarget, kPrerollFrames << (2 * seekAttempt));
    }
  }
  const std::int64_t start = nextSource;
  nextSource += f.nb_samples;
  const std::int64_t skip = std::max<std::int64_t>(0, feedFrom - start);
  if (skip >= f.nb_samples) return noErr;
  if (!resampler || f.sample_rate != inRate || f.format != inFormat ||
      av_channel_layout_compare(&f.ch_layout, inLayout.get()) != 0) {
    if (resampler) {
      const OSErr err = resample(nullptr, 0);  // keep what the old one holds
      if (err != noErr) return err;
    }
    const OSErr err = makeResampler(f);
    if (err != noErr) return err;
  }
  const int bytes = av_get_bytes_per_sample(static_cast<AVSampleFormat>(f.format));
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f.format)) != 0;
  const int planes = planar ? f.ch_layout.nb_channels : 1;
  planePointers.resize(static_cast<std::size_t>(planes));
  const std::int64_t offset = skip * bytes * (planar ? 1 : f.ch_layout.nb_channels);
  for (int p = 0; p < planes; ++p) planePointers[static_cast<std::size_t>(p)] = f.extended_data[p] + offset;
  return resample(planePointers.data(), f.nb_samples - static_cast<int>(skip));
}

OSErr AudioSource::Impl::makeResampler(const AVFrame& f) {
  resampler.reset();
  av_channel_layout_uninit(inLayout.get());
  int ret = av_channel_layout_copy(inLayout.get(), &f.ch_layout);
  if (ret < 0) return av::toOSErr(ret);
  SwrContext* raw = nullptr;
  ret = swr_alloc_set_opts2(&raw, outLayout.get(), AV_SAMPLE_FMT_S16, kRate, inLayout.get(),
                            static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
  resampler.reset(raw);
  if (ret < 0) return av::toOSErr(ret);
  ret = swr_init(resampler.get());
  if (ret < 0) {
    resampler.reset();
    return av::toOSErr(ret);
  }
  inRate = f.sample_rate;
  inFormat = f.format;
  return noErr;
}

// Runs `count` input samples (or, with none, the resampler's tail) through
// the resampler into the pending output.
OSErr AudioSource::Impl::resample(const std::uint8_t** in, int count) {
  const int room = swr_get_out_samples(resampler.get(), count);
  if (room < 0) return av::toOSErr(room);
  if (room == 0) return noErr;
  const std::size_t base = pending.size();
  try {
    pending.resize(base + static_cast<std::size_t>(room) * static_cast<std::size_t>(channels));
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
  std::array<std::uint8_t*, 1> out{reinterpret_cast<std::uint8_t*>(pending.data() + base)};
  const int got = swr_convert(resampler.get(), out.data(), room, in, count);
  if (got < 0) {
    pending.resize(base);
    return av::toOSErr(got);
  }
  pending.resize(base + static_cast<std::size_t>(got) * static_cast<std::size_t>(channels));
  keepOutput(got);
  return noErr;
}

// Drops the newest `frames` output frames that lie before discardBefore.
void AudioSource::Impl::keepOutput(int frames) {
  const std::int64_t first = nextOut;
  nextOut += frames;
  const std::int64_t drop = std::clamp<std::int64_t>(discardBefore - first, 0, frames);
  if (drop == 0) return;
  const std::size_t ch = static_cast<std::size_t>(channels);
  const std::size_t begin = pending.size() - static_cast<std::size_t>(frames) * ch;
  pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(begin),
                pending.begin() + static_cast<std::ptrdiff_t>(begin + static_cast<std::size_t>(drop) * ch));
}
