// The repeated real model: N copies of the house make one sound model (the import's pre-scan and
// the import take it) with N times the rooms, all with GlobalIds of their own, the first copy's as
// in the house; a count out of range or a text without DATA is bad input.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../../../Sources/Runner/Import/Importer.hpp"
#include "../../../Sources/Runner/Import/StepScan.hpp"
#include "../../../Sources/Runner/Project/JsonReader.hpp"
#include "../../../Sources/Runner/Tools/ModelRepeater.hpp"

namespace {

TEST(ModelRepeater, CopiesOfTheHouseAreOneSoundModelWithRoomsOfTheirOwn)
{
    std::string house;
    ASSERT_TRUE(Runner::ReadTextFile(AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc", house));
    Runner::Import::StepScan original;
    ASSERT_TRUE(Runner::Import::ScanStepText(house, "house.ifc", original));
    Runner::Import::ImportResult once;
    ASSERT_TRUE(Runner::Import::ImportModelText(house, "house.ifc", {}, once));

    for (const int copies : {1, 3}) {
        SCOPED_TRACE(copies);
        std::string repeated;
        ASSERT_TRUE(Runner::RepeatModel(house, "house.ifc", copies, repeated));
        Runner::Import::StepScan scan;
        const Runner::Status scanned = Runner::Import::ScanStepText(repeated, "repeated.ifc", scan);
        ASSERT_TRUE(scanned) << scanned.Message();
        EXPECT_EQ(scan.spaces, original.spaces * std::size_t(copies));
        EXPECT_EQ(scan.entities.size(), (original.entities.size() - 1) * std::size_t(copies) + 1) << "one project";
        EXPECT_EQ(scan.maxId, original.maxId * copies);

        Runner::Import::ImportResult result;
        const Runner::Status imported = Runner::Import::ImportModelText(repeated, "repeated.ifc", {}, result);
        ASSERT_TRUE(imported) << imported.Message();
        const auto& zones = result.project["zones"];
        ASSERT_EQ(zones.size(), once.project["zones"].size() * std::size_t(copies));
        std::set<std::string> guids;
        for (const auto& zone : zones)
            guids.insert(zone["guid"].get<std::string>());
        EXPECT_EQ(guids.size(), zones.size());
        for (const auto& zone : once.project["zones"])
            EXPECT_EQ(guids.count(zone["guid"].get<std::string>()), 1u) << "the first copy keeps the house's ids";
        if (copies == 1) {
            EXPECT_EQ(result.project, once.project);
        }
    }
}

TEST(ModelRepeater, BadCountsAndTextsAreNamed)
{
    const std::string model = "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=IFCPERSON($,$,$,$,$,$,$,$);\nENDSEC;\n";
    const struct {
        std::string text;
        int copies;
        const char* what;
    } bad[] = {
        {model, 0, "m.ifc: the number of copies must be from 1 to 10000"},
        {model, 10001, "m.ifc: the number of copies must be from 1 to 10000"},
        {"ISO-10303-21;\nHEADER;\nENDSEC;\n", 2, "m.ifc: no DATA section"},
        {"ISO-10303-21;\nDATA;\n#1=IFCPERSON('", 2, "m.ifc: the DATA section does not end"},
        {"ISO-10303-21;\nDATA;\n#2147483647=IFCPERSON();\nENDSEC;\n", 2, "ids beyond 2^31"},
    };
    for (const auto& [text, copies, what] : bad) {
        std::string out;
        const Runner::Status status = Runner::RepeatModel(text, "m.ifc", copies, out);
        ASSERT_FALSE(status) << what;
        EXPECT_NE(status.Message().find(what), std::string::npos) << status.Message();
    }
}

} // namespace
