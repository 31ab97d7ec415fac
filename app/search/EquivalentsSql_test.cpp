#include <gtest/gtest.h>

#include <clocale>

#include "app/search/EquivalentsSql.h"

using namespace vorel;

TEST(FormatSqlNumber, ThreeDecimalsPointAndHalvesAwayFromZero) {
    EXPECT_EQ(FormatSqlNumber(0), "0.000");
    EXPECT_EQ(FormatSqlNumber(0.5), "0.500");
    EXPECT_EQ(FormatSqlNumber(45), "45.000");
    EXPECT_EQ(FormatSqlNumber(123456789.0), "123456789.000");  // no thousands separator
    EXPECT_EQ(FormatSqlNumber(0.0004), "0.000");
    EXPECT_EQ(FormatSqlNumber(0.0005), "0.001");     // the stored double lies just above the half
    EXPECT_EQ(FormatSqlNumber(2.0625L), "2.063");    // an exact tie rounds away from zero
    EXPECT_EQ(FormatSqlNumber(0.9996), "1.000");     // the carry reaches the integer digits
    EXPECT_EQ(FormatSqlNumber(999.9999), "1000.000");
    EXPECT_EQ(FormatSqlNumber(-1.25), "-1.250");
    EXPECT_EQ(FormatSqlNumber(-0.0001), "0.000");
}

TEST(FormatSqlNumber, IgnoresTheLocaleDecimalSeparator) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(FormatSqlNumber(1.5), "1.500");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(EquivalentsSql, JoinsWithAndFromTheSecondCondition) {
    EquivalentsSql sql("select * from transistores.db where");
    EXPECT_TRUE(sql.Empty());
    sql.AddRange(true, "pd", 0.5, 0);
    sql.AddEquality(false, "polaridade", "NPN");
    sql.AddRange(false, "vceo", 45, 10);
    EXPECT_FALSE(sql.Empty());
    EXPECT_EQ(sql.Text(),
              "select * from transistores.db where pd >= 0.500 and pd <= 0.500 and polaridade = \"NPN\" "
              "and vceo >= 45.000 and vceo <= 49.500");
}

TEST(EquivalentsSql, FirstConditionNeedNotBeCriterionOne) {
    EquivalentsSql sql("select * from diodosr.db where");
    sql.AddRange(false, "vr", 100, 500);  // 500 % is six times the original
    EXPECT_EQ(sql.Text(), "select * from diodosr.db where vr >= 100.000 and vr <= 600.000");
}

TEST(EquivalentsSql, EqualityValueAsStoredAndExtendedPrecisionBound) {
    EquivalentsSql sql("select * from transistores.db where");
    sql.AddEquality(false, "uso", " Pd ");
    EXPECT_EQ(sql.Text(), "select * from transistores.db where uso = \" Pd \"");
    sql.AddEquality(false, "polaridade", "N\"PN");  // a quote cannot end the literal
    EXPECT_EQ(sql.Text(), "select * from transistores.db where uso = \" Pd \" and polaridade = \"N\"\"PN\"");
    EquivalentsSql z("select * from diodosz.db where");
    z.AddRange(true, "tn", 3.3, 5);  // 3.465 exactly in decimals: extended precision keeps it
    EXPECT_EQ(z.Text(), "select * from diodosz.db where tn >= 3.300 and tn <= 3.465");
}

#include "app/search/DeviceCriteria.h"

TEST(DeviceCriteria, PercentItemsAndCriteriaTables) {
    const auto& items = PercentItems();
    ASSERT_EQ(items.size(), 37u);
    EXPECT_EQ(items.front(), "0");
    EXPECT_EQ(items[20], "100");
    EXPECT_EQ(items[21], "110");
    EXPECT_EQ(items[30], "200");
    EXPECT_EQ(items[31], "250");
    EXPECT_EQ(items.back(), "500");
    EXPECT_EQ(PercentOf("500"), 500);
    EXPECT_EQ(PercentOf(""), 0);
    EXPECT_EQ(PercentOf("5x"), 0);

    const auto& t = CriteriaOf(Device::Transistores);
    ASSERT_EQ(t.criteria.size(), 9u);
    EXPECT_EQ(t.criteria[3].column, "polaridade");
    EXPECT_TRUE(t.criteria[3].equality);
    EXPECT_TRUE(t.criteria[8].onlyPositive);
    EXPECT_EQ(CriteriaOf(Device::DiodosR).criteria[1].field, "Io");
    EXPECT_EQ(CriteriaOf(Device::DiodosZ).prefix, "select * from diodosz.db where");
}

#include <map>
#include <set>

namespace {
struct FakeInput : CriteriaInput {
    std::map<std::string, bool> checked;        // by checkbox; missing: checked
    std::map<std::string, std::string> percent;  // by combo; missing: "0"
    std::map<std::string, double> numbers;
    std::map<std::string, std::string> texts;
    std::set<std::string> missing;
    bool Missing(const std::string& f) const override { return missing.count(f) > 0; }
    bool Checked(const Criterion& c) const override {
        auto it = checked.find(c.checkbox);
        return it == checked.end() || it->second;
    }
    std::string PercentText(const Criterion& c) const override {
        auto it = percent.find(c.combo);
        return it == percent.end() ? "0" : it->second;
    }
    double Number(const std::string& f) const override {
        auto it = numbers.find(f);
        return it == numbers.end() ? 0 : it->second;
    }
    std::string Text(const std::string& f) const override {
        auto it = texts.find(f);
        return it == texts.end() ? "" : it->second;
    }
};
}  // namespace

TEST(BuildEquivalentsSql, TransistorSkipsZeroVceValuesAndKeepsEqualities) {
    FakeInput in;
    in.numbers = {{"Pd", 0.5}, {"Ic", 0.1}, {"Icm", 0.2}, {"Vceo", 45}, {"Vceosus", 0}, {"Vcev", 0}, {"Vbrceo", 50}};
    in.texts = {{"Polaridade", "NPN"}, {"Uso", "AF "}};
    in.percent = {{"PesquisarTBVceo", "10"}};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::Transistores), in),
              "select * from transistores.db where pd >= 0.500 and pd <= 0.500 and ic >= 0.100 and ic <= 0.100"
              " and icm >= 0.200 and icm <= 0.200 and polaridade = \"NPN\" and uso = \"AF \""
              " and vceo >= 45.000 and vceo <= 49.500 and vbrceo >= 50.000 and vbrceo <= 55.000");

    // Only the Vce# family checked and every value 0: nothing applies.
    in.checked = {{"CBPesquisarTBPd", false}, {"CBPesquisarTBIc", false}, {"CBPesquisarTBIcm", false},
                  {"TBMesmaPolaridade", false}, {"TBMesmoTipoDeUso", false}};
    in.numbers = {};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::Transistores), in), "select * from transistores.db where");
    // Criterion 2 first: no leading " and".
    in.checked["CBPesquisarTBIc"] = true;
    in.numbers = {{"Ic", 1.5}};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::Transistores), in),
              "select * from transistores.db where ic >= 1.500 and ic <= 1.500");
}

TEST(BuildEquivalentsSql, DiodesWithPercentagesAndRoundedValues) {
    FakeInput r;
    r.numbers = {{"Vr", 100}, {"Io", 1}, {"Pd", 0.0005}};
    r.percent = {{"PesquisarDRVr", "500"}};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::DiodosR), r),
              "select * from diodosr.db where vr >= 100.000 and vr <= 600.000 and io >= 1.000 and io <= 1.000"
              " and pd >= 0.001 and pd <= 0.001");
    FakeInput z;
    z.numbers = {{"Tn", 5.1}, {"Iz", 0.049}, {"Pd", 0.5}};
    z.percent = {{"PesquisarDZTn", "5"}};
    z.checked = {{"CBPesquisarDZIz", false}};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::DiodosZ), z),
              "select * from diodosz.db where tn >= 5.100 and tn <= 5.355 and pd >= 0.500 and pd <= 0.500");
}

TEST(BuildEquivalentsSql, RangeOverAnUnknownFigureIsLeftOutButZeroIsKept) {
    FakeInput in;
    in.numbers = {{"Ic", 0.1}, {"Icm", 0}, {"Vceo", 45}};
    in.texts = {{"Polaridade", "PNP"}, {"Uso", "AF"}};
    in.missing = {"Pd"};  // criterion 1 unknown: the next one opens without " and"
    in.checked = {{"TBMesmoTipoDeUso", false}};
    EXPECT_EQ(BuildEquivalentsSql(CriteriaOf(Device::Transistores), in),
              "select * from transistores.db where ic >= 0.100 and ic <= 0.100 and icm >= 0.000 and icm <= 0.000"
              " and polaridade = \"PNP\" and vceo >= 45.000 and vceo <= 45.000");
}
