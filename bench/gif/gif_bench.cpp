// GIF decoding speed: htmlview's reader against giflib (DGifSlurp) on the
// same in-memory files, which giflib's own encoder writes at start-up:
//   Photo      one 1024x768 picture, 256 colours, smooth with noise
//   Interlaced the same picture interlaced
//   Animation  60 frames of 320x240, 64 colours each
//   Flat       one 1600x1200 picture of large flat areas (long LZW strings)
// Both sides decode every pixel into their own buffers; ours builds the
// frames' index rasters (no bitmaps), giflib its SavedImages.
#include "htmlview/gif/GifReader.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Sink {
    std::string bytes;
};

int Write(GifFileType* gif, const GifByteType* data, int n) {
    static_cast<Sink*>(gif->UserData)->bytes.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(n));
    return n;
}

struct Source {
    const std::string* bytes;
    std::size_t pos = 0;
};

int Read(GifFileType* gif, GifByteType* out, int n) {
    auto* s = static_cast<Source*>(gif->UserData);
    std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), s->bytes->size() - s->pos);
    std::memcpy(out, s->bytes->data() + s->pos, take);
    s->pos += take;
    return static_cast<int>(take);
}

using Picture = std::vector<GifByteType>;

std::string Encode(int w, int h, const std::vector<Picture>& frames, int colours, bool interlaced) {
    Sink sink;
    int error = 0;
    GifFileType* gif = EGifOpen(&sink, Write, &error);
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i) colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    int bits = 1;
    while ((1 << bits) < colours) ++bits;
    ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
    EGifPutScreenDesc(gif, w, h, bits, 0, map);
    for (const Picture& p : frames) {
        EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
        if (!interlaced) {
            for (int y = 0; y < h; ++y) EGifPutLine(gif, const_cast<GifByteType*>(p.data() + y * w), w);
        } else {
            static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < h; y += step[pass])
                    EGifPutLine(gif, const_cast<GifByteType*>(p.data() + y * w), w);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return sink.bytes;
}

Picture Smooth(int w, int h, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    Picture p(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y) * w + x] =
                static_cast<GifByteType>(((x + y) / 5 + static_cast<int>(rng() % 3)) % colours);
    return p;
}

Picture Flat(int w, int h) {
    Picture p(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p[static_cast<std::size_t>(y) * w + x] = static_cast<GifByteType>((x / 200 + y / 150) % 4);
    return p;
}

const std::string& File(int which) {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> f;
        f.push_back(Encode(1024, 768, {Smooth(1024, 768, 256, 1)}, 256, false));
        f.push_back(Encode(1024, 768, {Smooth(1024, 768, 256, 1)}, 256, true));
        std::vector<Picture> frames;
        for (unsigned i = 0; i < 60; ++i) frames.push_back(Smooth(320, 240, 64, 10 + i));
        f.push_back(Encode(320, 240, frames, 64, false));
        f.push_back(Encode(1600, 1200, {Flat(1600, 1200)}, 4, false));
        return f;
    }();
    return files[static_cast<std::size_t>(which)];
}

const char* kNames[] = {"Photo", "Interlaced", "Animation", "Flat"};

void BM_Ours(benchmark::State& state) {
    const std::string& bytes = File(static_cast<int>(state.range(0)));
    std::size_t pixels = 0;
    for (auto _ : state) {
        htmlview::gif::GifFile f;
        htmlview::gif::ReadGif(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), false, f);
        pixels = 0;
        for (const auto& fr : f.Frames) pixels += fr.Pixels.size();
        benchmark::DoNotOptimize(f.Frames.data());
    }
    state.SetLabel(std::string(kNames[state.range(0)]) + " " + std::to_string(bytes.size()) + " bytes");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pixels));
}

void BM_Giflib(benchmark::State& state) {
    const std::string& bytes = File(static_cast<int>(state.range(0)));
    std::size_t pixels = 0;
    for (auto _ : state) {
        Source src{&bytes};
        int error = 0;
        GifFileType* gif = DGifOpen(&src, Read, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib could not read the file");
            break;
        }
        pixels = 0;
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += static_cast<std::size_t>(gif->SavedImages[i].ImageDesc.Width) * gif->SavedImages[i].ImageDesc.Height;
        benchmark::DoNotOptimize(gif->SavedImages);
        DGifCloseFile(gif, &error);
    }
    state.SetLabel(std::string(kNames[state.range(0)]) + " " + std::to_string(bytes.size()) + " bytes");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pixels));
}

}  // namespace

BENCHMARK(BM_Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
