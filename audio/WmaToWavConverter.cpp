#include "audio/WmaToWavConverter.h"
#include "audio/MappedTempFile.h"
#include "audio/ROStream.h"
#include "audio/WaveDoc.h"
#include "audio/WaveHeader.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// WAV samples are little-endian and FFmpeg's s16 is the host's order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "s16 samples are written as they are");

namespace {

// The only containers read; probing picks between them, never anything that
// would open further files (playlists, concatenation).
constexpr char kDemuxers[] = "mp3,asf,wav";
// A protocol name that exists nowhere: the source comes through our own
// stream and nothing else may be opened.
constexpr char kNoProtocols[] = "none";
// The audio those containers carry.
constexpr char kDecoders[] = "mp1,mp1float,mp2,mp2float,mp3,mp3float,wmav1,wmav2,wmapro,"
                             "wmalossless,wmavoice,pcm_s16le,pcm_u8,pcm_s24le,pcm_s32le,"
                             "pcm_f32le,pcm_f64le,pcm_s16be,pcm_s24be,pcm_s32be,pcm_f32be,"
                             "pcm_f64be,pcm_s8,pcm_alaw,pcm_mulaw,adpcm_ms,adpcm_ima_wav,"
                             "adpcm_g726,adpcm_yamaha,gsm_ms,g723_1,truespeech";

constexpr int kIoBufferSize = 64 * 1024; // bytes
// Frames the decoder may refuse in a row for one packet before the rest of
// that packet is dropped; refused packets themselves are skipped, as players
// do, until Source::kBytesWithoutAudio bytes gave no audio.
constexpr int kMaxConsecutiveErrors = 16;
// The RIFF length field (data + 36) must fit 32 bits.
constexpr uint64_t kMaxDataSize = WmaToWavConverter::kMaxDataBytes;
static_assert(kMaxDataSize == UINT32_MAX - (kWaveHeaderSize - 8));

HRESULT FromAvError(int error)
{
    if (error == AVERROR(ENOMEM))
        return E_OUTOFMEMORY;
    if (error == AVERROR(EIO))
        return HResultFromErrno(EIO);
    return WmaToWavConverter::kUnreadableSource;
}

// The source as the I/O context reads it. While the audio is decoded, input
// that gives no audio ends the stream once it passes a budget: junk behind an
// MP3's frames (zeros, say) would otherwise be buffered whole by FFmpeg's
// frame parser, gigabytes of memory for a padded file.
struct Source
{
    // A few seconds of the densest audio read, more than any container puts
    // between two audio packets.
    static constexpr uint64_t kBytesWithoutAudio = 4 * 1024 * 1024;

    CROStream* stream = nullptr;
    bool budgeted = false;
    uint64_t audioMark = 0; // where the stream was when audio last came out

    uint64_t Position() const
    {
        uint64_t position = 0;
        stream->Seek(0, CROStream::SeekCurrent, &position);
        return position;
    }

    // From here on the stream ends kBytesWithoutAudio bytes past the last audio.
    void MarkAudio()
    {
        budgeted = true;
        audioMark = Position();
    }
};

int ReadStream(void* opaque, uint8_t* buffer, int size)
{
    if (size <= 0)
        return 0;
    auto* source = static_cast<Source*>(opaque);
    uint32_t want = static_cast<uint32_t>(size);
    if (source->budgeted) {
        const uint64_t position = source->Position();
        const uint64_t end = source->audioMark + Source::kBytesWithoutAudio;
        if (position >= end)
            return AVERROR_EOF;
        want = static_cast<uint32_t>(std::min<uint64_t>(want, end - position));
    }
    uint32_t got = 0;
    if (source->stream->Read(buffer, want, &got) != S_OK)
        return AVERROR(EIO);
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int64_t SeekStream(void* opaque, int64_t offset, int whence)
{
    auto* stream = static_cast<Source*>(opaque)->stream;
    if (whence & AVSEEK_SIZE)
        return static_cast<int64_t>(stream->Size());
    uint32_t origin = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        origin = CROStream::SeekBegin;
        break;
    case SEEK_CUR:
        origin = CROStream::SeekCurrent;
        break;
    case SEEK_END:
        origin = CROStream::SeekEnd;
        break;
    default:
        return AVERROR(EINVAL);
    }
    uint64_t position = 0;
    if (stream->Seek(offset, origin, &position) != S_OK)
        return AVERROR(EINVAL);
    return static_cast<int64_t>(position);
}

// Demuxers that would open a second file (a playlist entry, an external
// index) are refused here as well as by the whitelist.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

// Of the containers read, only MP3 starts with an ID3v2 tag (an ASF file
// starts with its header object). Probing alone would miss the audio behind
// a tag longer than the probe buffer (large cover pictures), so such a file
// is taken as MP3 whatever it is named.
const AVInputFormat* ForcedFormat(CROStream& stream)
{
    uint8_t head[10] = {};
    uint32_t got = 0;
    const bool read = stream.Read(head, sizeof head, &got) == S_OK;
    stream.Seek(0, CROStream::SeekBegin, nullptr);
    if (!read || got != sizeof head || std::memcmp(head, "ID3", 3) != 0)
        return nullptr;
    // The size is four 7-bit bytes.
    if ((head[6] | head[7] | head[8] | head[9]) & 0x80)
        return nullptr;
    return av_find_input_format("mp3");
}

// A layout the resampler takes: an unordered one becomes the default order
// for its channel count.
void UsableLayout(const AVChannelLayout& from, AVChannelLayout* to)
{
    if (from.order == AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_copy(to, &from);
    else
        av_channel_layout_default(to, from.nb_channels);
}

// Where decoded s16 PCM goes: created when the first frame has decoded,
// appended to, and committed only when the whole stream decoded.
class PcmTarget
{
public:
    virtual ~PcmTarget() = default;
    virtual bool IsOpen() const = 0;
    virtual HRESULT Create(const WaveFormat& format) = 0;
    virtual HRESULT Append(const uint8_t* bytes, size_t count) = 0;
    virtual uint64_t DataSize() const = 0;
};

// A sample store the clip adopts once the decoding succeeded; destroyed
// without that, it goes with its file. It grows by doubling, so writing it
// costs no more than writing a file, and is cut to its size at the end.
class StoreTarget : public PcmTarget
{
public:
    static constexpr uint32_t kFirstCapacity = 4 * 1024 * 1024; // bytes

    bool IsOpen() const override { return m_store != nullptr; }

    HRESULT Create(const WaveFormat& format) override
    {
        m_format = format;
        m_store = CMappedTempFile::Create(kFirstCapacity);
        return m_store ? S_OK : HResultFromErrno(ENOSPC);
    }

    HRESULT Append(const uint8_t* bytes, size_t count) override
    {
        // The same limit as a WAV file, so both hold the same audio.
        if (count > kMaxDataSize - m_dataSize)
            return HResultFromErrno(EFBIG);
        const uint64_t end = m_dataSize + count;
        if (end > m_store->GetSize()) {
            const uint64_t grown = std::min<uint64_t>(
                std::max<uint64_t>(end, uint64_t{m_store->GetSize()} * 2), UINT32_MAX);
            if (!m_store->Resize(static_cast<uint32_t>(grown)))
                return HResultFromErrno(ENOSPC);
        }
        if (!m_store->WriteAt(m_dataSize, bytes, count))
            return HResultFromErrno(errno ? errno : EIO);
        m_dataSize = end;
        return S_OK;
    }

    uint64_t DataSize() const override { return m_dataSize; }

    // Cuts the store to the decoded bytes and hands it to clip.
    HRESULT Commit(CWaveDoc& clip)
    {
        if (!IsOpen())
            return E_FAIL;
        if (!m_store->Resize(static_cast<uint32_t>(m_dataSize)))
            return HResultFromErrno(EIO);
        clip.AdoptStore(m_format, std::move(m_store));
        return S_OK;
    }

private:
    std::unique_ptr<CMappedTempFile> m_store;
    WaveFormat m_format;
    uint64_t m_dataSize = 0; // bytes
};

// The WAV file under construction: a temporary file beside the target,
// renamed onto it by Commit; destroyed without a commit, it is removed.
class WavTarget : public PcmTarget
{
public:
    explicit WavTarget(const QString& path) : m_path(path), m_targetName(QFile::encodeName(path))
    {
    }
    WavTarget(const WavTarget&) = delete;
    WavTarget& operator=(const WavTarget&) = delete;
    ~WavTarget() override
    {
        if (m_fd >= 0)
            close(m_fd);
        if (!m_tempName.isEmpty())
            unlink(m_tempName.constData());
    }

    // E_INVALIDARG when the target exists as anything but a regular file:
    // the path is replaced, never followed into a link, device or FIFO.
    HRESULT CheckPath() const
    {
        struct stat info = {};
        if (lstat(m_targetName.constData(), &info) == 0)
            return S_ISREG(info.st_mode) ? S_OK : E_INVALIDARG;
        return errno == ENOENT ? S_OK : HResultFromErrno(errno);
    }

    // Whether Create made the file and Commit has not yet closed it.
    bool IsOpen() const override { return m_fd >= 0; }

    // Checks the path again, removes an old target and writes the header
    // with empty sizes.
    HRESULT Create(const WaveFormat& format) override
    {
        const HRESULT checked = CheckPath();
        if (checked != S_OK)
            return checked;
        const QFileInfo target(m_path);
        QByteArray name =
            QFile::encodeName(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return HResultFromErrno(errno);
        m_fd = fd;
        m_tempName = name;
        if (unlink(m_targetName.constData()) != 0 && errno != ENOENT)
            return HResultFromErrno(errno);

        // The sizes of an empty file until Commit fills them in.
        uint8_t header[kWaveHeaderSize];
        FillWaveHeader(header, format, 0);
        return Write(0, header, kWaveHeaderSize);
    }

    HRESULT Append(const uint8_t* bytes, size_t count) override
    {
        if (count > kMaxDataSize - m_dataSize)
            return HResultFromErrno(EFBIG);
        const uint64_t offset = kWaveHeaderSize + m_dataSize;
        m_dataSize += count;
        return Write(offset, bytes, count);
    }

    uint64_t DataSize() const override { return m_dataSize; }

    // Fills in the two sizes, closes the file and renames it onto the target.
    HRESULT Commit()
    {
        if (!IsOpen())
            return E_FAIL;
        uint8_t size[4];
        StoreU32(size, static_cast<uint32_t>(m_dataSize + kWaveHeaderSize - 8));
        HRESULT written = Write(kWaveRiffSizeOffset, size, 4);
        if (written != S_OK)
            return written;
        StoreU32(size, static_cast<uint32_t>(m_dataSize));
        written = Write(kWaveDataSizeOffset, size, 4);
        if (written != S_OK)
            return written;
        const int fd = m_fd;
        m_fd = -1;
        if (close(fd) != 0)
            return HResultFromErrno(errno);
        if (rename(m_tempName.constData(), m_targetName.constData()) != 0)
            return HResultFromErrno(errno);
        m_tempName.clear();
        return S_OK;
    }

private:
    HRESULT Write(uint64_t offset, const uint8_t* bytes, size_t count)
    {
        return WriteAllAt(m_fd, offset, bytes, count) ? S_OK : HResultFromErrno(errno);
    }

    QString m_path;
    QByteArray m_targetName;
    int m_fd = -1;
    QByteArray m_tempName;   // empty until created and once renamed onto the target
    uint64_t m_dataSize = 0; // bytes
};

// The FFmpeg side of one conversion: our stream behind an I/O context, the
// demuxer, the decoder of one audio stream and the converter to s16.
class Decoder
{
public:
    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder()
    {
        swr_free(&m_resampler);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
        avformat_close_input(&m_format);
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
        av_channel_layout_uninit(&m_outLayout);
        av_channel_layout_uninit(&m_inLayout);
    }

    // Opens the container on stream (named name, for probing by extension
    // only) and the decoder of its first audio stream.
    HRESULT Open(CROStream* stream, const QString& name)
    {
        const HRESULT opened = OpenContainer(stream, name);
        return opened == S_OK ? OpenAudio() : opened;
    }

    // The container alone: its tags are read by now.
    HRESULT OpenContainer(CROStream* stream, const QString& name)
    {
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        if (!buffer)
            return E_OUTOFMEMORY;
        m_source.stream = stream;
        m_io = avio_alloc_context(buffer, kIoBufferSize, 0, &m_source, ReadStream, nullptr,
                                  SeekStream);
        if (!m_io) {
            av_free(buffer);
            return E_OUTOFMEMORY;
        }
        m_format = avformat_alloc_context();
        if (!m_format)
            return E_OUTOFMEMORY;
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        m_format->io_open = RefuseOpen;

        AVDictionary* options = nullptr;
        av_dict_set(&options, "format_whitelist", kDemuxers, 0);
        av_dict_set(&options, "protocol_whitelist", kNoProtocols, 0);
        av_dict_set(&options, "codec_whitelist", kDecoders, 0);
        const QByteArray url = name.toUtf8();
        // On failure the context is freed and set to null; the I/O context
        // stays ours.
        int result =
            avformat_open_input(&m_format, url.constData(), ForcedFormat(*stream), &options);
        av_dict_free(&options);
        return result < 0 ? FromAvError(result) : S_OK;
    }

    const AVDictionary* Tags() const { return m_format ? m_format->metadata : nullptr; }

    HRESULT OpenAudio()
    {
        for (unsigned i = 0; i < m_format->nb_streams; ++i) {
            AVStream* candidate = m_format->streams[i];
            if (m_index < 0 && candidate->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                m_index = static_cast<int>(i);
            else
                candidate->discard = AVDISCARD_ALL;
        }
        if (m_index < 0)
            return WmaToWavConverter::kNoAudioStream;

        const AVStream* audio = m_format->streams[m_index];
        const AVCodec* codec = avcodec_find_decoder(audio->codecpar->codec_id);
        if (!codec)
            return WmaToWavConverter::kUnreadableSource;
        m_codec = avcodec_alloc_context3(codec);
        if (!m_codec)
            return E_OUTOFMEMORY;
        int result = avcodec_parameters_to_context(m_codec, audio->codecpar);
        if (result < 0)
            return FromAvError(result);
        m_codec->pkt_timebase = audio->time_base;
        m_codec->thread_count = 1;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "codec_whitelist", kDecoders, 0);
        result = avcodec_open2(m_codec, codec, &options);
        av_dict_free(&options);
        if (result < 0)
            return FromAvError(result);

        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_packet || !m_frame)
            return E_OUTOFMEMORY;
        return S_OK;
    }

    int StreamIndex() const { return m_index; }
    const WaveFormat& PcmFormat() const { return m_pcm; }

    // Decodes every packet of the stream into target, which is created when
    // the first frame has decoded. Ends with the file's end, once
    // Source::kBytesWithoutAudio bytes gave no audio, or where the container
    // turns unreadable: damage behind the audio (a broken download's tail)
    // costs only itself. Fails on a read error, on a failed write, when the
    // audio passes maxDataBytes (kTooLong) and when nothing at all decodes.
    HRESULT Run(PcmTarget& target, uint64_t maxDataBytes)
    {
        m_maxDataBytes = maxDataBytes;
        m_source.MarkAudio();
        // Every pass reads a packet from the file or ends the loop, so the
        // file's length bounds it.
        for (;;) {
            const int result = av_read_frame(m_format, m_packet);
            if (result == AVERROR_EOF)
                break;
            if (result == AVERROR(ENOMEM))
                return E_OUTOFMEMORY;
            if (result == AVERROR(EIO))
                return HResultFromErrno(EIO);
            if (result < 0)
                break;
            if (m_packet->stream_index != m_index) {
                av_packet_unref(m_packet);
                continue;
            }
            const int sent = avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
            if (sent == AVERROR(ENOMEM))
                return E_OUTOFMEMORY;
            if (sent < 0)
                continue;
            const HRESULT drained = Drain(target);
            if (drained != S_OK)
                return drained;
        }
        // A read that failed inside the file may surface as an end.
        if (m_io->error < 0 && m_io->error != AVERROR_EOF)
            return HResultFromErrno(EIO);

        if (avcodec_send_packet(m_codec, nullptr) == 0) {
            const HRESULT drained = Drain(target);
            if (drained != S_OK)
                return drained;
        }
        const HRESULT flushed = FlushResampler(target);
        if (flushed != S_OK)
            return flushed;
        return target.IsOpen() && target.DataSize() > 0 ? S_OK
                                                        : WmaToWavConverter::kUnreadableSource;
    }

private:
    // Takes every frame the decoder has ready.
    HRESULT Drain(PcmTarget& target)
    {
        for (int errors = 0;;) {
            const int result = avcodec_receive_frame(m_codec, m_frame);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return S_OK;
            if (result < 0) {
                if (result == AVERROR(ENOMEM))
                    return E_OUTOFMEMORY;
                if (++errors > kMaxConsecutiveErrors)
                    return S_OK;
                continue;
            }
            errors = 0;
            if (m_frame->nb_samples > 0)
                m_source.MarkAudio();
            const HRESULT written = WriteFrame(target);
            av_frame_unref(m_frame);
            if (written != S_OK)
                return written;
        }
    }

    // Whether the resampler was set up for frames like the current one.
    bool ResamplerMatches() const
    {
        return m_resampler && m_frame->format == m_inFormat && m_frame->sample_rate == m_inRate &&
               av_channel_layout_compare(&m_frame->ch_layout, &m_inLayout) == 0;
    }

    // The WAV file takes the rate and channel count of the first frame; a
    // later frame that differs is converted to them.
    HRESULT CreateTarget(PcmTarget& target)
    {
        const int channels = m_frame->ch_layout.nb_channels;
        const int rate = m_frame->sample_rate;
        if (uint64_t{static_cast<unsigned>(rate)} * 2 * 2 > UINT32_MAX)
            return WmaToWavConverter::kUnreadableSource;
        // Clips hold mono or stereo: surround audio is mixed down to stereo.
        if (channels > 2)
            av_channel_layout_default(&m_outLayout, 2);
        else
            UsableLayout(m_frame->ch_layout, &m_outLayout);
        m_outRate = rate;
        m_pcm = MakePcmFormat(static_cast<uint16_t>(m_outLayout.nb_channels),
                              static_cast<uint32_t>(rate), 16);
        return target.Create(m_pcm);
    }

    HRESULT WriteFrame(PcmTarget& target)
    {
        if (m_frame->nb_samples <= 0)
            return S_OK;
        if (m_frame->sample_rate <= 0 || m_frame->ch_layout.nb_channels <= 0)
            return WmaToWavConverter::kUnreadableSource;
        if (!target.IsOpen()) {
            const HRESULT created = CreateTarget(target);
            if (created != S_OK)
                return created;
        }
        if (!ResamplerMatches()) {
            // Samples still held for the old input go out first.
            const HRESULT flushed = FlushResampler(target);
            if (flushed != S_OK)
                return flushed;
            swr_free(&m_resampler);
            av_channel_layout_uninit(&m_inLayout);
            av_channel_layout_copy(&m_inLayout, &m_frame->ch_layout);
            m_inFormat = m_frame->format;
            m_inRate = m_frame->sample_rate;
            AVChannelLayout inLayout = {};
            UsableLayout(m_inLayout, &inLayout);
            const int made = swr_alloc_set_opts2(
                &m_resampler, &m_outLayout, AV_SAMPLE_FMT_S16, m_outRate, &inLayout,
                static_cast<AVSampleFormat>(m_inFormat), m_inRate, 0, nullptr);
            av_channel_layout_uninit(&inLayout);
            if (made < 0 || swr_init(m_resampler) < 0) {
                swr_free(&m_resampler);
                return WmaToWavConverter::kUnreadableSource;
            }
        }
        const int room = swr_get_out_samples(m_resampler, m_frame->nb_samples);
        if (room < 0)
            return WmaToWavConverter::kUnreadableSource;
        return Convert(target, const_cast<const uint8_t**>(m_frame->extended_data),
                       m_frame->nb_samples, room);
    }

    // Writes what the resampler still holds (its delay when it changes rate).
    HRESULT FlushResampler(PcmTarget& target)
    {
        if (!m_resampler)
            return S_OK;
        const int room = swr_get_out_samples(m_resampler, 0);
        if (room <= 0)
            return S_OK;
        return Convert(target, nullptr, 0, room);
    }

    HRESULT Convert(PcmTarget& target, const uint8_t** input, int inputFrames, int room)
    {
        const size_t frameBytes = m_pcm.blockAlign;
        if (m_samples.size() < static_cast<size_t>(room) * frameBytes) {
            try {
                m_samples.resize(static_cast<size_t>(room) * frameBytes);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
        }
        uint8_t* output = m_samples.data();
        const int frames = swr_convert(m_resampler, &output, room, input, inputFrames);
        if (frames < 0)
            return WmaToWavConverter::kUnreadableSource;
        const size_t bytes = static_cast<size_t>(frames) * frameBytes;
        if (bytes > m_maxDataBytes - std::min(m_maxDataBytes, target.DataSize()))
            return WmaToWavConverter::kTooLong;
        return target.Append(m_samples.data(), bytes);
    }

    Source m_source;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    SwrContext* m_resampler = nullptr;
    int m_index = -1;
    uint64_t m_maxDataBytes = kMaxDataSize;
    AVChannelLayout m_outLayout = {};
    int m_outRate = 0;
    // What the resampler was set up for.
    AVChannelLayout m_inLayout = {};
    int m_inFormat = -1;
    int m_inRate = 0;
    WaveFormat m_pcm;
    std::vector<uint8_t> m_samples; // s16 output of one frame
};

} // namespace

WmaToWavConverter::WmaToWavConverter() = default;

namespace {

// Opens path as the stream the decoder reads and gives the decoded stream's
// index; the stream is kept by the caller for as long as the decoder runs.
HRESULT OpenSource(std::unique_ptr<CROStream>& stream, const QString& path, Decoder& decoder,
                   int& streamIndex)
{
    stream.reset(new (std::nothrow) CROStream);
    if (!stream)
        return E_OUTOFMEMORY;
    const HRESULT opened = stream->Open(path);
    if (opened != S_OK)
        return opened;
    const HRESULT result = decoder.Open(stream.get(), path);
    if (result == S_OK)
        streamIndex = decoder.StreamIndex();
    return result;
}

} // namespace

// The stream outlives the decoder: Convert's decoder is gone before this.
WmaToWavConverter::~WmaToWavConverter() = default;

HRESULT WmaToWavConverter::Convert(const QString& sourcePath, const QString& wavPath,
                                   uint64_t maxDataBytes)
{
    if (sourcePath.isEmpty() || wavPath.isEmpty())
        return E_INVALIDARG;
    Decoder decoder;
    HRESULT result = OpenSource(m_stream, sourcePath, decoder, m_streamIndex);
    if (result != S_OK)
        return result;

    // A target that could never be written is refused before decoding.
    WavTarget target(wavPath);
    result = target.CheckPath();
    if (result == S_OK)
        result = decoder.Run(target, maxDataBytes);
    if (result == S_OK)
        result = target.Commit();
    if (result == S_OK || result == kTooLong)
        m_pcmFormat = decoder.PcmFormat();
    return result;
}

HRESULT WmaToWavConverter::ConvertToClip(const QString& sourcePath, CWaveDoc& clip)
{
    if (sourcePath.isEmpty())
        return E_INVALIDARG;
    Decoder decoder;
    HRESULT result = OpenSource(m_stream, sourcePath, decoder, m_streamIndex);
    if (result != S_OK)
        return result;
    StoreTarget target;
    result = decoder.Run(target, kMaxDataSize);
    if (result == S_OK)
        result = target.Commit(clip);
    if (result == S_OK)
        m_pcmFormat = decoder.PcmFormat();
    return result;
}

bool WmaToWavConverter::ReadTags(const QString& sourcePath,
                                 std::vector<std::pair<std::string, std::string>>& tags)
{
    tags.clear();
    CROStream stream;
    if (sourcePath.isEmpty() || stream.Open(sourcePath) != S_OK)
        return false;
    Decoder decoder;
    if (decoder.OpenContainer(&stream, sourcePath) != S_OK)
        return false;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(decoder.Tags(), "", entry, AV_DICT_IGNORE_SUFFIX)))
        tags.emplace_back(entry->key, entry->value);
    return true;
}
