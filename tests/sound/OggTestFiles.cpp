#include "OggTestFiles.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

std::vector<int16_t> MakeTone(int channels, int rate, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(channels) * frames);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double f = 220.0 * (c + 1) + 37.0 * c;
            out[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(
                12000.0 * std::sin(2.0 * M_PI * f * i / rate) * (0.6 + 0.4 * i / frames));
        }
    return out;
}

std::string EncodeOgg(int channels, int rate, const std::vector<int16_t>& samples) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) std::abort();
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);
    std::string out;
    auto flushPages = [&](bool force) {
        ogg_page og;
        while (force ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
            out.append(reinterpret_cast<char*>(og.header), og.header_len);
            out.append(reinterpret_cast<char*>(og.body), og.body_len);
        }
    };
    ogg_packet header, comm, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comm, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comm);
    ogg_stream_packetin(&os, &code);
    flushPages(true);
    const int frames = static_cast<int>(samples.size() / channels);
    const int chunk = 1024;
    for (int at = 0;; at += chunk) {
        const int n = std::max(0, std::min(chunk, frames - at));
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[static_cast<size_t>(at + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&vd, n);
        } else {
            vorbis_analysis_wrote(&vd, 0);  // the end of the stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                flushPages(false);
            }
        }
        if (n == 0) break;
    }
    flushPages(true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<uint8_t> DecodeReference(const std::string& path, int* channels, long* rate, int64_t* pcmTotal,
                                     double* timeTotal) {
    OggVorbis_File vf;
    std::vector<uint8_t> out;
    if (ov_fopen(path.c_str(), &vf) != 0) return out;
    const vorbis_info* info = ov_info(&vf, -1);
    if (channels) *channels = info->channels;
    if (rate) *rate = info->rate;
    if (pcmTotal) *pcmTotal = ov_pcm_total(&vf, -1);
    if (timeTotal) *timeTotal = ov_time_total(&vf, -1);
    char buf[8192];
    for (;;) {
        const long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, nullptr);
        if (n == 0) break;
        if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    ov_clear(&vf);
    return out;
}

std::string MakeWave(int channels, int rate, int bits, const std::vector<uint8_t>& data) {
    std::string w;
    auto put = [&w](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) w.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const int block = channels * bits / 8;
    w += "RIFF";
    put(36 + static_cast<uint32_t>(data.size()), 4);
    w += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * block, 4);
    put(block, 2);
    put(bits, 2);
    w += "data";
    put(static_cast<uint32_t>(data.size()), 4);
    w.append(reinterpret_cast<const char*>(data.data()), data.size());
    return w;
}
