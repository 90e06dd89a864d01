#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "resources/Lzss.h"
#include "resources/LzssEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The decoder as the format describes it, step by step with a real ring: the yardstick for the fast one.
Bytes RingDecode(const Bytes& in, size_t capacity) {
    uint8_t ring[4096] = {};
    size_t r = 4078;
    unsigned flags = 0;
    size_t ip = 0;
    Bytes out;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (ip >= in.size()) break;
            flags = in[ip++] | 0xFF00u;
        }
        if (flags & 1) {
            if (ip >= in.size()) break;
            const uint8_t b = in[ip++];
            if (out.size() < capacity) out.push_back(b);
            ring[r] = b;
            r = (r + 1) % 4096;
        } else {
            if (ip + 1 >= in.size()) break;
            const unsigned c = in[ip], d = in[ip + 1];
            ip += 2;
            const unsigned p = c + (d >> 4) * 256;
            const unsigned length = (d & 0x0F) + 3;
            for (unsigned k = 0; k < length; ++k) {
                const uint8_t b = ring[(p + k) % 4096];
                if (out.size() < capacity) out.push_back(b);
                ring[r] = b;
                r = (r + 1) % 4096;
            }
        }
    }
    return out;
}

Bytes Decode(const Bytes& in, size_t capacity) {
    Bytes out(capacity + 64, 0xCD);
    const size_t n = LzssDecode(in.data(), in.size(), out.data(), capacity);
    EXPECT_LE(n, capacity);
    // Nothing is written past the capacity.
    for (size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(out[i], 0xCD) << "byte " << i;
    out.resize(n);
    return out;
}

Bytes Str(const char* s) {
    return Bytes(s, s + std::strlen(s));
}

TEST(LzssDecode, HandWrittenStreams) {
    struct Case {
        const char* what;
        Bytes packed;
        Bytes expected;
    };
    Bytes eighteen;
    for (int i = 0; i < 18; ++i) eighteen.push_back(static_cast<uint8_t>('a' + i));
    Bytes wrapped = {0xFF};
    wrapped.insert(wrapped.end(), eighteen.begin(), eighteen.begin() + 8);
    wrapped.push_back(0xFF);
    wrapped.insert(wrapped.end(), eighteen.begin() + 8, eighteen.begin() + 16);
    wrapped.insert(wrapped.end(), {0x03, 'q', 'r', 0xFE, 0xF1});
    Bytes wrappedOut = eighteen;
    wrappedOut[16] = 'q';
    wrappedOut[17] = 'r';
    wrappedOut.insert(wrappedOut.end(), {'q', 'r', 'q', 'r'});

    const Case cases[] = {
        {"literals", {0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}, Str("ABCDEFGH")},
        {"flag byte announcing more items than there are", {0xFF, 'A', 'B', 'C'}, Str("ABC")},
        {"pair cut after its first byte", {0x01, 'A', 0xEE}, Str("A")},
        {"empty input", {}, {}},
        {"only a flag byte", {0x00}, {}},
        // The ring starts as zeros: a pair at the start copies zero bytes.
        {"pair into the initial ring", {0x00, 0x00, 0x02}, Bytes(5, 0)},
        // Position 4078 is where writing starts: "AB" then six bytes from there repeat "AB".
        {"overlapping pair", {0x03, 'A', 'B', 0xEE, 0xF3}, Str("ABABABAB")},
        // 18 literals fill ring 4078-4095; a pair at 4094 of length 4 wraps to 0 and reads what it wrote.
        {"pair wrapping round the ring", wrapped, wrappedOut},
        {"longest pair", {0x00, 0x00, 0x0F}, Bytes(18, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.packed, 1000), c.expected) << c.what;
        EXPECT_EQ(RingDecode(c.packed, 1000), c.expected) << c.what << " (ring)";
    }
}

TEST(LzssDecode, StopsAtTheCapacityEvenInsideAMatch) {
    const Bytes packed = {0x03, 'A', 'B', 0xEE, 0xF3};
    const Bytes whole = Str("ABABABAB");
    for (size_t capacity = 0; capacity <= 8; ++capacity) {
        const Bytes out = Decode(packed, capacity);
        EXPECT_EQ(out, Bytes(whole.begin(), whole.begin() + capacity)) << capacity;
    }
}

// Random streams are mostly pairs with random positions: every path of the fast decoder meets the ring
// decoder, including distances of exactly 4096 and reads of the initial zeros.
TEST(LzssDecode, MatchesTheRingDecoderOnRandomStreams) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        const size_t length = rng() % 9000;
        Bytes packed(length);
        const int literalBias = static_cast<int>(rng() % 4);  // 0: random flags, 1-3: more literals
        for (size_t i = 0; i < length; ++i) {
            packed[i] = static_cast<uint8_t>(rng());
            if (literalBias && rng() % 4 < static_cast<unsigned>(literalBias)) packed[i] |= 0xAA;
        }
        const Bytes full = RingDecode(packed, SIZE_MAX);
        ASSERT_EQ(Decode(packed, full.size() + 500), full) << "round " << round;
        const size_t cut = full.empty() ? 0 : rng() % full.size();
        ASSERT_EQ(Decode(packed, cut), Bytes(full.begin(), full.begin() + cut)) << "round " << round;
    }
}

TEST(LzssDecode, MaxUnpackedBoundsEveryStream) {
    // The densest stream: flag bytes of zero and pairs of length 18.
    for (size_t packedSize : {0u, 1u, 3u, 17u, 18u, 34u, 1000u}) {
        Bytes packed(packedSize, 0);
        for (size_t i = 0; i < packedSize; ++i) packed[i] = (i % 17 == 0) ? 0x00 : 0x0F;
        const Bytes out = RingDecode(packed, SIZE_MAX);
        EXPECT_LE(out.size(), LzssMaxUnpacked(packedSize)) << packedSize;
    }
}

Bytes SampleData(int kind, size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) {
        switch (kind) {
            case 0:
                data[i] = static_cast<uint8_t>(rng());
                break;
            case 1:
                data[i] = 0;
                break;
            case 2:
                data[i] = static_cast<uint8_t>("abcabdabe"[i % 9]);
                break;
            case 3:  // runs of a few values with noise: like picture rows
                data[i] = static_cast<uint8_t>((i / 37) % 5 * 40 + (rng() % 8 == 0 ? rng() % 3 : 0));
                break;
            default:  // a long period, to reach back the whole window
                data[i] = static_cast<uint8_t>((i % 4096) * 7 + (i % 4099 == 0));
                break;
        }
    }
    return data;
}

TEST(LzssEncode, RoundTripsThroughBothDecoders) {
    const size_t sizes[] = {0, 1, 2, 3, 17, 18, 19, 4095, 4096, 4097, 4114, 20000, 1200003};
    for (int kind = 0; kind < 5; ++kind) {
        for (size_t size : sizes) {
            if (size > 100000 && kind == 4) continue;
            const Bytes data = SampleData(kind, size, static_cast<uint32_t>(size * 5 + kind));
            const Bytes packed = LzssEncode(data.data(), data.size());
            ASSERT_EQ(Decode(packed, data.size()), data) << "kind " << kind << " size " << size;
            if (size <= 20000) {
                ASSERT_EQ(RingDecode(packed, SIZE_MAX), data) << "kind " << kind << " size " << size;
            }
            EXPECT_LE(packed.size(), LzssMaxUnpacked(packed.size()));
        }
    }
}

TEST(LzssEncode, CompressesRepetitiveDataAndBoundsRandomData) {
    const Bytes zeros(100000, 0);
    const Bytes packedZeros = LzssEncode(zeros.data(), zeros.size());
    // Eight 18-byte pairs per 17 bytes at best.
    EXPECT_LT(packedZeros.size(), zeros.size() / 8);
    EXPECT_GT(packedZeros.size(), zeros.size() * 17 / 144 - 2);

    const Bytes noise = SampleData(0, 100000, 9);
    const Bytes packedNoise = LzssEncode(noise.data(), noise.size());
    // A literal costs one byte and one flag bit: never more than 9/8 of the input plus a flag byte.
    EXPECT_LE(packedNoise.size(), noise.size() * 9 / 8 + 1);
}

TEST(LzssEncode, ShallowChainsStillRoundTrip) {
    const Bytes data = SampleData(3, 50000, 77);
    for (int depth : {1, 4, 1000}) {
        CLzssEncoderOptions options;
        options.chainDepth = depth;
        const Bytes packed = LzssEncode(data.data(), data.size(), options);
        EXPECT_EQ(Decode(packed, data.size()), data) << depth;
    }
}

}  // namespace
