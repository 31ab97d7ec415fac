#include "testkit/generators/sample/SampleWriter.h"

#include "app/data/TableSchemas.h"
#include "app/data/TablesVersion.h"
#include "platform/core/runtime/Exception.h"
#include "platform/tables/Table.h"
#include "testkit/generators/sample/content/SampleContent.h"

#include <QImage>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <jpeglib.h>

namespace sample {

namespace fs = std::filesystem;

namespace {

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// The libjpeg part, with no C++ object in its frame.
bool Compress(jpeg_compress_struct* cinfo, JpegError* err, const QImage* img, unsigned char** out,
              unsigned long* size) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_dest(cinfo, out, size);
    cinfo->image_width = static_cast<JDIMENSION>(img->width());
    cinfo->image_height = static_cast<JDIMENSION>(img->height());
    cinfo->input_components = 4;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo->in_color_space = JCS_EXT_BGRX;
#else
    cinfo->in_color_space = JCS_EXT_XRGB;
#endif
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, 90, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img->constScanLine(static_cast<int>(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw platform::Exception("Cannot write " + path.string());
}

// One table of the installation, appended to record by record.
class TableWriter {
public:
    TableWriter(platform::TSession& session, const fs::path& dataDir, const std::string& file) : table_(&session) {
        table_.DatabaseName = dataDir.string();
        table_.TableName = file;
        table_.CreateTable(vorel::SchemaOf(file));
        table_.Open();
    }
    void Begin() { table_.Append(); }
    void Text(const char* field, const std::string& value) { table_.FieldByName(field).SetAsString(value); }
    void Number(const char* field, const sample::Number& value) {
        if (value) table_.FieldByName(field).SetAsFloat(*value);
    }
    void Bytes(const char* field, const std::string& value) { table_.FieldByName(field).SetAsBytes(value); }
    void End() { table_.Post(); }
    // Opening again with the schema's indexes builds them over the written
    // records at once (faster than keeping them through every insert) and
    // gives the planner its statistics.
    ~TableWriter() {
        table_.Close();
        table_.Indexes = vorel::SchemaOf(table_.TableName).Indexes;
        table_.Open();
    }

private:
    platform::TTable table_;
};

void WriteTransistor(TableWriter& t, const Transistor& r) {
    t.Begin();
    t.Text("Identificacao", r.Identificacao);
    t.Text("Fabricante", r.Fabricante);
    t.Text("Uso", r.Uso);
    t.Text("Polaridade", r.Polaridade);
    t.Number("Vceo", r.Vceo);
    t.Number("Vceosus", r.Vceosus);
    t.Number("Vcev", r.Vcev);
    t.Number("Vbrceo", r.Vbrceo);
    t.Number("Vcbo", r.Vcbo);
    t.Number("Vebo", r.Vebo);
    t.Number("Ic", r.Ic);
    t.Number("Icm", r.Icm);
    t.Number("Ib", r.Ib);
    t.Number("Ibm", r.Ibm);
    t.Number("Pd", r.Pd);
    t.Text("Tpd", r.Tpd);
    t.Text("Hfe1", r.Hfe1);
    t.Text("Ichfe1", r.Ichfe1);
    t.Text("Hfe2", r.Hfe2);
    t.Text("Ichfe2", r.Ichfe2);
    t.Text("Vcesat", r.Vcesat);
    t.Text("Icibvce", r.Icibvce);
    t.Text("Vbesat", r.Vbesat);
    t.Text("Icibvbe", r.Icibvbe);
    t.Text("Toff", r.Toff);
    t.Text("Ictoff", r.Ictoff);
    t.Text("Ft", r.Ft);
    t.Text("Ftip", r.Ftip);
    t.Text("Fftip", r.Fftip);
    t.Text("Encapsulamento", r.Encapsulamento);
    t.Text("Observacoes", r.Observacoes);
    t.End();
}

void WriteDiodoR(TableWriter& t, const DiodoR& r) {
    t.Begin();
    t.Text("Identificacao", r.Identificacao);
    t.Text("Uso", r.Uso);
    t.Text("Vrm", r.Vrm);
    t.Number("Vr", r.Vr);
    t.Number("Io", r.Io);
    t.Text("Ifsm", r.Ifsm);
    t.Number("Pd", r.Pd);
    t.Text("Nota", r.Nota);
    t.Text("Encapsulamento", r.Encapsulamento);
    t.Text("Fabricante", r.Fabricante);
    t.End();
}

void WriteDiodoZ(TableWriter& t, const DiodoZ& r) {
    t.Begin();
    t.Text("Identificacao", r.Identificacao);
    t.Text("Marca", r.Marca);
    t.Number("Tn", r.Tn);
    t.Number("Iz", r.Iz);
    t.Number("Pd", r.Pd);
    t.Text("Tj", r.Tj);
    t.Text("Rij", r.Rij);
    t.Text("Nota", r.Nota);
    t.Text("Tolerancia", r.Tolerancia);
    t.Text("Encapsulamento", r.Encapsulamento);
    t.Text("Fabricante", r.Fabricante);
    t.End();
}

void WriteIntegrado(TableWriter& t, const Integrado& r) {
    t.Begin();
    t.Text("Identificacao", r.Identificacao);
    t.Text("Fabricante", r.Fabricante);
    t.Text("Descricao", r.Descricao);
    t.End();
}

// Synthetic devices: codes that sort after the real ones' prefixes would
// not matter; they only need to be unique and plausible.
std::string SyntheticCode(const char* prefix, int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%06d", prefix, i);
    return buf;
}

template <typename T>
const T& Pick(const std::vector<T>& from, int i) {
    return from[static_cast<size_t>(i) % from.size()];
}

void WriteSynthetic(TableWriter& tr, TableWriter& dr, TableWriter& dz, TableWriter& ci, int scale) {
    static const double kVolts[] = {12, 20, 25, 30, 32, 40, 45, 50, 60, 80, 100, 120, 160, 250, 300, 400};
    static const double kPower[] = {0.2, 0.25, 0.3, 0.5, 0.625, 0.8, 1, 1.5, 10, 25, 40, 50, 80, 115};
    for (int i = 0; i < scale; ++i) {
        Transistor t = Pick(Transistores(), i);
        t.Identificacao = SyntheticCode("SYN", i);
        t.Vceo = kVolts[i % 16];
        t.Pd = kPower[(i / 16) % 14];
        t.Ic = 0.1 * (1 + i % 50);
        t.Polaridade = i % 2 ? "PNP" : "NPN";
        t.Observacoes = "Synthetic device for load tests.";
        WriteTransistor(tr, t);
    }
    for (int i = 0; i < scale / 4; ++i) {
        DiodoR d = Pick(DiodosR(), i);
        d.Identificacao = SyntheticCode("SYNR", i);
        d.Vr = kVolts[i % 16];
        WriteDiodoR(dr, d);
        DiodoZ z = Pick(DiodosZ(), i);
        z.Identificacao = SyntheticCode("SYNZ", i);
        z.Tn = 2.4 + 0.1 * (i % 300);
        WriteDiodoZ(dz, z);
    }
    for (int i = 0; i < scale / 2; ++i) {
        Integrado c = Pick(Integrados(), i);
        c.Identificacao = SyntheticCode("SYNIC", i);
        WriteIntegrado(ci, c);
    }
}

}  // namespace

std::string EncodeJpeg(const QImage& image) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) throw platform::Exception("Cannot encode an empty picture");
    jpeg_compress_struct cinfo;
    JpegError err;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnJpegError;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    bool ok = false;
    if (!setjmp(err.jump)) {
        jpeg_create_compress(&cinfo);
        ok = Compress(&cinfo, &err, &rgb, &out, &size);
    }
    jpeg_destroy_compress(&cinfo);
    std::string bytes;
    if (ok && out) bytes.assign(reinterpret_cast<const char*>(out), size);
    std::free(out);
    if (!ok) throw platform::Exception(std::string("JPEG error: ") + err.message);
    return bytes;
}

void WriteInstallation(const fs::path& base, const WriteOptions& options) {
    const fs::path data = base / "data";
    fs::create_directories(data);
    // First, so that even a half-written sample can be replaced.
    WriteFile(base / kSampleMarker, "written by vorel-sample\n");
    fs::create_directories(data / "backup");
    fs::create_directories(base / "library");
    fs::create_directories(base / "Help");

    platform::TSession session;
    session.SyncWrites = false;  // fresh files: a crash means writing them again
    session.AddPassword(vorel::kTablePassword);

    {
        TableWriter graficos(session, data, "Graficos.db");
        for (const auto& name : PictureNames()) {
            graficos.Begin();
            graficos.Text("Identificacao", name);
            graficos.Bytes("Figura", EncodeJpeg(DrawPicture(name)));
            graficos.End();
        }
    }
    {
        TableWriter tr(session, data, "Transistores.db"), dr(session, data, "DiodosR.db"),
            dz(session, data, "DiodosZ.db"), ci(session, data, "Integrados.db");
        for (const auto& r : Transistores()) WriteTransistor(tr, r);
        for (const auto& r : DiodosR()) WriteDiodoR(dr, r);
        for (const auto& r : DiodosZ()) WriteDiodoZ(dz, r);
        for (const auto& r : Integrados()) WriteIntegrado(ci, r);
        if (options.scale > 0) WriteSynthetic(tr, dr, dz, ci, options.scale);
    }
    {
        TableWriter t(session, data, "Reparos.db");
        for (const auto& r : Reparos()) {
            t.Begin();
            t.Text("Fabricante", r.Fabricante);
            t.Text("Equipamento", r.Equipamento);
            t.Text("Modelo", r.Modelo);
            t.Text("Defeito", r.Defeito);
            t.Bytes("Descricao", r.Descricao);
            t.End();
        }
    }
    {
        TableWriter t(session, data, "DS.db");
        for (const auto& r : DS()) {
            t.Begin();
            t.Text("Original", r.Original);
            t.Text("Fabricante", r.Fabricante);
            t.Text("Descricao", r.Descricao);
            t.Text("Similar", r.Similar);
            t.Text("Equivalente", r.Equivalente);
            t.End();
        }
    }

    WriteFile(data / vorel::kTablesVersionFile, std::string(kVersaoTabelas) + "\r\n");
    WriteFile(base / "vorel.ini", VorelIni());
    WriteFile(base / "legenda.rtf", LegendaRtf());
    WriteFile(base / "Help" / "visao_geral.html", HelpStartPage());
    for (const auto& [name, text] : LibraryTexts()) WriteFile(base / "library" / name, text);
}

}  // namespace sample
