#include "htmlview/util/Attributes.h"
#include "htmlview/util/Colors.h"
#include "htmlview/util/HtmlSymbols.h"
#include "htmlview/util/HtmlUtils.h"
#include "htmlview/util/IndentManager.h"
#include "htmlview/util/MapItem.h"

#include <gtest/gtest.h>

using namespace htmlview;

TEST(HtmlUtils, MulDivRoundsLikeThePlatform) {
    EXPECT_EQ(MulDiv(15, 10, 12), 13);   // 12.5 rounds away from zero
    EXPECT_EQ(MulDiv(-15, 10, 12), -13);
    EXPECT_EQ(MulDiv(10, 3, 4), 8);      // 7.5
    EXPECT_EQ(MulDiv(12, 3, 4), 9);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 1), -1);
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
}

TEST(HtmlUtils, Numbers) {
    int v = 7;
    EXPECT_TRUE(TryStrToInt("-42", v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(TryStrToInt("$1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_FALSE(TryStrToInt("+", v));
    EXPECT_FALSE(TryStrToInt("12a", v));
    EXPECT_FALSE(TryStrToInt("99999999999999999999999", v));
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(TryStrToInt("2147483648", v));
    EXPECT_EQ(StrToIntDef("2147483648", 0), 0);
}

TEST(HtmlUtils, UrlToDosPathDecodesAndConverts) {
    EXPECT_EQ(UrlToDosPath("file:///c|/Dir/Page.htm"), "c:\\dir\\page.htm");
    EXPECT_EQ(UrlToDosPath("file://Srv/x.htm"), "srv\\x.htm");
    EXPECT_EQ(UrlToDosPath("Page%20One.htm"), "Page One.htm");
    EXPECT_EQ(UrlToDosPath("%41BC"), "%41BC");        // a leading escape stops decoding
    EXPECT_EQ(UrlToDosPath("ab%4"), "ab%4");          // fewer than two characters after it
    EXPECT_EQ(UrlToDosPath("ab%"), "ab%");
    EXPECT_EQ(UrlToDosPath("a%zz%41"), "a%zz%41");    // a bad escape ends decoding
    EXPECT_EQ(UrlToDosPath("a%2541"), "aA");          // a decoded % is decoded again
    EXPECT_EQ(UrlToDosPath("a%00b.htm"), "a%00b.htm");  // never a NUL in a file name
    EXPECT_EQ(UrlToFileName("/dir/x.htm", "c:"), "c:\\dir\\x.htm");
    EXPECT_EQ(UrlToFileName("x.htm", "c:"), "x.htm");
    EXPECT_EQ(UrlToFileName("", "c:"), "");
}

TEST(HtmlUtils, WriteTextLineAndCaseMapping) {
    TStringSink sink;
    WriteTextLine(sink, "abcdef", 3);
    WriteTextLine(sink, "", 0);
    WriteTextLine(sink, "xy", 10);
    EXPECT_EQ(sink.Text, "abc\r\n\r\nxy\r\n");
    EXPECT_EQ(LowerCp1252(0xC7), 0xE7);
    EXPECT_EQ(LowerCp1252(0xD7), 0xD7);  // multiplication sign has no case
    EXPECT_EQ(UpperCp1252(0xFF), 0x9F);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(0x2000000 | 0x123456), 0x123456u);
}

TEST(Attributes, FindAndTargets) {
    TAttributeList list;
    list.Add(new TAttribute(attrHREF, "a", 0));
    list.Add(new TAttribute(attrWIDTH, "50%", 50));
    list.Add(new TAttribute(attrHREF, "b", 0));
    TAttribute* a = nullptr;
    ASSERT_TRUE(list.Find(attrHREF, a));
    EXPECT_EQ(a->Text, "a");
    TAttribute* untouched = a;
    EXPECT_FALSE(list.Find(attrSRC, untouched));
    EXPECT_EQ(untouched, a);
    TUrlTarget t;
    std::string url = "u", target = "t";
    t.Assign(&url, &target);
    t.Assign(nullptr, nullptr);
    EXPECT_EQ(t.LinkUrl, "u");
    EXPECT_EQ(t.LinkTarget, "t");
    t.Clear();
    EXPECT_TRUE(t.LinkUrl.empty() && t.LinkTarget.empty());
}

namespace {
TAttributeList areaAttrs(std::initializer_list<std::pair<THtmlSymbol, const char*>> items) {
    TAttributeList l;
    for (auto& [s, t] : items) l.Add(new TAttribute(s, t, 0));
    return l;
}
}  // namespace

TEST(MapItem, AreasShapesAndOrder) {
    TMapItem map;
    map.AppendArea(areaAttrs({{attrSHAPE, "circle"}, {attrCOORDS, "10,10,5"}, {attrHREF, "c.htm"}}));
    ASSERT_EQ(map.Areas.size(), 1u);
    EXPECT_EQ(map.Areas[0].Region.boundingRect(), QRect(QPoint(5, 5), QPoint(15, 15)));  // box (5,5,16,16)
    map.AppendArea(areaAttrs({{attrCOORDS, "1,2,3"}, {attrHREF, "r.htm"}}));  // three numbers: no rectangle
    map.AppendArea(areaAttrs({{attrSHAPE, "CIRC"}, {attrCOORDS, "10,10,-5"}, {attrHREF, "n.htm"}}));
    EXPECT_EQ(map.Areas.size(), 1u);
    map.AppendArea(areaAttrs({{attrCOORDS, "0,0,20,20"}, {attrHREF, "x"}, {attrNOHREF, ""}}));
    map.AppendArea(areaAttrs({{attrCOORDS, "0,0 ,30, 30"}, {attrHREF, "big.htm"}, {attrTARGET, "main"}}));
    map.AppendArea(areaAttrs({{attrSHAPE, "poly"}, {attrCOORDS, "100,100,120,100,110,120"}, {attrHREF, "p"}}));
    ASSERT_EQ(map.Areas.size(), 4u);

    std::unique_ptr<TUrlTarget> t;
    EXPECT_TRUE(map.HitTest(10, 10, t));
    EXPECT_EQ(t->LinkUrl, "c.htm");
    t.reset();
    EXPECT_FALSE(map.HitTest(1, 1, t));  // the NOHREF area hides the larger one behind it
    EXPECT_FALSE(t);
    EXPECT_TRUE(map.HitTest(25, 25, t));
    EXPECT_EQ(t->LinkUrl, "big.htm");
    EXPECT_EQ(t->LinkTarget, "main");
    EXPECT_TRUE(map.HitTest(30, 30, t));   // right and bottom are inside
    EXPECT_FALSE(map.HitTest(31, 30, t));
    EXPECT_TRUE(map.HitTest(110, 105, t));
    EXPECT_EQ(t->LinkUrl, "p");
}

TEST(MapItem, CoordsParsing) {
    EXPECT_EQ(ParseCoords("1, 2,x,4"), (std::vector<int>{1, 2, 0, 4}));
    EXPECT_EQ(ParseCoords("1,,3"), (std::vector<int>{1}));
    std::string many;
    for (int i = 0; i < 300; ++i) many += "1,";
    EXPECT_EQ(ParseCoords(many).size(), 201u);
    EXPECT_EQ(ParseCoords("99999999999999999999").at(0), 0);
}

TEST(IndentManager, FloatsAndListLevels) {
    IndentManagerBasic m;
    m.ResetEdges(10, 410);
    m.SetListLevel(100, 2);
    ASSERT_EQ(m.LeftList.Count(), 2);
    EXPECT_EQ(m.LeftList[0]->Offset, 35);
    EXPECT_EQ(m.LeftList[1]->Offset, 70);
    EXPECT_EQ(m.LeftAt(150), 80);
    EXPECT_EQ(m.LeftAt(50), 10);
    m.SetListLevel(300, 0);
    EXPECT_EQ(m.LeftList[0]->BottomY, 299);
    EXPECT_EQ(m.LeftList[1]->BottomY, 299);
    EXPECT_EQ(m.LeftList[1]->LevelId, 0);
    EXPECT_EQ(m.Level, 0);

    IndentManagerBasic f;
    f.ResetEdges(0, 400);
    f.AddFloat(0, 50, kAlignLeft, 40);
    f.AddFloat(0, 60, kAlignRight, 80);
    f.AddFloat(0, 60, kAlignCenter, 80);
    EXPECT_EQ(f.LeftAt(0), 50);
    EXPECT_EQ(f.LeftAt(40), 0);
    EXPECT_EQ(f.RightAt(79), 340);
    EXPECT_EQ(f.FloatBottom(), 80);
    int l, r;
    f.ClearPositions(l, r);
    EXPECT_EQ(l, 41);
    EXPECT_EQ(r, 81);
    IndentManagerBasic e;
    e.ClearPositions(l, r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(e.LevelBottom(), 1);
    // A float inside list level 1 holds the level's items open below it.
    IndentManagerBasic g;
    g.ResetEdges(0, 400);
    g.SetListLevel(0, 1);
    g.AddFloat(10, 40, kAlignLeft, 100);
    EXPECT_EQ(g.LevelBottom(), 111);
}
