// The Ogg Vorbis and wave sources: formats, whole decoding, looping reads, archives, real files.
#include <gtest/gtest.h>

#include <cstring>

#include "SoundFixture.h"
#include "resources/Archive.h"
#include "resources/LzssEncoder.h"
#include "resources/OggSource.h"
#include "resources/WaveSource.h"

namespace fs = std::filesystem;

class OggSourceTest : public CSoundTest {};

TEST_F(OggSourceTest, FormatFollowsTheStream) {
    struct Case {
        int channels, rate;
    };
    for (const Case c : {Case{1, 22050}, Case{2, 44100}, Case{2, 22050}, Case{1, 44100}, Case{2, 48000}}) {
        const std::string path = "snd/t" + std::to_string(c.channels) + "_" + std::to_string(c.rate) + ".ogg";
        const auto reference = WriteOgg(path, c.channels, c.rate, c.rate / 2 + 77);
        COggSource source;
        ASSERT_TRUE(source.Load(path)) << path;
        const CAudioFormat& f = source.GetFormat();
        EXPECT_EQ(source.GetKind(), 2);
        EXPECT_EQ(f.formatTag, 1);
        EXPECT_EQ(f.channels, c.channels);
        EXPECT_EQ(f.samplesPerSec, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(f.avgBytesPerSec, static_cast<uint32_t>(2 * c.channels * c.rate));
        EXPECT_EQ(f.blockAlign, 2 * c.channels);
        EXPECT_EQ(f.bitsPerSample, 16);
        ASSERT_EQ(source.GetDataSize(), reference.size()) << path;
        EXPECT_EQ(std::memcmp(source.GetData(), reference.data(), reference.size()), 0) << path;
        EXPECT_EQ(source.GetDurationMs(), static_cast<uint32_t>((c.rate / 2 + 77) * 1000.0 / c.rate)) << path;
    }
}

TEST_F(OggSourceTest, MonoAt22050HasTheByteRateOfItsSamples) {
    WriteOgg("m.ogg", 1, 22050, 5000);
    COggSource source;
    ASSERT_TRUE(source.OpenStream("m.ogg"));
    EXPECT_EQ(source.GetFormat(), CAudioFormat::Pcm16(1, 22050));
    EXPECT_EQ(source.GetFormat().avgBytesPerSec, 44100u);
    EXPECT_EQ(source.GetFormat().blockAlign, 2);
    EXPECT_EQ(source.GetData(), nullptr);  // a stream is not decoded whole
}

TEST_F(OggSourceTest, LoopingReadGoesOnFromTheStart) {
    const auto reference = WriteOgg("loop.ogg", 2, 44100, 3000);
    ASSERT_GT(reference.size(), 1000u);
    COggSource source;
    ASSERT_TRUE(source.OpenStream("loop.ogg"));
    const uint32_t skip = static_cast<uint32_t>(reference.size() - 600);
    std::vector<uint8_t> head(skip);
    ASSERT_EQ(source.ReadPcm(head.data(), skip, true), skip);
    std::vector<uint8_t> out(1000);
    ASSERT_EQ(source.ReadPcm(out.data(), 1000, true), 1000u);
    EXPECT_EQ(std::memcmp(out.data(), reference.data() + skip, 600), 0);
    EXPECT_EQ(std::memcmp(out.data() + 600, reference.data(), 400), 0);
}

TEST_F(OggSourceTest, ReadWithoutLoopStopsAtTheEndAndLeavesTheRest) {
    const auto reference = WriteOgg("once.ogg", 1, 22050, 2000);
    COggSource source;
    ASSERT_TRUE(source.OpenStream("once.ogg"));
    std::vector<uint8_t> head(reference.size() - 600);
    ASSERT_EQ(source.ReadPcm(head.data(), static_cast<uint32_t>(head.size()), false), head.size());
    std::vector<uint8_t> out(1000, 0xAB);
    EXPECT_EQ(source.ReadPcm(out.data(), 1000, false), 600u);
    EXPECT_EQ(std::memcmp(out.data(), reference.data() + head.size(), 600), 0);
    for (size_t i = 600; i < out.size(); ++i) ASSERT_EQ(out[i], 0xAB);
}

TEST_F(OggSourceTest, ReadsEndingInsideAFrameLoseNothing) {
    const auto reference = WriteOgg("odd.ogg", 2, 44100, 4000);
    COggSource source;
    ASSERT_TRUE(source.OpenStream("odd.ogg"));
    std::vector<uint8_t> out;
    const uint32_t sizes[] = {3, 1, 2, 7, 5, 4093, 1, 6};
    for (size_t i = 0; out.size() < 2 * reference.size(); ++i) {
        std::vector<uint8_t> piece(sizes[i % 8]);
        ASSERT_EQ(source.ReadPcm(piece.data(), static_cast<uint32_t>(piece.size()), true), piece.size());
        out.insert(out.end(), piece.begin(), piece.end());
    }
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], reference[i % reference.size()]) << i;
}

TEST_F(OggSourceTest, SoundInsideAnArchiveDecodesAsAPlainFile) {
    const std::string ogg = EncodeOgg(2, 22050, MakeTone(2, 22050, 9000));
    WriteFileBytes("plain/a.ogg", ogg);
    // snd.dat holds "sys\se01.ogg" packed, and "raw.ogg" as literal items written by hand.
    const auto packed = LzssEncode(reinterpret_cast<const uint8_t*>(ogg.data()), ogg.size());
    std::string literal;
    for (size_t i = 0; i < ogg.size(); i += 8) {
        literal.push_back(static_cast<char>(0xFF));
        literal.append(ogg, i, 8);
    }
    std::string archive(3 * kArchiveEntrySize, '\0');
    CArchiveEntry e1{"sys\\se01.ogg", static_cast<int32_t>(archive.size()), static_cast<int32_t>(ogg.size()),
                     static_cast<int32_t>(packed.size())};
    CArchiveEntry e2{"raw.ogg", static_cast<int32_t>(archive.size() + packed.size()),
                     static_cast<int32_t>(ogg.size()), static_cast<int32_t>(literal.size())};
    ASSERT_TRUE(EncodeArchiveEntry(e1, reinterpret_cast<uint8_t*>(&archive[0])));
    ASSERT_TRUE(EncodeArchiveEntry(e2, reinterpret_cast<uint8_t*>(&archive[kArchiveEntrySize])));
    EncodeArchiveEnd(reinterpret_cast<uint8_t*>(&archive[2 * kArchiveEntrySize]));
    archive.append(reinterpret_cast<const char*>(packed.data()), packed.size());
    archive += literal;
    WriteFileBytes("snd.dat", archive);

    COggSource plain;
    ASSERT_TRUE(plain.Load("plain/a.ogg"));
    for (const char* path : {"snd/sys/se01.ogg", "snd/raw.ogg"}) {
        COggSource member;
        ASSERT_TRUE(member.Load(path)) << path;
        EXPECT_EQ(member.GetFormat(), plain.GetFormat());
        ASSERT_EQ(member.GetDataSize(), plain.GetDataSize());
        EXPECT_EQ(std::memcmp(member.GetData(), plain.GetData(), plain.GetDataSize()), 0) << path;
        EXPECT_EQ(member.GetDurationMs(), plain.GetDurationMs());
        // Streaming from the member loops as from the plain file.
        COggSource a, b;
        ASSERT_TRUE(a.OpenStream(path));
        ASSERT_TRUE(b.OpenStream("plain/a.ogg"));
        std::vector<uint8_t> x(3 * plain.GetDataSize() / 2), y(x.size());
        ASSERT_EQ(a.ReadPcm(x.data(), static_cast<uint32_t>(x.size()), true), x.size());
        ASSERT_EQ(b.ReadPcm(y.data(), static_cast<uint32_t>(y.size()), true), y.size());
        EXPECT_EQ(x, y) << path;
    }
}

TEST_F(OggSourceTest, MissingFileIsNotLoaded) {
    COggSource source;
    EXPECT_FALSE(source.Load("snd/none.ogg"));
    EXPECT_FALSE(source.OpenStream("snd/none.ogg"));
    EXPECT_EQ(source.GetDataSize(), 0u);
    std::vector<uint8_t> out(16);
    EXPECT_EQ(source.ReadPcm(out.data(), 16, true), 0u);
}

TEST_F(OggSourceTest, UndecodableFileIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WriteFileBytes("bad.ogg", std::string(4000, 'x'));
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            COggSource source;
            source.Load("bad.ogg");
        },
        ::testing::ExitedWithCode(255), "Ogg形式読み取り失敗");
    // A file cut after its first pages cannot be decoded either.
    const std::string ogg = EncodeOgg(1, 22050, MakeTone(1, 22050, 2000));
    WriteFileBytes("cut.ogg", ogg.substr(0, 40));
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            COggSource source;
            source.OpenStream("cut.ogg");
        },
        ::testing::ExitedWithCode(255), "Ogg形式読み取り失敗");
}

TEST_F(OggSourceTest, EmptyStreamDoesNotLoopForEver) {
    WriteFileBytes("empty.ogg", EncodeOgg(2, 44100, {}));
    COggSource source;
    ASSERT_TRUE(source.OpenStream("empty.ogg"));
    EXPECT_EQ(source.GetDataSize(), 0u);
    std::vector<uint8_t> out(4000, 7);
    EXPECT_EQ(source.ReadPcm(out.data(), 4000, true), 0u);
    EXPECT_EQ(out[0], 7);
}

TEST_F(OggSourceTest, FreedesktopSoundsDecodeToWhatTheLibraryReports) {
    const fs::path folder = "/usr/share/sounds/freedesktop/stereo";
    if (!fs::exists(folder)) GTEST_SKIP() << "sound-theme-freedesktop is not installed";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".oga") continue;
        ++files;
        const std::string name = entry.path().filename().string();
        fs::copy_file(entry.path(), name, fs::copy_options::overwrite_existing);
        int channels = 0;
        long rate = 0;
        int64_t total = 0;
        double seconds = 0;
        const auto reference = DecodeReference(name, &channels, &rate, &total, &seconds);
        COggSource source;
        ASSERT_TRUE(source.Load(name)) << name;
        EXPECT_EQ(source.GetFormat(),
                  CAudioFormat::Pcm16(static_cast<uint16_t>(channels), static_cast<uint32_t>(rate)))
            << name;
        EXPECT_EQ(source.GetDataSize(), static_cast<uint64_t>(total) * 2 * channels) << name;
        EXPECT_EQ(source.GetDurationMs(), static_cast<uint32_t>(seconds * 1000)) << name;
        ASSERT_EQ(reference.size(), source.GetDataSize()) << name;
        EXPECT_EQ(std::memcmp(source.GetData(), reference.data(), reference.size()), 0) << name;
    }
    EXPECT_GT(files, 10);
}

class WaveSourceTest : public CSoundTest {};

TEST_F(WaveSourceTest, FormatAndSamplesOfAWaveFile) {
    std::vector<uint8_t> data(1001);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    WriteFileBytes("se/w.wav", MakeWave(1, 11025, 8, data));
    CWaveSource source;
    ASSERT_TRUE(source.Load("se/w.wav"));
    EXPECT_EQ(source.GetKind(), 1);
    EXPECT_EQ(source.GetFormat().channels, 1);
    EXPECT_EQ(source.GetFormat().samplesPerSec, 11025u);
    EXPECT_EQ(source.GetFormat().avgBytesPerSec, 11025u);
    EXPECT_EQ(source.GetFormat().blockAlign, 1);
    EXPECT_EQ(source.GetFormat().bitsPerSample, 8);
    ASSERT_EQ(source.GetDataSize(), data.size());
    EXPECT_EQ(std::memcmp(source.GetData(), data.data(), data.size()), 0);
    EXPECT_EQ(source.GetDurationMs(), 0u);
    source.Close();
    EXPECT_EQ(source.GetData(), nullptr);
}

TEST_F(WaveSourceTest, DamagedFilesAreBoundedOrRefused) {
    std::vector<uint8_t> data(400, 9);
    std::string wave = MakeWave(2, 22050, 16, data);
    // The declared size runs past the end: only the bytes there are taken.
    std::string longer = wave;
    longer[40] = static_cast<char>(0xFF);
    longer[41] = static_cast<char>(0xFF);
    WriteFileBytes("long.wav", longer);
    CWaveSource source;
    ASSERT_TRUE(source.Load("long.wav"));
    EXPECT_EQ(source.GetDataSize(), 400u);
    // No data tag on a four-byte boundary, a file shorter than its format, a missing file.
    std::string shifted = wave.substr(0, 36) + "xx" + wave.substr(36);
    WriteFileBytes("shifted.wav", shifted);
    WriteFileBytes("short.wav", wave.substr(0, 30));
    for (const char* name : {"shifted.wav", "short.wav", "none.wav"}) {
        CWaveSource bad;
        EXPECT_FALSE(bad.Load(name)) << name;
        EXPECT_EQ(bad.GetDataSize(), 0u) << name;
    }
}
