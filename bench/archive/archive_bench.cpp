// The archive against plain zlib, gzip and tar + pigz on a seeded corpus,
// side by side: packing (ours on every core and on one thread, a plain zlib
// harness with our exact parameters, gzip at the same level, tar piped
// through pigz on every core) and extraction (ours on every core and on one
// thread, plain inflate on one thread, tar xzf). The harness's member bytes
// must equal ours, and our extractors and plain inflate must leave the same
// files (bytes and dates), so they do the same work; the run stops otherwise.
// Packing on every core is bounded by the largest member: each member is
// one zlib stream, as the format requires, so it deflates on one core
// (mixed_64MiB, one member, trails tar + pigz, which splits its stream).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "installer/compressor/TmslCompress.h"
#include "platform/windows/sysroot/DateTime.h"

namespace fs = std::filesystem;
using namespace installer;

namespace {

constexpr int kLevel = 9;  // colMax, the component's default

// ---- corpus ----------------------------------------------------------------

std::string HtmlLike(std::mt19937& rng, std::size_t size) {
    static const char* words[] = {"<p>", "</p>", "<td>", "</td>", "<tr>", "</tr>", "<a href=\"http://example.com/",
                                  "\">", "</a>", "transistor", "diode", "zener", "BC547", "1N4148", "NPN", "PNP",
                                  "voltage", "current", "<br>", "&nbsp;", "TO-92", "SOT-23", "gain", "\n", " ", " "};
    std::string s;
    while (s.size() < size) {
        s += words[rng() % (sizeof words / sizeof *words)];
        if (rng() % 7 == 0) s += std::to_string(rng() % 10000);
    }
    s.resize(size);
    return s;
}

std::string Random(std::mt19937& rng, std::size_t size) {
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

// Text, random bytes, runs and a repeating table layout in 64 KiB segments.
std::string Mixed(std::mt19937& rng, std::size_t size) {
    std::string s;
    while (s.size() < size) {
        std::size_t n = std::min<std::size_t>(65536, size - s.size());
        switch (rng() % 4) {
            case 0: s += HtmlLike(rng, n); break;
            case 1: s += Random(rng, n); break;
            case 2: s += std::string(n, static_cast<char>(rng())); break;
            default: {
                std::string row = Random(rng, 48);
                for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(row[i % row.size()] + (i / 4096));
            }
        }
    }
    return s;
}

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Corpus {
    std::string name;
    std::vector<std::string> files;
    std::int64_t bytes = 0;
};

struct Fixture {
    fs::path root;
    std::vector<Corpus> corpora;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "archive-bench-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        std::mt19937 rng(20240601);
        auto add = [&](const std::string& name, int count, auto make) {
            Corpus c{name, {}, 0};
            fs::create_directories(root / name);
            for (int i = 0; i < count; ++i) {
                std::string bytes = make(i);
                fs::path p = root / name / ("f" + std::to_string(i) + ".dat");
                Write(p, bytes);
                c.files.push_back(p.string());
                c.bytes += static_cast<std::int64_t>(bytes.size());
            }
            corpora.push_back(std::move(c));
        };
        add("small_html_2000", 2000, [&](int) { return HtmlLike(rng, 500 + rng() % 7500); });
        add("mixed_1MiB_x50", 50, [&](int) { return Mixed(rng, 1 << 20); });
        add("mixed_64MiB", 1, [&](int) { return Mixed(rng, 64 << 20); });
        add("random_16MiB", 1, [&](int) { return Random(rng, 16 << 20); });
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

// ---- the three packers --------------------------------------------------------

std::string ArchiveOf(const Corpus& c) { return (Data().root / (c.name + ".1")).string(); }

// threads 0: one per core.
void PackOurs(const Corpus& c, int threads = 0) {
    TTmslCompress t(MakeHostPathArchiveHost());
    t.Threads = threads;
    t.CompressionLevel = colMax;
    t.SetCompressedFile(ArchiveOf(c));
    t.SetFilesToProcess(c.files);
    t.Compress(false, 0);
}

// Our exact zlib parameters and buffer sizes, each stream appended to one file.
std::vector<std::string> PackHarness(const Corpus& c, bool keep) {
    std::vector<std::string> members;
    FILE* out = std::fopen((Data().root / (c.name + ".zlib")).c_str(), "wb");
    std::vector<unsigned char> in(65536), buf(65536);
    for (const std::string& file : c.files) {
        FILE* src = std::fopen(file.c_str(), "rb");
        z_stream z{};
        deflateInit(&z, kLevel);
        std::string member;
        z.next_out = buf.data();
        z.avail_out = static_cast<uInt>(buf.size());
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            std::size_t n = std::fread(in.data(), 1, in.size(), src);
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
            int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
            for (;;) {
                rc = deflate(&z, flush);
                if (z.avail_out == 0) {
                    std::fwrite(buf.data(), 1, buf.size(), out);
                    if (keep) member.append(reinterpret_cast<char*>(buf.data()), buf.size());
                    z.next_out = buf.data();
                    z.avail_out = static_cast<uInt>(buf.size());
                    if (rc != Z_STREAM_END) continue;
                }
                if (rc == Z_STREAM_END || (flush == Z_NO_FLUSH && z.avail_in == 0)) break;
            }
        }
        std::size_t rest = buf.size() - z.avail_out;
        std::fwrite(buf.data(), 1, rest, out);
        if (keep) member.append(reinterpret_cast<char*>(buf.data()), rest);
        deflateEnd(&z);
        std::fclose(src);
        members.push_back(std::move(member));
    }
    std::fclose(out);
    return members;
}

void PackGzip(const Corpus& c) {
    std::string cmd = "gzip -" + std::to_string(kLevel) + " -n -c";
    for (const std::string& f : c.files) cmd += " '" + f + "'";
    cmd += " > '" + (Data().root / (c.name + ".gz")).string() + "'";
    if (std::system(cmd.c_str()) != 0) std::cerr << "gzip failed\n";
}

// tar of the corpus folder piped through pigz at the same level, every core.
std::string TarGzOf(const Corpus& c) { return (Data().root / (c.name + ".tar.gz")).string(); }

void PackTarPigz(const Corpus& c) {
    std::string cmd = "tar -C '" + (Data().root / c.name).string() + "' -cf - . | pigz -" + std::to_string(kLevel) +
                      " > '" + TarGzOf(c) + "'";
    if (std::system(cmd.c_str()) != 0) std::cerr << "tar | pigz failed\n";
}

void ExtractTarGz(const Corpus& c) {
    fs::path dir = Data().root / (c.name + "-tar");
    fs::create_directories(dir);
    std::string cmd = "tar -C '" + dir.string() + "' -xzf '" + TarGzOf(c) + "'";
    if (std::system(cmd.c_str()) != 0) std::cerr << "tar xzf failed\n";
}

// ---- the extractors -------------------------------------------------------

void ExtractOurs(const Corpus& c, int threads = 0) {
    TTmslCompress t(MakeHostPathArchiveHost());
    t.Threads = threads;
    t.SetCompressedFile(ArchiveOf(c));
    t.ExtractDirectory = (Data().root / (c.name + "-ours")).string();
    t.SetFilesToProcess(c.files);
    t.Extract();
}

// The member's date on a written file, as every extractor of the format
// must leave it.
void SetDate(FILE* f, double date) {
    std::int64_t ms = platform::DateTimeToUnixMs(date);
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(ms / 1000);
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(ms % 1000 * 1000000);
    std::fflush(f);
    ::futimens(::fileno(f), times);
}

// Plain inflate of each member's data into a file of its name, with its date.
void ExtractPlain(const Corpus& c) {
    TTmslCompress t(MakeHostPathArchiveHost());
    t.SetCompressedFile(ArchiveOf(c));
    t.Count();
    fs::path dir = Data().root / (c.name + "-plain");
    fs::create_directories(dir);
    FILE* arc = std::fopen(ArchiveOf(c).c_str(), "rb");
    std::vector<unsigned char> in(65536), out(65536);
    for (int i = 0; i < t.Headers().Count(); ++i) {
        const TFileHeader& h = t.Headers().FileHeaders(i);
        FILE* dst = std::fopen((dir / fs::path(h.FileName).filename()).c_str(), "wb");
        std::fseek(arc, h.DataStart, SEEK_SET);
        long left = h.LastDataPos - h.DataStart + 1;
        z_stream z{};
        inflateInit(&z);
        int rc = Z_OK;
        while (rc != Z_STREAM_END && left > 0) {
            std::size_t n = std::fread(in.data(), 1, std::min<long>(left, 65536), arc);
            left -= static_cast<long>(n);
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                rc = inflate(&z, Z_NO_FLUSH);
                std::fwrite(out.data(), 1, out.size() - z.avail_out, dst);
            } while (z.avail_out == 0 && rc == Z_OK);
        }
        inflateEnd(&z);
        SetDate(dst, h.FileDate);
        std::fclose(dst);
    }
    std::fclose(arc);
}

// Our member bytes must be the harness's: same calls, same work.
bool SameMembers(const Corpus& c) {
    PackOurs(c);
    std::vector<std::string> harness = PackHarness(c, true);
    TTmslCompress t(MakeHostPathArchiveHost());
    t.SetCompressedFile(ArchiveOf(c));
    if (t.Count() != static_cast<int>(harness.size())) return false;
    std::ifstream arc(ArchiveOf(c), std::ios::binary);
    for (int i = 0; i < t.Count(); ++i) {
        const TFileHeader& h = t.Headers().FileHeaders(i);
        std::string data(static_cast<std::size_t>(h.LastDataPos - h.DataStart + 1), '\0');
        arc.seekg(h.DataStart);
        arc.read(data.data(), static_cast<std::streamsize>(data.size()));
        if (data != harness[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

const Corpus& CorpusAt(const benchmark::State& state) { return Data().corpora[static_cast<std::size_t>(state.range(0))]; }

void Label(benchmark::State& state, const Corpus& c) {
    state.SetLabel(c.name);
    state.SetBytesProcessed(state.iterations() * c.bytes);
}

void BM_PackOurs(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    if (!SameMembers(c)) {
        state.SkipWithError("member bytes differ from the zlib harness");
        return;
    }
    for (auto _ : state) PackOurs(c);
    Label(state, c);
}

void BM_PackOursOneThread(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    for (auto _ : state) PackOurs(c, 1);
    Label(state, c);
}

void BM_PackTarPigz(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    for (auto _ : state) PackTarPigz(c);
    Label(state, c);
}

void BM_PackZlibHarness(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    for (auto _ : state) PackHarness(c, false);
    Label(state, c);
}

void BM_PackGzip(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    for (auto _ : state) PackGzip(c);
    Label(state, c);
}

// Both extractors write into a fresh folder each time, as an install does;
// clearing the last one is not timed. The removal is also settled on the
// disk before timing resumes: otherwise a journalling file system does the
// previous round's deletes (and discards) during the next round's writes.
void ClearOutput(benchmark::State& state, const Corpus& c, const char* suffix) {
    state.PauseTiming();
    std::error_code ec;
    fs::remove_all(Data().root / (c.name + suffix), ec);
    int fd = ::open(Data().root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    state.ResumeTiming();
}

// Both extractors leave the same files: bytes and dates.
bool SameOutput(const Corpus& c) {
    for (const char* suffix : {"-ours", "-plain"}) {
        std::error_code ec;
        fs::remove_all(Data().root / (c.name + suffix), ec);
    }
    ExtractOurs(c);
    ExtractPlain(c);
    for (const std::string& file : c.files) {
        std::string name = fs::path(file).filename().string();
        fs::path ours = Data().root / (c.name + "-ours") / name, plain = Data().root / (c.name + "-plain") / name;
        struct stat a, b;
        if (::stat(ours.c_str(), &a) != 0 || ::stat(plain.c_str(), &b) != 0 || a.st_size != b.st_size ||
            a.st_mtim.tv_sec != b.st_mtim.tv_sec || a.st_mtim.tv_nsec != b.st_mtim.tv_nsec)
            return false;
        std::ifstream x(ours, std::ios::binary), y(plain, std::ios::binary);
        if (!std::equal(std::istreambuf_iterator<char>(x), {}, std::istreambuf_iterator<char>(y), {})) return false;
    }
    return true;
}

void BM_ExtractOurs(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    PackOurs(c);
    if (!SameOutput(c)) {
        state.SkipWithError("extracted files differ from plain inflate's");
        return;
    }
    for (auto _ : state) {
        ClearOutput(state, c, "-ours");
        ExtractOurs(c);
    }
    Label(state, c);
}

void BM_ExtractOursOneThread(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    PackOurs(c);
    for (auto _ : state) {
        ClearOutput(state, c, "-ours");
        ExtractOurs(c, 1);
    }
    Label(state, c);
}

void BM_ExtractTarGz(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    PackTarPigz(c);
    for (auto _ : state) {
        ClearOutput(state, c, "-tar");
        ExtractTarGz(c);
    }
    Label(state, c);
}

void BM_ExtractPlainInflate(benchmark::State& state) {
    const Corpus& c = CorpusAt(state);
    PackOurs(c);
    for (auto _ : state) {
        ClearOutput(state, c, "-plain");
        ExtractPlain(c);
    }
    Label(state, c);
}

void Corpora(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < 4; ++i) b->Arg(i);
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

}  // namespace

BENCHMARK(BM_PackOurs)->Apply(Corpora);
BENCHMARK(BM_PackOursOneThread)->Apply(Corpora);
BENCHMARK(BM_PackZlibHarness)->Apply(Corpora);
BENCHMARK(BM_PackGzip)->Apply(Corpora);
BENCHMARK(BM_PackTarPigz)->Apply(Corpora);
BENCHMARK(BM_ExtractOurs)->Apply(Corpora);
BENCHMARK(BM_ExtractOursOneThread)->Apply(Corpora);
BENCHMARK(BM_ExtractPlainInflate)->Apply(Corpora);
BENCHMARK(BM_ExtractTarGz)->Apply(Corpora);

BENCHMARK_MAIN();
