// Which containers and codecs a tune file may be read with. Tune files come
// from anywhere; FFmpeg would otherwise pick any of its demuxers by the
// file's bytes, and a playlist or concatenation list named like a tune would
// open the files and network addresses it names.
#pragma once

#include <string_view>

extern "C" {
#include <libavformat/avformat.h>
}

namespace tuneformats {

// MP3, MPEG-4 audio and bare AAC; FLAC and Ogg (Vorbis, Opus, FLAC in Ogg).
inline constexpr const char* kDemuxers = "mp3,mov,aac,flac,ogg";
inline constexpr const char* kVorbisCommentDemuxers = "flac,ogg";
inline constexpr const char* kProtocols = "file";

// True for the FLAC and Ogg demuxers, whose files carry Vorbis comments.
inline bool isVorbisCommentContainer(const AVFormatContext& format) {
  const char* name = format.iformat ? format.iformat->name : nullptr;
  return name && (std::string_view(name) == "flac" || std::string_view(name) == "ogg");
}

// The audio a container may hand to a decoder: from FLAC and Ogg files only
// FLAC, Vorbis and Opus (an Ogg file may also carry Speex, Theora and more,
// whose decoders a tune has no business reaching); from the others what they
// hold, as before.
inline bool isTuneCodec(const AVFormatContext& format, AVCodecID codec) {
  if (!isVorbisCommentContainer(format)) return true;
  return codec == AV_CODEC_ID_FLAC || codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS;
}

}  // namespace tuneformats
