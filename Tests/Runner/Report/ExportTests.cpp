// The area schedule and its export: grouping, order and sums of displayed areas on a small
// project; CSV quoting and dialects; the XLSX's cells and formulas; --export end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "../../../Sources/Runner/Project/JsonReader.hpp"
#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../../../Sources/Runner/Report/AreaSchedule.hpp"
#include "../../../Sources/Runner/Report/CsvExport.hpp"
#include "../../../Sources/Runner/Report/ScheduleExport.hpp"
#include "../TestLibrary.hpp"

namespace {

using namespace Runner::Report;
using Runner::Status;

// Three TOPs whose names sort differently by text and by number, zones without TOP (empty and
// missing parameter), a deleted and a missing category slot, and areas that round up.
const char* const fixture = R"({
  "stories": [{"index": 0, "name": "Ground"}, {"index": 1, "name": "First"}],
  "layers": [{"index": 1, "name": "Zones"}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "deleted": true},
                     {"index": 3, "code": "BAL", "name": "Balcony"}],
  "zones": [
    {"id": "Z1", "story": 0, "category": 1, "number": "1", "name": "Kitchen", "top": "TOP 10", "quantities": [12.5, 12.4, 12.3, 12.2, 0]},
    {"id": "Z2", "story": 1, "category": 1, "number": "10", "name": "Bed", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z3", "story": 1, "category": 1, "number": "9", "name": "Bath", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z4", "story": 0, "category": 1, "number": "3", "name": "Living", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z5", "story": 0, "category": 2, "number": "3", "name": "Store", "top": "TOP 2", "quantities": [1, 1, 1, 1, 0]},
    {"id": "Z6", "story": 0, "category": 3, "number": "2", "name": "Loggia", "top": "TOP 2", "quantities": [4.444, 4.444, 4.444, 4.444, 0]},
    {"id": "Z7", "story": 0, "category": 1, "number": "S1", "name": "Stair", "top": "", "quantities": [8, 8, 8, 8, 0]},
    {"id": "Z8", "story": 1, "category": 1, "number": "S2", "name": "Stair", "quantities": [8, 8, 8, 8, 0]},
    {"id": "Z9", "story": 0, "category": 1, "number": "1", "name": "Studio", "top": "TOP 02", "quantities": [5, 5, 5, 5, 0]},
    {"id": "Z10", "story": 0, "category": 1, "number": "4", "name": "Gone", "top": "TOP 2", "quantities": [100, 100, 100, 100, 0]}]
})";

Host::Project FixtureProject()
{
    Host::Project project;
    const Runner::Status status = Runner::LoadProjectText(fixture, "fixture.json", TestLibrary(), project);
    EXPECT_TRUE(status) << status.Message();
    project.elements.Edit(project.FindById("Z10")->guid)->deleted = true;
    project.elements.Edit(project.FindById("Z7")->guid)->category = 7; // a slot the project never had
    return project;
}

Areas Same(Centi area)
{
    return {area, area, area, area};
}

std::vector<std::string> Ids(const ScheduleTop& top)
{
    std::vector<std::string> ids;
    for (const ScheduleRoom& room : top.rooms)
        ids.push_back(room.id);
    return ids;
}

// (category slot, code, areas) of each sum, for comparing a whole list at once.
std::vector<std::tuple<API_AttributeIndex, std::string, Areas>> Sums(const std::vector<CategorySum>& sums)
{
    std::vector<std::tuple<API_AttributeIndex, std::string, Areas>> list;
    for (const CategorySum& sum : sums)
        list.emplace_back(sum.category.index, sum.category.code, sum.areas);
    return list;
}

TEST(AreaSchedule, GroupsOrdersAndSumsDisplayedAreas)
{
    const AreaSchedule schedule = BuildAreaSchedule(FixtureProject());

    ASSERT_EQ(schedule.tops.size(), 4u);
    EXPECT_EQ(schedule.tops[0].top, "TOP 02");
    EXPECT_EQ(schedule.tops[1].top, "TOP 2");
    EXPECT_EQ(schedule.tops[2].top, "TOP 10");
    EXPECT_TRUE(schedule.tops[2].hasTop);
    EXPECT_FALSE(schedule.tops[3].hasTop);

    // Storey first, then number as a number, then creation order; the deleted zone is gone.
    const ScheduleTop& top2 = schedule.tops[1];
    EXPECT_EQ(Ids(top2), (std::vector<std::string>{"Z6", "Z4", "Z5", "Z3", "Z2"}));
    EXPECT_EQ(top2.rooms[0].storey, "Ground");
    EXPECT_EQ(top2.rooms[4].storey, "First");
    EXPECT_EQ(top2.rooms[0].category.name, "Balcony");
    EXPECT_EQ(top2.rooms[2].category.index, 0); // its slot was deleted
    EXPECT_EQ(top2.rooms[2].category.code, "");
    // Three rooms of 10.005 m² show 10.01 each, so their sum is 30.03, not the 30.015 -> 30.02
    // of the unrounded areas.
    EXPECT_EQ(top2.rooms[4].areas, Same(1001));
    EXPECT_EQ(Sums(top2.subtotals),
              (decltype(Sums(top2.subtotals)){{0, "", Same(100)}, {1, "WNF", Same(3003)}, {3, "BAL", Same(444)}}));
    EXPECT_EQ(top2.total, Same(3547));

    EXPECT_EQ(schedule.tops[2].total, (Areas{1250, 1240, 1230, 1220}));
    EXPECT_EQ(Ids(schedule.tops[3]), (std::vector<std::string>{"Z7", "Z8"}));
    EXPECT_EQ(Sums(schedule.tops[3].subtotals),
              (decltype(Sums(top2.subtotals)){{0, "", Same(800)}, {1, "WNF", Same(800)}}));

    EXPECT_EQ(Sums(schedule.buildingTotals),
              (decltype(Sums(top2.subtotals)){
                  {0, "", Same(900)}, {1, "WNF", Areas{5553, 5543, 5533, 5523}}, {3, "BAL", Same(444)}}));
    EXPECT_EQ(schedule.buildingTotal, (Areas{6897, 6887, 6877, 6867}));
}

TEST(AreaSchedule, EmptyProjectHasNoGroups)
{
    const AreaSchedule schedule = BuildAreaSchedule(Host::Project());
    EXPECT_TRUE(schedule.tops.empty());
    EXPECT_TRUE(schedule.buildingTotals.empty());
    EXPECT_EQ(schedule.buildingTotal, Same(0));
}

TEST(AreaSchedule, NaturalOrderIsTotal)
{
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"TOP 2", "TOP 10", true},
        {"TOP 10", "TOP 2", false},
        {"TOP 02", "TOP 2", true}, // equal as numbers: byte order decides
        {"TOP 2", "TOP 02", false},
        {"TOP 2", "TOP 2", false},
        {"TOP 9", "TOP 9a", true},
        {"1.9", "1.10", true},
        {"A 10", "B 2", true},
        {"", "1", true},
        {"x", "x1", true},
        {"99999999999999999999999", "100000000000000000000000", true},
        {"10", "9999999999999999999999999", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class ExportFiles : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("arealist-export-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Runs a shell command with its output in files of the folder; returns the exit status.
    int Shell(const std::string& command)
    {
        const int status =
            std::system((command + " > " + (dir / "stdout").string() + " 2> " + (dir / "stderr").string()).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir;
};

// The fixture with names that need quoting, a line break and a formula.
Host::Project AwkwardNames()
{
    Host::Project project = FixtureProject();
    project.elements.Edit(project.FindById("Z4")->guid)->name = GS::UniString("Living; \"big\", bright");
    project.elements.Edit(project.FindById("Z3")->guid)->name = GS::UniString("Bath\nWC");
    project.elements.Edit(project.FindById("Z6")->guid)->name = GS::UniString("=HYPERLINK(\"http://x\")");
    return project;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last row ends with CRLF";
    return lines;
}

TEST(CsvExport, FieldsAreQuotedAndGuarded)
{
    struct Case {
        const char* text;
        char separator;
        const char* field;
    };
    const Case cases[] = {
        {"Kitchen", ',', "Kitchen"},
        {"", ',', ""},
        {"Bed, large", ',', "\"Bed, large\""},
        {"Bed, large", ';', "Bed, large"},
        {"Bed; large", ';', "\"Bed; large\""},
        {"12\" wide", ',', "\"12\"\" wide\""},
        {"two\nlines", ';', "\"two\nlines\""},
        {"cr\r", ',', "\"cr\r\""},
        {"=1+1", ',', "'=1+1"},
        {"=HYPERLINK(\"a\",\"b\")", ',', "\"'=HYPERLINK(\"\"a\"\",\"\"b\"\")\""},
        {"@SUM(A1)", ';', "'@SUM(A1)"},
        {"+cmd", ',', "'+cmd"},
        {"-1+A1", ',', "'-1+A1"},
        {"-", ',', "'-"},
        {"\tx", ',', "'\tx"},
        {"-1.01", ',', "-1.01"}, // a basement room number is no formula
        {"+43", ';', "+43"},
        {"a=b", ',', "a=b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvField(c.text, c.separator), c.field) << c.text;
}

TEST(CsvExport, WritesEachLanguagesDialect)
{
    struct Case {
        Language language;
        std::vector<std::string> expected; // rows at their line index
    };
    const Case cases[] = {
        {Language::English,
         {"\xEF\xBB\xBFRow,TOP,Storey,No.,Name,Code,Category,Category no.,Area 1,Area 2,Area 3,Area 4,Zone id",
          "Room,TOP 02,Ground,1,Studio,WNF,Living,1,5.00,5.00,5.00,5.00,Z9",
          "Subtotal,TOP 02,,,,WNF,Living,1,5.00,5.00,5.00,5.00,",
          "TOP total,TOP 02,,,,,,,5.00,5.00,5.00,5.00,",
          "Room,TOP 2,Ground,2,\"'=HYPERLINK(\"\"http://x\"\")\",BAL,Balcony,3,4.44,4.44,4.44,4.44,Z6",
          "Room,TOP 2,Ground,3,\"Living; \"\"big\"\", bright\",WNF,Living,1,10.01,10.01,10.01,10.01,Z4",
          "Room,TOP 2,Ground,3,Store,,,0,1.00,1.00,1.00,1.00,Z5",
          "Room,TOP 2,First,9,\"Bath\nWC\",WNF,Living,1,10.01,10.01,10.01,10.01,Z3",
          "Room,TOP 2,First,10,Bed,WNF,Living,1,10.01,10.01,10.01,10.01,Z2",
          "Subtotal,TOP 2,,,,,,0,1.00,1.00,1.00,1.00,",
          "Subtotal,TOP 2,,,,WNF,Living,1,30.03,30.03,30.03,30.03,",
          "Subtotal,TOP 2,,,,BAL,Balcony,3,4.44,4.44,4.44,4.44,",
          "TOP total,TOP 2,,,,,,,35.47,35.47,35.47,35.47,",
          "Room,TOP 10,Ground,1,Kitchen,WNF,Living,1,12.50,12.40,12.30,12.20,Z1",
          "Subtotal,TOP 10,,,,WNF,Living,1,12.50,12.40,12.30,12.20,",
          "TOP total,TOP 10,,,,,,,12.50,12.40,12.30,12.20,",
          "Room,,Ground,S1,Stair,,,0,8.00,8.00,8.00,8.00,Z7",
          "Room,,First,S2,Stair,WNF,Living,1,8.00,8.00,8.00,8.00,Z8",
          "Subtotal,,,,,,,0,8.00,8.00,8.00,8.00,",
          "Subtotal,,,,,WNF,Living,1,8.00,8.00,8.00,8.00,",
          "TOP total,,,,,,,,16.00,16.00,16.00,16.00,",
          "Building subtotal,,,,,,,0,9.00,9.00,9.00,9.00,",
          "Building subtotal,,,,,WNF,Living,1,55.53,55.43,55.33,55.23,",
          "Building subtotal,,,,,BAL,Balcony,3,4.44,4.44,4.44,4.44,",
          "Building total,,,,,,,,68.97,68.87,68.77,68.67,"}},
        {Language::German,
         {"\xEF\xBB\xBFZeile;TOP;Geschoss;Nr.;Name;Code;Kategorie;Kategorie-Nr.;Fläche 1;Fläche 2;Fläche 3;Fläche "
          "4;Zonen-ID",
          "Raum;TOP 02;Ground;1;Studio;WNF;Living;1;5,00;5,00;5,00;5,00;Z9",
          "Zwischensumme;TOP 02;;;;WNF;Living;1;5,00;5,00;5,00;5,00;",
          "Summe TOP;TOP 02;;;;;;;5,00;5,00;5,00;5,00;",
          "Raum;TOP 2;Ground;2;\"'=HYPERLINK(\"\"http://x\"\")\";BAL;Balcony;3;4,44;4,44;4,44;4,44;Z6",
          "Raum;TOP 2;Ground;3;\"Living; \"\"big\"\", bright\";WNF;Living;1;10,01;10,01;10,01;10,01;Z4",
          "Raum;TOP 2;Ground;3;Store;;;0;1,00;1,00;1,00;1,00;Z5",
          "Raum;TOP 2;First;9;\"Bath\nWC\";WNF;Living;1;10,01;10,01;10,01;10,01;Z3",
          "Raum;TOP 2;First;10;Bed;WNF;Living;1;10,01;10,01;10,01;10,01;Z2",
          "Zwischensumme;TOP 2;;;;;;0;1,00;1,00;1,00;1,00;",
          "Zwischensumme;TOP 2;;;;WNF;Living;1;30,03;30,03;30,03;30,03;",
          "Zwischensumme;TOP 2;;;;BAL;Balcony;3;4,44;4,44;4,44;4,44;",
          "Summe TOP;TOP 2;;;;;;;35,47;35,47;35,47;35,47;",
          "Raum;TOP 10;Ground;1;Kitchen;WNF;Living;1;12,50;12,40;12,30;12,20;Z1",
          "Zwischensumme;TOP 10;;;;WNF;Living;1;12,50;12,40;12,30;12,20;",
          "Summe TOP;TOP 10;;;;;;;12,50;12,40;12,30;12,20;",
          "Raum;;Ground;S1;Stair;;;0;8,00;8,00;8,00;8,00;Z7",
          "Raum;;First;S2;Stair;WNF;Living;1;8,00;8,00;8,00;8,00;Z8",
          "Zwischensumme;;;;;;;0;8,00;8,00;8,00;8,00;",
          "Zwischensumme;;;;;WNF;Living;1;8,00;8,00;8,00;8,00;",
          "Summe TOP;;;;;;;;16,00;16,00;16,00;16,00;",
          "Zwischensumme Gebäude;;;;;;;0;9,00;9,00;9,00;9,00;",
          "Zwischensumme Gebäude;;;;;WNF;Living;1;55,53;55,43;55,33;55,23;",
          "Zwischensumme Gebäude;;;;;BAL;Balcony;3;4,44;4,44;4,44;4,44;",
          "Summe Gebäude;;;;;;;;68,97;68,87;68,77;68,67;"}},
    };
    const AreaSchedule schedule = BuildAreaSchedule(AwkwardNames());
    for (const Case& c : cases)
        EXPECT_EQ(Lines(ScheduleCsv(schedule, c.language)), c.expected);
}

// The cells of an XLSX's first sheet: type attribute, formula and value (or inline text) by
// reference ("I2").
struct Cell {
    std::string type, formula, value;
};
using Sheet = std::map<std::string, Cell>;

class XlsxExport : public ExportFiles {
protected:
    Sheet ReadSheet(const fs::path& xlsx)
    {
        const fs::path xml = dir / "sheet1.xml";
        const std::string command = "python3 -c \"import sys, zipfile; "
                                    "open(sys.argv[2], 'wb').write(zipfile.ZipFile(sys.argv[1]).read("
                                    "'xl/worksheets/sheet1.xml'))\" " +
                                    xlsx.string() + " " + xml.string();
        EXPECT_EQ(Shell(command), 0) << Read(dir / "stderr");
        const std::string text = Read(xml);
        frozen = text.find("state=\"frozen\"") != std::string::npos;
        Sheet sheet;
        static const std::regex cellPattern(R"re(<c r="([A-Z]+[0-9]+)"([^>]*)>(.*?)</c>)re");
        static const std::regex typePattern(R"re(t="(\w+)")re");
        static const std::regex formulaPattern("<f>(.*?)</f>");
        static const std::regex valuePattern("<v>(.*?)</v>|<t>(.*?)</t>");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), cellPattern); it != std::sregex_iterator();
             ++it) {
            Cell cell;
            std::smatch part;
            const std::string attributes = (*it)[2], body = (*it)[3];
            if (std::regex_search(attributes, part, typePattern))
                cell.type = part[1];
            if (std::regex_search(body, part, formulaPattern))
                cell.formula = part[1];
            if (std::regex_search(body, part, valuePattern))
                cell.value = part[1].matched ? part[1] : part[2];
            sheet[(*it)[1]] = cell;
        }
        return sheet;
    }

    // Evaluates the sheet's SUM, SUMIF and SUMIFS formulas from the cells, as a spreadsheet
    // would on recalculation.
    static double Evaluate(const Sheet& sheet, const std::string& formula)
    {
        static const std::regex range(R"(\$?([A-Z])\$?([0-9]+):\$?[A-Z]\$?([0-9]+))");
        std::vector<std::tuple<char, int, int>> ranges;
        std::vector<std::string> criteria;
        std::smatch m;
        std::string rest = formula.substr(formula.find('(') + 1);
        while (std::regex_search(rest, m, range)) {
            ranges.emplace_back(m.str(1)[0], std::stoi(m.str(2)), std::stoi(m.str(3)));
            rest = m.suffix();
            if (!rest.empty() && rest[0] == ',' && rest.size() > 1 && (rest[1] == '"' || std::isdigit(rest[1]))) {
                const std::size_t end = rest.find_first_of(",)", 1);
                std::string criterion = rest.substr(1, end - 1);
                if (criterion.front() == '"')
                    criterion = criterion.substr(1, criterion.size() - 2);
                criteria.push_back(criterion);
            }
        }
        auto at = [&](char column, int row) {
            const auto found = sheet.find(std::string(1, column) + std::to_string(row));
            return found == sheet.end() ? std::string() : found->second.value;
        };
        // SUM(values); SUMIF(test, criterion, values); SUMIFS(values, test1, c1, test2, c2).
        std::vector<std::pair<char, std::string>> tests;
        char values = 0;
        int first = 0, last = 0;
        if (formula.rfind("SUMIFS(", 0) == 0) {
            values = std::get<0>(ranges[0]);
            for (std::size_t i = 1; i < ranges.size(); ++i)
                tests.emplace_back(std::get<0>(ranges[i]), criteria[i - 1]);
        } else if (formula.rfind("SUMIF(", 0) == 0) {
            values = std::get<0>(ranges[1]);
            tests.emplace_back(std::get<0>(ranges[0]), criteria[0]);
        } else {
            values = std::get<0>(ranges[0]);
        }
        first = std::get<1>(ranges[0]);
        last = std::get<2>(ranges[0]);
        for (const auto& [column, from, to] : ranges)
            EXPECT_TRUE(from == first && to == last) << formula << ": ranges of different rows";
        double sum = 0;
        for (int row = first; row <= last; ++row) {
            bool matches = true;
            for (const auto& [column, criterion] : tests)
                matches = matches && at(column, row) == criterion;
            const std::string value = at(values, row);
            if (matches && !value.empty())
                sum += std::stod(value);
        }
        return sum;
    }

    bool frozen = false;
};

TEST_F(XlsxExport, AreasAreNumbersAndTotalsAreFormulasWithTheirValues)
{
    const fs::path path = dir / "schedule.xlsx";
    const Status status = WriteScheduleExport(AwkwardNames(), Language::English, path.string());
    ASSERT_TRUE(status) << status.Message();
    EXPECT_EQ(fs::directory_iterator(dir)->path(), path) << "no temporary file is left";
    const Sheet sheet = ReadSheet(path);
    EXPECT_TRUE(frozen);

    // Row kinds in column A, by row, with the expected first area of each.
    std::map<std::string, std::vector<std::pair<int, double>>> rowsOfKind;
    for (int row = 2; sheet.count("A" + std::to_string(row)) != 0; ++row) {
        const std::string kind = sheet.at("A" + std::to_string(row)).value;
        const Cell& area = sheet.at("I" + std::to_string(row));
        EXPECT_EQ(area.type, "") << "I" << row << " is a number";
        rowsOfKind[kind].emplace_back(row, std::stod(area.value));
        if (kind == "Room") {
            EXPECT_EQ(area.formula, "") << "I" << row;
        } else {
            for (const char* column : {"I", "J", "K", "L"}) {
                const Cell& cell = sheet.at(column + std::to_string(row));
                ASSERT_NE(cell.formula, "") << column << row;
                EXPECT_NEAR(Evaluate(sheet, cell.formula), std::stod(cell.value), 1e-9)
                    << column << row << ": " << cell.formula;
            }
        }
    }
    auto firstAreas = [&](const std::string& kind) {
        std::vector<double> areas;
        for (const auto& [row, area] : rowsOfKind[kind])
            areas.push_back(area);
        return areas;
    };
    EXPECT_EQ(firstAreas("Room").size(), 9u);
    EXPECT_EQ(firstAreas("Subtotal"), (std::vector<double>{5, 1, 30.03, 4.44, 12.5, 8, 8}));
    EXPECT_EQ(firstAreas("TOP total"), (std::vector<double>{5, 35.47, 12.5, 16}));
    EXPECT_EQ(firstAreas("Building subtotal"), (std::vector<double>{9, 55.53, 4.44}));
    EXPECT_EQ(firstAreas("Building total"), (std::vector<double>{68.97}));
    // Texts stay texts, the formula-like name too.
    const int loggia = rowsOfKind["Room"][1].first;
    EXPECT_EQ(sheet.at("E" + std::to_string(loggia)).value, "=HYPERLINK(\"http://x\")");
    EXPECT_EQ(sheet.at("E" + std::to_string(loggia)).type, "inlineStr");
    EXPECT_EQ(sheet.at("L" + std::to_string(rowsOfKind["Building total"][0].first)).value, "68.67");
}

TEST_F(XlsxExport, EmptyProjectHasAZeroTotalThatRefersToNothing)
{
    const fs::path path = dir / "empty.xlsx";
    const Status status = WriteScheduleExport(Host::Project(), Language::German, path.string());
    ASSERT_TRUE(status) << status.Message();
    const Sheet sheet = ReadSheet(path);
    EXPECT_EQ(sheet.at("A1").value, "Zeile");
    EXPECT_EQ(sheet.at("A2").value, "Summe Gebäude");
    EXPECT_EQ(sheet.at("I2").value, "0");
    EXPECT_EQ(sheet.at("I2").formula, "");
    EXPECT_EQ(sheet.count("A3"), 0u);
}

TEST_F(ExportFiles, RunExportsEndToEnd)
{
    struct Case {
        const char* file;
        const char* lang;
        int exit;
        const char* start;   // of the written file; nullptr: no file at all
        const char* message; // on standard error
    };
    const Case cases[] = {
        {"out.csv", "en", 0, "\xEF\xBB\xBFRow,TOP,", ""},
        {"OUT.CSV", "de", 0, "\xEF\xBB\xBFZeile;TOP;", ""},
        {"out.xlsx", "de", 0, "PK", ""},
        {"out.txt", "en", 2, nullptr, "--export: DIR/out.txt: expected a file name ending in .csv or .xlsx"},
        {"out", "en", 2, nullptr, "--export: DIR/out: expected"},
        {"missing/out.csv", "en", 2, nullptr, "--export: DIR/missing/out.csv: no folder DIR/missing"},
        // A folder of that name: found only when writing, after the session.
        {"folder.xlsx", "en", 2, nullptr, "--export: DIR/folder.xlsx: cannot write the file"},
        {"folder.csv", "en", 2, nullptr, "--export: DIR/folder.csv: cannot write the file"},
    };
    fs::create_directory(dir / "folder.xlsx");
    fs::create_directory(dir / "folder.csv");
    const std::string examples = AREALIST_EXAMPLES_DIR;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path out = dir / c.file;
        const int exit = Shell(std::string(AREALIST_HOST_EXE) + " run " + examples + "/building.json " + examples +
                               "/demo.txt --prefs " + (dir / "prefs").string() + " --lang " + c.lang + " --dump " +
                               (dir / "dump.json").string() + " --export " + out.string());
        EXPECT_EQ(exit, c.exit) << Read(dir / "stderr");
        std::string message = c.message;
        for (std::size_t at; (at = message.find("DIR")) != std::string::npos;)
            message.replace(at, 3, dir.string());
        EXPECT_NE(Read(dir / "stderr").find(message), std::string::npos) << Read(dir / "stderr");
        if (c.start == nullptr) {
            // Nothing was written, and a path that was bad from the start stopped the session.
            EXPECT_FALSE(fs::is_regular_file(out));
            EXPECT_FALSE(fs::exists(dir / "dump.json"));
            EXPECT_EQ(Read(dir / "stdout").empty(), !fs::exists(out));
            for (const fs::directory_entry& entry : fs::directory_iterator(dir))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
            continue;
        }
        const std::string text = Read(out);
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << text.substr(0, 40);
        const std::size_t zones = Runner::Json::parse(Read(dir / "dump.json"))["zones"].size();
        fs::remove(out);
        fs::remove(dir / "dump.json");
        if (std::string(c.file) != "out.csv")
            continue;
        // The final state: one room a row, as many as the dump has zones; the copied bedroom is
        // there, the deleted one is not.
        EXPECT_NE(text.find(",S0-T1-6\r\n"), std::string::npos);
        EXPECT_EQ(text.find(",S0-T3-4\r\n"), std::string::npos);
        std::size_t rooms = 0;
        for (std::size_t at = 0; (at = text.find("\r\nRoom,", at)) != std::string::npos; ++at)
            ++rooms;
        EXPECT_EQ(rooms, zones);
        EXPECT_NE(text.find("\r\nBuilding total,,,,,,,,965.90,967.40,946.66,899.20,\r\n"), std::string::npos);
    }
}

} // namespace
