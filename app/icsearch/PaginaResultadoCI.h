#pragma once
// The IC search result page: the lines of an HTML page listing every record
// of the IC table whose code contains the search text, each code a link to
// its maker's data sheet as vorel.ini's Links section gives it.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace platform {
class TDataSet;
}

namespace vorel {

// The Links section of vorel.ini, read once: for a company C, key C + "1"
// holds what goes before the part code and C + "2" what goes after it.
// A missing file or key reads as empty text.
class ICLinks {
public:
    explicit ICLinks(const std::filesystem::path& iniFile);
    std::string Link(const std::string& manufacturer, const std::string& partCode) const;

private:
    std::string value(const std::string& key) const;
    std::map<std::string, std::string> values_;  // upper-cased key -> value; the first key wins
};

// The page for the search text (trimmed; an empty text matches nothing;
// the match is case-sensitive), matches in key order; the table is left
// after its last record. The ini file is read only when something matched.
// Field values go into the page as stored.
std::vector<std::string> PaginaResultadoCI(platform::TDataSet& icTable, const std::string& searchText,
                                           const std::filesystem::path& iniFile);

}  // namespace vorel
