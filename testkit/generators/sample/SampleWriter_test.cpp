#include "testkit/generators/sample/SampleWriter.h"

#include "app/data/Jpeg.h"
#include "app/data/TModuloDeDados.h"
#include "platform/core/runtime/Text.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/tables/EDBEngineError.h"
#include "testkit/files/TempDir.h"
#include "testkit/generators/sample/content/SampleContent.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace sample {
namespace {

TEST(SampleInstallation, OpensThroughTheDataModule) {
    platform::testing::TempDir dir;
    WriteInstallation(dir.Path(), WriteOptions{40});

    vorel::TModuloDeDados m(dir.Path().string());
    m.AbreBancosDeDados();
    EXPECT_FALSE(m.TerminationRequested());
    EXPECT_EQ(m.TabelaTransistores.RecordCount(), static_cast<int>(Transistores().size()) + 40);
    EXPECT_EQ(m.TabelaDiodosR.RecordCount(), static_cast<int>(DiodosR().size()) + 10);
    EXPECT_EQ(m.TabelaDiodosZ.RecordCount(), static_cast<int>(DiodosZ().size()) + 10);
    EXPECT_EQ(m.TabelaIntegrados.RecordCount(), static_cast<int>(Integrados().size()) + 20);
    EXPECT_EQ(m.TabelaBDR.RecordCount(), static_cast<int>(Reparos().size()));
    EXPECT_EQ(m.PesquisarDS.RecordCount(), static_cast<int>(DS().size()));

    // Every start-up picture and every package drawing shows.
    platform::TImage image;
    for (const char* name : {"abertura", "cap_poli", "resistor"}) {
        image.Clear();
        m.ExibeImagem(name, image);
        EXPECT_FALSE(image.Empty()) << name;
    }
    EXPECT_EQ(image.Picture().size(), QSize(kResistorWidth, kResistorHeight));
    std::set<std::string> packages;
    for (m.TabelaTransistores.First(); !m.TabelaTransistores.Eof(); m.TabelaTransistores.Next())
        packages.insert(platform::TrimSpaces(m.TabelaTransistores.FieldByName("Encapsulamento").AsString()));
    for (m.TabelaDiodosR.First(); !m.TabelaDiodosR.Eof(); m.TabelaDiodosR.Next())
        packages.insert(m.TabelaDiodosR.FieldByName("Encapsulamento").AsString());
    for (const auto& p : packages) {
        image.Clear();
        m.ExibeImagem(p, image);
        EXPECT_FALSE(image.Empty()) << p;
    }

    // The equivalents search finds the original among its equivalents.
    m.TabelaTransistores.SetKey();
    ASSERT_TRUE(m.TabelaTransistores.FindKey({"BC547"}));
    m.PesquisarTransistores.SQL = {"select * from transistores.db where vceo >= 45.000 and vceo <= 45.000"};
    m.PesquisarTransistores.Open();
    bool found = false;
    for (; !m.PesquisarTransistores.Eof(); m.PesquisarTransistores.Next())
        found |= m.PesquisarTransistores.FieldByName("Identificacao").AsString() == "BC547";
    EXPECT_TRUE(found);

    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / "vorel.ini"));
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "legenda.rtf"), LegendaRtf().size());
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / "Help" / "visao_geral.html"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "data" / "backup"));
    for (const auto& [name, text] : LibraryTexts())
        EXPECT_EQ(std::filesystem::file_size(dir.Path() / "library" / name), text.size());

    // Writing over an installation is refused, not merged.
    EXPECT_THROW(WriteInstallation(dir.Path(), WriteOptions{}), platform::EDBEngineError);
}

TEST(SampleInstallation, JpegRoundTrip) {
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(QColor(10, 200, 30));
    QImage back = vorel::DecodePicture(EncodeJpeg(img));
    ASSERT_EQ(back.size(), img.size());
    QRgb c = back.pixel(32, 24);
    EXPECT_NEAR(qRed(c), 10, 8);
    EXPECT_NEAR(qGreen(c), 200, 8);
    EXPECT_NEAR(qBlue(c), 30, 8);
    EXPECT_THROW(EncodeJpeg(QImage()), platform::Exception);
}

TEST(SampleInstallation, CommandLine) {
    platform::testing::TempDir dir;
    const std::string tool = std::string(VOREL_BIN_DIR) + "/vorel-sample";
    if (!std::filesystem::exists(tool)) GTEST_SKIP() << "vorel-sample not built";
    EXPECT_NE(std::system((tool + " >/dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((tool + " x --scale -3 >/dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((tool + " x --bogus >/dev/null 2>&1").c_str()), 0);
    std::string out = (dir.Path() / "inst").string();
    EXPECT_EQ(std::system((tool + " '" + out + "' --scale 5 >/dev/null 2>&1").c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / "inst" / "data" / "Transistores.db"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / "inst" / kSampleMarker));
}

// The run script replaces a sample folder, never a folder of the user's.
TEST(SampleInstallation, OnlyASampleOrAnEmptyFolderIsCleared) {
    namespace fs = std::filesystem;
    platform::testing::TempDir dir;
    const std::string script = std::string(VOREL_SOURCE_DIR) + "/scripts/clear-sample.sh";
    auto clear = [&](const fs::path& p) { return std::system(("bash '" + script + "' '" + p.string() + "' 2>/dev/null").c_str()); };

    const fs::path sample = dir.Path() / "sample";
    fs::create_directories(sample / "data");
    { std::ofstream(sample / kSampleMarker) << "x"; }
    { std::ofstream(sample / "data" / "Reparos.db") << "x"; }
    EXPECT_EQ(clear(sample), 0);
    EXPECT_FALSE(fs::exists(sample));
    EXPECT_EQ(clear(sample), 0) << "a folder that is not there needs nothing";

    const fs::path empty = dir.Path() / "empty";
    fs::create_directories(empty);
    EXPECT_EQ(clear(empty), 0);
    EXPECT_FALSE(fs::exists(empty));

    const fs::path notes = dir.Path() / "notes";
    fs::create_directories(notes / "sub");
    { std::ofstream(notes / "todo.txt") << "keep me"; }
    EXPECT_NE(clear(notes), 0);
    EXPECT_TRUE(fs::is_regular_file(notes / "todo.txt"));
    // A marker deeper down does not count, nor does a link to a sample.
    { std::ofstream(notes / "sub" / kSampleMarker) << "x"; }
    EXPECT_NE(clear(notes), 0);
    fs::create_directories(sample);
    { std::ofstream(sample / kSampleMarker) << "x"; }
    fs::create_directory_symlink(sample, dir.Path() / "link");
    EXPECT_NE(clear(dir.Path() / "link"), 0);
    EXPECT_TRUE(fs::exists(sample / kSampleMarker));
    const fs::path file = dir.Path() / "file.txt";
    { std::ofstream(file) << "x"; }
    EXPECT_NE(clear(file), 0);
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
}  // namespace sample
