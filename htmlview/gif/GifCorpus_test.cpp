// The decoder against other readers on a generated corpus: index rasters
// against `gifbuild -d`, frame metadata against `giftext` (both giflib-tools),
// composed frames against Pillow. The corpus (interlaced heights 1-17, local
// tables, transparency with every disposal, comments, loops, 300 frames, an
// unknown extension, a cut-off file) is written by testdata/make_gifs.py.
#include "htmlview/gif/GifImage.h"
#include "htmlview/gif/GifReader.h"
#include "platform/core/hostio/HostIo.h"
#include "testkit/files/TempDir.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using htmlview::gif::GifFile;

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

bool Have(const std::string& tool) { return RunCommand("command -v " + tool + " 2>/dev/null").size() > 0; }

// Made once for the whole suite.
const fs::path& Corpus() {
    static platform::testing::TempDir dir;
    static bool made = [] {
        std::string cmd = "/usr/bin/python3 " VOREL_SOURCE_DIR "/htmlview/gif/testdata/make_gifs.py " + dir.Path().string() +
                          " 2>&1";
        std::string out = RunCommand(cmd);
        if (!fs::exists(dir.Path() / "plain_2.gif")) ADD_FAILURE() << out;
        return true;
    }();
    (void)made;
    return dir.Path();
}

GifFile Read(const fs::path& path) {
    auto bytes = platform::ReadWholeFile(path);
    GifFile f;
    EXPECT_TRUE(bytes.has_value()) << path;
    if (bytes) htmlview::gif::ReadGif(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size(), false, f);
    return f;
}

struct DumpFrame {
    int w = 0, h = 0;
    std::vector<int> pixels;
};

struct Dump {
    int loop = 1;
    std::vector<DumpFrame> frames;
};

// Parses `gifbuild -d`: colour maps give each raster key its index; rasters
// are key characters or hex pairs, rows in display order.
Dump ParseGifbuild(const std::string& text) {
    Dump d;
    std::istringstream in(text);
    std::string line;
    std::map<char, int> screenKeys, imageKeys;
    std::map<char, int>* keys = nullptr;
    bool inImage = false;
    while (std::getline(in, line)) {
        if (line.rfind("netscape loop ", 0) == 0) d.loop = std::stoi(line.substr(14));
        if (line == "screen map") {
            keys = &screenKeys;
            continue;
        }
        if (line == "image map") {
            keys = &imageKeys;
            continue;
        }
        if (line.rfind("image # ", 0) == 0) {
            inImage = true;
            imageKeys.clear();
            continue;
        }
        if (keys && line.find("rgb ") != std::string::npos) {
            auto at = line.find(" is ");
            if (at != std::string::npos) (*keys)[line[at + 4]] = static_cast<int>(keys->size());
            continue;
        }
        if (line == "end") {
            keys = nullptr;
            continue;
        }
        if (inImage && line.rfind("image bits ", 0) == 0) {
            DumpFrame f;
            std::istringstream bits(line.substr(11));
            std::string by, hex;
            bits >> f.w >> by >> f.h >> hex;
            const std::map<char, int>& k = imageKeys.empty() ? screenKeys : imageKeys;
            for (int y = 0; y < f.h && std::getline(in, line); ++y) {
                for (int x = 0; x < f.w; ++x) {
                    if (hex == "hex") f.pixels.push_back(std::stoi(line.substr(2 * x, 2), nullptr, 16));
                    else f.pixels.push_back(k.count(line[x]) ? k.at(line[x]) : -1);
                }
            }
            d.frames.push_back(std::move(f));
            inImage = false;
        }
    }
    return d;
}

struct TextFrame {
    int left = 0, top = 0, w = 0, h = 0;
    bool interlaced = false;
    int disposal = 0, delay = 0, transparent = -1;
};

// Parses giftext: each image with the graphic control block before it.
std::vector<TextFrame> ParseGiftext(const std::string& text) {
    std::vector<TextFrame> frames;
    std::istringstream in(text);
    std::string line;
    TextFrame pending;
    bool transparencyOn = false;
    while (std::getline(in, line)) {
        int a, b, c, d;
        if (std::sscanf(line.c_str(), "\tDisposal Mode: %d", &a) == 1) pending.disposal = a >= 4 ? 2 : a;
        if (line.find("Transparency on: yes") != std::string::npos) transparencyOn = true;
        if (std::sscanf(line.c_str(), "\tDelayTime: %d", &a) == 1) pending.delay = a * 10;
        if (std::sscanf(line.c_str(), "\tTransparent Index: %d", &a) == 1 && transparencyOn) pending.transparent = a;
        if (std::sscanf(line.c_str(), "\tImage Size - Left = %d, Top = %d, Width = %d, Height = %d.", &a, &b, &c, &d) ==
            4) {
            pending.left = a;
            pending.top = b;
            pending.w = c;
            pending.h = d;
        }
        if (line.find("Image is Interlaced") != std::string::npos) pending.interlaced = true;
        if (line.find("Image is Non Interlaced") != std::string::npos) {
            frames.push_back(pending);
            pending = TextFrame{};
            transparencyOn = false;
        } else if (line.find("Image is Interlaced") != std::string::npos) {
            frames.push_back(pending);
            pending = TextFrame{};
            transparencyOn = false;
        }
    }
    return frames;
}

class GifCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("gifbuild") || !Have("giftext") || !fs::exists("/usr/bin/python3"))
            GTEST_SKIP() << "needs giflib-tools and python3-pil (scripts/install-deps.sh installs them)";
    }
};

TEST_F(GifCorpus, RastersAndMetadataMatchGiflib) {
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(Corpus())) {
        const fs::path path = entry.path();
        const std::string name = path.stem().string();
        if (path.extension() != ".gif" || name == "truncated" || name == "unknown_extension") continue;
        SCOPED_TRACE(name);
        GifFile ours = Read(path);
        EXPECT_EQ(ours.Problem, "");
        Dump dump = ParseGifbuild(RunCommand("gifbuild -d '" + path.string() + "' 2>/dev/null"));
        std::vector<TextFrame> text = ParseGiftext(RunCommand("giftext '" + path.string() + "' 2>/dev/null"));
        ASSERT_FALSE(dump.frames.empty());
        ASSERT_EQ(dump.frames.size(), text.size());
        const std::size_t kept = std::min<std::size_t>(dump.frames.size(), 256);
        ASSERT_EQ(ours.Frames.size(), kept);
        EXPECT_EQ(ours.LoopCount, dump.loop);
        for (std::size_t i = 0; i < kept; ++i) {
            SCOPED_TRACE("frame " + std::to_string(i + 1));
            const auto& f = ours.Frames[i];
            const DumpFrame& g = dump.frames[i];
            ASSERT_EQ(f.FrameWidth, g.w);
            ASSERT_EQ(f.FrameHeight, g.h);
            EXPECT_EQ(std::vector<int>(f.Pixels.begin(), f.Pixels.end()), g.pixels);
            const TextFrame& t = text[i];
            EXPECT_EQ(f.FrameLeft, t.left);
            EXPECT_EQ(f.FrameTop, t.top);
            EXPECT_EQ(f.Interlaced, t.interlaced);
            EXPECT_EQ(f.Disposal, t.disposal);
            EXPECT_EQ(f.DelayMs, t.delay);
            EXPECT_EQ(f.Transparent ? f.TransparentIndex : -1, t.transparent);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 28);
}

TEST_F(GifCorpus, ThreeHundredFramesKeepTheFirst256) {
    GifFile f = Read(Corpus() / "frames_300.gif");
    EXPECT_EQ(f.Frames.size(), 256u);
    EXPECT_EQ(f.Problem, "");
}

TEST_F(GifCorpus, DamagedFilesKeepWhatWasRead) {
    GifFile unknown = Read(Corpus() / "unknown_extension.gif");
    EXPECT_EQ(unknown.Frames.size(), 1u);
    EXPECT_NE(unknown.Problem.find("unknown extension 0x42"), std::string::npos) << unknown.Problem;

    GifFile whole = Read(Corpus() / "local_tables.gif");
    GifFile cut = Read(Corpus() / "truncated.gif");
    ASSERT_EQ(cut.Frames.size(), 2u);
    EXPECT_NE(cut.Problem.find("frame 2"), std::string::npos) << cut.Problem;
    EXPECT_EQ(cut.Frames[0].Pixels, whole.Frames[0].Pixels);
    // The second frame's first row arrived; the rows never delivered hold 0.
    const auto& part = cut.Frames[1].Pixels;
    const auto& full = whole.Frames[1].Pixels;
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + 16, full.begin()));
    EXPECT_EQ(part.back(), 0);

    // The viewer's picture still loads from the cut file.
    auto bytes = platform::ReadWholeFile(Corpus() / "truncated.gif");
    htmlview::TGIFImage gif;
    EXPECT_TRUE(gif.LoadStream(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    EXPECT_EQ(gif.FrameCount, 2);
}

// Pillow composes each frame over the previous ones; where both define the
// result (alpha, and colour where opaque), ours must agree.
TEST_F(GifCorpus, CompositesMatchPillow) {
    int compared = 0;
    for (std::string name : {"local_tables", "transparent_d0", "transparent_d1", "transparent_d2", "transparent_d3"}) {
        SCOPED_TRACE(name);
        auto bytes = platform::ReadWholeFile(Corpus() / (name + ".gif"));
        htmlview::TGIFImage gif;
        ASSERT_TRUE(gif.LoadStream(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
        for (int i = 1; i <= gif.FrameCount; ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            gif.SetFrameIndex(i);
            QImage ours = gif.CompositeWithAlpha();
            QImage theirs(QString::fromStdString((Corpus() / (name + ".f" + std::to_string(i) + ".png")).string()));
            ASSERT_FALSE(theirs.isNull());
            theirs = theirs.convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(ours.size(), theirs.size());
            int differing = 0;
            for (int y = 0; y < ours.height(); ++y)
                for (int x = 0; x < ours.width(); ++x) {
                    QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
                    if (qAlpha(a) != qAlpha(b) || (qAlpha(a) == 255 && (a & 0xFFFFFF) != (b & 0xFFFFFF))) ++differing;
                }
            EXPECT_EQ(differing, 0);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 4 + 3 * 4);
}

}  // namespace
