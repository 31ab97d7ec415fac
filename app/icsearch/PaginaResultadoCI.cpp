#include "app/icsearch/PaginaResultadoCI.h"

#include "platform/core/inifile/IniFile.h"
#include "platform/core/runtime/Text.h"
#include "platform/tables/DataSet.h"

#include <algorithm>

namespace vorel {

namespace {

const std::string kCell = R"(<td><font face="Verdana, Arial, Helvetica, sans-serif" size="-2">)";

// A text field of a record as stored; null is empty.
std::string FieldText(const platform::TRecord& r, size_t i) {
    if (i >= r.size()) return {};
    if (const auto* s = std::get_if<std::string>(&r[i])) return *s;
    return {};
}

void TableHeader(std::vector<std::string>& l) {
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

ICLinks::ICLinks(const std::filesystem::path& iniFile) {
    // One read of the file; lookups then match keys as the profile functions do.
    for (const std::string& line : platform::IniFile(iniFile).ReadSectionValues("Links")) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        values_.emplace(platform::AsciiUpper(line.substr(0, eq)), line.substr(eq + 1));
    }
}

std::string ICLinks::value(const std::string& key) const {
    const auto it = values_.find(platform::AsciiUpper(platform::TrimControls(key)));
    return it == values_.end() ? std::string() : it->second;
}

std::string ICLinks::Link(const std::string& manufacturer, const std::string& partCode) const {
    return value(manufacturer + "1") + partCode + value(manufacturer + "2");
}

std::vector<std::string> PaginaResultadoCI(platform::TDataSet& table, const std::string& searchText,
                                           const std::filesystem::path& iniFile) {
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
    const std::string wanted = platform::TrimControls(searchText);
    std::unique_ptr<ICLinks> links;
    int n = 0;
    const size_t id = static_cast<size_t>(table.FieldByName("Identificacao").Index());
    const size_t manufacturerColumn = static_cast<size_t>(table.FieldByName("Fabricante").Index());
    const size_t desc = static_cast<size_t>(table.FieldByName("Descricao").Index());
    // The match reads only the code column; the engine reads whole records
    // only for the matches.
    for (const platform::TRecord& r : table.RecordsContaining("Identificacao", wanted)) {
        const std::string partCode = FieldText(r, id);
        ++n;
        if (!links) {
            links = std::make_unique<ICLinks>(iniFile);
            TableHeader(l);
        }
        const std::string manufacturer = FieldText(r, manufacturerColumn);
        l.push_back("<tr>");
        l.push_back(kCell + std::to_string(n) + "</font></td>");
        l.push_back(kCell + "<a href=\"" + links->Link(manufacturer, partCode) + "\">" + partCode +
                    "</a></font></td>");
        l.push_back(kCell + FieldText(r, desc) + "</font></td>");
        l.push_back(kCell + manufacturer + "</font></td>");
        l.push_back("</tr>");
    }
    // As the scan it replaces, the search leaves the table after its last record.
    table.Last();
    table.Next();
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
