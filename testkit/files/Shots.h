#pragma once
// Test helper for the screenshot tests: the folder VOREL_SHOTS_DIR names,
// made when it is missing, and saving a picture there as a checked step, so
// a test that was asked for pictures fails when it cannot leave them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace platform::testing {

// The pictures' folder, made with its parents; nothing when VOREL_SHOTS_DIR
// is not set. A folder that cannot be made fails the test.
inline std::optional<QString> ShotsDir() {
    const char* dir = std::getenv("VOREL_SHOTS_DIR");
    if (!dir || !*dir) return std::nullopt;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) ADD_FAILURE() << "cannot make the pictures' folder " << dir;
    return QString::fromLocal8Bit(dir);
}

// Saves a picture as file (a PNG by its name); one that cannot be written
// fails the test.
inline void SaveShot(const QImage& picture, const QString& file) {
    EXPECT_TRUE(!picture.isNull() && picture.save(file)) << "cannot write " << file.toStdString();
}
inline void SaveShot(const QPixmap& picture, const QString& file) { SaveShot(picture.toImage(), file); }

}  // namespace platform::testing
