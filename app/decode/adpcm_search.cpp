// The search encoder: a beam search over the decoder state for the codes whose decoded
// samples come closest to the input in squared error.
//
// A path is a decoder state (predictor, step index) with the squared error of the samples
// its codes decode to. Each sample extends every path by six codes: the two nearest of the
// magnitudes 0 to 3, which lower the step index by 1, and each magnitude 4 to 7 with the
// sign towards the sample, which raise it by 2 to 8; the greedy encoder cannot plan these
// (a larger step ahead of an attack, a smaller one after it, a clamp at full scale). Paths
// that reach one step index with predictors within 1/32 of its step merge into the cheaper
// one, and at most two are kept per step index. They are ranked by their error plus the
// greedy error of the next sample; those ranked more than an eighth of the best one's
// squared step behind it are dropped, and at most 48 are kept. Codes are fixed with a delay of 512
// to 1024 samples: every 512 samples the best path's node of 512 samples before is chosen,
// the paths not descending from it are dropped and the codes leading to it are written.
#include "app/decode/adpcm_encode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>

namespace {

constexpr int MaxPaths = 48;
constexpr int PathsPerStepIndex = 2; // Offer is written for two
constexpr int MaxCandidates = StepTableSize * PathsPerStepIndex;
// Two predictors at one step index closer than its step >> MergeShift are one state.
constexpr int MergeShift = 5;
// How far behind the best path's rank another may rank and stay: its squared step over
// this. 4 keeps half again as many paths for some 0.1 dB more on speech.
constexpr uint64_t MarginDivisor = 8;
// Samples between two commit points; codes are fixed one interval behind the newest.
constexpr int64_t CommitSamples = 512;
constexpr int64_t LinkRingSamples = 2 * CommitSamples;
// Samples between two questions to the stop request: some 40 ms of searching on one core.
constexpr int64_t StopCheckSamples = 65536;
// Samples of one call at most: the squared errors, each below 2^32, then sum below 2^64.
constexpr int64_t MaxSearchSamples = int64_t{1} << 32;

// 16 bytes, so that the many copies of a path are one vector move each.
struct Path {
    uint64_t error; // squared error of the samples decoded so far
    int32_t predictor;
    uint8_t stepIndex;
    uint8_t root;  // position of the path's node in the beam at the last commit point
    uint16_t link; // position of the path it extends << 4 | the code of the last sample
};

// An empty extension slot: an error above any path's, a predictor no predictor is near.
constexpr uint64_t FreeError = UINT64_MAX;
constexpr int32_t FreePredictor = -(1 << 30);

struct Beam {
    Path paths[MaxPaths];
    int size;
    int best; // position of the path of least rank
    // Extensions by the sample being encoded, by the step index they reach; touched lists
    // the step indexes whose slots are taken, each once (one more entry for the write of
    // an offer that is not new).
    uint64_t slotError[StepTableSize][PathsPerStepIndex];
    int32_t slotPredictor[StepTableSize][PathsPerStepIndex];
    uint32_t slotTrace[StepTableSize][PathsPerStepIndex]; // root << 16 | link
    int32_t touched[StepTableSize + 1];
    int touchedCount;
    // The extensions kept, with their ranks: error + the greedy squared error of the
    // next sample, the pruning order.
    Path candidates[MaxCandidates];
    uint64_t ranks[MaxCandidates];
    int candidateCount;
    // Per step index: its step size and the distance of predictors that merge.
    int32_t steps[StepTableSize];
    int32_t mergeDistance[StepTableSize];
    // links[t % LinkRingSamples][k]: the link of path k after sample t.
    uint16_t links[LinkRingSamples][MaxPaths];
};

inline int32_t Clamp16(int32_t value) {
    return value > 32767 ? 32767 : (value < -32768 ? -32768 : value);
}

// The path that code extends path position by, decoded through the decoder's fused table.
inline Path Extend(const Path& from, int position, uint32_t code, int32_t sample) {
    const FusedStep& step = FusedStepTable[from.stepIndex * 16 + code];
    Path to = from;
    to.predictor = Clamp16(from.predictor + step.diff[0] + step.diff[1]);
    to.stepIndex = static_cast<uint8_t>(step.next / FusedRowBytes);
    to.link = static_cast<uint16_t>(position << 4 | code);
    const int64_t error = sample - to.predictor;
    to.error = from.error + static_cast<uint64_t>(error * error);
    return to;
}

// The code AdpcmEncodeStep chooses for sample from the path.
inline uint32_t GreedyCode(const Beam& beam, const Path& from, int32_t sample) {
    int32_t diff = sample - from.predictor;
    uint32_t code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    int32_t part = beam.steps[from.stepIndex];
    for (uint32_t bit = 4; bit != 0; bit >>= 1) {
        if (diff >= part) {
            code |= bit;
            diff -= part;
        }
        part >>= 1;
    }
    return code;
}

// Squared error of the greedy code's sample for sample from the path: the look ahead.
inline uint64_t GreedyError(const Beam& beam, const Path& from, int32_t sample) {
    return Extend(from, 0, GreedyCode(beam, from, sample), sample).error - from.error;
}

// The code of magnitude 0 to 3 nearest to sample from the path, the way AdpcmEncodeStep
// would choose without its bit 4.
inline uint32_t NearestLowCode(const Beam& beam, const Path& from, int32_t sample) {
    const int32_t diff = sample - from.predictor;
    const int32_t step = beam.steps[from.stepIndex];
    int32_t rest = diff < 0 ? -diff : diff;
    uint32_t magnitude = 0;
    if (rest >= step >> 1) {
        magnitude = 2;
        rest -= step >> 1;
    }
    if (rest >= step >> 2)
        magnitude |= 1;
    return (diff < 0 ? 8 : 0) | magnitude;
}

// The low codes next to each low code, downwards and upwards: in level order the low codes
// are 11, 10, 9, 8, 0, 1, 2, 3 (-7/8 to +7/8 of the step); at either end both are the one
// inside.
constexpr uint8_t LowNeighbours[12][2] = {{8, 1}, {0, 2}, {1, 3}, {2, 2},  {0, 0},  {0, 0},
                                          {0, 0}, {0, 0}, {9, 0}, {10, 8}, {11, 9}, {10, 10}};

// Keeps to among the extensions when its error is within bound: in place of the one at its
// step index whose predictor is near when to is cheaper, else in place of the dearer of
// the two (or a free slot). No branch but the store: which way an offer goes is data.
inline void Offer(Beam& beam, int& touched, const Path& to, uint64_t bound) {
    const int stepIndex = to.stepIndex;
    uint64_t* error = beam.slotError[stepIndex];
    int32_t* predictor = beam.slotPredictor[stepIndex];
    const int32_t near = beam.mergeDistance[stepIndex];
    const bool within = to.error <= bound;
    beam.touched[touched] = stepIndex;
    touched += within && error[0] == FreeError ? 1 : 0;
    const int dearer = error[0] < error[1] ? 1 : 0;
    const int nearOne = std::abs(predictor[1] - to.predictor) <= near ? 1 : dearer;
    const int place = std::abs(predictor[0] - to.predictor) <= near ? 0 : nearOne;
    if (within && to.error < error[place]) {
        error[place] = to.error;
        predictor[place] = to.predictor;
        beam.slotTrace[stepIndex][place] = static_cast<uint32_t>(to.root) << 16 | to.link;
    }
}

// Offers the extensions of each path by sample whose error is within bound. Each path's
// six are decoded side by side and those within the bound packed to the front without a
// branch, so that only they pay for an offer.
void ExpandPaths(Beam& beam, int32_t sample, uint64_t bound) {
    int touched = 0;
    for (int position = 0; position < beam.size; position++) {
        const Path from = beam.paths[position];
        const uint32_t nearest = NearestLowCode(beam, from, sample);
        const uint32_t sign = nearest & 8;
        Path to[6];
        to[0] = Extend(from, position, nearest, sample);
        const uint32_t codes[5] = {LowNeighbours[nearest][to[0].predictor < sample ? 1 : 0],
                                   sign | 4, sign | 5, sign | 6, sign | 7};
        int count = 1;
        for (const uint32_t code : codes) {
            to[count] = Extend(from, position, code, sample);
            count += to[count].error <= bound ? 1 : 0;
        }
        for (int i = 0; i < count; i++)
            Offer(beam, touched, to[i], bound);
    }
    beam.touchedCount = touched;
}

// Moves the extensions into the candidates with their ranks, freeing their slots;
// nextSample is looked ahead to when hasNext.
void Gather(Beam& beam, bool hasNext, int32_t nextSample) {
    int count = 0;
    for (int i = 0; i < beam.touchedCount; i++) {
        const int stepIndex = beam.touched[i];
        for (int k = 0; k < PathsPerStepIndex; k++) {
            const uint32_t trace = beam.slotTrace[stepIndex][k];
            const Path path{beam.slotError[stepIndex][k], beam.slotPredictor[stepIndex][k],
                            static_cast<uint8_t>(stepIndex), static_cast<uint8_t>(trace >> 16),
                            static_cast<uint16_t>(trace)};
            beam.candidates[count] = path;
            beam.ranks[count] = path.error + (hasNext ? GreedyError(beam, path, nextSample) : 0);
            count += path.error != FreeError ? 1 : 0;
            beam.slotError[stepIndex][k] = FreeError;
            beam.slotPredictor[stepIndex][k] = FreePredictor;
        }
    }
    beam.candidateCount = count;
    beam.touchedCount = 0;
}

// Moves candidate from to position to.
inline void MoveCandidate(Beam& beam, int from, int to) {
    beam.candidates[to] = beam.candidates[from];
    beam.ranks[to] = beam.ranks[from];
}

// Keeps the MaxPaths candidates of least rank of the first count.
void KeepLeastRanks(Beam& beam, int count) {
    int order[MaxCandidates];
    std::iota(order, order + count, 0);
    std::nth_element(order, order + MaxPaths, order + count,
                     [&beam](int a, int b) { return beam.ranks[a] < beam.ranks[b]; });
    std::sort(order, order + MaxPaths); // each moves to a position at most its own
    for (int k = 0; k < MaxPaths; k++)
        MoveCandidate(beam, order[k], k);
}

// Keeps the first count candidates whose root is root; returns how many there are.
int KeepRoot(Beam& beam, int count, int root) {
    int kept = 0;
    for (int i = 0; i < count; i++) {
        const bool keep = beam.candidates[i].root == root;
        MoveCandidate(beam, i, kept);
        kept += keep ? 1 : 0;
    }
    return kept;
}

// The candidates of root keepRoot (all when -1) that rank within margin of the best of
// them, the best MaxPaths of them when more, become the beam.
void Select(Beam& beam, uint64_t margin, int keepRoot) {
    const int count =
        keepRoot < 0 ? beam.candidateCount : KeepRoot(beam, beam.candidateCount, keepRoot);
    const uint64_t best = *std::min_element(beam.ranks, beam.ranks + count);
    int kept = 0;
    for (int i = 0; i < count; i++) {
        const bool keep = beam.ranks[i] - best <= margin;
        MoveCandidate(beam, i, kept);
        kept += keep ? 1 : 0;
    }
    if (kept > MaxPaths) {
        KeepLeastRanks(beam, kept);
        kept = MaxPaths;
    }
    beam.size = kept;
    beam.best = 0;
    for (int k = 0; k < kept; k++) {
        beam.paths[k] = beam.candidates[k];
        beam.best = beam.ranks[k] < beam.ranks[beam.best] ? k : beam.best;
    }
}

// Position of the candidate of least error.
int LeastErrorCandidate(const Beam& beam) {
    int least = 0;
    for (int i = 1; i < beam.candidateCount; i++) {
        if (beam.candidates[i].error < beam.candidates[least].error)
            least = i;
    }
    return least;
}

inline void PutCode(uint8_t* codes, int64_t sample, uint32_t code) {
    uint8_t& byte = codes[sample >> 1];
    byte = (sample & 1) ? static_cast<uint8_t>((byte & 0x0F) | code << 4)
                        : static_cast<uint8_t>((byte & 0xF0) | code);
}

// Writes the codes of samples [first, end) of the path at position after sample end - 1,
// following the links back.
void WriteCodes(const Beam& beam, int position, int64_t first, int64_t end, uint8_t* codes) {
    for (int64_t t = end - 1; t >= first; t--) {
        const uint16_t link = beam.links[t % LinkRingSamples][position];
        PutCode(codes, t, link & 15);
        position = link >> 4;
    }
}

// Extends the beam by sample t. The rank of the best path's greedy extension plus the
// margin bounds the error of the extensions worth offering: no extension of more error can
// rank within the margin of the best.
void SearchSample(Beam& beam, const int16_t* samples, int64_t sampleCount, int64_t t) {
    const int32_t sample = samples[t];
    const bool hasNext = t + 1 < sampleCount;
    const int32_t nextSample = hasNext ? samples[t + 1] : 0;
    const Path& best = beam.paths[beam.best];
    const auto step = static_cast<uint64_t>(beam.steps[best.stepIndex]);
    const uint64_t margin = step * step / MarginDivisor;
    const Path greedy = Extend(best, 0, GreedyCode(beam, best, sample), sample);
    const uint64_t bound =
        greedy.error + margin + (hasNext ? GreedyError(beam, greedy, nextSample) : 0);
    ExpandPaths(beam, sample, bound);
    Gather(beam, hasNext, nextSample);
    const bool commitPoint = (t + 1) % CommitSamples == 0;
    const int keepRoot = commitPoint ? beam.candidates[LeastErrorCandidate(beam)].root : -1;
    Select(beam, margin, keepRoot);
    for (int k = 0; k < beam.size; k++)
        beam.links[t % LinkRingSamples][k] = beam.paths[k].link;
}

void StartSearch(Beam& beam) {
    beam.size = 1;
    beam.best = 0;
    beam.paths[0] = Path{0, 0, 0, 0, 0};
    beam.touchedCount = 0;
    std::fill(&beam.slotError[0][0], &beam.slotError[0][0] + MaxCandidates, FreeError);
    std::fill(&beam.slotPredictor[0][0], &beam.slotPredictor[0][0] + MaxCandidates, FreePredictor);
    for (int i = 0; i < StepTableSize; i++) {
        beam.steps[i] = StepTable[i];
        beam.mergeDistance[i] = StepTable[i] >> MergeShift;
    }
}

// Runs the search over the samples, writes its codes and sets squaredError to their
// squared error; false, with squaredError unchanged, when stop asked it to end first.
bool Search(Beam& beam, const int16_t* samples, int64_t sampleCount, uint8_t* codes,
            AdpcmStopRequest stop, uint64_t& squaredError) {
    StartSearch(beam);
    int64_t written = 0; // codes of samples [0, written) are fixed
    for (int64_t t = 0; t < sampleCount; t++) {
        if (t % StopCheckSamples == 0 && stop && stop())
            return false;
        SearchSample(beam, samples, sampleCount, t);
        if ((t + 1) % CommitSamples != 0)
            continue;
        // The paths left descend from one node of the previous commit point: fix the
        // codes up to it and make this point the next one.
        const int64_t point = t + 1 - CommitSamples;
        if (point > 0) {
            WriteCodes(beam, beam.paths[0].root, written, point, codes);
            written = point;
        }
        for (int k = 0; k < beam.size; k++)
            beam.paths[k].root = static_cast<uint8_t>(k);
    }
    int least = 0;
    for (int k = 1; k < beam.size; k++) {
        if (beam.paths[k].error < beam.paths[least].error)
            least = k;
    }
    WriteCodes(beam, least, written, sampleCount, codes);
    squaredError = beam.paths[least].error;
    return true;
}

// The greedy encoder's squared error over the samples; writes its codes when codes is set.
uint64_t GreedyEncode(const int16_t* samples, int64_t sampleCount, uint8_t* codes) {
    AdpcmState state;
    uint64_t total = 0;
    for (int64_t t = 0; t < sampleCount; t++) {
        const uint32_t code = AdpcmEncodeStep(state, samples[t]);
        const int64_t error = samples[t] - state.predictor;
        total += static_cast<uint64_t>(error * error);
        if (codes)
            PutCode(codes, t, code);
    }
    return total;
}

} // namespace

int AdpcmSearchEncode(const int16_t* samples, int64_t sampleCount, uint8_t* codes,
                      uint64_t& squaredError, AdpcmStopRequest stop) {
    if (sampleCount < 0 || sampleCount >= MaxSearchSamples)
        return 0;
    const std::unique_ptr<Beam> beam(new (std::nothrow) Beam);
    if (!beam)
        return 0;
    if (sampleCount > 0)
        std::memset(codes, 0, static_cast<size_t>((sampleCount + 1) / 2));
    if (!Search(*beam, samples, sampleCount, codes, stop, squaredError))
        return 0;
    // The greedy codes are the bound the search must not fall behind.
    const uint64_t greedy = GreedyEncode(samples, sampleCount, nullptr);
    if (greedy < squaredError) {
        squaredError = greedy;
        GreedyEncode(samples, sampleCount, codes);
    }
    return 1;
}
