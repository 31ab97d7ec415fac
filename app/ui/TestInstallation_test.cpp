#include "testkit/app/TestInstallation.h"

#include <QBuffer>
#include <QImage>

#include "app/data/TableSchemas.h"
#include "platform/tables/Table.h"

namespace vorel::testing {

namespace {
std::string Jpeg(QColor colour) {
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 95);
    return bytes.toStdString();
}
}  // namespace

const std::map<std::string, QColor>& TestInstallation::Colours() {
    static const std::map<std::string, QColor> c = {
        {"abertura", QColor(128, 128, 128)}, {"cap_poli", QColor(200, 100, 0)}, {"resistor", QColor(0, 100, 200)},
        {"TO-3", QColor(255, 0, 0)},         {"TO-92", QColor(0, 255, 0)},     {"TO-126", QColor(0, 0, 255)},
        {"DO-41", QColor(255, 255, 0)},      {"DO-35", QColor(0, 255, 255)},
    };
    return c;
}

TestInstallation::TestInstallation() {
    std::filesystem::create_directory(Data());
    platform::TSession s;
    s.AddPassword(kTablePassword);
    for (const auto& t : TableDefinitions()) {
        platform::TTable table(&s);
        table.DatabaseName = Data().string();
        table.TableName = t.File;
        table.CreateTable(t.Schema);
    }
    const auto transistor = [&](Values v) { Add("Transistores.db", v); };
    transistor({{"Identificacao", "2N3055"}, {"Fabricante", "ST"}, {"Uso", "AF PWR"}, {"Polaridade", "NPN"},
                {"Vceo", "60"}, {"Vceosus", "70"}, {"Vcbo", "100"}, {"Ic", "15"}, {"Pd", "115"},
                {"Encapsulamento", "TO-3 "}, {"Observacoes", "Power amplifiers"}});
    transistor({{"Identificacao", "BC547"}, {"Fabricante", "PHILIPS"}, {"Uso", "AF"}, {"Polaridade", "NPN"},
                {"Vceo", "45"}, {"Vcbo", "50"}, {"Ic", "0.1"}, {"Icm", "0.2"}, {"Pd", "0.5"},
                {"Encapsulamento", "TO-92"}});
    transistor({{"Identificacao", "BC548"}, {"Fabricante", "PHILIPS"}, {"Uso", "AF"}, {"Polaridade", "NPN"},
                {"Vceo", "30"}, {"Ic", "0.1"}, {"Icm", "0.2"}, {"Pd", "0.5"}, {"Encapsulamento", "TO-92"}});
    transistor({{"Identificacao", "BC549"}, {"Fabricante", "PHILIPS"}, {"Uso", "AF"}, {"Polaridade", "NPN"},
                {"Vceo", "49"}, {"Ic", "0.1"}, {"Icm", "0.2"}, {"Pd", "0.5"}, {"Encapsulamento", "TO-92"}});
    transistor({{"Identificacao", "BC557"}, {"Fabricante", "PHILIPS"}, {"Uso", "AF"}, {"Polaridade", "PNP"},
                {"Vceo", "45"}, {"Ic", "0.1"}, {"Icm", "0.2"}, {"Pd", "0.5"}, {"Encapsulamento", "TO-92"}});
    transistor({{"Identificacao", "BD139"}, {"Fabricante", "ST"}, {"Uso", "\"Driver\""}, {"Polaridade", "NPN"},
                {"Vceo", "80"}, {"Ic", "1.5"}, {"Icm", "3"}, {"Pd", "12.5"}, {"Encapsulamento", "TO-126"}});

    const auto rectifier = [&](Values v) { Add("DiodosR.db", v); };
    rectifier({{"Identificacao", "1N4001"}, {"Uso", "GP"}, {"Vrm", "50"}, {"Vr", "50"}, {"Io", "1"},
               {"Ifsm", "30"}, {"Pd", "0"}, {"Nota", "General purpose"}, {"Encapsulamento", "DO-41"},
               {"Fabricante", "VISHAY"}});
    rectifier({{"Identificacao", "1N4002"}, {"Vr", "100"}, {"Io", "1"}, {"Encapsulamento", "DO-41"}});
    rectifier({{"Identificacao", "1N4007"}, {"Vr", "1000"}, {"Io", "1"}, {"Encapsulamento", "DO-41"}});
    rectifier({{"Identificacao", "1N5408"}, {"Vr", "1000"}, {"Io", "3"}, {"Encapsulamento", "DO-201"}});

    const auto zener = [&](Values v) { Add("DiodosZ.db", v); };
    zener({{"Identificacao", "BZX55C3V3"}, {"Marca", "3V3"}, {"Tn", "3.3"}, {"Iz", "0.005"}, {"Pd", "0.5"},
           {"Nota", "Glass"}, {"Encapsulamento", " DO-35"}, {"Fabricante", "NXP"}});
    zener({{"Identificacao", "BZX55C5V1"}, {"Tn", "5.1"}, {"Iz", "0.005"}, {"Pd", "0.5"}, {"Encapsulamento", "DO-35"}});
    zener({{"Identificacao", "BZX85C5V1"}, {"Tn", "5.1"}, {"Iz", "0.045"}, {"Pd", "1.3"}, {"Encapsulamento", "DO-41"}});
    zener({{"Identificacao", "TINY2V0"}, {"Tn", "2"}, {"Iz", "0.001"}, {"Pd", "0.0005"}, {"Encapsulamento", "DO-35"}});

    Add("Reparos.db", {{"Fabricante", "Sony"}, {"Equipamento", "TV"}, {"Modelo", "KV-21"}, {"Defeito", "No picture"}});
    Add("Integrados.db", {{"Identificacao", "LM741"}, {"Fabricante", "National"}});
    for (const auto& [name, colour] : Colours()) AddPicture(name, colour);
}

void TestInstallation::Add(const std::string& file, const Values& values) {
    platform::TSession s;
    s.AddPassword(kTablePassword);
    platform::TTable t(&s);
    t.DatabaseName = Data().string();
    t.TableName = file;
    t.Open();
    t.Append();
    // Numbers the record does not give are 0, as the catalogue stores them.
    for (int i = 0; i < t.FieldCount(); ++i)
        if (t.Fields(i).DataType() == platform::TFieldType::ftFloat) t.Fields(i).SetAsFloat(0);
    for (const auto& [k, v] : values) {
        platform::TField& f = t.FieldByName(k);
        if (f.DataType() == platform::TFieldType::ftFloat) f.SetAsFloat(std::stod(v));
        else f.SetAsString(v);
    }
    t.Post();
}

void TestInstallation::AddPicture(const std::string& name, QColor color) {
    platform::TSession s;
    s.AddPassword(kTablePassword);
    platform::TTable t(&s);
    t.DatabaseName = Data().string();
    t.TableName = "Graficos.db";
    t.Open();
    t.Append();
    t.FieldByName("Identificacao").SetAsString(name);
    t.FieldByName("Figura").SetAsBytes(Jpeg(color));
    t.Post();
}

CurrentDir::CurrentDir(const std::filesystem::path& dir) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

CurrentDir::~CurrentDir() {
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
}

}  // namespace vorel::testing
