#include "audio/WmaWriter.h"

#include <QSaveFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000; // 100-ns units
constexpr int kIoBufferSize = 64 * 1024;        // bytes
constexpr int kConvertBlock = 4096;             // samples converted at a time

constexpr WaveFormatEx Offered(uint32_t rate, uint32_t bitsPerSecond)
{
    WaveFormatEx format;
    format.formatTag = CWmaWriter::kWmaFormatTag;
    format.channels = 1;
    format.samplesPerSec = rate;
    format.avgBytesPerSec = bitsPerSecond / 8;
    format.bitsPerSample = 16;
    return format;
}

bool SameFormat(const WaveFormat& a, const WaveFormat& b)
{
    return a.samplesPerSec == b.samplesPerSec && a.channels == b.channels &&
           a.bitsPerSample == b.bitsPerSample && a.avgBytesPerSec == b.avgBytesPerSec;
}

// Opens ctx as the encoder of a mono format at its rate and byte rate.
int OpenCodec(AVCodecContext* ctx, const AVCodec* codec, const WaveFormatEx& format)
{
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    ctx->sample_rate = static_cast<int>(format.samplesPerSec);
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->bit_rate = int64_t{format.avgBytesPerSec} * 8;
    ctx->time_base = AVRational{1, ctx->sample_rate};
    return avcodec_open2(ctx, codec, nullptr);
}

} // namespace

const std::vector<WaveFormatEx>& CWmaWriter::OfferedFormats()
{
    // The encoder refuses below 24 kbit/s. The list keeps the highest rate
    // offered per sample rate, chosen by measurement: the signal-to-noise
    // ratio of pink noise under a tone (harder than speech or most music)
    // after encoding and decoding, at 24/32/48/64/96 kbit/s:
    //    8000 Hz  32.6 35.3 36.0 36.0 36.0 -> 32 kbit/s, within 1 dB of the best
    //   11025 Hz  29.1 32.3 35.9 36.1 36.1 -> 48
    //   16000 Hz  25.9 28.3 32.8 35.7 36.2 -> 64
    //   22050 Hz  24.4 26.0 29.6 32.8 34.2 -> 64, where the gain per bit drops
    //   32000 Hz  23.2 24.3 26.6 29.2 31.6 -> 64
    //   44100 Hz  22.4 23.2 24.5 26.5 30.1 -> 96: every project mix is
    //             44.1 kHz, so nearly every ring file is, and 96 kbit/s
    //             still keeps a 55-s ring near 660 KB.
    static const std::vector<WaveFormatEx> formats = {
        Offered(8000, 24000),  Offered(8000, 32000),  Offered(11025, 32000),
        Offered(11025, 48000), Offered(16000, 48000), Offered(16000, 64000),
        Offered(22050, 48000), Offered(22050, 64000), Offered(32000, 48000),
        Offered(32000, 64000), Offered(44100, 64000), Offered(44100, 96000),
    };
    return formats;
}

int CWmaWriter::FrameLength(uint32_t samplesPerSec)
{
    const auto& offered = OfferedFormats();
    const auto format = std::find_if(offered.begin(), offered.end(), [&](const WaveFormatEx& f) {
        return f.samplesPerSec == samplesPerSec;
    });
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (format == offered.end() || !codec)
        return 0;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    const int length = ctx && OpenCodec(ctx, codec, *format) >= 0 ? ctx->frame_size : 0;
    avcodec_free_context(&ctx);
    return length;
}

struct CWmaWriter::Encoder
{
    ~Encoder()
    {
        av_audio_fifo_free(fifo);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        if (muxer)
            avformat_free_context(muxer);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        // Destroyed without a commit, the temporary file is removed.
        file.reset();
    }

    static int WriteFile(void* opaque, uint8_t* data, int size)
    {
        auto* self = static_cast<Encoder*>(opaque);
        errno = 0;
        if (self->file->write(reinterpret_cast<const char*>(data), size) != size) {
            self->ioErrno = errno != 0 ? errno : EIO;
            return AVERROR(self->ioErrno);
        }
        return size;
    }

    static int64_t SeekFile(void* opaque, int64_t offset, int whence)
    {
        auto* self = static_cast<Encoder*>(opaque);
        if (whence & AVSEEK_SIZE)
            return self->file->size();
        int64_t target = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->file->pos() + offset;
            break;
        case SEEK_END:
            target = self->file->size() + offset;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (target < 0 || !self->file->seek(target))
            return AVERROR(EINVAL);
        return target;
    }

    HRESULT FromAvError(int error) const
    {
        if (ioErrno != 0)
            return HResultFromErrno(ioErrno);
        if (error == AVERROR(ENOMEM))
            return E_OUTOFMEMORY;
        return E_FAIL;
    }

    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFormatContext* muxer = nullptr;
    AVIOContext* io = nullptr;
    std::unique_ptr<QSaveFile> file;
    int ioErrno = 0;       // the first failed write's error
    int64_t queuedEnd = 0; // samples given so far (gaps included, not the lead)
    int64_t nextPts = 0;   // of the next frame, in samples
    bool writing = false;  // between a good BeginWriting and EndWriting
    bool failed = false;   // nothing more is written to this file
};

CWmaWriter::CWmaWriter() = default;

CWmaWriter::~CWmaWriter()
{
    ReleaseAll();
}

HRESULT CWmaWriter::Open(const WaveFormatEx& wanted)
{
    if (m_encoder)
        return S_OK;
    const auto& offered = OfferedFormats();
    if (std::none_of(offered.begin(), offered.end(),
                     [&](const WaveFormatEx& f) { return SameFormat(f, wanted); }))
        return E_FAIL;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec)
        return E_FAIL;

    auto encoder = std::make_unique<Encoder>();
    encoder->codec = avcodec_alloc_context3(codec);
    encoder->frame = av_frame_alloc();
    encoder->packet = av_packet_alloc();
    if (!encoder->codec || !encoder->frame || !encoder->packet)
        return E_OUTOFMEMORY;
    AVCodecContext* ctx = encoder->codec;
    if (int error = OpenCodec(ctx, codec, wanted); error < 0)
        return encoder->FromAvError(error);

    encoder->frame->format = ctx->sample_fmt;
    encoder->frame->nb_samples = ctx->frame_size;
    if (av_channel_layout_copy(&encoder->frame->ch_layout, &ctx->ch_layout) < 0 ||
        av_frame_get_buffer(encoder->frame, 0) < 0)
        return E_OUTOFMEMORY;
    encoder->fifo = av_audio_fifo_alloc(ctx->sample_fmt, 1, ctx->frame_size);
    if (!encoder->fifo)
        return E_OUTOFMEMORY;
    m_wanted = wanted;
    m_encoder = std::move(encoder);
    return S_OK;
}

void CWmaWriter::SetFileName(const QString& path)
{
    m_path = path;
}

HRESULT CWmaWriter::Fail(HRESULT result)
{
    if (m_encoder) {
        m_encoder->failed = true;
        m_encoder->writing = false;
    }
    return result;
}

HRESULT CWmaWriter::BeginWriting()
{
    if (!m_encoder || m_encoder->muxer || m_encoder->failed || m_path.isEmpty())
        return E_FAIL;
    Encoder& e = *m_encoder;
    if (avformat_alloc_output_context2(&e.muxer, nullptr, "asf", nullptr) < 0 || !e.muxer)
        return Fail(E_OUTOFMEMORY);
    AVStream* stream = avformat_new_stream(e.muxer, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, e.codec) < 0)
        return Fail(E_OUTOFMEMORY);
    stream->time_base = e.codec->time_base;
    // The title goes into the content description object. FFmpeg renames
    // "comment" to the attribute "Description" and stores it in the extended
    // content description, where readers asking for "Description" find it.
    if (av_dict_set(&e.muxer->metadata, "title", "KOX", 0) < 0 ||
        av_dict_set(&e.muxer->metadata, "comment", "Powered by Quillon Tech.", 0) < 0)
        return Fail(E_OUTOFMEMORY);

    e.file = std::make_unique<QSaveFile>(m_path);
    errno = 0;
    if (!e.file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(HResultFromErrno(errno != 0 ? errno : EIO));
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (!buffer)
        return Fail(E_OUTOFMEMORY);
    // Seekable, so the trailer can complete the header with the real sizes.
    e.io = avio_alloc_context(buffer, kIoBufferSize, 1, &e, nullptr, &Encoder::WriteFile,
                              &Encoder::SeekFile);
    if (!e.io) {
        av_free(buffer);
        return Fail(E_OUTOFMEMORY);
    }
    e.muxer->pb = e.io;
    e.muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (int error = avformat_write_header(e.muxer, nullptr); error < 0)
        return Fail(e.FromAvError(error));
    // FFmpeg's decoder, which every reader here uses, leaves out the first
    // frame of what the encoder was given (measured: a click at sample 10000
    // decodes at 7952 at 44.1 kHz). A frame of silence goes first, so the
    // clip decodes from its first sample on, in place.
    if (HRESULT primed = QueueSilence(e.codec->frame_size); primed != S_OK)
        return Fail(primed);
    e.writing = true;
    return S_OK;
}

HRESULT CWmaWriter::DrainPackets()
{
    Encoder& e = *m_encoder;
    for (;;) {
        const int got = avcodec_receive_packet(e.codec, e.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return S_OK;
        if (got < 0)
            return e.FromAvError(got);
        e.packet->stream_index = 0;
        av_packet_rescale_ts(e.packet, e.codec->time_base, e.muxer->streams[0]->time_base);
        if (int error = av_interleaved_write_frame(e.muxer, e.packet); error < 0)
            return e.FromAvError(error);
    }
}

HRESULT CWmaWriter::EncodeQueued(bool flush)
{
    Encoder& e = *m_encoder;
    const int frameSize = e.codec->frame_size;
    while (av_audio_fifo_size(e.fifo) >= frameSize || (flush && av_audio_fifo_size(e.fifo) > 0)) {
        // The encoder may still hold the last frame's buffer.
        e.frame->nb_samples = frameSize;
        if (av_frame_make_writable(e.frame) < 0)
            return E_OUTOFMEMORY;
        // Only a flush may find a short frame; EndWriting fills the last one.
        const int count = std::min(frameSize, av_audio_fifo_size(e.fifo));
        if (av_audio_fifo_read(e.fifo, reinterpret_cast<void**>(e.frame->data), count) != count)
            return E_FAIL;
        e.frame->nb_samples = count;
        e.frame->pts = e.nextPts;
        e.nextPts += count;
        if (int error = avcodec_send_frame(e.codec, e.frame); error < 0)
            return e.FromAvError(error);
        if (HRESULT drained = DrainPackets(); drained != S_OK)
            return drained;
    }
    if (!flush)
        return S_OK;
    if (int error = avcodec_send_frame(e.codec, nullptr); error < 0)
        return e.FromAvError(error);
    return DrainPackets();
}

HRESULT CWmaWriter::QueueSamples(const float* samples, int count)
{
    Encoder& e = *m_encoder;
    void* planes[1] = {const_cast<float*>(samples)};
    if (av_audio_fifo_write(e.fifo, planes, count) != count)
        return E_OUTOFMEMORY;
    return EncodeQueued(false);
}

HRESULT CWmaWriter::QueueSilence(int64_t count)
{
    static const float silence[kConvertBlock] = {};
    while (count > 0) {
        const int part = static_cast<int>(std::min<int64_t>(kConvertBlock, count));
        if (HRESULT queued = QueueSamples(silence, part); queued != S_OK)
            return queued;
        count -= part;
    }
    return S_OK;
}

HRESULT CWmaWriter::WriteSample(const uint8_t* bytes, int64_t time, uint32_t byteCount)
{
    if (m_observer)
        m_observer(time, byteCount);
    if (!m_encoder || !m_encoder->writing)
        return E_FAIL;
    Encoder& e = *m_encoder;
    if (time < 0 || (byteCount > 0 && !bytes))
        return E_INVALIDARG;
    const int64_t position =
        av_rescale_rnd(time, m_wanted.samplesPerSec, kTicksPerSecond, AV_ROUND_NEAR_INF);
    if (position < e.queuedEnd)
        return E_INVALIDARG;

    // A gap in the times is silence.
    if (HRESULT queued = QueueSilence(position - e.queuedEnd); queued != S_OK)
        return Fail(queued);
    e.queuedEnd = position;
    // 16-bit mono; a trailing odd byte is no whole sample.
    const uint32_t sampleCount = byteCount / 2;
    float block[kConvertBlock];
    for (uint32_t done = 0; done < sampleCount;) {
        const int count = static_cast<int>(std::min<uint32_t>(kConvertBlock, sampleCount - done));
        for (int i = 0; i < count; ++i) {
            int16_t value;
            std::memcpy(&value, bytes + 2 * (done + i), 2);
            block[i] = value / 32768.0f;
        }
        if (HRESULT queued = QueueSamples(block, count); queued != S_OK)
            return Fail(queued);
        done += count;
        e.queuedEnd += count;
    }
    return S_OK;
}

HRESULT CWmaWriter::EndWriting()
{
    if (!m_encoder || !m_encoder->writing)
        return E_FAIL;
    Encoder& e = *m_encoder;
    // The last frame is filled with silence here, whatever the encoder would
    // do with a short one: the decoder gives it out whole.
    if (const int part = av_audio_fifo_size(e.fifo) % e.codec->frame_size; part > 0) {
        if (HRESULT filled = QueueSilence(e.codec->frame_size - part); filled != S_OK)
            return Fail(filled);
    }
    if (HRESULT encoded = EncodeQueued(true); encoded != S_OK)
        return Fail(encoded);
    if (int error = av_write_trailer(e.muxer); error < 0)
        return Fail(e.FromAvError(error));
    avio_flush(e.io);
    if (e.io->error < 0 || e.ioErrno != 0)
        return Fail(e.FromAvError(e.io->error));
    e.writing = false;
    errno = 0;
    if (!e.file->commit())
        return Fail(HResultFromErrno(errno != 0 ? errno : EIO));
    return S_OK;
}

void CWmaWriter::ReleaseAll()
{
    m_encoder.reset();
}
