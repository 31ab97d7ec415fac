#include "app/icsearch/PaginaResultadoCI.h"

#include "platform/inifile/IniFile.h"
#include "platform/runtime/Text.h"
#include "platform/tables/DataSet.h"

#include <algorithm>

namespace vorel {

namespace {

const std::string kCelula = R"(<td><font face="Verdana, Arial, Helvetica, sans-serif" size="-2">)";

// A text field of a record as stored; null is empty.
std::string Texto(const platform::TRecord& r, size_t i) {
    if (i >= r.size()) return {};
    if (const auto* s = std::get_if<std::string>(&r[i])) return *s;
    return {};
}

void CabecalhoTabela(std::vector<std::string>& l) {
    l.push_back(R"(<div align="center">)");
    l.push_back(R"(<table width="95%" border="1">)");
    l.push_back(R"(<tr bgcolor="#000000">)");
    l.push_back(R"(<td width="7%">)");
    l.push_back(R"(<div align="center"><font size="-1" color="#FFFFFF" face="Verdana, Arial, Helvetica, sans-serif">Item</font></div>)");
    l.push_back("</td>");
    l.push_back(R"(<td width="20%">)");
    l.push_back(R"(<div align="center"><font color="#FFFFFF" face="Verdana, Arial, Helvetica, sans-serif" size="-1">Identification</font></div>)");
    l.push_back("</td>");
    l.push_back(R"(<td width="60%">)");
    l.push_back(R"(<div align="center"><font face="Verdana, Arial, Helvetica, sans-serif" size="-1" color="#FFFFFF">Description</font></div>)");
    l.push_back("</td>");
    l.push_back(R"(<td width="13%">)");
    l.push_back(R"(<div align="center"><font face="Verdana, Arial, Helvetica, sans-serif" size="-1" color="#FFFFFF">Company</font></div>)");
    l.push_back("</td>");
    l.push_back("</tr>");
}

}  // namespace

LinksCI::LinksCI(const std::filesystem::path& arquivoIni) {
    // One read of the file; lookups then match keys as the profile functions do.
    for (const std::string& line : platform::IniFile(arquivoIni).ReadSectionValues("Links")) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        values_.emplace(platform::AsciiUpper(line.substr(0, eq)), line.substr(eq + 1));
    }
}

std::string LinksCI::value(const std::string& key) const {
    const auto it = values_.find(platform::AsciiUpper(platform::TrimControls(key)));
    return it == values_.end() ? std::string() : it->second;
}

std::string LinksCI::Link(const std::string& fabricante, const std::string& identificacao) const {
    return value(fabricante + "1") + identificacao + value(fabricante + "2");
}

std::vector<std::string> PaginaResultadoCI(platform::TDataSet& tabela, const std::string& pesquisa,
                                           const std::filesystem::path& arquivoIni) {
    std::vector<std::string> l = {
        "<html>",
        "<head>",
        R"(<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">)",
        "",
        "</head>",
        R"(<body bgcolor="#FFFFFF">)",
        "Your search returned this result:",
        "<p>",
    };
    const std::string texto = platform::TrimControls(pesquisa);
    std::unique_ptr<LinksCI> links;
    int n = 0;
    const size_t id = static_cast<size_t>(tabela.FieldByName("Identificacao").Index());
    const size_t fab = static_cast<size_t>(tabela.FieldByName("Fabricante").Index());
    const size_t desc = static_cast<size_t>(tabela.FieldByName("Descricao").Index());
    // The match reads only the code column; the engine reads whole records
    // only for the matches.
    for (const platform::TRecord& r : tabela.RecordsContaining("Identificacao", texto)) {
        const std::string identificacao = Texto(r, id);
        ++n;
        if (!links) {
            links = std::make_unique<LinksCI>(arquivoIni);
            CabecalhoTabela(l);
        }
        const std::string fabricante = Texto(r, fab);
        l.push_back("<tr>");
        l.push_back(kCelula + std::to_string(n) + "</font></td>");
        l.push_back(kCelula + "<a href=\"" + links->Link(fabricante, identificacao) + "\">" + identificacao +
                    "</a></font></td>");
        l.push_back(kCelula + Texto(r, desc) + "</font></td>");
        l.push_back(kCelula + fabricante + "</font></td>");
        l.push_back("</tr>");
    }
    // As the scan it replaces, the search leaves the table after its last record.
    tabela.Last();
    tabela.Next();
    if (n == 0) {
        l.push_back("0 items returned.");
    } else {
        l.push_back("</table>");
        l.push_back("</div>");
    }
    l.push_back("</body>");
    l.push_back("</html>");
    return l;
}

}  // namespace vorel
