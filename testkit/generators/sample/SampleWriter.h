#pragma once
// Writes a sample installation into a base directory: the seven tables in
// data\ with their version file (and data\backup beside them), the package
// drawings and start-up pictures as JPEG in Graficos, vorel.ini,
// Help\visao_geral.html and the technical texts in library\, and the marker
// file kSampleMarker. Scale adds synthetic devices for benchmarks.
#include <QImage>
#include <filesystem>
#include <string>

namespace sample {

struct WriteOptions {
    int scale = 0;  // synthetic transistors; a quarter as many of each diode kind, half as many ICs
};

// The file every sample installation holds, so that tools replace only a
// folder this writer made.
inline constexpr const char* kSampleMarker = ".vorel-sample";

// Needs a QGuiApplication (the drawings use fonts). Raises
// platform::Exception (the table engine's errors included) on failure.
void WriteInstallation(const std::filesystem::path& base, const WriteOptions& options);

// A picture as JPEG bytes (quality 90).
std::string EncodeJpeg(const QImage& image);

}  // namespace sample
