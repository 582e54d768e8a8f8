// The index the pre-scan makes of a STEP text: each entity's id, line, type, byte range and
// references, found by id whether the ids are dense or sparse, and still valid after the model
// that owns the text has moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../../Sources/Runner/Import/IfcModel.hpp"
#include "../../../Sources/Runner/Import/StepScan.hpp"

namespace {

using Runner::Import::StepEntity;
using Runner::Import::StepScan;

// Comments, blank lines and an entity over two lines, so that lines and byte ranges are not
// simply one per entity.
std::string Model(int spaceId)
{
    const std::string space = std::to_string(spaceId);
    return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('t.ifc','',(''),(''),'','','');\n"
           "FILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n"
           "#1=IFCCARTESIANPOINT((0.,0.,0.));\n"
           "/* a comment with #99 in it */\n"
           "#2=IFCAXIS2PLACEMENT3D(#1,$,$);\n"
           "#3=IFCLOCALPLACEMENT($,#2);\n\n"
           "#" +
           space +
           "=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'1;2',$,$,#3,$,'R''aum',\n .ELEMENT.,$,$);\n"
           "#4=IFCRELAGGREGATES('3YvctVUKr0kugbFTf53O9L',$,$,$,#3,(#" +
           space + ",#1,#" + space +
           "));\n"
           "#6=IFCPROJECT('0YvctVUKr0kugbFTf53O9L',$,'P',$,$,$,$,$,$);\n"
           "ENDSEC;\nEND-ISO-10303-21;\n";
}

std::string Slice(const std::string& text, const StepEntity& entity)
{
    return text.substr(entity.begin, entity.end - entity.begin);
}

TEST(StepScanIndex, HoldsEachEntityWithItsLineTypeRangeAndReferences)
{
    for (const int spaceId : {5, 2000000}) { // dense ids, then one far beyond the others
        SCOPED_TRACE(spaceId);
        const std::string text = Model(spaceId);
        StepScan scan;
        ASSERT_TRUE(Runner::Import::ScanStepText(text, "t.ifc", scan));

        struct Expected {
            int id;
            std::uint32_t line;
            const char* type;
            std::vector<std::int32_t> references;
        };
        const std::vector<Expected> expected = {
            {1, 8, "IFCCARTESIANPOINT", {}},
            {2, 10, "IFCAXIS2PLACEMENT3D", {1}},
            {3, 11, "IFCLOCALPLACEMENT", {2}},
            {spaceId, 13, "IFCSPACE", {3}},
            {4, 15, "IFCRELAGGREGATES", {3, spaceId, 1, spaceId}},
            {6, 16, "IFCPROJECT", {}},
        };
        ASSERT_EQ(scan.entities.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const StepEntity& entity = scan.entities[i];
            EXPECT_EQ(entity.id, expected[i].id);
            EXPECT_EQ(entity.line, expected[i].line) << entity.id;
            EXPECT_EQ(entity.type, expected[i].type);
            const std::string written = Slice(text, entity);
            EXPECT_EQ(written.rfind("#" + std::to_string(entity.id) + "=" + expected[i].type + "(", 0), 0u) << written;
            EXPECT_EQ(written.back(), ';') << written;
            const auto references = scan.References(entity);
            EXPECT_EQ(std::vector<std::int32_t>(references.begin(), references.end()), expected[i].references);
            EXPECT_EQ(scan.Find(entity.id), &entity);
        }
        EXPECT_TRUE(Slice(text, scan.entities[3]).ends_with("'R''aum',\n .ELEMENT.,$,$);"))
            << "the range runs over the entity's second line";
        EXPECT_EQ(scan.maxId, std::max(spaceId, 6));
        EXPECT_EQ(scan.spaces, 1u);
        EXPECT_EQ(text.compare(scan.dataEnd, 7, "ENDSEC;"), 0);
        EXPECT_EQ(text.compare(scan.dataBegin - 5, 5, "DATA;"), 0);
        for (const int missing : {0, -1, 7, 99, 1999999, 2000001})
            EXPECT_EQ(scan.Find(missing), nullptr) << missing;
        EXPECT_EQ(scan.LineOf(spaceId), 13u);
        EXPECT_EQ(scan.LineOf(99), 0u);
    }
}

TEST(StepScanIndex, TypeViewsFollowTheModelThatOwnsTheText)
{
    Runner::Import::IfcModel first;
    ASSERT_TRUE(Runner::Import::ScanIfcModel(Model(5), "t.ifc", first));
    Runner::Import::IfcModel moved(std::move(first));
    Runner::Import::IfcModel assigned;
    assigned = std::move(moved);
    const StepScan& scan = assigned.scan;
    ASSERT_EQ(scan.entities.size(), 6u);
    for (const StepEntity& entity : scan.entities) {
        EXPECT_GE(entity.type.data(), assigned.text.data());
        EXPECT_LE(entity.type.data() + entity.type.size(), assigned.text.data() + assigned.text.size());
        EXPECT_EQ(Slice(assigned.text, entity).substr(0, 1), "#");
    }
    EXPECT_EQ(scan.Find(5)->type, "IFCSPACE");
}

} // namespace
