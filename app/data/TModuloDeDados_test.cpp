#include "app/data/TableSchemas.h"
#include "app/data/Jpeg.h"
#include "app/data/TModuloDeDados.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/EDBEngineError.h"
#include "testkit/files/TempDir.h"

#include <QBuffer>
#include <QImageWriter>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>
#include <map>

namespace vorel {
namespace {

using platform::testing::TempDir;
using ::testing::HasSubstr;

std::string JpegOf(QColor color, int w = 40, int h = 30) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, "JPG", 95)) return {};
    return bytes.toStdString();
}

bool CanWriteJpeg() { return QImageWriter::supportedImageFormats().contains("jpeg"); }

// A base directory with the seven tables and a few records.
struct Installation {
    platform::testing::TempDir dir;
    std::string base = dir.Path().string();

    explicit Installation(bool withData = true) {
        if (!withData) return;
        std::filesystem::create_directory(dir.Path() / "Data");  // any case will do
        platform::TSession s;
        s.AddPassword(kTablePassword);
        for (const auto& t : TableDefinitions()) {
            platform::TTable table(&s);
            table.DatabaseName = (dir.Path() / "Data").string();
            table.TableName = t.File;
            table.CreateTable(t.Schema);
        }
        Add(s, "Transistores.db", {{"Identificacao", "BC547"}, {"Encapsulamento", " TO-92 "}, {"Polaridade", "NPN"}});
        Add(s, "Transistores.db", {{"Identificacao", "BC557"}, {"Encapsulamento", "TO-92"}, {"Polaridade", "PNP"}});
        Add(s, "DiodosR.db", {{"Identificacao", "1N4007"}, {"Encapsulamento", "DO-41 "}});
        Add(s, "DiodosZ.db", {{"Identificacao", "BZX55C5V1"}, {"Encapsulamento", "DO-35 "}});
        Add(s, "Reparos.db", {{"Fabricante", "Sony"}, {"Equipamento", "TV"}, {"Modelo", "KV-21"}, {"Defeito", "No picture"}});
        Add(s, "DS.db", {{"Original", "BC547"}, {"Fabricante", "Philips"}});
        Add(s, "Integrados.db", {{"Identificacao", "LM741"}, {"Fabricante", "National"}});
        AddPicture(s, "TO-92", JpegOf(Qt::red));
        AddPicture(s, "DO-41 ", JpegOf(Qt::blue));  // rectifiers look up the name as stored
        AddPicture(s, "DO-35", JpegOf(Qt::green));
        AddPicture(s, "garbage", "this is not a picture");
        AddPicture(s, "truncated", JpegOf(Qt::red).substr(0, 20));
    }
    void Add(platform::TSession& s, const std::string& file, const std::map<std::string, std::string>& values) {
        platform::TTable t(&s);
        t.DatabaseName = (dir.Path() / "Data").string();
        t.TableName = file;
        t.Open();
        t.Append();
        for (const auto& [k, v] : values) t.FieldByName(k).SetAsString(v);
        t.Post();
    }
    void AddPicture(platform::TSession& s, const std::string& name, const std::string& bytes) {
        platform::TTable t(&s);
        t.DatabaseName = (dir.Path() / "Data").string();
        t.TableName = "Graficos.db";
        t.Open();
        t.Append();
        t.FieldByName("Identificacao").SetAsString(name);
        t.FieldByName("Figura").SetAsBytes(bytes);
        t.Post();
    }
};

struct FakeWindow : WindowSide {
    bool starting = false;
    std::map<Device, bool> enabled{{Device::Transistores, true}, {Device::DiodosR, true}, {Device::DiodosZ, true}};
    std::map<Device, std::string> boxes;
    std::map<Device, bool> enabledWhenWritten;
    std::map<Device, platform::TImage> originals, equivalents;
    int bdr = 0, terminated = 0;

    bool Starting() const override { return starting; }
    void EnableQuickSearch(Device d, bool on) override { enabled[d] = on; }
    void WriteQuickSearch(Device d, const std::string& text) override {
        boxes[d] = text;
        enabledWhenWritten[d] = enabled[d];
    }
    platform::TImage& OriginalPicture(Device d) override { return originals[d]; }
    platform::TImage& EquivalentPicture(Device d) override { return equivalents[d]; }
    void ExibeRegistroBDR() override { ++bdr; }
    void Terminate() override { ++terminated; }
};

QRgb Centre(const platform::TImage& img) { return img.Picture().pixel(img.Picture().width() / 2, img.Picture().height() / 2); }

TEST(AbreBancosDeDados, OpensEverythingAndMakesTheTemporaryDirectory) {
    Installation inst;
    ASSERT_FALSE(std::filesystem::exists(inst.dir.Path() / "Data" / "temp"));
    TModuloDeDados m(inst.base);
    FakeWindow w;
    w.starting = true;
    m.SetWindow(&w);
    m.AbreBancosDeDados();
    EXPECT_TRUE(std::filesystem::is_directory(inst.dir.Path() / "Data" / "temp"));
    EXPECT_EQ(m.Session1.PrivateDir, (inst.dir.Path() / "Data" / "temp").string());
    EXPECT_EQ(m.Session1.SessionName, "SessionCorrente");
    EXPECT_TRUE(m.Session1.HasPassword("vKarPelmuZ"));  // given by the password event
    for (platform::TTable* t : {&m.TabelaGraficos, &m.TabelaBDR, &m.TabelaTransistores, &m.TabelaDiodosR,
                                &m.TabelaDiodosZ, &m.TabelaIntegrados})
        EXPECT_TRUE(t->Active()) << t->TableName;
    EXPECT_TRUE(m.TabelaGraficos.ReadOnly);
    EXPECT_EQ(m.TabelaTransistores.FieldByName("Identificacao").AsString(), "BC547");
    EXPECT_TRUE(m.PesquisarDS.Active());
    EXPECT_EQ(m.PesquisarDS.FieldByName("Original").AsString(), "BC547");
    EXPECT_FALSE(m.PesquisarTransistores.Active());
    EXPECT_FALSE(m.TabelaAtualiza.Active());
    EXPECT_EQ(m.TabelaAtualiza.DatabaseName, m.DataDirectory());
    EXPECT_GE(w.bdr, 1);  // Reparos scrolled on open
    EXPECT_FALSE(m.TerminationRequested());

    // A second run finds the directory and reopens every table.
    m.AbreBancosDeDados();
    EXPECT_TRUE(m.TabelaIntegrados.Active());
}

TEST(AbreBancosDeDados, MissingDataDirectoryEndsTheProgram) {
    Installation inst(false);
    platform::ScriptedMessenger messenger;
    TModuloDeDados m(inst.base);
    FakeWindow w;
    m.SetWindow(&w);
    m.AbreBancosDeDados();
    ASSERT_EQ(messenger.shown.size(), 1u);
    // The text as it stands, then the folder and the system's reason.
    EXPECT_EQ(messenger.shown[0].text, "Error when creating the temporary directory.\n" +
                                           (inst.dir.Path() / "data" / "temp").string() +
                                           ": No such file or directory");
    EXPECT_EQ(messenger.shown[0].icon, platform::MsgIcon::Error);
    EXPECT_TRUE(m.TerminationRequested());
    EXPECT_EQ(w.terminated, 1);
    EXPECT_FALSE(m.TabelaTransistores.Active());
    EXPECT_FALSE(std::filesystem::exists(inst.dir.Path() / "data"));
}

TEST(AbreBancosDeDados, AFolderThatCannotBeMadeIsNamedWithTheReason) {
    Installation inst(false);
    std::filesystem::create_directory(inst.dir.Path() / "data");
    std::ofstream(inst.dir.Path() / "data" / "temp") << "a file where the folder goes";
    platform::ScriptedMessenger messenger;
    TModuloDeDados m(inst.base);
    m.AbreBancosDeDados();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "Error when creating the temporary directory.\n" +
                                           (inst.dir.Path() / "data" / "temp").string() + ": File exists");
    EXPECT_TRUE(m.TerminationRequested());
}

TEST(AbreBancosDeDados, MissingTableRaisesTheEngineError) {
    Installation inst;
    std::filesystem::remove(inst.dir.Path() / "Data" / "DiodosZ.db");
    TModuloDeDados m(inst.base);
    try {
        m.AbreBancosDeDados();
        FAIL();
    } catch (const platform::EDBEngineError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("DiodosZ.db"));
    }
    EXPECT_TRUE(m.TabelaDiodosR.Active());  // those before it stay open
}

TEST(ExibeImagem, FoundNotFoundAndNotAJpeg) {
    if (!CanWriteJpeg()) GTEST_SKIP() << "no JPEG writer to make pictures with";
    Installation inst;
    TModuloDeDados m(inst.base);
    m.AbreBancosDeDados();
    platform::TImage image;
    m.ExibeImagem("to-92", image);  // names match ignoring case
    ASSERT_FALSE(image.Empty());
    EXPECT_EQ(image.Picture().size(), QSize(40, 30));
    EXPECT_GT(qRed(Centre(image)), 200);
    EXPECT_LT(qGreen(Centre(image)), 60);

    m.ExibeImagem("no such picture", image);  // unchanged
    EXPECT_GT(qRed(Centre(image)), 200);
    m.ExibeImagem("", image);  // the empty name: no row, unchanged
    EXPECT_FALSE(image.Empty());

    for (const char* bad : {"garbage", "truncated"}) {
        try {
            m.ExibeImagem(bad, image);
            FAIL() << bad;
        } catch (const EJPEG& e) {
            EXPECT_THAT(e.Message(), HasSubstr(bad));
            EXPECT_THAT(e.Message(), HasSubstr("JPEG"));
        }
        EXPECT_GT(qRed(Centre(image)), 200);  // still the last good picture
    }
    EXPECT_THROW(DecodePicture(""), EJPEG);
    EXPECT_THROW(DecodePicture(std::string("\xFF\xD8\xFF", 3)), EJPEG);

    // A picture replaced under the same name shows as it now is, not as it was decoded before.
    m.ExibeImagem("TO-92", image);
    EXPECT_GT(qRed(Centre(image)), 200);
    {
        platform::TSession s;
        s.AddPassword(kTablePassword);
        platform::TTable t(&s);
        t.DatabaseName = (inst.dir.Path() / "Data").string();
        t.TableName = "Graficos.db";
        t.Open();
        t.SetKey();
        ASSERT_TRUE(t.FindKey({"TO-92"}));
        t.Edit();
        t.FieldByName("Figura").SetAsBytes(JpegOf(Qt::green));
        t.Post();
    }
    m.ExibeImagem("TO-92", image);
    EXPECT_LT(qRed(Centre(image)), 60);
    EXPECT_GT(qGreen(Centre(image)), 100);
    // Shown again and in another image: the same picture.
    platform::TImage other;
    m.ExibeImagem("to-92", other);
    EXPECT_EQ(other.Picture(), image.Picture());
    m.ExibeImagem("DO-35", image);
    m.ExibeImagem("TO-92", image);
    EXPECT_EQ(other.Picture(), image.Picture());
}

TEST(AfterScroll, DeviceTableClosesTheQueryAndShowsThePicture) {
    if (!CanWriteJpeg()) GTEST_SKIP() << "no JPEG writer to make pictures with";
    Installation inst;
    TModuloDeDados m(inst.base);
    FakeWindow w;
    w.starting = true;
    m.SetWindow(&w);
    m.AbreBancosDeDados();

    // While starting: the query closes and the equivalent's picture blanks, nothing more.
    m.PesquisarTransistores.Open();
    w.equivalents[Device::Transistores].SetPicture(QImage(4, 4, QImage::Format_RGB32));
    m.TabelaTransistores.Next();
    EXPECT_FALSE(m.PesquisarTransistores.Active());
    EXPECT_TRUE(w.equivalents[Device::Transistores].Empty());
    EXPECT_TRUE(w.boxes.empty());
    EXPECT_TRUE(w.originals[Device::Transistores].Empty());

    w.starting = false;
    m.PesquisarTransistores.Open();  // its own scroll shows the first equivalent's picture (trimmed " TO-92 ")
    EXPECT_FALSE(w.equivalents[Device::Transistores].Empty());
    m.TabelaTransistores.First();
    EXPECT_FALSE(m.PesquisarTransistores.Active());
    EXPECT_TRUE(w.equivalents[Device::Transistores].Empty());
    EXPECT_EQ(w.boxes[Device::Transistores], "BC547");
    EXPECT_FALSE(w.enabledWhenWritten[Device::Transistores]);  // the write starts no quick search
    EXPECT_TRUE(w.enabled[Device::Transistores]);
    EXPECT_FALSE(w.originals[Device::Transistores].Empty());

    // Rectifier diodes look the name up as stored ("DO-41 " has a row of that name).
    m.TabelaDiodosR.First();
    EXPECT_FALSE(w.originals[Device::DiodosR].Empty());
    EXPECT_EQ(w.boxes[Device::DiodosR], "1N4007");
    // Zener diodes trim it ("DO-35 " shows "DO-35").
    m.TabelaDiodosZ.First();
    EXPECT_FALSE(w.originals[Device::DiodosZ].Empty());

    // Positioning by key raises no handler.
    w.boxes.clear();
    m.TabelaTransistores.SetKey();
    m.TabelaTransistores.FindNearest({"BC5"});
    EXPECT_TRUE(w.boxes.empty());

    // The repair table's handler is the window's copy of the record.
    int before = w.bdr;
    m.TabelaBDR.First();
    EXPECT_EQ(w.bdr, before + 1);
}

TEST(AfterScroll, ABadPictureLeavesTheQuickSearchEnabled) {
    if (!CanWriteJpeg()) GTEST_SKIP() << "no JPEG writer to make pictures with";
    Installation inst;
    {
        platform::TSession s;
        s.AddPassword(kTablePassword);
        inst.Add(s, "Transistores.db", {{"Identificacao", "ZZ1"}, {"Encapsulamento", "garbage"}});
    }
    TModuloDeDados m(inst.base);
    FakeWindow w;
    m.SetWindow(&w);
    m.AbreBancosDeDados();
    // The handler raises through Last; the default handler shows it.
    EXPECT_THROW(m.TabelaTransistores.Last(), EJPEG);
    EXPECT_EQ(m.TabelaTransistores.FieldByName("Identificacao").AsString(), "ZZ1");
    // Nothing stays half-done: the box's flag is set again.
    EXPECT_TRUE(w.enabled[Device::Transistores]);
}

TEST(TableSchemas, SevenTablesWithTheirKeysAndPasswords) {
    ASSERT_EQ(TableDefinitions().size(), 7u);
    EXPECT_EQ(SchemaOf("transistores.db").Fields.size(), 31u);
    EXPECT_EQ(SchemaOf("DS.db").Key, (std::vector<std::string>{"Original", "Fabricante"}));
    EXPECT_EQ(SchemaOf("Reparos.db").Password, "");
    EXPECT_EQ(SchemaOf("DS.db").Password, "");
    EXPECT_EQ(SchemaOf("Integrados.db").Password, kTablePassword);
    EXPECT_THROW(SchemaOf("Other.db"), platform::Exception);
}

}  // namespace
}  // namespace vorel
