#include "audio/WaveDoc.h"

#include "audio/PcmConvert.h"
#include "audio/PcmMix.h"
#include "audio/WaveDataReader.h"

#include <libresample.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <new>
#include <numeric>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Where the samples of one pass come from and go to. A pass is one run of
// libresample over one channel: channel 0 (the mono mix under mono
// reduction) or channel 1 of a stereo source.
struct ConvertJob
{
    const PcmSourceReader* read = nullptr;
    CMappedTempFile* target = nullptr; // none until the frame count is known
    uint32_t sourceAlign = 0;
    int sourceBits = 0;
    bool monoReduction = false;
    uint32_t targetAlign = 0;
    uint32_t targetSample = 0; // bytes
    int targetBits = 0;
    bool targetStereo = false;
    bool secondPass = false; // channel 1 has a pass of its own
    double factor = 1;
    // A fresh resampler each pass copies: building the filter table anew
    // for every segment costs more than the copy.
    const void* prototype = nullptr;
    int64_t frames = 0;     // source frames
    int64_t outFrames = 0;  // frames the new store holds
    int64_t latticeIn = 1;  // source frames of one lattice step
    int64_t latticeOut = 1; // output frames of the same step
};

// Source frames read and converted to floats at a time; libresample's output
// taken at a time.
constexpr int64_t kReadBytes = 256 * 1024;
constexpr int kOutputBlock = 16384;
// Bytes copied at a time where nothing is converted.
constexpr uint64_t kCopyBytes = 4 * 1024 * 1024;
// The end of the clip is converted first, into memory, to learn the frame
// count before the store is made; at most this many output frames.
constexpr int64_t kTailFrames = 32768;
// Source frames of one segment of the body. Where segments meet, the samples
// may differ from a single pass in the last bits, so their places must not
// follow the machine (its core count): the same file converts to the same
// bytes everywhere. Counted in source frames, which cost the filter alike up
// and down; short enough to keep many cores busy, long enough to pay for a
// segment's overlap and its resampler's buffers.
constexpr int64_t kSegmentSourceFrames = 2097152;

// Collects the output of one pass and writes it into the target in large
// blocks: each write of a mapping ends in an unmap, which stops every core
// running this process to flush its address cache.
class OutputWriter
{
public:
    static constexpr int64_t kBlockFrames = 65536;

    OutputWriter(const ConvertJob& job, int pass) : m_job(job), m_pass(pass) {}

    // Takes count values for the frames from first on (following the last ones).
    bool Add(int64_t first, const float* values, int64_t count)
    {
        if (m_values.empty()) {
            m_values.reserve(kBlockFrames);
            m_first = first;
        }
        while (count > 0) {
            const int64_t room = kBlockFrames - static_cast<int64_t>(m_values.size());
            const int64_t take = std::min(room, count);
            m_values.insert(m_values.end(), values, values + take);
            values += take;
            count -= take;
            if (static_cast<int64_t>(m_values.size()) == kBlockFrames && !Flush())
                return false;
        }
        return true;
    }

    bool Flush()
    {
        const int64_t first = m_first;
        const int64_t count =
            std::min(static_cast<int64_t>(m_values.size()), m_job.outFrames - first);
        m_first += static_cast<int64_t>(m_values.size());
        const float* values = m_values.data();
        m_values.clear();
        if (count <= 0)
            return true;
        const uint64_t align = m_job.targetAlign;
        const uint64_t offset = static_cast<uint64_t>(first) * align;
        const uint64_t length = static_cast<uint64_t>(count) * align;
        // A mono source fills both slots of a stereo target from channel 0.
        const bool bothSlots = m_pass == 0 && m_job.targetStereo && !m_job.secondPass;
        const auto fill = [&](uint8_t* out) {
            for (int64_t i = 0; i < count; ++i) {
                uint8_t* frame = out + i * align;
                if (m_pass == 0) {
                    StorePcmOutput(frame, m_job.targetBits, values[i]);
                    if (bothSlots)
                        StorePcmOutput(frame + m_job.targetSample, m_job.targetBits, values[i]);
                } else if (m_job.targetStereo) {
                    StorePcmOutput(frame + m_job.targetSample, m_job.targetBits, values[i]);
                }
            }
        };
        if (!m_job.secondPass) {
            // The frames are this pass's alone: whole frames go in with one
            // write, other slots zero as the new store is.
            m_bytes.assign(length, 0);
            fill(m_bytes.data());
            return m_job.target->WriteAt(offset, m_bytes.data(), length);
        }
        // The other channel's pass writes the other slots of the same frames.
        const CMappedView out = m_job.target->MapView(offset, length);
        if (!out)
            return false;
        fill(out.data());
        return true;
    }

private:
    const ConvertJob& m_job;
    int m_pass;
    std::vector<float> m_values;
    int64_t m_first = 0;
    std::vector<uint8_t> m_bytes;
};

// Runs one pass over source frames [inFrom, inTo) through a new resampler,
// the last input marked as the end. inFrom lies on the lattice, so local
// output j is output frame base + j. Output frames [keepFrom, keepTo) go to
// keep(first, values, count); the rest is overlap and is dropped. Returns the
// frame after the last one produced, or -1 on failure.
template <typename Keep>
int64_t RunPass(const ConvertJob& job, int pass, int64_t inFrom, int64_t inTo, int64_t keepFrom,
                int64_t keepTo, Keep&& keep)
{
    void* resampler = resample_dup(job.prototype);
    if (!resampler)
        return -1;
    const int64_t blockFrames = std::max<int64_t>(1, kReadBytes / job.sourceAlign);
    std::vector<uint8_t> raw;
    std::vector<float> input;
    std::vector<float> output;
    try {
        raw.resize(static_cast<size_t>(std::min(blockFrames, inTo - inFrom)) * job.sourceAlign);
        input.resize(static_cast<size_t>(std::min(blockFrames, inTo - inFrom)));
        output.resize(kOutputBlock);
    } catch (const std::bad_alloc&) {
        resample_close(resampler);
        return -1;
    }
    int64_t next = inFrom / job.latticeIn * job.latticeOut; // output frame of local 0
    int64_t position = inFrom;
    bool failed = false;
    bool done = inFrom >= inTo;
    // An empty input still runs once, marked as the end, as a whole clip does.
    do {
        const int count = static_cast<int>(std::min(blockFrames, inTo - position));
        if (count > 0) {
            if (!(*job.read)(static_cast<uint64_t>(position) * job.sourceAlign, raw.data(),
                             static_cast<uint64_t>(count) * job.sourceAlign)) {
                failed = true;
                break;
            }
            for (int i = 0; i < count; ++i) {
                const uint8_t* frame = raw.data() + static_cast<size_t>(i) * job.sourceAlign;
                input[i] = pass == 0 ? FirstChannelInput(frame, job.sourceBits, job.monoReduction)
                                     : SecondChannelInput(frame, job.sourceBits);
            }
        }
        position += count;
        const bool last = position >= inTo;
        int used = 0;
        for (;;) {
            int consumed = 0;
            const int got =
                resample_process(resampler, job.factor, input.data() + used, count - used,
                                 last ? 1 : 0, &consumed, output.data(), kOutputBlock);
            if (got < 0) {
                failed = done = true;
                break;
            }
            used += consumed;
            const int64_t from = std::max(next, keepFrom);
            const int64_t to = std::min(next + got, keepTo);
            if (from < to && !keep(from, output.data() + (from - next), to - from)) {
                failed = true;
                done = true;
                break;
            }
            next += got;
            if (next >= keepTo) {
                done = true; // the rest is overlap
                break;
            }
            // Stop when nothing more comes out, also when the output is full
            // and input is left (no further call could make progress).
            if (got == 0 && (used >= count || consumed == 0)) {
                if (used < count) // input left over that nothing takes
                    failed = done = true;
                break;
            }
        }
        done = done || last;
    } while (!done);
    resample_close(resampler);
    return failed ? -1 : next;
}

// Copies the source's bytes into the start of store in large blocks.
bool CopyFrom(const PcmSourceReader& read, uint64_t bytes, CMappedTempFile& store)
{
    std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(bytes, kCopyBytes)));
    for (uint64_t done = 0; done < bytes;) {
        const uint64_t count = std::min<uint64_t>(kCopyBytes, bytes - done);
        if (!read(done, block.data(), count) || !store.WriteAt(done, block.data(), count))
            return false;
        done += count;
    }
    return true;
}

// Runs tasks on up to threads threads (the caller's among them); false when
// any of them failed.
bool RunTasks(std::vector<std::function<bool()>>& tasks, unsigned threads)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    const auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < tasks.size();) {
            try {
                if (!tasks[i]())
                    ok = false;
            } catch (...) { // out of memory: the conversion fails, the program goes on
                ok = false;
            }
        }
    };
    std::vector<std::thread> pool;
    const size_t helpers = std::min<size_t>(threads, tasks.size()) - 1;
    for (size_t i = 0; i < helpers; ++i) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break; // fewer threads do the same work
        }
    }
    work();
    for (std::thread& thread : pool)
        thread.join();
    return ok;
}

} // namespace

std::unique_ptr<CWaveDoc> CWaveDoc::ConvertFormat(const WaveFormat& target) const
{
    return ConvertFormat(target, ConvertSplit{});
}

std::unique_ptr<CWaveDoc> CWaveDoc::ConvertFormat(const WaveFormat& target,
                                                  const ConvertSplit& split) const
{
    if (!m_store)
        return nullptr;
    const CMappedTempFile& store = *m_store;
    const PcmSourceReader read = [&store](uint64_t offset, void* buffer, uint64_t length) {
        return store.ReadAt(offset, buffer, length);
    };
    auto converted =
        ConvertSamples(read, m_format, store.GetSize(), target, split, m_playerFactory);
    if (converted)
        converted->SetStart(m_start);
    return converted;
}

int CWaveDoc::ReadConverted(const WaveDataReader& reader, const WaveFormat& target)
{
    return ReadConverted(reader, target, ConvertSplit{});
}

int CWaveDoc::ReadConverted(const WaveDataReader& reader, const WaveFormat& target,
                            const ConvertSplit& split)
{
    FreeStore();
    if (!reader.HasData() || reader.GetSize() > UINT32_MAX)
        return 0;
    const PcmSourceReader read = [&reader](uint64_t offset, void* buffer, uint64_t length) {
        return reader.ReadAt(offset, buffer, length);
    };
    if (reader.GetFormat() == target) {
        // Nothing to convert: the samples are copied as ReadWaveFile copies them.
        if (!CreateStore(static_cast<uint32_t>(reader.GetSize())))
            return 0;
        SetFormat(target);
        if (!CopyFrom(read, reader.GetSize(), *m_store)) {
            FreeStore();
            return 0;
        }
        return 1;
    }
    auto converted =
        ConvertSamples(read, reader.GetFormat(), reader.GetSize(), target, split, m_playerFactory);
    if (!converted)
        return 0;
    AdoptStore(converted->GetFormat(), std::move(converted->m_store));
    return 1;
}

std::unique_ptr<CWaveDoc> CWaveDoc::ConvertSamples(const PcmSourceReader& read,
                                                   const WaveFormat& from, uint64_t sourceBytes,
                                                   const WaveFormat& target,
                                                   const ConvertSplit& split,
                                                   const PlayerFactory& playerFactory)
{
    const int targetBits = target.bitsPerSample;
    if (targetBits != 8 && targetBits != 16)
        return nullptr;
    if (from.blockAlign == 0 || target.blockAlign == 0 || from.samplesPerSec == 0 ||
        target.samplesPerSec == 0 || target.channels == 0)
        return nullptr;

    ConvertJob job;
    job.read = &read;
    job.sourceAlign = from.blockAlign;
    job.sourceBits = from.bitsPerSample;
    const bool sourceStereo = from.channels == 2;
    job.targetStereo = target.channels == 2;
    job.monoReduction = sourceStereo && target.channels == 1;
    job.secondPass = sourceStereo && !job.monoReduction;
    // Frames must hold the samples read from and written to them.
    const uint32_t sourceSample =
        (job.sourceBits == 8 || job.sourceBits == 16) ? job.sourceBits / 8 : 0;
    if (from.blockAlign < sourceSample * (sourceStereo ? 2 : 1))
        return nullptr;
    job.targetBits = targetBits;
    job.targetSample = targetBits / 8;
    job.targetAlign = target.blockAlign;
    if (target.blockAlign < job.targetSample * (job.targetStereo ? 2 : 1))
        return nullptr;

    job.factor =
        static_cast<double>(target.samplesPerSec) / static_cast<double>(from.samplesPerSec);
    if (job.factor < kMinFactor || job.factor > kMaxFactor)
        return nullptr;
    job.frames = static_cast<int64_t>(sourceBytes / from.blockAlign);
    const int64_t capacity =
        static_cast<int64_t>(static_cast<double>(job.frames) * job.factor) + kOutputSlack;
    if (job.frames + kBufferSlack > INT_MAX || capacity + kBufferSlack > INT_MAX)
        return nullptr;

    // Source frame s and output frame s * factor meet exactly where s is a
    // multiple of latticeIn: a resampler started there gives the frames a
    // single pass gives, so segments start and end on the lattice.
    const uint32_t common = std::gcd(target.samplesPerSec, from.samplesPerSec);
    job.latticeIn = from.samplesPerSec / common;
    job.latticeOut = target.samplesPerSec / common;
    // Each segment reads this much input before and after its own, so its
    // kept frames never see the resampler's zero padding.
    const std::unique_ptr<void, void (*)(void*)> prototype(
        resample_open(1, job.factor, job.factor), resample_close);
    if (!prototype)
        return nullptr;
    job.prototype = prototype.get();
    int64_t overlap = resample_get_filter_width(prototype.get()) + 16;
    overlap = (overlap + job.latticeIn - 1) / job.latticeIn * job.latticeIn;
    // The frame count of a single pass, near enough to place the segments
    // (the tail's pass gives the exact one).
    const int64_t estimate =
        static_cast<int64_t>((static_cast<unsigned __int128>(job.frames) * target.samplesPerSec +
                              from.samplesPerSec - 1) /
                             from.samplesPerSec);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned threads = split.threads ? split.threads : cores;
    const int64_t tailFrames =
        split.segmentFrames ? std::min<int64_t>(split.segmentFrames, kTailFrames) : kTailFrames;
    // The tail starts on the lattice, far enough before the end that it gives
    // the last frames; all before it is the body.
    int64_t bodySteps = std::max<int64_t>(0, estimate - tailFrames) / job.latticeOut;
    bodySteps = std::min(bodySteps, std::max<int64_t>(0, job.frames - overlap) / job.latticeIn);
    const int passes = job.secondPass ? 2 : 1;

    // The tail first, into memory: its last frame fixes the count.
    std::vector<float> tail[2];
    int64_t produced = 0;
    const int64_t tailOut = bodySteps * job.latticeOut;
    const int64_t tailIn = bodySteps > 0 ? bodySteps * job.latticeIn - overlap : 0;
    {
        std::vector<std::function<bool()>> tasks;
        int64_t ends[2] = {-1, -1};
        for (int pass = 0; pass < passes; ++pass) {
            tasks.emplace_back([&, pass] {
                ends[pass] =
                    RunPass(job, pass, tailIn, job.frames, tailOut, INT64_MAX,
                            [&](int64_t first, const float* values, int64_t count) {
                                tail[pass].insert(tail[pass].end(), values, values + count);
                                (void)first;
                                return true;
                            });
                return ends[pass] >= 0;
            });
        }
        if (!RunTasks(tasks, threads))
            return nullptr;
        produced = ends[0];
    }

    // The frame count is cut to a multiple of the target's block alignment.
    job.outFrames = produced - produced % target.blockAlign;
    const uint64_t outSize = static_cast<uint64_t>(job.outFrames) * target.blockAlign;
    if (outSize > UINT32_MAX)
        return nullptr;
    auto converted = std::make_unique<CWaveDoc>(playerFactory);
    converted->SetFormat(target);
    if (!converted->CreateStore(static_cast<uint32_t>(outSize)))
        return nullptr;
    job.target = converted->m_store.get();

    // The body in segments, every segment and channel a task of its own.
    std::vector<std::function<bool()>> tasks;
    if (bodySteps > 0) {
        const int64_t wanted =
            split.segmentFrames
                ? split.segmentFrames
                : std::max<int64_t>(1, kSegmentSourceFrames / job.latticeIn * job.latticeOut);
        const int64_t segments =
            std::max<int64_t>(1, std::min<int64_t>(bodySteps, (tailOut + wanted - 1) / wanted));
        for (int64_t i = 0; i < segments; ++i) {
            const int64_t fromStep = bodySteps * i / segments;
            const int64_t toStep = bodySteps * (i + 1) / segments;
            const int64_t keepFrom = fromStep * job.latticeOut;
            const int64_t keepTo = toStep * job.latticeOut;
            const int64_t inFrom = std::max<int64_t>(0, fromStep * job.latticeIn - overlap);
            const int64_t inTo = std::min(job.frames, toStep * job.latticeIn + overlap);
            for (int pass = 0; pass < passes; ++pass) {
                tasks.emplace_back([&job, pass, inFrom, inTo, keepFrom, keepTo] {
                    OutputWriter writer(job, pass);
                    return RunPass(job, pass, inFrom, inTo, keepFrom, keepTo,
                                   [&](int64_t first, const float* values, int64_t count) {
                                       return writer.Add(first, values, count);
                                   }) >= 0 &&
                           writer.Flush();
                });
            }
        }
    }
    for (int pass = 0; pass < passes; ++pass) {
        tasks.emplace_back([&job, &tail, tailOut, pass] {
            OutputWriter writer(job, pass);
            return writer.Add(tailOut, tail[pass].data(),
                              static_cast<int64_t>(tail[pass].size())) &&
                   writer.Flush();
        });
    }
    if (!RunTasks(tasks, threads))
        return nullptr;
    return converted;
}

int CWaveDoc::MixFrom(const CWaveDoc& source, uint32_t destOffset, uint32_t sourceOffset,
                      uint32_t count)
{
    if (!IsSameFormat(source.m_format))
        return 0;
    const int bits = m_format.bitsPerSample;
    if ((bits != 8 && bits != 16) || !m_store || !source.m_store)
        return 0;
    const uint32_t destSize = m_store->GetSize();
    const uint32_t sourceSize = source.m_store->GetSize();
    count = std::min(count, destOffset < destSize ? destSize - destOffset : 0);
    count = std::min(count, sourceOffset < sourceSize ? sourceSize - sourceOffset : 0);
    const uint32_t samples = count / (bits / 8);
    if (samples == 0)
        return 1;

    const CMappedView dest = m_store->MapView(destOffset, count);
    const CMappedView from = source.m_store->MapView(sourceOffset, count);
    if (!dest || !from)
        return 0;
    m_peaks.reset();
    MixPcm(dest.data(), from.data(), samples * (bits / 8), bits);
    return 1;
}
