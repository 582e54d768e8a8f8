// Where the units and categories may be when the defaults find none: grouping properties with
// the shared parts of their texts dropped by the pattern, the leading parts of room numbers, and
// the options printed ready for a shell.
#include <gtest/gtest.h>

#include <regex>

#include "../../../Sources/Runner/Import/Candidates.hpp"

namespace {

using Runner::Import::Candidate;
using Runner::Import::ModelRecords;

// Spaces numbered `numbers`; `properties` gives (set, name, one text per space, "" for none).
ModelRecords Records(const std::vector<std::string>& numbers,
                     const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>>& properties)
{
    ModelRecords records;
    for (const std::string& number : numbers) {
        records.spaces.emplace_back();
        records.spaces.back().number = number;
    }
    for (const auto& [set, name, texts] : properties) {
        records.textProperties.push_back({{set, name}, {}});
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (!texts[i].empty())
                records.textProperties.back().values.emplace_back(i, texts[i]);
    }
    return records;
}

// What `--top-pattern` makes of `text`, as the import applies it.
std::string Applied(const std::string& pattern, const std::string& text)
{
    std::smatch match;
    const std::regex regex(pattern);
    if (!std::regex_search(text, match, regex))
        return "(no match)";
    return match.size() > 1 && match[1].matched ? match[1].str() : match[0].str();
}

// The quoted pattern out of "... --top-pattern 'PATTERN'".
std::string PatternOf(const Candidate& candidate)
{
    const std::string flag = "--top-pattern '";
    const std::size_t at = candidate.options.find(flag);
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + flag.size();
    return candidate.options.substr(start, candidate.options.rfind('\'') - start);
}

TEST(ImportCandidates, GroupingPropertiesAndNumberPrefixesWithPatternsThatGiveTheUnits)
{
    const ModelRecords records =
        Records({"05.1.1", "05.1.2", "05.2.1", "06.1.1", "06.1.2", "07.1.1", "07.1.2", "08"},
                {
                    {"PSet_Revit_Identity Data",
                     "Occupancy",
                     {"Unit A OccupancyZoneName", "Unit A OccupancyZoneName", "Unit A OccupancyZoneName",
                      "Unit B OccupancyZoneName", "Unit B OccupancyZoneName", "Unit C OccupancyZoneName",
                      "Unit C OccupancyZoneName", ""}},
                    {"PSet_Revit_Identity Data",
                     "Department",
                     {"Residential", "Residential", "Residential", "Residential", "Residential", "Residential",
                      "Circulation", "Circulation"}},
                    {"Other", "Mark", {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8"}},     // no group of two
                    {"Pset", "stApartmentId", {"T1", "T1", "T2", "T2", "T3", "T3", "", ""}}, // read by default already
                });

    const std::vector<Candidate> tops = Runner::Import::TopCandidates(records, 10);
    ASSERT_EQ(tops.size(), 4u);
    // Most groups of more than one space first (three units, then the two departments).
    EXPECT_EQ(tops[0].source, "property PSet_Revit_Identity Data.Occupancy");
    EXPECT_EQ(tops[0].options, "--top-from 'property:PSet_Revit_Identity Data.Occupancy' "
                               "--top-pattern '^Unit (.+) OccupancyZoneName$'");
    EXPECT_EQ(Applied(PatternOf(tops[0]), "Unit B OccupancyZoneName"), "B");
    EXPECT_NE(tops[0].grouping.find("\"A\" (3 spaces), \"B\" (2)"), std::string::npos) << tops[0].grouping;
    EXPECT_EQ(tops[1].options, "--top-from number --top-pattern '^([^.]+)\\.'");
    EXPECT_EQ(Applied(PatternOf(tops[1]), "05.2.1"), "05");
    EXPECT_EQ(Applied(PatternOf(tops[2]), "05.2.1"), "05.2");
    EXPECT_EQ(tops[3].options, "--top-from 'property:PSet_Revit_Identity Data.Department'");
    EXPECT_EQ(Runner::Import::TopCandidates(records).size(), 3u) << "three by default";

    const std::vector<Candidate> categories = Runner::Import::CategoryCandidates(records, 10);
    ASSERT_FALSE(categories.empty());
    EXPECT_EQ(categories.front().options, "--category-from 'property:PSet_Revit_Identity Data.Department'");
}

TEST(ImportCandidates, NoneWhereNothingGroupsTheSpaces)
{
    const ModelRecords records = Records({"1", "2", "3"}, {{"P", "Mark", {"a", "b", "c"}}});
    EXPECT_TRUE(Runner::Import::TopCandidates(records).empty());
    EXPECT_TRUE(Runner::Import::CategoryCandidates(records).empty());
}

TEST(ImportCandidates, ShellWordsSurviveTheShell)
{
    EXPECT_EQ(Runner::Import::ShellWord("property:P.Name"), "property:P.Name");
    EXPECT_EQ(Runner::Import::ShellWord("property:P Set.Name"), "'property:P Set.Name'");
    EXPECT_EQ(Runner::Import::ShellWord("it's"), "'it'\\''s'");
    EXPECT_EQ(Runner::Import::ShellWord("^(.+)$"), "'^(.+)$'");
}

} // namespace
