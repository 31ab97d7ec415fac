#pragma once
// The IC search result page as the main program writes it, line for line,
// for tests and benchmarks of the viewer.
#include <string>
#include <vector>

namespace htmlview::testing {

struct IcRow {
    std::string Code, Description, Maker, Link;
};

inline std::vector<std::string> IcResultPage(const std::vector<IcRow>& rows) {
    const std::string f = "<td><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"-2\">";
    std::vector<std::string> l = {"<html>", "<head>",
                                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">", "",
                                  "</head>", "<body bgcolor=\"#FFFFFF\">", "Your search returned this result:", "<p>"};
    if (rows.empty()) {
        l.push_back("0 items returned.");
    } else {
        const auto head = [&](const char* width, const std::string& font, const char* text) {
            l.push_back(std::string("<td width=\"") + width + "\">");
            l.push_back("<div align=\"center\">" + font + text + "</font></div>");
            l.push_back("</td>");
        };
        l.push_back("<div align=\"center\">");
        l.push_back("<table width=\"95%\" border=\"1\">");
        l.push_back("<tr bgcolor=\"#000000\">");
        head("7%", "<font size=\"-1\" color=\"#FFFFFF\" face=\"Verdana, Arial, Helvetica, sans-serif\">", "Item");
        head("20%", "<font color=\"#FFFFFF\" face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"-1\">",
             "Identification");
        head("60%", "<font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"-1\" color=\"#FFFFFF\">",
             "Description");
        head("13%", "<font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"-1\" color=\"#FFFFFF\">", "Company");
        l.push_back("</tr>");
        for (size_t i = 0; i < rows.size(); ++i) {
            l.push_back("<tr>");
            l.push_back(f + std::to_string(i + 1) + "</font></td>");
            l.push_back(f + "<a href=\"" + rows[i].Link + "\">" + rows[i].Code + "</a></font></td>");
            l.push_back(f + rows[i].Description + "</font></td>");
            l.push_back(f + rows[i].Maker + "</font></td>");
            l.push_back("</tr>");
        }
        l.push_back("</table>");
        l.push_back("</div>");
    }
    l.push_back("</body>");
    l.push_back("</html>");
    return l;
}

inline std::vector<IcRow> SampleIcRows() {
    return {{"LM741", "Operational amplifier", "National", "http://www.national.com/pf/LM/LM741.html"},
            {"741", "Op amp < 1 MHz & more", "Texas", "741"},
            {"UA741", "General-purpose operational amplifier", "Fairchild", "ua741.pdf"}};
}

}  // namespace htmlview::testing
